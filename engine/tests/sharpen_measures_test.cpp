// The sharpening stage's measurements on hand-built histograms and synthetic
// edges, and the passes that were written for speed against direct
// references. The variants and the stage itself: sharpen_stage_test.cpp.
#include "testkit.h"

#include "alloc.h"
#include "binomial.h"
#include "colorspace.h"
#include "module.h"
#include "rankfilter.h"
#include "sharpen.h"
#include "stats.h"
#include "status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

using namespace lvx;
using lvxtest::RecordProgress;
using lvxtest::SoftEdges;
using lvxtest::TestImage;
using lvxtest::TestPlane;

namespace {

using Values = std::vector<uint8_t>;

const SharpenAdaptiveSettings& Defaults()
{
  static const SharpenAdaptiveSettings settings;
  return settings;
}

// ---- Direct references written from the rules --------------------------------

Values BoxMeanReference(const Values& p, int rows, int columns, int r)
{
  Values out(p.size());
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      int sum = 0;
      for (int i = -r; i <= r; ++i)
        for (int j = -r; j <= r; ++j)
          sum += p[size_t(std::clamp(y + i, 0, rows - 1)) * columns + std::clamp(x + j, 0, columns - 1)];
      out[size_t(y) * columns + x] = uint8_t(sum / ((2 * r + 1) * (2 * r + 1)));
    }
  return out;
}

// The sharpness map, pixel by pixel with the floating-point profile tests.
Values SharpnessReference(const Values& Y, const Values& E, int rows, int columns, int p, double r,
                          const SharpenAdaptiveSettings& s)
{
  const int K = s.profileSteps, c = std::max<int>(s.minimumEdgeContrast, p / 2);
  const double k1 = s.profileTolerance, k2 = s.saturationTolerance;
  Values S(Y.size(), 0);
  auto P = [&](int y, int x) { return int(Y[size_t(y) * columns + x]); };
  for (int y = K; y < rows - K; ++y)
    for (int x = K; x < columns - K; ++x) {
      if (E[size_t(y) * columns + x] < p)
        continue;
      const int gx = P(y, x + 1) - P(y, x - 1), gy = P(y + 1, x) - P(y - 1, x);
      int sx, sy;
      if (std::abs(gx) > 2 * std::abs(gy))
        sx = 1, sy = 0;
      else if (std::abs(gy) > 2 * std::abs(gx))
        sx = 0, sy = 1;
      else
        sx = gx > 0 ? 1 : -1, sy = gy > 0 ? 1 : -1;
      int D[26] = {0, std::abs(P(y + sy, x + sx) - P(y - sy, x - sx))};
      int k = 1;
      while (k < K) {
        ++k;
        D[k] = std::abs(P(y + k * sy, x + k * sx) - P(y - k * sy, x - k * sx));
        if (D[k] < int(std::floor(D[k - 1] * (1 - k1)))) {
          D[k] = 0;
          break;
        }
        if (int(std::floor((D[k] + D[k - 2]) * (1 - k1))) > 2 * D[k - 1]) {
          D[k] = 0;
          break;
        }
        if (D[k / 4] > int(std::floor(D[k] * (1 - k2))))
          break;
      }
      if (D[k] == 0 || D[k] < c)
        continue;
      const int h = std::max(std::abs(P(y, x + 1) - P(y, x)), std::abs(P(y, x - 1) - P(y, x)));
      const int v = std::max(std::abs(P(y + 1, x) - P(y, x)), std::abs(P(y - 1, x) - P(y, x)));
      const double Q = h * h + v * v;
      const double den = std::max(double(D[k]) * D[k] - Q * r * std::numbers::pi, 1.0);
      S[size_t(y) * columns + x] = uint8_t(std::min(255.0, std::floor(100 * std::sqrt(Q / den) + 0.5)));
    }
  return S;
}

