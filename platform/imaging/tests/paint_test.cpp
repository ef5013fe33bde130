// Bitmaps and device contexts: a context over a bitmap and its write-back,
// plain, scaled and transparent painting, and capture from a context.
#include "imaging/imaging.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

namespace {

using imaging::Bitmap;

constexpr COLORREF kWhite = 0xFFFFFF;

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

class Painting : public ::testing::Test {
protected:
  void SetUp() override
  {
    window = standin::CreateSurfaceWindow(8, 6);
    dc = GetDC(window);
  }
  void TearDown() override
  {
    ReleaseDC(window, dc);
    standin::DestroySurfaceWindow(window);
  }
  COLORREF At(int x, int y) const { return standin::ReadPixel(window, x, y); }

  HWND window = nullptr;
  HDC dc = nullptr;
};

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

TEST_F(Painting, PictureCoordinatesCountFromTheTopAndScaleByNearestNeighbour)
{
  const Bitmap b = Picture(imaging::kRowsBottomUp);
  ASSERT_EQ(imaging::Paint(dc, &b, nullptr, nullptr, SRCCOPY), imaging::kSuccess);
  EXPECT_EQ(At(0, 0), Seen(0, 0));
  EXPECT_EQ(At(2, 1), Seen(2, 1));
  EXPECT_EQ(At(3, 0), kWhite);

  // The bottom row's right two pixels, doubled at (4, 2): a 4 x 2 block.
  const RECT source{1, 1, 3, 2}, target{4, 2, 8, 4};
  ASSERT_EQ(imaging::Paint(dc, &b, &source, &target, SRCCOPY), imaging::kSuccess);
  EXPECT_EQ(At(4, 2), Seen(1, 1));
  EXPECT_EQ(At(5, 3), Seen(1, 1));
  EXPECT_EQ(At(6, 2), Seen(2, 1));
  EXPECT_EQ(At(7, 3), Seen(2, 1));

  // Clipped at the window's edge; refusals draw nothing.
  const RECT hanging{6, 5, 9, 7};
  EXPECT_EQ(imaging::Paint(dc, &b, nullptr, &hanging, SRCCOPY), imaging::kSuccess);
  EXPECT_EQ(At(7, 5), Seen(1, 0));
  const RECT empty{2, 2, 2, 4};
  EXPECT_EQ(imaging::Paint(dc, &b, &empty, nullptr, SRCCOPY), imaging::kErrorBadArgument);
  EXPECT_EQ(imaging::Paint(dc, &b, nullptr, &target, 0x00EE0086), imaging::kErrorBadArgument);
  EXPECT_EQ(imaging::Paint(nullptr, &b, nullptr, nullptr, SRCCOPY), imaging::kErrorBadArgument);
}

TEST_F(Painting, TransparentPaintSkipsOnlyTheKey)
{
  Bitmap b = Picture(imaging::kRowsTopDown);
  ASSERT_EQ(imaging::SetTransparent(&b, Seen(1, 0), imaging::kTransparentColour), imaging::kSuccess);
  ASSERT_EQ(imaging::PaintTransparent(dc, &b, nullptr, nullptr), imaging::kSuccess);
  EXPECT_EQ(At(0, 0), Seen(0, 0));
  EXPECT_EQ(At(1, 0), kWhite) << "the key is not drawn";
  EXPECT_EQ(At(1, 1), Seen(1, 1));
  imaging::ClearTransparent(&b);
  ASSERT_EQ(imaging::PaintTransparent(dc, &b, nullptr, nullptr), imaging::kSuccess);
  EXPECT_EQ(At(1, 0), Seen(1, 0)) << "without a key every pixel is drawn";
}

TEST_F(Painting, CaptureIsBottomUpAndBlackOutsideTheSurface)
{
  SetPixel(dc, 6, 4, RGB(1, 2, 3));
  SetPixel(dc, 7, 5, RGB(4, 5, 6));
  Bitmap captured;
  const RECT area{6, 4, 9, 6}; // one column past the window's right edge
  ASSERT_EQ(imaging::CreateFromDC(&captured, dc, &area), imaging::kSuccess);
  EXPECT_EQ(captured.width, 3);
  EXPECT_EQ(captured.bitsPerPixel, 24);
  EXPECT_EQ(captured.rowOrder, imaging::kRowsBottomUp);
  const uint8_t* bottom = captured.Row(0); // storage row 0: window row 5
  EXPECT_EQ(bottom[3] * 0x10000 + bottom[4] * 0x100 + bottom[5], 6 * 0x10000 + 5 * 0x100 + 4);
  EXPECT_EQ(bottom[6] + bottom[7] + bottom[8], 0) << "outside the surface";
  EXPECT_EQ(captured.Row(1)[2], 1) << "window row 4, red of (1, 2, 3)";

  const RECT empty{2, 2, 2, 3};
  EXPECT_EQ(imaging::CreateFromDC(&captured, dc, &empty), imaging::kErrorBadArgument);
  EXPECT_EQ(captured.width, 3) << "a failure leaves the bitmap";
}

} // namespace
