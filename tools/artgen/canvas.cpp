#include "canvas.h"

#include <algorithm>
#include <cstdlib>

namespace artgen {

Canvas::Canvas(int width, int height, Rgb fill)
{
  if (width < 1 || height < 1)
    return;
  width_ = width;
  height_ = height;
  pixels_.assign(size_t(width) * size_t(height), fill);
}

Rgb Canvas::At(int x, int y) const
{
  if (x < 0 || y < 0 || x >= width_ || y >= height_)
    return Rgb{};
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}

void Canvas::Set(int x, int y, Rgb colour)
{
  if (x < 0 || y < 0 || x >= width_ || y >= height_)
    return;
  pixels_[size_t(y) * size_t(width_) + size_t(x)] = colour;
}

void Canvas::FillRect(int x, int y, int width, int height, Rgb colour)
{
  const int left = std::max(x, 0), top = std::max(y, 0);
  const int right = static_cast<int>(std::min<long long>(static_cast<long long>(x) + width, width_));
  const int bottom = static_cast<int>(std::min<long long>(static_cast<long long>(y) + height, height_));
  for (int row = top; row < bottom; ++row)
    for (int column = left; column < right; ++column)
      pixels_[size_t(row) * size_t(width_) + size_t(column)] = colour;
}

void Canvas::FrameRect(int x, int y, int width, int height, int thickness, Rgb colour)
{
  FillRect(x, y, width, thickness, colour);
  FillRect(x, y + height - thickness, width, thickness, colour);
  FillRect(x, y, thickness, height, colour);
  FillRect(x + width - thickness, y, thickness, height, colour);
}

void Canvas::Line(int x0, int y0, int x1, int y1, int thickness, Rgb colour)
{
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    FillRect(x0, y0, thickness, thickness, colour);
    if (x0 == x1 && y0 == y1)
      return;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

} // namespace artgen
