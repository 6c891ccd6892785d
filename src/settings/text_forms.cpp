#include "settings/text_forms.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "app/ascii_text.h"
#include "app/failure.h"
#include "app/numeric.h"

namespace vistrel::text_forms {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  return ascii::Trim(text, " \t");
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text, char decimalSeparator) {
  text = TrimBlanks(text);
  // Validate the whole grammar first and copy it into the C form ('.' separator), so that the
  // conversion itself never depends on the process locale.
  std::string plain;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) {
    plain += text[i++];
    ++digits;
  }
  if (i < text.size() && text[i] == decimalSeparator) {
    plain += '.';
    ++i;
    while (i < text.size() && IsDigit(text[i])) {
      plain += text[i++];
      ++digits;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    std::size_t expDigits = 0;
    while (i < text.size() && IsDigit(text[i])) {
      plain += text[i++];
      ++expDigits;
    }
    if (expDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  if (plain.front() == '+') plain.erase(0, 1);
  // from_chars never looks at the process locale (the toolkit may have set a German one).
  double value = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Beyond double: a large magnitude overflows, a tiny one is zero.
    const auto e = plain.find('e');
    const bool tiny = e != std::string::npos ? plain.find('-', e) != std::string::npos
                                             : plain.find_first_of("123456789") > plain.find('.');
    if (tiny) return 0.0;
    return plain.front() == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  if (ec != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
  return value;
}

float ToSingle(std::string_view text, char decimalSeparator) {
  const auto value = ParseNumber(text, decimalSeparator);
  if (!value) throw failures::TypeMismatch();
  return vistrel::ToSingle(*value);
}

bool ToBoolean(std::string_view text, char decimalSeparator) {
  const std::string_view word = TrimBlanks(text);
  if (ascii::EqualsIgnoringCase(word, "True")) return true;
  if (ascii::EqualsIgnoringCase(word, "False")) return false;
  const auto value = ParseNumber(text, decimalSeparator);
  if (!value) throw failures::TypeMismatch();
  if (std::isinf(*value)) throw failures::Overflow();
  return *value != 0.0;
}

std::string FromSingle(float value, char decimalSeparator) {
  if (value == 0.0f) return "0";  // also for -0: "-0" would read back, but 0 is what users expect
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  std::string text(buffer.data(), result.ptr);
  // to_chars always writes the exponent's sign ("1e+20"), as the written form wants it.
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
    if (c == 'e') c = 'E';
  }
  return text;
}

}  // namespace vistrel::text_forms
