// QVStroke: the brush mask, stamp positions in every form, the point
// limit, lassos and drawing into devices.
#include "qvcommon/qvcolormatrix.h"
#include "qvcommon/qvdevice.h"
#include "qvcommon/qvgrid.h"
#include "qvcommon/qvstroke.h"
#include "qvcommon/qvviewimage.h"
#include "qvcommon/qvvirtualimage.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

namespace {

using Pixels = std::set<std::pair<int32_t, int32_t>>;

uint8_t* At(const QVImage& image, int32_t x, int32_t y)
{
  return image.pixels + y * image.rowBytes + x * image.bytesPerPixel;
}

std::unique_ptr<QVStroke> Stroke(int32_t radius, int32_t edge, std::initializer_list<QVPoint> points)
{
  auto stroke = std::make_unique<QVStroke>(0, radius, edge);
  for (const QVPoint& p : points)
    stroke->AddPoint(p);
  return stroke;
}

// The pixels of a view with a byte other than `background`.
Pixels Changed(const QVImage& view, int background)
{
  Pixels changed;
  for (int32_t y = 0; y < view.height; ++y)
    for (int32_t x = 0; x < view.width; ++x)
      for (int32_t c = 0; c < view.bytesPerPixel; ++c)
        if (At(view, x, y)[c] != background)
          changed.insert({x, y});
  return changed;
}

// A plain 1:1 view over a grey base.
struct Scene {
  Scene() : base(40, 30, 3, nullptr), virt(&base), view(40, 30, 1, 0, 0, &virt) {}
  QVImage base;
  QVVirtualImage virt;
  QVViewImage view;
};

TEST(QVStroke, BrushMask)
{
  // Edge 0: a hard disc, side 2 r, inside where dx^2 + dy^2 < r^2 about
  // (r, r).
  const QVStroke hard(0, 4, 0);
  ASSERT_EQ(hard.mask->width, 8);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x)
      EXPECT_EQ(*At(*hard.mask, x, y), (x - 4) * (x - 4) + (y - 4) * (y - 4) < 16 ? 255 : 0) << x << "," << y;
  // Edge 2: side 16, a disc of radius 6 about (8, 8) blurred by 2: solid
  // at the centre, grey levels toward its rim, nothing in the corners.
  const QVStroke soft(0, 6, 2);
  ASSERT_EQ(soft.mask->width, 16);
  EXPECT_TRUE(*At(*soft.mask, 8, 8) == 255 && *At(*soft.mask, 0, 0) == 0);
  EXPECT_TRUE(*At(*soft.mask, 13, 8) > 0 && *At(*soft.mask, 13, 8) < 255);
  EXPECT_EQ(QVStroke(0, 2, -2).mask, nullptr); // no brush at all
}

TEST(QVStroke, PointLimit)
{
  QVStroke stroke(7, 1, 0);
  for (int32_t n = 0; n < 300; ++n)
    ASSERT_EQ(stroke.AddPoint(QVPoint(n, n)), 1);
  EXPECT_EQ(stroke.AddPoint(QVPoint(0, 0)), 0);
  EXPECT_EQ(stroke.GetNumPoints(), 300);
  EXPECT_TRUE(stroke.GetPoint(299)->X() == 299 && !stroke.GetPoint(300) && !stroke.GetPoint(-1));
}

