// Fakes of every platform interface, recording what the core asks of them, and a FakeWorld that
// wires them to one frmMain. The clock only moves when the core waits (FakeEventPump) or a test
// moves it, so that waits, ticks and timings are exact.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/frm_main.h"
#include "platform/platform.h"

namespace vistrel::fakes {

// Thrown by FakeRuntime::End so that a test sees the program end without the process ending.
struct ProgramEnded {};

// One log that every fake writes to, so that a test can check the order of effects across them
// ("tray add", "query Top", "SetWindowPos -1", "Show", "box Error", "end", ...).
struct Journal {
  std::vector<std::string>* entries = nullptr;
  void Note(const std::string& entry) const {
    if (entries) entries->push_back(entry);
  }
};

// "1440", "-300", "2.5": a float as a test reads it.
std::string Num(double value);

// A table case's description as a test name: "far edge on the edge" -> "far_edge_on_the_edge".
std::string CaseName(std::string_view what);
// Prints a table case as its description (test files say `using fakes::PrintTo;`).
template <class Case>
requires requires(const Case& c) {
  std::string_view(c.what);
}
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.what;
}
// For INSTANTIATE_TEST_SUITE_P over cases that carry a `what` description.
struct NameFromWhat {
  template <class Info>
  std::string operator()(const Info& info) const {
    return CaseName(info.param.what);
  }
};

struct StretchCall {
  std::int32_t destWidth, destHeight, srcX, srcY, srcWidth, srcHeight;
  bool operator==(const StretchCall&) const = default;
};

class FakeScreen : public platform::Screen {
 public:
  platform::CursorPoint cursor{512, 384};
  double leftTwips = 0, topTwips = 0;
  double widthTwips = 1024 * 15.0;
  double heightTwips = 768 * 15.0;
  double twipsPerPixel = 15.0;
  // The vertical ratio when it differs from twipsPerPixel.
  std::optional<double> twipsPerPixelY;
  std::vector<platform::Monitor> monitors{{{0, 0, 1024, 768}, {0, 0, 1024, 768}}};
  int cursorQueries = 0;
  // As a screen that hears of motion from the server (X11's raw events); FakeWorld::MoveCursor
  // then wakes Timer1 as such a shell does.
  bool wakesOnMotion = false;
  std::vector<StretchCall> stretches;
  Journal journal;

  platform::CursorPoint CursorPos() override {
    ++cursorQueries;
    return cursor;
  }
  bool WakesTimer1OnCursorMotion() override { return wakesOnMotion; }
  void StretchToView(std::int32_t dw, std::int32_t dh, std::int32_t sx, std::int32_t sy,
                     std::int32_t sw, std::int32_t sh) override {
    stretches.push_back({dw, dh, sx, sy, sw, sh});
  }
  double LeftTwips() override { return leftTwips; }
  double TopTwips() override { return topTwips; }
  double WidthTwips() override {
    journal.Note("measure screen");
    return widthTwips;
  }
  std::vector<platform::Monitor> Monitors() override { return monitors; }
  double HeightTwips() override { return heightTwips; }
  double TwipsPerPixelX() override { return twipsPerPixel; }
  double TwipsPerPixelY() override { return twipsPerPixelY.value_or(twipsPerPixel); }
};

struct WindowPosCall {
  std::int32_t insertAfter;
  std::uint32_t flags;
  bool visibleAtCall;
};

class FakeMainWindow : public platform::MainWindow {
 public:
  bool visible = false;
  platform::WindowState state = platform::WindowState::kNormal;
  // Designed outer frame of a 220 x 165 client area with a 4-pixel border and 18-pixel title.
  float left = 3015, top = 2805, width = 3420, height = 2865;
  double clientWidth = 220, clientHeight = 165;
  bool topmost = false;
  std::vector<WindowPosCall> windowPosCalls;
  std::vector<std::string> log;  // "Show", "Hide", "SetTop 1440", ...
  // What the popup menu returns; a test may also run code while the menu is "open".
  std::function<std::optional<MenuItem>(const MenuState&)> onPopup;
  int popups = 0;
  std::uintptr_t pichookHandle = 0x1234;
  Journal journal;

