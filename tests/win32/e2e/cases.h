// The end-to-end tests' fixture and the helpers their files share. The tests are grouped in
// suites by what they look at (Window, Tray, Lifecycle, Monitors), one file each.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "driver.h"
#include "pattern_window.h"

namespace e2e {

// Base of every suite: a crash of Vistrel.exe during a test fails that test (the Vistrel
// destructor counts it), besides failing the run.
class VistrelCase : public testing::Test {
 protected:
  void SetUp() override { crashesBefore_ = g_crashes; }
  void TearDown() override {
    if (g_crashes != crashesBefore_) ADD_FAILURE() << "Vistrel crashed";
  }

 private:
  int crashesBefore_ = 0;
};

extern PatternWindow* g_pattern;

// Waits until the main window's picture satisfies the test; fails the test with the label if it
// never does.
void ExpectPicture(HWND main, const std::string& label,
                   const std::function<bool(const Picture&)>& test, DWORD timeoutMs = 5000);
// The width of the black square along the view's middle row: 20 pixels times the zoom.
int SquareRun(const Picture& picture);
// Opens the tray's popup menu (right-button release on the icon) and waits for it.
void OpenTrayMenu(const Vistrel& vistrel, const std::string& when = "");

}  // namespace e2e
