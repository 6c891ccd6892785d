#include "desktop/sway_window_control.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace vistrel::linux_shell::desktop {

namespace {

// i3-ipc, which sway speaks: "i3-ipc", the payload's length and the message type (both 32 bits
// in the machine's order), then the payload, JSON in replies.
constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr int kHeaderSize = sizeof(kMagic) + 8;
constexpr std::uint32_t kRunCommand = 0;
constexpr std::uint32_t kGetTree = 4;
constexpr std::uint32_t kGetVersion = 7;
// A tree with hundreds of windows is well under a megabyte; anything far larger is not sway.
constexpr std::uint32_t kMaxPayload = 64u << 20;
// Each call waits at most this long for sway: it runs on the UI thread.
constexpr int kWaitMs = 1000;

bool ReadExactly(QLocalSocket& socket, char* into, qint64 size, const QDeadlineTimer& deadline) {
  qint64 got = 0;
  while (got < size) {
    const qint64 n = socket.read(into + got, size - got);
    if (n < 0) return false;
    got += n;
    if (got < size && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
      return false;
  }
  return true;
}

// The container of this process's window with that title, depth first over tiled and floating
// children.
std::optional<QJsonObject> FindIn(const QJsonObject& node, qint64 pid, const QString& title) {
  const QString type = node.value("type").toString();
  if ((type == "con" || type == "floating_con") && node.value("pid").toInteger(-1) == pid &&
      node.value("name").toString() == title)
    return node;
  for (const char* children : {"nodes", "floating_nodes"}) {
    for (const QJsonValue& child : node.value(children).toArray()) {
      if (auto found = FindIn(child.toObject(), pid, title)) return found;
    }
  }
  return std::nullopt;
}

}  // namespace

SwayWindowControl::SwayWindowControl(QString socketPath, std::string title)
    : socketPath_(std::move(socketPath)), title_(std::move(title)) {}

bool SwayWindowControl::Answers() {
  const auto reply = Request(kGetVersion, {});
  return reply && QJsonDocument::fromJson(*reply).object().contains("major");
}

void SwayWindowControl::Move(int x, int y, Answer answer) {
  const bool done =
      RunOnWindow(QString("floating enable, move absolute position %1 %2").arg(x).arg(y));
  if (answer) answer(done);
}

void SwayWindowControl::KeepAbove(bool above, Answer answer) {
  // Sticky applies to floating windows only, so "above" floats the window too. Taking it back
  // leaves the window floating where it is: tiling it again would lose its place.
  const bool done = RunOnWindow(above ? "floating enable, sticky enable" : "sticky disable");
  if (answer) answer(done);
}

std::optional<QPoint> SwayWindowControl::Where() {
  const auto window = FindWindow();
  if (!window) return std::nullopt;
  // The container's rect leaves out its title bar, which "move absolute position" includes.
  const QJsonObject rect = window->value("rect").toObject();
  const int titleBar = window->value("deco_rect").toObject().value("height").toInt();
  return QPoint(rect.value("x").toInt(), rect.value("y").toInt() - titleBar);
}

std::optional<QJsonObject> SwayWindowControl::FindWindow() {
  const auto tree = Request(kGetTree, {});
  if (!tree) return std::nullopt;
  return FindIn(QJsonDocument::fromJson(*tree).object(), getpid(), QString::fromStdString(title_));
}

bool SwayWindowControl::RunOnWindow(const QString& commands) {
  const auto window = FindWindow();
  if (!window) return false;
  // By container id: the title needs no quoting as a pattern, and only this one window moves.
  const auto reply = Request(
      kRunCommand,
      QString("[con_id=%1] %2").arg(window->value("id").toInteger()).arg(commands).toUtf8());
  if (!reply) return false;
  // One result per command, each with "success".
  const QJsonArray results = QJsonDocument::fromJson(*reply).array();
  if (results.isEmpty()) return false;
  for (const QJsonValue& result : results) {
    if (!result.toObject().value("success").toBool()) return false;
  }
  return true;
}

std::optional<QByteArray> SwayWindowControl::Request(std::uint32_t type,
                                                     const QByteArray& payload) {
  const bool wasConnected = socket_.state() == QLocalSocket::ConnectedState;
  auto reply = Exchange(type, payload);
  if (!reply && wasConnected) {
    socket_.abort();
    reply = Exchange(type, payload);
  }
  // Whatever is left of a reply that came late must not be read as the next one.
  if (!reply) socket_.abort();
  return reply;
}

std::optional<QByteArray> SwayWindowControl::Exchange(std::uint32_t type,
                                                      const QByteArray& payload) {
  const QDeadlineTimer deadline(kWaitMs);
  if (socket_.state() != QLocalSocket::ConnectedState) {
    socket_.connectToServer(socketPath_);
    if (!socket_.waitForConnected(kWaitMs)) return std::nullopt;
  }
  const auto length = static_cast<std::uint32_t>(payload.size());
  QByteArray message(kMagic, sizeof(kMagic));
  message.append(reinterpret_cast<const char*>(&length), sizeof(length));
  message.append(reinterpret_cast<const char*>(&type), sizeof(type));
  message.append(payload);
  if (socket_.write(message) != message.size()) return std::nullopt;
  while (socket_.bytesToWrite() > 0) {
    if (!socket_.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
      return std::nullopt;
  }

  char header[kHeaderSize];
  if (!ReadExactly(socket_, header, kHeaderSize, deadline)) return std::nullopt;
  std::uint32_t replyLength = 0, replyType = 0;
  std::memcpy(&replyLength, header + sizeof(kMagic), sizeof(replyLength));
  std::memcpy(&replyType, header + sizeof(kMagic) + 4, sizeof(replyType));
  if (std::memcmp(header, kMagic, sizeof(kMagic)) != 0 || replyType != type ||
      replyLength > kMaxPayload)
    return std::nullopt;
  QByteArray reply(static_cast<qsizetype>(replyLength), Qt::Uninitialized);
  if (!ReadExactly(socket_, reply.data(), replyLength, deadline)) return std::nullopt;
  return reply;
}

std::unique_ptr<DesktopWindowControl> MakeSwayWindowControl(const char* title) {
  const char* path = std::getenv("SWAYSOCK");
  if (!path || !*path) return nullptr;
  auto control = std::make_unique<SwayWindowControl>(QString::fromLocal8Bit(path), title);
  if (!control->Answers()) return nullptr;
  return control;
}

}  // namespace vistrel::linux_shell::desktop
