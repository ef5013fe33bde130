// The descreen filter: the texture measure's lattice and sums, the two sets
// of analysis rules on patterns whose texture is worked out by hand, the
// eighth-pixel blur, failures and the zoom rule.
#include "filtertest.h"
#include "lumivexdescreen.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <string>

using namespace filtertest;
using lvxfilters::MeasureTexture;

namespace {

using Pattern = uint8_t (*)(int32_t x, int32_t y, int32_t c);

void Paint(QVImage& image, Pattern pattern)
{
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x)
      for (int32_t c = 0; c < image.bytesPerPixel; ++c)
        At(image, x, y)[c] = pattern(x, y, c);
}

// Checkerboards: a sample differs from its 4 edge neighbours by v and from
// none of the other 5 (centre included), so its texture is 4v / 9.
uint8_t Checker90(int32_t x, int32_t y, int32_t) { return (x + y) % 2 ? 90 : 0; }
uint8_t CheckerByChannel(int32_t x, int32_t y, int32_t c)
{
  return static_cast<uint8_t>((x + y) % 2 ? 9 * (c + 1) : 0);
}
// Vertical stripes 0, 0, 90, 90: every sample has one column of 3
// neighbours 90 away, A = 270 / 9 = 30. The 3 x 3 box (truncated) gives
// 29, 59, 59, 29 (B1 = A / 3), the 5 x 5 box 35, 35, 53, 53 (B2 = A / 5).
uint8_t Stripes(int32_t x, int32_t, int32_t) { return x % 4 >= 2 ? 90 : 0; }
// Triangle waves across the rows with a slope of g per pixel: six of the
// nine neighbours differ by g, A = 2g / 3; the blurs round off only the
// peaks, so both ratios stay near 1.
template <int32_t g>
uint8_t Triangle(int32_t x, int32_t, int32_t)
{
  const int32_t n = 255 / g, t = x % (2 * n);
  return static_cast<uint8_t>(g * (t <= n ? t : 2 * n - t));
}
uint8_t Flat(int32_t, int32_t, int32_t) { return 77; }
uint8_t Noise(int32_t x, int32_t y, int32_t c)
{
  return static_cast<uint8_t>((x * 37 + y * 91 + c * 53) * 2654435761u >> 24);
}

} // namespace

TEST(TextureMeasure, SamplesAFixedLatticeAndCountsEveryNeighbour)
{
  // 12 x 12: row 1 samples x = 1, 3, 6, 10 (steps 2, 3, 4, then 5 leaves
  // the row); y moves on by that 5 to row 6, which continues with steps 6
  // and 7: x = 1, 7; then y + 7 leaves the image. 6 samples, N = 54.
  const int32_t samples[][2] = {{1, 1}, {3, 1}, {6, 1}, {10, 1}, {1, 6}, {7, 6}};
  QVImage image(12, 12, 1, nullptr);
  for (int32_t my = 0; my < 12; ++my)
    for (int32_t mx = 0; mx < 12; ++mx) {
      // A marker of 9 on black adds 9 for each of the 8 neighbours of a
      // sample it sits on, and 9 to each sample next to it.
      Fill(image, 0);
      *At(image, mx, my) = 9;
      double sum = 0;
      for (const auto& s : samples) {
        const int32_t distance = std::max(std::abs(s[0] - mx), std::abs(s[1] - my));
        sum += distance == 0 ? 72 : distance == 1 ? 9 : 0;
      }
      const lvxfilters::TextureMeasure m = MeasureTexture(image);
      EXPECT_EQ(m.count, 54);
      EXPECT_DOUBLE_EQ(m.mean[0], sum / 54) << "marker at " << mx << "," << my;
    }
}

