// The lightness contrast stage: flatness, tile choice, blend, the black
// point limits, the middle curve and the table built from the curve.
#include "testkit.h"

#include "contrast.h"
#include "module.h"
#include "settings.h"
#include "status.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

ContrastSettings AtContrastLevel(int16_t level)
{
  AdjustParams p = DefaultParams();
  p.contrastLevel = level;
  ContrastSettings s;
  SetContrastParams(p, s);
  return s;
}

// A global histogram (with its total) of `darkCount` pixels at `dark` and
// 9989 spread evenly over 100..199 (99 or 100 per level).
std::vector<uint32_t> Histogram(int dark, uint32_t darkCount)
{
  std::vector<uint32_t> h(257, 0);
  h[dark] += darkCount;
  for (uint32_t i = 0; i < 9989; ++i)
    ++h[100 + i % 100];
  for (int i = 0; i < 256; ++i)
    h[256] += h[i];
  return h;
}

} // namespace

TEST(Contrast, Flatness)
{
  std::vector<uint32_t> h(256, 4); // 1024 pixels, mean 4
  EXPECT_EQ(Flatness(h.data(), 1024, 3.0), 0.0);
  // Four pixels moved from bin 1 to bin 0: differences 4 and 4. Steps of
  // 4 / 0.4 = 10 swallow them; steps of 4 / 3 count 3 steps each.
  h[0] = 8, h[1] = 0;
  EXPECT_EQ(Flatness(h.data(), 1024, 0.4), 0.0);
  EXPECT_DOUBLE_EQ(Flatness(h.data(), 1024, 3.0), 2 * 3 * (4 / 3.0) / 1024);
  // Fewer than 256 pixels: the mean is 0 and so is the step; the plain
  // differences count, sum h / N = 1.
  std::vector<uint32_t> few(256, 0);
  few[17] = 10;
  EXPECT_EQ(Flatness(few.data(), 10, 0.4), 1.0);
  EXPECT_EQ(Flatness(few.data(), 0, 0.4), 100.0);
}

TEST(Contrast, TileChoice)
{
  bool chosen[4];
  // Enough tiles within the limit: those.
  double a[4] = {0.5, 2, 0.3, 0.9};
  EXPECT_EQ(ChooseTiles(a, 4, 1.0, 3, chosen), 3);
  EXPECT_TRUE(chosen[0] && !chosen[1] && chosen[2] && chosen[3]);
  // Too few: the flattest one by one, the first of equals first.
  double b[4] = {2, 1, 1, 3};
  EXPECT_EQ(ChooseTiles(b, 4, 0.5, 2, chosen), 2);
  EXPECT_TRUE(!chosen[0] && chosen[1] && chosen[2] && !chosen[3]);
  // Fewer candidates than the quota: the choice ends with what there is.
  double c[4] = {1000, 1000, 5, 1000};
  EXPECT_EQ(ChooseTiles(c, 4, 1.0, 3, chosen), 1);
  EXPECT_TRUE(chosen[2] && !chosen[0]);
}

TEST(Contrast, Blend)
{
  const ContrastSettings s = AtContrastLevel(3);
  EXPECT_EQ(BlendPercentage(0.2, s), 100);
  EXPECT_EQ(BlendPercentage(1.0, s), 100);
  EXPECT_EQ(BlendPercentage(1.25, s), 50);
  EXPECT_EQ(BlendPercentage(1.5, s), 0);
  EXPECT_EQ(BlendPercentage(7.0, s), 0);
  // No blend: the straight line R k / n, whatever the histogram.
  const uint32_t h[5] = {1, 90, 3, 0, 40};
  float out[5];
  ASSERT_EQ(MiddleCurve(h, 4, 10, 0, 0.767, 1.233, out), 0);
  for (int k = 0; k <= 4; ++k)
    EXPECT_FLOAT_EQ(out[k], 10.0f * k / 4);
  // Spans the measurement never produces.
  EXPECT_EQ(MiddleCurve(h, 0, 3, 100, 0.767, 1.233, out), kStatusBadArgument);
  EXPECT_EQ(MiddleCurve(h, 4, 0, 100, 0.767, 1.233, out), kStatusBadArgument);
  EXPECT_EQ(MiddleCurve(h, -1, 3, 100, 0.767, 1.233, out), kStatusBadArgument);
  EXPECT_EQ(MiddleCurve(h, 0, 0, 100, 0.767, 1.233, out), 0);
}

