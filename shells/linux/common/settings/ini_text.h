// The settings file's text: an INI document read line by line and written back with every line
// it did not change kept as it was (comments, other sections, values of other programs or later
// versions). Values live in [General] as Name=text; the text after '=' is kept exactly, so
// blanks around it survive a round trip. Pure text in, text out: no file access here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::linux_shell::ini {

// Files beyond this size, or holding a NUL byte, are not settings files we wrote or could
// have: they are refused rather than rewritten.
inline constexpr std::size_t kMaxFileBytes = 1 << 20;
inline constexpr std::string_view kSection = "General";

class Document {
 public:
  // Nothing when the text can not be a settings file (see kMaxFileBytes).
  static std::optional<Document> Parse(std::string_view text);

  // The text of a value of [General]; names compare without regard to ASCII case, and the first
  // of several lines with the same name counts.
  std::optional<std::string> Get(std::string_view name) const;
  // Replaces that line's text, or adds the line at the end of [General] (adding the section at
  // the end when there is none). False for a name or text that one line can not hold.
  bool Set(std::string_view name, std::string_view value);

  std::string Serialize() const;

 private:
  struct Line {
    std::string text;  // without its line break; a CR of a CR LF break stays here
  };
  // Index of the value line of name in [General], if any.
  std::optional<std::size_t> Find(std::string_view name) const;
  // Index of the line after the last line of [General], if the section exists.
  std::optional<std::size_t> SectionEnd() const;

  std::vector<Line> lines_;
  bool finalNewline_ = true;
};

// The section header of a line ("[General]" -> "General"), if it is one.
std::optional<std::string_view> SectionName(std::string_view line);
// A "Name=text" line split at its first '=', the name without blanks around it.
struct NameValue {
  std::string_view name;
  std::string_view value;
};
std::optional<NameValue> SplitValueLine(std::string_view line);

}  // namespace vistrel::linux_shell::ini
