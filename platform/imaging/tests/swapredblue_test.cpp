// Exchanging red and blue: the same bytes as a pixel-by-pixel exchange for
// every length around the vector steps, into another buffer, in place and
// closing up a row towards its start.
#include "imaging/imaging.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<uint8_t> RandomBytes(size_t count, unsigned seed)
{
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(count);
  for (uint8_t& b : bytes)
    b = static_cast<uint8_t>(random());
  return bytes;
}

// What each pixel must become, worked out one pixel at a time.
std::vector<uint8_t> Exchanged(const uint8_t* source, size_t pixels)
{
  std::vector<uint8_t> out(source, source + pixels * 3);
  for (size_t x = 0; x < pixels; ++x)
    std::swap(out[x * 3], out[x * 3 + 2]);
  return out;
}

TEST(ImagingSwapRedBlue, MatchesThePixelByPixelExchangeEveryWay)
{
  for (size_t pixels = 0; pixels <= 70; ++pixels) {
    SCOPED_TRACE(std::to_string(pixels) + " pixels");
    const std::vector<uint8_t> source = RandomBytes(pixels * 3 + 16, static_cast<unsigned>(pixels));
    const std::vector<uint8_t> expected = Exchanged(source.data(), pixels);

    // Into another buffer: the bytes after the pixels are left alone.
    std::vector<uint8_t> target(pixels * 3 + 16, 0xEE);
    imaging::SwapRedBlue(source.data(), target.data(), pixels);
    EXPECT_EQ(std::vector<uint8_t>(target.begin(), target.begin() + pixels * 3), expected);
    EXPECT_EQ(std::vector<uint8_t>(target.begin() + pixels * 3, target.end()), std::vector<uint8_t>(16, 0xEE));

    // In place, and moved towards the start of the same buffer by a few
    // bytes, as a padded row is closed up.
    for (size_t shift : {0, 1, 2, 3, 5, 16}) {
      std::vector<uint8_t> buffer = source;
      imaging::SwapRedBlue(buffer.data() + shift, buffer.data(), pixels);
      EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + pixels * 3),
                Exchanged(source.data() + shift, pixels))
          << "shifted by " << shift;
    }
  }
}

} // namespace
