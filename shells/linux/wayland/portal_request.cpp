#include "wayland/portal_request.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <utility>

#include "common/desktop_id.h"

namespace vistrel::linux_shell::wayland {
namespace {

// One request under way: it tells its outcome once, and goes.
class Request : public QObject {
  Q_OBJECT
 public:
  Request(QDBusConnection bus, QString path, std::function<void(const PortalResponse&)> done)
      : bus_(std::move(bus)), path_(std::move(path)), done_(std::move(done)) {}
  void Called(const QDBusMessage& reply);
  void Finish(const PortalResponse& response);

 public slots:
  void Response(uint code, const QVariantMap& results) {
    PortalResponse response;
    response.called = true;
    response.code = code;
    response.results = results;
    Finish(response);
  }

 private:
  QDBusConnection bus_;
  QString path_;
  std::function<void(const PortalResponse&)> done_;
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

void Request::Called(const QDBusMessage& reply) {
  if (reply.type() == QDBusMessage::ErrorMessage) {
    PortalResponse response;
    response.callError = QDBusError(reply);
    Finish(response);
    return;
  }
  // The Request the portal made (an old portal's path may differ from the one foreseen).
  const QString made = reply.arguments().value(0).value<QDBusObjectPath>().path();
  QTimer::singleShot(kPortalResponseMs, this, [this, made] {
    bus_.send(QDBusMessage::createMethodCall(kPortalService, made.isEmpty() ? path_ : made,
                                             kRequest, QStringLiteral("Close")));
    PortalResponse response;
    response.callError = QDBusError(QDBusError::NoReply, QStringLiteral("no answer in time"));
    Finish(response);
  });
}

void Request::Finish(const PortalResponse& response) {
  if (!done_) return;
  bus_.disconnect(kPortalService, path_, kRequest, QStringLiteral("Response"), this,
                  SLOT(Response(uint, QVariantMap)));
  deleteLater();
  std::exchange(done_, nullptr)(response);
}

void RegisterWithPortal(QDBusConnection& bus) {
  static bool asked = false;
  if (asked) return;
  asked = true;
  QDBusMessage call = QDBusMessage::createMethodCall(
      kPortalService, kPortalPath, QStringLiteral("org.freedesktop.host.portal.Registry"),
      QStringLiteral("Register"));
  call.setArguments({QString::fromLatin1(kDesktopId), QVariantMap()});
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kRegisterMs));
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [watcher] {
    watcher->deleteLater();
    const QDBusMessage reply = watcher->reply();
    if (reply.type() != QDBusMessage::ErrorMessage) return;
    // An older portal, or none: it knows the program as it always did.
    if (FailureOf(QDBusError(reply)) == PortalFailure::kMissing) return;
    // Qt 6.11 and later register the desktop file name themselves, before anything else asks
    // the portal (main.cpp sets it before the application object), so the name is ours already.
    if (reply.errorMessage().contains(QStringLiteral("already associated"))) return;
    std::fprintf(stderr, "Vistrel could not give the desktop's portal its name: %s\n",
                 qPrintable(reply.errorMessage()));
  });
}

void RequestPortal(QDBusConnection& bus, const QString& interface, const QString& method,
                   QList<QVariant> arguments, QVariantMap options,
                   std::function<void(const PortalResponse&)> done) {
  RegisterWithPortal(bus);
  static int counter = 0;
  const QString token = QStringLiteral("vistrel_request%1").arg(++counter);
  options.insert(QStringLiteral("handle_token"), token);
  // The Request's path follows from the caller's unique name and the token.
  const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
  const QString path = kPortalPath + QStringLiteral("/request/%1/%2").arg(sender, token);
  auto* request = new Request(bus, path, std::move(done));
  bus.connect(kPortalService, path, kRequest, QStringLiteral("Response"), request,
              SLOT(Response(uint, QVariantMap)));
  QDBusMessage call =
      QDBusMessage::createMethodCall(kPortalService, kPortalPath, interface, method);
  arguments.append(options);
  call.setArguments(arguments);
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kPortalAnswerMs), request);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, request,
                   [request, watcher] { request->Called(watcher->reply()); });
}

PortalResponse CallPortal(QDBusConnection& bus, const QString& interface, const QString& method,
                          QList<QVariant> arguments, QVariantMap options) {
  std::optional<PortalResponse> response;
  QEventLoop loop;
  RequestPortal(bus, interface, method, std::move(arguments), std::move(options),
                [&](const PortalResponse& outcome) {
                  response = outcome;
                  loop.quit();
                });
  if (!response) loop.exec();
  return *response;
}

}  // namespace vistrel::linux_shell::wayland

#include "portal_request.moc"