// The luminance merge with its division, pixel by pixel.
void MergeReference(uint8_t* c, int target)
{
  const int y = (57 * c[2] + 181 * c[1] + 18 * c[0]) >> 8;
  if (y > 0) {
    const int q = 256 * target / y;
    const int mx = std::max({c[0], c[1], c[2]});
    for (int i = 0; i < 3; ++i)
      c[i] = uint8_t(mx * q > 65535 ? 255 * c[i] / mx : (c[i] * q) >> 8);
  } else if (target > 0) {
    c[0] = c[1] = c[2] = uint8_t(target);
  }
}

Values PlaneValues(const ImageDesc& plane)
{
  Values v;
  for (int32_t y = 0; y < plane.rows; ++y)
    for (int32_t x = 0; x < plane.columns; ++x)
      v.push_back(*plane.At(y, x));
  return v;
}

// A histogram with a smooth bump of `height` centred on `centre`.
std::vector<uint32_t> Bump(int centre, double height, std::vector<uint32_t> h = std::vector<uint32_t>(256, 0))
{
  for (int i = 0; i < 256; ++i)
    h[size_t(i)] += uint32_t(std::lround(height * std::exp(-(i - centre) * (i - centre) / 8.0)));
  return h;
}

} // namespace

// ---- Measurements on hand-built histograms ------------------------------------

TEST(SharpenMeasures, CombScore)
{
  // Even levels 100, odd levels 20 through level 255: the comb never breaks
  // (span 254); odd depth (100 - 20) / 200 = 0.4 and even depth
  // (100 - 20) / 200 = 0.4, so 2.5 x 0.8 + 0.05 x 254 = 14.7.
  std::vector<uint32_t> comb(256);
  for (int i = 0; i < 256; ++i)
    comb[size_t(i)] = i % 2 ? 20 : 100;
  EXPECT_NEAR(CombScore(comb.data(), Defaults()), 14.7, 1e-9);
  // A falling histogram: H[2] < H[0], so the scan starts at level 2, which
  // is no peak: span 1, score 0.05.
  std::vector<uint32_t> falling(256);
  for (int i = 0; i < 256; ++i)
    falling[size_t(i)] = uint32_t(1000 - 3 * i);
  EXPECT_NEAR(CombScore(falling.data(), Defaults()), 0.05, 1e-12);
  // Levels 0 and 2 at 100, the rest empty: a dip at 1 (c 0, m 100), a peak
  // at 2 (c 100, m 0), a dip at 3 (c 0, m 50), no peak at 4: span 3, odd
  // depth 150 / 300, even depth 100 / 200; 2.5 x 1 + 0.05 x 3.
  std::vector<uint32_t> dip(256, 0);
  dip[0] = dip[2] = 100;
  EXPECT_NEAR(CombScore(dip.data(), Defaults()), 2.65, 1e-12);
  // With level 2 below level 0 the scan starts at 2, and level 1 counts
  // only as a neighbour: a peak at 2 (c 99, m 5), a dip at 3 (c 0, m 49.5),
  // span 3.
  dip[1] = 10, dip[2] = 99;
  EXPECT_NEAR(CombScore(dip.data(), Defaults()), 2.5 * (49.5 / 99 + 94.0 / 198) + 0.05 * 3, 1e-12);
}

TEST(SharpenMeasures, NoiseFloorFromPeaks)
{
  // Noise peak low 8 and high 16 (noise level 3): a peak at 6 counts as 6,
  // one at 12 as (16 - 12) x 8 / 8 = 4, one at 20 not at all; the floor is
  // the largest.
  auto floorOf = [](const std::vector<uint32_t>& h) {
    double floor = -1;
    EXPECT_EQ(NoiseFloorFromHistogram(h.data(), Defaults(), floor), 0);
    return floor;
  };
  EXPECT_DOUBLE_EQ(floorOf(Bump(6, 1000)), 6.0);
  EXPECT_DOUBLE_EQ(floorOf(Bump(12, 1000)), 4.0);
  EXPECT_DOUBLE_EQ(floorOf(Bump(20, 1000)), 0.0);
  EXPECT_DOUBLE_EQ(floorOf(Bump(40, 800, Bump(20, 1000))), 0.0);
  EXPECT_DOUBLE_EQ(floorOf(Bump(60, 900, Bump(12, 1000))), 4.0);
  EXPECT_DOUBLE_EQ(floorOf(std::vector<uint32_t>(256, 0)), 0.0);
}

