#!/usr/bin/env bash
# Vistrel.exe needs no DLL beyond Windows' own (it is one static executable).
#   imports-test.sh OBJDUMP Vistrel.exe
set -euo pipefail
objdump=$1
exe=$2
dlls=$("$objdump" -p "$exe" | awk '/DLL Name:/ {print $3}')
echo "DLLs: $(echo "$dlls" | tr '\n' ' ')"
[ -n "$dlls" ] || { echo "no import table read from $exe" >&2; exit 1; }
foreign=$(echo "$dlls" | grep -Eiv '^(advapi32|comctl32|gdi32|kernel32|msvcrt|ole32|shell32|user32)\.dll$' || true)
if [ -n "$foreign" ]; then
  echo "$exe needs DLLs that Windows does not have: $foreign" >&2
  exit 1
fi
