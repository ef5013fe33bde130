// The application's small utilities: range mapping and blending, nearest-
// neighbour resampling, rectangle scaling and fitting, and the openers.
#include "lumivexutils.h"

#include "qvcommon/qvimage.h"
#include "qvcommon/qvrect.h"
#include "qvcommon/qvwindow.h"
#include "win32/automation.h"
#include "win32/shell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace LumivexUtils;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// An image whose pixel (x, y) holds bytes (x, y, 100 + x + 10 y[, ...]),
// with every padding byte 0xEE.
void Stamp(QVImage& image)
{
  std::memset(image.pixels, 0xEE, static_cast<size_t>(image.rowBytes) * image.height);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      unsigned char* p = image.pixels + y * image.rowBytes + x * image.bytesPerPixel;
      const unsigned char bytes[3] = {static_cast<unsigned char>(x), static_cast<unsigned char>(y),
                                      static_cast<unsigned char>(100 + x + 10 * y)};
      std::memcpy(p, bytes, static_cast<size_t>(image.bytesPerPixel));
    }
}

const unsigned char* At(const QVImage& image, int x, int y)
{
  return image.pixels + y * image.rowBytes + x * image.bytesPerPixel;
}

std::vector<unsigned char> Buffer(const QVImage& image)
{
  return std::vector<unsigned char>(image.pixels, image.pixels + static_cast<size_t>(image.rowBytes) * image.height);
}

} // namespace

TEST(MapRange, ScalesTruncatesTowardZeroAndRefusesAnEmptyRange)
{
  EXPECT_EQ(MapRange(5, 0, 10, 0, 100), 50);
  // (3 - 0) x (10 - 0) / (7 - 0) = 30 / 7 = 4.28 -> 4.
  EXPECT_EQ(MapRange(3, 0, 7, 0, 10), 4);
  // (-3) x 10 / 7 = -4.28 -> -4 (toward zero, not -5).
  EXPECT_EQ(MapRange(-3, 0, 7, 0, 10), -4);
  // A reversed target range: (2 - 0) x (0 - 10) / 4 + 10 = -5 + 10 = 5.
  EXPECT_EQ(MapRange(2, 0, 4, 10, 0), 5);
  EXPECT_EQ(MapRange(7, 3, 3, 1, 9), 0);
}

TEST(MapRange, ExtremeOperandsNeitherOverflowNorWrap)
{
  // (max - min) x (max - min) needs 64 bits and more: 2^32 - 1 squared over
  // 2^32 - 1 is 2^32 - 1, plus min gives max.
  EXPECT_EQ(MapRange(kMax, kMin, kMax, kMin, kMax), kMax);
  EXPECT_EQ(MapRange(kMin, kMin, kMax, kMin, kMax), kMin);
  // The midpoint: (0 - min) x (2^32 - 1) / (2^32 - 1) + min = 0.
  EXPECT_EQ(MapRange(0, kMin, kMax, kMin, kMax), 0);
  // A result beyond the range saturates: (max - 0) x (max - 0) / 1.
  EXPECT_EQ(MapRange(kMax, 0, 1, 0, kMax), kMax);
  EXPECT_EQ(MapRange(kMax, 0, 1, 0, kMin), kMin);
}

TEST(Blend, TwoSeparateDivisionsAndZeroWeightSum)
{
  // 10 x 1 / 3 = 3 and 20 x 2 / 3 = 13: 16.
  // 5 x 1 / 2 = 2 and 5 x 1 / 2 = 2: 4, where one division would give 5.
  EXPECT_EQ(Blend(10, 20, 1, 3), 16);
  EXPECT_EQ(Blend(5, 5, 1, 2), 4);
  EXPECT_EQ(Blend(-5, -5, 1, 2), -4) << "each division truncates toward zero";
  EXPECT_EQ(Blend(9, 1, 4, 4), 9);
  EXPECT_EQ(Blend(9, 1, 0, 4), 1);
  EXPECT_EQ(Blend(9, 1, 2, 0), 0);
}

