// Text forms of numbers and Booleans as the settings record and the command line use them.
// Reading accepts every text that writing produces, in the user's decimal notation, and always
// "True" and "False".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vistrel::text_forms {

// Blanks around, a sign, decimal digits, a fraction with the given decimal separator and an
// exponent. Returns nothing for any other text. The value is a double; callers that store it
// narrower check the range (a failure of its own).
std::optional<double> ParseNumber(std::string_view text, char decimalSeparator);

// The conversion to a single-precision number: type mismatch (13) for a text that is not a
// number, overflow (6) for one beyond single precision.
float ToSingle(std::string_view text, char decimalSeparator);

// "True" / "False" in any letter case (blanks around allowed), or a number (0 false, any other
// true). Type mismatch (13) for anything else, the empty text included.
bool ToBoolean(std::string_view text, char decimalSeparator);

// Shortest text that reads back as the same single-precision value: "1440", "-300", "2.5"
// (with the user's separator), "1E+20"; no leading blank.
std::string FromSingle(float value, char decimalSeparator);

inline std::string FromBoolean(bool value) {
  return value ? "True" : "False";
}

}  // namespace vistrel::text_forms
