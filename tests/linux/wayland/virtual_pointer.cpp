// The mouse of the headless wlroots rig (tests/support/wlroots_rig.py): a virtual pointer that
// is the seat's pointer device for as long as the rig runs (a seat without one gives no client a
// wl_pointer, so nobody could ask for cursor positions), moved and clicked by the lines the rig
// writes to the FIFO named on the command line:
//   move X Y W H     absolute, in the layout's logical pixels, W x H being the layout's extent
//   press | release  the left button
// It first prints the compositor's globals ("GLOBAL interface version"), from which the rig
// tells whether the compositor offers the capture protocols, then "READY".
//
// The two interfaces of wlr-virtual-pointer-unstable-v1 it needs are declared here by hand, the
// requests up to frame only, in the protocol's order: no XML of that protocol is packaged.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

const wl_interface* kNoTypes[5] = {};
const wl_message kPointerRequests[] = {
    {"motion", "uff", kNoTypes}, {"motion_absolute", "uuuuu", kNoTypes},
    {"button", "uuu", kNoTypes}, {"axis", "uuf", kNoTypes},
    {"frame", "", kNoTypes},
};
const wl_interface kPointer = {"zwlr_virtual_pointer_v1", 1, 5, kPointerRequests, 0, nullptr};
enum PointerRequest { kMotionAbsolute = 1, kButton = 2, kFrame = 4 };

const wl_interface* kCreateTypes[] = {&wl_seat_interface, &kPointer};
const wl_message kManagerRequests[] = {{"create_virtual_pointer", "?on", kCreateTypes}};
const wl_interface kManager = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, kManagerRequests, 0, nullptr};

wl_proxy* seat = nullptr;
wl_proxy* manager = nullptr;

void Announce(void*, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
  std::printf("GLOBAL %s %u\n", interface, version);
  if (!std::strcmp(interface, wl_seat_interface.name))
    seat = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  else if (!std::strcmp(interface, kManager.name))
    manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManager, 1));
}

void Remove(void*, wl_registry*, uint32_t) {}

uint32_t Milliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(now.tv_sec * 1000 + now.tv_nsec / 1000000);
}

}  // namespace

int main(int argc, char** argv) {
  wl_display* display = wl_display_connect(nullptr);
  if (argc != 2 || !display) return 2;
  const wl_registry_listener listener = {Announce, Remove};
  wl_registry_add_listener(wl_display_get_registry(display), &listener, nullptr);
  wl_display_roundtrip(display);
  if (!seat || !manager) return 1;
  auto* pointer = wl_proxy_marshal_flags(manager, 0, &kPointer, 1, 0, seat, nullptr);
  wl_display_roundtrip(display);
  std::printf("READY\n");
  std::fflush(stdout);

  FILE* commands = std::fopen(argv[1], "r");
  char line[128];
  unsigned x, y, width, height;
  while (commands && std::fgets(line, sizeof line, commands)) {
    if (std::sscanf(line, "move %u %u %u %u", &x, &y, &width, &height) == 4) {
      wl_proxy_marshal_flags(pointer, kMotionAbsolute, nullptr, 1, 0, Milliseconds(), x, y, width,
                             height);
    } else {
      wl_proxy_marshal_flags(pointer, kButton, nullptr, 1, 0, Milliseconds(), BTN_LEFT,
                             std::strncmp(line, "press", 5) ? WL_POINTER_BUTTON_STATE_RELEASED
                                                            : WL_POINTER_BUTTON_STATE_PRESSED);
    }
    wl_proxy_marshal_flags(pointer, kFrame, nullptr, 1, 0);
    if (wl_display_roundtrip(display) < 0) return 1;
  }
  return 0;
}
