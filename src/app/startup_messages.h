// The texts of the boxes that start-up and the top-level failure report show.
#pragma once

#include <string>

#include "app/failure.h"

namespace vistrel::startup_messages {

inline constexpr const char* kCrLf = "\r\n";

// Three lines: where the running copy lives.
std::string AlreadyRunningText();
// "An Error was generated:", "Description: Error 339 - ...", "", and the advice for the number.
std::string StartupErrorText(const Failure& failure);
// " 339" or "-5": the number as the runtime writes it after "Error".
std::string ErrorNumberText(std::int32_t number);
// The report of a failure that no handler handled, just before the program ends.
std::string UnhandledFailureText(const Failure& failure);

}  // namespace vistrel::startup_messages
