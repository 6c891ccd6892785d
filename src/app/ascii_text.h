// Blanks and letter case in plain ASCII, the same in every locale: what the settings texts and
// the registry paths compare and trim by.
#pragma once

#include <algorithm>
#include <string_view>

namespace vistrel::ascii {

// The text without the given characters at either end.
inline std::string_view Trim(std::string_view text, std::string_view blanks) {
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

inline char ToLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return ToLower(x) == ToLower(y); });
}

}  // namespace vistrel::ascii
