// Fuzzes the number and Boolean texts that settings files and the command line bring in. The
// first byte picks the user's decimal separator; the rest is the text. A text either fails with a
// program failure (type mismatch, overflow) or converts, and a converted number written back
// must read back as the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/failure.h"
#include "settings/text_forms.h"

using namespace vistrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char separator = (data[0] & 1) ? ',' : '.';
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  (void)text_forms::ParseNumber(text, separator);
  try {
    const float value = text_forms::ToSingle(text, separator);
    const std::string written = text_forms::FromSingle(value, separator);
    const float again = text_forms::ToSingle(written, separator);
    if (again != value && !(value == 0 && again == 0)) std::abort();
  } catch (const Failure& failure) {
    if (failure.Number() != failures::kTypeMismatch && failure.Number() != failures::kOverflow) {
      std::abort();
    }
  }
  try {
    const bool b = text_forms::ToBoolean(text, separator);
    if (text_forms::ToBoolean(text_forms::FromBoolean(b), separator) != b) std::abort();
  } catch (const Failure& failure) {
    if (failure.Number() != failures::kTypeMismatch && failure.Number() != failures::kOverflow) {
      std::abort();
    }
  }
  return 0;
}
