// The binomial blur and unsharp mask: kernels over a dense grid of blur
// parameters, the in-place separable filter against a direct 2-D reference
// (and the integer-order form against its own cascade of sums), constant
// planes, clamping, argument checks, progress, cancel and allocation
// failures.
#include "testkit.h"

#include "alloc.h"
#include "binomial.h"
#include "status.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

using namespace lvx;
using namespace lvxtest;

namespace {

using Values = std::vector<uint8_t>;

struct Target {
  int32_t rows, columns;
  const Values& pixels;
  const Values* strength; // null: none
};

// The output rule of one pixel from its unnormalised blur B, in 64 bits.
uint8_t Rule(const Target& t, size_t i, uint64_t B, int s, int amount)
{
  const int64_t A = amount * 256 / 100, P = t.pixels[i];
  if (!t.strength && A == -256)
    return uint8_t((B + (uint64_t(1) << (s - 1))) >> s);
  const int lo = std::max(s - 8, 0), hi = std::min(s, 8);
  const int64_t a = t.strength ? (A * (*t.strength)[i]) >> 8 : A;
  const int64_t v = P << hi, b = int64_t(B >> lo);
  return uint8_t(std::clamp<int64_t>(((v << 8) + a * (v - b) + (int64_t(1) << (hi + 7))) >> (hi + 8), 0, 255));
}

int Shift(const HalfKernel& k)
{
  uint32_t sum = k.w[0];
  for (int i = 1; i <= k.n; ++i)
    sum += 2 * k.w[i];
  return 2 * int(std::log2(sum));
}

// Every pixel from the 2-D sum over its window, edges repeated.
Values DirectReference(const Target& t, const HalfKernel& k, int amount)
{
  Values out(t.pixels.size());
  for (int y = 0; y < t.rows; ++y)
    for (int x = 0; x < t.columns; ++x) {
      uint64_t B = 0;
      for (int i = -k.n; i <= k.n; ++i)
        for (int j = -k.n; j <= k.n; ++j)
          B += uint64_t(k.w[std::abs(i)]) * k.w[std::abs(j)] *
               t.pixels[std::clamp(y + i, 0, t.rows - 1) * t.columns + std::clamp(x + j, 0, t.columns - 1)];
      out[y * t.columns + x] = Rule(t, size_t(y) * t.columns + x, B, Shift(k), amount);
    }
  return out;
}

// The integer-order form as a cascade: each new row is added into the older
// accumulators newest first, so the oldest holds the order-2r vertical sum;
// that row, extended by r end values on each side, takes 2r passes of
// a[x] += a[x + 1].
Values CascadeReference(const Target& t, int r, int amount)
{
  Values out(t.pixels.size());
  std::deque<std::vector<uint32_t>> ring;
  for (int row = -r; row < t.rows + r; ++row) {
    const int source = std::clamp(row, 0, t.rows - 1);
    ring.emplace_back(t.pixels.begin() + source * t.columns, t.pixels.begin() + (source + 1) * t.columns);
    for (int j = int(ring.size()) - 2; j >= 0; --j)
      for (int x = 0; x < t.columns; ++x)
        ring[j][x] += ring[j + 1][x];
    if (int(ring.size()) < 2 * r + 1)
      continue;
    std::vector<uint32_t> a(size_t(r), ring.front().front());
    a.insert(a.end(), ring.front().begin(), ring.front().end());
    a.insert(a.end(), size_t(r), ring.front().back());
    ring.pop_front();
    for (int pass = 0; pass < 2 * r; ++pass)
      for (size_t x = 0; x + 1 < a.size(); ++x)
        a[x] += a[x + 1];
    const int y = row - r;
    for (int x = 0; x < t.columns; ++x)
      out[y * t.columns + x] = Rule(t, size_t(y) * t.columns + x, a[x], 4 * r, amount);
  }
  return out;
}

HalfKernel KernelOf(double x)
{
  HalfKernel k;
  EXPECT_EQ(KernelFromParameter(x, k), 0) << x;
  return k;
}

const int16_t kAmounts[] = {-100, 0, 130, 300, 32767, -32768, -7};

} // namespace

