// Small pure helpers of the Windows shell that need no window: the argument part of a command
// line and the directory of a module path. Kept apart so that the tests can check them without a
// desktop.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vistrel::win32 {

// The text after the program's name, as the process's command line holds it: a quoted name ends
// at its closing quote, an unquoted one at the first blank; the blanks after the name go too.
std::string ArgumentsAfterProgramName(std::string_view commandLine);

// The directory of a full module path without its trailing separator, except at a drive root
// ("C:\Vistrel.exe" gives "C:\").
std::string DirectoryOfModule(std::string_view modulePath);

}  // namespace vistrel::win32
