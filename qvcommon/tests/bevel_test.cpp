// QVBevel: the distance table, range limits, height profiles, highlights,
// the colour-following heights and the ring angle.
#include "qvcommon/qvbevel.h"
#include "qvcommon/qvviewimage.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Row(const QVImage& image, int32_t y)
{
  return Bytes(image.pixels + y * image.rowBytes, image.pixels + y * image.rowBytes + image.width);
}

// A 16 x 16 selection with 255 in [from, to) on both axes.
struct Scene {
  explicit Scene(int32_t from, int32_t to) : selection(16, 16, 1, nullptr)
  {
    selection.WriteRect(QVRect(from, from, to, to), 255);
    heights = std::make_unique<QVViewImage>(&selection);
  }
  QVViewImage selection;
  std::unique_ptr<QVViewImage> heights;
};

TEST(QVBevel, HeightsRiseFromTheEdgeWithinTheRange)
{
  // Inside a 10-wide square the edge samples sit just outside it; a sample d
  // from them gets d * (0xFE00 / r) >> 8: for r 4, 63.5 d.
  Scene scene(3, 13);
  QVBevel bevel(nullptr, &scene.selection, scene.heights.get());
  bevel.SetRange(4);
  bevel.CalcBevelPixelHeights(1);
  EXPECT_EQ(Row(*scene.heights, 7), (Bytes{0, 0, 0, 63, 127, 190, 254, 255, 255, 254, 190, 127, 63, 0, 0, 0}));
  // Range 0 counts as 1 (one step to 254), 500 as 127 (2 per pixel).
  for (auto [range, expected] :
       std::vector<std::pair<int32_t, Bytes>>{{0, {0, 0, 0, 254, 255, 255, 255, 255, 255, 255, 255, 255, 254, 0, 0, 0}},
                                              {500, {0, 0, 0, 2, 4, 6, 8, 10, 10, 8, 6, 4, 2, 0, 0, 0}}}) {
    Scene s(3, 13);
    QVBevel b(nullptr, &s.selection, s.heights.get());
    b.SetRange(range);
    b.CalcBevelPixelHeights(1);
    EXPECT_EQ(Row(*s.heights, 7), expected) << range;
  }
  // Outside: the selection's own edge holds 255, and the heights fall away:
  // 254 - (d * 21674 >> 8) for r 3 gives 170, 85, 1; 0 beyond.
  Scene outside(5, 11);
  QVBevel out(nullptr, &outside.selection, outside.heights.get());
  out.SetRange(3);
  out.CalcBevelPixelHeights(0);
  EXPECT_EQ(Row(*outside.heights, 7), (Bytes{0, 0, 1, 85, 170, 255, 255, 255, 255, 255, 255, 170, 85, 1, 0, 0}));
}

TEST(QVBevel, HighlightsFollowTheSlopeAlongTheLight)
{
  const long blocks = standin::LiveBlocks();
  {
    Scene scene(3, 13);
    QVBevel bevel(nullptr, &scene.selection, scene.heights.get());
    bevel.SetRange(4);
    bevel.CalcBevelPixelHeights(1);
    bevel.CalcBevelHighlights();
    bevel.CalcBevelHighlights(); // the first pair is released, not leaked
    ASSERT_NE(bevel.highlights, nullptr);
    // The light vector (cos 135, -sin 135) points up and left: heights rise
    // along it on the bottom-right slopes (highlight) and fall on the
    // top-left ones (shadow). Flat samples get neither.
    for (int32_t d = 0; d < 3; ++d) {
      EXPECT_GT(Row(*bevel.highlights, 12 - d)[12 - d], 0) << d;
      EXPECT_EQ(Row(*bevel.shadows, 12 - d)[12 - d], 0) << d;
      EXPECT_GT(Row(*bevel.shadows, 3 + d)[3 + d], 0) << d;
      EXPECT_EQ(Row(*bevel.highlights, 3 + d)[3 + d], 0) << d;
    }
    EXPECT_EQ(Row(*bevel.highlights, 7)[7] + Row(*bevel.shadows, 7)[7] + Row(*bevel.shadows, 0)[0], 0);

    bevel.EnsureSomeHighlight();
    for (int32_t y = 0; y < 16; ++y)
      for (int32_t x = 0; x < 16; ++x) {
        const uint8_t h = Row(*scene.heights, y)[x];
        EXPECT_TRUE(h == 0 || h == 255 || Row(*bevel.highlights, y)[x] > 0) << x << "," << y;
      }
  }
  EXPECT_EQ(standin::LiveBlocks(), blocks);
}

