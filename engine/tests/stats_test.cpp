// Histogram gatherers, histogram reading, the gradient map, the
// strongest-gradient level and the peak list.
#include "testkit.h"

#include "alloc.h"
#include "stats.h"
#include "status.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

ImageDesc PlaneOf(std::vector<uint8_t>& bytes, int rows, int columns)
{
  return Plane8View(bytes.data(), rows, columns, RowLayout::Contiguous);
}

// The strongest-gradient level written straight from its definition: each
// difference across the centre weighted by 1 / (|dx| + |dy|), the four
// partial sums divided separately (S4 and S2 floored, S3 truncated).
int16_t ReferenceLevel(const std::vector<uint8_t>& v, int rows, int cols, int divisor, int w)
{
  auto p = [&](int y, int x) { return std::min<int>(v[size_t(y) * cols + x], 100); };
  uint64_t counts[101] = {}, roots[101] = {};
  for (int y = 2; y < rows - 2; ++y)
    for (int x = 2; x < cols - 2; ++x) {
      long sx[5] = {}, sy[5] = {};
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = 1; dx <= 2; ++dx) {
          int k = std::abs(dy) + dx;
          if (k <= 4) {
            sx[k] += p(y + dy, x + dx) - p(y + dy, x - dx);
            sy[k] += p(y + dx, x + dy) - p(y - dx, x + dy);
          }
        }
      auto g = [](const long* s) {
        return long(std::floor(s[4] / 4.0)) + long(std::trunc(s[3] / 3.0)) + long(std::floor(s[2] / 2.0)) + s[1];
      };
      int c = p(y, x);
      ++counts[c];
      roots[c] += uint64_t(std::sqrt(double(std::labs(g(sx)) + std::labs(g(sy)))));
    }
  uint64_t minimum = uint64_t(rows) * cols / uint64_t(std::max(divisor, 1));
  for (int c = 0; c <= 100; ++c)
    roots[c] = counts[c] == 0 ? 0 : (counts[c] >= minimum ? roots[c] / counts[c] : 0);
  uint64_t best = 0;
  int16_t level = 0;
  for (int j = w; j <= 89; ++j) {
    uint64_t sum = 0;
    for (int k = j - w; k <= j + w; ++k)
      sum += roots[k];
    if (sum > best)
      best = sum, level = int16_t(j);
  }
  return level;
}

int16_t Level(std::vector<uint8_t>& v, int rows, int cols, int divisor = 2000, int w = 3)
{
  int16_t level = -1;
  EXPECT_EQ(StrongestGradientLevel(PlaneOf(v, rows, cols), int16_t(divisor), int16_t(w), level, NoProgress), 0);
  return level;
}

std::vector<double> Peaks(const std::vector<uint32_t>& h, double alpha = 0.95, double beta = 0.9,
                          uint32_t areaScale = 0, uint32_t heightScale = 0, int capacity = 21)
{
  std::vector<double> list(size_t(std::max(capacity, 1)), -1.0);
  uint16_t count = 0xFFFF;
  EXPECT_EQ(
      HistogramPeakList(h.data(), int32_t(h.size()), alpha, beta, areaScale, heightScale, list.data(), capacity, count),
      0);
  list.resize(count);
  return list;
}

} // namespace

