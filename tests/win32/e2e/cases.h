// The end-to-end cases, grouped by what they look at; each adds its cases to the runner's list.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "driver.h"
#include "pattern_window.h"

namespace e2e {

struct Case {
  std::string name;
  std::function<void()> run;
};

extern PatternWindow* g_pattern;

void AddWindowCases(std::vector<Case>& cases);
void AddTrayCases(std::vector<Case>& cases);
void AddLifecycleCases(std::vector<Case>& cases);
// Only on a desktop of two monitors or more.
void AddMonitorCases(std::vector<Case>& cases);

// Waits until the main window's picture satisfies the test; fails the case with the label if it
// never does.
void ExpectPicture(HWND main, const std::string& label,
                   const std::function<bool(const Picture&)>& test, DWORD timeoutMs = 5000);
// The width of the black square along the view's middle row: 20 pixels times the zoom.
int SquareRun(const Picture& picture);
// Opens the tray's popup menu (right-button release on the icon) and waits for it.
void OpenTrayMenu(const Vistrel& vistrel, const std::string& when = "");

}  // namespace e2e