TEST(TextureMeasure, ChannelsSmallImagesAndLargeSums)
{
  // Channel amplitudes 9, 18, 27: means 4, 8, 12 and their average 8; a
  // grey image averages its one channel.
  QVImage colour(20, 20, 3, nullptr), grey(20, 20, 1, nullptr);
  Paint(colour, CheckerByChannel);
  Paint(grey, CheckerByChannel);
  const lvxfilters::TextureMeasure c = MeasureTexture(colour);
  EXPECT_EQ(std::vector<double>(c.mean, c.mean + 3), (std::vector<double>{4, 8, 12}));
  EXPECT_DOUBLE_EQ(c.average, 8);
  EXPECT_DOUBLE_EQ(MeasureTexture(grey).average, 4);

  // Under 3 pixels either way: no sample, all zero.
  for (auto [w, h] : {std::pair{2, 5}, {5, 2}, {1, 1}}) {
    QVImage tiny(w, h, 3, nullptr);
    Paint(tiny, Noise);
    const lvxfilters::TextureMeasure m = MeasureTexture(tiny);
    EXPECT_EQ(m.count + m.average + m.mean[0] + m.mean[1] + m.mean[2], 0);
  }

  // A 0/255 checkerboard big enough that its sum (1020 per sample) passes
  // 2^31 measures exactly what a small one does: 1020 / 9.
  QVImage big(8192, 5400, 1, nullptr);
  for (int32_t y = 0; y < big.height; ++y)
    for (int32_t x = 0; x < big.width; ++x)
      *At(big, x, y) = (x + y) % 2 ? 255 : 0;
  const lvxfilters::TextureMeasure b = MeasureTexture(big);
  EXPECT_GT(b.count / 9 * 1020, int64_t{INT32_MAX});
  EXPECT_DOUBLE_EQ(b.average, 1020.0 / 9);
}

TEST(Descreen, AnalysisRules)
{
  struct Case {
    std::string what;
    Pattern pattern;
    DescreenRules rules;
    double k, tolerance;
    int32_t blur, sharpen;
    int32_t side = 200, bpp = 1;
  };
  constexpr auto plugIn = DescreenRules::PlugIn, effect = DescreenRules::Effect;
  const Case cases[] = {
      // A = 0: c1 = 0 / 0.001, k = 0.75, 13k = 9.75.
      {"flat", Flat, plugIn, 0.75, 0, 9, 0},
      {"too small to sample", Noise, plugIn, 0.75, 0, 9, 0, 2, 3},
      // c1 = (40 / 9) / 40 = 1/9 inside (the edge rows add a little):
      // k = 0.75 / (8/9) = 0.84375, 13k = 10.97.
      {"checkerboard", Checker90, plugIn, 0.84375, 0.005, 10, 0},
      // c1 = 1/3, c2 = 1/5: k = (1/12) / (2/15) + 1 = 1.625; 13k = 21 is
      // capped at 18.
      {"stripes", Stripes, plugIn, 1.625, 0.015, 18, 0},
      // A = 10: d > 10 and no ratio rule, k = 2, capped at 18.
      {"slope 15", Triangle<15>, plugIn, 2, 0, 18, 0},
      // A = 9.33: no ratio rule and d <= 10, so nothing to do.
      {"slope 14", Triangle<14>, plugIn, 0, 0, 0, 0},
      // The effect's rules: A < 10 gives k = 1 and sharpen -2 (8 and 2) ...
      {"flat, effect", Flat, effect, 1, 0, 8, 2},
      {"too small, effect", Noise, effect, 1, 0, 8, 2, 2, 3},
      {"slope 14, effect", Triangle<14>, effect, 1, 0, 8, 2},
      // ... A >= 10 without a ratio rule 2.2: trunc(17.6), -trunc(-5.4) ...
      {"slope 15, effect", Triangle<15>, effect, 2.2, 0, 17, 5},
      // ... and the ratio rules give trunc(8k) = 6, -trunc(-(2k) - 1) = 2.
      {"checkerboard, effect", Checker90, effect, 0.84375, 0.005, 6, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QVImage image(c.side, c.side, c.bpp, nullptr);
    Paint(image, c.pattern);
    const Bytes before = All(image);
    LumivexDescreen descreen;
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(descreen.Analyze(&image, c.rules), 1);
    EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW));
    EXPECT_NEAR(descreen.BlurFactor(), c.k, c.tolerance);
    EXPECT_EQ(descreen.BlurAmount(), c.blur);
    EXPECT_EQ(descreen.SharpenAmount(), c.sharpen);
    // The analysis works on a copy; with nothing to do Apply changes nothing.
    EXPECT_EQ(All(image), before);
    if (c.blur == 0) {
      EXPECT_EQ(descreen.Apply(&image), 1);
      EXPECT_EQ(All(image), before);
    }
  }
}