TEST(QVBevel, ColourDeviationAddsColourDistanceToTheCost)
{
  // Edge samples have selection 0, so e = 1; a sample d from an edge of
  // the same colour costs 1 + d * 100 / 4: 26, 51, 76. One pixel 30 away
  // in colour costs 30 more from its nearest edge (d 2): 81.
  Scene scene(5, 11);
  const QVColor colour(30, 20, 10);
  QVViewImage picture(16, 16, 3, &colour);
  picture.pixels[7 * picture.rowBytes + 6 * 3] += 30;
  QVBevel bevel(&picture, &scene.selection, scene.heights.get());
  bevel.SetRange(4);
  bevel.CalcBevelColorDeviation(0, 255, 0);
  EXPECT_EQ(Row(*scene.heights, 7), (Bytes{0, 0, 0, 0, 0, 26, 81, 76, 76, 51, 26, 0, 0, 0, 0, 0}));
  // Offset 10 lowers every cost; limit 60 leaves the dearer samples at 255.
  bevel.CalcBevelColorDeviation(0, 60, 10);
  EXPECT_EQ(Row(*scene.heights, 7), (Bytes{0, 0, 0, 0, 0, 16, 255, 255, 255, 41, 16, 0, 0, 0, 0, 0}));
}

TEST(QVBevel, MismatchedImagesAreLeftAlone)
{
  Scene scene(3, 13);
  QVViewImage colour(16, 16, 3, nullptr), small(8, 8, 1, nullptr);
  const Bytes before = Row(*scene.heights, 7);
  for (QVViewImage* heights : {&colour, &small}) {
    QVBevel bevel(&colour, &scene.selection, heights);
    bevel.CalcBevelPixelHeights(1);
    bevel.CalcBevelHighlights();
    EXPECT_EQ(bevel.highlights, nullptr);
    EXPECT_EQ(Row(*heights, 4), Bytes(static_cast<size_t>(heights->width), 0));
  }
  // The colour-following heights need a 3-byte picture of the same size.
  QVBevel bevel(&small, &scene.selection, scene.heights.get());
  bevel.CalcBevelColorDeviation(0, 255, 0);
  EXPECT_EQ(Row(*scene.heights, 7), before);
}

TEST(QVBevel, ConstructionTablesAndRingAngles)
{
  QVViewImage image(1, 1, 1, nullptr);
  const QVBevel bevel(&image, &image, &image);
  EXPECT_EQ(bevel.lightAngle, 135);
  EXPECT_DOUBLE_EQ(bevel.lightX, std::cos(2.3561925));
  EXPECT_DOUBLE_EQ(bevel.lightY, -std::sin(2.3561925));
  EXPECT_EQ(bevel.distance[3][4], 5);
  EXPECT_EQ(bevel.distance[127][127], 179); // 179.6

  // Centre (15, 15). With 6.28318 for a turn the angles come out a hair
  // large, so those reached through negative atan2 values (above the
  // centre) truncate one lower: -90.00008 + 360 -> 269.
  const QVRect ring(10, 10, 30, 30);
  const std::vector<std::pair<QVPoint, int32_t>> cases = {
      {QVPoint(20, 15), 0},   {QVPoint(20, 20), 45},  {QVPoint(15, 20), 90},  {QVPoint(10, 20), 135},
      {QVPoint(10, 15), 180}, {QVPoint(10, 10), 224}, {QVPoint(15, 10), 269}, {QVPoint(20, 10), 314}};
  for (const auto& [point, angle] : cases)
    EXPECT_EQ(bevel.GetMouseRingAngle(point, ring, 5, 5), angle) << point.X() << "," << point.Y();
}

} // namespace