  bool Visible() override { return visible; }
  void Show() override {
    Note("Show");
    visible = true;
  }
  void Hide() override {
    Note("Hide");
    visible = false;
  }
  platform::WindowState State() override { return state; }
  void SetState(platform::WindowState s) override {
    Note(s == platform::WindowState::kMinimized ? "Minimize" : "Normal");
    state = s;
  }
  float Left() override { return left; }
  float Top() override { return top; }
  float Width() override { return width; }
  float Height() override { return height; }
  void SetLeft(float v) override { Set("SetLeft", left, v); }
  void SetTop(float v) override { Set("SetTop", top, v); }
  void SetWidth(float v) override { Set("SetWidth", width, v); }
  void SetHeight(float v) override { Set("SetHeight", height, v); }
  double ClientWidth() override { return clientWidth; }
  double ClientHeight() override { return clientHeight; }
  void SetWindowPos(std::int32_t insertAfter, std::int32_t, std::int32_t, std::int32_t,
                    std::int32_t, std::uint32_t flags) override {
    windowPosCalls.push_back({insertAfter, flags, visible});
    topmost = insertAfter == -1;
    Note("SetWindowPos " + std::to_string(insertAfter));
  }
  std::optional<MenuItem> PopupMenu(const MenuState& menu) override {
    ++popups;
    return onPopup ? onPopup(menu) : std::nullopt;
  }
  std::uintptr_t PichookHandle() override { return pichookHandle; }
  std::uintptr_t IconHandle() override { return 0x5678; }

 private:
  void Note(const std::string& entry) {
    log.push_back(entry);
    journal.Note(entry);
  }
  void Set(const char* what, float& field, float v) {
    Note(std::string(what) + " " + Num(v));
    field = v;
  }
};

class FakeClock;

class FakeTimer : public platform::Timer {
 public:
  FakeTimer(std::int32_t interval, const FakeClock& clock) : interval_(interval), clock_(clock) {}
  bool Enabled() override { return enabled_; }
  void SetEnabled(bool e) override;
  std::int32_t Interval() override { return interval_; }
  // As the platforms' timers do (SetTimer, QTimer): a new interval starts a fresh period from
  // now; setting the same interval changes nothing.
  void SetInterval(std::int32_t ms) override {
    intervalsSet.push_back(ms);
    if (ms != interval_) nextDue_ = -1;
    interval_ = ms;
  }
  // Idle, it delivers no tick; woken, it ticks on its old schedule.
  void SetIdle(bool idle) override;
  std::vector<std::int32_t> intervalsSet;
  // Monotonic seconds at which the timer was stopped (false) or started (true).
  std::vector<std::pair<bool, double>> switches;

  bool enabled_ = true;
  bool idle_ = false;
  std::int32_t interval_;
  double nextDue_ = -1;       // monotonic seconds of the next tick; -1: one period from now
  std::vector<double> ticks;  // monotonic seconds of each delivered tick

 private:
  const FakeClock& clock_;
};

class FakeTray : public platform::Tray {
 public:
  struct Call {
    std::uint32_t message;
    TrayIconRecord record;
  };
  std::vector<Call> calls;
  Journal journal;
  bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) override {
    calls.push_back({message, record});
    journal.Note(message == kNimAdd      ? "tray add"
                 : message == kNimDelete ? "tray delete"
                                         : "tray ?");
    return true;
  }
};

class FakeHotKeys : public platform::HotKeys {
 public:
  int shutdowns = 0;
  Journal journal;
  void Shutdown() override {
    ++shutdowns;
    journal.Note("hotkeys shutdown");
  }
};

// An in-memory registry with the status codes of the real one; keys are "root\sub\key" paths.
class FakeRegistryApi : public platform::RegistryApi {
 public:
  std::map<std::string, std::map<std::string, std::string>> keys;  // value data without NUL
  std::map<platform::KeyHandle, std::string> open;
  std::vector<std::string> log;  // "create ...", "open ...", "query ...", "set name=data", "close"
  Journal journal;
  platform::KeyHandle next = 100;
  // Stored data that stands for a value of zero bytes (not even a NUL).
  static constexpr const char* kZeroBytes = "<zero bytes>";

