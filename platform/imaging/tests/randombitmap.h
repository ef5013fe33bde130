#pragma once
// A bitmap of random pixels for the imaging tests; padding stays zero as
// Create made it.
#include "imaging/imaging.h"

#include <gtest/gtest.h>

#include <random>

inline imaging::Bitmap RandomBitmap(int32_t width, int32_t height, int32_t bits, unsigned seed)
{
  imaging::Bitmap b;
  EXPECT_EQ(imaging::Create(&b, width, height, bits), imaging::kSuccess);
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t i = 0; i < width * bits / 8; ++i)
      b.Row(y)[i] = static_cast<uint8_t>(rng());
  return b;
}
