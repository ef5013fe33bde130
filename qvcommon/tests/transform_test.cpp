// QV2DTransform and QVBezier.
#include "qvcommon/qv2dtransform.h"
#include "qvcommon/qvbezier.h"

#include <gtest/gtest.h>

namespace {

std::pair<int32_t, int32_t> Map(const QV2DTransform& t, int32_t x, int32_t y)
{
  int32_t outX = 0, outY = 0;
  t.Transform(x, y, &outX, &outY);
  return {outX, outY};
}
using P = std::pair<int32_t, int32_t>;

void ExpectSame(const QV2DTransform& a, const QV2DTransform& b)
{
  for (auto field : {&QV2DTransform::a, &QV2DTransform::b, &QV2DTransform::c, &QV2DTransform::d, &QV2DTransform::e,
                     &QV2DTransform::f})
    EXPECT_NEAR(a.*field, b.*field, 1e-12);
}

} // namespace

TEST(QV2DTransform, SetOperationsFollowTheMappingInOrder)
{
  QV2DTransform t;
  EXPECT_EQ(Map(t, 7, -3), (P{7, -3}));
  t.SetShift(10, 20);
  EXPECT_EQ(Map(t, 7, -3), (P{17, 17}));
  // Shift then scale: (1, 1) -> (11, 21) -> (22, 42); the other order would
  // give (12, 22).
  t.SetScale(2.0, 2.0);
  EXPECT_EQ(Map(t, 1, 1), (P{22, 42}));
  t.Clear();
  t.SetScale(0.5, 0.5);
  EXPECT_EQ(Map(t, -3, 3), (P{-1, 1})) << "-1.5 truncates toward zero";
  double x, y;
  t.Transform(-3, 3, &x, &y);
  EXPECT_DOUBLE_EQ(x, -1.5);

  QVRect dst;
  t.Clear();
  t.SetScale(-1.0, 1.0);
  const QVRect src(1, 2, 5, 6);
  t.Transform(&src, &dst);
  EXPECT_EQ(dst.Left(), -1);
  EXPECT_EQ(dst.Right(), -5) << "corners are not reordered";
}

TEST(QV2DTransform, RotationUsesTheShortenedTwoPiFactor)
{
  QV2DTransform t;
  t.SetRotation(int32_t{90});
  // The angle is 90 x 6.283184 / 360 = 1.570796, 3.27e-7 short of pi / 2,
  // so (1e7, 0) maps to (3.27, -9999999.9999995): truncated (3, -9999999).
  EXPECT_EQ(Map(t, 10000000, 0), (P{3, -9999999}));
  double x, y;
  t.Transform(1, 0, &x, &y);
  EXPECT_NEAR(x, 0, 1e-6);
  EXPECT_NEAR(y, -1, 1e-6);
  EXPECT_EQ(Map(t, 1, 0), (P{0, 0})) << "0.9999999999 truncates to 0";

  // A shift rotates from its old value in both components.
  QV2DTransform shifted;
  shifted.SetShift(2.0, 0.0);
  shifted.SetRotation(3.14159265358979 / 2);
  EXPECT_NEAR(shifted.e, 0, 1e-9);
  EXPECT_NEAR(shifted.f, -2, 1e-9);
}

TEST(QV2DTransform, InverseRefusesASingularMappingAndRoundTrips)
{
  QV2DTransform flat;
  flat.SetScale(0.0, 1.0);
  const QV2DTransform before = flat;
  EXPECT_FALSE(flat.Inverse());
  ExpectSame(flat, before);

  QV2DTransform t;
  t.SetScale(2.0, 4.0);
  t.SetShift(6.0, 8.0);
  QV2DTransform inverse = t;
  ASSERT_TRUE(inverse.Inverse());
  EXPECT_DOUBLE_EQ(inverse.a, 0.5);
  EXPECT_DOUBLE_EQ(inverse.d, 0.25);
  EXPECT_DOUBLE_EQ(inverse.e, -3);
  EXPECT_DOUBLE_EQ(inverse.f, -2);

  t.SetRotation(0.7);
  inverse = t;
  ASSERT_TRUE(inverse.Inverse());
  QV2DTransform both;
  both.Concatenate(&t, &inverse, &both);
  ExpectSame(both, QV2DTransform());
}

TEST(QV2DTransform, ConcatenateAppliesFirstThenSecondEvenInPlace)
{
  QV2DTransform shift, scale, result;
  shift.SetShift(5.0, 0.0);
  scale.SetScale(2.0, 2.0);
  result.Concatenate(&shift, &scale, &result);
  EXPECT_EQ(Map(result, 0, 0), (P{10, 0}));

  QV2DTransform first, second;
  first.SetRotation(0.3);
  first.SetShift(1.0, -2.0);
  second.SetScale(3.0, 0.5);
  second.SetRotation(-1.1);
  QV2DTransform expected;
  expected.Concatenate(&first, &second, &expected);
  QV2DTransform aliasFirst = first;
  aliasFirst.Concatenate(&aliasFirst, &second, &aliasFirst);
  ExpectSame(aliasFirst, expected);
  QV2DTransform aliasSecond = second;
  aliasSecond.Concatenate(&first, &aliasSecond, &aliasSecond);
  ExpectSame(aliasSecond, expected);
}

TEST(QVBezier, EndPointsAndMidpoint)
{
  const QVBezier curve(0, 0, 0, 0, 10, 10, 10, 10);
  EXPECT_EQ(curve.GetX(0), 0);
  EXPECT_EQ(curve.GetX(1), 10);
  EXPECT_EQ(curve.GetX(0.5), 5);
  const QVBezier bent(-7, 3, 20, -40, 55, 90, 100, -9);
  EXPECT_EQ(bent.GetX(0), -7);
  EXPECT_EQ(bent.GetY(0), 3);
  EXPECT_EQ(bent.GetX(1), 100);
  EXPECT_EQ(bent.GetY(1), -9);
  const QVBezier copy = bent;
  EXPECT_EQ(copy.GetY(0.25), bent.GetY(0.25));
}
