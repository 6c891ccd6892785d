// What the program prints instead of starting: --help or --version anywhere on the command line,
// the first of them counting; any other command line starts the program.
#include "common/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace vistrel::linux_shell {
namespace {

TEST(CommandLine, HelpOrVersionAnywhereIsPrintedAndNothingElseIs) {
  const std::string helpFile =
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "readme.txt").string();
  enum Answer { kStarts, kHelp, kVersion };
  const std::pair<std::vector<const char*>, Answer> rows[] = {
      {{"vistrel"}, kStarts},
      {{"vistrel", "5"}, kStarts},
      {{"vistrel", "-h"}, kStarts},
      {{"vistrel", "--he"}, kStarts},  // no abbreviations
      {{"vistrel", "--versions"}, kStarts},
      {{"--help"}, kStarts},  // the program's own name is no argument
      {{"vistrel", "--help"}, kHelp},
      {{"vistrel", "5", "--help"}, kHelp},
      {{"vistrel", "--version"}, kVersion},
      {{"vistrel", "--version", "--help"}, kVersion},
      {{"vistrel", "--help", "--version"}, kHelp}};
  for (const auto& [argv, answer] : rows) {
    const auto printed = InformationAsked(static_cast<int>(argv.size()), argv.data());
    const std::string line = argv.size() > 1 ? argv[1] : argv[0];
    ASSERT_EQ(printed.has_value(), answer != kStarts) << line;
    if (answer == kHelp) {
      EXPECT_EQ(printed->rfind("Usage: vistrel [SECONDS]\n", 0), 0u) << *printed;
      EXPECT_TRUE(printed->ends_with("More in " + helpFile + "\n")) << *printed;
    } else if (answer == kVersion) {
      EXPECT_EQ(printed->rfind("Vistrel ", 0), 0u) << *printed;
      EXPECT_TRUE(printed->ends_with("\nTarnwell software\n")) << *printed;
      EXPECT_EQ(std::count(printed->begin(), printed->end(), '\n'), 2) << *printed;
    }
  }
}

}  // namespace
}  // namespace vistrel::linux_shell
