// Everything a shell hands to the core: one implementation of each interface.
#pragma once

#include "platform/about_view.h"
#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/hotkeys.h"
#include "platform/launcher.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "platform/registry_api.h"
#include "platform/runtime.h"
#include "platform/screen.h"
#include "platform/timer.h"
#include "platform/tray.h"

namespace vistrel::platform {

struct Platform {
  Screen& screen;
  MainWindow& window;
  Timer& timer1;
  Timer& timer2;
  Tray& tray;
  HotKeys& hotkeys;
  RegistryApi& registry;
  MessageBoxes& messages;
  Launcher& launcher;
  Clock& clock;
  EventPump& pump;
  Runtime& runtime;
  AboutViewFactory& about;
};

}  // namespace vistrel::platform
