#!/usr/bin/env bash
# The checks that need no build, run first by scripts/test.sh so that a slip fails in seconds:
# clang-format (the repository's .clang-format) over every C++ file, shellcheck over every shell
# script, pyflakes over the Python tests and benchmarks, and the one-way use of the Linux
# program's parts (shells/linux: x11/, wayland/ and desktop/ use common/, never the reverse). Reads the files git tracks, plus new ones
# not yet added, and no path that the docs or a comment name may be missing from them
# (scripts/lib/stale_paths.py). Runs every check and then fails if any found something.
set -euo pipefail
cd "$(dirname "$0")/.."

files() { git ls-files --cached --others --exclude-standard -- "$@"; }
failed=()

mapfile -t cxx < <(files '*.cpp' '*.h')
echo "== clang-format: ${#cxx[@]} C++ files"
clang-format --dry-run --Werror "${cxx[@]}" || failed+=(clang-format)

# Shell scripts by name and, for those without the suffix, by their first line.
mapfile -t shell < <(
  files | while read -r f; do
    case $f in
      *.sh) echo "$f" ;;
      *.*) ;;
      *) [ -f "$f" ] && head -n 1 "$f" | grep -Eq '^#!.*\b(ba)?sh\b' && echo "$f" ;;
    esac
  done || true)
echo "== shellcheck: ${#shell[@]} shell scripts"
# -x follows the files a script sources, where it can name them.
shellcheck -x "${shell[@]}" || failed+=(shellcheck)

mapfile -t python < <(files 'tests/*.py' 'bench/*.py' 'resources/*.py' 'scripts/*.py')
echo "== pyflakes: ${#python[@]} Python files"
pyflakes3 "${python[@]}" || failed+=(pyflakes)

echo "== the Linux program's parts used one way"
# pattern, then the folders where it must not appear
layering=(
  '#include "(x11|wayland|desktop)/' shells/linux/common
  '#include "wayland/' shells/linux/x11
  '#include "x11/' shells/linux/wayland
  '#include "(x11|wayland)/' shells/linux/desktop
  '#include <(xcb|X11)/' 'shells/linux/common shells/linux/wayland shells/linux/desktop'
)
for ((i = 0; i < ${#layering[@]}; i += 2)); do
  read -ra folders <<<"${layering[i + 1]}"
  if git grep -nE "${layering[i]}" -- "${folders[@]}"; then
    failed+=(layering)
  fi
done

echo "== paths named in the docs and in comments"
python3 scripts/lib/stale_paths.py || failed+=(stale-paths)

if [ ${#failed[@]} -gt 0 ]; then
  echo "lint: ${failed[*]} found problems" >&2
  exit 1
fi
echo "lint: clean"
