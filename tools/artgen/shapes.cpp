#include "shapes.h"

#include <algorithm>

namespace artgen {

Canvas CheckBox(bool on, Rgb face, Rgb frame, Rgb tick)
{
  Canvas box(15, 15, face);
  box.FrameRect(0, 0, 15, 15, 1, frame);
  if (on) {
    box.Line(3, 6, 6, 9, 2, tick);
    box.Line(6, 9, 11, 4, 2, tick);
  }
  return box;
}

void DownTriangle(Canvas& canvas, int centreX, int top, int rows, Rgb colour)
{
  for (int i = 0; i < rows; ++i) {
    const int half = rows - 1 - i;
    canvas.FillRect(centreX - half, top + i, 2 * half + 1, 1, colour);
  }
}

void UpTriangle(Canvas& canvas, int centreX, int top, int rows, Rgb colour)
{
  for (int i = 0; i < rows; ++i)
    canvas.FillRect(centreX - i, top + i, 2 * i + 1, 1, colour);
}

namespace {

// How far (x, y) lies outside the rounded rectangle's inner corner circles,
// squared: 0 inside the straight parts.
long long CornerDistance2(int px, int py, int x, int y, int width, int height, int radius)
{
  // Twice the coordinates, so that pixel centres and circle centres are
  // whole numbers: a pixel's centre is 2 px + 1.
  const long long cx = 2LL * px + 1, cy = 2LL * py + 1;
  const long long left = 2LL * (x + radius), right = 2LL * (x + width - radius);
  const long long top = 2LL * (y + radius), bottom = 2LL * (y + height - radius);
  const long long dx = cx < left ? left - cx : cx > right ? cx - right : 0;
  const long long dy = cy < top ? top - cy : cy > bottom ? cy - bottom : 0;
  return dx * dx + dy * dy;
}

} // namespace

void RoundedRect(Canvas& canvas, int x, int y, int width, int height, int radius, Rgb fill, Rgb edge, int thickness)
{
  radius = std::clamp(radius, 0, std::min(width, height) / 2);
  const long long outer = 4LL * radius * radius;
  const long long inner = 4LL * std::max(0, radius - thickness) * std::max(0, radius - thickness);
  for (int py = y; py < y + height; ++py)
    for (int px = x; px < x + width; ++px) {
      const long long d = CornerDistance2(px, py, x, y, width, height, radius);
      if (d > outer)
        continue;
      const bool nearEdge =
          px < x + thickness || py < y + thickness || px >= x + width - thickness || py >= y + height - thickness;
      const bool inCorner = d > 0;
      const bool onEdge = inCorner ? (radius <= thickness || d > inner) : nearEdge;
      canvas.Set(px, py, onEdge ? edge : fill);
    }
}

} // namespace artgen
