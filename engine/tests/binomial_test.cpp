// The binomial blur and unsharp mask: kernels over a dense grid of blur
// parameters, both in-place forms against a direct 2-D reference, constant
// planes, clamping, argument checks, progress, cancel and allocation
// failures.
#include "testkit.h"

#include "binomial.h"
#include "status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>

using namespace lvx;
using namespace lvxtest;

namespace {

using Values = std::vector<uint8_t>;

HalfKernel KernelOf(double x)
{
  HalfKernel k;
  EXPECT_EQ(KernelFromParameter(x, k), 0) << x;
  return k;
}

uint64_t Sum(const HalfKernel& k)
{
  uint64_t sum = k.w[0];
  for (int i = 1; i <= k.n; ++i)
    sum += 2 * k.w[i];
  return sum;
}

// Every pixel from the 2-D weighted sum B over its window (edges repeated),
// then the rule in 64 bits: the rounded blur for amount -100 without a
// strength plane, else v = P << hi, b = B >> lo, ((v << 8) + a (v - b) +
// 2^(hi + 7)) >> (hi + 8) clamped.
Values DirectReference(const Values& p, const Values* strength, int rows, int columns, const HalfKernel& k, int amount)
{
  const int s = 2 * std::countr_zero(Sum(k)), lo = std::max(s - 8, 0), hi = std::min(s, 8);
  const int64_t A = amount * 256 / 100;
  Values out(p.size());
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      uint64_t B = 0;
      for (int i = -k.n; i <= k.n; ++i)
        for (int j = -k.n; j <= k.n; ++j)
          B += uint64_t(k.w[std::abs(i)]) * k.w[std::abs(j)] *
               p[std::clamp(y + i, 0, rows - 1) * columns + std::clamp(x + j, 0, columns - 1)];
      const size_t at = size_t(y) * columns + x;
      const int64_t a = strength ? (A * (*strength)[at]) >> 8 : A, v = int64_t(p[at]) << hi;
      out[at] = !strength && A == -256
                    ? uint8_t((B + (uint64_t(1) << (s - 1))) >> s)
                    : uint8_t(std::clamp<int64_t>(
                          ((v << 8) + a * (v - int64_t(B >> lo)) + (int64_t(1) << (hi + 7))) >> (hi + 8), 0, 255));
    }
  return out;
}

const int16_t kAmounts[] = {-100, 0, 130, 300, 32767, -32768, -7};

} // namespace

