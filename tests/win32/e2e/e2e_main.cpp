// Runs every end-to-end case against Vistrel.exe (beside this driver unless a path is given),
// prints one line per case and the summary "N passed, M failed", and exits non-zero on any
// failure or crash. "--only NAME" runs the cases whose name contains NAME.
#include <cstdio>
#include <cstring>

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
  for (int attempt = 0; attempt < 5; ++attempt) {
    vistrel.TrayNotify(WM_RBUTTONUP);
    if (vistrel.WaitForWindowOf("#32768", nullptr, 2000)) return;
  }
  Check(false, "the popup menu did not open" + (when.empty() ? "" : " " + when));
}

}  // namespace e2e

int main(int argc, char** argv) {
  using namespace e2e;
  const char* only = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else {
      g_exePath = argv[i];
    }
  }
  if (g_exePath.empty()) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    g_exePath = DirectoryOf(self) + "\\Vistrel.exe";
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);

  std::vector<Case> cases;
  AddWindowCases(cases);
  AddTrayCases(cases);
  AddLifecycleCases(cases);
  AddMonitorCases(cases);

  PatternWindow pattern;
  g_pattern = &pattern;
  int passed = 0;
  int failed = 0;
  for (const Case& c : cases) {
    if (only && c.name.find(only) == std::string::npos) continue;
    const int crashesBefore = g_crashes;
    std::string failure;
    const ULONGLONG start = GetTickCount64();
    try {
      c.run();
    } catch (const CheckFailed& f) {
      failure = f.what;
    }
    if (failure.empty() && g_crashes != crashesBefore) failure = "Vistrel crashed";
    const double seconds = (GetTickCount64() - start) / 1000.0;
    if (failure.empty()) {
      ++passed;
      std::printf("PASS  %s (%.1f s)\n", c.name.c_str(), seconds);
    } else {
      ++failed;
      std::printf("FAIL  %s (%.1f s): %s\n", c.name.c_str(), seconds, failure.c_str());
    }
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 && g_crashes == 0 ? 0 : 1;
}
