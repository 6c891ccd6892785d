#include "common/control_dbus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QTimer>
#include <algorithm>
#include <iterator>

namespace vistrel::linux_shell {
namespace {
const QString kService = QStringLiteral("example.tarnwell.Vistrel");
const QString kPath = QStringLiteral("/example/tarnwell/Vistrel");
const QString kInterface = QStringLiteral("example.tarnwell.Vistrel");

// A running copy answers at once from its event loop; one that does not is stuck, and the
// second start falls back to its box.
constexpr int kAskTimeoutMs = 3000;

std::optional<QDBusMessage> AskRunningCopy(const QString& method) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return std::nullopt;
  const QDBusMessage reply =
      bus.call(QDBusMessage::createMethodCall(kService, kPath, kInterface, method), QDBus::Block,
               kAskTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage) return std::nullopt;
  return reply;
}

}  // namespace

std::optional<bool> AskRunningCopyHasTrayIcon() {
  const auto reply = AskRunningCopy(QStringLiteral("HasTrayIcon"));
  if (!reply || reply->arguments().size() != 1) return std::nullopt;
  return reply->arguments()[0].toBool();
}

bool AskRunningCopyToShow() {
  return AskRunningCopy(QStringLiteral("Show")).has_value();
}

DBusControl::DBusControl(ControlActions actions) : actions_(std::move(actions)) {}

DBusControl::~DBusControl() {
  if (!registered_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(kPath);
  bus.unregisterService(kService);
}

bool DBusControl::Register() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  if (!bus.registerVirtualObject(kPath, this)) return false;
  if (!bus.registerService(kService)) {
    bus.unregisterObject(kPath);
    return false;
  }
  registered_ = true;
  return true;
}

QString DBusControl::introspect(const QString& /*path*/) const {
  return QStringLiteral(
      "<interface name=\"example.tarnwell.Vistrel\">"
      "<method name=\"ToggleFreeze\"/>"
      "<method name=\"FreezeAndLock\"/>"
      "<method name=\"ShowMenu\"/>"
      "<method name=\"Show\"/>"
      "<method name=\"HasTrayIcon\"><arg type=\"b\" direction=\"out\"/></method>"
      "</interface>");
}

bool DBusControl::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage || message.path() != kPath) return false;
  if (!message.interface().isEmpty() && message.interface() != kInterface) return false;
  const QString member = message.member();
  const std::function<void()> actions[] = {[this] { actions_.hotKey(0); },
                                           [this] { actions_.hotKey(1); }, actions_.showMenu,
                                           actions_.show};
  const QString names[] = {QStringLiteral("ToggleFreeze"), QStringLiteral("FreezeAndLock"),
                           QStringLiteral("ShowMenu"), QStringLiteral("Show")};
  const auto* known = std::find(std::begin(names), std::end(names), member);
  const bool ask = member == QLatin1String("HasTrayIcon");
  if ((known == std::end(names) && !ask) || !message.arguments().isEmpty()) {
    connection.send(message.createErrorReply(
        QDBusError::UnknownMethod,
        QStringLiteral("Vistrel knows ToggleFreeze, FreezeAndLock, ShowMenu, Show and "
                       "HasTrayIcon, without arguments")));
    return true;
  }
  if (ask) {
    connection.send(message.createReply(actions_.hasTrayIcon()));
    return true;
  }
  connection.send(message.createReply());
  QTimer::singleShot(0, actions[known - std::begin(names)]);
  return true;
}

}  // namespace vistrel::linux_shell
