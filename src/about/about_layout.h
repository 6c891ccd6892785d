// The About dialog as created: its own properties and every control with its twips geometry,
// font, colour and text. Both shells build the dialog from this table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vistrel {

enum class AboutControl : std::size_t {
  lblprogtitle,
  lblversion,
  lblcopyright,
  lblcopyright2,
  Line1,
  Line5,
  Line2,
  lbltext1,
  lbltext2,
  lbltext3,
  Line4,
  Line3,
  lbltext4,
  lbltext5,
  lblurl,
  cmdok,
  imghand,
};

enum class ControlKind { kLabel, kLine, kButton, kImage };

struct FontDefinition {
  std::string_view name;  // empty: the platform's default dialog font
  double points;
  bool bold;
};

// 0x00BBGGRR is a direct colour, 0x800000nn the platform's system colour nn.
inline constexpr std::uint32_t kDefaultColour = 0xFFFFFFFF;
inline constexpr std::uint32_t kDarkPurple = 0x00400040;
inline constexpr std::uint32_t kSystem3DHighlight = 0x80000014;
inline constexpr std::uint32_t kLinkBlue = 0x00C00000;

// Twips from the client area's top left corner.
struct Box {
  double left, top, width, height;
};
struct Segment {
  double x1, y1, x2, y2;
};

inline constexpr FontDefinition kDefaultFont{"", 0, false};

struct AboutControlDefinition {
  AboutControl id;
  std::string_view name;
  ControlKind kind;
  Box box{};          // labels, the button, the image
  Segment segment{};  // lines
  FontDefinition font = kDefaultFont;
  std::uint32_t colour = kDefaultColour;
  int lineWidthPixels = 0;
  std::string_view text;  // fixed text; the three labels filled at load start empty
  bool fitsText = false;
  bool wraps = false;
};

namespace about_layout {

inline constexpr std::string_view kCaption = "About";
// Fixed tool window: caption and close button, no minimise or maximise button, no icon, no
// taskbar button; centred over its owner.
inline constexpr double kClientWidthTwips = 3300;
inline constexpr double kClientHeightTwips = 4395;
inline constexpr FontDefinition kDialogFont{"MS Sans Serif", 8.25, false};

inline constexpr std::string_view kHomepage = "https://tarnwell.example/vistrel/";
inline constexpr std::string_view kCompany = "Tarnwell software";

// One control a row; what a row leaves out is the default above. GCC before 14 warns about the
// members a designated initialiser leaves to their defaults.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
inline constexpr std::array<AboutControlDefinition, 17> kControls{{
    {.id = AboutControl::lblprogtitle,
     .name = "lblprogtitle",
     .kind = ControlKind::kLabel,
     .box = {360, 345, 3675, 330},
     .font = {"MS Sans Serif", 13.5, false}},
    {.id = AboutControl::lblversion,
     .name = "lblversion",
     .kind = ControlKind::kLabel,
     .box = {360, 675, 3675, 195},
     .font = {"MS Sans Serif", 9.75, true}},
    {.id = AboutControl::lblcopyright,
     .name = "lblcopyright",
     .kind = ControlKind::kLabel,
     .box = {360, 930, 795, 195},
     .fitsText = true},
    {.id = AboutControl::lblcopyright2,
     .name = "lblcopyright2",
     .kind = ControlKind::kLabel,
     .box = {360, 1140, 2580, 240},
     .text = "Made by Tarnwell software."},
    {.id = AboutControl::Line1,
     .name = "Line1",
     .kind = ControlKind::kLine,
     .segment = {360, 1545, 2985, 1545},
     .colour = kDarkPurple,
     .lineWidthPixels = 1},
    {.id = AboutControl::Line5,
     .name = "Line5",
     .kind = ControlKind::kLine,
     .segment = {360, 1545, 2985, 1545},
     .colour = kDarkPurple,
     .lineWidthPixels = 1},
    {.id = AboutControl::Line2,
     .name = "Line2",
     .kind = ControlKind::kLine,
     .segment = {360, 1560, 2985, 1560},
     .colour = kSystem3DHighlight,
     .lineWidthPixels = 2},
    {.id = AboutControl::lbltext1,
     .name = "lbltext1",
     .kind = ControlKind::kLabel,
     .box = {360, 1695, 3675, 195},
     .text = "This program is free of charge.",
     .fitsText = true,
     .wraps = true},
    {.id = AboutControl::lbltext2,
     .name = "lbltext2",
     .kind = ControlKind::kLabel,
     .box = {360, 1890, 2460, 195},
     .text = "You may use it and pass it on freely.",
     .fitsText = true},
    {.id = AboutControl::lbltext3,
     .name = "lbltext3",
     .kind = ControlKind::kLabel,
     .box = {360, 2085, 1110, 195},
     .text = "Play and enjoy!",
     .fitsText = true},
    {.id = AboutControl::Line4,
     .name = "Line4",
     .kind = ControlKind::kLine,
     .segment = {360, 2415, 2985, 2415},
     .colour = kDarkPurple,
     .lineWidthPixels = 1},
    {.id = AboutControl::Line3,
     .name = "Line3",
     .kind = ControlKind::kLine,
     .segment = {360, 2430, 2985, 2430},
     .colour = kSystem3DHighlight,
     .lineWidthPixels = 2},
    {.id = AboutControl::lbltext4,
     .name = "lbltext4",
     .kind = ControlKind::kLabel,
     .box = {360, 2700, 2265, 195},
     .text = "Updates and more free programs are at:",
     .fitsText = true},
    {.id = AboutControl::lbltext5,
     .name = "lbltext5",
     .kind = ControlKind::kLabel,
     .box = {360, 2895, 1545, 195},
     .text = "Visit my homepage at",
     .fitsText = true},
    {.id = AboutControl::lblurl,
     .name = "lblurl",
     .kind = ControlKind::kLabel,
     .box = {360, 3105, 1740, 195},
     .colour = kLinkBlue,
     .text = kHomepage,
     .fitsText = true},
    // First in the tab order (so it has the focus), neither default nor cancel button.
    {.id = AboutControl::cmdok,
     .name = "cmdok",
     .kind = ControlKind::kButton,
     .box = {360, 3600, 1590, 390},
     .text = "&Ok"},
    // Lies on the bottom edge so that only its transparent top row is inside the client area.
    {.id = AboutControl::imghand,
     .name = "imghand",
     .kind = ControlKind::kImage,
     .box = {1605, 4380, 480, 480}},
}};
#pragma GCC diagnostic pop

inline constexpr const AboutControlDefinition& Control(AboutControl id) {
  return kControls[static_cast<std::size_t>(id)];
}

}  // namespace about_layout
}  // namespace vistrel
