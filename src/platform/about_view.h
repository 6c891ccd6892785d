// The About dialog's window. The shell builds it from about/about_layout.h and reports clicks on
// the OK button and the link, and mouse moves over the link, to the frmabout that created it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "about/about_layout.h"

namespace vistrel {
class frmabout;
}

namespace vistrel::platform {

class AboutView {
 public:
  virtual ~AboutView() = default;
  virtual bool Visible() = 0;
  // Modal: returns when the dialog has been closed (by Close() or by its frame).
  virtual void ShowModal() = 0;
  virtual void Close() = 0;
  virtual void SetLabelText(AboutControl control, const std::string& text) = 0;
  // Makes the hand picture of imghand the link's mouse pointer.
  virtual void SetLinkPointerFromHand() = 0;
  virtual std::uintptr_t Handle() = 0;
};

class AboutViewFactory {
 public:
  virtual ~AboutViewFactory() = default;
  virtual std::unique_ptr<AboutView> Create(frmabout& handlers) = 0;
};

}  // namespace vistrel::platform
