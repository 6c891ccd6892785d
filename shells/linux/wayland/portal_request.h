// One request of an xdg-desktop-portal interface: the portal answers a method call with a
// Request object and later sends the outcome as that object's Response signal (a consent dialog
// may be open meanwhile), within bounds. A caller either is told the outcome from the event
// loop, or runs the event loop until then; the hot keys are told, so that their requests never
// wait inside the screen cast's wait, nor its inside theirs (a wait can not end before the one
// inside it).
#pragma once

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <cstdint>
#include <functional>

namespace vistrel::linux_shell::wayland {

inline const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// How long the portal has to answer a call (not a dialog's answer, which takes the user's time):
// a desktop that does not answer is told apart from one without a portal within seconds, rather
// than after D-Bus's 25.
constexpr int kPortalAnswerMs = 5000;

// How long a request's outcome may take, a dialog's answer included: a desktop that never sends
// it is told apart from a user who takes their time.
constexpr int kPortalResponseMs = 180'000;

// Why a call to the portal failed, in the words the user is shown.
enum class PortalFailure {
  kMissing,     // no portal there, or not this interface
  kUnanswered,  // no reply within kPortalAnswerMs, or no outcome within kPortalResponseMs
  kFailed,      // any other error
};
PortalFailure FailureOf(const QDBusError& error);

// Sends call and runs the event loop until its reply, at most kPortalAnswerMs: the window stays
// alive meanwhile.
QDBusMessage CallAnswered(QDBusConnection& bus, const QDBusMessage& call,
                          int timeoutMs = kPortalAnswerMs);

struct PortalResponse {
  bool called = false;  // false: the call itself failed
  QDBusError callError;
  std::uint32_t code = 2;  // the Response's code: 0 granted, 1 refused by the user, 2 other
  QVariantMap results;
};

// Names the program to the portal through its host app registry (xdg-desktop-portal 1.19 and
// later) under its desktop file's id, so that the desktop's dialogs and shortcut settings show
// the program's name, not a name the portal made up. The registry takes a connection only
// before its first portal call, and only once: every call below goes through here first (sent,
// not waited for: the bus keeps one connection's calls in order). Where there is no registry,
// nothing changes.
void RegisterWithPortal(QDBusConnection& bus);

// Calls interface.method(arguments..., options) on the portal, options with a handle_token
// added, and tells done the outcome, from the event loop. Subscribes before calling, so that no
// answer is missed. A Response that does not come within kPortalResponseMs is a call
// unanswered, and the request is closed (a dialog still up goes).
void RequestPortal(QDBusConnection& bus, const QString& interface, const QString& method,
                   QList<QVariant> arguments, QVariantMap options,
                   std::function<void(const PortalResponse&)> done);
// The same, waiting for the outcome.
PortalResponse CallPortal(QDBusConnection& bus, const QString& interface, const QString& method,
                          QList<QVariant> arguments, QVariantMap options);

}  // namespace vistrel::linux_shell::wayland
