// QVPoint, QVRect and QVColor.
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvrect.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

std::vector<int32_t> Edges(const QVRect& r) { return {r.Left(), r.Top(), r.Right(), r.Bottom()}; }
using E = std::vector<int32_t>;

// Edges computed from a centre: the fields stay 0, so any operation that
// reads another rectangle's fields instead of its accessors gets 0s.
class CentredRect : public QVRect {
public:
  int32_t Left() const override { return 90; }
  int32_t Top() const override { return 40; }
  int32_t Right() const override { return 110; }
  int32_t Bottom() const override { return 60; }
};

class ComputedPoint : public QVPoint {
public:
  int32_t X() const override { return 7; }
  int32_t Y() const override { return 9; }
};

} // namespace

TEST(QVRect, SizeIsExclusiveWhileContainmentIsInclusive)
{
  QVRect r(10, 20, 30, 50);
  EXPECT_EQ(r.Width(), 20);
  EXPECT_EQ(r.Height(), 30);
  EXPECT_TRUE(r.PtInRect(QVPoint(30, 50))) << "right and bottom edges count as inside";
  EXPECT_FALSE(r.PtInRect(QVPoint(31, 50)));
  EXPECT_TRUE(r.RectInRect(QVRect(10, 20, 30, 50)));
  // Touching rectangles share no area.
  EXPECT_FALSE(r.RectIntersectsRect(QVRect(30, 20, 40, 50)));
  EXPECT_TRUE(r.RectIntersectsRect(QVRect(29, 49, 40, 60)));
  r.RenderReady();
  EXPECT_EQ(Edges(r), (E{10, 20, 29, 49}));
  EXPECT_EQ(QVRect(5, 0, 1, 0).Width(), -4);
  r.SetLTRB(10, 20, 30, 50);
  r.Normal();
  EXPECT_EQ(Edges(r), (E{0, 0, 20, 30}));
}

TEST(QVRect, MovesAndGrowthsFollowTheirOrder)
{
  QVRect r(-5, 0, 15, 10);
  const QVRect bounds(0, 0, 100, 100);
  r.FitInRect(bounds);
  EXPECT_EQ(Edges(r), (E{0, 0, 20, 10}));
  r.SetLTRB(90, 0, 120, 10);
  r.FitInRect(bounds);
  EXPECT_EQ(Edges(r), (E{70, 0, 100, 10}));
  r.SetLTRB(0, 0, 200, 10);
  r.FitInRect(bounds);
  EXPECT_EQ(Edges(r), (E{0, 0, 100, 10})) << "wider than the bounds: equal to them";

  // A shrink of 20 on a 10-wide rectangle stops at zero width, never inverts.
  r.SetLTRB(10, 10, 20, 20);
  r.LimitedChange(-20, 0, 0, 0, 100, 100);
  EXPECT_EQ(r.Left(), r.Right());
  r.SetLTRB(10, 10, 20, 20);
  r.LimitedChange(15, 5, 0, 8, 100, 22);
  EXPECT_EQ(Edges(r), (E{0, 8, 35, 22})) << "growth stops at the limits";

  // Expand widens the other by the margin, clamps left and top at 0 only.
  r.SetLTRB(50, 50, 60, 60);
  r.Expand(QVRect(3, 3, 10, 10), 5);
  EXPECT_EQ(Edges(r), (E{0, 0, 60, 60}));
  r.Expand(QVRect(3, 3, 70, 80), 5);
  EXPECT_EQ(Edges(r), (E{0, 0, 75, 85}));

  r.SetLTRB(1, 1, 3, 5);
  r.Scale(2.0, 0.5);
  EXPECT_EQ(Edges(r), (E{1, 1, 6, 2}));
  r.SetLTRB(-3, -7, 3, -1);
  r.Scale(-1.5, 2.5);
  EXPECT_EQ(Edges(r), (E{-3, -7, -4, -2})) << "truncated toward zero";
  r.Inset(-1, 2);
  EXPECT_EQ(Edges(r), (E{-4, -5, -3, -4}));
  r.NoNegative();
  EXPECT_EQ(Edges(r), (E{0, 0, 0, 0}));
  r.EnclosePoint(QVPoint(-2, 9));
  EXPECT_EQ(Edges(r), (E{-2, 0, 0, 9}));
}

