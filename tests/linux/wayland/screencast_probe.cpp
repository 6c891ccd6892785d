// The Wayland backend's screen side on its own, for tests/linux/wayland: opens the portal's screen
// cast (with the restore token in TOKEN_FILE, which it updates), receives every stream for the
// given seconds and prints what it saw:
//   STREAM node x y width height      one line per monitor, desktop coordinates
//   CURSOR x y                        each new pointer position, desktop coordinates
//   COUNTS pictures cursor_only       buffers with a picture, buffers with only the pointer,
//                                     one line per monitor
// and writes PREFIX-full.ppm (the whole desktop at 1:1, black where no monitor is) and
// PREFIX-zoom.ppm (the first stream's 110 x 82 pixels from 100, 100 at zoom 2, as the view
// copies them). With PREFIX "-" it is a bare receiver for
// bench/wayland_cost.py: it sleeps while the streams run, then prints COUNTS only.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "wayland/pipewire_stream.h"
#include "wayland/screencast_portal.h"

using namespace vistrel::linux_shell;
using namespace vistrel::linux_shell::wayland;

namespace {

void PrintCounts(const PipeWireStream& stream) {
  std::printf("COUNTS %llu %llu\n", static_cast<unsigned long long>(stream.PicturesReceived()),
              static_cast<unsigned long long>(stream.CursorOnlyBuffers()));
}

void WritePpm(const std::string& path, const std::vector<std::uint32_t>& pixels, int w, int h) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << w << ' ' << h << "\n255\n";
  for (std::uint32_t p : pixels) {
    const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8),
                         static_cast<char>(p)};
    out.write(rgb, 3);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: screencast_probe SECONDS TOKEN_FILE PREFIX\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const double seconds = std::atof(argv[1]);
  std::string token;
  std::ifstream(argv[2]) >> token;
  ScreenCastError failure;
  const std::optional<ScreenCastSession> cast = OpenScreenCast(token, failure);
  if (!cast) {
    std::fprintf(stderr, "%s\n", failure.text.c_str());
    return 1;
  }
  std::ofstream(argv[2]) << cast->restoreToken;
  std::string error;
  auto connection = std::make_shared<PipeWireConnection>();
  if (!connection->Open(cast->pipewireFd, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::vector<std::unique_ptr<PipeWireStream>> streams;
  for (const ScreenCastStream& s : cast->streams) {
    std::printf("STREAM %u %d %d %d %d\n", s.node, s.x, s.y, s.width, s.height);
    auto stream = std::make_unique<PipeWireStream>();
    if (!stream->Start(connection, s.node, 20, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    streams.push_back(std::move(stream));
  }
  if (std::string(argv[3]) == "-") {
    QThread::usleep(static_cast<unsigned long>(seconds * 1e6));
    PrintCounts(*streams.front());
    return 0;
  }
  std::optional<StreamPoint> last;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < seconds * 1000) {
    for (std::size_t i = 0; i < streams.size(); ++i) {
      const std::optional<StreamPoint> cursor = streams[i]->Cursor();
      if (!cursor || cursor == last) continue;
      last = cursor;
      std::printf("CURSOR %d %d\n", cast->streams[i].x + cursor->x, cast->streams[i].y + cursor->y);
    }
    QThread::msleep(10);
  }
  // A monitor sends its first picture some time after its stream starts, and the next only when
  // something on it changes: a still one may not have sent any yet.
  const auto allHavePictures = [&] {
    return std::all_of(streams.begin(), streams.end(),
                       [](const auto& s) { return s->HasPicture(); });
  };
  while (!allHavePictures() && clock.elapsed() < seconds * 1000 + 5000) QThread::msleep(10);
  for (const auto& stream : streams) PrintCounts(*stream);
  if (!allHavePictures()) {
    std::fprintf(stderr, "no picture arrived on every monitor\n");
    return 1;
  }
  int w = 0, h = 0;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    w = std::max(w, cast->streams[i].x + streams[i]->Width());
    h = std::max(h, cast->streams[i].y + streams[i]->Height());
  }
  std::vector<std::uint32_t> full(std::size_t(w) * h, 0xff000000u), zoom(220 * 164);
  const auto copy = [](const PipeWireStream& stream, std::vector<std::uint32_t>& view, int w, int h,
                       vistrel::magnifier::SourceArea area) {
    stream.WithPicture([&](const vistrel::magnifier::PixelsIn& picture) {
      vistrel::magnifier::CopyNearest(picture, area,
                                      {reinterpret_cast<std::uint8_t*>(view.data()), w * 4, w, h});
    });
  };
  for (std::size_t i = streams.size(); i-- > 0;) {
    copy(*streams[i], full, w, h,
         {double(-cast->streams[i].x), double(-cast->streams[i].y), double(w), double(h)});
  }
  copy(*streams.front(), zoom, 220, 164, {100, 100, 110, 82});
  WritePpm(std::string(argv[3]) + "-full.ppm", full, w, h);
  WritePpm(std::string(argv[3]) + "-zoom.ppm", zoom, 220, 164);
  return 0;
}
