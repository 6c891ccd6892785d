#include "screencast_portal.h"

#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QObject>
#include <QVariantMap>

namespace vistrel::x11 {
namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
constexpr std::uint32_t kMonitors = 1;
constexpr std::uint32_t kCursorMetadata = 4;
constexpr std::uint32_t kPersistUntilRevoked = 2;

// Waits for the Response signal of one portal request.
class RequestWaiter : public QObject {
  Q_OBJECT
 public:
  bool done = false;
  std::uint32_t response = 2;
  QVariantMap results;
  QEventLoop loop;

 public slots:
  void Response(uint code, const QVariantMap& values) {
    done = true;
    response = code;
    results = values;
    loop.quit();
  }
};

// One request: subscribes to its Response before calling (the path is known from the token),
// calls, and waits. False with the reason when the call fails or the user refused.
bool Call(QDBusConnection& bus, const QString& method, QList<QVariant> arguments,
          QVariantMap options, QVariantMap& results, std::string& error) {
  static int counter = 0;
  const QString token = QStringLiteral("vistrel%1").arg(++counter);
  options.insert(QStringLiteral("handle_token"), token);
  const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
  const QString path =
      QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
  RequestWaiter waiter;
  bus.connect(kPortal, path, QStringLiteral("org.freedesktop.portal.Request"),
              QStringLiteral("Response"), &waiter, SLOT(Response(uint, QVariantMap)));
  QDBusMessage call = QDBusMessage::createMethodCall(kPortal, kPortalPath, kScreenCast, method);
  arguments.append(options);
  call.setArguments(arguments);
  const QDBusMessage reply = bus.call(call);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    error = "The desktop has no screen cast portal (" + reply.errorMessage().toStdString() + ").";
    return false;
  }
  if (!waiter.done) waiter.loop.exec();
  bus.disconnect(kPortal, path, QStringLiteral("org.freedesktop.portal.Request"),
                 QStringLiteral("Response"), &waiter, SLOT(Response(uint, QVariantMap)));
  if (waiter.response != 0) {
    error = waiter.response == 1 ? "Sharing the screen was refused."
                                 : "The desktop could not share the screen.";
    return false;
  }
  results = waiter.results;
  return true;
}

std::vector<ScreenCastStream> Streams(const QVariant& value) {
  std::vector<ScreenCastStream> streams;
  const QDBusArgument argument = value.value<QDBusArgument>();
  argument.beginArray();
  while (!argument.atEnd()) {
    ScreenCastStream stream;
    QVariantMap properties;
    argument.beginStructure();
    argument >> stream.node >> properties;
    argument.endStructure();
    const auto pair = [&](const char* name, int& a, int& b) {
      const QDBusArgument inner = properties.value(QLatin1String(name)).value<QDBusArgument>();
      if (inner.currentType() != QDBusArgument::StructureType) return;
      inner.beginStructure();
      inner >> a >> b;
      inner.endStructure();
    };
    pair("position", stream.x, stream.y);
    pair("size", stream.width, stream.height);
    streams.push_back(stream);
  }
  argument.endArray();
  return streams;
}

}  // namespace

std::optional<ScreenCastSession> OpenScreenCast(const std::string& restoreToken,
                                                std::string& error) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    error = "There is no session bus, so the desktop can not be asked for the screen.";
    return std::nullopt;
  }
  QVariantMap results;
  if (!Call(bus, QStringLiteral("CreateSession"), {},
            {{QStringLiteral("session_handle_token"), QStringLiteral("vistrel")}}, results,
            error)) {
    return std::nullopt;
  }
  const QDBusObjectPath session(results.value(QStringLiteral("session_handle")).toString());
  QVariantMap select{{QStringLiteral("types"), kMonitors},
                     {QStringLiteral("multiple"), true},
                     {QStringLiteral("cursor_mode"), kCursorMetadata},
                     {QStringLiteral("persist_mode"), kPersistUntilRevoked}};
  if (!restoreToken.empty()) {
    select.insert(QStringLiteral("restore_token"), QString::fromStdString(restoreToken));
  }
  if (!Call(bus, QStringLiteral("SelectSources"), {QVariant::fromValue(session)}, select, results,
            error) ||
      !Call(bus, QStringLiteral("Start"), {QVariant::fromValue(session), QString()}, {}, results,
            error)) {
    return std::nullopt;
  }
  ScreenCastSession cast;
  cast.streams = Streams(results.value(QStringLiteral("streams")));
  cast.restoreToken = results.value(QStringLiteral("restore_token")).toString().toStdString();
  QDBusMessage open = QDBusMessage::createMethodCall(kPortal, kPortalPath, kScreenCast,
                                                     QStringLiteral("OpenPipeWireRemote"));
  open.setArguments({QVariant::fromValue(session), QVariantMap()});
  const QDBusReply<QDBusUnixFileDescriptor> fd = bus.call(open);
  if (!fd.isValid() || cast.streams.empty()) {
    error = "The desktop shared no screen.";
    return std::nullopt;
  }
  cast.pipewireFd = dup(fd.value().fileDescriptor());
  return cast;
}

}  // namespace vistrel::x11

#include "screencast_portal.moc"
