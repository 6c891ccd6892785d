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

struct AboutControlDefinition {
  AboutControl id;
  std::string_view name;
  ControlKind kind;
  // Labels, button, image: left, top, width, height. Lines: x1, y1, x2, y2.
  double a, b, c, d;
  FontDefinition font;
  std::uint32_t colour;
  int lineWidthPixels;
  std::string_view text;  // fixed text; the three labels filled at load start empty
  bool fitsText;
  bool wraps;
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

inline constexpr FontDefinition kDefault{"", 0, false};

// clang-format off: one control a row reads better than one field a line.
inline constexpr std::array<AboutControlDefinition, 17> kControls{{
    {AboutControl::lblprogtitle,
     "lblprogtitle",
     ControlKind::kLabel,
     360,
     345,
     3675,
     330,
     {"MS Sans Serif", 13.5, false},
     kDefaultColour,
     0,
     "",
     false,
     false},
    {AboutControl::lblversion,
     "lblversion",
     ControlKind::kLabel,
     360,
     675,
     3675,
     195,
     {"MS Sans Serif", 9.75, true},
     kDefaultColour,
     0,
     "",
     false,
     false},
    {AboutControl::lblcopyright, "lblcopyright", ControlKind::kLabel, 360, 930, 795, 195, kDefault,
     kDefaultColour, 0, "", true, false},
    {AboutControl::lblcopyright2, "lblcopyright2", ControlKind::kLabel, 360, 1140, 2580, 240,
     kDefault, kDefaultColour, 0, "Made by Tarnwell software.", false, false},
    {AboutControl::Line1, "Line1", ControlKind::kLine, 360, 1545, 2985, 1545, kDefault, kDarkPurple,
     1, "", false, false},
    {AboutControl::Line5, "Line5", ControlKind::kLine, 360, 1545, 2985, 1545, kDefault, kDarkPurple,
     1, "", false, false},
    {AboutControl::Line2, "Line2", ControlKind::kLine, 360, 1560, 2985, 1560, kDefault,
     kSystem3DHighlight, 2, "", false, false},
    {AboutControl::lbltext1, "lbltext1", ControlKind::kLabel, 360, 1695, 3675, 195, kDefault,
     kDefaultColour, 0, "This program is free of charge.", true, true},
    {AboutControl::lbltext2, "lbltext2", ControlKind::kLabel, 360, 1890, 2460, 195, kDefault,
     kDefaultColour, 0, "You may use it and pass it on freely.", true, false},
    {AboutControl::lbltext3, "lbltext3", ControlKind::kLabel, 360, 2085, 1110, 195, kDefault,
     kDefaultColour, 0, "Play and enjoy!", true, false},
    {AboutControl::Line4, "Line4", ControlKind::kLine, 360, 2415, 2985, 2415, kDefault, kDarkPurple,
     1, "", false, false},
    {AboutControl::Line3, "Line3", ControlKind::kLine, 360, 2430, 2985, 2430, kDefault,
     kSystem3DHighlight, 2, "", false, false},
    {AboutControl::lbltext4, "lbltext4", ControlKind::kLabel, 360, 2700, 2265, 195, kDefault,
     kDefaultColour, 0, "Updates and more free programs are at:", true, false},
    {AboutControl::lbltext5, "lbltext5", ControlKind::kLabel, 360, 2895, 1545, 195, kDefault,
     kDefaultColour, 0, "Visit my homepage at", true, false},
    {AboutControl::lblurl, "lblurl", ControlKind::kLabel, 360, 3105, 1740, 195, kDefault, kLinkBlue,
     0, kHomepage, true, false},
    // First in the tab order (so it has the focus), neither default nor cancel button.
    {AboutControl::cmdok, "cmdok", ControlKind::kButton, 360, 3600, 1590, 390, kDefault,
     kDefaultColour, 0, "&Ok", false, false},
    // Lies on the bottom edge so that only its transparent top row is inside the client area.
    {AboutControl::imghand, "imghand", ControlKind::kImage, 1605, 4380, 480, 480, kDefault,
     kDefaultColour, 0, "", false, false},
}};
// clang-format on

inline constexpr const AboutControlDefinition& Control(AboutControl id) {
  return kControls[static_cast<std::size_t>(id)];
}

}  // namespace about_layout
}  // namespace vistrel