TEST(Blend, ExtremeOperandsNeitherOverflowNorWrap)
{
  // q x (n - w) = max x (max - min) needs 63 bits.
  EXPECT_EQ(Blend(0, kMax, kMin, kMax), kMax) << "2^32 - 1 saturates";
  EXPECT_EQ(Blend(kMax, kMax, kMax, kMax), kMax);
  EXPECT_EQ(Blend(kMin, kMin, kMin, kMin), kMin);
  // n = -1: min x 1 / -1 = 2^31, one past max.
  EXPECT_EQ(Blend(kMin, 0, 1, -1), kMax);
}

TEST(Resample, NearestNeighbourRowsAndColumnsWithSeparateStrides)
{
  QVImage source(3, 2, 3, nullptr);      // rows of 12 bytes (9 padded)
  QVImage destination(5, 3, 3, nullptr); // rows of 16 bytes (15 padded)
  ASSERT_TRUE(source.HasPixels() && destination.HasPixels());
  Stamp(source);
  std::memset(destination.pixels, 0xEE, static_cast<size_t>(destination.rowBytes) * destination.height);
  ResampleImage(&source, &destination);
  // Row y reads y x 2 / 3: 0, 0, 1 (the last destination row the last
  // source row); column x reads x x 3 / 5: 0, 0, 1, 1, 2.
  const int rows[] = {0, 0, 1};
  const int columns[] = {0, 0, 1, 1, 2};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(std::memcmp(At(destination, x, y), At(source, columns[x], rows[y]), 3), 0) << x << "," << y;
  for (int y = 0; y < 3; ++y)
    EXPECT_EQ(destination.pixels[y * destination.rowBytes + 15], 0xEE) << "padding of row " << y << " untouched";
}

TEST(Resample, DownscalingAndFewerDestinationBytes)
{
  QVImage source(8, 6, 3, nullptr);
  QVImage grey(3, 2, 1, nullptr);
  ASSERT_TRUE(source.HasPixels() && grey.HasPixels());
  Stamp(source);
  ResampleImage(&source, &grey);
  // Rows y x 6 / 2 = 0, 3; columns x x 8 / 3 = 0, 2, 5: the first byte (x).
  EXPECT_EQ(*At(grey, 0, 0), 0);
  EXPECT_EQ(*At(grey, 1, 0), 2);
  EXPECT_EQ(*At(grey, 2, 1), 5);
}

TEST(Resample, OnePixelSourceFillsTheWholeDestination)
{
  const QVColor colour(10, 20, 30);
  QVImage source(1, 1, 3, &colour);
  QVImage destination(4, 3, 3, nullptr);
  ResampleImage(&source, &destination);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(std::memcmp(At(destination, x, y), source.pixels, 3), 0) << x << "," << y;
}

TEST(Resample, RefusesEmptyImagesAndWiderDestinationPixels)
{
  QVImage source(4, 4, 1, nullptr);
  QVImage colour(4, 4, 3, nullptr);
  Stamp(source);
  std::memset(colour.pixels, 0x5A, static_cast<size_t>(colour.rowBytes) * colour.height);
  const std::vector<unsigned char> before = Buffer(colour);
  ResampleImage(&source, &colour); // three bytes would be read from one
  EXPECT_EQ(Buffer(colour), before);

  QVImage empty;
  ResampleImage(&empty, &colour);
  ResampleImage(&source, &empty);
  ResampleImage(nullptr, &colour);
  ResampleImage(&source, nullptr);
  EXPECT_EQ(Buffer(colour), before);

  // Sizes that say nothing is there, whatever the buffer.
  QVImage zero(4, 4, 3, nullptr);
  zero.height = 0;
  ResampleImage(&zero, &colour);
  EXPECT_EQ(Buffer(colour), before);
  colour.width = 0;
  ResampleImage(&source, &colour);
  colour.width = 4;
  EXPECT_EQ(Buffer(colour), before);
}

TEST(ScaleRectDown, TruncatesEachEdgeTowardZero)
{
  QVRect r(-7, -3, 9, 10);
  ScaleRectDown(&r, 2.0);
  // -3.5 -> -3, -1.5 -> -1, 4.5 -> 4, 5.
  EXPECT_EQ(r.Left(), -3);
  EXPECT_EQ(r.Top(), -1);
  EXPECT_EQ(r.Right(), 4);
  EXPECT_EQ(r.Bottom(), 5);
}

