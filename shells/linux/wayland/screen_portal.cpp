#include "wayland/screen_portal.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "magnifier/nearest_copy.h"
#include "wayland/restore_token.h"

namespace vistrel::linux_shell::wayland {

// The stream's rate: one picture per tick of the 50 ms timer that draws the view.
constexpr int kFramesPerSecond = 20;
// Still ticks before Timer1 may idle.
constexpr int kStillTicks = 4;
// A monitor's first picture comes within a frame or two; headless mutter 48 never sends one of
// a virtual monitor other than its last (only the pointer's reports), and then the view says so.
constexpr std::chrono::seconds kFirstPictureDue{3};

PortalScreen::PortalScreen(double twipsPerPixel) : MonitorDesktop(twipsPerPixel) {}

PortalScreen::~PortalScreen() = default;

ShareLifecycle::Ms PortalScreen::Now() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void PortalScreen::Post(int cast, std::function<void()> what) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [this, what = std::move(what), cast] {
        if (cast == life_.Cast()) what();
      },
      Qt::QueuedConnection);
}

std::function<void()> PortalScreen::OfCast(int cast, std::function<void()> what) {
  return [this, what = std::move(what), cast] { Post(cast, what); };
}

void PortalScreen::Run(const ShareLifecycle::Commands& commands) {
  using Command = ShareLifecycle::Command;
  for (const Command& command : commands) {
    switch (command.kind) {
      case Command::kDrop:
        if (command.monitor < monitors_.size()) monitors_[command.monitor].stream.reset();
        break;
      case Command::kBlank:
        if (share_.blank) share_.blank();
        break;
      case Command::kRedraw:
        Redraw();
        break;
      case Command::kRelease:
        connection_.reset();
        session_.reset();
        break;
      case Command::kSay:
        std::fprintf(stderr, "Vistrel: %s\n", command.text.c_str());
        break;
      case Command::kReconnect:
        Reconnect();
        break;
      case Command::kAsk:
        // From the event loop: the box must not open inside the click or the callback that
        // led to it.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, why = command.text] {
              Run(life_.Answered(share_.ask ? share_.ask(why) : ShareAnswer::kLater));
            },
            Qt::QueuedConnection);
        break;
      case Command::kOpen: {
        ScreenCastError error;
        if (!Open(error)) Run(life_.OpenFailed(error.text));
        break;
      }
      case Command::kEnd:
        if (share_.end) share_.end();
        break;
      case Command::kWake:
        QTimer::singleShot(
            std::chrono::milliseconds(std::max<ShareLifecycle::Ms>(0, command.at - Now())),
            [this] { Run(life_.Due(Now())); });
        break;
    }
  }
}

bool PortalScreen::Open(ScreenCastError& error) {
  std::optional<ScreenCastSession> cast = OpenScreenCast(LoadRestoreToken(), error);
  if (!cast) return false;
  SaveRestoreToken(cast->restoreToken);
  // The callbacks carry the number of the cast they belong to.
  const int number = life_.Cast() + 1;
  // The cast that runs, if any, goes only once this one works: a Share Again that fails keeps
  // the monitors still shown.
  auto session = std::make_unique<ScreenCastSessionWatch>(
      cast->handle, OfCast(number, [this, number] { Run(life_.Closed(number, Now())); }));
  auto connection = std::make_shared<PipeWireConnection>();
  std::vector<Monitor> monitors;
  const auto lost = OfCast(number, [this, number] { Run(life_.PipeWireLost(number, Now())); });
  // A source node that goes tells of an end that neither the portal nor the stream may report.
  const auto removed = [this, number](std::uint32_t node) {
    Post(number, [this, number, node] {
      for (std::size_t i = 0; i < monitors_.size(); ++i) {
        if (monitors_[i].place.node == node) Run(life_.MonitorLost(number, i, Now()));
      }
    });
  };
  if (!connection->Open(cast->pipewireFd, error.text, lost, removed)) return false;
  for (const ScreenCastStream& place : cast->streams) {
    auto stream = std::make_unique<PipeWireStream>();
    const std::size_t index = monitors.size();
    const PipeWireStream::Events events{
        OfCast(number, [this] { Redraw(); }),
        OfCast(number, [this, number, index] { Run(life_.MonitorLost(number, index, Now())); })};
    if (!stream->Start(connection, place.node, kFramesPerSecond, error.text, events)) {
      return false;
    }
    monitors.push_back({place, std::move(stream), std::nullopt});
  }
  std::vector<std::string> places;
  for (const Monitor& monitor : monitors) {
    const ScreenCastStream& p = monitor.place;
    places.push_back(std::to_string(p.x) + "," + std::to_string(p.y) + " (" +
                     std::to_string(p.width) + "x" + std::to_string(p.height) + ")");
  }
  monitors_ = std::move(monitors);
  connection_ = std::move(connection);
  session_ = std::move(session);
  life_.Opened(std::move(places));
  picturesOverdue_ = false;
  QTimer::singleShot(kFirstPictureDue, OfCast(number, [this] { NoteMissingPictures(); }));
  return true;
}

