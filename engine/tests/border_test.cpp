// The border pre-pass: frames found from each side, pictures without a
// border, opposite sides that meet, views without a block or band, and
// that no pixel is written.
#include "testkit.h"

#include "border.h"
#include "module.h"
#include "rect.h"
#include "status.h"

#include <gtest/gtest.h>

#include <functional>

using namespace lvx;
using namespace lvxtest;

namespace {

using Painter = std::function<uint8_t(int y, int x)>;

TestImage Grey(int rows, int columns, const Painter& level)
{
  TestImage image(rows, columns);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x)
      image.Pixel(y, x)[0] = image.Pixel(y, x)[1] = image.Pixel(y, x)[2] = level(y, x);
  return image;
}

// Black and white pixels alternating along each row: every band is busy,
// and all bands have the same mean colour.
uint8_t Checker(int y, int x) { return (x + y) % 2 ? 255 : 0; }

int32_t TopWidth(TestImage& image, int16_t blockSize = 1)
{
  BorderSettings s;
  s.blockSize = blockSize;
  int32_t width = -1;
  EXPECT_EQ(ScanBorder(image.Desc(), s, width), 0);
  return width;
}

AdjustRect PrePass(TestImage& image)
{
  EngineControl control;
  CorrectionImage pair = ImagePair(image, WholeRect(image.rows, image.columns));
  ResetProgress();
  EXPECT_EQ(BorderPrePass(pair, control, RecordProgress), 0);
  return pair.rect;
}

} // namespace

TEST(Border, TopScans)
{
  // Busy from the first band: start 0, and with no jump the scan stops
  // once the 5 % extent (5 bands of 100) is passed: width 0.
  TestImage busy = Grey(100, 40, Checker);
  EXPECT_EQ(TopWidth(busy), 0);
  // A jump above 24 within the first 5 % of the bands moves the start to
  // it: rows 0-1 average 107, the rest 147 (distance 40 sqrt 3 = 69).
  TestImage jumpy = Grey(100, 40, [](int y, int x) { return uint8_t(Checker(y, x) / 255 * 215 + (y >= 2 ? 40 : 0)); });
  EXPECT_EQ(TopWidth(jumpy), 2);
  // A uniform frame of 10 rows at 200, then busy content averaging 66: the
  // jump at band 10, the next band within 24 of it.
  TestImage framed = Grey(100, 40, [](int y, int x) { return uint8_t(y < 10 ? 200 : Checker(y, x) / 255 * 133); });
  EXPECT_EQ(TopWidth(framed), 10);
  // In blocks of 2 rows the frame is 10 bands of 2 rows.
  TestImage framed2 = Grey(100, 40, [](int y, int x) { return uint8_t(y < 20 ? 200 : (x / 2 + y / 2) % 2 * 133); });
  EXPECT_EQ(TopWidth(framed2, 2), 20);
  // Never busy: a flat picture and a gentle vertical gradient.
  TestImage flat = Grey(50, 50, [](int, int) { return uint8_t(90); });
  EXPECT_EQ(TopWidth(flat), 0);
  TestImage gradient = Grey(100, 50, [](int y, int) { return uint8_t(50 + y); });
  EXPECT_EQ(TopWidth(gradient), 0);
}

