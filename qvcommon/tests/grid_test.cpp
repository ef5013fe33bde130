// QVGrid: the bit layout, neighbours, growth by colour and gap filling.
#include "qvcommon/qvcolormatrix.h"
#include "qvcommon/qvgrid.h"
#include "qvcommon/qvviewimage.h"
#include "qvcommon/qvvirtualimage.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace {

using Pixels = std::set<std::pair<int32_t, int32_t>>;

void SetBit(QVGrid& grid, int32_t x, int32_t y)
{
  int32_t& word = grid.Cell(x / 8, y / 8)[(y % 8) / 4];
  word = static_cast<int32_t>(static_cast<uint32_t>(word) | ((0x80u >> (x % 8)) << (8 * (y % 4))));
}

Pixels SetPixels(const QVGrid& grid)
{
  Pixels set;
  for (int32_t y = -2; y < grid.cellsY * 8 + 2; ++y)
    for (int32_t x = -2; x < grid.cellsX * 8 + 2; ++x)
      if (grid.GridIsSet(x, y))
        set.insert({x, y});
  return set;
}

TEST(QVGrid, BitLayout)
{
  // 9 x 9 pixels take 2 x 2 cells. Pixel (8, 8) is bit 0x80 of word 0 of
  // cell (1, 1); pixel (3, 5) is 0x10 << 8 in word 1 of cell (0, 0).
  QVGrid grid(9, 9);
  EXPECT_EQ(grid.cellsX, 2);
  EXPECT_EQ(grid.wordsPerRow, 4);
  grid.SetFromBrush(8, 8);
  EXPECT_EQ(grid.Get(1, 1), 0x80);
  grid.SetFromBrush(3, 5);
  EXPECT_EQ(grid.Cell(0, 0)[1], 0x1000);
  grid.SetFromBrush(7, 7); // row 3 of word 1: bit 0x01 << 24
  EXPECT_EQ(static_cast<uint32_t>(grid.Cell(0, 0)[1]), 0x01000000u); // the word was replaced
  EXPECT_EQ(grid.GridIsSet(3, 5), 0);
  EXPECT_NE(grid.GridIsSet(7, 7), 0);
  // Set works relative to the given cell's origin, within 0..7 only.
  grid.Set(grid.Cell(1, 0), 9, 2, QVRect(8, 0, 16, 8));
  EXPECT_EQ(grid.Get(1, 0), 0x40 << 16);
  grid.Set(grid.Cell(1, 0), 16, 2, QVRect(8, 0, 16, 8));
  EXPECT_EQ(grid.Get(1, 0), 0x40 << 16);
  // Outside the grid nothing is set and everything reads clear.
  for (auto [x, y] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{16, 0}, std::pair{0, 16}})
    grid.SetFromBrush(x, y);
  EXPECT_EQ(SetPixels(grid), (Pixels{{8, 8}, {7, 7}, {9, 2}}));
  EXPECT_EQ(grid.Get(2, 0), 0);
  // The row offsets: one row above row 0 is word 1 of the cell above.
  EXPECT_EQ(grid.up1[0], 1 - 4);
  EXPECT_EQ(grid.up1[4], -1);
  EXPECT_EQ(grid.down1[7], 4 - 1);
  EXPECT_EQ(grid.down2[6], 4 - 1);
  EXPECT_EQ(grid.up2[5], -1);
}

TEST(QVGrid, NeighboursAcrossEachBorder)
{
  // Cell (1, 1) of 3 x 3: one pixel just across each border in turn.
  for (auto [x, y] : {std::pair{10, 7}, std::pair{7, 12}, std::pair{16, 9}, std::pair{13, 16}}) {
    QVGrid grid(24, 24);
    grid.SetFromBrush(x, y);
    EXPECT_EQ(grid.NeighborIsSet(grid.Cell(1, 1), 1, 1), 1) << x << "," << y;
  }
  // Pixels not on the facing edge, or cells on the grid's border, see none.
  QVGrid grid(24, 24);
  grid.SetFromBrush(10, 6);  // row 6 of the cell above, not its bottom row
  grid.SetFromBrush(17, 9);  // second column of the cell to the right
  EXPECT_EQ(grid.NeighborIsSet(grid.Cell(1, 1), 1, 1), 0);
  EXPECT_EQ(grid.NeighborIsSet(grid.Cell(0, 0), 0, 0), 0);
  EXPECT_EQ(grid.NeighborIsSet(nullptr, 3, 0), 0);
}

// A 40 x 30 image: grey (100) with a red rectangle (5..20) x (4..17).
struct Scene {
  Scene() : image(40, 30, 3, &grey)
  {
    for (int32_t y = 4; y < 17; ++y)
      for (int32_t x = 5; x < 20; ++x) {
        unsigned char* p = image.pixels + y * image.rowBytes + x * 3;
        p[0] = 20, p[1] = 30, p[2] = 200 + (x + y) % 5; // a little texture
      }
  }
  // Repeats passes until one sets nothing; returns the passes made.
  int32_t Grow(QVGrid& grid, QVColorMatrix* matrix)
  {
    int32_t passes = 1;
    while (grid.ExpandedGrid(matrix, &image, 0, 0))
      ++passes;
    return passes;
  }
  const QVColor grey{100, 100, 100};
  QVImage image;
};