bool PortalScreen::AwaitsPicture(const Monitor& monitor) {
  return monitor.stream && !monitor.stream->HasPicture();
}

void PortalScreen::NoteMissingPictures() {
  bool missing = false;
  for (const Monitor& monitor : monitors_) {
    if (!AwaitsPicture(monitor)) continue;
    const ScreenCastStream& p = monitor.place;
    std::fprintf(stderr,
                 "Vistrel: the desktop has sent no picture of the monitor at %d,%d (%dx%d) yet; "
                 "the view says so on its part until one comes.\n",
                 p.x, p.y, p.width, p.height);
    missing = true;
  }
  picturesOverdue_ = missing;
  // A still pointer draws nothing: the note is drawn now.
  if (missing) Redraw();
}

bool PortalScreen::WriteMissingPictureNotes(QImage& image, int srcX, int srcY, int srcWidth,
                                            int srcHeight) {
  if (!picturesOverdue_) return false;
  // The canvas counts in logical pixels for a painter, which keeps the note's font at its size.
  const double x = image.width() / double(srcWidth) / image.devicePixelRatio();
  const double y = image.height() / double(srcHeight) / image.devicePixelRatio();
  const QRectF view(QPointF(0, 0), image.deviceIndependentSize());
  bool wrote = false;
  bool missing = false;
  for (const Monitor& monitor : monitors_) {
    if (!AwaitsPicture(monitor)) continue;
    missing = true;
    const platform::PixelRect at = PixelPlace(monitor);
    const QRectF part =
        QRectF((at.left - srcX) * x, (at.top - srcY) * y, at.width * x, at.height * y) & view;
    if (part.isEmpty()) continue;
    QPainter painter(&image);
    painter.setPen(Qt::white);
    painter.drawText(part, Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("No picture from this screen yet"));
    wrote = true;
  }
  // Once every monitor sent one, the tick asks no stream again.
  picturesOverdue_ = missing;
  return wrote;
}

void PortalScreen::Redraw() {
  if (share_.redraw) share_.redraw();
}

void PortalScreen::Ask(std::string why) {
  Run(life_.Ask(std::move(why)));
}

bool PortalScreen::OfferAgain(std::optional<QPointF> click) {
  // The monitor under the click, in the picture the view shows.
  std::optional<std::size_t> on;
  if (click && shown_.destWidth > 0 && shown_.destHeight > 0) {
    const double x = shown_.srcX + click->x() * shown_.srcWidth / shown_.destWidth;
    const double y = shown_.srcY + click->y() * shown_.srcHeight / shown_.destHeight;
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
      const platform::PixelRect at = PixelPlace(monitors_[i]);
      if (x >= at.left && x < at.left + at.width && y >= at.top && y < at.top + at.height) on = i;
    }
  }
  const std::optional<ShareLifecycle::Commands> commands = life_.CameBack(on);
  if (commands) Run(*commands);
  return commands.has_value();
}

