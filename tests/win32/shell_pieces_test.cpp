// The Windows shell's own pieces against the real Win32 API under Wine: the command line and
// module path, the tray record copy, the registry calls as the Registry module makes them, the
// message box parameters, the viewer's command line, Pause's wait and the scoped GDI handles.
#include <gtest/gtest.h>

#include <string>

#include "event_pump_win.h"
#include "gdi_handles.h"
#include "launcher_win.h"
#include "main_window_win.h"
#include "message_box_win.h"
#include "registry_win.h"
#include "settings/registry.h"
#include "timer_win.h"
#include "tray_win.h"
#include "win_text.h"

namespace vistrel::win32 {
namespace {

struct TextCase {
  const char* input;
  const char* expected;
};

TEST(CommandLine, TheArgumentsAreTheTextAfterTheProgramName) {
  const TextCase cases[] = {
      {R"("C:\Program Files\Vistrel\Vistrel.exe" 5)", "5"},
      {R"("C:\Program Files\Vistrel\Vistrel.exe")", ""},
      {R"("C:\x y\Vistrel.exe"abc)", "abc"},
      {"Vistrel.exe", ""},
      {"Vistrel.exe   2.5", "2.5"},
      {"Vistrel.exe\tabc def ", "abc def "},
      {R"("C:\unterminated)", ""},
      {"", ""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(ArgumentsAfterProgramName(c.input), c.expected) << c.input;
  }
}

TEST(CommandLine, TheProgramDirectoryKeepsItsSeparatorOnlyAtADriveRoot) {
  const TextCase cases[] = {
      {R"(C:\Vistrel.exe)", R"(C:\)"},
      {R"(C:\Program Files\Vistrel\Vistrel.exe)", R"(C:\Program Files\Vistrel)"},
      {R"(\\server\share\Vistrel.exe)", R"(\\server\share)"},
      {"Vistrel.exe", ""},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(DirectoryOfModule(c.input), c.expected) << c.input;
  }
}

TEST(Tray, TheCoreRecordIsCopiedFieldByFieldIntoTheFirstForm) {
  TrayIconRecord record;
  record.cbSize = kTrayRecordSize;
  record.hWnd = 0x1234;
  record.uID = kTrayIconId;
  record.uFlags = kNifMessage | kNifIcon | kNifTip;
  record.uCallbackMessage = 512;
  record.hIcon = 0x5678;
  record.SetTip("Vistrel 1.05");
  const NOTIFYICONDATAA data = ToNotifyIconData(record);
  EXPECT_EQ(data.cbSize, NOTIFYICONDATAA_V1_SIZE);
  EXPECT_EQ(data.hWnd, reinterpret_cast<HWND>(0x1234));
  EXPECT_EQ(data.uID, 1u);
  EXPECT_EQ(data.uFlags, 7u);
  EXPECT_EQ(data.uCallbackMessage, 512u);
  EXPECT_EQ(data.hIcon, reinterpret_cast<HICON>(0x5678));
  EXPECT_STREQ(data.szTip, "Vistrel 1.05");
  EXPECT_EQ(data.szTip[13], ' ');  // the record's padding travels with it
#ifdef _WIN64
  EXPECT_EQ(NOTIFYICONDATAA_V1_SIZE, 104u);
#endif
}

TEST(Registry, PredefinedRootsAreSignExtendedAndRealHandlesKept) {
  EXPECT_EQ(ToHkey(kHkeyCurrentUser), HKEY_CURRENT_USER);
  EXPECT_EQ(ToHkey(kHkeyClassesRoot), HKEY_CLASSES_ROOT);
  EXPECT_EQ(ToHkey(kHkeyDynData), HKEY_DYN_DATA);
  EXPECT_EQ(ToHkey(0x1234), reinterpret_cast<HKEY>(0x1234));
}

class NoBoxes : public platform::MessageBoxes {
 public:
  std::int32_t Show(const platform::MessageBoxRequest& r) override {
    shown.push_back(r.text);
    return platform::kResultOk;
  }
  std::vector<std::string> shown;
};

// The Registry module over the real registry: what it writes it reads back, by its own rules.
// Each test has a key of its own, since ctest runs them side by side.
class RealRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    subKey = std::string("Software\\Tarnwell\\VistrelShellTest\\") +
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    path = "HKEY_CURRENT_USER\\" + subKey;
    RegDeleteTreeA(HKEY_CURRENT_USER, subKey.c_str());
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, subKey.c_str()); }
  std::string subKey;
  std::string path;
  WinRegistryApi api;
  NoBoxes boxes;
  Registry registry{api, boxes};
};