TEST(BinomialBlur, KernelsFromParameters)
{
  // x = 1: row 2 (1 2 1 over 4), s = 4. x = 0.5: W = 1024, e = 512 halved to
  // 1 over 2, w[0] = 4 x 1 x 1 + 1 x 2 = 6 (1 6 1 over 8), s = 6. x = 6:
  // row 12, s = 24.
  HalfKernel k = KernelOf(1.0);
  EXPECT_EQ(k.n, 1);
  EXPECT_EQ(std::vector<int>(k.w, k.w + 2), (std::vector<int>{2, 1}));
  k = KernelOf(0.5);
  EXPECT_EQ(std::vector<int>(k.w, k.w + 3), (std::vector<int>{6, 1, 0}));
  EXPECT_EQ(Shift(k), 6);
  k = KernelOf(6.0);
  EXPECT_EQ(std::vector<int>(k.w, k.w + 7), (std::vector<int>{924, 792, 495, 220, 66, 12, 1}));
  EXPECT_EQ(Shift(k), 24);
  // No blur below 1 / 2048 and for negative parameters; -200 at 6.5 and for NaN.
  for (double x : {0.0, 0.00048, -1.0, -1e300})
    EXPECT_EQ(KernelOf(x).n, 0) << x;
  for (double x : {6.5, 1e9, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_EQ(KernelFromParameter(x, k), kStatusBadArgument) << x;

  // Over a dense grid the kernel sums to 2^j with 2j <= 24 and its variance
  // (d + e / W) / 2 is within 1 / (2W) of x / 2 (W = 1 for d = 6).
  for (int i = 0; i < 6500; ++i) {
    const double x = i / 1000.0;
    k = KernelOf(x);
    uint64_t sum = k.w[0], moment = 0;
    for (int j = 1; j <= k.n; ++j)
      sum += 2 * k.w[j], moment += 2 * uint64_t(j) * j * k.w[j];
    ASSERT_TRUE(sum > 0 && (sum & (sum - 1)) == 0 && sum <= 4096) << x;
    ASSERT_LE(k.n, 6);
    const int d = int(x), W = d <= 5 ? 1 << (10 - 2 * d) : 1;
    ASSERT_NEAR(2.0 * double(moment) / double(sum), x, 0.5 / W + 1e-12) << x;
  }
}

TEST(BinomialBlur, InPlaceFilterEqualsTheDirectReference)
{
  const struct {
    int32_t rows, columns;
  } shapes[] = {{1, 1}, {1, 12}, {12, 1}, {3, 2}, {17, 23}};
  const double parameters[] = {0.3, 1.0, 1.7, 2.5, 4.2, 6.0, 3.9};
  uint32_t run = 0;
  for (auto shape : shapes)
    for (TestPlane::Layout layout : {TestPlane::kContiguous, TestPlane::kBottomUp, TestPlane::kChannel})
      for (int16_t amount : kAmounts)
        for (bool withStrength : {false, true}) {
          ++run;
          TestPlane plane(shape.rows, shape.columns, layout), strength(shape.rows, shape.columns,
                                                                       layout == TestPlane::kChannel
                                                                           ? TestPlane::kContiguous
                                                                           : TestPlane::kChannel);
          plane.FillRandom(run);
          strength.FillRandom(run + 500);
          const Values pixels = plane.Values(), m = strength.Values();
          const Target t{shape.rows, shape.columns, pixels, withStrength ? &m : nullptr};
          const ImageDesc s = withStrength ? strength.desc : EmptyImage();
          const double x = parameters[run % 7];
          const Values expected = amount == 0 ? pixels : DirectReference(t, KernelOf(x), amount);
          ASSERT_EQ(UnsharpMask(plane.desc, s, x, amount, NoProgress), 0);
          EXPECT_EQ(plane.Values(), expected) << "x " << x << " amount " << amount << " strength " << withStrength;

          const int r = 1 + int(run % 6);
          plane.Set(pixels);
          ASSERT_EQ(IntegerOrderUnsharpMask(plane.desc, s, r, amount, NoProgress), 0);
          EXPECT_EQ(plane.Values(), amount == 0 ? pixels : CascadeReference(t, r, amount)) << "radius " << r;
          EXPECT_TRUE(plane.CanariesIntact());
        }
}

TEST(BinomialBlur, ConstantPlanesZeroStrengthAndClamping)
{
  TestPlane plane(9, 14), zeros(9, 14);
  for (int16_t amount : kAmounts)
    for (int level : {0, 77, 255}) {
      plane.Set(Values(9 * 14, uint8_t(level)));
      ASSERT_EQ(UnsharpMask(plane.desc, EmptyImage(), 2.2, amount, NoProgress), 0);
      EXPECT_EQ(plane.Values(), Values(9 * 14, uint8_t(level))) << amount << " " << level;
      plane.FillRandom(uint32_t(level));
      const Values before = plane.Values();
      ASSERT_EQ(UnsharpMask(plane.desc, zeros.desc, 2.2, amount, NoProgress), 0);
      EXPECT_EQ(plane.Values(), before) << amount;
    }
  // A step from 5 to 250 under a strong mask overshoots both ways: the
  // pixels beside the step end at 0 and 255, not wrapped around.
  for (int16_t amount : {300, 32767}) {
    for (int32_t y = 0; y < 9; ++y)
      for (int32_t x = 0; x < 14; ++x)
        plane.At(y, x) = x < 7 ? 5 : 250;
    ASSERT_EQ(UnsharpMask(plane.desc, EmptyImage(), 1.0, amount, NoProgress), 0);
    EXPECT_EQ(plane.At(4, 6), 0);
    EXPECT_EQ(plane.At(4, 7), 255);
  }
}

TEST(BinomialBlur, ArgumentChecksTouchNothing)
{
  TestPlane plane(5, 6);
  plane.FillRandom(1);
  const Values before = plane.Values();
  ImageDesc wrong = plane.desc;
  wrong.kind = kKindColour;
  TestPlane smaller(5, 5);
  HalfKernel notPower, tooWide, tooBig;
  notPower.n = 1, notPower.w[0] = 3, notPower.w[1] = 1;       // sums to 5
  tooWide.n = 21, tooWide.w[0] = 1;                            // half width above 20
  tooBig.n = 0, tooBig.w[0] = 8192;                            // 2^13: shift 26
  EXPECT_EQ(UnsharpMaskWithKernel(plane.desc, EmptyImage(), notPower, 100, NoProgress), kStatusBadArgument);
  EXPECT_EQ(UnsharpMaskWithKernel(plane.desc, EmptyImage(), tooWide, 100, NoProgress), kStatusBadArgument);
  EXPECT_EQ(UnsharpMaskWithKernel(plane.desc, EmptyImage(), tooBig, 100, NoProgress), kStatusBadArgument);
  EXPECT_EQ(UnsharpMask(wrong, EmptyImage(), 1.0, 100, NoProgress), kStatusBadArgument);
  EXPECT_EQ(UnsharpMask(plane.desc, wrong, 1.0, 100, NoProgress), kStatusBadArgument);
  EXPECT_EQ(UnsharpMask(plane.desc, smaller.desc, 1.0, 100, NoProgress), kStatusBadArgument);
  EXPECT_EQ(BlurInPlace(plane.desc, 6.5, NoProgress), kStatusBadArgument);
  EXPECT_EQ(BlurInPlace(plane.desc, std::nan(""), NoProgress), kStatusBadArgument);
  for (int r : {-1, 7})
    EXPECT_EQ(IntegerOrderUnsharpMask(plane.desc, EmptyImage(), r, 100, NoProgress), kStatusBadArgument);
  EXPECT_EQ(IntegerOrderUnsharpMask(wrong, EmptyImage(), 2, 100, NoProgress), kStatusBadArgument);
  // Nothing to do: no kind check.
  EXPECT_EQ(BlurInPlace(wrong, 0.0004, NoProgress), 0);
  EXPECT_EQ(BlurInPlace(wrong, -2.0, NoProgress), 0);
  EXPECT_EQ(UnsharpMask(wrong, EmptyImage(), 1.0, 0, NoProgress), 0);
  EXPECT_EQ(IntegerOrderUnsharpMask(wrong, EmptyImage(), 0, 100, NoProgress), 0);
  EXPECT_EQ(plane.Values(), before);
}

TEST(BinomialBlur, ProgressCancelAndAllocationFailure)
{
  // 30 rows, x = 1 (n = 1): a task of 30 announced, 31 passes ticked; the
  // integer form with r = 2 ticks 34. A cancel at poll 10 (pass 9) has output
  // rows 0..8; the integer form, 2 passes earlier and 2 rows behind, rows 0..5.
  TestPlane plane(30, 7, TestPlane::kChannel);
  plane.FillRandom(2);
  const Values before = plane.Values();
  const Target t{30, 7, before, nullptr};
  for (int form : {0, 1}) {
    auto run = [&](AdjustProgressProc cb) {
      return form ? IntegerOrderUnsharpMask(plane.desc, EmptyImage(), 2, 150, cb)
                  : UnsharpMask(plane.desc, EmptyImage(), 1.0, 150, cb);
    };
    plane.Set(before);
    ResetProgress();
    ASSERT_EQ(run(RecordProgress), 0);
    EXPECT_EQ(Progress().calls.front(), -30);
    EXPECT_EQ(Progress().polls, form ? 34 : 31);
    EXPECT_EQ(ProtocolError(Progress().calls), "");

    const Values full = form ? CascadeReference(t, 2, 150) : DirectReference(t, KernelOf(1.0), 150);
    plane.Set(before);
    ResetProgress(10);
    ASSERT_EQ(run(RecordProgress), kStatusCancelled);
    const size_t done = size_t(form ? 6 : 9) * 7;
    const Values after = plane.Values();
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + done, full.begin()));
    EXPECT_TRUE(std::equal(after.begin() + done, after.end(), before.begin() + done));

    plane.Set(before);
    standin::ResetAllocationFaults();
    standin::FailAllocations(0, 1);
    ResetProgress();
    EXPECT_EQ(run(RecordProgress), kStatusNoMemory);
    EXPECT_EQ(plane.Values(), before);
    EXPECT_EQ(ProtocolError(Progress().calls), "");
    EXPECT_EQ(LiveAllocations(), 0);
    standin::ResetAllocationFaults();
  }
}
