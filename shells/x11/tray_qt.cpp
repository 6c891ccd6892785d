#include "tray_qt.h"

#include <xcb/xfixes.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>
#include <cstdlib>
#include <string>
#include <utility>

#include "popup_menu.h"
#include "resources_qt.h"
#include "tray/tray_icon_record.h"

namespace vistrel::x11 {
namespace {
// Qt shows the icon through a StatusNotifier host when one is registered on the session bus,
// and through the XEmbed tray otherwise; only the first sends no double clicks.
bool StatusNotifierHostPresent() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.interface() &&
         bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}
}  // namespace

QtTray::QtTray(const Connection* x, std::function<void(int message)> message,
               std::function<void()> hostChanged)
    : x_(x), message_(std::move(message)), hostChanged_(std::move(hostChanged)) {}

QtTray::~QtTray() = default;

bool QtTray::NotifyIcon(std::uint32_t message, const TrayIconRecord& record) {
  if (message == kNimDelete) {
    if (icon_) icon_->hide();
    return icon_ != nullptr;
  }
  if (message != kNimAdd) return false;
  if (!icon_) {
    icon_ = std::make_unique<QSystemTrayIcon>(resources::MagnifierIcon());
    statusNotifierHost_ = StatusNotifierHostPresent();
    QObject::connect(
        icon_.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
          TrayActivation activation = TrayActivation::kOther;
          switch (reason) {
            case QSystemTrayIcon::DoubleClick:
              activation = TrayActivation::kDoubleClick;
              break;
            case QSystemTrayIcon::Context:
              activation = TrayActivation::kContextMenu;
              break;
            case QSystemTrayIcon::Trigger:
              activation = TrayActivation::kClick;
              break;
            default:
              break;
          }
          const std::optional<std::int32_t> number = TrayMessageOf(activation, statusNotifierHost_);
          if (!number) return;
          // After the press handler has returned: the core may open a menu or a
          // modal dialog, which must not run inside Qt's mouse handling.
          QTimer::singleShot(0, [this, n = *number] { message_(n); });
        });
    if (statusNotifierHost_) ExportMenu();
    WatchTrayHost();
  }
  icon_->setToolTip(
      QString::fromLatin1(record.Tip().data(), static_cast<int>(record.Tip().size())));
  icon_->show();
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTray::ExportMenu() {
  exportedMenu_ = std::make_unique<QMenu>();
  FillMenu(*exportedMenu_);
  QObject::connect(exportedMenu_.get(), &QMenu::triggered, [this](QAction* action) {
    const MenuItem item = ItemOf(*action);
    // After the host's call has been answered, like the clicks above.
    QTimer::singleShot(0, [this, item] {
      chosen_ = item;
      message_(kTrayRightButtonUp);
      // Not taken when the core was busy with another tray command: dropped, as it drops that
      // click, so that it cannot answer a later right click.
      chosen_.reset();
    });
  });
  icon_->setContextMenu(exportedMenu_.get());
}

void QtTray::SyncMenu(const MenuState& state) {
  if (exportedMenu_) ApplyMenuState(*exportedMenu_, state);
}

std::optional<MenuItem> QtTray::TakeChosenEntry() {
  return std::exchange(chosen_, std::nullopt);
}

void QtTray::WatchTrayHost() {
  if (!x_) return;
  xcb_connection_t* c = x_->Get();
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xfixes_id);
  if (!ext || !ext->present) return;
  // The version must be agreed before any other XFIXES request; its answer is not needed.
  XcbPtr<xcb_xfixes_query_version_reply_t>(
      xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
  xfixesEvent_ = ext->first_event;
  selection_ = x_->Atom("_NET_SYSTEM_TRAY_S" + std::to_string(x_->ScreenNumber()));
  // A window of our own to receive the notifications on; the root's event mask is Qt's.
  const xcb_window_t watcher = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, watcher, x_->Root(), -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_xfixes_select_selection_input(c, watcher, selection_,
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
  xcb_flush(c);
}

bool QtTray::HandleXEvent(const void* event) {
  if (!xfixesEvent_) return false;
  const auto* generic = static_cast<const xcb_generic_event_t*>(event);
  if ((generic->response_type & 0x7f) != xfixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY) return false;
  const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(event);
  if (notify->selection != selection_ || notify->owner == XCB_NONE) return false;
  // Let Qt dock its icon window with the new host first, then tell the core.
  QTimer::singleShot(0, [this] { hostChanged_(); });
  return false;
}

}  // namespace vistrel::x11
