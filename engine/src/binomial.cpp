#include "binomial.h"

#include "alloc.h"
#include "binomialrows.h"
#include "iterate.h"
#include "progress.h"
#include "status.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

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

struct Filter {
  const ImageDesc& plane;
  const ImageDesc& strength; // no data: none
  const HalfKernel& kernel;
  int32_t A;
  int s;
};

// The separable filter over the whole plane in place, one vertical pass per
// source row, one horizontal pass per output row, n rows behind (binomialrows.h).
// C interleaved channels (1 for a plane, 3 for a colour image, which only
// blurs) are filtered side by side, each on its own. `leadPasses` extra
// passes (ticks and polls only) come first.
template <int C>
int RunFilter(const Filter& f, int32_t leadPasses, AdjustProgressProc cb)
{
  const ImageDesc& plane = f.plane;
  const int32_t rows = plane.rows, columns = plane.columns;
  const int n = f.kernel.n;
  BinomialRows<C> filter;
  if (!filter.Prepare(f.kernel, columns))
    return kStatusNoMemory;
  const bool pureBlur = !f.strength.Allocated() && f.A == -256;

  Task task(cb, std::max(rows, 2));
  for (int32_t i = 0; i < leadPasses; ++i)
    if (task.Poll())
      return kStatusCancelled;

  auto run = [&](auto step) {
    for (int32_t t = 0; t < rows + n; ++t) {
      if (t < rows)
        filter.Vertical(
            t, rows, [&](int32_t i) { return static_cast<const uint8_t*>(plane.Row(i)); }, step);
      if (t >= n) {
        const int32_t y = t - n;
        const uint32_t* B = filter.Horizontal(y);
        uint8_t* row = plane.Row(y);
        if (pureBlur) {
          BlurRowOut<C>(row, step, B, columns, f.s);
        } else if constexpr (C == 1) {
          const bool strength = f.strength.Allocated();
          SharpenRowOut(row, step, strength ? f.strength.Row(y) : nullptr, strength ? f.strength.pixelStride : 1, B,
                        columns, f.A, f.s);
        }
      }
      if (task.Poll())
        return kStatusCancelled;
    }
    return kStatusOk;
  };
  return WithPixelStrideOf<C>(plane.pixelStride, run);
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

int KernelExponent(const HalfKernel& kernel)
{
  if (kernel.n < 0 || kernel.n > kMaxHalfWidth)
    return -1;
  uint64_t sum = kernel.w[0];
  for (int k = 1; k <= kernel.n; ++k)
    sum += 2 * uint64_t(kernel.w[k]);
  for (int j = 0; j < 32; ++j)
    if ((uint64_t(1) << j) == sum)
      return j;
  return -1;
}

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

int UnsharpMaskWithKernel(const ImageDesc& plane, const ImageDesc& strength, const HalfKernel& kernel, int16_t amount,
                          AdjustProgressProc cb)
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
