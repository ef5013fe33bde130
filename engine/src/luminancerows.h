#pragma once
// The luminance extract and merge of colorspace.h for one row, as templates
// over the pixel steps, for the whole-image forms and for the sharpening's
// one-pass corrections to inline into their row loops. `cStep` is the colour
// pixel step (3 or more bytes), `yStep` the luminance step; Step types are
// ptrdiff_t or std::integral_constant.
#include "colorspace.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace lvx {

template <class CStep, class YStep>
inline void ExtractRow(const uint8_t* __restrict colour, CStep cStep, uint8_t* __restrict luma, YStep yStep,
                       int32_t columns, int wr = kLumaRed, int wg = kLumaGreen, int wb = kLumaBlue)
{
  for (int32_t x = 0; x < columns; ++x) {
    const uint8_t* p = colour + x * cStep;
    luma[x * yStep] = uint8_t((wr * p[2] + wg * p[1] + wb * p[0]) >> 8);
  }
}

// ceil(2^24 / y) for y = 1..255: floor(256 t / y) = (256 t ceil(2^24 / y)) >> 24
// exactly for every t in 0..255, since the rounding error stays below
// 65280 / 2^24 < 1 / 255, less than the gap between 256 t / y and the next
// integer.
struct LuminanceReciprocals {
  uint32_t value[256] = {};
  constexpr LuminanceReciprocals()
  {
    for (uint32_t y = 1; y < 256; ++y)
      value[y] = ((uint32_t(1) << 24) + y - 1) / y;
  }
};
inline constexpr LuminanceReciprocals kLuminanceReciprocals;

// The merge with any weights, pixel by pixel.
template <class CStep, class YStep>
inline void MergeRow(uint8_t* __restrict colour, CStep cStep, const uint8_t* __restrict luma, YStep yStep,
                     int32_t columns, int wr = kLumaRed, int wg = kLumaGreen, int wb = kLumaBlue)
{
  for (int32_t x = 0; x < columns; ++x) {
    uint8_t* c = colour + x * cStep;
    const int64_t y = (wr * c[2] + wg * c[1] + wb * c[0]) >> 8;
    const int64_t target = luma[x * yStep];
    if (y > 0) {
      // q = floor(256 target / y), through the reciprocal where y stays
      // within a byte.
      const int64_t q =
          y < 256 ? int64_t((uint64_t(target) << 8) * kLuminanceReciprocals.value[y] >> 24) : 256 * target / y;
      int64_t mx = c[0] > c[1] ? c[0] : c[1];
      mx = c[2] > mx ? c[2] : mx;
      if (mx * q > 65535) {
        for (int i = 0; i < 3; ++i)
          c[i] = uint8_t(255 * c[i] / mx);
      } else {
        for (int i = 0; i < 3; ++i)
          c[i] = uint8_t((c[i] * q) >> 8);
      }
    } else if (target > 0) {
      c[0] = c[1] = c[2] = uint8_t(target);
    }
  }
}

// The merge with the standard weights, whose luminance stays within a byte,
// written for the vectoriser (where the instruction set can gather packed
// B,G,R bytes, AVX2 but not SSE2): no branch, 32-bit arithmetic, and
// floor(256 t / y) as a float division, exact for every t and y of a byte
// (a quotient of integers below 2^24 is correctly rounded, and a non-integer
// 256 t / y lies at least 1/255 below the next integer, far more than the
// rounding). A pixel whose largest channel would overflow keeps its values
// in the vector loop and is scaled afterwards, in chunks of 256 pixels.
template <class CStep, class YStep>
inline void MergeStandardRow(uint8_t* __restrict colour, CStep cStep, const uint8_t* __restrict luma, YStep yStep,
                             int32_t columns)
{
  constexpr int32_t kChunk = 256;
  uint8_t over[kChunk];
  for (int32_t x0 = 0; x0 < columns; x0 += kChunk) {
    const int32_t n = std::min(kChunk, columns - x0);
    uint8_t* __restrict row = colour + x0 * cStep;
    const uint8_t* __restrict target = luma + x0 * yStep;
    uint8_t any = 0;
    for (int32_t x = 0; x < n; ++x) {
      uint8_t* c = row + x * cStep;
      const int32_t b = c[0], g = c[1], r = c[2];
      const int32_t y = (kLumaRed * r + kLumaGreen * g + kLumaBlue * b) >> 8;
      const int32_t t = target[x * yStep];
      const int32_t lit = y > 0;
      const int32_t q = int32_t(float(t << 8) / float(y | (1 - lit)));
      const int32_t mx = std::max(b, std::max(g, r));
      const int32_t overflows = lit & int32_t(mx * q > 65535), scales = lit & (overflows ^ 1);
      const int32_t grey = (lit ^ 1) & int32_t(t > 0);
      over[x] = uint8_t(overflows);
      any |= uint8_t(overflows);
      const int32_t nb = scales ? (b * q) >> 8 : b, ng = scales ? (g * q) >> 8 : g, nr = scales ? (r * q) >> 8 : r;
      c[0] = uint8_t(grey ? t : nb);
      c[1] = uint8_t(grey ? t : ng);
      c[2] = uint8_t(grey ? t : nr);
    }
    if (!any)
      continue;
    // The overflowing pixels, still as they were: scaled so that their
    // largest channel becomes 255.
    for (int32_t x = 0; x < n; ++x)
      if (over[x]) {
        uint8_t* c = row + x * cStep;
        const int32_t mx = std::max<int32_t>(c[0], std::max(c[1], c[2]));
        for (int i = 0; i < 3; ++i)
          c[i] = uint8_t(255 * c[i] / mx);
      }
  }
}

} // namespace lvx
