#pragma once
// Histograms and statistics over image descriptions. Histograms are arrays
// of uint32 counts.
//
// Gatherers take a buffer slot per histogram: a slot holding null is filled
// with a fresh array from the allocator (the caller releases it with
// lvx::Release); a slot holding an array is used as it is. Either way the
// array is zeroed and filled. On failure a gatherer releases what it
// allocated and sets those slots back to null. Gatherers walk with the row
// iterator (ticks every 8 rows, 1 on cancel) and check the image kind (kStatusBadArgument).
#include "image.h"

#include <cstdint>

namespace lvx {

enum : int { kBrightnessBins = 766 }; // R + G + B, 0..765

// Three 256-bin histograms of red (byte 2), green (byte 1) and blue (byte 0).
int GatherColourHistograms(const ImageDesc& colour, uint32_t*& red, uint32_t*& green, uint32_t*& blue,
                           AdjustProgressProc cb);
// A 766-bin histogram of R + G + B and, per bin, the sums of red, green and
// blue of the pixels counted there.
int GatherBrightness(const ImageDesc& colour, uint32_t*& counts, uint32_t*& sumRed, uint32_t*& sumGreen,
                     uint32_t*& sumBlue, AdjustProgressProc cb);
// n bins of an 8-bit or 16-bit plane's values; values n and above are not
// counted.
int GatherPlane8Histogram(const ImageDesc& plane, uint32_t*& bins, int32_t n, AdjustProgressProc cb);
int GatherPlane16Histogram(const ImageDesc& plane, uint32_t*& bins, int32_t n, AdjustProgressProc cb);
// The gamma analysis pair: a 766-bin brightness histogram (R + G + B) and a
// 256-bin saturation histogram of floor(256 (max - min) / max) (255 when min
// is 0 and max is not, 0 for black).
int GatherSaturationBrightness(const ImageDesc& colour, uint32_t*& brightness, uint32_t*& saturation,
                               AdjustProgressProc cb);

// Gradient magnitude: for each pixel the sum of the absolute horizontal and
// vertical 3 x 3 Sobel responses, shifted right by `shift` and capped at 255,
// edges extended. `out` is made like the input plane when empty. Row buffers
// come from the allocator (kStatusNoMemory).
int GradientMap(const ImageDesc& plane, ImageDesc& out, int shift, AdjustProgressProc cb);

// ---- Reading a histogram h of n bins
// ----------------------------------------- First bin at which the running sum
// from bin 0 exceeds t; n if none. *sum receives the running sum reached.
int32_t PercentileFromBottom(const uint32_t* h, int32_t n, uint64_t t, uint64_t* sum = nullptr);
// First bin, counting down from n - 1, at which the running sum exceeds t; n if
// none.
int32_t PercentileFromTop(const uint32_t* h, int32_t n, uint64_t t, uint64_t* sum = nullptr);
// h[a] + ... + h[min(b, n - 1)]; 0 when the range is empty.
uint64_t RangeSum(const uint32_t* h, int32_t n, int32_t a, int32_t b);
// floor(sum i h[i] / sum h[i]) over a..min(b, n - 1), remainder in *remainder;
// (a + b') / 2 when the range holds no count.
int64_t IntegerMean(const uint32_t* h, int32_t n, int32_t a, int32_t b, uint64_t* remainder = nullptr);
double RealMean(const uint32_t* h, int32_t n, int32_t a, int32_t b);
// Adds bin i of h (n bins) into bin floor(m i / n) of out (m bins); out is
// not cleared first.
void Rebin(const uint32_t* h, int32_t n, uint32_t* out, int32_t m);
// The first bin holding the largest count.
int32_t Mode(const uint32_t* h, int32_t n);

// ---- Analyses --------------------------------------------------------------
// The level of a percentage plane (values 0..100; larger values are read as
// 100) at which the plane's edges are strongest: the centre of the (2w +
// 1)-level window with the largest sum of mean gradient roots, levels held by
// fewer than rows x columns / divisor pixels not counting. Writes `level` (0
// when nothing counts). kStatusBadArgument for a plane of another kind (level
// untouched), kStatusNoMemory when the root table cannot be allocated, 1 on
// cancel.
int StrongestGradientLevel(const ImageDesc& plane, int16_t divisor, int16_t halfWidth, int16_t& level,
                           AdjustProgressProc cb);

// The significant peaks of a histogram of n bins (1..65535): peaks at the even
// entries 0, 2, 4, ... of `list`, the valley between two peaks at the odd entry
// between them, as whole bin numbers; `count` entries (at most `capacity`, one
// less when it is even). Neighbouring peaks whose valley is not significant by
// the area (alpha, areaScale) and height (beta, heightScale) tests are merged;
// a scale of 0 makes its factor 1. Returns 0, or -1 when the work copy cannot
// be allocated (nothing written), or kStatusBadArgument for a bin count out of
// range. The caller's histogram is not changed.
int HistogramPeakList(const uint32_t* h, int32_t n, double alpha, double beta, uint32_t areaScale, uint32_t heightScale,
                      double* list, int32_t capacity, uint16_t& count);

} // namespace lvx
