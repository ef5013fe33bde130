#include "qvcommon/qvgrid.h"

#include "qvcommon/qvcolormatrix.h"
#include "qvcommon/qvviewimage.h"
#include "qvimage_internal.h"

#include <cstdlib>
#include <new>

namespace {

// The bit of pixel (x, y) in its word.
uint32_t BitOf(int64_t x, int64_t y) { return (0x80u >> (x & 7)) << (8 * (y & 3)); }

// Two colours are close when they differ by less than 30 in all and less
// than 13 in each channel; the first is the mean of `count` summed pixels.
bool Close(const int32_t* sums, int32_t count, const unsigned char* pixel)
{
  int32_t total = 0;
  for (int c = 0; c < 3; ++c) {
    const int32_t d = std::abs(sums[c] / count - pixel[c]);
    if (d >= 13)
      return false;
    total += d;
  }
  return total < 30;
}

} // namespace

QVGrid::QVGrid(int32_t width, int32_t height)
{
  if (width <= 0 || height <= 0)
    return;
  const int64_t x = (int64_t{width} + 7) / 8, y = (int64_t{height} + 7) / 8;
  if (x * 2 * y * 4 > INT32_MAX)
    return;
  cellsX = static_cast<int32_t>(x);
  cellsY = static_cast<int32_t>(y);
  wordsPerRow = cellsX * 2;
  // From the word holding row r of a cell to the word holding row r + dy.
  for (int32_t r = 0; r < 8; ++r) {
    auto offset = [&](int32_t dy) {
      const int32_t t = r + dy + 8; // 6..17: the cell above, this one or the one below
      return (t / 8 - 1) * wordsPerRow + (t % 8) / 4 - r / 4;
    };
    up1[r] = offset(-1), down1[r] = offset(1), up2[r] = offset(-2), down2[r] = offset(2);
  }
  const int32_t size = wordsPerRow * cellsY * 4;
  storage = new (std::nothrow) QVHandle(size);
  if (!storage || storage->GetHandleSize() != size) {
    delete storage;
    storage = nullptr;
    cellsX = cellsY = wordsPerRow = 0;
    return;
  }
  // The storage is never resized, so its address stays valid unlocked.
  words = QVPointer(storage);
  std::fill(words, words + size / 4, 0);
}

QVGrid::~QVGrid() { delete storage; }

int32_t* QVGrid::Cell(int32_t cx, int32_t cy) const
{
  if (!words || cx < 0 || cy < 0 || cx >= cellsX || cy >= cellsY)
    return nullptr;
  return words + static_cast<ptrdiff_t>(cy) * wordsPerRow + static_cast<ptrdiff_t>(cx) * 2;
}

int32_t QVGrid::GridIsSet(const int32_t* cell) const { return cell && (cell[0] | cell[1]) != 0 ? 1 : 0; }

int32_t QVGrid::GridIsFull(const int32_t* cell) const { return cell && cell[0] == -1 && cell[1] == -1 ? 1 : 0; }

int32_t QVGrid::GridIsSet(int32_t x, int32_t y) const
{
  const int32_t* cell = x < 0 || y < 0 ? nullptr : Cell(x / 8, y / 8);
  return cell ? static_cast<int32_t>(static_cast<uint32_t>(cell[(y & 7) / 4]) & BitOf(x, y)) : 0;
}

void QVGrid::SetFromBrush(int32_t x, int32_t y)
{
  if (int32_t* cell = x < 0 || y < 0 ? nullptr : Cell(x / 8, y / 8))
    cell[(y & 7) / 4] = static_cast<int32_t>(BitOf(x, y));
}

void QVGrid::Set(int32_t* cell, int32_t x, int32_t y, const QVRect& origin)
{
  const int64_t rx = int64_t{x} - origin.Left(), ry = int64_t{y} - origin.Top();
  if (cell && rx >= 0 && rx < 8 && ry >= 0 && ry < 8)
    cell[ry / 4] = static_cast<int32_t>(BitOf(rx, ry));
}

