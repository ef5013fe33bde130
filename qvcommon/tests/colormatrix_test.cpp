// QVColorMatrix: range derivation, cell order, lookups and the stamps.
#include "qvcommon/qvcolormatrix.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

unsigned char Entry(const QVColorMatrix& cube, int r, int g, int b)
{
  unsigned char out = 77;
  return cube.GetEntry(&out, r, g, b) ? out : 77;
}

TEST(QVColorMatrix, RangesFromSamples)
{
  // Every range holds 128; (200, 50, 128) widens red up and green down,
  // then the margin of 10: red 118..210, green 40..138, blue 118..138.
  QVColor sample(200, 50, 128);
  QVColor* samples[] = {&sample, &sample, nullptr};
  const QVColorMatrix cube(128, samples, 3, 4, 4, 4, 10);
  EXPECT_EQ(cube.minR, 118);
  EXPECT_EQ(cube.maxR, 210);
  EXPECT_EQ(cube.minG, 40);
  EXPECT_EQ(cube.maxG, 138);
  EXPECT_EQ(cube.minB, 118);
  EXPECT_EQ(cube.maxB, 138);
  EXPECT_EQ(cube.countR, 92 / 4 + 1);
  EXPECT_EQ(cube.shiftR, 2);
  // A wide margin stops at 0 and 255; the second list counts too.
  QVColor dark(5, 5, 5);
  QVColor* more[] = {&dark};
  const QVColorMatrix wide(0, samples, 1, more, 1, 1, 1, 1, 100);
  EXPECT_EQ(wide.minR, 0);
  EXPECT_EQ(wide.maxR, 255);
}

TEST(QVColorMatrix, LookupsAndCellOrder)
{
  QVColorMatrix cube(128, 10, 30, 4, 0, 7, 1, 0, 2, 1); // 6 x 8 x 3 cells
  QVPointer lock(cube.storage);
  unsigned char* cells = lock;
  // Red is the slowest axis, blue the fastest.
  EXPECT_EQ(cube.GetEntryPtr(cells, 1, 2, 1) - cells, 1 * 24 + 2 * 3 + 1);
  *cube.GetEntryPtr(cells, 1, 2, 1) = 9;
  EXPECT_EQ(Entry(cube, 14, 2, 1), 9); // (14 - 10) / 4 = 1
  EXPECT_EQ(Entry(cube, 17, 2, 1), 9);
  // One unit below a minimum truncates to cell 0; a full step below is out.
  EXPECT_EQ(Entry(cube, 9, 0, 0), 128);
  EXPECT_EQ(Entry(cube, 6, 0, 0), 77);
  EXPECT_EQ(Entry(cube, 10, 8, 0), 77);
}

TEST(QVColorMatrix, UnusableRangesHaveNoStorage)
{
  const unsigned char v = 1;
  for (QVColorMatrix* cube : {new QVColorMatrix(0, 0, 255, 0, 0, 255, 8, 0, 255, 8),
                              new QVColorMatrix(0, 0, 255, 64, 0, 255, 8, 0, 255, 8),
                              new QVColorMatrix(0, 0, 255, 8, 100, 99, 8, 0, 255, 8)}) {
    EXPECT_FALSE(cube->HasStorage());
    EXPECT_EQ(Entry(*cube, 100, 100, 100), 77);
    cube->InsertSample(QVColor(100, 100, 100), &v, 50, 0);
    cube->InsertTonalSample(QVColor(100, 100, 100), &v, 50);
    cube->InsertDensitySample(QVColor(100, 100, 100), &v, 50, 50);
    delete cube;
  }
  // Steps need not be powers of two.
  EXPECT_TRUE(QVColorMatrix(0, 0, 255, 3, 0, 255, 63, 0, 255, 1).HasStorage());
}

