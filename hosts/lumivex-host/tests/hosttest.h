#pragma once
// Helpers shared by the host's tests.
#include "image.h"

// An image whose bytes all differ from their neighbours.
inline lvhost::HostImage TestImage(int16_t mode, bool alpha, int32_t width, int32_t height)
{
  lvhost::HostImage image;
  image.width = width;
  image.height = height;
  image.mode = mode;
  image.alpha = alpha;
  image.pixels.resize(image.RowBytes() * static_cast<size_t>(height));
  for (size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] = static_cast<uint8_t>(i * 13 + 1);
  return image;
}
