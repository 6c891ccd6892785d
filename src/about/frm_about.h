// The About dialog's behaviour: its run-time labels, the OK button and the homepage link. It is
// created each time the About command opens it and destroyed when it closes.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace vistrel {

class frmabout {
 public:
  explicit frmabout(platform::Platform& platform);
  ~frmabout();

  void Form_Load();
  void cmdok_Click();
  void lblurl_Click();
  void lblurl_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);

  platform::AboutView& View() { return *view_; }

  // "Copyright (c) <year> Tarnwell software" for the given year.
  static std::string CopyrightText(int year);

 private:
  platform::Platform& p_;
  std::unique_ptr<platform::AboutView> view_;
};

}  // namespace vistrel
