// The Win32 headers for the shell's files, in the order they need (windows.h first). The
// registry functions' ANSI/wide switch macros are undone, because the platform interface has
// methods of those names (RegCreateKey, ...); the shell calls the ANSI functions by their full
// names.
#pragma once

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
// clang-format on

#undef RegCreateKey
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
