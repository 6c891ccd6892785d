// The settings file's text: what is read from which lines, and that a rewrite changes only the
// line of the value it sets.
#include "common/settings/ini_text.h"

#include <gtest/gtest.h>

namespace vistrel::linux_shell::ini {
namespace {

std::string Rewrite(std::string_view text, std::string_view name, std::string_view value) {
  auto doc = Document::Parse(text);
  EXPECT_TRUE(doc);
  EXPECT_TRUE(doc->Set(name, value));
  return doc->Serialize();
}

TEST(IniText, ReadsValuesOfGeneralOnly) {
  const auto doc = Document::Parse(
      "Top=1\n[Other]\nTop=2\n; Top=3\n[General]\n# comment\n  top = 1440  \nLeft=-300\r\n"
      "Top=9\n[More]\nWidth=5\n");
  ASSERT_TRUE(doc);
  // Names ignore case, blanks around the name go, the text after '=' is kept as it is (minus
  // the CR of a CR LF ending), and the first line of a name counts.
  EXPECT_EQ(doc->Get("Top"), " 1440  ");
  EXPECT_EQ(doc->Get("Left"), "-300");
  EXPECT_EQ(doc->Get("Width"), std::nullopt);
  EXPECT_EQ(doc->Get("Missing"), std::nullopt);
  // The section's name ignores case too.
  EXPECT_EQ(Document::Parse("[general]\nTop=5\n")->Get("Top"), "5");
}

TEST(IniText, EmptyTextAndEqualsInsideTheValue) {
  const auto doc = Document::Parse("[General]\nA=\nB=x=y\n=nameless\n");
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->Get("A"), "");
  EXPECT_EQ(doc->Get("B"), "x=y");
}

TEST(IniText, RewriteChangesOnlyTheValueLine) {
  struct Case {
    const char* before;
    const char* name;
    const char* value;
    const char* after;
  };
  const Case cases[] = {
      // replaced in place, everything else byte for byte
      {"; mine\n[General]\nTop=1\nExtra=keep\n[X]\nTop=7\n", "top", "1440",
       "; mine\n[General]\ntop=1440\nExtra=keep\n[X]\nTop=7\n"},
      // CR LF line keeps its ending
      {"[General]\r\nTop=1\r\n", "Top", "2", "[General]\r\nTop=2\r\n"},
      // added at the end of [General], before what follows it
      {"[General]\nTop=1\n\n[X]\nA=1\n", "Left", "0", "[General]\nTop=1\nLeft=0\n\n[X]\nA=1\n"},
      // no [General]: the section is added at the end
      {"[X]\nA=1", "Top", "5", "[X]\nA=1\n[General]\nTop=5\n"},
      {"", "Top", "5", "[General]\nTop=5\n"},
      // blanks of the text survive
      {"[General]\n", "Top", "  12  ", "[General]\nTop=  12  \n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Rewrite(c.before, c.name, c.value), c.after) << c.before;
}

TEST(IniText, RefusesWhatOneLineCanNotHold) {
  auto doc = Document::Parse("[General]\n");
  ASSERT_TRUE(doc);
  for (const char* name : {"", "A=B", "[A", ";A", " A", "A\nB"}) {
    EXPECT_FALSE(doc->Set(name, "1")) << name;
  }
  EXPECT_FALSE(doc->Set("A", "1\n[Evil]"));
  EXPECT_FALSE(doc->Set("A", "1\r"));
  EXPECT_EQ(doc->Serialize(), "[General]\n");
}

TEST(IniText, RefusesTextThatIsNoSettingsFile) {
  EXPECT_FALSE(Document::Parse(std::string("[General]\nTop=1\0\n", 17)));
  EXPECT_FALSE(Document::Parse(std::string(kMaxFileBytes + 1, 'a')));
  EXPECT_TRUE(Document::Parse(std::string(kMaxFileBytes, 'a')));
}

}  // namespace
}  // namespace vistrel::linux_shell::ini