TEST(BinomialBlur, KernelsFromParameters)
{
  // x = 1: row 2 (1 2 1 over 4). x = 0.5: W = 1024, e = 512, halved to 2
  // and 1: w[0] = 4 x 1 x 1 + 1 x 2 = 6 (1 6 1 over 8). x = 6: row 12, s = 24.
  auto weights = [](double x, int count) {
    const HalfKernel k = KernelOf(x);
    return std::vector<int>(k.w, k.w + count);
  };
  EXPECT_EQ(weights(1.0, 3), (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(weights(0.5, 3), (std::vector<int>{6, 1, 0}));
  EXPECT_EQ(weights(6.0, 8), (std::vector<int>{924, 792, 495, 220, 66, 12, 1, 0}));
  EXPECT_EQ(Sum(KernelOf(6.0)), 4096u);
  // No blur below 1 / 2048 or for negative parameters; -200 at 6.5 and for NaN.
  for (double x : {0.0, 0.00048, -1.0, -1e300})
    EXPECT_EQ(KernelOf(x).n, 0) << x;
  HalfKernel k;
  for (double x : {6.5, 1e9, std::nan("")})
    EXPECT_EQ(KernelFromParameter(x, k), kStatusBadArgument) << x;

  // Over a dense grid every kernel sums to 2^j with 2j <= 24, and its
  // variance (d + e / W) / 2 lies within 1 / (2W) of x / 2 (W = 1 for d = 6).
  for (int i = 0; i < 6500; ++i) {
    const double x = i / 1000.0;
    k = KernelOf(x);
    uint64_t moment = 0;
    for (int j = 1; j <= k.n; ++j)
      moment += 2 * uint64_t(j) * j * k.w[j];
    ASSERT_TRUE(std::has_single_bit(Sum(k)) && Sum(k) <= 4096 && k.n <= 6) << x;
    const int d = int(x), W = d <= 5 ? 1 << (10 - 2 * d) : 1;
    ASSERT_NEAR(2.0 * double(moment) / double(Sum(k)), x, 0.5 / W + 1e-12) << x;
  }
}

TEST(BinomialBlur, BothFormsEqualTheDirectReference)
{
  const double parameters[] = {0.3, 1.0, 1.7, 2.5, 4.2, 6.0, 3.9};
  uint32_t run = 0;
  for (auto [rows, columns] : {std::pair{1, 1}, {1, 12}, {12, 1}, {3, 2}, {17, 23}})
    for (auto layout : {TestPlane::kContiguous, TestPlane::kBottomUp, TestPlane::kChannel})
      for (int16_t amount : kAmounts)
        for (bool withStrength : {false, true}) {
          ++run;
          TestPlane plane(rows, columns, layout), strength(rows, columns, TestPlane::Layout(run % 3));
          plane.FillRandom(run);
          strength.FillRandom(run + 500);
          const Values before = plane.Values(), m = strength.Values();
          const Values* ms = withStrength ? &m : nullptr;
          const ImageDesc s = withStrength ? strength.desc : EmptyImage();
          const double x = parameters[run % 7];
          ASSERT_EQ(UnsharpMask(plane.desc, s, x, amount, NoProgress), 0);
          EXPECT_EQ(plane.Values(), amount ? DirectReference(before, ms, rows, columns, KernelOf(x), amount) : before)
              << "x " << x << " amount " << amount << " strength " << withStrength;
          // The order-2r kernel is the kernel of x = r.
          const int r = 1 + int(run % 6);
          plane.Set(before);
          ASSERT_EQ(IntegerOrderUnsharpMask(plane.desc, s, r, amount, NoProgress), 0);
          EXPECT_EQ(plane.Values(), amount ? DirectReference(before, ms, rows, columns, KernelOf(r), amount) : before)
              << "radius " << r << " amount " << amount;
        }
}

TEST(BinomialBlur, ConstantPlanesZeroStrengthAndClamping)
{
  // Every amount leaves constant planes alone, and so does a strength plane
  // of zeros on any plane.
  TestPlane plane(9, 14), zeros(9, 14);
  for (int16_t amount : kAmounts)
    for (int level : {0, 77, 255, -1}) {
      level < 0 ? plane.FillRandom(uint32_t(amount)) : plane.Set(Values(9 * 14, uint8_t(level)));
      const Values before = plane.Values();
      ASSERT_EQ(UnsharpMask(plane.desc, level < 0 ? zeros.desc : EmptyImage(), 2.2, amount, NoProgress), 0);
      EXPECT_EQ(plane.Values(), before) << amount << " " << level;
    }
  // A step from 5 to 250 under strong masks overshoots to 0 and 255 beside
  // the step, not wrapped around.
  for (int16_t amount : {300, 32767}) {
    for (int32_t i = 0; i < 9 * 14; ++i)
      plane.At(i / 14, i % 14) = i % 14 < 7 ? 5 : 250;
    ASSERT_EQ(UnsharpMask(plane.desc, EmptyImage(), 1.0, amount, NoProgress), 0);
    EXPECT_EQ(plane.At(4, 6), 0);
    EXPECT_EQ(plane.At(4, 7), 255);
  }
}

TEST(BinomialBlur, ArgumentsProgressCancelAndAllocationFailures)
{
  TestPlane plane(30, 7, TestPlane::kChannel), narrower(30, 6);
  plane.FillRandom(2);
  const Values before = plane.Values();
  ImageDesc wrong = plane.desc;
  wrong.kind = kKindColour;
  HalfKernel notPower, tooWide, tooBig;
  notPower.n = 1, notPower.w[0] = 3, notPower.w[1] = 1; // sums to 5
  tooWide.n = 21, tooWide.w[0] = 1;                     // half width above 20
  tooBig.w[0] = 8192;                                   // 2^13: shift 26
  for (const HalfKernel& k : {notPower, tooWide, tooBig})
    EXPECT_EQ(UnsharpMaskWithKernel(plane.desc, EmptyImage(), k, 100, NoProgress), kStatusBadArgument);
  for (const ImageDesc& s : {wrong, narrower.desc})
    EXPECT_EQ(UnsharpMask(plane.desc, s, 1.0, 100, NoProgress), kStatusBadArgument);
  EXPECT_EQ(UnsharpMask(wrong, EmptyImage(), 1.0, 100, NoProgress), kStatusBadArgument);
  EXPECT_EQ(BlurInPlace(plane.desc, std::nan(""), NoProgress), kStatusBadArgument);
  for (int r : {-1, 7})
    EXPECT_EQ(IntegerOrderUnsharpMask(plane.desc, EmptyImage(), r, 100, NoProgress), kStatusBadArgument);
  // Nothing to do, so no kind check.
  EXPECT_EQ(BlurInPlace(wrong, 0.0004, NoProgress), 0);
  EXPECT_EQ(BlurInPlace(wrong, -2.0, NoProgress), 0);
  EXPECT_EQ(IntegerOrderUnsharpMask(wrong, EmptyImage(), 0, 100, NoProgress), 0);
  EXPECT_EQ(plane.Values(), before);

  // 30 rows: a task of 30 announced; x = 1 (n = 1) ticks 31 passes, the
  // integer form with r = 2 ticks 34. A cancel at poll 10 (pass 9) has output
  // rows 0..8; the integer form, 2 passes earlier and 2 rows behind, rows 0..5.
  for (int r : {0, 2}) {
    auto run = [&](AdjustProgressProc cb) {
      plane.Set(before);
      const int status = r ? IntegerOrderUnsharpMask(plane.desc, EmptyImage(), r, 150, cb)
                           : UnsharpMask(plane.desc, EmptyImage(), 1.0, 150, cb);
      if (status == kStatusNoMemory) {
        EXPECT_EQ(plane.Values(), before);
      }
      return status;
    };
    ResetProgress();
    ASSERT_EQ(run(RecordProgress), 0);
    EXPECT_EQ(Progress().calls.front(), -30);
    EXPECT_EQ(Progress().polls, r ? 34 : 31);
    const Values full = plane.Values();
    ResetProgress(10);
    ASSERT_EQ(run(RecordProgress), kStatusCancelled);
    EXPECT_EQ(ProtocolError(Progress().calls), "");
    const size_t done = size_t(r ? 6 : 9) * 7;
    Values expected(full.begin(), full.begin() + done);
    expected.insert(expected.end(), before.begin() + done, before.end());
    EXPECT_EQ(plane.Values(), expected);
    ExpectEachAllocationFailureReported(run);
  }
}
