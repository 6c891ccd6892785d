// A full-screen window of known colours under everything else, so that the magnified picture
// can be checked pixel by pixel: white, a black 20 x 20 square centred on (512, 384), and
// coloured 5-pixel bands along the edges (red left, blue right, green top, yellow bottom).
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
  // Centre of the screen, where the square is.
  POINT Centre() const { return {width_ / 2, height_ / 2}; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Repaints the square in another colour and waits until the screen shows it.
  void SetSquareColour(std::uint32_t rgb);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace e2e
