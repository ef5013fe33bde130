// QVColorMatrix: range derivation, cell order, lookups and the stamps.
#include "qvcommon/qvcolormatrix.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The cell's byte, or 77 for a colour outside the cube.
int Entry(const QVColorMatrix& cube, int r, int g, int b)
{
  unsigned char out = 77;
  return cube.GetEntry(&out, r, g, b) ? out : 77;
}

TEST(QVColorMatrix, RangesSizesAndUnusableCubes)
{
  // Every range holds 128; (200, 50, 128) widens red up and green down,
  // then the margin of 10: red 118..210, green 40..138, blue 118..138.
  QVColor sample(200, 50, 128);
  QVColor* samples[] = {&sample, nullptr};
  const QVColorMatrix cube(128, samples, 2, 4, 4, 4, 10);
  EXPECT_EQ(std::vector<int32_t>({cube.minR, cube.maxR, cube.minG, cube.maxG, cube.minB, cube.maxB}),
            std::vector<int32_t>({118, 210, 40, 138, 118, 138}));
  EXPECT_TRUE(cube.countR == 92 / 4 + 1 && cube.shiftR == 2);
  // Steps of 0 or 64 and max < min give no storage: nothing is found and
  // stamps do nothing. Steps need not be powers of two.
  const unsigned char v = 1;
  for (auto [step, max] : {std::pair{0, 255}, std::pair{64, 255}, std::pair{8, 99}}) {
    QVColorMatrix bad(0, 100, max, step, 0, 255, 8, 0, 255, 8);
    EXPECT_FALSE(bad.HasStorage());
    EXPECT_EQ(Entry(bad, 100, 100, 100), 77);
    bad.InsertSample(QVColor(100, 100, 100), &v, 50, 0);
    bad.InsertTonalSample(QVColor(100, 100, 100), &v, 50);
    bad.InsertDensitySample(QVColor(100, 100, 100), &v, 50, 50);
  }
  EXPECT_TRUE(QVColorMatrix(0, 0, 255, 3, 0, 255, 63, 0, 255, 1).HasStorage());
}

TEST(QVColorMatrix, LookupsAndCellOrder)
{
  QVColorMatrix cube(128, 10, 30, 4, 0, 7, 1, 0, 2, 1); // 6 x 8 x 3 cells
  QVPointer lock(cube.storage);
  unsigned char* cells = lock;
  // Red is the slowest axis, blue the fastest.
  EXPECT_EQ(cube.GetEntryPtr(cells, 1, 2, 1) - cells, 1 * 24 + 2 * 3 + 1);
  *cube.GetEntryPtr(cells, 1, 2, 1) = 9;
  EXPECT_TRUE(Entry(cube, 14, 2, 1) == 9 && Entry(cube, 17, 2, 1) == 9); // (r - 10) / 4 = 1
  // One unit below a minimum truncates to cell 0; a full step below is out.
  EXPECT_EQ(Entry(cube, 9, 0, 0), 128);
  EXPECT_EQ(Entry(cube, 6, 0, 0), 77);
  EXPECT_EQ(Entry(cube, 10, 8, 0), 77);
  // WriteValue: only 3-byte pixels (B, G, R) in cells other than 128 and 255.
  unsigned char dest[3] = {0, 0, 0};
  const unsigned char claimed[3] = {1, 2, 14}, unclaimed[3] = {0, 0, 10};
  cube.WriteValue(unclaimed, 3, dest, 3, 5, cells);
  cube.WriteValue(claimed, 1, dest, 3, 5, cells);
  EXPECT_EQ(dest[0], 0);
  cube.WriteValue(claimed, 3, dest, 2, 5, cells);
  EXPECT_TRUE(dest[1] == 5 && dest[2] == 0);
}

TEST(QVColorMatrix, BoxStampClipsAndSpares255)
{
  // Step 8 over 0..63: radius 8 is one cell each way, cut to cells 0..1 at
  // the corner.
  QVColorMatrix cube(128, 0, 63, 8, 0, 63, 8, 0, 63, 8);
  *cube.GetEntryPtr(QVPointer(cube.storage), 1, 1, 1) = 255;
  const unsigned char v = 5;
  cube.InsertSample(QVColor(3, 3, 3), &v, 8, 0);
  EXPECT_TRUE(Entry(cube, 0, 0, 0) == 5 && Entry(cube, 8, 8, 0) == 5);
  EXPECT_EQ(Entry(cube, 8, 8, 8), 255); // protected
  EXPECT_EQ(Entry(cube, 16, 0, 0), 128);
  QVColorMatrix one(0, 4, 4, 1, 4, 4, 1, 4, 4, 1); // one cell
  one.InsertSample(QVColor(4, 4, 4), &v, 0, 0);
  EXPECT_EQ(Entry(one, 4, 4, 4), 5);
}

TEST(QVColorMatrix, TonalLineAndDensityBlob)
{
  // Step 4: the tones c + t for t = -8, -4, 0, 4 of (40, 40, 40) are the
  // diagonal cells 8..11.
  QVColorMatrix cube(128, 0, 255, 4, 0, 255, 4, 0, 255, 4);
  const unsigned char v = 1;
  cube.InsertTonalSample(QVColor(40, 40, 40), &v, 8);
  for (int c : {28, 32, 36, 40, 44, 48})
    EXPECT_EQ(Entry(cube, c, c, c), c >= 32 && c <= 44 ? 1 : 128) << c;
  // A huge radius clamps to the corner cells and costs no more than a wide
  // one (-INT32_MAX and -999 start in the same phase of the 4-step).
  QVColorMatrix huge(128, 0, 255, 4, 0, 255, 4, 0, 255, 4), wide(128, 0, 255, 4, 0, 255, 4, 0, 255, 4);
  huge.InsertTonalSample(QVColor(40, 90, 200), &v, INT32_MAX);
  wide.InsertTonalSample(QVColor(40, 90, 200), &v, 999);
  EXPECT_EQ(0, std::memcmp(static_cast<void*>(QVPointer(huge.storage)), static_cast<void*>(QVPointer(wide.storage)),
                           64 * 64 * 64));
  EXPECT_TRUE(Entry(huge, 0, 0, 0) == 1 && Entry(huge, 255, 255, 255) == 1);
  // Density: cells nearer than 12 / 4 = 3 on each axis, index sum within
  // 8 / 4 = 2 of the centre's, get 10 + 20 * (green distance).
  QVColorMatrix blob(0, 0, 255, 4, 0, 255, 4, 0, 255, 4);
  const unsigned char ten = 10;
  blob.InsertDensitySample(QVColor(40, 40, 40), &ten, 12, 8);
  EXPECT_EQ(Entry(blob, 40, 40, 40), 10);
  EXPECT_EQ(Entry(blob, 40, 44, 36), 30);
  EXPECT_EQ(Entry(blob, 36, 48, 36), 50);
  EXPECT_EQ(Entry(blob, 40, 52, 40), 0); // 3 cells away in green
  EXPECT_EQ(Entry(blob, 44, 44, 40), 0); // index sum 2 away
}

} // namespace
