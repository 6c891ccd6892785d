#include "wayland/hotkeys_portal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QObject>
#include <QTimer>
#include <optional>
#include <utility>

#include "hotkey/hotkey_bindings.h"
#include "wayland/portal_request.h"

namespace vistrel::linux_shell::wayland {
namespace {

const QString kGlobalShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// The portal's a(sa{sv}) list of shortcuts.
struct Shortcut {
  QString id;
  QVariantMap properties;
};
using Shortcuts = QList<Shortcut>;

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut) {
  argument.beginStructure();
  argument << shortcut.id << shortcut.properties;
  argument.endStructure();
  return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut) {
  argument.beginStructure();
  argument >> shortcut.id >> shortcut.properties;
  argument.endStructure();
  return argument;
}

}  // namespace
}  // namespace vistrel::linux_shell::wayland

Q_DECLARE_METATYPE(vistrel::linux_shell::wayland::Shortcut)
Q_DECLARE_METATYPE(vistrel::linux_shell::wayland::Shortcuts)

namespace vistrel::linux_shell::wayland {
namespace {

// What the desktop's shortcut settings list for each binding, and the keys asked for, in the
// portal's trigger syntax (upper-case modifiers, the key's XKB keysym name).
struct Offer {
  const char* description;
  const char* trigger;
};
constexpr Offer kOffers[] = {{"Freeze or thaw the magnified view", "ALT+space"},
                             {"Freeze and Lock the magnified view", "ALT+v"}};
static_assert(std::size(kOffers) == hotkey::kBindings.size());

Shortcuts Offered() {
  Shortcuts list;
  for (std::size_t i = 0; i < hotkey::kBindings.size(); ++i) {
    list.append({QString::fromUtf8(hotkey::kBindings[i].name.data(),
                                   static_cast<int>(hotkey::kBindings[i].name.size())),
                 {{QStringLiteral("description"), QString::fromUtf8(kOffers[i].description)},
                  {QStringLiteral("preferred_trigger"), QString::fromUtf8(kOffers[i].trigger)}}});
  }
  return list;
}

int BindingOf(const QString& id) {
  for (std::size_t i = 0; i < hotkey::kBindings.size(); ++i) {
    if (id.toStdString() == hotkey::kBindings[i].name) return static_cast<int>(i);
  }
  return -1;
}

// The ids that came back with a trigger: a binding the user left without keys in the
// desktop's dialog comes back with none, or not at all.
std::vector<bool> Given(const QVariantMap& results) {
  std::vector<bool> given(hotkey::kBindings.size(), false);
  Shortcuts list;
  const QVariant value = results.value(QStringLiteral("shortcuts"));
  if (value.canConvert<QDBusArgument>()) value.value<QDBusArgument>() >> list;
  for (const Shortcut& s : list) {
    const int binding = BindingOf(s.id);
    if (binding >= 0 &&
        !s.properties.value(QStringLiteral("trigger_description")).toString().isEmpty()) {
      given[binding] = true;
    }
  }
  return given;
}

}  // namespace

bool Bound(std::uint32_t code, const QVariantMap& results) {
  if (code == 0) return true;
  // GNOME 48's backend answers a bind the user accepted with an unset code (2 in practice) but
  // with the shortcuts it bound; a refusal (1) or a failure carries none.
  return code != 1 && results.contains(QStringLiteral("shortcuts"));
}

class PortalHotKeys::Receiver : public QObject {
  Q_OBJECT
 public:
  explicit Receiver(PortalHotKeys& owner) : owner_(owner) {}

 public slots:
  // The signal goes to every client of the portal: only this session's count.
  void Activated(const QDBusObjectPath& session, const QString& id) {
    if (session.path() != owner_.session_) return;
    const int binding = BindingOf(id);
    if (binding < 0) return;
    // Handlers may wait (Freeze and Lock) or open boxes: not inside the D-Bus dispatch.
    QTimer::singleShot(0, this, [this, binding] {
      if (!owner_.session_.isEmpty()) owner_.pressed_(binding);
    });
  }