TEST(SharpenMeasures, EdgeLevelAndEdgeBlurReadings)
{
  // Edge level of 10000 gradients: 0.999 x N = 9990 and 0.9995 x N = 9995
  // both fall in level 0 when it holds 9996, and the search stops there; a
  // third fraction (9997.5) would have reached 200.
  std::vector<uint32_t> h(256, 0);
  h[0] = 9996, h[200] = 4;
  EXPECT_EQ(EdgeLevel(h.data(), 10000), 0);
  h[0] = 9994, h[200] = 6; // the second fraction finds it
  EXPECT_EQ(EdgeLevel(h.data(), 10000), 200);

  // Edge blur of 1000 non-zero sharpness values: the top 1 % begin where
  // the running sum from the top exceeds floor(0.01 x 1000) = 10.
  h.assign(256, 0);
  h[0] = 5000, h[40] = 990, h[60] = 10;
  EXPECT_DOUBLE_EQ(EdgeBlurFromSharpness(h.data(), Defaults()), 100 / (40 * std::sqrt(2 * std::numbers::pi)));
  h[60] = 11;
  EXPECT_DOUBLE_EQ(EdgeBlurFromSharpness(h.data(), Defaults()), 100 / (60 * std::sqrt(2 * std::numbers::pi)));
  // Nothing below the minimum sharpness (10), nothing from a map without
  // sharp pixels, nor from an empty map (an empty rectangle), which would
  // otherwise read level 256.
  h.assign(256, 0);
  h[9] = 100;
  EXPECT_EQ(EdgeBlurFromSharpness(h.data(), Defaults()), 0.0);
  h[0] = 50, h[9] = 0;
  EXPECT_EQ(EdgeBlurFromSharpness(h.data(), Defaults()), 0.0);
  h[0] = 0;
  EXPECT_EQ(EdgeBlurFromSharpness(h.data(), Defaults()), 0.0);
}

TEST(SharpenMeasures, ParameterDerivation)
{
  // Defaults (sharpen 3, noise 3): sigma factor 1.5, amount 133, minimum
  // blur 0.7, pre-blur threshold 0.867, comb limits 2.011 and 3.011, knee
  // factors 0.833 and 1.667.
  const double f = 1.0 - 0.867; // sigma 1: f = min(1 / 2, 1 - 0.867)
  const struct {
    double sigma, comb, noise, preBlur, sharpenBlur;
    int amount, kneeLow, kneeHigh;
  } cases[] = {
      // Mask at 1.5 sigma, 2 x 0.75^2; knees floor(0.833 + 0.5), floor(1.667 + 0.5).
      {0.5, 0, 0, 0, 1.125, 133, 1, 2},
      // Above the threshold: pre-blur 2 f^2, mask 1.5 sqrt(f^2 + 1); knees
      // from a floor of 4: floor(5 x 0.833 + 0.5), floor(5 x 1.667 + 0.5).
      {1.0, 0, 4, 2 * f * f, 2 * 2.25 * (f * f + 1), 133, 4, 8},
      {3.0, 0, 0, 4.5, 6.0, 133, 1, 2},     // f = 1.5; the mask stops at 6.0
      {0.3, 0, 0, 0, 0, 133, 1, 2},         // 2 x 0.45^2 < 0.7: no mask, the amount stays
      {0.0, 0, 0, 0, 0, 0, 1, 2},           // nothing measured
      {0.5, 2.011, 0, 0, 1.125, 133, 1, 2}, // comb at the low limit: full amount
      {0.5, 2.511, 0, 0, 1.125, 66, 1, 2},  // halfway: trunc(133 x 0.5)
      {0.5, 3.011, 0, 0, 1.125, 0, 1, 2},   // at the high limit: none
  };
  for (const auto& c : cases) {
    SharpenMeasures m;
    m.edgeBlur = c.sigma, m.combScore = c.comb, m.noiseFloor = c.noise;
    DeriveSharpenParameters(Defaults(), m);
    EXPECT_NEAR(m.preBlur, c.preBlur, 1e-12) << c.sigma;
    EXPECT_NEAR(m.sharpenBlur, c.sharpenBlur, 1e-12) << c.sigma;
    EXPECT_EQ(m.amount, c.amount) << c.sigma << " " << c.comb;
    EXPECT_EQ(std::tuple(m.kneeLow, m.kneeHigh, m.topKneeLow, m.topKneeHigh),
              std::tuple(c.kneeLow, c.kneeHigh, 255, 256));
  }
  // A floor of 200 with the knee factors of noise level 13 (2.5 and 4.0):
  // the upper knee stops at 255, the lower one just below it.
  SharpenAdaptiveSettings wide = Defaults();
  wide.kneeLowFactor = 2.5, wide.kneeHighFactor = 4.0;
  SharpenMeasures m;
  m.noiseFloor = 200;
  DeriveSharpenParameters(wide, m);
  EXPECT_EQ(m.kneeHigh, 255);
  EXPECT_EQ(m.kneeLow, 254);
}

