// The two questions a Linux user asks of any program, answered before anything starts: the
// single-instance check, the settings and the display are never reached, so `vistrel --help`
// works without a desktop and beside a running copy. Every command line without them is the
// program's one argument text, as before.
#pragma once

#include <optional>
#include <string>

namespace vistrel::linux_shell {

// The text to print when an argument is `--help` or `--version` (the first of them counts);
// nothing otherwise.
std::optional<std::string> InformationAsked(int argc, const char* const* argv);

}  // namespace vistrel::linux_shell