int32_t QVGrid::Get(int32_t cx, int32_t cy) const
{
  const int32_t* cell = Cell(cx, cy);
  return cell ? cell[0] : 0;
}

int32_t QVGrid::NeighborIsSet(const int32_t*, int32_t cx, int32_t cy) const
{
  // The words are reached from (cx, cy), so a cell of another grid cannot
  // lead outside this one.
  const int32_t* cell = Cell(cx, cy);
  if (!cell)
    return 0;
  const uint32_t above = cy > 0 ? static_cast<uint32_t>(cell[1 - wordsPerRow]) & 0xFF000000u : 0;
  const uint32_t left = cx > 0 ? static_cast<uint32_t>(cell[-2] | cell[-1]) & 0x01010101u : 0;
  const uint32_t right = cx < cellsX - 1 ? static_cast<uint32_t>(cell[2] | cell[3]) & 0x80808080u : 0;
  const uint32_t below = cy < cellsY - 1 ? static_cast<uint32_t>(cell[wordsPerRow]) & 0xFFu : 0;
  return (above | left | right | below) != 0 ? 1 : 0;
}

bool QVGrid::Near(const int32_t* cell, int32_t row, int32_t column, int32_t dy, int32_t dx) const
{
  const int32_t* table = dy == -1 ? up1 : dy == 1 ? down1 : dy == -2 ? up2 : dy == 2 ? down2 : nullptr;
  const int32_t c = column + dx;
  const int32_t* word = cell + row / 4 + (table ? table[row] : 0) + (c < 0 ? -2 : (c > 7 ? 2 : 0));
  return (static_cast<uint32_t>(*word) & BitOf(c, row + dy)) != 0;
}

int32_t QVGrid::ExpandedGrid(QVColorMatrix* colours, QVImage* image, int32_t, int32_t)
{
  if (!words || !image || !image->HasPixels() || image->bytesPerPixel != 3)
    return 0;
  matrix = colours;
  imageBytesPerPixel = image->bytesPerPixel;
  imageRowBytes = image->rowBytes;
  changed = 0;
  ++passCount;
  // Pixels are valid inside the image and the grid alike.
  const int64_t validWidth = std::min<int64_t>(image->width, int64_t{cellsX} * 8);
  const int64_t validHeight = std::min<int64_t>(image->height, int64_t{cellsY} * 8);
  const int64_t count = int64_t{cellsX} * cellsY;
  for (int64_t n = 0; n < count; ++n) {
    const int64_t index = passCount % 2 == 1 ? count - 1 - n : n;
    const int32_t cx = static_cast<int32_t>(index % cellsX), cy = static_cast<int32_t>(index / cellsX);
    int32_t* cell = Cell(cx, cy);
    const bool grows = GridIsSet(cell) ? !GridIsFull(cell) : NeighborIsSet(cell, cx, cy) != 0;
    const int64_t left = int64_t{cx} * 8, top = int64_t{cy} * 8;
    if (!grows || left >= validWidth || top >= validHeight)
      continue;
    for (int32_t wy = 0; wy < 16; ++wy)
      for (int32_t wx = 0; wx < 16; ++wx) {
        const int64_t x = left - 4 + wx, y = top - 4 + wy;
        window[wy][wx] = x >= 0 && y >= 0 && x < validWidth && y < validHeight ? 1 : 0;
      }
    SweepFromUpperLeft(cell, ImageRow(*image, static_cast<int32_t>(top)) + left * 3);
  }
  return changed;
}