TEST(SharpenMeasures, StrengthCurve)
{
  SharpenMeasures m;
  m.kneeLow = 4, m.kneeHigh = 8, m.topKneeLow = 255, m.topKneeHigh = 256;
  uint8_t curve[256];
  BuildStrengthCurve(m, curve);
  // Rises from about 0 below the lower knee to full strength above the
  // upper one: at 0, 255 / (1 + e^6) rounds to 1.
  EXPECT_EQ(curve[0], 1);
  EXPECT_TRUE(std::is_sorted(curve, curve + 254));
  EXPECT_EQ(curve[40], 255);
  // Level 255 gets 255 / (1 + e^-2) = 224.6, the 0.88 top factor; level
  // 254 255 / (1 + e^-6) = 254.4.
  EXPECT_EQ(curve[255], 225);
  EXPECT_EQ(curve[254], 254);
}

// ---- Passes against direct references ---------------------------------------

TEST(SharpenPasses, BoxMeanEqualsTheDirectMean)
{
  const struct {
    int rows, columns;
  } sizes[] = {{1, 1}, {1, 13}, {11, 1}, {2, 9}, {17, 23}};
  int seed = 1;
  for (auto size : sizes)
    for (TestPlane::Layout layout : {TestPlane::kContiguous, TestPlane::kBottomUp, TestPlane::kChannel})
      for (int r = 0; r <= 7; ++r) {
        TestPlane plane(size.rows, size.columns, layout);
        plane.FillRandom(uint32_t(seed++));
        const Values expected = BoxMeanReference(plane.Values(), size.rows, size.columns, r);
        ASSERT_EQ(BoxMean(plane.desc, r, RecordProgress), 0);
        ASSERT_EQ(plane.Values(), expected) << size.rows << "x" << size.columns << " r " << r << " layout " << layout;
      }
  TestPlane plane(4, 4);
  EXPECT_EQ(BoxMean(plane.desc, 8, NoProgress), kStatusBadArgument);
  EXPECT_EQ(BoxMean(plane.desc, -1, NoProgress), kStatusBadArgument);
}

