// Failures as the program reports them: a number and a description, as in the message boxes
// that name "Error 6 - Overflow". Every core failure is one of these; the shells report one that
// nothing handled and end the program, never crash silently.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vistrel {

class Failure : public std::runtime_error {
 public:
  Failure(std::int32_t number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  std::int32_t Number() const { return number_; }
  const std::string& Description() const { return description_; }
  // The program has no help file of its own; the runtime's topic numbering is kept so that a box
  // still carries a context for its failure.
  std::int32_t HelpContext() const { return 1000000 + number_; }

 private:
  std::int32_t number_;
  std::string description_;
};

namespace failures {
inline constexpr std::int32_t kInvalidProcedureCall = 5;
inline constexpr std::int32_t kOverflow = 6;
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kInvalidPropertyValue = 380;

inline Failure InvalidProcedureCall() {
  return Failure(kInvalidProcedureCall, "Invalid procedure call or argument");
}
inline Failure Overflow() {
  return Failure(kOverflow, "Overflow");
}
inline Failure TypeMismatch() {
  return Failure(kTypeMismatch, "Type mismatch");
}
inline Failure InvalidPropertyValue() {
  return Failure(kInvalidPropertyValue, "Invalid property value");
}
}  // namespace failures

}  // namespace vistrel
