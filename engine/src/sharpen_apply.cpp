// The sharpening's corrections in one pass over the rows: the colour
// pre-blur, the luminance, its unsharp mask and the merge, each row going
// through all four while it is in the cache.
#include "sharpen.h"

#include "binomialrows.h"
#include "instructionset.h"
#include "iterate.h"
#include "luminancerows.h"
#include "progress.h"
#include "status.h"

#include <algorithm>
#include <type_traits>

namespace lvx {
namespace {

// The 2-D shift 2j of a kernel whose weights sum to 2^j with 2j <= 24 (the
// unsharp mask's limit), else -1.
int KernelShift(const HalfKernel& kernel)
{
  const int j = KernelExponent(kernel);
  return j >= 0 && 2 * j <= 24 ? 2 * j : -1;
}

// What the row loop works with, prepared by SharpenApply.
struct Pass {
  const ImageDesc& colour;
  const ImageDesc& strength; // no data: none
  int n1, n2;                // half widths of the pre-blur and the mask (0: none)
  int blurShift, maskShift;  // 2-D shifts of the two kernels
  int32_t A;                 // the amount in 256ths
  BinomialRows<3>& blur;
  BinomialRows<1>& unsharp;
  uint8_t* luma; // 2 n2 + 1 rows of luminance, row i at slot i mod (2 n2 + 1)
  const Task& task;
};

// The passes t = 0 .. rows + n1 + 2 n2 - 1. Pass t: the pre-blur's vertical
// sums of colour row t; colour row e = t - n1 blurred in place (no later
// vertical sum reads it) and its luminance taken; the mask's vertical sums
// of luminance row u = e - n2, whose window ends at row e; luminance row
// y = u - n2 sharpened in place (no later window reads it) and merged into
// colour row y. kVectorMerge takes the merge written for the vectoriser.
template <bool kVectorMerge, class Step>
inline int RunRows(const Pass& p, Step step)
{
  const ImageDesc& colour = p.colour;
  const int32_t rows = colour.rows, columns = colour.columns;
  const int n1 = p.n1, n2 = p.n2, lumaRows = 2 * n2 + 1;
  constexpr std::integral_constant<ptrdiff_t, 1> next;
  auto lumaRow = [&](int32_t i) { return p.luma + size_t(i % lumaRows) * size_t(columns); };
  const int32_t passes = rows + n1 + 2 * n2;
  for (int32_t t = 0; t < passes; ++t) {
    if (n1 > 0 && t < rows)
      p.blur.Vertical(
          t, rows, [&](int32_t i) { return static_cast<const uint8_t*>(colour.Row(i)); }, step);
    const int32_t e = t - n1, u = e - n2, y = u - n2;
    if (e >= 0 && e < rows) {
      if (n1 > 0)
        BlurRowOut<3>(colour.Row(e), step, p.blur.Horizontal(e), columns, p.blurShift);
      if (n2 > 0)
        ExtractRow(colour.Row(e), step, lumaRow(e), next, columns);
    }
    if (n2 > 0 && u >= 0 && u < rows)
      p.unsharp.Vertical(
          u, rows, [&](int32_t i) { return static_cast<const uint8_t*>(lumaRow(i)); }, next);
    if (n2 > 0 && y >= 0 && y < rows) {
      uint8_t* sharpened = lumaRow(y);
      const bool m = p.strength.Allocated();
      SharpenRowOut(sharpened, next, m ? p.strength.Row(y) : nullptr, m ? p.strength.pixelStride : 1,
                    p.unsharp.Horizontal(y), columns, p.A, p.maskShift);
      if constexpr (kVectorMerge)
        MergeStandardRow(colour.Row(y), step, sharpened, next, columns);
      else
        MergeRow(colour.Row(y), step, sharpened, next, columns);
    }
    if (p.task.Poll())
      return kStatusCancelled;
  }
  return kStatusOk;
}

template <bool kVectorMerge>
inline int RunRowsAnyStep(const Pass& p)
{
  return WithPixelStrideOf<3>(p.colour.pixelStride, [&](auto step) { return RunRows<kVectorMerge>(p, step); });
}

int RunRowsBaseline(const Pass& p) { return RunRowsAnyStep<false>(p); }

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define LVX_SHARPEN_AVX2 1
// The same loop compiled for AVX2, which gathers packed B,G,R bytes into
// vectors and multiplies 32-bit lanes in one instruction, and for AVX-512,
// sixteen lanes at a time. Everything each calls is inlined into it
// (flatten), so all of it is code of its instruction set, and no shared
// function is ever compiled for AVX2 or AVX-512 where another caller could
// reach it.
__attribute__((target("avx2"), flatten)) int RunRowsAvx2(const Pass& p) { return RunRowsAnyStep<true>(p); }
LVX_TARGET_AVX512 __attribute__((flatten)) int RunRowsAvx512(const Pass& p) { return RunRowsAnyStep<true>(p); }
#endif

} // namespace

int SharpenApply(const ImageDesc& colour, const HalfKernel& preBlur, const HalfKernel& mask, const ImageDesc& strength,
                 int16_t amount, AdjustProgressProc cb)
{
  if (colour.kind != kKindColour)
    return kStatusBadArgument;
  if (strength.Allocated() && (strength.kind != kKindPlane8 || !SameSize(strength, colour)))
    return kStatusBadArgument;
  const int n1 = preBlur.n;
  const int n2 = amount != 0 ? mask.n : 0; // 0: no mask, and no merge
  const int blurShift = n1 != 0 ? KernelShift(preBlur) : 0, maskShift = n2 != 0 ? KernelShift(mask) : 0;
  if (blurShift < 0 || maskShift < 0)
    return kStatusBadArgument;
  if (colour.PixelCount() == 0 || (n1 == 0 && n2 == 0))
    return kStatusOk;

  const int32_t rows = colour.rows, columns = colour.columns;
  BinomialRows<3> blur;
  BinomialRows<1> unsharp;
  Buffer<uint8_t> luma;
  if ((n1 > 0 && !blur.Prepare(preBlur, columns)) ||
      (n2 > 0 && (!unsharp.Prepare(mask, columns) || !luma.Allocate(size_t(2 * n2 + 1) * size_t(columns)))))
    return kStatusNoMemory;
  Task task(cb, rows + n1 + 2 * n2);
  const Pass pass{.colour = colour,
                  .strength = strength,
                  .n1 = n1,
                  .n2 = n2,
                  .blurShift = blurShift,
                  .maskShift = maskShift,
                  .A = amount * 256 / 100,
                  .blur = blur,
                  .unsharp = unsharp,
                  .luma = luma.data(),
                  .task = task};
#ifdef LVX_SHARPEN_AVX2
  if (UseAvx512())
    return RunRowsAvx512(pass);
  if (UseAvx2())
    return RunRowsAvx2(pass);
#endif
  return RunRowsBaseline(pass);
}

} // namespace lvx
