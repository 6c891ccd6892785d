// Who the program is: title, version, and the fields of the Windows version resource.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/version.h"

namespace vistrel::identity {

inline constexpr std::string_view kTitle = "Vistrel";
inline constexpr std::int16_t kMajor = VISTREL_VERSION_MAJOR;
inline constexpr std::int16_t kMinor = VISTREL_VERSION_MINOR;
inline constexpr std::int16_t kRevision = VISTREL_VERSION_PATCH;

inline constexpr std::string_view kFileVersionText =
    VISTREL_VERSION_TEXT;  // of file version 1.0.0.5
inline constexpr std::string_view kFileDescription = "Magnifying tool";
inline constexpr std::string_view kProductName = "Vistrel";
inline constexpr std::string_view kInternalName = "Vistrel";
inline constexpr std::string_view kOriginalFilename = "Vistrel.exe";
inline constexpr std::string_view kCompanyName = "Tarnwell software";
inline constexpr std::uint16_t kLanguage = 0x0409;  // US English
inline constexpr std::uint16_t kCodePage = 1200;    // Unicode

// "Vistrel 1.05": no point between minor and revision (the tray tip's form).
std::string TrayTip();
// "1.0.5": major, minor and revision with points.
std::string VersionNumber();
// "Version 1.0.5" (the About dialog's form).
std::string VersionLabel();

}  // namespace vistrel::identity
