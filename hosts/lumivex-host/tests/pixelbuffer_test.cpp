// The host image's byte buffer: a buffer taken over from the imaging
// library, and growing, filling and inserting as a vector would.
#include "imaging/imaging.h"
#include "pixelbuffer.h"

#include <gtest/gtest.h>

#include <numeric>

using lvhost::PixelBuffer;

TEST(PixelBuffer, TakesOverADecodedPictureAndGrowsFromIt)
{
  imaging::Bitmap bitmap;
  ASSERT_EQ(imaging::Create(&bitmap, 5, 3, 24), imaging::kSuccess);
  std::iota(bitmap.data, bitmap.data + bitmap.bytesPerLine * bitmap.height, uint8_t{1});
  const std::vector<uint8_t> expected(bitmap.data, bitmap.data + 30);
  PixelBuffer buffer = PixelBuffer::Adopt(imaging::ReleasePixels(&bitmap), 30);
  EXPECT_EQ(bitmap.data, nullptr);
  EXPECT_EQ(bitmap.width, 0);
  EXPECT_EQ(buffer, expected);

  // Growing keeps the content, zero-fills what is new; inserting from the
  // buffer itself reads the bytes before they move.
  buffer.resize(40);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
  EXPECT_EQ(std::count(buffer.begin() + 30, buffer.end(), 0), 10);
  buffer.insert(buffer.begin() + 1, buffer.begin(), buffer.begin() + 3);
  EXPECT_EQ(buffer.size(), 43u);
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 5), (std::vector<uint8_t>{1, 1, 2, 3, 2}));
  const std::vector<uint8_t> tail{7, 8};
  buffer.insert(buffer.end(), tail.begin(), tail.end());
  EXPECT_EQ(buffer[44], 8);

  // Copies are deep; a moved-from buffer is empty.
  PixelBuffer copy = buffer;
  copy[0] = 99;
  EXPECT_EQ(buffer[0], 1);
  EXPECT_NE(copy, buffer);
  PixelBuffer moved = std::move(copy);
  EXPECT_TRUE(copy.empty());
  EXPECT_EQ(moved[0], 99);

  moved.assign(4, 9);
  EXPECT_EQ(moved, std::vector<uint8_t>(4, 9));
  EXPECT_EQ(imaging::ReleasePixels(&bitmap), nullptr);
  EXPECT_TRUE(PixelBuffer::Adopt(nullptr, 12).empty());
}
