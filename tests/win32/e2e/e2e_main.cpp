// Runs the end-to-end tests (Google Test; --gtest_filter selects) against Vistrel.exe, beside
// this driver unless a path is given, in front of the test pattern; exits non-zero on any failure
// or crash of Vistrel.exe. Also the helpers that the tests of several files share.
#include <cstdio>

#include "cases.h"

namespace e2e {

PatternWindow* g_pattern = nullptr;

void ExpectPicture(HWND main, const std::string& label,
                   const std::function<bool(const Picture&)>& test, DWORD timeoutMs) {
  Picture last;
  const bool ok = WaitFor(
      [&] {
        last = CaptureClient(main);
        return last.width > 0 && test(last);
      },
      timeoutMs);
  if (!ok) {
    char detail[160] = "";
    if (last.width > 0) {
      const int y = last.height / 2;
      std::snprintf(detail, sizeof detail, " (view %dx%d, middle row: black run %d, centre %06X)",
                    last.width, last.height, last.RunLength(y, kBlack), last.At(last.width / 2, y));
    }
    Check(false, label + detail);
  }
}

int SquareRun(const Picture& picture) {
  return picture.RunLength(picture.height / 2, kBlack);
}

void OpenTrayMenu(const Vistrel& vistrel, const std::string& when) {
  // Right after a menu has closed its loop may still be winding down, and a notification that
  // arrives then is ignored as the tray handler is still busy; a user would click again, and
  // so does this. A notification that arrives while the menu is open is ignored the same way.
  // The menu's window shows before its loop takes the capture; a click or key sent in between
  // goes to whatever is under the cursor, so the menu counts as open once it is in menu mode.
  for (int attempt = 0; attempt < 5; ++attempt) {
    vistrel.TrayNotify(WM_RBUTTONUP);
    const HWND menu = vistrel.WaitForWindowOf("#32768", nullptr, 2000);
    if (!menu) continue;
    const DWORD thread = GetWindowThreadProcessId(menu, nullptr);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (WaitFor(
            [&] {
              return GetGUIThreadInfo(thread, &gui) && (gui.flags & GUI_INMENUMODE) &&
                     gui.hwndCapture != nullptr;
            },
            2000))
      return;
  }
  Check(false, "the popup menu did not open" + (when.empty() ? "" : " " + when));
}

}  // namespace e2e

int main(int argc, char** argv) {
  using namespace e2e;
  testing::InitGoogleTest(&argc, argv);
  if (argc > 1) {
    g_exePath = argv[1];
  } else {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    g_exePath = DirectoryOf(self) + "\\Vistrel.exe";
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);

  PatternWindow pattern;
  g_pattern = &pattern;
  const int result = RUN_ALL_TESTS();
  return result == 0 && g_crashes == 0 ? 0 : 1;
}
