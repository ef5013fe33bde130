#include "peripheralart.h"

#include <cstdlib>

namespace art {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// Whether (x, y) lies in the up arrow's triangle: rows 1..10, widening from
// the two middle columns 7-8 to columns 1-14. A pixel belongs when its
// centre's distance from the middle (7.5) is within 0.5 + 2/3 (row - 1),
// which is 3 |2x - 15| <= 3 + 4 (row - 1) in whole numbers.
bool InArrow(int x, int y)
{
  return y >= 1 && y <= 10 && x >= 0 && x < 16 && 3 * std::abs(2 * x - 15) <= 3 + 4 * (y - 1);
}

} // namespace

Picture RingPicture()
{
  Picture ring(81, 81, kControlGrey);
  for (int y = 0; y < ring.height; ++y)
    for (int x = 0; x < ring.width; ++x) {
      const int dx = std::abs(x - 39), dy = std::abs(y - 40);
      const int d2 = dx * dx + dy * dy;
      const bool tick = (dy <= 1 && dx >= 31 && dx <= 34) || (dx <= 1 && dy >= 31 && dy <= 34);
      Rgb& p = ring.At(x, y);
      if (d2 > 36 * 36)
        p = kControlGrey;
      else if (d2 > 35 * 35)
        p = kFrame;
      else if (tick)
        p = kAccent;
      else if (d2 >= 20 * 20 && d2 <= 28 * 28)
        p = kShadow;
      else
        p = kFace;
    }
  return ring;
}

Picture NudgeArrowPicture()
{
  Picture arrow(16, 12, kControlGrey);
  for (int y = 0; y < arrow.height; ++y)
    for (int x = 0; x < arrow.width; ++x)
      if (InArrow(x, y))
        arrow.At(x, y) = kFace;
  return arrow;
}

Picture HotNudgeArrowPicture()
{
  Picture arrow(16, 12, kControlGrey);
  for (int y = 0; y < arrow.height; ++y)
    for (int x = 0; x < arrow.width; ++x) {
      if (!InArrow(x, y))
        continue;
      // The outline: pixels with a side neighbour outside the triangle.
      const bool edge = !InArrow(x - 1, y) || !InArrow(x + 1, y) || !InArrow(x, y - 1) || !InArrow(x, y + 1);
      arrow.At(x, y) = edge ? kFace : kAccent;
    }
  return arrow;
}

Picture FlatPicture(int width, int height, Rgb color) { return Picture(width, height, color); }

std::vector<uint8_t> PackedDib(const Picture& picture)
{
  const uint32_t rowBytes = (uint32_t(picture.width) * 3 + 3) & ~3u;
  std::vector<uint8_t> out;
  Put32(out, 40);
  Put32(out, uint32_t(picture.width));
  Put32(out, uint32_t(picture.height));
  Put16(out, 1);  // planes
  Put16(out, 24); // bits per pixel
  Put32(out, 0);  // BI_RGB
  Put32(out, rowBytes * uint32_t(picture.height));
  Put32(out, 2835); // 72 dpi
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      const Rgb& p = picture.At(x, y);
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    out.resize(out.size() + (rowBytes - uint32_t(picture.width) * 3), 0);
  }
  return out;
}

} // namespace art