TEST_F(RealRegistry, WrittenTextsComeBackByTheModulesRules) {
  registry.CreateKey(path);
  const TextCase cases[] = {
      {"1440", "1440"}, {"True", "True"}, {"  12", "12"},  // leading blanks are trimmed
      {"12  ", "12  "},  // trailing ones stand before the NUL and survive
      {"-300", "-300"},
  };
  for (const TextCase& c : cases) {
    registry.WriteStringValue(path, "Value", c.input);
    EXPECT_EQ(registry.ReadStringValue(path, "Value"), std::optional<std::string>(c.expected))
        << '"' << c.input << '"';
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RealRegistry, TheBufferHolds254CharactersAndTheirNul) {
  registry.CreateKey(path);
  registry.WriteStringValue(path, "Long", std::string(254, 'x'));
  EXPECT_EQ(registry.ReadStringValue(path, "Long"),
            std::optional<std::string>(std::string(254, 'x')));
  registry.WriteStringValue(path, "Long", std::string(255, 'x'));
  EXPECT_EQ(registry.ReadStringValue(path, "Long"), std::optional<std::string>("Error"));
}

TEST_F(RealRegistry, WritingDoesNotCreateTheKeyAndMissingValuesReadAsError) {
  registry.WriteStringValue(path, "Top", "1440");
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(registry.ReadStringValue(path, "Top"), std::optional<std::string>("Error"));
  registry.CreateKey(path);
  EXPECT_EQ(registry.ReadStringValue(path, "Missing"), std::optional<std::string>("Error"));
}

TEST_F(RealRegistry, StoredDataIsTheTextAndItsNul) {
  registry.CreateKey(path);
  registry.WriteStringValue(path, "OnTop", "True");
  char data[16] = {};
  DWORD size = sizeof data;
  DWORD type = 0;
  ASSERT_EQ(
      RegGetValueA(HKEY_CURRENT_USER, subKey.c_str(), "OnTop", RRF_RT_ANY, &type, data, &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 5u);
  EXPECT_STREQ(data, "True");
}

TEST(MessageBoxes, TheRuntimeStylesAreThePlatformsBoxStyles) {
  const struct {
    std::int32_t style;
    DWORD expected;
  } cases[] = {
      {platform::kOkOnly, MB_OK},
      {platform::kCritical, MB_OK | MB_ICONHAND},
      {platform::kExclamation, MB_OK | MB_ICONEXCLAMATION},
      {platform::kInformation, MB_OK | MB_ICONINFORMATION},
  };
  for (const auto& c : cases) {
    platform::MessageBoxRequest request{"text", c.style, "Title", 1000013};
    const MSGBOXPARAMSA params = ToMessageBoxParams(request, nullptr);
    EXPECT_EQ(params.dwStyle, c.expected);
    EXPECT_STREQ(params.lpszText, "text");
    EXPECT_STREQ(params.lpszCaption, "Title");
    EXPECT_EQ(params.dwContextHelpId, 1000013u);
  }
}

TEST(Gdi, AScopedSelectionAndObjectUndoTheirCallsOnLeavingScope) {
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ before = GetCurrentObject(dc, OBJ_PEN);
  HPEN created = nullptr;
  {
    const GdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, RGB(1, 2, 3)));
    created = pen.get();
    const Selection selected(dc, pen.get());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen.get());
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), before);
  EXPECT_EQ(GetObjectType(created), 0u) << "the pen was not deleted";
  DeleteDC(dc);
}

TEST(Launcher, TheViewerGetsThePathUnquotedAsBuilt) {
  EXPECT_EQ(TextViewerCommandLine(R"(C:\Program Files\Vistrel\readme.txt)"),
            R"(notepad.exe C:\Program Files\Vistrel\readme.txt)");
  EXPECT_EQ(TextViewerCommandLine(R"(C:\\readme.txt)"), R"(notepad.exe C:\\readme.txt)");
}

TEST(EventPump, WaitingSleepsUntilTheDeadlineInsteadOfSpinning) {
  MSG drain;
  while (PeekMessageA(&drain, nullptr, 0, 0, PM_REMOVE)) {
  }
  FILETIME created, ended, kernelBefore, userBefore, kernelAfter, userAfter;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernelBefore, &userBefore);
  const ULONGLONG start = GetTickCount64();
  WinEventPump pump;
  pump.WaitForEvents(0.3);
  const ULONGLONG elapsed = GetTickCount64() - start;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernelAfter, &userAfter);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  const ULONGLONG cpu100ns =
      ticks(kernelAfter) - ticks(kernelBefore) + ticks(userAfter) - ticks(userBefore);
  EXPECT_GE(elapsed, 280u);
  // A spinning wait would burn the whole 300 ms.
  EXPECT_LT(cpu100ns, 1000000u) << "CPU time in 100 ns units";
}