TEST(Gatherers, ColourBrightnessAndPlanes)
{
  TestImage image(2, 3, 4, 1);
  const uint8_t px[6][3] = {{1, 2, 3}, {1, 2, 3}, {255, 255, 255}, {0, 0, 0}, {10, 0, 5}, {0, 9, 0}};
  for (int i = 0; i < 6; ++i)
    std::copy(px[i], px[i] + 3, image.Pixel(i / 3, i % 3));
  uint32_t *r = nullptr, *g = nullptr, *b = nullptr;
  ASSERT_EQ(GatherColourHistograms(image.Desc(), r, g, b, NoProgress), 0);
  EXPECT_EQ(r[3], 2u);
  EXPECT_EQ(g[2], 2u);
  EXPECT_EQ(b[255], 1u);
  EXPECT_EQ(RangeSum(r, 256, 0, 1000), 6u);
  uint32_t *n = nullptr, *sr = nullptr, *sg = nullptr, *sb = nullptr;
  ASSERT_EQ(GatherBrightness(image.Desc(), n, sr, sg, sb, NoProgress), 0);
  EXPECT_EQ(n[765], 1u); // 766 bins, 0..765
  EXPECT_EQ(n[6], 2u);
  EXPECT_EQ(sr[6], 6u);
  EXPECT_EQ(sb[15], 10u);
  uint32_t *bright = nullptr, *sat = nullptr;
  ASSERT_EQ(GatherSaturationBrightness(image.Desc(), bright, sat, NoProgress), 0);
  // (B, G, R) = (1, 2, 3): floor(256 * 2 / 3) = 170; (10, 0, 5) has min 0: 255.
  EXPECT_EQ(sat[170], 2u);
  EXPECT_EQ(sat[255], 2u);
  EXPECT_EQ(sat[0], 2u);
  for (uint32_t* p : {r, g, b, n, sr, sg, sb, bright, sat})
    Release(p);
  // A slot given in is zeroed first; a failure releases only what was made.
  uint32_t given[4] = {9, 9, 9, 9};
  uint32_t* slot = given;
  std::vector<uint8_t> plane{0, 1, 1, 7};
  ASSERT_EQ(GatherPlane8Histogram(PlaneOf(plane, 2, 2), slot, 4, NoProgress), 0);
  EXPECT_EQ(given[1], 2u);
  EXPECT_EQ(given[3], 0u); // 7 lies past the 4 bins
  uint32_t *x = nullptr, *y = nullptr, *z = nullptr;
  standin::ResetAllocationFaults();
  standin::FailAllocations(2, 1);
  EXPECT_EQ(GatherColourHistograms(image.Desc(), x, y, z, NoProgress), kStatusNoMemory);
  standin::ResetAllocationFaults();
  EXPECT_EQ(x, nullptr);
  EXPECT_EQ(y, nullptr);
  EXPECT_EQ(GatherPlane16Histogram(PlaneOf(plane, 2, 2), x, 4, NoProgress), kStatusBadArgument);
  EXPECT_EQ(LiveAllocations(), 0);
}

TEST(Gatherers, PlaneHistogramCountsEveryPixelOfAnyView)
{
  // Odd sizes, runs of one value (which the counting splits across banks)
  // and few levels, every layout, and bin counts below, at and above 256.
  const struct {
    int rows, columns, levels;
  } cases[] = {{1, 1, 256}, {1, 7, 3}, {13, 5, 256}, {9, 1027, 2}, {31, 64, 1}};
  uint32_t seed = 3;
  for (const auto& c : cases)
    for (TestPlane::Layout layout : {TestPlane::kContiguous, TestPlane::kBottomUp, TestPlane::kChannel})
      for (int32_t n : {0, 1, 100, 256, 300}) {
        TestPlane plane(c.rows, c.columns, layout);
        plane.FillRandom(seed++, c.levels);
        std::vector<uint32_t> expected(size_t(n), 0);
        for (const uint8_t v : plane.Values())
          if (v < n)
            ++expected[v];
        uint32_t* h = nullptr;
        ASSERT_EQ(GatherPlane8Histogram(plane.desc, h, n, NoProgress), 0);
        EXPECT_EQ(std::vector<uint32_t>(h, h + n), expected)
            << c.rows << "x" << c.columns << " layout " << layout << " bins " << n;
        Release(h);
      }
  EXPECT_EQ(LiveAllocations(), 0);
}

TEST(Histograms, Reading)
{
  uint32_t zero[8] = {};
  EXPECT_EQ(PercentileFromBottom(zero, 8, 0), 8);
  EXPECT_EQ(PercentileFromTop(zero, 8, 0), 8);
  uint32_t h[6] = {2, 0, 3, 0, 1, 4};
  uint64_t sum = 0;
  EXPECT_EQ(PercentileFromBottom(h, 6, 2, &sum), 2); // 2, 2, 5 > 2
  EXPECT_EQ(sum, 5u);
  EXPECT_EQ(PercentileFromTop(h, 6, 4, &sum), 4); // 4, 5 > 4
  EXPECT_EQ(sum, 5u);
  EXPECT_EQ(PercentileFromBottom(h, 6, 10), 6);
  EXPECT_EQ(RangeSum(h, 6, 2, 99), 8u);
  EXPECT_EQ(RangeSum(h, 6, 4, 3), 0u);
  uint64_t rest = 0;
  // (2 * 3 + 4 * 1 + 5 * 4) / 8 = 30 / 8 = 3 remainder 6.
  EXPECT_EQ(IntegerMean(h, 6, 1, 9, &rest), 3);
  EXPECT_EQ(rest, 6u);
  EXPECT_EQ(IntegerMean(h, 6, 1, 1), 1);
  EXPECT_EQ(IntegerMean(zero, 8, 3, 6), 4);
  EXPECT_DOUBLE_EQ(RealMean(h, 6, 1, 9), 3.75);
  EXPECT_DOUBLE_EQ(RealMean(zero, 8, 3, 6), 4.5);
  uint32_t out[3] = {};
  Rebin(h, 6, out, 3);
  EXPECT_EQ(out[0], 2u);
  EXPECT_EQ(out[1], 3u);
  EXPECT_EQ(out[2], 5u);
  uint32_t ties[4] = {1, 5, 2, 5};
  EXPECT_EQ(Mode(ties, 4), 1);
}

