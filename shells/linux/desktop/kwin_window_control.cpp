#include "desktop/kwin_window_control.h"

#include <unistd.h>

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryFile>
#include <QTimer>
#include <functional>
#include <string>
#include <utility>

namespace vistrel::linux_shell::desktop {
namespace {

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kScripting = QStringLiteral("org.kde.kwin.Scripting");
const QString kReplyPath = QStringLiteral("/example/tarnwell/Vistrel/KWinScript");
const QString kReplyInterface = QStringLiteral("example.tarnwell.Vistrel.KWinScript");
constexpr int kAnswerMs = 3000;

// A JavaScript string literal of any text: JSON's quoting is JavaScript's.
QString Literal(const QString& text) {
  const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// One script from load to unload, driven by the answers as they arrive on the event loop, so
// that no caller waits. KWin scripts can call D-Bus methods: the script reports back to this
// object, on the program's own connection, at a path of its own.
class ScriptRun : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "example.tarnwell.Vistrel.KWinScript")
 public:
  ScriptRun(QObject* owner, int number, DesktopWindowControl::Answer answer)
      : QObject(owner),
        bus_(QDBusConnection::sessionBus()),
        name_(QStringLiteral("vistrel-%1-%2").arg(getpid()).arg(number)),
        path_(QStringLiteral("%1/Run%2").arg(kReplyPath).arg(number)),
        answer_(std::move(answer)) {
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] { Finish(false); });
  }

  // Runs action on every window of this process with the title (normally one); the script
  // says whether there was one. Plasma 6 renamed clientList to windowList; both are tried.
  void Start(const QString& title, const QString& action) {
    file_.setFileTemplate(QDir::tempPath() + QStringLiteral("/vistrel-kwin-XXXXXX.js"));
    if (!file_.open() ||
        !bus_.registerObject(path_, this, QDBusConnection::ExportScriptableSlots)) {
      return Finish(false);
    }
    registered_ = true;
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
                               .arg(Literal(title), action, Literal(bus_.baseService()),
                                    Literal(path_), Literal(kReplyInterface));
    file_.write(script.toUtf8());
    file_.flush();
    timeout_.start(kAnswerMs);
    Then(bus_.asyncCall(QDBusMessage::createMethodCall(kKWin, QStringLiteral("/Scripting"),
                                                       kScripting, QStringLiteral("loadScript"))
                        << file_.fileName() << name_),
         [this](const QDBusMessage& reply) {
           const QList<QVariant> args = reply.arguments();
           bool ok = false;
           const int id = args.isEmpty() ? -1 : args.first().toInt(&ok);
           if (reply.type() == QDBusMessage::ErrorMessage || !ok || id < 0) return Finish(false);
           loaded_ = true;
           // Plasma 6 moved the script objects' paths.
           RunAt({QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)});
         });
  }

 public slots:
  Q_SCRIPTABLE void Done(bool windowFound) { Finish(windowFound); }

 private:
  void Then(const QDBusPendingCall& call, std::function<void(const QDBusMessage&)> next) {
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [next = std::move(next)](QDBusPendingCallWatcher* w) {
              w->deleteLater();
              next(w->reply());
            });
  }

  void RunAt(QStringList paths) {
    if (paths.isEmpty()) return Finish(false);
    const QString path = paths.takeFirst();
    Then(bus_.asyncCall(QDBusMessage::createMethodCall(
             kKWin, path, QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"))),
         [this, paths](const QDBusMessage& reply) {
           if (reply.type() == QDBusMessage::ErrorMessage) RunAt(paths);
         });
  }

  void Finish(bool found) {
    if (finished_) return;
    finished_ = true;
    timeout_.stop();
    if (loaded_) {
      // Nobody waits for the unload's answer.
      bus_.send(QDBusMessage::createMethodCall(kKWin, QStringLiteral("/Scripting"), kScripting,
                                               QStringLiteral("unloadScript"))
                << name_);
    }
    if (registered_) bus_.unregisterObject(path_);
    deleteLater();
    if (answer_) answer_(found);
  }

  QDBusConnection bus_;
  QString name_;
  QString path_;
  DesktopWindowControl::Answer answer_;
  QTemporaryFile file_;
  QTimer timeout_;
  bool registered_ = false;
  bool loaded_ = false;
  bool finished_ = false;
};

class KWinWindowControl : public DesktopWindowControl {
 public:
  explicit KWinWindowControl(const char* title) : title_(QString::fromUtf8(title)) {}

  void Move(int x, int y, Answer answer) override {
    Run(QStringLiteral("var g = w.frameGeometry;"
                       " w.frameGeometry = {x: %1, y: %2, width: g.width, height: g.height};")
            .arg(x)
            .arg(y),
        std::move(answer));
  }

  void KeepAbove(bool above, Answer answer) override {
    Run(QStringLiteral("w.keepAbove = %1;")
            .arg(above ? QStringLiteral("true") : QStringLiteral("false")),
        std::move(answer));
  }

 private:
  void Run(const QString& action, Answer answer) {
    // Owned by runs_, so that no answer comes once the control is gone.
    (new ScriptRun(&runs_, ++count_, std::move(answer)))->Start(title_, action);
  }

  QString title_;
  QObject runs_;
  int count_ = 0;
};

}  // namespace

std::unique_ptr<DesktopWindowControl> MakeKWinWindowControl(const char* windowTitle) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(kKWin).value()) return nullptr;
  return std::make_unique<KWinWindowControl>(windowTitle);
}

}  // namespace vistrel::linux_shell::desktop

#include "kwin_window_control.moc"
