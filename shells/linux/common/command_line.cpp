#include "common/command_line.h"

#include <filesystem>
#include <string_view>

#include "app/identity.h"

namespace vistrel::linux_shell {
namespace {

std::string VersionText() {
  return std::string(identity::kTitle) + ' ' + identity::VersionNumber() + '\n' +
         std::string(identity::kCompanyName) + '\n';
}

// The Help file lies beside the real executable (bin/vistrel is a link to it).
std::string HelpFile() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string("readme.txt beside the program")
               : (exe.parent_path() / "readme.txt").string();
}

std::string HelpText() {
  return "Usage: vistrel [SECONDS]\n"
         "       vistrel --help | --version\n"
         "A small screen magnifier: its window shows the screen around the mouse pointer,\n"
         "enlarged. Left click on the picture zooms in, right click zooms out.\n"
         "\n"
         "  SECONDS    how long Freeze and Lock (Alt+V) holds the picture still\n"
         "             (10 when not given)\n"
         "  --help     print this text and end\n"
         "  --version  print the version and end\n"
         "\n"
         "The menu opens from the tray icon, or with the Menu key or Shift+F10 on the\n"
         "window. Only one copy runs at a time. More in " +
         HelpFile() + "\n";
}

}  // namespace

std::optional<std::string> InformationAsked(int argc, const char* const* argv) {
  // Asked anywhere, so that no command line holding one can start the program as a hold time
  // it is not.
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help") return HelpText();
    if (argument == "--version") return VersionText();
  }
  return std::nullopt;
}

}  // namespace vistrel::linux_shell
