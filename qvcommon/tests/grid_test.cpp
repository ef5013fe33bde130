// QVGrid: the bit layout, neighbours, growth by colour and gap filling.
#include "qvcommon/qvcolormatrix.h"
#include "qvcommon/qvgrid.h"
#include "qvcommon/qvviewimage.h"
#include "qvcommon/qvvirtualimage.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using Pixels = std::set<std::pair<int32_t, int32_t>>;

void SetBit(QVGrid& grid, int32_t x, int32_t y)
{
  int32_t& word = grid.Cell(x / 8, y / 8)[(y % 8) / 4];
  word = static_cast<int32_t>(static_cast<uint32_t>(word) | ((0x80u >> (x % 8)) << (8 * (y % 4))));
}

// The set pixels, looked for also just outside the grid.
Pixels SetPixels(const QVGrid& grid, int32_t onlyRow = -99)
{
  Pixels set;
  for (int32_t y = -2; y < grid.cellsY * 8 + 2; ++y)
    for (int32_t x = -2; x < grid.cellsX * 8 + 2; ++x)
      if (grid.GridIsSet(x, y) && (onlyRow == -99 || y == onlyRow))
        set.insert({x, y});
  return set;
}

TEST(QVGrid, BitLayoutAndNeighbours)
{
  // 9 x 9 pixels take 2 x 2 cells. Pixel (8, 8) is bit 0x80 of word 0 of
  // cell (1, 1); (3, 5) is 0x10 << 8 in word 1 of cell (0, 0), which (7, 7)
  // then replaces with 0x01 << 24.
  QVGrid grid(9, 9);
  grid.SetFromBrush(8, 8);
  grid.SetFromBrush(3, 5);
  EXPECT_TRUE(grid.Get(1, 1) == 0x80 && grid.Cell(0, 0)[1] == 0x1000);
  grid.SetFromBrush(7, 7);
  EXPECT_EQ(static_cast<uint32_t>(grid.Cell(0, 0)[1]), 0x01000000u);
  // Set is relative to the origin, within 0..7; nothing lands outside.
  grid.Set(grid.Cell(1, 0), 9, 2, QVRect(8, 0, 16, 8));
  grid.Set(grid.Cell(1, 0), 16, 2, QVRect(8, 0, 16, 8));
  for (auto [x, y] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{16, 0}, std::pair{0, 16}})
    grid.SetFromBrush(x, y);
  EXPECT_EQ(SetPixels(grid), (Pixels{{8, 8}, {7, 7}, {9, 2}}));
  EXPECT_EQ(grid.up1[0], 1 - grid.wordsPerRow); // row 7 of the cell above
  EXPECT_EQ(grid.down2[6], grid.wordsPerRow - 1);

  // Cell (1, 1) of 3 x 3 sees one pixel just across each border in turn;
  // not one a row or column further, and border cells look no further.
  for (auto [x, y] : {std::pair{10, 7}, std::pair{7, 12}, std::pair{16, 9}, std::pair{13, 16}}) {
    QVGrid g(24, 24);
    g.SetFromBrush(x, y);
    EXPECT_EQ(g.NeighborIsSet(g.Cell(1, 1), 1, 1), 1) << x << "," << y;
  }
  QVGrid g(24, 24);
  g.SetFromBrush(10, 6);
  g.SetFromBrush(17, 9);
  EXPECT_EQ(g.NeighborIsSet(g.Cell(1, 1), 1, 1) + g.NeighborIsSet(g.Cell(0, 0), 0, 0), 0);
}

// A 40 x 30 grey (100) image with a slightly textured red rectangle
// (5..19) x (4..16).
struct Scene {
  Scene() : image(40, 30, 3, &grey)
  {
    for (int32_t y = 4; y < 17; ++y)
      for (int32_t x = 5; x < 20; ++x) {
        unsigned char* p = image.pixels + y * image.rowBytes + x * 3;
        p[0] = 20, p[1] = 30, p[2] = static_cast<unsigned char>(200 + (x + y) % 5);
      }
  }
  void Grow(QVGrid& grid, QVColorMatrix* matrix)
  {
    while (grid.ExpandedGrid(matrix, &image, 0, 0)) {
    }
  }
  const QVColor grey{100, 100, 100};
  QVImage image;
};

