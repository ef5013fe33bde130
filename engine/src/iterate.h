#pragma once
// Iterators that walk one or two image descriptions channel by channel, row
// by row, and call a kernel; the lookup-table drivers and the small per-pixel
// operations built on them.
//
// Progress: each walk is one task of rows x channels / 8 ticks (2 when
// rows x channels is 15 or less). After each row whose remaining-row count,
// the current row included, is a multiple of 8 the walk ticks and polls; a
// cancel stops it after that row with status 1. The task ends on every path.
#include "function_ref.h"
#include "image.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace lvx {

// Calls f(stride) with the pixel stride as a compile-time 1 when it is 1, so
// that row loops written once over `row[x * stride]` become plain contiguous
// loops the compiler can vectorise.
// WithPixelStrideOf<3> does the same for packed colour pixels.
template <ptrdiff_t K, class F>
decltype(auto) WithPixelStrideOf(ptrdiff_t stride, F&& f)
{
  if (stride == K)
    return f(std::integral_constant<ptrdiff_t, K>{});
  return f(stride);
}
template <class F>
decltype(auto) WithPixelStride(ptrdiff_t stride, F&& f)
{
  return WithPixelStrideOf<1>(stride, std::forward<F>(f));
}

using RowKernel = FunctionRef<void(uint8_t* row, int32_t columns, ptrdiff_t pixelStride)>;
using PixelPairKernel = FunctionRef<void(uint8_t* a, uint8_t* b)>;
using RowPairKernel =
    FunctionRef<void(uint8_t* a, uint8_t* b, int32_t columns, ptrdiff_t pixelStrideA, ptrdiff_t pixelStrideB)>;

int ForEachRow(const ImageDesc& image, RowKernel kernel, AdjustProgressProc cb);
// The row walk with kernel(element) called for each pixel of the row; the
// kernel is inlined into the row loop, so per-pixel work pays no call.
template <class Kernel>
int ForEachPixel(const ImageDesc& image, Kernel&& kernel, AdjustProgressProc cb)
{
  return ForEachRow(
      image,
      [&](uint8_t* element, int32_t columns, ptrdiff_t pixelStride) {
        for (int32_t x = 0; x < columns; ++x, element += pixelStride)
          kernel(element);
      },
      cb);
}
// The two images must have the same rows, columns and channel count (else
// kStatusBadArgument).
int ForEachPixelPair(const ImageDesc& a, const ImageDesc& b, PixelPairKernel kernel, AdjustProgressProc cb);
int ForEachRowPair(const ImageDesc& a, const ImageDesc& b, RowPairKernel kernel, AdjustProgressProc cb);

// ---- Lookup-table drivers (each checks the kind first: kStatusBadArgument)
// -------------- 8-bit plane through a 256-entry table.
int ApplyTable8(const ImageDesc& plane, const uint8_t* table, AdjustProgressProc cb);
// 16-bit plane through a table of `length` entries; values past the end use
// the last entry.
int ApplyTable16(const ImageDesc& plane, const int16_t* table, size_t length, AdjustProgressProc cb);
// Colour image: red (byte 2), green (byte 1), blue (byte 0), each through its
// own 256-entry table.
int ApplyColourTables(const ImageDesc& colour, const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                      AdjustProgressProc cb);

// Two 8-bit planes of the same size rewritten pixel pair by pixel pair. Two
// 65536-byte caches, indexed by first * 256 + second and filled with the
// sentinels, remember each pair's result: a pair whose cache entries still hold
// both sentinels is computed by the kernel (so a genuine result equal to both
// sentinels is computed again each time). kStatusNoMemory when the caches
// cannot be allocated; kStatusBadArgument for other kinds or sizes.
using PairKernel = FunctionRef<void(uint8_t& first, uint8_t& second)>;
int ApplyPairCached(const ImageDesc& first, const ImageDesc& second, uint8_t sentinelFirst, uint8_t sentinelSecond,
                    PairKernel kernel, AdjustProgressProc cb);

// ---- Small per-pixel operations --------------------------------------------
// Grey plane into a colour image (made like the source when empty).
int GreyToColour(const ImageDesc& grey, ImageDesc& colour, AdjustProgressProc cb);
int SwapRedBlue(const ImageDesc& colour, AdjustProgressProc cb);
// Every byte becomes 1 when greater than `threshold`, else 0.
int ThresholdPlane(const ImageDesc& plane, uint8_t threshold, AdjustProgressProc cb);
// Where the mask is 0 the target becomes 0.
int MaskPlane(const ImageDesc& target, const ImageDesc& mask, AdjustProgressProc cb);
// An 8-bit plane (made like the source when empty): 0 where the pixel equals
// (red, green, blue), else 1.
int ColourMatch(const ImageDesc& colour, ImageDesc& plane, uint8_t red, uint8_t green, uint8_t blue,
                AdjustProgressProc cb);
int FillPlane(const ImageDesc& plane, uint8_t value, AdjustProgressProc cb);
int FillColour(const ImageDesc& colour, uint8_t red, uint8_t green, uint8_t blue, AdjustProgressProc cb);
// Copies elements between two images of the same kind, size, element size
// and channel count.
int CopyImage(const ImageDesc& src, const ImageDesc& dst, AdjustProgressProc cb);

} // namespace lvx
