// The levels and colour balance stage: black and white points from the
// Part's example pictures, the tables built from them, the shared ramp and
// colour distance, and a rectangle without pixels.
#include "testkit.h"

#include "alloc.h"
#include "levels.h"
#include "module.h"
#include "stats.h"
#include "tone.h"

#include <gtest/gtest.h>

#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

// The points the stage estimates for a whole picture with the default levels.
LevelPoints PointsOf(TestImage& image)
{
  uint32_t *r = nullptr, *g = nullptr, *b = nullptr, *n = nullptr, *sr = nullptr, *sg = nullptr, *sb = nullptr;
  EXPECT_EQ(GatherColourHistograms(image.Desc(), r, g, b, NoProgress), 0);
  EXPECT_EQ(GatherBrightness(image.Desc(), n, sr, sg, sb, NoProgress), 0);
  SetParams(nullptr);
  LevelPoints points = EstimateLevelPoints({{r, g, b}, n, {sr, sg, sb}}, Module().levels);
  for (uint32_t* p : {r, g, b, n, sr, sg, sb})
    Release(p);
  return points;
}

void Fill(TestImage& image, uint8_t red, uint8_t green, uint8_t blue)
{
  for (int y = 0; y < image.rows; ++y)
    for (int x = 0; x < image.columns; ++x) {
      uint8_t* p = image.Pixel(y, x);
      p[0] = blue, p[1] = green, p[2] = red;
    }
}

// Levels 30.. across the columns, blue 12 above red and green.
void RampWithCast(TestImage& image)
{
  for (int y = 0; y < image.rows; ++y)
    for (int x = 0; x < image.columns; ++x) {
      uint8_t* p = image.Pixel(y, x);
      p[2] = p[1] = uint8_t(30 + x);
      p[0] = uint8_t(42 + x);
    }
}

bool IsIdentity(const LevelPoints& p)
{
  uint8_t t[3][256];
  bool changed = BuildLevelTables(p, t[0], t[1], t[2]);
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i)
      if (t[c][i] != i)
        return false;
  return !changed;
}

} // namespace

TEST(Levels, PicturesThatNeedNoCorrection)
{
  // One grey level v: lo = v - 1, hi = v + 1, the dark colour is v itself
  // (k = 1), the free range 254 gives no stretch: points 0 and 255.
  for (uint8_t v : {1, 77, 254, 0, 255}) {
    TestImage image(20, 30);
    Fill(image, v, v, v);
    EXPECT_TRUE(IsIdentity(PointsOf(image))) << int(v);
  }
  // Half at 0, half at 255: clip points 0 and 255, free range 0, no lift.
  TestImage halves(20, 30);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 30; ++x)
      halves.Pixel(y, x)[0] = halves.Pixel(y, x)[1] = halves.Pixel(y, x)[2] = 255;
  EXPECT_TRUE(IsIdentity(PointsOf(halves)));
}

TEST(Levels, GreyRampWithABlueCast)
{
  // Levels 30..220, ten pixels each, blue 12 above red and green: 1910
  // pixels. lo = (30, 30, 42) from the dark colour, hi = (221, 221, 233),
  // free range 30 + 255 - 233 = 52 (full stretch), spread 12 + 12 = 24
  // (balance (67 - 24) / 47 = 43 / 47), no lift. Blue black point
  // 30 + trunc(12 x 43 / 47) = 40, red white point 255 - trunc(22 + 12 x 43 / 47) = 223.
  TestImage image(10, 191);
  RampWithCast(image);
  LevelPoints p = PointsOf(image);
  EXPECT_EQ(std::vector<int>(p.black, p.black + 3), (std::vector<int>{30, 30, 40}));
  EXPECT_EQ(std::vector<int>(p.white, p.white + 3), (std::vector<int>{223, 223, 233}));
}

TEST(Levels, TablesFromPoints)
{
  uint8_t t[3][256];
  // Points meeting in one channel leave all three channels alone.
  LevelPoints meet;
  meet.black[0] = 20, meet.white[0] = 200;
  meet.black[1] = meet.white[1] = 90;
  EXPECT_FALSE(BuildLevelTables(meet, t[0], t[1], t[2]));
  EXPECT_EQ(t[0][20], 20);
  EXPECT_EQ(t[0][200], 200);
  // A black point above the white point: 0 below it, 255 from it upwards.
  LevelPoints crossed;
  crossed.black[2] = 100, crossed.white[2] = 90;
  EXPECT_TRUE(BuildLevelTables(crossed, t[0], t[1], t[2]));
  EXPECT_EQ(t[2][99], 0);
  EXPECT_EQ(t[2][100], 255);
  EXPECT_EQ(t[2][95], 0);
  // Linear in between: (i - 30) x 255 / 193.
  LevelPoints linear;
  linear.black[1] = 30, linear.white[1] = 223;
  EXPECT_TRUE(BuildLevelTables(linear, t[0], t[1], t[2]));
  EXPECT_EQ(t[1][29], 0);
  EXPECT_EQ(t[1][126], 96 * 255 / 193);
  EXPECT_EQ(t[1][223], 255);
  EXPECT_EQ(t[0][126], 126);
}

TEST(Levels, GreyPicturesGetEqualPointsInEveryChannel)
{
  // Channel-symmetric histograms and dark and light colours give one set of
  // points for all three channels, so greys stay grey.
  std::mt19937 rng(5);
  for (int round = 0; round < 40; ++round) {
    TestImage image(16, 40);
    int low = int(rng() % 200), span = 1 + int(rng() % (255 - low));
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 40; ++x) {
        uint8_t v = uint8_t(low + int(rng() % span));
        image.Pixel(y, x)[0] = image.Pixel(y, x)[1] = image.Pixel(y, x)[2] = v;
      }
    LevelPoints p = PointsOf(image);
    EXPECT_TRUE(p.black[0] == p.black[1] && p.black[1] == p.black[2]) << round;
    EXPECT_TRUE(p.white[0] == p.white[1] && p.white[1] == p.white[2]) << round;
  }
}

TEST(Levels, RectangleWithoutPixelsResetsTheTablesAndQueuesNothing)
{
  TestImage image(10, 191);
  RampWithCast(image);
  const TestImage original = image;
  EngineControl control;
  // A first run leaves non-identity tables behind.
  CorrectionImage pair = ImagePair(image, WholeRect(10, 191));
  ASSERT_EQ(LevelsStage(pair, control, NoProgress), 0);
  ASSERT_EQ(control.queueCount, 1);
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
  EXPECT_EQ(Ramp(4, 5, 9), 1.0);
  EXPECT_EQ(Ramp(9, 5, 9), 0.0);
  // Equal limits: a step that never divides.
  EXPECT_EQ(Ramp(5, 5, 5), 1.0);
  EXPECT_EQ(Ramp(5.001, 5, 5), 0.0);
  const uint8_t black[3] = {0, 0, 0}, a[3] = {3, 4, 12}, b[3] = {1, 1, 1}, white[3] = {255, 255, 255};
  EXPECT_EQ(ColourDistance(black, a), 13u);
  EXPECT_EQ(ColourDistance(a, black), 13u);
  EXPECT_EQ(ColourDistance(black, b), 1u);        // sqrt 3, truncated
  EXPECT_EQ(ColourDistance(black, white), 441u);  // sqrt(195075) = 441.67
}
