// QVImage in memory: layout, host buffers with masks, copies, the library
// bitmap bridge, rectangle and circle writes, and allocation failures.
#include "qvcommon/qvimage.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Row y of the image including its padding.
Bytes Row(const QVImage& image, int32_t y)
{
  const uint8_t* row = image.pixels + y * image.rowBytes;
  return Bytes(row, row + image.rowBytes);
}

// A host buffer of w x h pixels of n bytes, rows `stride` apart, with every
// byte distinct enough to show misplacement; padding bytes are 0xEE.
Bytes HostPixels(int w, int h, int n, int stride)
{
  Bytes buffer(static_cast<size_t>(stride * h), 0xEE);
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w * n; ++i)
      buffer[y * stride + i] = static_cast<uint8_t>(1 + y * 50 + i * 3);
  return buffer;
}

TEST(QVImage, BlankImagesPadRowsAndStoreBgr)
{
  const QVColor colour(10, 20, 30);
  // 5 pixels x 3 bytes = 15, padded to 16 (pad 1); the pad byte stays 0.
  QVImage colourImage(5, 2, 3, &colour);
  ASSERT_FALSE(colourImage.error);
  EXPECT_EQ(colourImage.rowBytes, 16);
  EXPECT_EQ(colourImage.rowPad, 1);
  EXPECT_EQ(Row(colourImage, 1), (Bytes{30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10, 0}));
  EXPECT_EQ(colourImage.displayHeader.bmiHeader.biWidth, 5);
  EXPECT_EQ(colourImage.displayHeader.bmiHeader.biHeight, -2) << "top-down rows";
  EXPECT_EQ(colourImage.displayHeader.bmiHeader.biBitCount, 24);

  // 4 pixels x 1 byte needs no padding; grey takes the red component.
  QVImage grey(4, 1, 1, &colour);
  EXPECT_EQ(grey.rowBytes, 4);
  EXPECT_EQ(grey.rowPad, 0);
  EXPECT_EQ(Row(grey, 0), (Bytes{10, 10, 10, 10}));
  EXPECT_EQ(Row(QVImage(1, 1, 3, nullptr), 0), (Bytes{0, 0, 0, 0})) << "no colour: black";
}

TEST(QVImage, UnusableSizesSetTheErrorWithoutABuffer)
{
  const long blocks = standin::LiveBlocks();
  standin::ResetAllocationFaults();
  for (const auto& [w, h, n] : std::vector<std::tuple<int32_t, int32_t, int32_t>>{
           {0, 5, 3}, {5, -1, 3}, {5, 5, 2}, {5, 5, 4}, {INT32_MAX, 2, 3}, {70000, 70000, 1}}) {
    QVImage image(w, h, n, nullptr);
    EXPECT_TRUE(image.error) << w << " x " << h << " x " << n;
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(image.rowBytes * image.height, 0);
  }
  EXPECT_EQ(standin::AllocationRequests(), 0) << "refused before asking for memory";
  EXPECT_EQ(standin::LiveBlocks(), blocks);
}

TEST(QVImage, HostBuffersRoundTrip)
{
  // 3 bytes: R,G,B in, B,G,R stored, R,G,B out; the host's row padding
  // (stride 11 for 3 pixels of 3 bytes) is left alone.
  const Bytes rgb = HostPixels(3, 2, 3, 11);
  QVImage image(rgb.data(), 3, 11, 3, 2, 0, nullptr);
  ASSERT_FALSE(image.error);
  EXPECT_EQ(image.bytesPerPixel, 3);
  EXPECT_EQ(image.pixels[0], rgb[2]);
  EXPECT_EQ(image.pixels[2], rgb[0]);
  Bytes out(rgb.size(), 0xEE);
  image.SaveToBuffer(out.data(), 3, 11, 0, nullptr);
  EXPECT_EQ(out, rgb);

  // 1 byte: a grey source becomes a 3-byte image of equal bytes, and comes
  // back as it was.
  const Bytes grey = HostPixels(5, 3, 1, 8);
  QVImage fromGrey(grey.data(), 1, 8, 5, 3, 0, nullptr);
  EXPECT_EQ(fromGrey.bytesPerPixel, 3);
  EXPECT_EQ(Row(fromGrey, 2)[12], grey[2 * 8 + 4]);
  EXPECT_EQ(Row(fromGrey, 2)[13], grey[2 * 8 + 4]);
  EXPECT_EQ(Row(fromGrey, 2)[14], grey[2 * 8 + 4]);
  out.assign(grey.size(), 0xEE);
  fromGrey.SaveToBuffer(out.data(), 1, 8, 0, nullptr);
  EXPECT_EQ(out, grey);

  // A grey image writes its byte to every colour byte.
  const QVColor level(77, 0, 0);
  QVImage greyImage(2, 1, 1, &level);
  Bytes three(6, 0);
  greyImage.SaveToBuffer(three.data(), 3, 6, 0, nullptr);
  EXPECT_EQ(three, Bytes(6, 77));
}