TEST(QVRect, OtherRectanglesAndPointsAreReadThroughTheirAccessors)
{
  const CentredRect centred;
  QVRect copy(centred);
  EXPECT_EQ(Edges(copy), (E{90, 40, 110, 60}));
  QVRect r;
  r = centred;
  EXPECT_EQ(r.IsSame(centred), 1);
  EXPECT_TRUE(QVRect(0, 0, 200, 200).RectInRect(centred));
  EXPECT_TRUE(QVRect(100, 50, 120, 70).RectIntersectsRect(centred));
  r.SetLTRB(0, 0, 10, 10);
  r.FitInRect(centred);
  EXPECT_EQ(Edges(r), (E{90, 40, 100, 50}));
  r.SetLTRB(100, 100, 100, 100);
  r.Expand(centred, 1);
  EXPECT_EQ(Edges(r), (E{89, 39, 111, 100}));
  r.SetLTRB(0, 0, 5, 5);
  EXPECT_FALSE(r.PtInRect(ComputedPoint()));
  r.EnclosePoint(ComputedPoint());
  EXPECT_EQ(Edges(r), (E{0, 0, 7, 9}));
  const QVPoint plain(7, 9);
  ComputedPoint computed;
  EXPECT_TRUE(plain.EqualsPt(&computed));

  QVRect& same = r;
  r = same; // self-assignment changes nothing
  EXPECT_EQ(Edges(r), (E{0, 0, 7, 9}));
}

TEST(QVRect, EdgeArithmeticWrapsAtTheLimits)
{
  QVRect r(INT32_MAX - 1, INT32_MIN, INT32_MAX, INT32_MIN + 1);
  r.Offset(2, -1);
  EXPECT_EQ(Edges(r), (E{INT32_MIN, INT32_MAX, INT32_MIN + 1, INT32_MIN}));
  EXPECT_EQ(QVRect(INT32_MIN, 0, INT32_MAX, 0).Width(), -1);
  QVRect huge(0, 0, INT32_MAX, 1);
  huge.Scale(4.0, 1e300);
  EXPECT_EQ(Edges(huge), (E{0, 0, INT32_MAX, INT32_MAX})) << "scaling saturates";
}

TEST(QVColor, MeasuresWithTiesAndGreys)
{
  const struct {
    unsigned char r, g, b;
    int32_t hue, saturation, intensity;
  } cases[] = {
      {255, 0, 0, 240, 255, 85},
      {0, 255, 0, 0, 255, 85},
      {0, 0, 255, 120, 255, 85},
      {7, 7, 7, 0, 0, 7},
      {255, 255, 255, 0, 0, 255},
      // 240 + 120 x 128 / (255 + 128) = 240 + 40
      {255, 128, 0, 280, 255, 127},
      // Red and blue tie for least: the red case comes first, giving 0, not 360.
      {10, 50, 10, 0, 40, 23},
      // Green and blue tie: the green case, 120 + 120 x 40 / 40.
      {50, 10, 10, 240, 40, 23},
      {10, 10, 50, 120, 40, 23},
  };
  for (const auto& c : cases) {
    const QVColor colour(c.r, c.g, c.b);
    EXPECT_EQ(colour.GetHue(), c.hue) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    EXPECT_EQ(colour.GetSaturation(), c.saturation);
    EXPECT_EQ(colour.GetIntensity(), c.intensity);
  }
}

TEST(QVColor, PacksAsColorref)
{
  QVColor c(int32_t(0x7F123456));
  EXPECT_EQ(c.R(), 0x56);
  EXPECT_EQ(c.G(), 0x34);
  EXPECT_EQ(c.B(), 0x12);
  EXPECT_EQ(c.GetRGB(), 0x00123456) << "the top byte is dropped";
  c.SetRGB(1, 2, 3);
  EXPECT_EQ(c.GetRGB(), 0x030201);
  c.SetRGB(int32_t(0xFFFFFFFF));
  EXPECT_EQ(c.GetRGB(), 0xFFFFFF);
  const QVColor copy(c);
  EXPECT_EQ(copy.GetRGB(), 0xFFFFFF);
}