void PortalScreen::Reconnect() {
  ScreenCastError error{"PipeWire is not running."};
  if (PipeWireRunning() && Open(error)) {
    std::fprintf(stderr, "Vistrel: the screen is shared again.\n");
    return;
  }
  using Failure = ShareLifecycle::Failure;
  const Failure failure = error.refused      ? Failure::kRefused
                          : error.unanswered ? Failure::kUnanswered
                                             : Failure::kOther;
  Run(life_.ReconnectFailed(failure, error.text, Now()));
}

platform::PixelRect PortalScreen::PixelPlace(const Monitor& monitor) {
  const ScreenCastStream& place = monitor.place;
  const int width = monitor.stream ? monitor.stream->Width() : 0;
  const int height = monitor.stream ? monitor.stream->Height() : 0;
  // Before the format is known the portal's numbers are all there is.
  if (width <= 0 || height <= 0 || place.width <= 0 || place.height <= 0) {
    return {double(place.x), double(place.y), double(place.width), double(place.height)};
  }
  return {std::round(place.x * double(width) / place.width),
          std::round(place.y * double(height) / place.height), double(width), double(height)};
}

platform::CursorPoint PortalScreen::CursorPos() {
  // The compositor reports the pointer on the monitor it is on; a monitor whose report changed
  // last has it.
  bool changed = false;
  for (Monitor& monitor : monitors_) {
    if (!monitor.stream) continue;
    const std::optional<StreamPoint> cursor = monitor.stream->Cursor();
    if (cursor == monitor.lastCursor) continue;
    changed = true;
    monitor.lastCursor = cursor;
    if (!cursor) continue;
    const platform::PixelRect at = PixelPlace(monitor);
    cursor_ = {static_cast<int>(at.left) + cursor->x, static_cast<int>(at.top) + cursor->y};
  }
  stillTicks_ = changed ? 0 : std::min(stillTicks_ + 1, kStillTicks);
  return cursor_;
}

bool PortalScreen::WakesTimer1OnCursorMotion() {
  // Without a share there is nothing to follow until the next cast's first picture redraws.
  if (!life_.Live()) return true;
  if (!wake_ || monitors_.empty() || stillTicks_ < kStillTicks) return false;
  // Armed against the reports CursorPos just read: one that changed since then keeps the timer
  // ticking (an armed stream then wakes it once for nothing, which costs one tick).
  for (Monitor& monitor : monitors_) {
    if (monitor.stream && !monitor.stream->WakeOnCursorChange(monitor.lastCursor, wake_)) {
      return false;
    }
  }
  return true;
}

void PortalScreen::StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                                 std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) {
  if (!canvas_.canvas || destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) {
    return;
  }
  shown_ = {srcX, srcY, srcWidth, srcHeight, destWidth, destHeight};
  QImage& image = canvas_.canvas(destWidth, destHeight);
  // What lies on no monitor is black, as the X server's root window shows it.
  image.fill(Qt::black);
  bool copied = false;
  for (const Monitor& monitor : monitors_) {
    if (!monitor.stream) continue;
    const platform::PixelRect at = PixelPlace(monitor);
    copied |= monitor.stream->WithPicture([&](const magnifier::PixelsIn& picture) {
      magnifier::CopyNearest(picture,
                             {srcX - at.left, srcY - at.top, double(srcWidth), double(srcHeight)},
                             {image.bits(), image.bytesPerLine(), destWidth, destHeight});
    });
  }
  copied |= WriteMissingPictureNotes(image, srcX, srcY, srcWidth, srcHeight);
  // Before the first picture the view keeps what it showed; after the end it is black.
  if (copied || !life_.Live()) canvas_.show();
}

std::vector<platform::PixelRect> PortalScreen::Places() const {
  std::vector<platform::PixelRect> places;
  for (const Monitor& m : monitors_) places.push_back(PixelPlace(m));
  return places;
}

}  // namespace vistrel::linux_shell::wayland
