// QVImage in memory: layout, host buffers with masks, copies, the library
// bitmap bridge, clipped rectangle and circle writes, allocation failures.
#include "qvcommon/qvimage.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Row y including its padding.
Bytes Row(const QVImage& image, int32_t y)
{
  return Bytes(image.pixels + y * image.rowBytes, image.pixels + (y + 1) * image.rowBytes);
}

// w x h host pixels of n bytes, rows `stride` apart, padding bytes 0xEE.
Bytes Host(int w, int h, int n, int stride)
{
  Bytes buffer(static_cast<size_t>(stride * h), 0xEE);
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w * n; ++i)
      buffer[y * stride + i] = static_cast<uint8_t>(1 + y * 50 + i * 3);
  return buffer;
}

TEST(QVImage, LayoutAndBlankColours)
{
  // 5 pixels x 3 bytes = 15, padded to 16; 4 one-byte pixels need no pad.
  const QVColor colour(10, 20, 30);
  QVImage image(5, 2, 3, &colour);
  EXPECT_EQ(image.rowPad, 1);
  EXPECT_EQ(Row(image, 1), (Bytes{30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10, 30, 20, 10, 0}));
  EXPECT_EQ(image.displayHeader.bmiHeader.biHeight, -2);
  EXPECT_EQ(Row(QVImage(4, 1, 1, &colour), 0), (Bytes{10, 10, 10, 10})) << "grey takes red";

  // Unusable sizes: the error flag, no buffer, and no memory asked for.
  standin::ResetAllocationFaults();
  for (const Bytes& size : std::vector<Bytes>{{0, 5, 3}, {5, 0, 3}, {5, 5, 2}, {5, 5, 4}}) {
    QVImage bad(size[0], size[1], size[2], nullptr);
    EXPECT_TRUE(bad.error && !bad.pixels && bad.height == 0);
  }
  EXPECT_TRUE(QVImage(70000, 70000, 1, nullptr).error) << "4.9e9 bytes: the 64-bit size is refused";
  EXPECT_EQ(standin::AllocationRequests(), 0);
}

TEST(QVImage, HostBuffersRoundTripWithMasks)
{
  // 3 bytes R,G,B become B,G,R and come back; the host's padding is kept.
  const Bytes rgb = Host(3, 2, 3, 11);
  QVImage image(rgb.data(), 3, 11, 3, 2, 0, nullptr);
  EXPECT_EQ(image.pixels[0], rgb[2]);
  Bytes out(rgb.size(), 0xEE);
  image.SaveToBuffer(out.data(), 3, 11, 0, nullptr);
  EXPECT_EQ(out, rgb);

  // 1 byte: three equal bytes in the image, the one byte back.
  const Bytes grey = Host(5, 3, 1, 8);
  QVImage fromGrey(grey.data(), 1, 8, 5, 3, 0, nullptr);
  EXPECT_EQ(Row(fromGrey, 2)[13], grey[2 * 8 + 4]);
  out.assign(grey.size(), 0xEE);
  fromGrey.SaveToBuffer(out.data(), 1, 8, 0, nullptr);
  EXPECT_EQ(out, grey);

  // 4 bytes: the fourth goes to the covering mask's first byte and back;
  // without a mask it is dropped, and left alone on the way out.
  const Bytes rgba = Host(3, 2, 4, 12);
  QVImage mask(3, 2, 1, nullptr);
  QVImage withMask(rgba.data(), 4, 12, 3, 2, 0, &mask);
  EXPECT_EQ(mask.pixels[mask.rowBytes + 2], rgba[12 + 8 + 3]);
  out.assign(rgba.size(), 0);
  withMask.SaveToBuffer(out.data(), 4, 12, 0, &mask);
  EXPECT_EQ(out, rgba);
  out.assign(rgba.size(), 0x55);
  withMask.SaveToBuffer(out.data(), 4, 12, 0, nullptr);
  EXPECT_EQ(out[3], 0x55);
  // A mask that does not cover the image counts as absent.
  QVImage small(2, 2, 1, nullptr);
  QVImage again(rgba.data(), 4, 12, 3, 2, 0, &small);
  again.SaveToBuffer(out.data(), 4, 12, 0, &small);
  EXPECT_EQ(Row(small, 0), Bytes(4, 0));
  EXPECT_EQ(out[7], 0x55);

  // A grey image writes its byte to every colour byte (no over-read).
  const QVColor level(77, 0, 0);
  Bytes three(6, 0);
  QVImage(2, 1, 1, &level).SaveToBuffer(three.data(), 3, 6, 0, nullptr);
  EXPECT_EQ(three, Bytes(6, 77));

  // Pixel sizes other than 1, 3, 4 and rows shorter than their pixels are
  // refused both ways, changing nothing.
  const uint8_t* before = image.pixels;
  for (const auto& [pixelBytes, stride] : std::vector<std::pair<int32_t, int32_t>>{{2, 12}, {5, 12}, {4, 11}}) {
    image.error = false;
    image.LoadFromBuffer(rgba.data(), pixelBytes, stride, 3, 2, 0, nullptr);
    EXPECT_TRUE(image.error);
    EXPECT_EQ(image.pixels, before);
    out.assign(rgba.size(), 0x55);
    image.SaveToBuffer(out.data(), pixelBytes, stride, 0, nullptr);
    EXPECT_EQ(out, Bytes(rgba.size(), 0x55));
  }
  EXPECT_EQ(image.pixels[0], rgb[2]);
}

