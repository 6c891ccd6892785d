#include "common/session_end.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <memory>

namespace vistrel::linux_shell {
namespace {
int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the UI thread does the rest.
void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}
}  // namespace

void OnSessionEnd(std::function<void()> close) {
  auto shared = std::make_shared<std::function<void()>>(std::move(close));
  QObject::connect(qApp, &QGuiApplication::commitDataRequest,
                   [shared](QSessionManager&) { (*shared)(); });
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, [shared] { (*shared)(); });

  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, [shared] {
    char buffer[16];
    while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    (*shared)();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

}  // namespace vistrel::linux_shell
