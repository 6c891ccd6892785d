#include "wayland/screen_portal.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "wayland/restore_token.h"

namespace vistrel::linux_shell::wayland {

// The stream's rate: one picture per tick of the 50 ms timer that draws the view.
constexpr int kFramesPerSecond = 20;
// Still ticks before Timer1 may idle.
constexpr int kStillTicks = 4;
// An end shows in several ways (the connection, each stream, the portal's session), not in a
// fixed order: what ended it is decided once they had this long to arrive.
constexpr std::chrono::milliseconds kEndSettles{300};
// While PipeWire is away, the cast is asked for again this often, for this long.
constexpr std::chrono::milliseconds kReconnectEvery{500};
constexpr std::chrono::seconds kReconnectFor{30};
// A monitor's first picture comes within a frame or two; headless mutter 48 never sends one of
// a virtual monitor other than its last (only the pointer's reports), and then the view says so.
constexpr std::chrono::seconds kFirstPictureDue{3};

PortalScreen::PortalScreen(double twipsPerPixel) : twipsPerPixel_(twipsPerPixel) {}

PortalScreen::~PortalScreen() = default;

void PortalScreen::Post(int cast, std::function<void()> what) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [this, what = std::move(what), cast] {
        if (cast == cast_) what();
      },
      Qt::QueuedConnection);
}

std::function<void()> PortalScreen::OfThisCast(std::function<void()> what) {
  return [this, what = std::move(what), cast = cast_] { Post(cast, what); };
}

std::function<void()> PortalScreen::OfThisCast(void (PortalScreen::*what)()) {
  return OfThisCast([this, what] { (this->*what)(); });
}

bool PortalScreen::Open(ScreenCastError& error) {
  std::optional<ScreenCastSession> cast = OpenScreenCast(LoadRestoreToken(), error);
  if (!cast) return false;
  SaveRestoreToken(cast->restoreToken);
  ++cast_;
  const std::function<void()> ended = OfThisCast(&PortalScreen::Ended);
  session_ = std::make_unique<ScreenCastSessionWatch>(cast->handle, ended);
  auto connection = std::make_shared<PipeWireConnection>();
  std::vector<Monitor> monitors;
  // A source node that goes tells of an end that neither the portal nor the stream may report.
  const auto removed = [this, cast = cast_](std::uint32_t node) {
    Post(cast, [this, node] { NodeRemoved(node); });
  };
  if (!connection->Open(cast->pipewireFd, error.text, ended, removed)) {
    session_.reset();
    return false;
  }
  for (const ScreenCastStream& place : cast->streams) {
    auto stream = std::make_unique<PipeWireStream>();
    const std::size_t index = monitors.size();
    const PipeWireStream::Events events{OfThisCast(&PortalScreen::Redraw),
                                        OfThisCast([this, index] { StreamLost(index); })};
    if (!stream->Start(connection, place.node, kFramesPerSecond, error.text, events)) {
      session_.reset();
      return false;
    }
    monitors.push_back({place, std::move(stream), std::nullopt});
  }
  monitors_ = std::move(monitors);
  connection_ = std::move(connection);
  live_ = true;
  picturesOverdue_ = false;
  settling_ = false;
  putOff_.reset();
  QTimer::singleShot(kFirstPictureDue, OfThisCast(&PortalScreen::NoteMissingPictures));
  return true;
}

