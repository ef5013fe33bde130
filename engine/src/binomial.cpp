#include "binomial.h"

#include "alloc.h"
#include "iterate.h"
#include "progress.h"
#include "status.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <type_traits>

namespace lvx {
namespace {

// Row m of the binomial coefficients by the additive rule, in 16-bit entries
// (enough for the rows up to 14 used here).
void BinomialRow(int m, uint16_t* row)
{
  row[0] = 1;
  for (int i = 1; i <= m; ++i) {
    row[i] = 1;
    for (int j = i - 1; j >= 1; --j)
      row[j] = uint16_t(row[j] + row[j - 1]);
  }
}

// The output rule for one row. B holds the unnormalised blur of each pixel.
// Int is the type the sharpening product needs: 32 bits unless the amount
// is so large that it could overflow them.
template <class Int, bool kStrength, class Step, class StrengthStep>
void SharpenRow(uint8_t* row, Step step, const uint8_t* m, StrengthStep mStep, const uint32_t* B, int32_t columns,
                int32_t A, int lo, int hi)
{
  const Int round = Int(1) << (hi + 7);
  for (int32_t x = 0; x < columns; ++x) {
    const Int a = kStrength ? Int((A * int32_t(m[x * mStep])) >> 8) : Int(A);
    const Int v = Int(row[x * step]) << hi;
    const Int b = Int(B[x] >> lo);
    const Int p = ((v << 8) + a * (v - b) + round) >> (hi + 8);
    row[x * step] = uint8_t(p < 0 ? 0 : (p > 255 ? 255 : p));
  }
}

// Whether every product a (v - b) of the rule fits 32 bits: |v - b| is at
// most 255 << 8 and |a| at most |A|, so with |A| <= 32000 the sum stays
// below 2^31.
bool Fits32(int32_t A) { return A >= -32000 && A <= 32000; }

struct Filter {
  const ImageDesc& plane;
  const ImageDesc& strength; // no data: none
  const HalfKernel& kernel;
  int32_t A;
  int s;
};

// Calls f(i, offset) for every sample of a row: sample i = C x + c is
// channel c of pixel x, at byte offset x step + c. Rows whose samples lie
// next to each other run as one plain loop the compiler can vectorise.
template <int C, class Step, class F>
inline void ForSamples(int32_t columns, Step step, F&& f)
{
  if constexpr (C == 1) {
    for (int32_t x = 0; x < columns; ++x)
      f(x, x * step);
  } else if constexpr (std::is_same_v<Step, std::integral_constant<ptrdiff_t, C>>) {
    for (int32_t i = 0; i < C * columns; ++i)
      f(i, ptrdiff_t(i));
  } else {
    for (int32_t x = 0; x < columns; ++x)
      for (int c = 0; c < C; ++c)
        f(x * C + c, x * step + c);
  }
}

// The separable filter, one vertical pass per source row into a ring of
// n + 1 accumulator rows, one horizontal pass per output row, n rows behind.
// C interleaved channels (1 for a plane, 3 for a colour image, which only
// blurs) are filtered side by side, each on its own. `leadPasses` extra
// passes (ticks and polls only) come first.
template <int C>
int RunFilter(const Filter& f, int32_t leadPasses, AdjustProgressProc cb)
{
  const ImageDesc& plane = f.plane;
  const int32_t rows = plane.rows, columns = plane.columns, samples = C * columns;
  const int n = f.kernel.n;
  const uint16_t* w = f.kernel.w;
  const size_t span = size_t(samples) + 2 * size_t(C) * size_t(n);
  // The accumulator ring and one row of horizontal sums, in one block.
  Buffer<int32_t> block;
  if (!block.Allocate(span * size_t(n + 1) + size_t(samples)))
    return kStatusNoMemory;
  auto accumulator = [&](int32_t sourceRow) { return block.data() + span * size_t(sourceRow % (n + 1)) + C * n; };
  uint32_t* B = reinterpret_cast<uint32_t*>(block.data() + span * size_t(n + 1));

  const bool pureBlur = !f.strength.Allocated() && f.A == -256;
  const int lo = std::max(f.s - 8, 0), hi = std::min(f.s, 8);
  const uint32_t blurRound = f.s > 0 ? uint32_t(1) << (f.s - 1) : 0;

  Task task(cb, std::max(rows, 2));
  for (int32_t i = 0; i < leadPasses; ++i)
    if (task.Poll())
      return kStatusCancelled;

  auto run = [&](auto step) {
    for (int32_t t = 0; t < rows + n; ++t) {
      if (t < rows) {
        int32_t* a = accumulator(t);
        const uint8_t* centre = plane.Row(t);
        const int32_t w0 = w[0];
        ForSamples<C>(columns, step, [&](int32_t i, ptrdiff_t o) { a[i] = w0 * centre[o]; });
        for (int k = 1; k <= n; ++k) {
          const uint8_t* up = plane.Row(std::max(t - k, 0));
          const uint8_t* down = plane.Row(std::min(t + k, rows - 1));
          const int32_t wk = w[k];
          ForSamples<C>(columns, step, [&](int32_t i, ptrdiff_t o) { a[i] += wk * (up[o] + down[o]); });
        }
      }
      if (t >= n) {
        const int32_t y = t - n;
        int32_t* a = accumulator(y);
        for (int k = 1; k <= n; ++k)
          for (int c = 0; c < C; ++c) {
            a[c - C * k] = a[c];
            a[samples - C + c + C * k] = a[samples - C + c];
          }
        for (int32_t i = 0; i < samples; ++i)
          B[i] = uint32_t(w[0]) * uint32_t(a[i]);
        for (int k = 1; k <= n; ++k) {
          const uint32_t wk = w[k];
          for (int32_t i = 0; i < samples; ++i)
            B[i] += wk * uint32_t(a[i - C * k] + a[i + C * k]);
        }
        uint8_t* row = plane.Row(y);
        if (pureBlur) {
          ForSamples<C>(columns, step, [&](int32_t i, ptrdiff_t o) { row[o] = uint8_t((B[i] + blurRound) >> f.s); });
        } else if constexpr (C == 1) {
          if (!f.strength.Allocated()) {
            if (Fits32(f.A))
              SharpenRow<int32_t, false>(row, step, nullptr, 0, B, columns, f.A, lo, hi);
            else
              SharpenRow<int64_t, false>(row, step, nullptr, 0, B, columns, f.A, lo, hi);
          } else {
            const uint8_t* m = f.strength.Row(y);
            WithPixelStride(f.strength.pixelStride, [&](auto mStep) {
              if (Fits32(f.A))
                SharpenRow<int32_t, true>(row, step, m, mStep, B, columns, f.A, lo, hi);
              else
                SharpenRow<int64_t, true>(row, step, m, mStep, B, columns, f.A, lo, hi);
            });
          }
        }
      }
      if (task.Poll())
        return kStatusCancelled;
    }
    return kStatusOk;
  };
  return WithPixelStrideOf<C>(plane.pixelStride, run);
}

// j with w[0] + 2 (w[1] + ... + w[n]) = 2^j, or -1 when the sum is no power
// of two up to 2^31.
int KernelExponent(const HalfKernel& kernel)
{
  uint64_t sum = kernel.w[0];
  for (int k = 1; k <= kernel.n; ++k)
    sum += 2 * uint64_t(kernel.w[k]);
  for (int j = 0; j < 32; ++j)
    if ((uint64_t(1) << j) == sum)
      return j;
  return -1;
}

// The checks shared by both forms once there is something to do.
int CheckPlanes(const ImageDesc& plane, const ImageDesc& strength)
{
  if (plane.kind != kKindPlane8)
    return kStatusBadArgument;
  if (strength.Allocated() && (strength.kind != kKindPlane8 || !SameSize(strength, plane)))
    return kStatusBadArgument;
  return kStatusOk;
}

} // namespace

int KernelFromParameter(double x, HalfKernel& kernel)
{
  if (std::isnan(x) || x >= 6.5)
    return kStatusBadArgument;
  kernel = HalfKernel{};
  kernel.w[0] = 1;
  if (x <= 0)
    return kStatusOk; // no blur, also for negative parameters
  const int d = int(x);
  const double f = x - d;
  int W = d <= 5 ? 1 << (10 - 2 * d) : 0;
  int e = int(std::floor(W * f + 0.5));
  uint16_t narrow[15], wide[15];
  BinomialRow(2 * d, narrow);
  if (e == 0) {
    kernel.n = d;
    for (int k = 0; k <= d; ++k)
      kernel.w[k] = narrow[d + k];
    return kStatusOk;
  }
  while (e % 2 == 0 && W % 2 == 0)
    e /= 2, W /= 2;
  BinomialRow(2 * d + 2, wide);
  kernel.n = d + 1;
  for (int k = 0; k <= d; ++k)
    kernel.w[k] = uint16_t(4 * (W - e) * narrow[d + k] + e * wide[d + 1 + k]);
  kernel.w[d + 1] = uint16_t(e);
  return kStatusOk;
}

int UnsharpMaskWithKernel(const ImageDesc& plane, const ImageDesc& strength, const HalfKernel& kernel,
                          int16_t amount, AdjustProgressProc cb)
{
  const int n = kernel.n;
  if (n < 0 || n > kMaxHalfWidth)
    return kStatusBadArgument;
  const int j = KernelExponent(kernel);
  if (j < 0 || 2 * j > 24)
    return kStatusBadArgument;
  if (n == 0 || amount == 0)
    return kStatusOk;
  if (int s = CheckPlanes(plane, strength))
    return s;
  return RunFilter<1>(Filter{plane, strength, kernel, amount * 256 / 100, 2 * j}, 0, cb);
}

int UnsharpMask(const ImageDesc& plane, const ImageDesc& strength, double x, int16_t amount, AdjustProgressProc cb)
{
  HalfKernel kernel;
  if (int s = KernelFromParameter(x, kernel))
    return s;
  return UnsharpMaskWithKernel(plane, strength, kernel, amount, cb);
}

int BlurInPlace(const ImageDesc& plane, double x, AdjustProgressProc cb)
{
  return UnsharpMask(plane, EmptyImage(), x, -100, cb);
}

int IntegerOrderUnsharpMask(const ImageDesc& plane, const ImageDesc& strength, int radius, int16_t amount,
                            AdjustProgressProc cb)
{
  if (radius < 0 || radius > 6)
    return kStatusBadArgument;
  if (radius == 0 || amount == 0)
    return kStatusOk;
  if (int s = CheckPlanes(plane, strength))
    return s;
  // The vertical and horizontal sums of the order-2r binomial kernel are the
  // same integers however they are accumulated, so this runs the common
  // filter with that kernel; its r extra passes at the top (rows before the
  // first, which only prime the sums) keep the ticks and polls in step.
  HalfKernel kernel;
  uint16_t row[13];
  BinomialRow(2 * radius, row);
  kernel.n = radius;
  for (int k = 0; k <= radius; ++k)
    kernel.w[k] = row[radius + k];
  return RunFilter<1>(Filter{plane, strength, kernel, amount * 256 / 100, 4 * radius}, radius, cb);
}

int BlurColourInPlace(const ImageDesc& colour, double x, AdjustProgressProc cb)
{
  HalfKernel kernel;
  if (int s = KernelFromParameter(x, kernel))
    return s;
  if (kernel.n == 0)
    return kStatusOk;
  if (colour.kind != kKindColour)
    return kStatusBadArgument;
  const ImageDesc none = EmptyImage();
  return RunFilter<3>(Filter{colour, none, kernel, -256, 2 * KernelExponent(kernel)}, 0, cb);
}

} // namespace lvx
