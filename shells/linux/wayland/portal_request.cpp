#include "wayland/portal_request.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QObject>
#include <cstdio>

#include "common/desktop_id.h"

namespace vistrel::linux_shell::wayland {
namespace {

class ResponseWaiter : public QObject {
  Q_OBJECT
 public:
  bool done = false;
  std::uint32_t code = 2;
  QVariantMap results;
  QEventLoop loop;

 public slots:
  void Response(uint response, const QVariantMap& values) {
    done = true;
    code = response;
    results = values;
    loop.quit();
  }
};

const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
// The registry answers at once; a portal that hangs is found out by the call after this one.
constexpr int kRegisterMs = 3000;

}  // namespace

PortalFailure FailureOf(const QDBusError& error) {
  switch (error.type()) {
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
      return PortalFailure::kUnanswered;
    case QDBusError::ServiceUnknown:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownProperty:
      return PortalFailure::kMissing;
    default:
      return PortalFailure::kFailed;
  }
}

QDBusMessage CallAnswered(QDBusConnection& bus, const QDBusMessage& call, int timeoutMs) {
  QDBusPendingCallWatcher watcher(bus.asyncCall(call, timeoutMs));
  if (!watcher.isFinished()) {
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return watcher.reply();
}

void RegisterWithPortal(QDBusConnection& bus) {
  static bool asked = false;
  if (asked) return;
  asked = true;
  QDBusMessage call = QDBusMessage::createMethodCall(
      kPortalService, kPortalPath, QStringLiteral("org.freedesktop.host.portal.Registry"),
      QStringLiteral("Register"));
  call.setArguments({QString::fromLatin1(kDesktopId), QVariantMap()});
  const QDBusMessage reply = CallAnswered(bus, call, kRegisterMs);
  if (reply.type() != QDBusMessage::ErrorMessage) return;
  // An older portal, or none: it knows the program as it always did.
  if (FailureOf(QDBusError(reply)) == PortalFailure::kMissing) return;
  // Qt 6.11 and later register the desktop file name themselves, before anything else asks the
  // portal (main.cpp sets it before the application object), so the name is ours already.
  if (reply.errorMessage().contains(QStringLiteral("already associated"))) return;
  std::fprintf(stderr, "Vistrel could not give the desktop's portal its name: %s\n",
               qPrintable(reply.errorMessage()));
}

PortalResponse CallPortal(QDBusConnection& bus, const QString& interface, const QString& method,
                          QList<QVariant> arguments, QVariantMap options) {
  RegisterWithPortal(bus);
  static int counter = 0;
  const QString token = QStringLiteral("vistrel_request%1").arg(++counter);
  options.insert(QStringLiteral("handle_token"), token);
  // The Request's path follows from the caller's unique name and the token.
  const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
  const QString path = kPortalPath + QStringLiteral("/request/%1/%2").arg(sender, token);
  ResponseWaiter waiter;
  bus.connect(kPortalService, path, kRequest, QStringLiteral("Response"), &waiter,
              SLOT(Response(uint, QVariantMap)));
  QDBusMessage call =
      QDBusMessage::createMethodCall(kPortalService, kPortalPath, interface, method);
  arguments.append(options);
  call.setArguments(arguments);
  const QDBusMessage reply = CallAnswered(bus, call);
  PortalResponse response;
  if (reply.type() == QDBusMessage::ErrorMessage) {
    response.callError = QDBusError(reply);
  } else {
    response.called = true;
    if (!waiter.done) waiter.loop.exec();
    response.code = waiter.code;
    response.results = waiter.results;
  }
  bus.disconnect(kPortalService, path, kRequest, QStringLiteral("Response"), &waiter,
                 SLOT(Response(uint, QVariantMap)));
  return response;
}

}  // namespace vistrel::linux_shell::wayland

#include "portal_request.moc"