TEST(QVGrid, GrowthFillsTheColourRegionAndStops)
{
  Scene scene;
  QVGrid grid(40, 30);
  EXPECT_EQ(grid.ExpandedGrid(nullptr, &scene.image, 0, 0), 0); // empty grid: nothing to grow
  // A 4 x 4 seed: a pixel next to it has 3 set neighbours and 4 set ring
  // pixels of its colour.
  for (int32_t y = 9; y < 13; ++y)
    for (int32_t x = 10; x < 14; ++x)
      SetBit(grid, x, y);
  scene.Grow(grid, nullptr);
  Pixels red;
  for (int32_t y = 4; y < 17; ++y)
    for (int32_t x = 5; x < 20; ++x)
      red.insert({x, y});
  EXPECT_EQ(SetPixels(grid), red);
  // A fixed point: either pass direction leaves it as it is.
  EXPECT_EQ(grid.ExpandedGrid(nullptr, &scene.image, 0, 0), 0);
  EXPECT_EQ(grid.ExpandedGrid(nullptr, &scene.image, 0, 0), 0);
  EXPECT_EQ(SetPixels(grid), red);
  // Grey and missing images give 0 and change nothing.
  QVImage greyImage(40, 30, 1, nullptr);
  SetBit(grid, 30, 25);
  EXPECT_EQ(grid.ExpandedGrid(nullptr, &greyImage, 0, 0), 0);
  EXPECT_EQ(grid.ExpandedGrid(nullptr, nullptr, 0, 0), 0);
}

TEST(QVGrid, MatrixAcceptsItsColoursAtOnce)
{
  // The cube claims grey (cell byte 0): from one set grey pixel the grey
  // grows everywhere, however few neighbours are set, and stops at the red.
  Scene scene;
  QVColorMatrix cube(128, 0, 255, 8, 0, 255, 8, 0, 255, 8);
  const unsigned char zero = 0;
  cube.InsertSample(scene.grey, &zero, 0, 0);
  QVGrid grid(40, 30);
  SetBit(grid, 0, 0);
  scene.Grow(grid, &cube);
  const Pixels set = SetPixels(grid);
  EXPECT_EQ(set.size(), 40u * 30u - 15u * 13u);
  EXPECT_EQ(set.count({10, 10}), 0u);
  // A grid larger than its image grows only over the image; a cube of
  // another geometry is looked up by its own ranges.
  QVColor sample(100, 100, 100);
  QVColor* samples[] = {&sample};
  QVColorMatrix ranged(0, samples, 1, 2, 2, 2, 3);
  QVGrid big(64, 64);
  SetBit(big, 0, 0);
  scene.Grow(big, &ranged);
  EXPECT_EQ(SetPixels(big), set);
}

TEST(QVGrid, FillInClosesShortGapsWithinRowsAndColumns)
{
  QVGrid grid(32, 24);
  // Row 2: a leading run of 2, gaps of 2 (x 3..4), 1 (x 6) and 3 (x 8..10);
  // column 20: a gap of 2 below a leading run of 10.
  for (auto [x, y] : {std::pair{2, 2}, std::pair{5, 2}, std::pair{7, 2}, std::pair{11, 2}, std::pair{20, 10},
                      std::pair{20, 13}})
    SetBit(grid, x, y);
  auto row = [&](int32_t y) {
    std::set<int32_t> xs;
    for (auto [x, py] : SetPixels(grid))
      if (py == y)
        xs.insert(x);
    return xs;
  };
  auto column = [&](int32_t x) {
    std::set<int32_t> ys;
    for (auto [px, y] : SetPixels(grid))
      if (px == x)
        ys.insert(y);
    return ys;
  };
  grid.GridFillIn(2);
  EXPECT_EQ(row(2), (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 11}));
  EXPECT_EQ(column(20), (std::set<int32_t>{10, 11, 12, 13}));
  EXPECT_EQ(column(2), (std::set<int32_t>{0, 1, 2})); // the leading run above (2, 2)
  // Above 4 the gap is 4: the 3 close, the 10 stay.
  grid.GridFillIn(9);
  EXPECT_EQ(row(2), (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(column(20), (std::set<int32_t>{10, 11, 12, 13}));

  // A run ending one pixel row never joins the start of the next cell row.
  QVGrid rows(16, 16);
  SetBit(rows, 13, 0);
  SetBit(rows, 0, 8);
  rows.GridFillIn(4);
  EXPECT_EQ(SetPixels(rows), (Pixels{{13, 0}, {0, 8}}));
}

TEST(QVGrid, WriteMarksSetCellsWithSetNeighboursThroughTheView)
{
  QVImage base(24, 16, 1, nullptr);
  QVVirtualImage v(&base);
  QVViewImage view(48, 32, 2, 0, 0, &v); // zoom 2: base (x, y) covers view (2x.., 2y..)
  QVGrid grid(24, 16);
  SetBit(grid, 7, 3);  // cell (0, 0)
  SetBit(grid, 8, 3);  // cell (1, 0), next to it
  SetBit(grid, 20, 12); // cell (2, 1): alone, not written
  grid.Write(&view, 50, nullptr, 0, &base);
  auto at = [&](int32_t x, int32_t y) { return view.pixels[y * view.rowBytes + x]; };
  EXPECT_EQ(at(15, 7), 50);
  EXPECT_EQ(at(17, 7), 50);
  EXPECT_EQ(at(13, 7), 0); // base (6, 3)
  EXPECT_EQ(at(41, 25), 0);
}

} // namespace
