// QVQuickDrop: the shadow pattern and the pieces DrawShadow copies around a
// rectangle, read back from a surface window.
#include "lvxtest/testenv.h"
#include "qvcommon/qvdevice.h"
#include "qvcommon/qvquickdrop.h"
#include "win32/automation.h"

#include <memory>

#include <gtest/gtest.h>

namespace {

// A shadow pixel is well below white; the surface starts white.
bool Shaded(HWND window, int x, int y) { return GetRValue(standin::ReadPixel(window, x, y)) < 200; }

class QuickDrop : public ::testing::Test {
protected:
  void SetUp() override
  {
    window = standin::CreateSurfaceWindow(240, 160);
    drop.Initialize();
  }
  void TearDown() override { standin::DestroySurfaceWindow(window); }

  HWND window = nullptr;
  QVQuickDrop drop{64, 64, 3, nullptr};
};

TEST_F(QuickDrop, PatternIsDarkInsideAndLightInTheBand)
{
  // 20 inside and 160 in the 8-pixel band, blurred by 6 and grained by at
  // most 6% of 128 (about 8 levels) either way.
  ASSERT_TRUE(drop.HasPixels());
  auto at = [&](int x, int y) { return int(drop.pixels[y * drop.rowBytes + x * 3]); };
  EXPECT_NEAR(at(32, 32), 20, 10);
  EXPECT_NEAR(at(0, 0), 160, 10);
  EXPECT_NEAR(at(63, 63), 160, 10);
  EXPECT_GT(at(4, 32), at(12, 32)); // the band is lighter than the inside
}

TEST_F(QuickDrop, LatestConstructedIsCurrentUntilItIsDestroyed)
{
  EXPECT_EQ(QVQuickDrop::GetCurrent(), &drop);
  {
    QVQuickDrop second(64, 64, 3, nullptr);
    EXPECT_EQ(QVQuickDrop::GetCurrent(), &second);
  }
  EXPECT_EQ(QVQuickDrop::GetCurrent(), nullptr); // never the earlier one, never dangling
  auto older = std::make_unique<QVQuickDrop>(64, 64, 3, nullptr);
  auto newer = std::make_unique<QVQuickDrop>(64, 64, 3, nullptr);
  older.reset(); // destroying another one leaves the current alone
  EXPECT_EQ(QVQuickDrop::GetCurrent(), newer.get());
}

TEST_F(QuickDrop, ShortRectangleGetsRemainderAndEndsOnly)
{
  // Width 40: 40 - 18 = 22 is less than one 32-pixel tile, so the bottom
  // strip is the remainder at x 62..83 and the ends at 56..69 and 84..97;
  // the corner piece covers x 90..99.
  QVDevice device(window);
  drop.DrawShadow(&device, QVRect(50, 20, 90, 60), 100, 4, 4);
  for (int x = 56; x < 98; ++x)
    EXPECT_TRUE(Shaded(window, x, 62)) << x;
  EXPECT_FALSE(Shaded(window, 55, 62));
  EXPECT_FALSE(Shaded(window, 100, 62)); // the corner piece ends at right + 9
  EXPECT_FALSE(Shaded(window, 5, 65));   // left is not 0: no tile at x = 0
  // Right strip from top + 4 down to the corner at bottom - 6 .. bottom + 9.
  for (int y = 24; y < 70; ++y)
    EXPECT_TRUE(Shaded(window, 92, y)) << y;
  EXPECT_FALSE(Shaded(window, 92, 23));
  EXPECT_FALSE(Shaded(window, 92, 70));
  // The rectangle itself is left alone.
  EXPECT_FALSE(Shaded(window, 70, 40));
  EXPECT_TRUE(standin::SnapshotPng(window, (lvxtest::TempDir() + "/quickdrop.png").c_str()));
}

TEST_F(QuickDrop, ShadowLiesOnlyBelowAndRightAndTinyRectanglesGetNoEmptyPieces)
{
  // A 10 x 10 rectangle: both strips have negative lengths, so only the two
  // bottom ends, the top-right end and the corner are painted.
  QVDevice device(window);
  const QVRect rect(100, 100, 110, 110);
  drop.DrawShadow(&device, rect, 100, 4, 4);
  const standin::PixelView view = standin::ViewPixels(window);
  for (int y = 0; y < view.height; ++y)
    for (int x = 0; x < view.width; ++x)
      if (Shaded(window, x, y)) {
        // Everything painted starts at the bottom-right end (right - 6) or
        // the top-right end (top + 4), outside the rectangle itself.
        EXPECT_GE(x, 104);
        EXPECT_GE(y, 104);
        EXPECT_TRUE(x >= 110 || y >= 110) << x << "," << y;
      }
  EXPECT_TRUE(Shaded(window, 115, 105));
  EXPECT_TRUE(Shaded(window, 107, 112));
}

TEST_F(QuickDrop, RectangleAtLeftZeroGetsTheExtraTile)
{
  // Width 150: 132 / 32 = 4 tiles from x 12, a remainder of 4, and because
  // left is 0 one more tile at x 0..31.
  QVDevice device(window);
  drop.DrawShadow(&device, QVRect(0, 10, 150, 100), 100, 4, 2);
  for (int x = 0; x < 158; ++x)
    EXPECT_TRUE(Shaded(window, x, 105)) << x;
  EXPECT_FALSE(Shaded(window, 160, 105));
  EXPECT_FALSE(Shaded(window, 100, 111));
}

} // namespace
