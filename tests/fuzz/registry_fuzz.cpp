// Fuzzes the Registry module's key-path rules and read path: a path and a stored value come from
// the input (split at the first NUL). Whatever they hold, an operation touches the registry only
// for a well-formed path, leaves no key open, and a read gives the stored text, "Error", or
// nothing; never more than fits the read buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/failure.h"
#include "fakes.h"
#include "settings/registry.h"

using namespace vistrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find('\0');
  const std::string path = input.substr(0, cut);
  const std::string stored = cut == std::string::npos ? std::string() : input.substr(cut + 1);

  fakes::FakeRegistryApi api;
  fakes::FakeMessageBoxes boxes;
  Registry registry(api, boxes);
  api.keys["HKEY_CURRENT_USER\\Software\\Tarnwell\\Vistrel"]["Top"] = stored;

  registry.CreateKey(path);
  registry.WriteStringValue(path, "Left", stored);
  try {
    const auto text = registry.ReadStringValue(path, "Top");
    if (text && text->size() >= kValueBufferSize) std::abort();
  } catch (const Failure& failure) {
    if (failure.Number() != failures::kInvalidProcedureCall) std::abort();
  }
  if (!api.open.empty()) std::abort();
  const bool malformed = path.rfind("HKEY_", 0) != 0 || path.empty() || path.back() == '\\';
  if (malformed != (boxes.shown.size() == 3) || (malformed && !api.log.empty())) std::abort();
  return 0;
}