void QVGrid::SweepFromUpperLeft(int32_t* cell, const unsigned char* pixel)
{
  if (!cell || !pixel)
    return;
  static constexpr int32_t kNeighbours[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};
  static constexpr int32_t kRing[16][2] = {{-2, -2}, {-2, -1}, {-2, 0}, {-2, 1}, {-2, 2}, {-1, -2}, {-1, 2}, {0, -2},
                                           {0, 2},   {1, -2},  {1, 2},  {2, -2}, {2, -1}, {2, 0},   {2, 1},  {2, 2}};
  const ptrdiff_t rowBytes = imageRowBytes;
  // Sums the colours of the set, valid pixels at the offsets around (row,
  // column); returns how many there were.
  auto gather = [&](const int32_t(*offsets)[2], int32_t n, int32_t row, int32_t column, int32_t* sums) {
    int32_t found = 0;
    sums[0] = sums[1] = sums[2] = 0;
    for (int32_t k = 0; k < n; ++k) {
      const int32_t dy = offsets[k][0], dx = offsets[k][1];
      if (!Valid(row + dy, column + dx) || !Near(cell, row, column, dy, dx))
        continue;
      const unsigned char* p = pixel + (row + dy) * rowBytes + (column + dx) * 3;
      for (int c = 0; c < 3; ++c)
        sums[c] += p[c];
      ++found;
    }
    return found;
  };
  auto accepts = [&](int32_t row, int32_t column) {
    const unsigned char* p = pixel + row * rowBytes + column * 3;
    int32_t sums[3];
    const int32_t set = gather(kNeighbours, 8, row, column, sums);
    if (set == 0)
      return false;
    unsigned char entry = 1;
    if (matrix && matrix->GetEntry(&entry, p[2], p[1], p[0]) && entry == 0)
      return true;
    if (set < 3)
      return false;
    if (set == 8)
      return true;
    if (!Close(sums, set, p))
      return false;
    const int32_t ring = gather(kRing, 16, row, column, sums);
    return ring >= 4 && Close(sums, ring, p);
  };
  for (bool again = true; again && !GridIsFull(cell);) {
    again = false;
    for (int32_t row = 0; row < 8; ++row)
      for (int32_t column = 0; column < 8; ++column) {
        if (!Valid(row, column) || Near(cell, row, column, 0, 0) || !accepts(row, column))
          continue;
        cell[row / 4] = static_cast<int32_t>(static_cast<uint32_t>(cell[row / 4]) | BitOf(column, row));
        changed = 1;
        again = true;
      }
  }
}

void QVGrid::GridFillIn(int32_t maxGap)
{
  if (!words || maxGap <= 0)
    return;
  const int32_t gap = std::min(maxGap, 4);
  const int32_t width = cellsX * 8, height = cellsY * 8;
  // One clear-run counter per pixel column; the row counter starts afresh
  // on every pixel row, so runs never join unrelated rows.
  GlobalBlock block(int64_t{width} * 4);
  if (!block)
    return;
  int32_t* columns = block.As<int32_t>();
  auto set = [&](int32_t x, int32_t y) {
    int32_t& word = Cell(x / 8, y / 8)[(y & 7) / 4];
    word = static_cast<int32_t>(static_cast<uint32_t>(word) | BitOf(x, y));
  };
  for (int32_t y = 0; y < height; ++y) {
    int32_t run = 0;
    for (int32_t x = 0; x < width; ++x) {
      if (!GridIsSet(x, y)) {
        ++run;
        ++columns[x];
        continue;
      }
      for (int32_t k = 1; run <= gap && k <= run; ++k)
        set(x - k, y);
      for (int32_t k = 1; columns[x] <= gap && k <= columns[x]; ++k)
        set(x, y - k);
      run = columns[x] = 0;
    }
  }
}

void QVGrid::Write(QVViewImage* view, unsigned char a, QVColorMatrix* colours, unsigned char b, QVImage* image)
{
  if (!words || !view)
    return;
  for (int32_t cy = 0; cy < cellsY; ++cy)
    for (int32_t cx = 0; cx < cellsX; ++cx) {
      int32_t* cell = Cell(cx, cy);
      if (!GridIsSet(cell) || !NeighborIsSet(cell, cx, cy))
        continue;
      QVRect rect(cx * 8, cy * 8, cx * 8 + 8, cy * 8 + 8);
      view->ImageRectToViewRect(&rect);
      if (!view->IsVisible(&rect))
        continue;
      view->CropRect2(&rect);
      view->WriteRect(this, cell, rect, a, colours, b, image);
    }
}