TEST(QVStroke, ColourStampsAlongEachSegment)
{
  // Radius 1, edge 0: the 2 x 2 mask is set only at (1, 1), so each stamp
  // paints just its centre, in the colour (m 255: ((b * 0) >> 8) + ((c *
  // 256) >> 8) = c). Point 0 stamps itself; (5, 5) -> (15, 5) stamps 6..14
  // and the end; the diagonal to (11, 13) (d 10, step (0.6, 0.8)) stamps
  // (5 + trunc(0.6 i), 5 + trunc(0.8 i)) for i 1..9 and the end.
  Scene scene;
  const QVColor red(255, 0, 0);
  auto stroke = Stroke(1, 0, {QVPoint(5, 5), QVPoint(15, 5), QVPoint(15, 5), QVPoint(5, 5), QVPoint(11, 13)});
  stroke->RenderIntoViewImage(&scene.view, red, QVRect(0, 0, 40, 30));
  Pixels expected;
  for (int32_t x = 5; x <= 15; ++x)
    expected.insert({x, 5});
  for (int32_t i = 1; i <= 10; ++i)
    expected.insert({5 + static_cast<int32_t>(0.6 * i), 5 + static_cast<int32_t>(0.8 * i)});
  EXPECT_EQ(Changed(scene.view, 0), expected);
  EXPECT_EQ(At(scene.view, 10, 5)[2], 255);
  // Points outside the view rectangle widened by 10 are not rendered.
  Scene other;
  stroke->RenderIntoViewImage(&other.view, red, QVRect(30, 20, 40, 30));
  EXPECT_TRUE(Changed(other.view, 0).empty());
}

TEST(QVStroke, SelectionStampsOnlyClickAtThePoint)
{
  // The cube claims every colour (fill 0), the view starts unchosen (255).
  // Painting writes 255 - m = 0 at each stamp: point 0 (a click) and the
  // interior 6..14 of the next segment, but not its end (15, 5).
  Scene scene;
  scene.view.Fill(255);
  QVColorMatrix cube(0, 0, 255, 8, 0, 255, 8, 0, 255, 8);
  auto stroke = Stroke(1, 0, {QVPoint(5, 5), QVPoint(15, 5)});
  stroke->RenderIntoViewImage(&scene.view, 0, &cube, &scene.base);
  Pixels expected;
  for (int32_t x = 5; x < 15; ++x)
    expected.insert({x, 5});
  EXPECT_EQ(Changed(scene.view, 255), expected);
  // Erasing raises them again to m = 255.
  stroke->RenderIntoViewImage(&scene.view, 1, &cube, &scene.base);
  EXPECT_TRUE(Changed(scene.view, 255).empty());
}

TEST(QVStroke, GridStampsEveryThirdPixel)
{
  // Radius 3, edge 0: a grid stamp visits the square's pixels (c - 3, c) on
  // each axis and reads the mask from its corner: only (3, 3) is set, so it
  // sets pixel c. Two points 10 apart stamp at 3, 6 and 9 along, then at
  // the second point; each stamp replaces its word, in this order.
  auto stroke = Stroke(3, 0, {QVPoint(2, 4), QVPoint(12, 4), QVPoint(0, 0)});
  QVGrid grid(24, 16), expected(24, 16);
  stroke->RenderIntoGrid(&grid, 0);
  for (auto [x, y] : {std::pair{2, 4}, std::pair{5, 4}, std::pair{8, 4}, std::pair{11, 4}, std::pair{12, 4},
                      std::pair{9, 3}, std::pair{6, 2}, std::pair{3, 1}, std::pair{0, 0}})
    expected.SetFromBrush(x, y);
  EXPECT_EQ(0, std::memcmp(grid.words, expected.words, 3 * 2 * 4 * 2));
  // Coincident points: no interior stamps, the one at the point.
  auto twice = Stroke(3, 0, {QVPoint(20, 10), QVPoint(20, 10)});
  QVGrid single(24, 16);
  twice->RenderIntoGrid(&single, 0);
  EXPECT_EQ(single.Get(2, 1), 0x08 << 16);
}

