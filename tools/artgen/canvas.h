#pragma once
// A picture being drawn: width x height pixels of 8-bit R, G, B, row 0 at
// the top. Drawing is integer geometry only, so a picture comes out the
// same on every run; whatever falls outside the canvas is dropped.
#include <cstdint>
#include <vector>

namespace artgen {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class Canvas {
public:
  // A canvas of the size filled with the colour; a size below 1 gives an
  // empty canvas (0 x 0).
  Canvas(int width, int height, Rgb fill);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // The pixel at (x, y); black outside the canvas.
  Rgb At(int x, int y) const;
  // Sets one pixel; nothing outside the canvas.
  void Set(int x, int y, Rgb colour);
  // Fills the rectangle of width x height at (x, y), clipped to the canvas.
  void FillRect(int x, int y, int width, int height, Rgb colour);
  // A frame `thickness` pixels wide just inside that rectangle.
  void FrameRect(int x, int y, int width, int height, int thickness, Rgb colour);
  // A line from (x0, y0) to (x1, y1), both ends included, drawn as a
  // `thickness` x `thickness` square at every step of the Bresenham walk
  // (its top-left corner on the walk).
  void Line(int x0, int y0, int x1, int y1, int thickness, Rgb colour);

private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Rgb> pixels_;
};

} // namespace artgen
