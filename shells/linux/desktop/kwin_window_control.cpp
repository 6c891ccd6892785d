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
#include <QPoint>
#include <QStringList>
#include <QTemporaryFile>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace vistrel::linux_shell::desktop {
namespace {

const QString kKWin = QStringLiteral("org.kde.KWin");
const QString kScripting = QStringLiteral("org.kde.kwin.Scripting");
const QString kReplyPath = QStringLiteral("/example/tarnwell/Vistrel/KWinScript");
const QString kReplyInterface = QStringLiteral("example.tarnwell.Vistrel.KWinScript");
const QString kWatchPath = QStringLiteral("/example/tarnwell/Vistrel/KWinPlace");
const QString kWatchInterface = QStringLiteral("example.tarnwell.Vistrel.KWinPlace");
const QString kWatchName = QStringLiteral("vistrel-place-watch");
constexpr int kAnswerMs = 3000;
// How long the program's end waits for KWin to take its scripts back.
constexpr int kWithdrawMs = 1000;

// A JavaScript string literal of any text: JSON's quoting is JavaScript's.
QString Literal(const QString& text) {
  const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// Calls next with the answer to call when it arrives, unless context is gone by then.
void Then(QObject* context, const QDBusPendingCall& call,
          std::function<void(const QDBusMessage&)> next) {
  auto* watcher = new QDBusPendingCallWatcher(call, context);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                   [next = std::move(next)](QDBusPendingCallWatcher* w) {
                     w->deleteLater();
                     next(w->reply());
                   });
}

QDBusMessage ScriptingCall(const QString& method) {
  return QDBusMessage::createMethodCall(kKWin, QStringLiteral("/Scripting"), kScripting, method);
}

QDBusMessage Unloading(const QString& name) {
  return ScriptingCall(QStringLiteral("unloadScript")) << name;
}

// Loads the script file under name and runs it. onLoad learns whether KWin loaded it and says
// whether to go on; failed runs when KWin refused the load or the run.
void LoadAndRun(QObject* context, const QString& file, const QString& name,
                std::function<bool(bool loaded)> onLoad, std::function<void()> failed) {
  Then(
      context,
      QDBusConnection::sessionBus().asyncCall(ScriptingCall(QStringLiteral("loadScript"))
                                              << file << name),
      [context, onLoad = std::move(onLoad), failed = std::move(failed)](const QDBusMessage& reply) {
        const QList<QVariant> args = reply.arguments();
        bool ok = false;
        const int id = args.isEmpty() ? -1 : args.first().toInt(&ok);
        const bool loaded = reply.type() != QDBusMessage::ErrorMessage && ok && id >= 0;
        if (!onLoad(loaded)) return;
        if (!loaded) return failed();
        // Plasma 6 moved the script objects' paths.
        const auto run = [context](const QString& path, std::function<void()> otherwise) {
          Then(context,
               QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
                   kKWin, path, QStringLiteral("org.kde.kwin.Script"), QStringLiteral("run"))),
               [otherwise = std::move(otherwise)](const QDBusMessage& answer) {
                 if (answer.type() == QDBusMessage::ErrorMessage) otherwise();
               });
        };
        run(QStringLiteral("/Scripting/Script%1").arg(id),
            [run, id, failed] { run(QStringLiteral("/%1").arg(id), failed); });
      });
}

// Whether the window w of a script is this process's window with the title. The program's boxes
// bear its title too, but have a fixed size, which the window has not.
QString IsOurs(const QString& title) {
  return QStringLiteral("w.pid === %1 && w.caption === %2 && w.resizeable")
      .arg(getpid())
      .arg(Literal(title));
}

// The windows of this process with the title (normally one) as the variable w in a script.
QString ForEachWindow(const QString& title, const QString& body) {
  return QStringLiteral(
             "  var list = workspace.windowList ? workspace.windowList() : "
             "workspace.clientList();\n"
             "  for (var i = 0; i < list.length; ++i) {\n"
             "    var w = list[i];\n"
             "    if (!(%1)) continue;\n"
             "    %2\n"
             "  }\n")
      .arg(IsOurs(title), body);
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
  // Gone with the control before KWin answered the load.
  ~ScriptRun() override {
    if (loading_) Unload();
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
    const QString script =
        QStringLiteral(
            "(function () {\n  var found = false;\n%1  callDBus(%2, %3, %4, \"Done\", "
            "found);\n})();\n")
            .arg(ForEachWindow(title, action + QStringLiteral(" found = true;")),
                 Literal(bus_.baseService()), Literal(path_), Literal(kReplyInterface));
    file_.write(script.toUtf8());
    file_.flush();
    timeout_.start(kAnswerMs);
    loading_ = true;
    LoadAndRun(
        this, file_.fileName(), name_,
        [this](bool loaded) {
          loading_ = false;
          loaded_ = loaded;
          if (!finished_) return true;
          // Answered only after the wait was given up: whatever KWin made of it goes (an error
          // may be the call's own timeout, with the load still to come).
          Unload();
          deleteLater();
          return false;
        },
        [this] { Finish(false); });
  }

  // Nobody waits for the unload's answer. It comes after the load on the same connection, so
  // KWin has the script by then if it loads it at all.
  void Unload() { bus_.send(Unloading(name_)); }
  const QString& Name() const { return name_; }

 public slots:
  Q_SCRIPTABLE void Done(bool windowFound) { Finish(windowFound); }

 private:
  void Finish(bool found) {
    if (finished_) return;
    finished_ = true;
    timeout_.stop();
    if (loaded_) Unload();
    if (registered_) bus_.unregisterObject(path_);
    // A load not yet answered keeps the run until its answer, to unload what it loaded.
    if (!loading_) deleteLater();
    if (answer_) answer_(found);
  }

  QDBusConnection bus_;
  QString name_;
  QString path_;
  DesktopWindowControl::Answer answer_;
  QTemporaryFile file_;
  QTimer timeout_;
  bool registered_ = false;
  bool loading_ = false;
  bool loaded_ = false;
  bool finished_ = false;
};

