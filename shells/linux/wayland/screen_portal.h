// The screen as the magnifier sees it in a Wayland session: every monitor the desktop shares
// over its ScreenCast portal, each received as a PipeWire stream and placed on the desktop by
// the stream's position; the pointer from the streams' cursor metadata. A copy fills a picture
// that the view then shows; the compositor is asked for nothing on a tick that draws nothing,
// and while the pointer stands still no tick comes at all: its next report wakes Timer1.
// How a share ends and comes back is ShareLifecycle's to say; this class tells it what PipeWire
// and the portal report, and does what it answers.
#pragma once

#include <QImage>
#include <QPointF>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/screen.h"
#include "wayland/monitor_desktop.h"
#include "wayland/pipewire_stream.h"
#include "wayland/screencast_portal.h"
#include "wayland/share_lifecycle.h"

namespace vistrel::linux_shell::wayland {

// Where the view's picture goes: the canvas of the given size in device pixels, and the call
// that shows it once it is filled.
struct ViewCanvas {
  std::function<QImage&(int width, int height)> canvas;
  std::function<void()> show;
};

// What the program does as a share ends and begins, each called from the event loop.
struct ShareEvents {
  std::function<void()> blank;   // a share ended: show black now
  std::function<void()> redraw;  // a cast's first picture arrived, or a monitor went: draw again
  // The screen is not coming back by itself: why, for the user, who answers.
  std::function<ShareAnswer(const std::string& why)> ask;
  std::function<void()> end;  // the user chose to end the program
};

class PortalScreen : public MonitorDesktop {
 public:
  explicit PortalScreen(double twipsPerPixel);
  ~PortalScreen() override;

  // Asks the desktop for the screen (with the token of the last consent, which it replaces),
  // and starts receiving. False, with the reason, when there is nothing to receive.
  bool Open(ScreenCastError& error);
  void SetCanvas(ViewCanvas canvas) { canvas_ = std::move(canvas); }
  void SetShareEvents(ShareEvents events) { share_ = std::move(events); }
  // How the screen takes Timer1 out of idleness when the pointer moves; called on PipeWire's
  // thread.
  void SetMotionWake(std::function<void()> wake) { wake_ = std::move(wake); }
  // The screen is not shown (why): asks the user to share it again, until a cast opens, or to
  // end the program. One box at a time.
  void Ask(std::string why);
  // The user came back to the view (a click at a point of the view in device pixels, the
  // window shown): a question the user put off is asked again, from the event loop, unless the
  // click is on a monitor still shown. True while it is (the click is taken).
  bool OfferAgain(std::optional<QPointF> click);

  platform::CursorPoint CursorPos() override;
  // Every move of the pointer comes as a new report on a stream, so a still Timer1 may idle
  // until the next one.
  bool WakesTimer1OnCursorMotion() override;
  void StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                     std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) override;

 private:
  struct Monitor {
    ScreenCastStream place;
    std::unique_ptr<PipeWireStream> stream;  // none once the share ended
    std::optional<StreamPoint> lastCursor;
  };
  // Where a monitor's picture lies on the desktop, in the pixels of its picture: the portal
  // gives the place and size in the desktop's layout, which a compositor in its logical layout
  // mode (mutter 48) counts in logical pixels, while the frames and the pointer's reports come
  // in physical ones. The frames' size (the negotiated format) is the picture's; the ratio of
  // the two scales the place.
  static platform::PixelRect PixelPlace(const Monitor& monitor);
  std::vector<platform::PixelRect> Places() const override;
  void Redraw();
  void Reconnect();
  // Says which monitors sent no picture yet: the view stays black there, and would otherwise
  // say nothing about why. From then on the view says so on their part of it.
  void NoteMissingPictures();
  // A monitor still without its first picture (a monitor whose share ended awaits none).
  static bool AwaitsPicture(const Monitor& monitor);
  // Does what the share's lifecycle says, in order.
  void Run(const ShareLifecycle::Commands& commands);
  static ShareLifecycle::Ms Now();
  // Writes that note on the parts of the view (destWidth x destHeight, showing the source
  // rectangle) that lie on a monitor still without a picture; whether it wrote any.
  bool WriteMissingPictureNotes(QImage& image, int srcX, int srcY, int srcWidth, int srcHeight);
  // Calls what, from the event loop, unless a newer cast than cast replaced it meanwhile; from
  // any thread.
  void Post(int cast, std::function<void()> what);
  std::function<void()> OfCast(int cast, std::function<void()> what);

  std::vector<Monitor> monitors_;
  std::shared_ptr<PipeWireConnection> connection_;
  std::unique_ptr<ScreenCastSessionWatch> session_;
  ShareLifecycle life_;
  bool picturesOverdue_ = false;  // a monitor's first picture is late
  ShareEvents share_;
  platform::CursorPoint cursor_;
  ViewCanvas canvas_;
  // What the view shows last: the source rectangle and the view's size, in pixels.
  struct {
    int srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0, destWidth = 0, destHeight = 0;
  } shown_;
  std::function<void()> wake_;
  // Ticks in a row that found the pointer where it was: a moving pointer that skips a tick does
  // not make the timer idle and wake again at once.
  int stillTicks_ = 0;
};

}  // namespace vistrel::linux_shell::wayland
