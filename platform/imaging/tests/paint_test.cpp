// Bitmaps and device contexts: a context over a bitmap and its write-back,
// and painting in picture coordinates. Transparent painting and capture are
// exercised through QVPicture in the framework's tests.
#include "imaging/imaging.h"

#include "win32/dibs.h"
#include "win32/drawing.h"

#include <gtest/gtest.h>

namespace {

using imaging::Bitmap;

// A 3 x 2 colour picture stored in the given row order; as seen, pixel
// (x, y) is RGB(10 + x, 20 + y, 30).
Bitmap Picture(int32_t order)
{
  Bitmap b;
  EXPECT_EQ(imaging::Create(&b, 3, 2, 24), imaging::kSuccess);
  b.rowOrder = order;
  for (int32_t y = 0; y < 2; ++y) {
    uint8_t* row = b.Row(b.BottomUp() ? 1 - y : y);
    for (int32_t x = 0; x < 3; ++x) {
      row[3 * x] = 30;
      row[3 * x + 1] = static_cast<uint8_t>(20 + y);
      row[3 * x + 2] = static_cast<uint8_t>(10 + x);
    }
  }
  return b;
}

COLORREF Seen(int x, int y) { return RGB(BYTE(10 + x), BYTE(20 + y), 30); }

TEST(ImagingDC, ContextShowsThePictureUprightAndWritesBackInRowOrder)
{
  for (int32_t order : {imaging::kRowsTopDown, imaging::kRowsBottomUp}) {
    Bitmap b = Picture(order);
    HDC dc = imaging::GetDC(&b);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetPixel(dc, 2, 0), Seen(2, 0));
    EXPECT_EQ(GetPixel(dc, 0, 1), Seen(0, 1));
    SetPixel(dc, 1, 0, RGB(200, 100, 50));
    EXPECT_EQ(b.PictureRow(0)[5], 10 + 1) << "nothing changes before the release";
    Bitmap other = Picture(order);
    EXPECT_EQ(imaging::ReleaseDC(&other, dc), imaging::kErrorBadArgument) << "another bitmap's context";
    ASSERT_EQ(imaging::ReleaseDC(&b, dc), imaging::kSuccess);
    const uint8_t* top = b.PictureRow(0);
    EXPECT_EQ(top[3] * 0x10000 + top[4] * 0x100 + top[5], 50 * 0x10000 + 100 * 0x100 + 200) << "B, G, R";
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID) << "the context is gone";
  }
  // An 8-bit bitmap takes the grey of what was drawn: (10 + 6 * 100 + 3 * 200) / 10 = 121.
  Bitmap grey;
  ASSERT_EQ(imaging::Create(&grey, 2, 1, 8), imaging::kSuccess);
  HDC dc = imaging::GetDC(&grey);
  SetPixel(dc, 1, 0, RGB(200, 100, 10));
  ASSERT_EQ(imaging::ReleaseDC(&grey, dc), imaging::kSuccess);
  EXPECT_EQ(grey.Row(0)[1], 121);
  EXPECT_EQ(imaging::GetDC(nullptr), nullptr);
}

TEST(ImagingPaint, PictureCoordinatesCountFromTheTopAndScaleByNearestNeighbour)
{
  // The canvas: an 8 x 6 black bitmap's context.
  Bitmap canvas;
  ASSERT_EQ(imaging::Create(&canvas, 8, 6, 24), imaging::kSuccess);
  HDC dc = imaging::GetDC(&canvas);
  const auto At = [dc](int x, int y) { return GetPixel(dc, x, y); };
  const Bitmap b = Picture(imaging::kRowsBottomUp);
  ASSERT_EQ(imaging::Paint(dc, &b, nullptr, nullptr, SRCCOPY), imaging::kSuccess);
  EXPECT_EQ(At(0, 0), Seen(0, 0));
  EXPECT_EQ(At(2, 1), Seen(2, 1));
  EXPECT_EQ(At(3, 0), 0u);

  // The bottom row's right two pixels, doubled at (4, 2): a 4 x 2 block.
  const RECT source{1, 1, 3, 2}, target{4, 2, 8, 4};
  ASSERT_EQ(imaging::Paint(dc, &b, &source, &target, SRCCOPY), imaging::kSuccess);
  EXPECT_EQ(At(5, 3), Seen(1, 1));
  EXPECT_EQ(At(6, 2), Seen(2, 1));

  // Clipped at the canvas's edge; refusals draw nothing.
  const RECT hanging{6, 5, 9, 7};
  EXPECT_EQ(imaging::Paint(dc, &b, nullptr, &hanging, SRCCOPY), imaging::kSuccess);
  EXPECT_EQ(At(7, 5), Seen(1, 0));
  const RECT empty{2, 2, 2, 4};
  EXPECT_EQ(imaging::Paint(dc, &b, &empty, nullptr, SRCCOPY), imaging::kErrorBadArgument);
  EXPECT_EQ(imaging::Paint(dc, &b, nullptr, &target, 0x00EE0086), imaging::kErrorBadArgument);
  EXPECT_EQ(imaging::Paint(nullptr, &b, nullptr, nullptr, SRCCOPY), imaging::kErrorBadArgument);
  imaging::ReleaseDC(&canvas, dc);
}

} // namespace