TEST(QVImage, FourthChannelTravelsThroughACoveringMask)
{
  const Bytes rgba = HostPixels(3, 2, 4, 12);
  QVImage mask(3, 2, 1, nullptr);
  QVImage image(rgba.data(), 4, 12, 3, 2, 0, &mask);
  EXPECT_EQ(mask.pixels[1], rgba[4 + 3]) << "pixel 1's fourth byte";
  EXPECT_EQ(mask.pixels[mask.rowBytes + 2], rgba[12 + 8 + 3]);
  Bytes out(rgba.size(), 0);
  image.SaveToBuffer(out.data(), 4, 12, 0, &mask);
  EXPECT_EQ(out, rgba);

  // Without a mask the fourth byte is dropped on the way in and left as it
  // is on the way out.
  out.assign(rgba.size(), 0x55);
  image.SaveToBuffer(out.data(), 4, 12, 0, nullptr);
  EXPECT_EQ(out[3], 0x55);
  EXPECT_EQ(out[0], rgba[0]);

  // A mask smaller than the image counts as absent both ways.
  QVImage small(2, 2, 1, nullptr);
  QVImage again(rgba.data(), 4, 12, 3, 2, 0, &small);
  EXPECT_FALSE(again.error);
  EXPECT_EQ(Row(small, 0), Bytes(4, 0));
  out.assign(rgba.size(), 0x55);
  again.SaveToBuffer(out.data(), 4, 12, 0, &small);
  EXPECT_EQ(out[7], 0x55);
}

TEST(QVImage, BadHostLayoutsAreRefusedAndChangeNothing)
{
  const Bytes rgb = HostPixels(3, 2, 4, 20);
  QVImage image(rgb.data(), 3, 11, 3, 2, 0, nullptr);
  const uint8_t* before = image.pixels;
  const Bytes row = Row(image, 0);
  for (const int32_t pixelBytes : {0, 2, 5}) {
    image.error = false;
    image.LoadFromBuffer(rgb.data(), pixelBytes, 20, 3, 2, 0, nullptr);
    EXPECT_TRUE(image.error) << pixelBytes;
    EXPECT_EQ(image.pixels, before);
    EXPECT_EQ(Row(image, 0), row);
  }
  image.error = false;
  image.LoadFromBuffer(rgb.data(), 4, 11, 3, 2, 0, nullptr); // rows of 12 bytes cannot be 11 apart
  EXPECT_TRUE(image.error);
  EXPECT_EQ(image.pixels, before);

  Bytes out(rgb.size(), 0x55);
  image.SaveToBuffer(out.data(), 2, 20, 0, nullptr);
  EXPECT_EQ(out, Bytes(rgb.size(), 0x55));

  QVImage zero(rgb.data(), 3, 11, 0, 2, 0, nullptr);
  EXPECT_TRUE(zero.error);
  EXPECT_EQ(zero.pixels, nullptr);
}

TEST(QVImage, CopiesAreDeepAndOwnTheirRecord)
{
  const Bytes rgb = HostPixels(5, 3, 3, 15);
  QVImage src(rgb.data(), 3, 15, 5, 3, 0, nullptr);
  src.wrap = true;
  src.zoomX = 2.5;
  src.viewShiftY = 7;
  src.fillValue[3] = 9;
  QVImage copy(&src);
  ASSERT_FALSE(copy.error);
  EXPECT_NE(copy.pixels, src.pixels);
  EXPECT_NE(copy.bufferHandle, src.bufferHandle);
  EXPECT_EQ(copy.leadBitmap, &copy.bitmapRecord);
  EXPECT_EQ(copy.rowBytes, 16);
  EXPECT_TRUE(copy.wrap);
  EXPECT_EQ(copy.zoomX, 2.5);
  EXPECT_EQ(copy.viewShiftY, 7);
  EXPECT_EQ(copy.fillValue[3], 9);
  for (int32_t y = 0; y < 3; ++y)
    EXPECT_EQ(Row(copy, y), Row(src, y)) << "padding included";
  copy.pixels[0] ^= 0xFF;
  EXPECT_NE(copy.pixels[0], src.pixels[0]);

  // Nothing to copy: the copy reports it.
  QVImage empty;
  for (const QVImage* source : {static_cast<const QVImage*>(&empty), static_cast<const QVImage*>(nullptr)}) {
    QVImage none(source);
    EXPECT_TRUE(none.error);
    EXPECT_EQ(none.pixels, nullptr);
    EXPECT_EQ(none.height, 0);
  }
}

