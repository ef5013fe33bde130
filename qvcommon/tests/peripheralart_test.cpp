// The ring and nudge arrows as drawn: sizes, shapes and symmetry.
#include "artwork/peripheralart.h"

#include <gtest/gtest.h>

#include <cmath>

using art::Picture;
using art::Rgb;

TEST(PeripheralArt, TheRingIsSymmetricAboutItsCentreWithTicksOnTheAxes)
{
  const Picture ring = art::RingPicture();
  ASSERT_EQ(ring.width * 1000 + ring.height, 81081);
  // About column 39 (columns 0..78; 79 and 80 lie beyond the disc) and row 40.
  for (int y = 0; y < 81; ++y)
    for (int x = 0; x <= 78; ++x) {
      ASSERT_EQ(ring.At(x, y), ring.At(78 - x, y)) << x << "," << y;
      ASSERT_EQ(ring.At(x, y), ring.At(x, 80 - y)) << x << "," << y;
    }
  for (int y = 0; y < 81; ++y) {
    EXPECT_EQ(ring.At(79, y), art::kControlGrey);
    EXPECT_EQ(ring.At(80, y), art::kControlGrey);
  }
  EXPECT_EQ(ring.At(39, 40), art::kFace);
  EXPECT_EQ(ring.At(39 + 24, 40), art::kShadow) << "the dial's circle runs in the track";
  EXPECT_EQ(ring.At(39 + 20, 40), art::kShadow);
  EXPECT_EQ(ring.At(39 + 19, 40), art::kFace);
  EXPECT_EQ(ring.At(39 + 29, 40), art::kFace);
  for (int r = 31; r <= 34; ++r) {
    EXPECT_EQ(ring.At(39 + r, 40), art::kAccent);
    EXPECT_EQ(ring.At(39, 40 - r), art::kAccent);
  }
  EXPECT_EQ(ring.At(39 + 36, 40), art::kFrame) << "the rim";
  EXPECT_EQ(ring.At(39 + 37, 40), art::kControlGrey);
  EXPECT_EQ(ring.At(0, 0), art::kControlGrey);
  // A diagonal has no tick.
  EXPECT_EQ(ring.At(39 + 23, 40 - 23), art::kFace);
}

TEST(PeripheralArt, TheNudgeArrowsAreOneTriangleNormalAndHot)
{
  const Picture arrow = art::NudgeArrowPicture();
  const Picture hot = art::HotNudgeArrowPicture();
  ASSERT_EQ(arrow.width * 100 + arrow.height, 1612);
  ASSERT_EQ(hot.width * 100 + hot.height, 1612);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      ASSERT_EQ(arrow.At(x, y), arrow.At(15 - x, y)) << "mirror-symmetric " << x << "," << y;
      ASSERT_EQ(hot.At(x, y), hot.At(15 - x, y)) << x << "," << y;
      // The same shape: grey exactly where the other is grey.
      ASSERT_EQ(arrow.At(x, y) == art::kControlGrey, hot.At(x, y) == art::kControlGrey) << x << "," << y;
      const Rgb& p = arrow.At(x, y);
      ASSERT_TRUE(p == art::kFace || p == art::kControlGrey);
    }
  // The apex in columns 7-8 of row 1, the base along row 10 from 1 to 14.
  for (int x = 0; x < 16; ++x) {
    EXPECT_EQ(arrow.At(x, 0), art::kControlGrey);
    EXPECT_EQ(arrow.At(x, 1) == art::kFace, x == 7 || x == 8) << x;
    EXPECT_EQ(arrow.At(x, 10) == art::kFace, x >= 1 && x <= 14) << x;
    EXPECT_EQ(arrow.At(x, 11), art::kControlGrey);
  }
  // Every row widens: a triangle, not a box.
  int previous = 0;
  for (int y = 1; y <= 10; ++y) {
    int width = 0;
    for (int x = 0; x < 16; ++x)
      width += arrow.At(x, y) == art::kFace;
    EXPECT_GE(width, previous) << y;
    previous = width;
  }
  // Hot: accent inside a 1-px face outline.
  EXPECT_EQ(hot.At(7, 1), art::kFace);
  EXPECT_EQ(hot.At(1, 10), art::kFace);
  EXPECT_EQ(hot.At(7, 8), art::kAccent);
  EXPECT_EQ(hot.At(2, 9), art::kFace) << "its left neighbour is outside";
  EXPECT_EQ(hot.At(3, 9), art::kAccent);
}

TEST(PeripheralArt, PackedDibsHoldBottomUpPaddedRows)
{
  Picture picture(3, 2, art::kFace);
  picture.At(0, 0) = Rgb{1, 2, 3};
  const std::vector<uint8_t> dib = art::PackedDib(picture);
  ASSERT_EQ(dib.size(), 40u + 2 * 12);
  EXPECT_EQ(dib[14], 24) << "bits per pixel";
  // Row 0 is stored last, blue first.
  EXPECT_EQ(dib[40 + 12], 3);
  EXPECT_EQ(dib[40 + 12 + 2], 1);
  EXPECT_EQ(dib[40 + 9], 0) << "padding";
  EXPECT_EQ(art::PackedDib(art::RingPicture()), art::PackedDib(art::RingPicture()));
}
