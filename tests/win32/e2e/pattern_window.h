// A window over the whole desktop (every monitor) in known colours under everything else, so
// that the magnified picture can be checked pixel by pixel: white, a black 20 x 20 square centred
// on the desktop's centre ((512, 384) on one 1024 x 768 monitor), and coloured 5-pixel bands
// along its edges (red left, blue right, green top, yellow bottom).
#pragma once

#include <windows.h>

#include <cstdint>

namespace e2e {

inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kRed = 0xFF0000;
inline constexpr std::uint32_t kBlue = 0x0000FF;
inline constexpr std::uint32_t kGreen = 0x00FF00;
inline constexpr std::uint32_t kYellow = 0xFFFF00;
inline constexpr int kSquareSize = 20;
inline constexpr int kBand = 5;

class PatternWindow {
 public:
  PatternWindow();
  ~PatternWindow();
  // Centre of the desktop, where the square is.
  POINT Centre() const { return {left_ + width_ / 2, top_ + height_ / 2}; }
  // The desktop's top-left corner: negative where a monitor lies left of or above the primary.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Repaints the square in another colour and waits until the screen shows it.
  void SetSquareColour(std::uint32_t rgb);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool CentreShows(std::uint32_t rgb) const;
  HWND hwnd_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace e2e