TEST(QVImage, FailedAllocationsLeaveNoBufferAndNoLeak)
{
  const long blocks = standin::LiveBlocks();
  const Bytes rgb = HostPixels(3, 2, 3, 9);
  QVImage src(rgb.data(), 3, 9, 3, 2, 0, nullptr);
  standin::FailAllocations(0, 1);
  QVImage blank(4, 4, 3, nullptr);
  standin::FailAllocations(0, 1);
  QVImage copy(&src);
  standin::FailAllocations(0, 1);
  QVImage loaded(rgb.data(), 3, 9, 3, 2, 0, nullptr);
  standin::ResetAllocationFaults();
  for (const QVImage* image : {&blank, &copy, &loaded}) {
    EXPECT_TRUE(image->error);
    EXPECT_EQ(image->pixels, nullptr);
    EXPECT_EQ(image->bufferHandle, nullptr);
  }
  EXPECT_FALSE(copy.ready);
  EXPECT_EQ(standin::LiveBlocks(), blocks + 1) << "only src holds a block";
}

TEST(QVImage, LibraryBitmapsGiveUprightPixelsAndAreAlwaysFreed)
{
  // A bottom-up record: storage row 0 is the bottom of the picture.
  imaging::Bitmap record;
  ASSERT_EQ(imaging::Create(&record, 2, 3, 8), imaging::kSuccess);
  record.rowOrder = imaging::kRowsBottomUpAlt;
  for (int y = 0; y < 3; ++y)
    record.Row(y)[0] = static_cast<uint8_t>(10 * y);
  QVImage image(&record);
  ASSERT_FALSE(image.error);
  EXPECT_TRUE(image.ready);
  EXPECT_EQ(image.bytesPerPixel, 1);
  EXPECT_EQ(image.pixels[0], 20) << "top row from the last stored row";
  EXPECT_EQ(image.pixels[2 * image.rowBytes], 0);
  EXPECT_EQ(record.data, nullptr) << "the library bitmap is freed";
  EXPECT_EQ(image.leadBitmap, &image.bitmapRecord);

  // An unsupported depth, and rows shorter than the fetch: the error flag,
  // no pixels, and the record freed all the same.
  ASSERT_EQ(imaging::Create(&record, 2, 2, 8), imaging::kSuccess);
  record.bitsPerPixel = 16;
  QVImage odd(&record);
  EXPECT_TRUE(odd.error);
  EXPECT_FALSE(odd.ready);
  EXPECT_EQ(record.data, nullptr);
  ASSERT_EQ(imaging::Create(&record, 9, 2, 24), imaging::kSuccess);
  record.bytesPerLine = 12;
  QVImage shortRows(&record);
  EXPECT_TRUE(shortRows.error);
  EXPECT_EQ(shortRows.pixels, nullptr);
  EXPECT_EQ(record.data, nullptr);
}

TEST(QVImage, RectanglesAndCirclesAreClippedToTheImage)
{
  QVImage image(6, 6, 3, nullptr);
  image.WriteRect(QVRect(-2, -2, 2, 3), 9);
  image.WriteRect(QVRect(5, 5, 100, 100), 7);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 6; ++x) {
      const uint8_t want = (x < 2 && y < 3) ? 9 : (x == 5 && y == 5) ? 7 : 0;
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(image.pixels[y * image.rowBytes + x * 3 + c], want) << x << "," << y;
    }
  EXPECT_EQ(image.pixels[image.rowBytes - 1], 0) << "padding untouched";

  // r = 5 / 2 = 2 about (2, 2): distance squared below 4 keeps the 3 x 3
  // block at 1..3 (corners at 2 < 4) and leaves (0, 2) out (4 is not < 4).
  QVImage grey(6, 6, 1, nullptr);
  grey.WriteCircle(QVRect(0, 0, 5, 5), 1);
  for (int32_t y = 0; y < 6; ++y)
    for (int32_t x = 0; x < 6; ++x)
      EXPECT_EQ(grey.pixels[y * grey.rowBytes + x], (x >= 1 && x <= 3 && y >= 1 && y <= 3) ? 1 : 0);
  // A circle about (-1, -1) reaches only pixel (0, 0); the widest rectangle
  // covers the whole image without overflowing.
  QVImage corner(3, 3, 1, nullptr);
  corner.WriteCircle(QVRect(-3, -3, 2, 2), 5);
  EXPECT_EQ(Row(corner, 0), (Bytes{5, 0, 0, 0}));
  EXPECT_EQ(Row(corner, 1), (Bytes{0, 0, 0, 0}));
  corner.WriteCircle(QVRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 6);
  EXPECT_EQ(Row(corner, 2), (Bytes{6, 6, 6, 0}));

  QVImage empty;
  empty.WriteRect(QVRect(0, 0, 5, 5), 1);
  empty.WriteCircle(QVRect(0, 0, 5, 5), 1);
  EXPECT_EQ(empty.pixels, nullptr);
}

} // namespace
