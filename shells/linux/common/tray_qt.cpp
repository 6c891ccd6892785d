#include "common/tray_qt.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>
#include <cstdlib>
#include <utility>

#include "common/popup_menu.h"
#include "common/resources_qt.h"
#include "tray/tray_icon_record.h"

namespace vistrel::linux_shell {
namespace {
// Qt shows the icon through a StatusNotifier host when one is registered on the session bus,
// and through the XEmbed tray otherwise; only the first sends no double clicks.
bool StatusNotifierHostPresent() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.interface() &&
         bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}
}  // namespace

QtTray::QtTray(std::function<void(int message)> message) : message_(std::move(message)) {}

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

}  // namespace vistrel::linux_shell
