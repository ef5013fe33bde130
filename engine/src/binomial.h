#pragma once
// Separable integer binomial blur and unsharp mask, in place on 8-bit planes
// (the blur also on the three channels of a colour image at once).
//
// The blur parameter x is twice the kernel's variance (x = 2 sigma^2): the
// binomial kernel of order 2d has variance d / 2, and a fractional x mixes
// the kernels of orders 2 floor(x) and 2 floor(x) + 2. Every kernel sums to
// a power of two, so normalising is a shift.
//
// Amount: a percentage; positive sharpens, 0 does nothing, -100 replaces the
// plane by its blur. With A = trunc(amount x 256 / 100), a = A, or
// (A x M) >> 8 with a strength plane M (kind 1, the target's size; an empty
// description means none), each pixel P becomes
//   P + (a / 256)(P - blur), rounded and clamped to 0..255
// (exactly: ((v << 8) + a (v - b) + 2^(hi + 7)) >> (hi + 8) with
// v = P << hi, b = B >> lo, B the unnormalised blur, s the kernel's 2-D shift,
// lo = max(s - 8, 0), hi = min(s, 8), computed without overflow for every
// 16-bit amount). Amount -100 without a strength plane gives the rounded
// blur (B + 2^(s - 1)) >> s itself. Pixels beyond the edges repeat the edge.
//
// Statuses: 0; 1 cancelled (rows already output stay filtered, the others
// keep their values); kStatusNoMemory (nothing written); kStatusBadArgument (nothing written).
// Progress: one task of max(rows, 2) ticks, and one tick with a cancel poll
// per pass: rows + n passes (rows + 2r for the integer-order form), so a
// consumer sees more ticks than announced.
#include "image.h"

#include <cstdint>

namespace lvx {

enum : int { kMaxHalfWidth = 20 };

// Half of a symmetric kernel: w[0] the centre weight, w[k] the weight at
// distance k on either side, k = 0 .. n.
struct HalfKernel {
  uint16_t w[kMaxHalfWidth + 1] = {};
  int32_t n = 0;
};

// The kernel for blur parameter x: n = 0 (no blur) for x below about 1 / 2048,
// and for any negative x; kStatusBadArgument for x >= 6.5 or x not a number. At
// most 7 weights (n <= 6), summing to at most 4096.
int KernelFromParameter(double x, HalfKernel& kernel);

// j with w[0] + 2 (w[1] + ... + w[n]) = 2^j; -1 when the sum is no power of
// two up to 2^31 or n is outside 0..20.
int KernelExponent(const HalfKernel& kernel);

// The unsharp mask with a given kernel. kStatusBadArgument when w[0] + 2 (w[1]
// + ... + w[n]) is not a power of two 2^j with 2j <= 24, or n is outside 0..20.
// n = 0 or amount 0 returns 0 touching nothing (no kind check); then the plane
// and a given strength plane must be of kind 1 and the same size
// (kStatusBadArgument).
int UnsharpMaskWithKernel(const ImageDesc& plane, const ImageDesc& strength, const HalfKernel& kernel, int16_t amount,
                          AdjustProgressProc cb);
// KernelFromParameter(x), then UnsharpMaskWithKernel.
int UnsharpMask(const ImageDesc& plane, const ImageDesc& strength, double x, int16_t amount, AdjustProgressProc cb);
// The rounded blur: UnsharpMask without strength plane, amount -100.
int BlurInPlace(const ImageDesc& plane, double x, AdjustProgressProc cb);
// The rounded blur of all three channels of a colour image (kind 3) in one
// pass over its rows: the same result as BlurInPlace on each channel view,
// in one task of max(rows, 2) ticks with rows + n ticks delivered.
int BlurColourInPlace(const ImageDesc& colour, double x, AdjustProgressProc cb);
// The same rule with the binomial kernel of order 2 radius (2-D shift 4
// radius). kStatusBadArgument for a radius outside 0..6; radius 0 or amount 0
// returns 0 touching nothing.
int IntegerOrderUnsharpMask(const ImageDesc& plane, const ImageDesc& strength, int radius, int16_t amount,
                            AdjustProgressProc cb);

} // namespace lvx