void PortalScreen::NoteMissingPictures() {
  picturesOverdue_ = true;
  bool missing = false;
  for (const Monitor& monitor : monitors_) {
    if (!monitor.stream || monitor.stream->HasPicture()) continue;
    const ScreenCastStream& p = monitor.place;
    std::fprintf(stderr,
                 "Vistrel: the desktop has sent no picture of the monitor at %d,%d (%dx%d) yet; "
                 "the view says so on its part until one comes.\n",
                 p.x, p.y, p.width, p.height);
    missing = true;
  }
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
  for (const Monitor& monitor : monitors_) {
    if (!monitor.stream || monitor.stream->HasPicture()) continue;
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
  return wrote;
}

void PortalScreen::Redraw() {
  if (share_.redraw) share_.redraw();
}

void PortalScreen::Ended() {
  if (!live_) return;
  live_ = false;
  // Nothing stale is shown as live: the held pictures go with the streams, the view goes black.
  for (Monitor& monitor : monitors_) monitor.stream.reset();
  if (share_.blank) share_.blank();
  Settle();
}

void PortalScreen::NodeRemoved(std::uint32_t node) {
  for (std::size_t i = 0; i < monitors_.size(); ++i) {
    if (monitors_[i].place.node == node) StreamLost(i);
  }
}

void PortalScreen::StreamLost(std::size_t index) {
  if (!live_ || index >= monitors_.size() || !monitors_[index].stream) return;
  monitors_[index].stream.reset();
  if (std::none_of(monitors_.begin(), monitors_.end(),
                   [](const Monitor& monitor) { return monitor.stream != nullptr; })) {
    Ended();
    return;
  }
  // That monitor is black from now on; the others go on until the user answers.
  if (share_.blank) share_.blank();
  if (share_.redraw) share_.redraw();
  Settle();
}

void PortalScreen::Settle() {
  if (std::exchange(settling_, true)) return;
  QTimer::singleShot(kEndSettles, OfThisCast(&PortalScreen::Decide));
}

void PortalScreen::Decide() {
  settling_ = false;
  // When PipeWire ends, the compositor's cast ends with it and the portal closes the session
  // too; a connection that broke tells the two apart.
  const bool pipewireWent = connection_ && connection_->Lost();
  if (!live_) {
    connection_.reset();
    session_.reset();
  }
  if (pipewireWent) {
    std::fprintf(stderr,
                 "Vistrel: PipeWire went away; the screen is shared again once it is back.\n");
    reconnectUntil_ = std::chrono::steady_clock::now() + kReconnectFor;
    Reconnect();
    return;
  }
  // Once per end: a question put off waits for the user to come back to the view.
  if (!putOff_) Ask("The desktop stopped sharing the screen with Vistrel.");
}

void PortalScreen::Ask(std::string why) {
  if (asking_ || !share_.ask) return;
  asking_ = true;
  putOff_.reset();
  ShareAnswer answer;
  // A try that fails asks again, with its reason.
  while ((answer = share_.ask(why)) == ShareAnswer::kAgain) {
    ScreenCastError error;
    if (Open(error)) break;
    why = "Vistrel can not show the screen: " + error.text;
  }
  asking_ = false;
  if (answer == ShareAnswer::kLater) putOff_ = why;
  if (answer == ShareAnswer::kEnd && share_.end) share_.end();
}

bool PortalScreen::OfferAgain() {
  if (asking_) return true;
  if (!putOff_) return false;
  asking_ = true;
  QTimer::singleShot(0, [this, why = *putOff_] {
    asking_ = false;
    Ask(why);
  });
  return true;
}

void PortalScreen::Reconnect() {
  ScreenCastError error{"PipeWire is not running."};
  if (PipeWireRunning() && Open(error)) {
    std::fprintf(stderr, "Vistrel: the screen is shared again.\n");
    return;
  }
  // A refusal is the user's answer, and a portal that does not answer is said at once; anything
  // else may be PipeWire not being back yet.
  if (!error.refused && !error.unanswered && std::chrono::steady_clock::now() < reconnectUntil_) {
    QTimer::singleShot(kReconnectEvery, OfThisCast(&PortalScreen::Reconnect));
    return;
  }
  Ask("Vistrel lost the screen when PipeWire stopped and could not get it back: " + error.text);
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
  if (!live_) return true;
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
  QImage& image = canvas_.canvas(destWidth, destHeight);
  // What lies on no monitor is black, as the X server's root window shows it.
  image.fill(Qt::black);
  bool copied = false;
  for (const Monitor& monitor : monitors_) {
    if (!monitor.stream) continue;
    const platform::PixelRect at = PixelPlace(monitor);
    copied |= monitor.stream->CopyScaled(
        reinterpret_cast<std::uint32_t*>(image.bits()), static_cast<int>(image.bytesPerLine()),
        destWidth, destHeight, srcX - at.left, srcY - at.top, srcWidth, srcHeight);
  }
  copied |= WriteMissingPictureNotes(image, srcX, srcY, srcWidth, srcHeight);
  // Before the first picture the view keeps what it showed; after the end it is black.
  if (copied || !live_) canvas_.show();
}

PortalScreen::Box PortalScreen::Desktop() const {
  Box box;
  bool first = true;
  const auto add = [&](int left, int top, int width, int height) {
    if (first) {
      box = {left, top, left + width, top + height};
      first = false;
      return;
    }
    box.left = std::min(box.left, left);
    box.top = std::min(box.top, top);
    box.right = std::max(box.right, left + width);
    box.bottom = std::max(box.bottom, top + height);
  };
  for (const Monitor& m : monitors_) {
    const platform::PixelRect at = PixelPlace(m);
    add(static_cast<int>(at.left), static_cast<int>(at.top), static_cast<int>(at.width),
        static_cast<int>(at.height));
  }
  if (first) {
    for (const QScreen* screen : QGuiApplication::screens()) {
      const QRect g = screen->geometry();
      const double r = screen->devicePixelRatio();
      add(static_cast<int>(std::lround(g.x() * r)), static_cast<int>(std::lround(g.y() * r)),
          static_cast<int>(std::lround(g.width() * r)),
          static_cast<int>(std::lround(g.height() * r)));
    }
  }
  return box;
}

double PortalScreen::LeftTwips() {
  return Desktop().left * twipsPerPixel_;
}
double PortalScreen::TopTwips() {
  return Desktop().top * twipsPerPixel_;
}
double PortalScreen::WidthTwips() {
  const Box box = Desktop();
  return (box.right - box.left) * twipsPerPixel_;
}
double PortalScreen::HeightTwips() {
  const Box box = Desktop();
  return (box.bottom - box.top) * twipsPerPixel_;
}

std::vector<platform::Monitor> PortalScreen::Monitors() {
  std::vector<platform::Monitor> monitors;
  for (const Monitor& m : monitors_) {
    // Wayland tells a client nothing of panels: the work area is the whole monitor.
    const platform::PixelRect whole = PixelPlace(m);
    monitors.push_back({whole, whole});
  }
  return monitors;
}

}  // namespace vistrel::linux_shell::wayland
