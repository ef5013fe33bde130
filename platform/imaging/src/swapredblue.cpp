// Exchanging the first and third byte of 3-byte pixels (see imaging.h).
#include "imaging/imaging.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define LVX_SWAP_SSSE3 1
#endif

namespace imaging {
namespace {

void SwapPixels(const uint8_t* source, uint8_t* target, size_t pixels)
{
  for (size_t x = 0; x < pixels; ++x, source += 3, target += 3) {
    const uint8_t first = source[0], second = source[1], third = source[2];
    target[0] = third;
    target[1] = second;
    target[2] = first;
  }
}

#ifdef LVX_SWAP_SSSE3
// Five pixels (15 bytes) a step through one 16-byte shuffle that leaves the
// 16th byte as it was. Each step's 16 bytes are loaded before the previous
// step stores, so a target that is the source, or lies before it, is never
// read after it was written, and no load waits on an overlapping store.
__attribute__((target("ssse3"))) void SwapPixelsSsse3(const uint8_t* source, uint8_t* target, size_t pixels)
{
  constexpr size_t kStep = 15;
  const size_t bytes = pixels * 3;
  if (bytes < 2 * 16)
    return SwapPixels(source, target, pixels);
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  // The last step whose 16 bytes lie inside the row.
  const size_t last = (bytes - 16) / kStep * kStep;
  __m128i current = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
  size_t at = 0;
  for (; at < last; at += kStep) {
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + at + kStep));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + at), _mm_shuffle_epi8(current, order));
    current = next;
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(target + at), _mm_shuffle_epi8(current, order));
  at += kStep;
  SwapPixels(source + at, target + at, (bytes - at) / 3);
}

bool HasSsse3()
{
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}
#endif

} // namespace

void SwapRedBlue(const uint8_t* source, uint8_t* target, size_t pixels)
{
#ifdef LVX_SWAP_SSSE3
  if (HasSsse3())
    return SwapPixelsSsse3(source, target, pixels);
#endif
  SwapPixels(source, target, pixels);
}

} // namespace imaging
