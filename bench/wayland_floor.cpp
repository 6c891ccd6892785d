// The cost floor of a following magnifier that is a Qt client on Wayland: the screen cast
// received by the backend's own classes, and every 50 ms, if the stream reported the pointer
// somewhere new, the 110 x 82 pixels around it copied at zoom 2 into a 220 x 165 window and the
// window repainted. Nothing else (no menu, tray, settings or idle timer): whatever the program
// spends beyond this is its own overhead; what this spends beyond the bare receiver is Qt's
// Wayland platform drawing 20 frames a second.
//   vistrel_wayland_floor TOKEN_FILE      (run with QT_QPA_PLATFORM=wayland)
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

#include "wayland/pipewire_stream.h"
#include "wayland/screencast_portal.h"

using namespace vistrel::linux_shell;
using namespace vistrel::linux_shell::wayland;

namespace {

class View : public QWidget {
 public:
  QImage picture{220, 165, QImage::Format_RGB32};

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, picture); }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: vistrel_wayland_floor TOKEN_FILE\n");
    return 2;
  }
  std::string token;
  std::ifstream(argv[1]) >> token;
  ScreenCastError error;
  const std::optional<ScreenCastSession> cast = OpenScreenCast(token, error);
  auto connection = std::make_shared<PipeWireConnection>();
  PipeWireStream stream;
  if (!cast || !connection->Open(dup(cast->pipewireFd), error.text) ||
      !stream.Start(connection, cast->streams.front().node, 20, error.text)) {
    std::fprintf(stderr, "%s\n", error.text.c_str());
    return 1;
  }
  std::ofstream(argv[1]) << cast->restoreToken;
  View view;
  view.picture.fill(Qt::black);
  view.setFixedSize(220, 165);
  view.show();
  std::optional<StreamPoint> last;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const std::optional<StreamPoint> cursor = stream.Cursor();
    if (!cursor || cursor == last) return;
    last = cursor;
    const int x = std::clamp(cursor->x - 55, 0, std::max(0, stream.Width() - 110));
    const int y = std::clamp(cursor->y - 41, 0, std::max(0, stream.Height() - 82));
    const bool copied = stream.WithPicture([&](const vistrel::magnifier::PixelsIn& picture) {
      vistrel::magnifier::CopyNearest(picture, {double(x), double(y), 110, 82.5},
                                      {view.picture.bits(), view.picture.bytesPerLine(), 220, 165});
    });
    if (copied) view.update();
  });
  tick.start(50);
  return QApplication::exec();
}