  static std::string Path(platform::KeyHandle root, std::string_view sub);
  std::int32_t RegCreateKey(platform::KeyHandle root, std::string_view sub,
                            platform::KeyHandle& key) override;
  std::int32_t RegOpenKeyEx(platform::KeyHandle root, std::string_view sub, std::uint32_t,
                            std::uint32_t access, platform::KeyHandle& key) override;
  std::int32_t RegQueryValueEx(platform::KeyHandle key, std::string_view name, std::uint32_t& type,
                               char* data, std::uint32_t& length) override;
  std::int32_t RegSetValueEx(platform::KeyHandle key, std::string_view name, std::uint32_t type,
                             std::string_view data) override;
  std::int32_t RegCloseKey(platform::KeyHandle key) override;

 private:
  void Log(const std::string& entry);
};

class FakeMessageBoxes : public platform::MessageBoxes {
 public:
  std::vector<platform::MessageBoxRequest> shown;
  std::function<void(const platform::MessageBoxRequest&)> onShow;
  Journal journal;
  std::int32_t Show(const platform::MessageBoxRequest& request) override {
    shown.push_back(request);
    journal.Note("box " + request.title);
    if (onShow) onShow(request);
    return platform::kResultOk;
  }
};

class FakeLauncher : public platform::Launcher {
 public:
  std::vector<std::string> textFiles;
  std::vector<std::pair<std::uintptr_t, std::string>> addresses;
  bool viewerStarts = true;
  bool OpenTextFile(const std::string& path) override {
    textFiles.push_back(path);
    return viewerStarts;
  }
  void OpenAddress(std::uintptr_t owner, const std::string& address) override {
    addresses.emplace_back(owner, address);
  }
};

class FakeClock : public platform::Clock {
 public:
  double monotonic = 0;  // the steady clock; the timers and waits run on it
  int year = 2026;
  int CurrentYear() override { return year; }
  double SteadySeconds() override { return monotonic; }
  void Advance(double seconds) { monotonic += seconds; }
};

class FakeRuntime : public platform::Runtime {
 public:
  bool previousInstance = false;
  std::optional<Failure> previousInstanceFailure;
  bool runningCopyHasTray = true;
  bool runningCopyAnswers = true;
  std::string commandLine;
  std::string appPath = "C:\\Program Files\\Vistrel";
  char pathSeparator = '\\';
  char decimalSeparator = '.';
  std::map<std::string, bool> readable;  // path -> can be opened for reading
  int hiddenFromTaskList = 0;
  int ends = 0;
  Journal journal;

  bool PreviousInstance() override {
    if (previousInstanceFailure) throw *previousInstanceFailure;
    return previousInstance;
  }
  bool RunningCopyHasTrayIcon() override { return runningCopyHasTray; }
  bool BringRunningCopyForward() override {
    return journal.Note("bring running copy forward"), runningCopyAnswers;
  }
  std::string CommandLine() override { return commandLine; }
  std::string AppPath() override { return appPath; }
  char PathSeparator() override { return pathSeparator; }
  void HideFromTaskList() override {
    ++hiddenFromTaskList;
    journal.Note("hide from task list");
  }
  bool CanOpenForReading(const std::string& path) override {
    auto it = readable.find(path);
    return it != readable.end() && it->second;
  }
  char DecimalSeparator() override { return decimalSeparator; }
  [[noreturn]] void End() override {
    ++ends;
    journal.Note("end");
    throw ProgramEnded{};
  }
};

class FakeAboutView : public platform::AboutView {
 public:
  FakeAboutView(frmabout& handlers, std::function<void(FakeAboutView&)>& whileOpen, int& closes)
      : handlers(handlers), whileOpen_(whileOpen), closes_(closes) {}
  frmabout& handlers;
  bool visible = false;
  bool closed = false;
  bool handPointer = false;
  std::map<AboutControl, std::string> labels;

