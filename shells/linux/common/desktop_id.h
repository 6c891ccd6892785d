// The name desktops and portals know the program by: its desktop file's, without ".desktop"
// (reverse DNS, as the AppStream metainfo's id, so that the two name one program).
#pragma once

namespace vistrel::linux_shell {

inline constexpr char kDesktopId[] = "example.tarnwell.Vistrel";

}  // namespace vistrel::linux_shell