TEST(Contrast, BlackPointLimits)
{
  // 10000 pixels: the 0.1 % point is the first level past 10 pixels, so 11
  // pixels at `dark` make it the low level.
  struct Case {
    int16_t level;
    int dark, black;
  };
  // Level 1 (limits 3 and 6): at 3 or below to 0; 4 to floor((1 - 2/3) 4) = 1;
  // 6 and above stay. Level 13 (limits 10 and 15): 12 to floor(0.4 x 12) = 4.
  for (Case c : {Case{1, 2, 0}, Case{1, 3, 0}, Case{1, 4, 1}, Case{1, 6, 6}, Case{1, 7, 7}, Case{13, 10, 0},
                 Case{13, 12, 4}, Case{13, 15, 15}}) {
    ContrastSettings s = AtContrastLevel(c.level);
    s.blendPercentage = 50;
    std::vector<uint32_t> g = Histogram(c.dark, 11), sel = g;
    float curve[256];
    ContrastCurveInfo info;
    ASSERT_EQ(BuildContrastCurve(g.data(), sel.data(), s, curve, &info), 0);
    EXPECT_EQ(info.low, c.dark);
    EXPECT_EQ(info.black, c.black) << "level " << c.level << ", dark " << c.dark;
    EXPECT_EQ(curve[c.dark], c.black);
  }
}

TEST(Contrast, TablesRiseAndKeepTheHighlights)
{
  std::mt19937 rng(12);
  for (int round = 0; round < 30; ++round) {
    ContrastSettings s = AtContrastLevel(int16_t(1 + round % 13));
    s.blendPercentage = int16_t(rng() % 101);
    std::vector<uint32_t> g(257, 0), sel(257, 0);
    const int from = int(rng() % 120), to = from + 1 + int(rng() % (255 - from));
    for (int i = 0; i < 5000; ++i) {
      int v = from + int(rng() % (to - from + 1));
      ++g[v], ++g[256];
      if (rng() % 3)
        ++sel[v], ++sel[256];
    }
    float curve[256];
    ContrastCurveInfo info;
    ASSERT_EQ(BuildContrastCurve(g.data(), sel.data(), s, curve, &info), 0);
    int16_t table[kContrastTableSize];
    CurveTable(curve, table);
    for (int m = 1; m < kContrastTableSize; ++m)
      ASSERT_LE(table[m - 1], table[m]) << round << " at " << m;
    // At and above the high level the curve is the identity.
    for (int m = (4095 * info.high + 254) / 255; m < kContrastTableSize; ++m)
      ASSERT_EQ(table[m], m) << round << " at " << m;
  }
}

TEST(Contrast, UniformPictureAndEmptyRectangleChangeNothing)
{
  // Every pixel at one lightness: low = high, the curve is the identity
  // above it and the ramp l x b / low = l below it.
  TestImage image(30, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
      image.Pixel(y, x)[0] = 90, image.Pixel(y, x)[1] = 140, image.Pixel(y, x)[2] = 60;
  for (AdjustRect rect : {WholeRect(30, 30), EmptyRect(), AdjustRect{4, 4, 4, 9}}) {
    EngineControl control;
    CorrectionImage pair = ImagePair(image, rect);
    ASSERT_EQ(EnsureWorking(pair, NoProgress), 0);
    const std::vector<uint8_t> working(pair.working.data, pair.working.data + 30 * 30 * 4);
    EXPECT_EQ(ContrastStage(pair, control, NoProgress), 0);
    EXPECT_EQ(control.queueCount, 0);
    EXPECT_EQ(pair.workingValid, 1);
    EXPECT_EQ(std::vector<uint8_t>(pair.working.data, pair.working.data + 30 * 30 * 4), working);
    FreeCorrectionImage(pair);
  }
}