TEST(QVImage, CopiesAreDeep)
{
  const Bytes rgb = Host(5, 3, 3, 15);
  QVImage src(rgb.data(), 3, 15, 5, 3, 0, nullptr);
  src.zoomX = 2.5;
  QVImage copy(&src);
  ASSERT_FALSE(copy.error);
  EXPECT_NE(copy.pixels, src.pixels);
  EXPECT_EQ(copy.leadBitmap, &copy.bitmapRecord);
  EXPECT_EQ(copy.zoomX, 2.5);
  for (int32_t y = 0; y < 3; ++y)
    EXPECT_EQ(Row(copy, y), Row(src, y));

  QVImage empty;
  QVImage none(&empty);
  EXPECT_TRUE(none.error);
  EXPECT_EQ(none.pixels, nullptr);
}

TEST(QVImage, FailedAllocationsLeaveNoBufferAndNoLeak)
{
  const long blocks = standin::LiveBlocks();
  const Bytes rgb = Host(3, 2, 3, 9);
  {
    QVImage src(rgb.data(), 3, 9, 3, 2, 0, nullptr);
    standin::FailAllocations(0, 3);
    QVImage blank(4, 4, 3, nullptr);
    QVImage copy(&src);
    QVImage loaded(rgb.data(), 3, 9, 3, 2, 0, nullptr);
    standin::ResetAllocationFaults();
    for (const QVImage* image : {&blank, &copy, &loaded})
      EXPECT_TRUE(image->error && !image->pixels && !image->bufferHandle);
  }
  EXPECT_EQ(standin::LiveBlocks(), blocks);
}

TEST(QVImage, LibraryBitmapsComeUprightAndAreAlwaysFreed)
{
  // Bottom-up storage: stored row 2 is the picture's top row.
  imaging::Bitmap record;
  ASSERT_EQ(imaging::Create(&record, 2, 3, 8), imaging::kSuccess);
  record.rowOrder = imaging::kRowsBottomUpAlt;
  record.Row(2)[0] = 20;
  QVImage image(&record);
  EXPECT_TRUE(image.ready);
  EXPECT_EQ(image.bytesPerPixel, 1);
  EXPECT_EQ(image.pixels[0], 20);
  EXPECT_EQ(record.data, nullptr);
  EXPECT_EQ(image.leadBitmap, &image.bitmapRecord) << "no pointer to the caller's record is kept";

  // An unsupported depth and a short row fetch fail, and free the record.
  ASSERT_EQ(imaging::Create(&record, 2, 2, 8), imaging::kSuccess);
  record.bitsPerPixel = 16;
  EXPECT_FALSE(QVImage(&record).ready);
  EXPECT_EQ(record.data, nullptr);
  ASSERT_EQ(imaging::Create(&record, 9, 2, 24), imaging::kSuccess);
  record.bytesPerLine = 12;
  EXPECT_EQ(QVImage(&record).pixels, nullptr);
  EXPECT_EQ(record.data, nullptr);
}

TEST(QVImage, RectanglesAndCirclesAreClipped)
{
  QVImage image(4, 4, 1, nullptr);
  image.WriteRect(QVRect(-2, -2, 2, 3), 9);
  image.WriteRect(QVRect(3, 3, 100, 100), 7);
  EXPECT_EQ(Row(image, 2), (Bytes{9, 9, 0, 0}));
  EXPECT_EQ(Row(image, 3), (Bytes{0, 0, 0, 7}));

  // r = 5 / 2 = 2 about (2, 2): squared distances below 4 give the 3 x 3
  // block at 1..3, and (0, 2) at exactly 4 stays out.
  QVImage grey(6, 6, 1, nullptr);
  grey.WriteCircle(QVRect(0, 0, 5, 5), 1);
  EXPECT_EQ(Row(grey, 0), Bytes(8, 0));
  EXPECT_EQ(Row(grey, 2), (Bytes{0, 1, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Row(grey, 3), (Bytes{0, 1, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Row(grey, 4), Bytes(8, 0));
  // About (-1, -1) only (0, 0) is reached; the widest rectangle fills all.
  QVImage corner(3, 3, 3, nullptr);
  corner.WriteCircle(QVRect(-3, -3, 2, 2), 5);
  EXPECT_EQ(Row(corner, 0), (Bytes{5, 5, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  corner.WriteCircle(QVRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 6);
  EXPECT_EQ(Row(corner, 2), (Bytes{6, 6, 6, 6, 6, 6, 6, 6, 6, 0, 0, 0}));
}

} // namespace
