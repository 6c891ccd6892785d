// Outputs' places in desktop pixels at several scales, and the pointer from the cursor sessions'
// events: each row one story of events and where the pointer is after it.
#include "wayland/compositor_pointer.h"

#include <gtest/gtest.h>

#include <vector>

namespace vistrel::linux_shell::wayland {
namespace {

TEST(CompositorPointer, PixelPlaceAtEveryScale) {
  const struct {
    OutputPlace output;
    platform::PixelRect place;
  } rows[] = {
      {{0, 0, 1024, 768, 1024, 768}, {0, 0, 1024, 768}},
      {{1024, 0, 640, 384, 1280, 768}, {2048, 0, 1280, 768}},     // scale 2 right of scale 1
      {{1280, 0, 1280, 720, 1920, 1080}, {1920, 0, 1920, 1080}},  // scale 1.5
      {{-800, 0, 800, 600, 0, 0}, {-800, 0, 800, 600}},           // before the first buffer
  };
  for (const auto& row : rows) EXPECT_EQ(PixelPlace(row.output), row.place);
}

// Two outputs: 1 at scale 1 (0,0 1024x768), 2 at scale 2 right of it (1024,0 logical 640x384).
constexpr OutputPlace kPlaces[] = {{0, 0, 1024, 768, 1024, 768}, {1024, 0, 640, 384, 1280, 768}};

struct Event {
  char what;  // e: enter, l: leave, p: position, r: output removed
  PointerTrack::Output output;
  int x = 0, y = 0;
};

struct Row {
  const char* story;
  std::vector<Event> events;
  platform::CursorPoint where;
  std::uint64_t moves;
  bool lost;
};

TEST(CompositorPointer, FollowsTheSessions) {
  const Row rows[] = {
      {"nothing yet", {}, {0, 0}, 0, true},
      {"a position before enter is not trusted", {{'p', 1, 5, 5}}, {0, 0}, 0, true},
      {"enter then position", {{'e', 1}, {'p', 1, 300, 200}}, {300, 200}, 1, false},
      {"the same place again is no move",
       {{'e', 1}, {'p', 1, 300, 200}, {'p', 1, 300, 200}},
       {300, 200},
       1,
       false},
      {"scale 2 output: buffer pixels after its place",
       {{'e', 2}, {'p', 2, 600, 400}},
       {2048 + 600, 400},
       1,
       false},
      {"across the edge: the neighbour's -1 is not the pointer",
       {{'e', 1}, {'e', 2}, {'p', 1, 1023, 300}, {'p', 2, -1, 600}, {'p', 2, 0, 600}},
       {2048, 600},
       2,
       false},
      {"leave keeps the last place and says lost",
       {{'e', 1}, {'p', 1, 10, 20}, {'l', 1}, {'p', 1, 30, 40}},
       {10, 20},
       1,
       true},
      {"positions come back after enter",
       {{'e', 1}, {'p', 1, 10, 20}, {'l', 1}, {'e', 1}, {'p', 1, 30, 40}},
       {30, 40},
       2,
       false},
      {"the output with the pointer goes",
       {{'e', 1}, {'e', 2}, {'p', 2, 8, 8}, {'l', 1}, {'r', 2}},
       {2056, 8},
       1,
       true},
  };
  for (const Row& row : rows) {
    PointerTrack track;
    for (const Event& e : row.events) {
      switch (e.what) {
        case 'e':
          track.Enter(e.output);
          break;
        case 'l':
          track.Leave(e.output);
          break;
        case 'p':
          track.Position(e.output, kPlaces[e.output - 1], e.x, e.y);
          break;
        case 'r':
          track.Remove(e.output);
          break;
      }
    }
    EXPECT_EQ(track.Where().x, row.where.x) << row.story;
    EXPECT_EQ(track.Where().y, row.where.y) << row.story;
    EXPECT_EQ(track.Moves(), row.moves) << row.story;
    EXPECT_EQ(track.Lost(), row.lost) << row.story;
  }
}

}  // namespace
}  // namespace vistrel::linux_shell::wayland