TEST(EventPump, APostedMessageEndsTheWaitAndIsHandled) {
  static int handled = 0;
  WNDCLASSA cls{};
  cls.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_APP) ++handled;
    return DefWindowProcA(h, m, w, l);
  };
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "VistrelPumpTest";
  RegisterClassA(&cls);
  HWND window = CreateWindowA("VistrelPumpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              cls.hInstance, nullptr);
  PostMessageA(window, WM_APP, 0, 0);
  const ULONGLONG start = GetTickCount64();
  WinEventPump pump;
  pump.WaitForEvents(5.0);
  EXPECT_LT(GetTickCount64() - start, 2000u);
  EXPECT_EQ(handled, 1);
  DestroyWindow(window);
}

// A window whose WM_TIMER ticks are counted and handed back to the timer, as the main window does.
struct TickWindow {
  static inline int ticks = 0;
  static inline WinTimer* timer = nullptr;
  HWND hwnd = nullptr;
  TickWindow() {
    WNDCLASSA cls{};
    cls.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == WM_TIMER) {
        ++ticks;
        if (timer) timer->AfterTick();
        return 0;
      }
      return DefWindowProcA(h, m, w, l);
    };
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "VistrelTickTest";
    RegisterClassA(&cls);
    hwnd = CreateWindowA("VistrelTickTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance,
                         nullptr);
    ticks = 0;
  }
  ~TickWindow() {
    timer = nullptr;
    DestroyWindow(hwnd);
  }
  // Handles messages until the tick count reaches n or the time is up; returns the time taken.
  ULONGLONG RunUntil(int n, ULONGLONG timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    MSG msg;
    while (ticks < n && GetTickCount64() - start < timeoutMs) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return GetTickCount64() - start;
  }
};

TEST(MainWindow, MovedToAnotherDpiItTakesTheFrameWindowsProposes) {
  WinMainWindow window(GetModuleHandleA(nullptr), 15.0);
  window.Create();
  RECT proposed{100, 80, 100 + 330, 80 + 250};
  SendMessageA(window.Hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&proposed));
  RECT frame{};
  GetWindowRect(window.Hwnd(), &frame);
  EXPECT_TRUE(EqualRect(&frame, &proposed));
}

TEST(Timer, ANewIntervalWaitsForThePendingPeriodToRunOut) {
  TickWindow window;
  WinTimer timer(7, 600, true);
  TickWindow::timer = &timer;
  timer.Attach(window.hwnd);
  timer.SetInterval(50);
  EXPECT_EQ(timer.Interval(), 50);
  // The first tick still comes after the 600 ms that were pending...
  EXPECT_GE(window.RunUntil(1, 5000), 550u);
  // ...and from then on every 50 ms.
  EXPECT_LT(window.RunUntil(6, 5000), 1000u);
}

TEST(Timer, ADisabledTimerDoesNotTickAndStartsAfreshWhenEnabled) {
  TickWindow window;
  WinTimer timer(8, 50, true);
  TickWindow::timer = &timer;
  timer.Attach(window.hwnd);
  window.RunUntil(1, 5000);
  ASSERT_GE(TickWindow::ticks, 1);
  timer.SetEnabled(false);
  const int before = TickWindow::ticks;
  window.RunUntil(before + 1, 300);
  EXPECT_EQ(TickWindow::ticks, before);
  timer.SetEnabled(true);
  EXPECT_LT(window.RunUntil(before + 2, 5000), 1000u);
}

TEST(Timer, AnIdleTimerDoesNotTickAndWokenComesBackWithinOnePeriod) {
  TickWindow window;
  WinTimer timer(9, 200, true);
  TickWindow::timer = &timer;
  timer.Attach(window.hwnd);
  window.RunUntil(1, 5000);
  timer.SetIdle(true);
  window.RunUntil(2, 700);
  EXPECT_EQ(TickWindow::ticks, 1);
  timer.SetIdle(false);
  EXPECT_LT(window.RunUntil(2, 5000), 300u);  // the 200 ms schedule, and a margin for Wine
  EXPECT_TRUE(timer.Enabled());
}

}  // namespace
}  // namespace vistrel::win32