TEST(QVStroke, CubeStampsSampleTheImageUnderTheMask)
{
  // Pixel (x, y) has colour (8x, 8y, 0): cube cell (x, y, 0) at step 8.
  // Interior stamps of radius 3 sample their centres only (every third
  // pixel from the corner meets the mask at (3, 3)); end stamps sample the
  // whole disc |dx|, |dy| < 3, dx^2 + dy^2 < 9 about the point.
  QVImage image(30, 30, 3, nullptr);
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t x = 0; x < 30; ++x)
      At(image, x, y)[2] = static_cast<uint8_t>(8 * x), At(image, x, y)[1] = static_cast<uint8_t>(8 * y);
  QVColorMatrix cube(128, 0, 255, 8, 0, 255, 8, 0, 255, 8);
  auto stroke = Stroke(3, 0, {QVPoint(10, 10), QVPoint(20, 10)});
  stroke->RenderIntoColorMatrix(&image, &cube, 40, 0);
  Pixels expected, sampled;
  for (int32_t x = 11; x < 20; ++x)
    expected.insert({x, 10});
  for (int32_t i = 0; i < 25; ++i) {
    const int32_t dx = i % 5 - 2, dy = i / 5 - 2;
    if (dx * dx + dy * dy < 9)
      expected.insert({10 + dx, 10 + dy}), expected.insert({20 + dx, 10 + dy});
  }
  for (int32_t i = 0; i < 30 * 30; ++i) {
    unsigned char e = 0;
    if (cube.GetEntry(&e, 8 * (i % 30), 8 * (i / 30), 0) && e == 40)
      sampled.insert({i % 30, i / 30});
  }
  EXPECT_EQ(sampled, expected);
}

TEST(QVStroke, LassoFillsThePolygonInViewCoordinates)
{
  // Zoom 2: the base square (5, 5)..(15, 12) covers view (10, 10)..(30, 24).
  QVImage base(40, 30, 1, nullptr);
  QVVirtualImage v(&base);
  QVViewImage view(80, 60, 2, 0, 0, &v);
  Stroke(1, 0, {QVPoint(5, 5), QVPoint(15, 5), QVPoint(15, 12), QVPoint(5, 12)})->RenderLassoIntoViewImage(&view, 9);
  EXPECT_EQ(At(view, 20, 17)[0], 9);
  for (auto [x, y] : Changed(view, 0))
    EXPECT_TRUE(x >= 10 && x <= 30 && y >= 10 && y <= 24) << x << "," << y;
}

TEST(QVStroke, DeviceDrawingLeavesTheRestAlone)
{
  HWND window = standin::CreateSurfaceWindow(40, 30);
  auto surface = [&] {
    std::vector<COLORREF> pixels;
    for (int32_t i = 0; i < 40 * 30; ++i)
      pixels.push_back(standin::ReadPixel(window, i % 40, i / 40));
    return pixels;
  };
  {
    // Black is transparent: of a view holding anything, only the stroke
    // (5..9, 5) is drawn.
    QVDevice device(window);
    Scene scene;
    scene.view.Fill(77);
    const QVColor red(255, 0, 0);
    Stroke(1, 0, {QVPoint(5, 5), QVPoint(9, 5)})->RenderIntoDevice(&device, &red, &scene.view, QVRect(0, 0, 40, 30));
    for (int32_t x = 0; x < 12; ++x)
      EXPECT_EQ(standin::ReadPixel(window, x, 5), x >= 5 && x <= 9 ? RGB(255, 0, 0) : RGB(255, 255, 255)) << x;
    EXPECT_EQ(standin::ReadPixel(window, 7, 6), RGB(255, 255, 255));
    // The outline (edge 0: the inner square only) inverts with NOTXOR and
    // the default white brush: drawn once it shows in red, twice it is gone.
    QVStroke brush(0, 3, 0);
    const std::vector<COLORREF> before = surface();
    brush.RenderSample(&device, QVPoint(20, 15), &scene.view);
    EXPECT_EQ(standin::ReadPixel(window, 17, 15), RGB(255, 0, 0));
    EXPECT_EQ(standin::ReadPixel(window, 20, 15), RGB(255, 255, 255));
    EXPECT_EQ(standin::ReadPixel(window, 16, 15), RGB(255, 255, 255));
    brush.RenderSample(&device, QVPoint(20, 15), &scene.view);
    EXPECT_EQ(surface(), before);
  }
  standin::DestroySurfaceWindow(window);
}

} // namespace
