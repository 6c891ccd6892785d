#include "app/startup_messages.h"

namespace vistrel::startup_messages {

std::string AlreadyRunningText() {
  return std::string("Vistrel is already running.") + kCrLf +
         "To view its popupmenu, rightclick on the Vistrel icon" + kCrLf +
         "in the system tray (on the taskbar, next to the clock).";
}

std::string ErrorNumberText(std::int32_t number) {
  return number < 0 ? std::to_string(number) : " " + std::to_string(number);
}

std::string StartupErrorText(const Failure& failure) {
  const char* advice = "Please inform the author with the error description above.";
  if (failure.Number() == 339) advice = "Re-install the program to fix this.";
  if (failure.Number() == 50003) {
    advice = "Re-install the program to fix this, or get the latest vbruntimes at Tarnwell.";
  }
  return std::string("An Error was generated:") + kCrLf + "Description: Error" +
         ErrorNumberText(failure.Number()) + " - " + failure.Description() + kCrLf + kCrLf + advice;
}

std::string UnhandledFailureText(const Failure& failure) {
  return "Run-time error '" + std::to_string(failure.Number()) + "':" + kCrLf + kCrLf +
         failure.Description();
}

}  // namespace vistrel::startup_messages
