// windows.h for the shell's files. The registry functions' ANSI/wide switch macros are undone,
// because the platform interface has methods of those names (RegCreateKey, ...); the shell calls
// the ANSI functions by their full names.
#pragma once

#include <windows.h>

#undef RegCreateKey
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