TEST(QVGrid, GrowthFillsTheColourRegionAndStops)
{
  Scene scene;
  QVGrid grid(40, 30);
  EXPECT_EQ(grid.ExpandedGrid(nullptr, &scene.image, 0, 0), 0); // empty: nothing grows
  // A 4 x 4 seed: a pixel beside it has 3 set neighbours and 4 set ring
  // pixels, all of its colour.
  for (int32_t i = 0; i < 16; ++i)
    SetBit(grid, 10 + i % 4, 9 + i / 4);
  scene.Grow(grid, nullptr);
  Pixels red;
  for (int32_t i = 0; i < 15 * 13; ++i)
    red.insert({5 + i % 15, 4 + i / 15});
  EXPECT_EQ(SetPixels(grid), red);
  // A fixed point in both pass directions; grey images give 0.
  EXPECT_EQ(grid.ExpandedGrid(nullptr, &scene.image, 0, 0) + grid.ExpandedGrid(nullptr, &scene.image, 0, 0), 0);
  QVImage greyImage(40, 30, 1, nullptr);
  EXPECT_EQ(grid.ExpandedGrid(nullptr, &greyImage, 0, 0), 0);
}

TEST(QVGrid, MatrixAcceptsItsColoursAtOnce)
{
  // The cube claims grey (cell byte 0): from one grey pixel the grey grows
  // everywhere, however few neighbours are set, and stops at the red.
  Scene scene;
  QVColorMatrix cube(128, 0, 255, 8, 0, 255, 8, 0, 255, 8);
  const unsigned char zero = 0;
  cube.InsertSample(scene.grey, &zero, 0, 0);
  QVGrid grid(40, 30);
  SetBit(grid, 0, 0);
  scene.Grow(grid, &cube);
  const Pixels set = SetPixels(grid);
  EXPECT_EQ(set.size(), 40u * 30u - 15u * 13u);
  // A grid larger than its image grows only over the image; a cube of
  // other ranges is looked up by its own geometry.
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
  // Row 2: a leading run of 2, gaps of 2 (x 3..4), 1 (x 6) and 3 (x 8..10);
  // column 20: a gap of 2 (rows 11..12) below a leading run of 10.
  QVGrid grid(32, 24);
  for (auto [x, y] :
       {std::pair{2, 2}, std::pair{5, 2}, std::pair{7, 2}, std::pair{11, 2}, std::pair{20, 10}, std::pair{20, 13}})
    SetBit(grid, x, y);
  grid.GridFillIn(2);
  Pixels row2;
  for (int32_t x : {0, 1, 2, 3, 4, 5, 6, 7, 11})
    row2.insert({x, 2});
  EXPECT_EQ(SetPixels(grid, 2), row2);
  EXPECT_TRUE(grid.GridIsSet(20, 11) && grid.GridIsSet(20, 12) && grid.GridIsSet(2, 0) && !grid.GridIsSet(20, 9));
  // Above 4 the gap is 4: the 3 closes, the 10 stays.
  grid.GridFillIn(9);
  EXPECT_TRUE(grid.GridIsSet(9, 2) && !grid.GridIsSet(20, 9));
  // A run ending one pixel row never joins the start of the next cell row.
  QVGrid rows(16, 16);
  SetBit(rows, 13, 0);
  SetBit(rows, 0, 8);
  rows.GridFillIn(4);
  EXPECT_EQ(SetPixels(rows), (Pixels{{13, 0}, {0, 8}}));
}

TEST(QVGrid, WriteMarksSetCellsWithSetNeighboursThroughTheView)
{
  // Zoom 2: view (x, y) shows base (x / 2, y / 2). Cells (0, 0) and (1, 0)
  // touch; cell (2, 1) stands alone and is not written.
  QVImage base(24, 16, 1, nullptr);
  QVVirtualImage v(&base);
  QVViewImage view(48, 32, 2, 0, 0, &v);
  QVGrid grid(24, 16);
  SetBit(grid, 7, 3);
  SetBit(grid, 8, 3);
  SetBit(grid, 20, 12);
  grid.Write(&view, 50, nullptr, 0, &base);
  auto at = [&](int32_t x, int32_t y) { return view.pixels[y * view.rowBytes + x]; };
  EXPECT_TRUE(at(14, 7) == 50 && at(17, 7) == 50);
  EXPECT_TRUE(at(13, 7) == 0 && at(41, 25) == 0);
}

} // namespace
