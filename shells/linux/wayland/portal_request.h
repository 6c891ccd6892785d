// One request of an xdg-desktop-portal interface: the portal answers a method call with a
// Request object and later sends the outcome as that object's Response signal. The caller's
// event loop runs until then (a consent dialog may be open meanwhile).
#pragma once

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <cstdint>

namespace vistrel::linux_shell::wayland {

inline const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// How long the portal has to answer a call (not a dialog's answer, which takes the user's time):
// a desktop that does not answer is told apart from one without a portal within seconds, rather
// than after D-Bus's 25.
constexpr int kPortalAnswerMs = 5000;

// Why a call to the portal failed, in the words the user is shown.
enum class PortalFailure {
  kMissing,     // no portal there, or not this interface
  kUnanswered,  // no reply within kPortalAnswerMs
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
// before its first portal call, and only once: every call below goes through here first. Where
// there is no registry, nothing changes.
void RegisterWithPortal(QDBusConnection& bus);

// Calls interface.method(arguments..., options) on the portal, options with a handle_token
// added, and waits for the Response. Subscribes before calling, so that no answer is missed.
PortalResponse CallPortal(QDBusConnection& bus, const QString& interface, const QString& method,
                          QList<QVariant> arguments, QVariantMap options);

}  // namespace vistrel::linux_shell::wayland