  bool Visible() override { return visible; }
  void ShowModal() override {
    visible = true;
    if (whileOpen_) whileOpen_(*this);
    visible = false;
  }
  void Close() override {
    closed = true;
    ++closes_;
    visible = false;
  }
  void SetLabelText(AboutControl control, const std::string& text) override {
    labels[control] = text;
  }
  void SetLinkPointerFromHand() override { handPointer = true; }
  std::uintptr_t Handle() override { return 0xAB; }

 private:
  std::function<void(FakeAboutView&)>& whileOpen_;
  int& closes_;
};

class FakeAboutFactory : public platform::AboutViewFactory {
 public:
  // What the user does while the modal dialog is open (click OK, the link, or close the frame).
  std::function<void(FakeAboutView&)> whileOpen;
  std::vector<std::map<AboutControl, std::string>> openedLabels;
  int created = 0;
  // Dialogs closed by the program (OK, the link); one closed by its frame is not counted. The
  // views themselves are gone once the About command returns.
  int closes = 0;
  std::unique_ptr<platform::AboutView> Create(frmabout& handlers) override {
    ++created;
    return std::make_unique<FakeAboutView>(handlers, whileOpen, closes);
  }
};

class FakeWorld;

// Waits by moving the fake clock: to the deadline, or to the next due timer tick or scheduled
// event, which it then runs (re-entering the core as the real event loop would).
class FakeEventPump : public platform::EventPump {
 public:
  explicit FakeEventPump(FakeWorld& world) : world_(world) {}
  void WaitForEvents(double maxSeconds) override;
  // Runs body once `seconds` have passed from now, during a wait.
  void After(double seconds, std::function<void()> body);
  int waits = 0;
  // A core that waits without letting time pass would loop for ever; fail instead.
  int maxWaits = 100000;
  // Whether timer ticks are delivered while waiting (off: only scheduled events run).
  bool deliverTimers = true;

 private:
  struct Event {
    double at;  // on the monotonic clock
    std::function<void()> body;
  };
  bool RunDueScheduled();
  FakeWorld& world_;
  std::vector<Event> scheduled_;
};

class FakeWorld {
 public:
  FakeWorld();
  // Form_Initialize, then Form_Load and the first resize, as a shell starts the program.
  void Start();
  // Delivers the timer ticks that fall due within the next `seconds`, moving the clock.
  void Run(double seconds);
  // The user moves the cursor (the screen wakes Timer1 if it hears of motion).
  void MoveCursor(std::int32_t x, std::int32_t y);
  // A tray notification with the given mouse message number.
  void TrayNotify(std::int32_t message);
  // Runs body and reports whether the program ended inside it.
  bool Ends(const std::function<void()>& body);

  std::vector<std::string> journal;
  FakeClock clock;
  FakeScreen screen;
  FakeMainWindow window;
  FakeTimer timer1{50, clock};
  FakeTimer timer2{50, clock};
  FakeTray tray;
  FakeHotKeys hotkeys;
  FakeRegistryApi registry;
  FakeMessageBoxes messages;
  FakeLauncher launcher;
  FakeEventPump pump{*this};
  FakeRuntime runtime;
  FakeAboutFactory about;
  platform::Platform platform{screen,   window,   timer1, timer2, tray,    hotkeys, registry,
                              messages, launcher, clock,  pump,   runtime, about};
  frmMain form{platform};

  // Fires due ticks of both timers up to the clock's current reading.
  void FireDueTimers();
  int timer1Ticks = 0;
  int timer2Ticks = 0;

  static constexpr const char* kSettingsKey = "HKEY_CURRENT_USER\\Software\\Tarnwell\\Vistrel";
  void StoreSetting(const std::string& name, const std::string& text) {
    registry.keys[kSettingsKey][name] = text;
  }
  std::map<std::string, std::string>& Stored() { return registry.keys[kSettingsKey]; }
};

}  // namespace vistrel::fakes