TEST(GradientMap, ConstantAndStep)
{
  std::vector<uint8_t> flat(6 * 7, 90);
  ImageDesc out;
  ASSERT_EQ(GradientMap(PlaneOf(flat, 6, 7), out, 1, NoProgress), 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x)
      ASSERT_EQ(*out.At(y, x), 0);
  FreeImage(out);
  // Columns 0..3 at 10, 4..6 at 30: the step of 20 gives 4 * 20 >> s on
  // columns 3 and 4 and nothing elsewhere.
  std::vector<uint8_t> step(6 * 7, 10);
  for (int y = 0; y < 6; ++y)
    for (int x = 4; x < 7; ++x)
      step[size_t(y) * 7 + x] = 30;
  for (int shift : {0, 1, 2}) {
    ASSERT_EQ(GradientMap(PlaneOf(step, 6, 7), out, shift, NoProgress), 0);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 7; ++x)
        ASSERT_EQ(*out.At(y, x), x == 3 || x == 4 ? 80 >> shift : 0);
    FreeImage(out);
  }
  // Large responses are capped at 255.
  std::vector<uint8_t> edge{0, 255, 0, 255};
  ASSERT_EQ(GradientMap(PlaneOf(edge, 2, 2), out, 0, NoProgress), 0);
  EXPECT_EQ(*out.At(0, 0), 255);
  FreeImage(out);
  standin::ResetAllocationFaults();
  standin::FailAllocations(1, 1);
  EXPECT_EQ(GradientMap(PlaneOf(edge, 2, 2), out, 0, NoProgress), kStatusNoMemory);
  standin::ResetAllocationFaults();
  EXPECT_FALSE(out.Allocated());
  EXPECT_EQ(LiveAllocations(), 0);
}

