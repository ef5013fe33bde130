// The levels and colour balance stage: black and white points of example
// pictures, tables from points, the shared ramp and colour distance, and a
// rectangle without pixels.
#include "testkit.h"

#include "alloc.h"
#include "levels.h"
#include "module.h"
#include "stats.h"
#include "tone.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

TestImage Paint(int rows, int columns, const std::function<void(uint8_t*, int y, int x)>& paint)
{
  TestImage image(rows, columns);
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x)
      paint(image.Pixel(y, x), y, x);
  return image;
}

// Levels 30..220 across the columns, blue 12 above red and green.
TestImage RampWithCast()
{
  return Paint(10, 191, [](uint8_t* p, int, int x) { p[2] = p[1] = uint8_t(30 + x), p[0] = uint8_t(42 + x); });
}

LevelPoints PointsOf(TestImage image)
{
  uint32_t *r = nullptr, *g = nullptr, *b = nullptr, *n = nullptr, *sr = nullptr, *sg = nullptr, *sb = nullptr;
  EXPECT_EQ(GatherColourHistograms(image.Desc(), r, g, b, NoProgress), 0);
  EXPECT_EQ(GatherBrightness(image.Desc(), n, sr, sg, sb, NoProgress), 0);
  LevelPoints points = EstimateLevelPoints({{r, g, b}, n, {sr, sg, sb}}, Module().levels);
  for (uint32_t* p : {r, g, b, n, sr, sg, sb})
    Release(p);
  return points;
}

bool Changes(const LevelPoints& p)
{
  uint8_t t[3][256];
  return BuildLevelTables(p, t[0], t[1], t[2]);
}

} // namespace

TEST(Levels, PicturesThatNeedNoCorrection)
{
  // One grey level v: lo = v - 1, hi = v + 1, the dark colour is v (k = 1),
  // the free range 254 allows no stretch: points 0 and 255. Likewise for 0
  // or 255 alone, and (v = -1) for half the pixels at 0 and half at 255.
  for (int v : {1, 77, 254, 0, 255, -1})
    EXPECT_FALSE(Changes(PointsOf(
        Paint(20, 30, [v](uint8_t* p, int y, int) { p[0] = p[1] = p[2] = uint8_t(v >= 0 ? v : (y < 10 ? 255 : 0)); }))))
        << v;
}

TEST(Levels, GreyRampWithABlueCast)
{
  // 1910 pixels. lo = (30, 30, 42) from the dark colour, hi = (221, 221,
  // 233), free range 30 + 255 - 233 = 52 (full stretch), spread 24 (balance
  // (67 - 24) / 47 = 43 / 47), no lift: blue black 30 + trunc(12 x 43 / 47)
  // = 40, red white 255 - trunc(22 + 12 x 43 / 47) = 223.
  LevelPoints p = PointsOf(RampWithCast());
  EXPECT_EQ(std::vector<int>(p.black, p.black + 3), (std::vector<int>{30, 30, 40}));
  EXPECT_EQ(std::vector<int>(p.white, p.white + 3), (std::vector<int>{223, 223, 233}));
}

TEST(Levels, MeetingAndCrossedPoints)
{
  uint8_t t[3][256];
  // Points meeting in one channel leave every channel alone.
  LevelPoints meet;
  meet.black[0] = 20, meet.white[0] = 200, meet.black[1] = meet.white[1] = 90;
  EXPECT_FALSE(BuildLevelTables(meet, t[0], t[1], t[2]));
  EXPECT_EQ(t[0][20], 20);
  // A black point above the white point: 0 below it, 255 from it upwards.
  LevelPoints crossed;
  crossed.black[2] = 100, crossed.white[2] = 90;
  EXPECT_TRUE(BuildLevelTables(crossed, t[0], t[1], t[2]));
  EXPECT_EQ(t[2][95], 0);
  EXPECT_EQ(t[2][99], 0);
  EXPECT_EQ(t[2][100], 255);
}

TEST(Levels, GreyPicturesGetOnePointForAllChannels)
{
  // Channel-symmetric histograms and dark and light colours: equal tables,
  // so greys stay grey.
  std::mt19937 rng(5);
  for (int round = 0; round < 20; ++round) {
    const int low = int(rng() % 200), span = 1 + int(rng() % (255 - low));
    LevelPoints p =
        PointsOf(Paint(16, 40, [&](uint8_t* px, int, int) { px[0] = px[1] = px[2] = uint8_t(low + rng() % span); }));
    EXPECT_TRUE(p.black[0] == p.black[1] && p.black[1] == p.black[2] && p.white[0] == p.white[1] &&
                p.white[1] == p.white[2])
        << round;
  }
}

TEST(Levels, RectangleWithoutPixelsResetsTheTablesAndQueuesNothing)
{
  TestImage image = RampWithCast();
  const TestImage original = image;
  EngineControl control;
  CorrectionImage pair = ImagePair(image, WholeRect(10, 191));
  ASSERT_EQ(LevelsStage(pair, control, NoProgress), 0);
  ASSERT_EQ(control.queueCount, 1); // non-identity tables left behind
  image = original;
  control.queueCount = 0;
  pair = ImagePair(image, EmptyRect());
  EXPECT_EQ(LevelsStage(pair, control, NoProgress), 0);
  EXPECT_EQ(control.queueCount, 0);
  EXPECT_EQ(image.bytes, original.bytes);
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i)
      ASSERT_EQ(LevelsTable(c)[i], i);
}

TEST(Shared, RampAndColourDistance)
{
  EXPECT_EQ(Ramp(7, 5, 9), 0.5);
  EXPECT_EQ(Ramp(9, 5, 9), 0.0);
  // Equal limits: a step that never divides.
  EXPECT_EQ(Ramp(5, 5, 5), 1.0);
  EXPECT_EQ(Ramp(5.001, 5, 5), 0.0);
  const uint8_t black[3] = {0, 0, 0}, a[3] = {3, 4, 12}, b[3] = {1, 1, 1}, white[3] = {255, 255, 255};
  EXPECT_EQ(ColourDistance(a, black), 13u);
  EXPECT_EQ(ColourDistance(black, b), 1u);       // sqrt 3, truncated
  EXPECT_EQ(ColourDistance(black, white), 441u); // sqrt 195075 = 441.67
}