TEST(SharpenPasses, SharpnessMapEqualsTheDirectRule)
{
  // Smooth random planes (so that profiles run long) and raw noise, with
  // and without the luminance blur term, several thresholds and spans.
  std::mt19937 rng(8);
  long measured = 0;
  for (int trial = 0; trial < 12; ++trial) {
    const int rows = 20 + trial * 3, columns = 47 - trial * 2;
    TestPlane Y(rows, columns, trial % 3 == 2 ? TestPlane::kChannel : TestPlane::kContiguous);
    Y.FillRandom(uint32_t(trial + 40));
    if (trial % 2 == 0) {
      ASSERT_EQ(BlurInPlace(Y.desc, 1.0 + trial * 0.4, NoProgress), 0);
    }
    ImageDesc E;
    ASSERT_EQ(GradientMap(Y.desc, E, 1, NoProgress), 0);
    SharpenAdaptiveSettings s = Defaults();
    s.profileSteps = int16_t(1 + trial % 9);
    s.minimumEdgeContrast = int16_t(trial % 4 * 10);
    const int p = 1 + int(rng() % 60);
    const double r = trial % 4 == 1 ? 0.8 : 0.0;
    ImageDesc S;
    ASSERT_EQ(SharpnessMap(Y.desc, E, p, r, s, S, NoProgress), 0);
    const Values expected = SharpnessReference(Y.Values(), PlaneValues(E), rows, columns, p, r, s);
    EXPECT_EQ(PlaneValues(S), expected) << "trial " << trial;
    measured += std::count_if(expected.begin(), expected.end(), [](uint8_t v) { return v > 0; });
    FreeImage(S);
    // Profiles longer than the table, or none at all, are refused.
    for (int16_t K : {0, 26}) {
      s.profileSteps = K;
      EXPECT_EQ(SharpnessMap(Y.desc, E, p, r, s, S, NoProgress), kStatusBadArgument);
      EXPECT_FALSE(S.Allocated());
    }
    FreeImage(E);
  }
  EXPECT_GT(measured, 200); // enough profiles ran to the end

  // A plane too small for any profile is all 0, however the memory it got
  // was left by the block before.
  for (const auto& [rows, columns] : {std::pair{5, 40}, std::pair{40, 5}, std::pair{1, 1}}) {
    TestPlane Y(rows, columns);
    Y.FillRandom(5);
    ImageDesc E;
    ASSERT_EQ(GradientMap(Y.desc, E, 1, NoProgress), 0);
    void* dirty = Allocate(size_t(rows) * size_t(columns));
    std::memset(dirty, 0x5A, size_t(rows) * size_t(columns));
    Release(dirty);
    ImageDesc S;
    ASSERT_EQ(SharpnessMap(Y.desc, E, 1, 0.0, Defaults(), S, NoProgress), 0);
    EXPECT_EQ(PlaneValues(S), Values(size_t(rows) * size_t(columns), 0)) << rows << "x" << columns;
    FreeImage(S);
    FreeImage(E);
  }
}

TEST(SharpenPasses, LuminanceExtractAndMergeEqualTheRules)
{
  // Every (Y, Y') pair: grey v has luminance v, and column t asks for t.
  TestImage greys(256, 256, 3, 2);
  TestPlane targets(256, 256, TestPlane::kBottomUp);
  for (int v = 0; v < 256; ++v)
    for (int t = 0; t < 256; ++t) {
      std::fill(greys.Pixel(v, t), greys.Pixel(v, t) + 3, uint8_t(v));
      targets.At(v, t) = uint8_t(t);
    }
  // And random colours, with random targets, in 4-byte pixels.
  TestImage colours(64, 70, 4, 1);
  colours.FillRandom(3);
  TestPlane random(64, 70);
  random.FillRandom(4);
  for (auto [image, plane] : {std::pair{&greys, &targets}, std::pair{&colours, &random}}) {
    ImageDesc luma;
    ASSERT_EQ(ExtractLuminance(image->Desc(), luma, NoProgress), 0);
    TestImage expected = *image;
    for (int y = 0; y < image->rows; ++y)
      for (int x = 0; x < image->columns; ++x) {
        const uint8_t* c = image->Pixel(y, x);
        ASSERT_EQ(*luma.At(y, x), (256 * c[1] + 57 * (c[2] - c[1]) + 18 * (c[0] - c[1])) >> 8);
        MergeReference(expected.Pixel(y, x), plane->At(y, x));
      }
    FreeImage(luma);
    ASSERT_EQ(MergeLuminance(image->Desc(), plane->desc, NoProgress), 0);
    EXPECT_EQ(image->bytes, expected.bytes);
  }
}