// Where KWin has the window, without asking when it is wanted (an answer would come only from the
// event loop): a script that stays loaded while the program runs reports the frame's place each
// time it changes, also for the window of a later showing.
class PlaceWatch : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "example.tarnwell.Vistrel.KWinPlace")
 public:
  explicit PlaceWatch(const QString& title) : bus_(QDBusConnection::sessionBus()) {
    file_.setFileTemplate(QDir::tempPath() + QStringLiteral("/vistrel-kwin-XXXXXX.js"));
    if (!file_.open() ||
        !bus_.registerObject(kWatchPath, this, QDBusConnection::ExportScriptableSlots)) {
      return;
    }
    const QString script =
        QStringLiteral(
            "(function () {\n"
            "  function report(w) {\n"
            "    var g = w.frameGeometry;\n"
            "    callDBus(%1, %2, %3, \"Placed\", Math.round(g.x) + \" \" + Math.round(g.y));\n"
            "  }\n"
            "  function watch(w) {\n"
            "    if (!(%4)) return;\n"
            "    report(w);\n"
            "    w.frameGeometryChanged.connect(function () { report(w); });\n"
            "  }\n"
            "  var list = workspace.windowList ? workspace.windowList() : workspace.clientList();\n"
            "  for (var i = 0; i < list.length; ++i) watch(list[i]);\n"
            "  (workspace.windowAdded || workspace.clientAdded).connect(watch);\n"
            "})();\n")
            .arg(Literal(bus_.baseService()), Literal(kWatchPath), Literal(kWatchInterface),
                 IsOurs(title));
    file_.write(script.toUtf8());
    file_.flush();
    // A watch that a run killed before it could unload it goes first (one copy runs per user,
    // and a second one builds no control).
    bus_.send(Unloading(kWatchName));
    LoadAndRun(
        this, file_.fileName(), kWatchName, [](bool) { return true; }, [] {});
  }
  ~PlaceWatch() override {
    bus_.send(Unloading(kWatchName));
    bus_.unregisterObject(kWatchPath);
  }

  // Unloads the watch, and the scripts named, waiting for KWin's answer to the last unload: it
  // comes after KWin has had the others.
  void Withdraw(const QStringList& scripts) {
    for (const QString& name : scripts) bus_.send(Unloading(name));
    bus_.call(Unloading(kWatchName), QDBus::Block, kWithdrawMs);
  }

  std::optional<QPoint> place;

 public slots:
  Q_SCRIPTABLE void Placed(const QString& xy) {
    const QStringList parts = xy.split(QLatin1Char(' '));
    bool okX = false, okY = false;
    const int x = parts.value(0).toInt(&okX), y = parts.value(1).toInt(&okY);
    if (okX && okY) place = QPoint(x, y);
  }

 private:
  QDBusConnection bus_;
  QTemporaryFile file_;
};

class KWinWindowControl : public DesktopWindowControl {
 public:
  explicit KWinWindowControl(const char* title)
      : title_(QString::fromUtf8(title)), watch_(title_) {}

  // The place last reported: KWin reports every change as it happens.
  std::optional<QPoint> Where() override { return watch_.place; }

  void Move(int x, int y, Answer answer) override {
    Run(QStringLiteral("var g = w.frameGeometry;"
                       " w.frameGeometry = {x: %1, y: %2, width: g.width, height: g.height};")
            .arg(x)
            .arg(y),
        std::move(answer));
  }

  // A run still out may have its script loaded, or loaded yet: each goes by name.
  void Withdraw() override {
    QStringList names;
    for (const ScriptRun* run : runs_.findChildren<ScriptRun*>()) names << run->Name();
    watch_.Withdraw(names);
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
  PlaceWatch watch_;
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