TEST(StrongestGradientLevel, EdgeCases)
{
  std::vector<uint8_t> flat(20 * 20, 40);
  EXPECT_EQ(Level(flat, 20, 20), 0);
  // A plane of fewer than 5 rows counts nothing.
  std::vector<uint8_t> thin(4 * 50);
  for (size_t i = 0; i < thin.size(); ++i)
    thin[i] = uint8_t(i % 2 ? 100 : 0);
  EXPECT_EQ(Level(thin, 4, 50), 0);
  // Left half 10, right half 60: the pixels beside the edge give both
  // levels a positive mean gradient root, so some window sum is positive.
  std::vector<uint8_t> halves(30 * 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
      halves[size_t(y) * 30 + x] = x < 15 ? 10 : 60;
  EXPECT_EQ(Level(halves, 30, 30), ReferenceLevel(halves, 30, 30, 2000, 3));
  EXPECT_NE(Level(halves, 30, 30), 0);
  // A level held by fewer than rows x columns / d pixels contributes nothing:
  // with d = 1 only a level covering every pixel could count.
  EXPECT_EQ(Level(halves, 30, 30, 1), 0);
  int16_t level = 7;
  TestImage colour(3, 3);
  EXPECT_EQ(StrongestGradientLevel(colour.Desc(), 2000, 3, level, NoProgress), kStatusBadArgument);
  EXPECT_EQ(level, 7);
}

TEST(StrongestGradientLevel, MatchesTheReferenceOnRandomPlanesIncludingValuesAbove100)
{
  std::mt19937 rng(12);
  for (int trial = 0; trial < 40; ++trial) {
    int rows = 5 + int(rng() % 30), cols = 5 + int(rng() % 30);
    int top = trial % 4 == 0 ? 255 : 101;
    std::vector<uint8_t> v(size_t(rows) * cols);
    int base = int(rng() % 60);
    for (auto& p : v)
      p = uint8_t(std::min(top - 1, base + int(rng() % 41)));
    int divisor = 1 + int(rng() % 3000), w = int(rng() % 12);
    ASSERT_EQ(Level(v, rows, cols, divisor, w), ReferenceLevel(v, rows, cols, divisor, w)) << trial;
  }
}

TEST(StrongestGradientLevel, CancelAndTheOneRowTask)
{
  std::vector<uint8_t> v(12 * 12, 50);
  int16_t level = 0;
  ResetProgress(1);
  EXPECT_EQ(StrongestGradientLevel(PlaneOf(v, 12, 12), 2000, 3, level, RecordProgress), 1);
  EXPECT_EQ(ProtocolError(Progress().calls), "");
  // One row: a task of rows ticks would begin with -1; it announces 2.
  ResetProgress();
  EXPECT_EQ(StrongestGradientLevel(PlaneOf(v, 1, 12), 2000, 3, level, RecordProgress), 0);
  EXPECT_EQ(Progress().calls, (std::vector<int>{-2, -1}));
  EXPECT_EQ(LiveAllocations(), 0);
}

TEST(PeakList, EdgeCases)
{
  EXPECT_TRUE(Peaks(std::vector<uint32_t>(10, 0)).empty());
  EXPECT_EQ(Peaks({0, 0, 5, 0}), (std::vector<double>{2}));
  // Flat top over bins 3..6: its middle floor((3 + 6) / 2) = 4.
  EXPECT_EQ(Peaks({0, 1, 2, 9, 9, 9, 9, 2, 0}), (std::vector<double>{4}));
  // A monotone rise to the last bin ends with a peak there.
  EXPECT_EQ(Peaks({1, 2, 3}), (std::vector<double>{2}));
  // A deep, wide valley between two tall peaks stands.
  std::vector<uint32_t> deep{0, 500, 1000, 500, 10, 0, 0, 0, 10, 500, 1000, 500, 0};
  EXPECT_EQ(Peaks(deep), (std::vector<double>{2, 6, 10}));
  // A shallow dip (valley close to the lower peak) is filled and merged.
  std::vector<uint32_t> shallow{0, 500, 1000, 990, 1000, 500, 0};
  EXPECT_EQ(Peaks(shallow), (std::vector<double>{3}));
  // Capacity: an even capacity loses one entry so the list ends with a peak.
  std::vector<uint32_t> comb;
  for (int i = 0; i < 40; ++i)
    comb.push_back(i % 2 ? 1000 : 0);
  EXPECT_EQ(Peaks(comb, 1e9, 1.0, 0, 0, 20).size(), 19u);
  EXPECT_EQ(Peaks(comb, 1e9, 1.0, 0, 0, 0).size(), 0u);
  // The histogram itself is not changed, and the work copy's failure is -1.
  double list[5];
  uint16_t count = 77;
  standin::ResetAllocationFaults();
  standin::FailAllocations(0, 1);
  EXPECT_EQ(HistogramPeakList(shallow.data(), 7, 1, 1, 0, 0, list, 5, count), kStatusPeakList);
  standin::ResetAllocationFaults();
  EXPECT_EQ(count, 77);
  EXPECT_EQ(shallow[3], 990u);
}

TEST(PeakList, TerminatesOnRandomAndAdversarialHistograms)
{
  std::mt19937 rng(13);
  for (int trial = 0; trial < 300; ++trial) {
    size_t n = 1 + rng() % 300;
    std::vector<uint32_t> h(n);
    int kind = trial % 3;
    for (size_t i = 0; i < n; ++i)
      h[i] = kind == 0 ? rng() % 1000 : (kind == 1 ? (i % 2 ? 0xFFFFFFFFu : rng() % 3) : uint32_t(rng() % 2));
    // Scales 0 and huge weights push towards merging everything or nothing.
    double alpha = trial % 2 ? 0.95 : 1e6, beta = trial % 5 ? 0.9 : 0.0;
    std::vector<double> peaks = Peaks(h, alpha, beta, trial % 7 ? 7 : 0, trial % 11 ? 3 : 0);
    ASSERT_LE(peaks.size(), 21u);
    ASSERT_TRUE(peaks.empty() || peaks.size() % 2 == 1);
    for (size_t i = 1; i < peaks.size(); ++i)
      ASSERT_LT(peaks[i - 1], peaks[i]);
  }
  EXPECT_EQ(LiveAllocations(), 0);
}
