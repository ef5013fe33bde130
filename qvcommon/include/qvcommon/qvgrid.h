#pragma once
#include "qvcommon/qvmemory.h"
#include "qvcommon/qvrect.h"

class QVColorMatrix;
class QVImage;
class QVViewImage;

// A one-bit-per-pixel map over an image, kept in cells of 8 x 8 pixels, with
// what a brush stroke needs to grow a selection from painted pixels into
// neighbouring pixels of similar colour.
//
// A cell is two 32-bit words: word 0 holds pixel rows 0-3, word 1 rows 4-7.
// In a word, byte r (the least significant first) is pixel row r mod 4, and
// in that byte bit 7 is the cell's leftmost pixel. So the bit of pixel
// (x, y) is (0x80 >> x % 8) << 8 * (y % 4) in word (y % 8) / 4 of cell
// (x / 8, y / 8). Cells are stored row by row, two words each.
//
// The grid covers cellsX * 8 by cellsY * 8 pixels; pixels outside are never
// set and read as clear. A grid whose storage could not be had does nothing.
class QVCOMMON_API QVGrid {
public:
  QVGrid(int32_t width, int32_t height);
  QVGrid(const QVGrid&) = delete;
  QVGrid& operator=(const QVGrid&) = delete;

  // ---- Virtual operations, in their fixed order ----
  // Closes gaps of at most maxGap (capped at 4) clear pixels that lie along
  // a pixel row or column before a set pixel, a run from the grid's left
  // or top edge included.
  virtual void GridFillIn(int32_t maxGap);
  // Non-zero when any pixel of the cell is set.
  virtual int32_t GridIsSet(const int32_t* cell) const;
  // Grows one cell of the current growth (see ExpandedGrid); pixel is the
  // image address of the cell's top-left pixel.
  virtual void SweepFromUpperLeft(int32_t* cell, const unsigned char* pixel);
  // Non-zero when every pixel of the cell is set.
  virtual int32_t GridIsFull(const int32_t* cell) const;
  virtual ~QVGrid();
  // The word of pixel (x - origin left, y - origin top) of the given cell :=
  // that pixel's bit alone. Positions outside 0..7 are ignored.
  virtual void Set(int32_t* cell, int32_t x, int32_t y, const QVRect& origin);
  // The word of pixel (x, y) := that pixel's bit alone (the other pixels of
  // the 8 x 4 half cell become clear).
  virtual void SetFromBrush(int32_t x, int32_t y);
  // Word 0 of cell (cx, cy); 0 outside the grid.
  virtual int32_t Get(int32_t cx, int32_t cy) const;
  // 1 when a pixel just across the border of cell (cx, cy) is set: the
  // bottom row of the cell above, the right column of the cell to the left,
  // the left column of the cell to the right, the top row of the cell below.
  // The words are reached through (cx, cy), which must name `cell`; 0
  // outside the grid.
  virtual int32_t NeighborIsSet(const int32_t* cell, int32_t cx, int32_t cy) const;
  // One growth pass over a 3-byte image: every partly set cell, and every
  // empty one with a set pixel across its border, grows into pixels whose
  // colour the matrix accepts (a cell byte of 0) or that match their set
  // neighbours. Odd passes visit the cells from the last to the first, even
  // ones from the first. Returns 1 when a pixel was set; callers repeat
  // until 0. Other images give 0; a null matrix means only the colour match.
  // The last two arguments are not used.
  virtual int32_t ExpandedGrid(QVColorMatrix* matrix, QVImage* image, int32_t unused1, int32_t unused2);
  // Every set cell with a set pixel across its border is written through
  // the view (QVViewImage::WriteRect, grid form) over its rectangle mapped
  // into the view.
  virtual void Write(QVViewImage* view, unsigned char a, QVColorMatrix* matrix, unsigned char b, QVImage* image);

  // The bit of pixel (x, y), non-zero when set; 0 outside the grid.
  int32_t GridIsSet(int32_t x, int32_t y) const;
  // Cell (cx, cy)'s two words; null outside the grid.
  int32_t* Cell(int32_t cx, int32_t cy) const;
  bool HasStorage() const { return words != nullptr; }

  // ---- Fields, in their fixed order ----
  int window[16][16] = {};  // valid pixels around the cell being grown: [row + 4][column + 4]
  int32_t changed = 0;      // a growth step set a pixel
  int32_t* words = nullptr; // the map, row of cells by row of cells
  int32_t wordsPerRow = 0;
  QVHandle* storage = nullptr; // owned
  int32_t cellsX = 0;
  int32_t cellsY = 0;
  int32_t imageBytesPerPixel = 0; // of the current growth's image
  int32_t imageRowBytes = 0;
  QVColorMatrix* matrix = nullptr; // of the current growth
  // For pixel row r of a cell, the word offset from the word holding row r
  // to the word holding row r - 1, r + 1, r - 2 and r + 2.
  int32_t up1[8] = {};
  int32_t down1[8] = {};
  int32_t up2[8] = {};
  int32_t down2[8] = {};
  int32_t passCount = 0; // ExpandedGrid passes made

private:
  // Whether the pixel (column + dx, row + dy) seen from pixel (column, row)
  // of the cell is set; it must lie in the window.
  bool Near(const int32_t* cell, int32_t row, int32_t column, int32_t dy, int32_t dx) const;
  bool Valid(int32_t row, int32_t column) const { return window[row + 4][column + 4] != 0; }
};