TEST(ScaleRectDown, UnusableFactorsLeaveTheRectangleAndHugeQuotientsSaturate)
{
  for (double f : {0.0, -2.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    QVRect r(1, 2, 3, 4);
    ScaleRectDown(&r, f);
    EXPECT_EQ(r.GetRect().left, 1) << f;
    EXPECT_EQ(r.GetRect().bottom, 4) << f;
  }
  QVRect big(kMin, 0, kMax, 1);
  ScaleRectDown(&big, 0.25);
  EXPECT_EQ(big.Left(), kMin);
  EXPECT_EQ(big.Right(), kMax);
  ScaleRectDown(nullptr, 2.0);
}

TEST(FitImageRect, LargerPicturesShrinkAndFittingOnesStay)
{
  // The factor is the larger of the two sides' quotients, never below 1;
  // the area becomes the picture divided by it, at the origin.
  struct Case {
    QVRect image, area;
    double factor;
    int32_t width, height;
  };
  const Case cases[] = {
      {QVRect(0, 0, 400, 300), QVRect(10, 10, 210, 210), 2.0, 200, 150}, // 400 / 200 beats 300 / 200
      {QVRect(0, 0, 120, 80), QVRect(0, 0, 200, 200), 1.0, 120, 80},     // both sides already fit
      {QVRect(0, 0, 100, 600), QVRect(0, 0, 300, 200), 3.0, 33, 200},    // a tall picture: 600 / 200
  };
  for (const Case& c : cases) {
    QVRect area = c.area;
    double factor = 0;
    FitImageRect(&c.image, &area, &factor);
    EXPECT_DOUBLE_EQ(factor, c.factor);
    EXPECT_EQ(area.Left(), 0);
    EXPECT_EQ(area.Top(), 0);
    EXPECT_EQ(area.Width(), c.width);
    EXPECT_EQ(area.Height(), c.height);
  }
}

TEST(FitImageRect, ZeroOrNegativeSizesGiveFactorOneAndAnEmptyArea)
{
  const QVRect cases[][2] = {{QVRect(0, 0, 0, 100), QVRect(0, 0, 50, 50)},
                             {QVRect(0, 0, 100, 100), QVRect(0, 0, 50, 0)},
                             {QVRect(10, 0, 5, 100), QVRect(0, 0, 50, 50)},
                             {QVRect(0, 0, 100, 100), QVRect(0, 50, 50, 20)}};
  for (const auto& c : cases) {
    QVRect area = c[1];
    double factor = 0;
    FitImageRect(&c[0], &area, &factor);
    EXPECT_DOUBLE_EQ(factor, 1.0);
    const RECT r = area.GetRect();
    EXPECT_EQ(r.left | r.top | r.right | r.bottom, 0);
  }
}

TEST(Openers, PassTheirArgumentsToTheShell)
{
  // The test main leaves no viewer, so the requests open nothing.
  standin::ClearShellRequests();
  EXPECT_EQ(reinterpret_cast<intptr_t>(ShellOpen("https://www.example.org/")), SE_ERR_NOASSOC);
  QVWindow owner(reinterpret_cast<HWND>(uintptr_t{0x4321}));
  EXPECT_EQ(OpenHelp(&owner, "C:\\Help\\Lumivex.hlp"), FALSE);
  EXPECT_EQ(OpenHelp(nullptr, "C:\\Help\\Lumivex.hlp"), FALSE);

  const auto& log = standin::ShellRequests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].kind, "ShellExecute");
  EXPECT_EQ(log[0].owner, nullptr);
  EXPECT_EQ(log[0].verb, "open");
  EXPECT_EQ(log[0].target, "https://www.example.org/");
  EXPECT_EQ(log[0].parameters, "");
  EXPECT_EQ(log[0].directory, "");
  EXPECT_EQ(log[0].show, SW_SHOW);
  EXPECT_EQ(log[1].kind, "WinHelp");
  EXPECT_EQ(log[1].owner, owner.GetWnd());
  EXPECT_EQ(log[1].command, UINT(HELP_CONTENTS));
  EXPECT_EQ(log[1].target, "C:\\Help\\Lumivex.hlp");
  EXPECT_EQ(log[2].owner, nullptr) << "no owner, no window";
}
