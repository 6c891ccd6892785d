#include "app/identity.h"

namespace vistrel::identity {

std::string TrayTip() {
  return std::string(kTitle) + " " + std::to_string(kMajor) + "." + std::to_string(kMinor) +
         std::to_string(kRevision);
}

std::string VersionNumber() {
  return std::to_string(kMajor) + "." + std::to_string(kMinor) + "." + std::to_string(kRevision);
}

std::string VersionLabel() {
  return "Version " + VersionNumber();
}

}  // namespace vistrel::identity
