// QVImage's polygon filling: edges marked into a cell grid by direction,
// then the pixels of non-zero winding painted row by row.
#include "qvcommon/qvimage.h"
#include "qvimage_internal.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace {

// PolygonFill uses this many points at most.
constexpr int32_t kMaxPolygonPoints = 512;
// A polygon cell counts downward crossings in its low half and upward ones
// in its high half.
constexpr uint32_t kDown = 1;
constexpr uint32_t kUp = 65536;

} // namespace

void QVImage::PolygonFill(QVPoint** points, int32_t count, uint32_t colour)
{
  if (!HasPixels() || !points || count < 3)
    return;
  const int32_t m = std::min(count, kMaxPolygonPoints);
  std::array<int32_t, kMaxPolygonPoints> xs, ys;
  for (int32_t i = 0; i < m; ++i) {
    if (!points[i])
      return;
    xs[i] = std::clamp(points[i]->X(), 0, width - 1);
    ys[i] = std::clamp(points[i]->Y(), 0, height - 1);
  }
  const int32_t minX = *std::min_element(xs.begin(), xs.begin() + m);
  const int32_t maxX = *std::max_element(xs.begin(), xs.begin() + m);
  const int32_t minY = *std::min_element(ys.begin(), ys.begin() + m);
  const int32_t maxY = *std::max_element(ys.begin(), ys.begin() + m);
  const int64_t boxWidth = int64_t{maxX} - minX + 1, boxHeight = int64_t{maxY} - minY + 1;
  GlobalBlock block(boxWidth * boxHeight * 4);
  if (!block)
    return;
  uint32_t* cells = block.As<uint32_t>();
  auto cell = [&](int64_t x, int64_t y) -> uint32_t& {
    return cells[(std::clamp<int64_t>(y, minY, maxY) - minY) * boxWidth + std::clamp<int64_t>(x, minX, maxX) - minX];
  };

  // Each edge marks, on every row after its start down to its end, the cell
  // it crosses: downward edges in the low half, upward ones in the high
  // half. At a local top or bottom the start is marked once more, so that
  // the row of the turn balances. Returns the cell of the last row.
  int32_t lastDirection = 0, firstDirection = 0;
  auto walk = [&](int32_t from, int32_t to) -> uint32_t* {
    const int64_t dy = int64_t{ys[to]} - ys[from];
    if (dy == 0)
      return nullptr;
    const int32_t direction = dy > 0 ? 1 : -1;
    const uint32_t mark = direction > 0 ? kDown : kUp;
    if (lastDirection != 0 && direction != lastDirection)
      cell(xs[from], ys[from]) += mark;
    const int64_t rows = std::llabs(dy);
    const int64_t stepX = ((int64_t{xs[to]} - xs[from]) << 16) / rows;
    int64_t x = int64_t{xs[from]} << 16;
    int64_t y = ys[from];
    uint32_t* last = nullptr;
    for (int64_t k = 0; k < rows; ++k) {
      x += stepX;
      y += direction;
      last = &cell(x >> 16, y);
      *last += mark;
    }
    lastDirection = direction;
    if (firstDirection == 0)
      firstDirection = direction;
    return last;
  };
  for (int32_t i = 1; i < m; ++i)
    walk(i - 1, i);
  // The closing edge also settles the row of the first point, which the
  // first edge left out.
  if (ys[0] == ys[m - 1]) {
    if (firstDirection != 0 && lastDirection != 0 && firstDirection != lastDirection)
      cell(xs[m - 1], ys[m - 1]) += lastDirection < 0 ? kDown : kUp;
  } else {
    const int32_t first = firstDirection;
    uint32_t* last = walk(m - 1, 0);
    if (first != 0 && lastDirection != first)
      *last = kDown + kUp;
  }

  if (boxWidth <= 1 || boxHeight <= 1)
    return;
  const unsigned char bgr[3] = {static_cast<unsigned char>(colour >> 16), static_cast<unsigned char>(colour >> 8),
                                static_cast<unsigned char>(colour)};
  const int32_t bytes = std::min(bytesPerPixel, 3);
  for (int32_t y = minY; y <= maxY; ++y) {
    const uint32_t* row = cells + (y - minY) * boxWidth;
    unsigned char* p = ImagePixel(*this, minX, y);
    int64_t winding = 0;
    for (int64_t x = 0; x < boxWidth; ++x, p += bytesPerPixel) {
      winding += int64_t{row[x] & 0xFFFF} - int64_t{row[x] >> 16};
      if (winding != 0)
        std::memcpy(p, bgr, static_cast<size_t>(bytes));
    }
  }
}