TEST(Border, ViewsWithoutABlockOrBandHaveNoBorder)
{
  TestImage image = Grey(10, 10, Checker);
  BorderSettings s;
  s.blockSize = 4;
  int32_t width = -1;
  // 3 columns: no block of 4; 2 rows: no band; no rows or columns at all.
  for (AdjustRect r :
       {AdjustRect{0, 0, 3, 10}, AdjustRect{0, 0, 10, 2}, AdjustRect{5, 5, 5, 9}, AdjustRect{0, 4, 9, 4}}) {
    EXPECT_EQ(ScanBorder(RectView(image.Desc(), r), s, width), 0);
    EXPECT_EQ(width, 0);
  }
  EXPECT_EQ(ScanBorder(ChannelView(image.Desc(), 0), s, width), kStatusBadArgument);
  // The pre-pass leaves a thin rectangle as it is, and an empty one at once.
  EngineControl control;
  control.border = &s;
  CorrectionImage pair = ImagePair(image, AdjustRect{2, 0, 3, 10});
  EXPECT_EQ(BorderPrePass(pair, control, NoProgress), 0);
  EXPECT_EQ(pair.rect, (AdjustRect{2, 0, 3, 10}));
  pair.rect = AdjustRect{4, 4, 4, 9};
  EXPECT_EQ(BorderPrePass(pair, control, NoProgress), 0);
  EXPECT_EQ(pair.rect, (AdjustRect{4, 4, 4, 9}));
}

TEST(Border, OppositeSidesThatMeetLeaveTheWholeAxis)
{
  // Two flat halves: left and right both stop at the middle column.
  TestImage halves = Grey(60, 80, [](int, int x) { return uint8_t(x < 40 ? 50 : 200); });
  EXPECT_EQ(PrePass(halves), WholeRect(60, 80));
  // A soft boundary of steps of 30 over columns 40..44: the left side stops
  // past it, the right side before it, so the two cross.
  TestImage soft = Grey(60, 80, [](int, int x) { return uint8_t(x < 40 ? 50 : (x < 45 ? 50 + 30 * (x - 39) : 200)); });
  EXPECT_EQ(PrePass(soft), WholeRect(60, 80));
  // The same across rows.
  TestImage stacked = Grey(80, 60, [](int y, int) { return uint8_t(y < 40 ? 50 : 200); });
  EXPECT_EQ(PrePass(stacked), WholeRect(80, 60));
}

TEST(Border, EachSideThroughTheTurnedViewsMatchesARotatedCopyAndNoPixelIsWritten)
{
  // A frame 3 rows deep at the top, 5 columns at the left, 7 rows at the
  // bottom and 9 columns at the right around busy content.
  const int rows = 70, columns = 90;
  TestImage image = Grey(rows, columns, [&](int y, int x) {
    if (y < 3 || x < 5 || y >= rows - 7 || x >= columns - 9)
      return uint8_t(240);
    return uint8_t(60 + (x * 7 + y * 13) % 5 * 30);
  });
  const TestImage original = image;
  // Physically turned copies: side k on top.
  auto turned = [&](int k) {
    const bool swap = k % 2 == 1;
    TestImage copy(swap ? columns : rows, swap ? rows : columns);
    for (int i = 0; i < copy.rows; ++i)
      for (int j = 0; j < copy.columns; ++j) {
        int y = k == 0 ? i : k == 1 ? rows - 1 - j : k == 2 ? rows - 1 - i : j;
        int x = k == 0 ? j : k == 1 ? i : k == 2 ? columns - 1 - j : columns - 1 - i;
        std::copy(image.Pixel(y, x), image.Pixel(y, x) + 3, copy.Pixel(i, j));
      }
    return copy;
  };
  const ImageDesc view = image.Desc();
  const ImageDesc views[4] = {view, QuarterTurn(view), HalfTurn(view), ThreeQuarterTurn(view)};
  const int32_t expected[4] = {3, 5, 7, 9};
  BorderSettings s;
  for (int k = 0; k < 4; ++k) {
    TestImage copy = turned(k);
    int32_t fromView = -1;
    ASSERT_EQ(ScanBorder(views[k], s, fromView), 0);
    EXPECT_EQ(fromView, TopWidth(copy)) << "side " << k;
    EXPECT_EQ(fromView, expected[k]) << "side " << k;
  }
  EXPECT_EQ(PrePass(image), (AdjustRect{5, 3, columns - 9, rows - 7}));
  // The pre-pass polls nothing of its own, and reads only.
  EXPECT_TRUE(Progress().calls.empty());
  EXPECT_EQ(image.bytes, original.bytes);
}
