#include "wayland/screencast_portal.h"

#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QObject>
#include <QVariantMap>
#include <utility>

#include "wayland/portal_request.h"

namespace vistrel::linux_shell::wayland {
namespace {

const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");
constexpr std::uint32_t kMonitors = 1;
constexpr std::uint32_t kCursorMetadata = 4;
constexpr std::uint32_t kPersistUntilRevoked = 2;

// Why a call failed, for the user: only a portal that is not there is called missing.
void Explain(const QDBusError& failure, ScreenCastError& error) {
  const std::string detail = " (" + failure.message().toStdString() + ").";
  switch (FailureOf(failure)) {
    case PortalFailure::kUnanswered:
      error.unanswered = true;
      error.text = "The desktop has not answered the screen-sharing request.";
      return;
    case PortalFailure::kMissing:
      error.text = "The desktop has no screen cast portal" + detail;
      return;
    case PortalFailure::kFailed:
      error.text = "The desktop could not share the screen" + detail;
      return;
  }
}

// One request; false with the reason when the call fails or the user refused.
bool Call(QDBusConnection& bus, const QString& method, QList<QVariant> arguments,
          QVariantMap options, QVariantMap& results, ScreenCastError& error) {
  const PortalResponse response =
      CallPortal(bus, kScreenCast, method, std::move(arguments), std::move(options));
  if (!response.called) {
    Explain(response.callError, error);
    return false;
  }
  if (response.code != 0) {
    error.refused = response.code == 1;
    error.text = error.refused ? "Sharing the screen was refused."
                               : "The desktop could not share the screen.";
    return false;
  }
  results = response.results;
  return true;
}

// Whether the desktop can tell where the pointer is on a shared screen: the view follows it.
bool OffersCursorMetadata(QDBusConnection& bus, ScreenCastError& error) {
  RegisterWithPortal(bus);
  QDBusMessage get = QDBusMessage::createMethodCall(
      kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get.setArguments({kScreenCast, QStringLiteral("AvailableCursorModes")});
  const QDBusMessage reply = CallAnswered(bus, get);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    // A portal without the ScreenCast interface says so as invalid arguments of Get.
    const QDBusError failure(reply);
    if (failure.type() == QDBusError::InvalidArgs) {
      error.text =
          "The desktop has no screen cast portal (" + failure.message().toStdString() + ").";
    } else {
      Explain(failure, error);
    }
    return false;
  }
  const uint modes = reply.arguments().value(0).value<QDBusVariant>().variant().toUInt();
  if ((modes & kCursorMetadata) == 0) {
    error.text = "The desktop shares the screen but does not tell where the pointer is on it.";
    return false;
  }
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

void CloseSession(QDBusConnection& bus, const QString& handle) {
  // Not waited for: a session the desktop already ended answers with an error, which is fine.
  bus.send(
      QDBusMessage::createMethodCall(kPortalService, handle, kSession, QStringLiteral("Close")));
}

class ClosedReceiver : public QObject {
  Q_OBJECT
 public:
  explicit ClosedReceiver(std::function<void()> closed) : closed_(std::move(closed)) {}

 public slots:
  void Closed(const QVariantMap&) {
    if (closed_) std::exchange(closed_, nullptr)();
  }

 private:
  std::function<void()> closed_;
};

}  // namespace

std::optional<ScreenCastSession> OpenScreenCast(const std::string& restoreToken,
                                                ScreenCastError& error) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    error.text = "There is no session bus, so the desktop can not be asked for the screen.";
    return std::nullopt;
  }
  if (!OffersCursorMetadata(bus, error)) return std::nullopt;
  QVariantMap results;
  // A session's handle is made of its token alone, and KDE's backend refuses a second session at
  // the handle of the first: the hot keys' session keeps "vistrel", which Plasma also shows as
  // the name of their shortcuts, and each cast has a handle of its own, since the one before
  // may not be gone yet.
  static int casts = 0;
  if (!Call(bus, QStringLiteral("CreateSession"), {},
            {{QStringLiteral("session_handle_token"),
              QStringLiteral("vistrel_screencast%1").arg(++casts)}},
            results, error)) {
    return std::nullopt;
  }
  const QString handle = results.value(QStringLiteral("session_handle")).toString();
  const QDBusObjectPath session(handle);
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
    CloseSession(bus, handle);
    return std::nullopt;
  }
  ScreenCastSession cast;
  cast.streams = Streams(results.value(QStringLiteral("streams")));
  cast.restoreToken = results.value(QStringLiteral("restore_token")).toString().toStdString();
  QDBusMessage open = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kScreenCast,
                                                     QStringLiteral("OpenPipeWireRemote"));
  open.setArguments({QVariant::fromValue(session), QVariantMap()});
  const QDBusMessage opened = CallAnswered(bus, open);
  const QDBusReply<QDBusUnixFileDescriptor> fd(opened);
  if (!fd.isValid() || cast.streams.empty()) {
    if (opened.type() == QDBusMessage::ErrorMessage) {
      Explain(QDBusError(opened), error);
    } else {
      error.text = "The desktop shared no screen.";
    }
    CloseSession(bus, handle);
    return std::nullopt;
  }
  cast.pipewireFd = dup(fd.value().fileDescriptor());
  cast.handle = handle.toStdString();
  return cast;
}

ScreenCastSessionWatch::ScreenCastSessionWatch(std::string handle, std::function<void()> closed)
    : handle_(std::move(handle)), receiver_(std::make_unique<ClosedReceiver>(std::move(closed))) {
  QDBusConnection::sessionBus().connect(kPortalService, QString::fromStdString(handle_), kSession,
                                        QStringLiteral("Closed"), receiver_.get(),
                                        SLOT(Closed(QVariantMap)));
}

ScreenCastSessionWatch::~ScreenCastSessionWatch() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.disconnect(kPortalService, QString::fromStdString(handle_), kSession,
                 QStringLiteral("Closed"), receiver_.get(), SLOT(Closed(QVariantMap)));
  CloseSession(bus, QString::fromStdString(handle_));
}

}  // namespace vistrel::linux_shell::wayland

#include "screencast_portal.moc"
