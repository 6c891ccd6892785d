// The one funnel for failures: every handler the shells call runs through Dispatch, and a
// failure that nothing handled is reported in a box and ends the program.
#include <cstdlib>
#include <new>

#include "app/frm_main.h"
#include "app/startup_messages.h"

namespace vistrel {

void frmMain::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const Failure& failure) {
    ReportUnhandled(failure);
  } catch (const std::bad_alloc&) {
    ReportUnhandled(Failure(failures::kOutOfMemory, "Out of memory"));
  }
}

void frmMain::ReportUnhandled(const Failure& failure) {
  p_.messages.Show({startup_messages::UnhandledFailureText(failure), platform::kCritical, "Vistrel",
                    failure.HelpContext()});
  p_.runtime.End();
  std::abort();
}

}  // namespace vistrel