TEST(SharpenPasses, OnePassColourBlurEqualsThreeChannelBlurs)
{
  for (double x : {0.03, 0.5, 1.0, 2.7, 6.0})
    for (int32_t pixelBytes : {3, 4})
      for (auto [rows, columns] : {std::pair{1, 1}, std::pair{1, 17}, std::pair{9, 1}, std::pair{13, 21}}) {
        TestImage image(rows, columns, pixelBytes, 2);
        image.FillRandom(uint32_t(rows * columns + pixelBytes));
        TestImage expected = image;
        for (int c = 0; c < 3; ++c)
          ASSERT_EQ(BlurInPlace(ChannelView(expected.Desc(), c), x, NoProgress), 0);
        ASSERT_EQ(BlurColourInPlace(image.Desc(), x, NoProgress), 0);
        ASSERT_EQ(image.bytes, expected.bytes) << x << " " << pixelBytes << " " << rows << "x" << columns;
      }
  // The same blur on a bottom-up image.
  TestImage image(7, 5);
  image.FillRandom(9);
  TestImage expected = image;
  const ImageDesc up = CallerImage(image.Pixel(6, 0), 7, 5, -image.rowBytes, 3);
  const ImageDesc upExpected = CallerImage(expected.Pixel(6, 0), 7, 5, -expected.rowBytes, 3);
  for (int c = 0; c < 3; ++c)
    ASSERT_EQ(BlurInPlace(ChannelView(upExpected, c), 1.6, NoProgress), 0);
  ASSERT_EQ(BlurColourInPlace(up, 1.6, NoProgress), 0);
  EXPECT_EQ(image.bytes, expected.bytes);
  EXPECT_EQ(BlurColourInPlace(image.Desc(), 6.5, NoProgress), kStatusBadArgument);
  EXPECT_EQ(BlurColourInPlace(ChannelView(image.Desc(), 0), 1.0, NoProgress), kStatusBadArgument);
}

TEST(SharpenPasses, GradientMapEqualsTheSobelRule)
{
  for (TestPlane::Layout layout : {TestPlane::kContiguous, TestPlane::kChannel})
    for (int shift : {0, 1}) {
      TestPlane plane(9, 14, layout);
      plane.FillRandom(uint32_t(shift + 20));
      ImageDesc out;
      ASSERT_EQ(GradientMap(plane.desc, out, shift, NoProgress), 0);
      auto P = [&](int y, int x) { return int(plane.At(std::clamp(y, 0, 8), std::clamp(x, 0, 13))); };
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 14; ++x) {
          const int gx =
              P(y - 1, x + 1) + 2 * P(y, x + 1) + P(y + 1, x + 1) - P(y - 1, x - 1) - 2 * P(y, x - 1) - P(y + 1, x - 1);
          const int gy =
              P(y - 1, x - 1) + 2 * P(y - 1, x) + P(y - 1, x + 1) - P(y + 1, x - 1) - 2 * P(y + 1, x) - P(y + 1, x + 1);
          ASSERT_EQ(*out.At(y, x), std::min(255, (std::abs(gx) + std::abs(gy)) >> shift)) << y << "," << x;
        }
      FreeImage(out);
    }
}

TEST(SharpenPasses, SmallRegionRemoval)
{
  // Regions of 1, 3 (an L), 4 and 6 pixels on 10 x 10; 0.04 of the area
  // keeps regions of 4 or more. Diagonal neighbours do not join.
  TestPlane S(10, 10);
  const std::vector<std::pair<int, int>> one{{0, 0}}, three{{2, 2}, {3, 2}, {3, 3}},
      four{{0, 6}, {0, 7}, {0, 8}, {0, 9}}, six{{6, 1}, {6, 2}, {7, 1}, {7, 2}, {8, 1}, {8, 2}},
      diagonal{{5, 6}, {6, 7}, {7, 8}, {8, 9}};
  for (const auto* region : {&one, &three, &four, &six, &diagonal})
    for (auto [y, x] : *region)
      S.At(y, x) = 9;
  const Values before = S.Values();
  ASSERT_EQ(RemoveSmallRegions(S.desc, 0.0, NoProgress), 0);
  EXPECT_EQ(S.Values(), before);
  ASSERT_EQ(RemoveSmallRegions(S.desc, 0.019, NoProgress), 0); // minimum size 1: nothing to do
  EXPECT_EQ(S.Values(), before);
  ASSERT_EQ(RemoveSmallRegions(S.desc, 0.04, NoProgress), 0);
  Values expected(100, 0);
  for (const auto* region : {&four, &six})
    for (auto [y, x] : *region)
      expected[size_t(y) * 10 + x] = 9;
  EXPECT_EQ(S.Values(), expected);
}

