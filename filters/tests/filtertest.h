#pragma once
// Image helpers shared by the filter tests.
#include "qvcommon/qvimage.h"

#include <cstdint>
#include <random>
#include <vector>

namespace filtertest {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kPad = 0xA5;

inline uint8_t* At(const QVImage& image, int32_t x, int32_t y)
{
  return image.pixels + y * image.rowBytes + x * image.bytesPerPixel;
}

// Every pixel byte := value (or a random byte with a seed), every padding
// byte := kPad.
inline void Fill(QVImage& image, uint8_t value, uint32_t seed = 0)
{
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t i = 0; i < image.rowBytes; ++i)
      image.pixels[y * image.rowBytes + i] = i >= image.width * image.bytesPerPixel ? kPad
                                             : seed                                 ? static_cast<uint8_t>(rng())
                                                                                    : value;
}

inline Bytes All(const QVImage& image) { return Bytes(image.pixels, image.pixels + image.height * image.rowBytes); }

inline bool PaddingIntact(const QVImage& image)
{
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t i = image.width * image.bytesPerPixel; i < image.rowBytes; ++i)
      if (image.pixels[y * image.rowBytes + i] != kPad)
        return false;
  return true;
}

} // namespace filtertest
