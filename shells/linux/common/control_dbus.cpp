#include "common/control_dbus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QTimer>

namespace vistrel::linux_shell {
namespace {
const QString kService = QStringLiteral("example.tarnwell.Vistrel");
const QString kPath = QStringLiteral("/example/tarnwell/Vistrel");
const QString kInterface = QStringLiteral("example.tarnwell.Vistrel");
}  // namespace

DBusControl::DBusControl(std::function<void(int)> action, std::function<void()> showMenu)
    : action_(std::move(action)), showMenu_(std::move(showMenu)) {}

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
      "</interface>");
}

bool DBusControl::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
  if (message.type() != QDBusMessage::MethodCallMessage || message.path() != kPath) return false;
  if (!message.interface().isEmpty() && message.interface() != kInterface) return false;
  int binding = -1;
  if (message.member() == QLatin1String("ToggleFreeze")) binding = 0;
  if (message.member() == QLatin1String("FreezeAndLock")) binding = 1;
  constexpr int kShowMenu = 2;
  if (message.member() == QLatin1String("ShowMenu")) binding = kShowMenu;
  if (binding < 0 || !message.arguments().isEmpty()) {
    connection.send(message.createErrorReply(
        QDBusError::UnknownMethod,
        QStringLiteral(
            "Vistrel knows ToggleFreeze, FreezeAndLock and ShowMenu, without arguments")));
    return true;
  }
  connection.send(message.createReply());
  QTimer::singleShot(0, [this, binding] {
    if (binding == kShowMenu) {
      showMenu_();
    } else {
      action_(binding);
    }
  });
  return true;
}

}  // namespace vistrel::linux_shell
