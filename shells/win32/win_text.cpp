#include "win_text.h"

namespace vistrel::win32 {

std::string ArgumentsAfterProgramName(std::string_view commandLine) {
  std::size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    i = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  }
  while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  return std::string(commandLine.substr(i));
}

std::string DirectoryOfModule(std::string_view modulePath) {
  const std::size_t slash = modulePath.find_last_of("\\/");
  if (slash == std::string_view::npos) return {};
  std::string dir(modulePath.substr(0, slash));
  // "C:" alone would name the drive's current directory, not its root.
  if (dir.size() == 2 && dir[1] == ':') dir += '\\';
  return dir;
}

}  // namespace vistrel::win32