// ---- The measurements on pictures -------------------------------------------------

TEST(SharpenMeasures, EdgeBlurFollowsTheGaussianWidth)
{
  // Vertical steps blurred by sigma, halfway between two pixels: the
  // steepest one-pixel step of such an edge is erf(1 / (2 sqrt(2) sigma))
  // of its contrast, which tends to 1 / (sigma sqrt(2 pi)) (within 4 % from
  // sigma 1 on). With the sharpness read in whole levels the estimate lands
  // within 3 % of the sampled value and within 7 % of sigma itself.
  for (double sigma : {0.8, 1.0, 1.5, 2.0, 3.0}) {
    TestImage picture = SoftEdges(48, 120, sigma);
    ImageDesc Y, E;
    ASSERT_EQ(ExtractLuminance(picture.Desc(), Y, NoProgress), 0);
    ASSERT_EQ(GradientMap(Y, E, 1, NoProgress), 0);
    std::vector<uint32_t> h(256);
    double blur = 0;
    ASSERT_EQ(EstimateEdgeBlur(Y, E, WholeRect(48, 120), Defaults(), h.data(), blur, NoProgress), 0);
    const double expected = 1 / (std::sqrt(2 * std::numbers::pi) * std::erf(1 / (2 * std::sqrt(2.0) * sigma)));
    EXPECT_NEAR(blur, expected, 0.03 * expected) << sigma;
    EXPECT_NEAR(blur, sigma, 0.07 * sigma) << sigma;
    FreeImage(Y);
    FreeImage(E);
  }
}

TEST(SharpenMeasures, LuminanceBlurAndMedianFollowTheEdgeLevel)
{
  // A luminance blur factor (0 in every setting the exports make): strong
  // edges (edge level at or above blur edge high) get none, weak ones (at
  // or below blur edge low) the whole factor. What Yr becomes shows it:
  // the median, then the blur.
  // Levels 255 .. 256 put every edge level in the weak range, 1 .. 2 in
  // the strong one.
  TestImage picture = SoftEdges(40, 72, 1.2, false, 2);
  for (auto [low, high, factor] : {std::tuple{255, 256, 2}, std::tuple{1, 2, 2}}) {
    SharpenAdaptiveSettings s = Defaults();
    s.luminanceBlurFactor = int16_t(factor), s.blurEdgeLow = int16_t(low), s.blurEdgeHigh = int16_t(high);
    ImageDesc Y, E, expected;
    ASSERT_EQ(ExtractLuminance(picture.Desc(), Y, NoProgress), 0);
    ASSERT_EQ(ExtractLuminance(picture.Desc(), expected, NoProgress), 0);
    ASSERT_EQ(GradientMap(Y, E, 1, NoProgress), 0);
    std::vector<uint32_t> h(256);
    double blur = 0;
    ASSERT_EQ(EstimateEdgeBlur(Y, E, WholeRect(40, 72), s, h.data(), blur, NoProgress), 0);
    ASSERT_GT(EdgeLevel(h.data(), RangeSum(h.data(), 256, 0, 255)), 2);
    ASSERT_EQ(GreyRankFilter(expected, 2, 50, NoProgress), 0);
    if (high == 256) {
      ASSERT_EQ(BlurInPlace(expected, factor, NoProgress), 0);
    }
    EXPECT_EQ(PlaneValues(Y), PlaneValues(expected)) << high;
    FreeImage(Y);
    FreeImage(E);
    FreeImage(expected);
  }
}
