// Starting other programs: the help file and the homepage through xdg-open, each passed as one
// argument, never through a shell. xdg-open that finds no program for the file exits with an
// error (3 in a session without a text viewer) long after it started: the Help viewer is watched
// from the event loop, and its failure reported as an event of its own.
#pragma once

#include <functional>

#include "platform/launcher.h"

namespace vistrel::linux_shell {

class XdgLauncher : public platform::Launcher {
 public:
  // viewerFailed: called from the event loop, with the path, when the viewer for a text file
  // could not be started or ended with an error.
  void SetViewerFailed(std::function<void(const std::string& path)> viewerFailed) {
    viewerFailed_ = std::move(viewerFailed);
  }
  // False at once when there is no xdg-open; a later failure goes to viewerFailed.
  bool OpenTextFile(const std::string& path) override;
  void OpenAddress(std::uintptr_t owner, const std::string& address) override;

 private:
  std::function<void(const std::string&)> viewerFailed_;
};

}  // namespace vistrel::linux_shell
