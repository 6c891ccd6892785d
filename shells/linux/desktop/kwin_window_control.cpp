#include "desktop/kwin_window_control.h"

#include <unistd.h>

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryFile>
#include <QTimer>
#include <string>

namespace vistrel::linux_shell::desktop {
namespace {

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kScripting = QStringLiteral("org.kde.kwin.Scripting");
const QString kReplyPath = QStringLiteral("/example/tarnwell/Vistrel/KWinScript");
const QString kReplyInterface = QStringLiteral("example.tarnwell.Vistrel.KWinScript");
constexpr int kAnswerMs = 3000;

// Where a script reports back: KWin scripts can call D-Bus methods, and this object takes the
// call on the program's own connection.
class ScriptReply : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "example.tarnwell.Vistrel.KWinScript")
 public:
  bool answered = false;
  bool found = false;
  QEventLoop loop;

 public slots:
  Q_SCRIPTABLE void Done(bool windowFound) {
    answered = true;
    found = windowFound;
    loop.quit();
  }
};

// A JavaScript string literal of any text: JSON's quoting is JavaScript's.
QString Literal(const QString& text) {
  const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(array.mid(1, array.size() - 2));
}

class KWinWindowControl : public DesktopWindowControl {
 public:
  explicit KWinWindowControl(const char* title) : title_(QString::fromUtf8(title)) {}

  bool Move(int x, int y) override {
    return Run(
        QStringLiteral("var g = w.frameGeometry;"
                       " w.frameGeometry = {x: %1, y: %2, width: g.width, height: g.height};")
            .arg(x)
            .arg(y));
  }

  bool KeepAbove(bool above) override {
    return Run(QStringLiteral("w.keepAbove = %1;")
                   .arg(above ? QStringLiteral("true") : QStringLiteral("false")));
  }

 private:
  // Runs action on every window of this process with the title (normally one), and waits for
  // the script to say whether there was one. Plasma 6 renamed clientList to windowList and moved
  // the script objects' paths; both are tried.
  bool Run(const QString& action) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/vistrel-kwin-XXXXXX.js"));
    if (!file.open()) return false;
    const QString script = QStringLiteral(
                               "(function () {\n"
                               "  var found = false;\n"
                               "  var list = workspace.windowList ? workspace.windowList() : "
                               "workspace.clientList();\n"
                               "  for (var i = 0; i < list.length; ++i) {\n"
                               "    var w = list[i];\n"
                               "    if (w.pid !== %1 || w.caption !== %2) continue;\n"
                               "    %3\n"
                               "    found = true;\n"
                               "  }\n"
                               "  callDBus(%4, %5, %6, \"Done\", found);\n"
                               "})();\n")
                               .arg(getpid())
                               .arg(Literal(title_), action, Literal(bus.baseService()),
                                    Literal(kReplyPath), Literal(kReplyInterface));
    file.write(script.toUtf8());
    file.flush();

    ScriptReply reply;
    if (!bus.registerObject(kReplyPath, &reply, QDBusConnection::ExportScriptableSlots)) {
      return false;
    }
    const QString name = QStringLiteral("vistrel-%1-%2").arg(getpid()).arg(++runs_);
    const QDBusReply<int> id =
        bus.call(QDBusMessage::createMethodCall(kKWin, QStringLiteral("/Scripting"), kScripting,
                                                QStringLiteral("loadScript"))
                 << file.fileName() << name);
    if (id.isValid() && id.value() >= 0) {
      for (const QString& path : {QStringLiteral("/Scripting/Script%1").arg(id.value()),
                                  QStringLiteral("/%1").arg(id.value())}) {
        const QDBusMessage run = bus.call(QDBusMessage::createMethodCall(
            kKWin, path, QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run")));
        if (run.type() != QDBusMessage::ErrorMessage) break;
      }
      if (!reply.answered) {
        QTimer::singleShot(kAnswerMs, &reply.loop, &QEventLoop::quit);
        reply.loop.exec();
      }
      bus.call(QDBusMessage::createMethodCall(kKWin, QStringLiteral("/Scripting"), kScripting,
                                              QStringLiteral("unloadScript"))
               << name);
    }
    bus.unregisterObject(kReplyPath);
    return reply.found;
  }

  QString title_;
  int runs_ = 0;
};

}  // namespace

std::unique_ptr<DesktopWindowControl> MakeKWinWindowControl(const char* windowTitle) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kKWin).value()) return nullptr;
  return std::make_unique<KWinWindowControl>(windowTitle);
}

}  // namespace vistrel::linux_shell::desktop

#include "kwin_window_control.moc"