 private:
  PortalHotKeys& owner_;
};

PortalHotKeys::PortalHotKeys(std::function<void(int)> pressed)
    : pressed_(std::move(pressed)), receiver_(std::make_unique<Receiver>(*this)) {
  qDBusRegisterMetaType<Shortcut>();
  qDBusRegisterMetaType<Shortcuts>();
}

PortalHotKeys::~PortalHotKeys() {
  Shutdown();
}

std::vector<std::string> PortalHotKeys::Register() {
  std::optional<std::vector<std::string>> missing;
  QEventLoop loop;
  RegisterThen([&](std::vector<std::string> given) {
    missing = std::move(given);
    loop.quit();
  });
  if (!missing) loop.exec();
  return *missing;
}

void PortalHotKeys::RegisterThen(const std::function<void(std::vector<std::string>)>& registered) {
  Shutdown();
  std::vector<std::string> missing;
  for (const hotkey::Binding& b : hotkey::kBindings) missing.emplace_back(b.description);
  QDBusConnection bus = QDBusConnection::sessionBus();
  available_ = false;
  if (!bus.isConnected()) return registered(missing);
  // Plasma 5.27 takes the shortcuts only from this option of its own; BindShortcuts below is the
  // standard place, which other desktops read.
  RequestPortal(bus, kGlobalShortcuts, QStringLiteral("CreateSession"), {},
                {{QStringLiteral("session_handle_token"), QStringLiteral("vistrel")},
                 {QStringLiteral("shortcuts"), QVariant::fromValue(Offered())}},
                [this, missing, registered](const PortalResponse& created) {
                  // A call that fails (no portal, a backend without GlobalShortcuts, another
                  // desktop's backend that the portal fell back to, a refusal) says nothing of
                  // other programs' keys: the keys stay unavailable and the desktop's own
                  // shortcuts are the way left.
                  if (!created.called || created.code != 0) return registered(missing);
                  session_ = created.results.value(QStringLiteral("session_handle")).toString();
                  Bind(missing, registered);
                });
}

void PortalHotKeys::Bind(const std::vector<std::string>& missing,
                         const std::function<void(std::vector<std::string>)>& registered) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.connect(kPortalService, kPortalPath, kGlobalShortcuts, QStringLiteral("Activated"),
              receiver_.get(), SLOT(Activated(QDBusObjectPath, QString)));
  // GNOME asks the user in a dialog first; the answer comes once it is answered.
  RequestPortal(
      bus, kGlobalShortcuts, QStringLiteral("BindShortcuts"),
      {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(Offered()), QString()},
      {}, [this, missing, registered](const PortalResponse& bound) {
        if (!bound.called || !Bound(bound.code, bound.results)) {
          Shutdown();
          return registered(missing);
        }
        // Only an answer that binds lets a binding without a trigger mean keys held elsewhere.
        available_ = true;
        const std::vector<bool> given = Given(bound.results);
        std::vector<std::string> left;
        for (std::size_t i = 0; i < given.size(); ++i) {
          if (!given[i]) left.emplace_back(hotkey::kBindings[i].description);
        }
        registered(left);
      });
}

void PortalHotKeys::Shutdown() {
  if (session_.isEmpty()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.disconnect(kPortalService, kPortalPath, kGlobalShortcuts, QStringLiteral("Activated"),
                 receiver_.get(), SLOT(Activated(QDBusObjectPath, QString)));
  bus.call(QDBusMessage::createMethodCall(kPortalService, session_,
                                          QStringLiteral("org.freedesktop.portal.Session"),
                                          QStringLiteral("Close")),
           QDBus::Block, kPortalAnswerMs);
  session_.clear();
}

}  // namespace vistrel::linux_shell::wayland

#include "hotkeys_portal.moc"
