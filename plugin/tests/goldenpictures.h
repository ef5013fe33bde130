#pragma once
// Pictures for the golden tests of the plug-in and the effect modules that
// give the despeckle and descreen filters work: the benchmarks' generated
// photograph under a printed halftone screen, or sprinkled with specks.
#include "photo.h"

#include <algorithm>
#include <cmath>

namespace goldenpictures {

// The photograph as printed: a dot screen of a period of 6 pixels at 45
// degrees over every channel.
inline lvxbench::Photo Screened(lvxbench::Photo photo)
{
  constexpr double kPi = 3.14159265358979323846;
  for (int32_t y = 0; y < photo.rows; ++y)
    for (int32_t x = 0; x < photo.columns; ++x) {
      const double dot = 50 * std::cos(2 * kPi * (x + y) / 6) * std::cos(2 * kPi * (x - y) / 6);
      uint8_t* p = photo.Pixel(y, x);
      for (int c = 0; c < 3; ++c)
        p[c] = uint8_t(std::clamp(std::lround(p[c] + dot), 0L, 255L));
    }
  return photo;
}

// Dust on the photograph: black and white specks of 1 to 3 pixels on a
// scrambled lattice, about one per 140 pixels.
inline lvxbench::Photo Specked(lvxbench::Photo photo)
{
  for (int32_t gy = 0; gy < photo.rows; gy += 11)
    for (int32_t gx = 0; gx < photo.columns; gx += 13) {
      const uint32_t h = (uint32_t(gx) * 73856093u) ^ (uint32_t(gy) * 19349663u);
      const int32_t size = 1 + int32_t(h % 3);
      const int32_t x0 = gx + int32_t(h >> 8) % 7, y0 = gy + int32_t(h >> 12) % 5;
      const uint8_t ink = (h >> 16) & 1 ? 250 : 8;
      for (int32_t y = y0; y < std::min(y0 + size, photo.rows); ++y)
        for (int32_t x = x0; x < std::min(x0 + size, photo.columns); ++x)
          std::fill_n(photo.Pixel(y, x), 3, ink);
    }
  return photo;
}

} // namespace goldenpictures