TEST(Descreen, BlursInEighthsOfAPixel)
{
  LumivexDescreen descreen;
  for (int32_t bpp : {1, 3}) {
    // 23 pixels a row: 1 or 3 padding bytes.
    QVImage source(23, 17, bpp, nullptr);
    Fill(source, 0, 5);
    auto box = [&](std::initializer_list<int32_t> radii) {
      QVImage copy(&source);
      for (int32_t r : radii)
        copy.SquareBlur(r);
      return All(copy);
    };
    auto descreened = [&](int32_t a, int32_t s) {
      QVImage copy(&source);
      descreen.SetAmounts(a, s);
      EXPECT_EQ(descreen.Apply(&copy), 1);
      EXPECT_TRUE(PaddingIntact(copy));
      return All(copy);
    };
    // Whole pixels are a plain box; the sharpening comes after it.
    EXPECT_EQ(descreened(16, 0), box({2}));
    EXPECT_EQ(descreened(8, 1), box({1, -1}));
    // 13 eighths: 5/8 of the way from the 1-pixel box to the 2-pixel box
    // of that box.
    const Bytes mixed = descreened(13, 0), one = box({1}), two = box({1, 2});
    for (size_t i = 0; i < mixed.size(); ++i)
      EXPECT_TRUE(std::clamp(mixed[i], std::min(one[i], two[i]), std::max(one[i], two[i])) == mixed[i]) << i;
  }

  // One eighth on a uniform 100: the 1-pixel box gives 99 (truncated), and
  // 100 + ((99 - 100) * 1 >> 3) = 99, where a division by 8 would keep 100.
  QVImage uniform(9, 9, 3, nullptr);
  Fill(uniform, 100);
  descreen.SetAmounts(1, 0);
  descreen.Apply(&uniform);
  EXPECT_EQ(std::count(uniform.pixels, uniform.pixels + uniform.height * uniform.rowBytes, 99), 9 * 9 * 3);

  // Tiny images go through every step.
  for (auto [w, h] : {std::pair{1, 1}, {1, 6}, {6, 1}}) {
    QVImage tiny(w, h, 3, nullptr);
    Fill(tiny, 0, 9);
    descreen.SetAmounts(13, 2);
    EXPECT_EQ(descreen.Apply(&tiny), 1);
    EXPECT_TRUE(PaddingIntact(tiny));
  }
}

TEST(Descreen, FailuresLeaveTheImageAlone)
{
  QVImage image(31, 20, 3, nullptr);
  Fill(image, 0, 3);
  const Bytes before = All(image);
  const long blocks = standin::LiveBlocks();
  LumivexDescreen descreen;
  // No working copy for the fraction: nothing is blurred.
  descreen.SetAmounts(13, 2);
  standin::FailAllocations(0, 1);
  EXPECT_EQ(descreen.Apply(&image), 0);
  // No copy to analyse: no amounts, so Apply has nothing to do.
  standin::FailAllocations(0, 1);
  EXPECT_EQ(descreen.Analyze(&image), 0);
  EXPECT_EQ(descreen.BlurFactor() + descreen.BlurAmount() + descreen.SharpenAmount(), 0);
  EXPECT_EQ(descreen.Apply(&image), 1);
  EXPECT_EQ(All(image), before);
  EXPECT_EQ(standin::LiveBlocks(), blocks);

  QVImage blank;
  EXPECT_EQ(descreen.Analyze(&blank) + descreen.Apply(&blank) + descreen.Apply(nullptr), 0);
  image.error = true;
  EXPECT_EQ(descreen.Apply(&image), 0);
  descreen.SetAmounts(-4, -1);
  EXPECT_EQ(descreen.BlurAmount() + descreen.SharpenAmount(), 0);
}

TEST(Descreen, ZoomAmounts)
{
  const struct {
    double zoom;
    int32_t a, s, zoomedA, zoomedS;
  } cases[] = {
      {2.0, 15, 4, 30, 8},                     // 30 eighths: 3 pixels and 6/8
      {1.5, 9, 3, 13, 4},                      // trunc(13.5), trunc(4.5)
      {1.0, 15, 5, 15, 5}, {0.9, 15, 5, 7, 2}, // shifted right by 1
      {0.0, 15, 5, 15, 5},                     // not a zoom: as 1
      {NAN, 15, 5, 15, 5}, {1e12, 20, 5, INT32_MAX, INT32_MAX},
  };
  for (const auto& c : cases) {
    int32_t a = c.a, s = c.s;
    LumivexDescreen::ZoomAmounts(c.zoom, a, s);
    EXPECT_EQ(std::pair(a, s), std::pair(c.zoomedA, c.zoomedS)) << c.zoom;
  }
}