TEST(QVColorMatrix, BoxStampClipsAndSpares255)
{
  // Step 8 over 0..63: 8 cells per axis. Radius 8 is one cell each way; at
  // the corner (0, 0, 0) the box is cut to cells 0..1.
  QVColorMatrix cube(128, 0, 63, 8, 0, 63, 8, 0, 63, 8);
  QVPointer lock(cube.storage);
  *cube.GetEntryPtr(lock, 1, 1, 1) = 255;
  const unsigned char v = 5;
  cube.InsertSample(QVColor(3, 3, 3), &v, 8, 0);
  EXPECT_EQ(Entry(cube, 0, 0, 0), 5);
  EXPECT_EQ(Entry(cube, 8, 8, 0), 5);
  EXPECT_EQ(Entry(cube, 8, 8, 8), 255); // protected
  EXPECT_EQ(Entry(cube, 16, 0, 0), 128);
  // A one-cell cube takes a radius-0 stamp.
  QVColorMatrix one(0, 4, 4, 1, 4, 4, 1, 4, 4, 1);
  one.InsertSample(QVColor(4, 4, 4), &v, 0, 0);
  EXPECT_EQ(Entry(one, 4, 4, 4), 5);
}

TEST(QVColorMatrix, WriteValueSkipsUnclaimedAndProtectedCells)
{
  QVColorMatrix cube(128, 0, 255, 63, 0, 255, 32, 0, 255, 32);
  QVPointer lock(cube.storage);
  const unsigned char* cells = lock;
  const unsigned char v = 3;
  cube.InsertSample(QVColor(10, 10, 10), &v, 0, 0);
  unsigned char dest[3] = {0, 0, 0};
  const unsigned char claimed[3] = {10, 10, 10}, unclaimed[3] = {200, 10, 10}; // B, G, R
  cube.WriteValue(unclaimed, 3, dest, 3, 9, cells);
  EXPECT_EQ(dest[0], 0);
  cube.WriteValue(claimed, 1, dest, 3, 9, cells); // a 1-byte pixel: nothing
  EXPECT_EQ(dest[0], 0);
  cube.WriteValue(claimed, 3, dest, 2, 9, cells);
  EXPECT_EQ(dest[1], 9);
  EXPECT_EQ(dest[2], 0);
}

TEST(QVColorMatrix, TonalLineAndDensityBlob)
{
  // Step 4 on every axis from 0: the tones (c + t) for t = -8, -4, 0, 4
  // run along the diagonal; (40, 40, 40) gives cells 8..11.
  QVColorMatrix cube(128, 0, 255, 4, 0, 255, 4, 0, 255, 4);
  const unsigned char v = 1;
  cube.InsertTonalSample(QVColor(40, 40, 40), &v, 8);
  for (int c : {32, 36, 40, 44})
    EXPECT_EQ(Entry(cube, c, c, c), 1) << c;
  EXPECT_EQ(Entry(cube, 48, 48, 48), 128);
  EXPECT_EQ(Entry(cube, 28, 28, 28), 128);
  // A huge radius clamps to the corner cells and costs no more than a wide
  // one; -INT32_MAX and -999 start in the same phase of the 4-step.
  QVColorMatrix huge(128, 0, 255, 4, 0, 255, 4, 0, 255, 4), wide(128, 0, 255, 4, 0, 255, 4, 0, 255, 4);
  huge.InsertTonalSample(QVColor(40, 90, 200), &v, INT32_MAX);
  wide.InsertTonalSample(QVColor(40, 90, 200), &v, 999);
  QVPointer a(huge.storage), b(wide.storage);
  EXPECT_EQ(0, std::memcmp(static_cast<unsigned char*>(a), static_cast<unsigned char*>(b), 64 * 64 * 64));
  EXPECT_EQ(Entry(huge, 0, 0, 0), 1);
  EXPECT_EQ(Entry(huge, 255, 255, 255), 1);

  // Density: cells nearer than 12 / 4 = 3 on each axis whose index sum is
  // within 8 / 4 = 2 of the centre's get 10 + 20 * (green distance).
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
