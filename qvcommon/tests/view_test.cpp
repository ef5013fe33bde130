// QVVirtualImage and QVViewImage: every rendering path against a slow
// per-pixel reference, the view-base mappings, and the view's drawing.
#include "qvcommon/qvcolormatrix.h"
#include "qvcommon/qvviewimage.h"
#include "qvcommon/qvvirtualimage.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

uint8_t* At(const QVImage& image, int32_t x, int32_t y) { return image.pixels + y * image.rowBytes + x * image.bytesPerPixel; }

// A base of random colour pixels; 61 columns leave 1 padding byte per row.
struct Base {
  explicit Base(int32_t width = 61, int32_t height = 47) : image(width, height, 3, nullptr), virt(&image)
  {
    std::mt19937 rng(7);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t i = 0; i < width * 3; ++i)
        image.pixels[y * image.rowBytes + i] = static_cast<uint8_t>(rng());
  }
  QVImage image;
  QVVirtualImage virt;
};

// Every byte of the view equals expected(x, y, channel).
void ExpectView(const QVImage& view, const std::function<int(int32_t, int32_t, int32_t)>& expected)
{
  ASSERT_TRUE(view.HasPixels());
  for (int32_t y = 0; y < view.height; ++y)
    for (int32_t x = 0; x < view.width; ++x)
      for (int32_t c = 0; c < view.bytesPerPixel; ++c)
        ASSERT_EQ(At(view, x, y)[c], expected(x, y, c)) << x << "," << y << " channel " << c;
}

// The mean of the n x n base block at (x, y), or 192 when any of it lies
// outside the base.
int Block(const QVImage& base, int64_t x, int64_t y, int32_t n, int32_t c)
{
  if (x < 0 || y < 0 || x + n > base.width || y + n > base.height)
    return 192;
  int sum = 0;
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = 0; j < n; ++j)
      sum += At(base, static_cast<int32_t>(x + j), static_cast<int32_t>(y + i))[c];
  return sum / (n * n);
}

TEST(QVViewImage, ZoomInRepeatsEachBasePixel)
{
  // T scales by 1/zoom: view pixel (x, y) shows base (sx + x / z, sy + y / z).
  Base base;
  for (int32_t z : {2, 4, 8})
    for (auto [sx, sy] : {std::pair{0, 0}, std::pair{3, 5}}) {
      QVViewImage view(50, 37, z, sx, sy, &base.virt);
      EXPECT_TRUE(view.ready);
      ExpectView(view, [&](int32_t x, int32_t y, int32_t c) { return At(base.image, sx + x / z, sy + y / z)[c]; });
    }
}

TEST(QVViewImage, ZoomOutAveragesBlocks)
{
  // T scales by p = 1/zoom: view pixel (x, y) is the mean of the p x p base
  // block at (sx + p x, sy + p y) - 8 x 8 blocks (sum / 64) at 0.125.
  Base base(130, 70);
  for (int32_t p : {2, 4, 8})
    for (auto [sx, sy] : {std::pair{0, 0}, std::pair{1, 3}}) {
      QVViewImage view((130 - sx) / p, (70 - sy) / p, 1.0 / p, sx, sy, &base.virt);
      EXPECT_TRUE(view.ready);
      ExpectView(view, [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, sx + p * x, sy + p * y, p, c); });
    }
}

TEST(QVViewImage, ViewsReachingPastTheBaseAreResampledWithFill)
{
  // A 50 x 50 view at zoom 0.5 and shift (1, 1) over a 100 x 100 base: its
  // last blocks would start at 99 and read past the base, so the resampler
  // runs (box 2) and those pixels get 192. A box ending exactly on the last
  // base column or row (start 98) is still sampled.
  Base base(100, 100);
  QVViewImage out(50, 50, 0.5, 1, 1, &base.virt);
  EXPECT_TRUE(out.ready);
  ExpectView(out, [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, 1 + 2 * x, 1 + 2 * y, 2, c); });
  QVViewImage edge(51, 51, 0.5, 0, 0, &base.virt);
  ExpectView(edge, [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, 2 * x, 2 * y, 2, c); });
  // A virtual image shifted by half a pixel: T's e of -0.5 truncates to 0
  // like 0.5 would, so the exact copy could read one column past the base;
  // the resampler (starting at the truncated 0) fills that column instead.
  base.virt.forward.SetShift(0.5, 0.5);
  QVViewImage half(101, 101, 1, 0, 0, &base.virt);
  ExpectView(half, [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, x, y, 1, c); });
  base.virt.forward.Clear();
  // Zoomed in and scrolled past the left and bottom: base pixels where the
  // view is over the base, 192 elsewhere.
  QVViewImage in(40, 40, 2, -3, 85, &base.virt);
  ExpectView(in, [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, -3 + x / 2, 85 + y / 2, 1, c); });
}

// The resampler's definition: 16.16 steps from T, box s by the largest
// step, positions from the truncated origin.
int Resampled(const QVImage& base, const QV2DTransform& T, int32_t x, int32_t y, int32_t c)
{
  const int64_t ux = static_cast<int64_t>(T.a * 65536), uy = static_cast<int64_t>(T.b * 65536);
  const int64_t vx = static_cast<int64_t>(T.c * 65536), vy = static_cast<int64_t>(T.d * 65536);
  const int64_t k = std::max({std::abs(ux), std::abs(uy), std::abs(vx), std::abs(vy)}) >> 16;
  const int32_t s = k < 2 ? 1 : (k < 4 ? 2 : 4);
  const int64_t X = static_cast<int64_t>(T.e) * 65536 + x * ux + y * vx;
  const int64_t Y = static_cast<int64_t>(T.f) * 65536 + x * uy + y * vy;
  return Block(base, X >> 16, Y >> 16, s, c);
}

TEST(QVViewImage, GeneralZoomsAndRotationsAreResampled)
{
  Base base(120, 90);
  // Zoom 0.3: steps of 3.33 base pixels (k 3), box 2.
  for (auto [sx, sy] : {std::pair{0, 0}, std::pair{5, -7}}) {
    QVViewImage view(40, 30, 0.3, sx, sy, &base.virt);
    EXPECT_TRUE(view.ready);
    ExpectView(view, [&](int32_t x, int32_t y, int32_t c) { return Resampled(base.image, view.viewToBase, x, y, c); });
  }
  // A rotated virtual image: T = view scale and shift, then the inverse
  // rotation; some of the view falls outside the base.
  base.virt.forward.SetRotation(30);
  QVViewImage turned(60, 60, 0.7, 20, -10, &base.virt);
  ExpectView(turned, [&](int32_t x, int32_t y, int32_t c) { return Resampled(base.image, turned.viewToBase, x, y, c); });
  EXPECT_NE(turned.viewToBase.b, 0);
}

TEST(QVViewImage, MappingsRoundTrip)
{
  Base base;
  QVViewImage in(20, 20, 4, 7, 3, &base.virt);
  QVViewImage out(20, 20, 0.25, 7, 3, &base.virt);
  for (int32_t k = 0; k < 20; ++k) {
    // Zoomed in, every base point survives base -> view -> base; zoomed
    // out, every view point survives view -> base -> view.
    QVPoint b(7 + k, 3 + 2 * k), v(k, 19 - k);
    in.ImagePtToViewPt(&b);
    EXPECT_EQ(b.X(), 4 * k);
    in.ViewPtToImagePt(&b);
    EXPECT_EQ(b.X(), 7 + k);
    EXPECT_EQ(b.Y(), 3 + 2 * k);
    out.ViewPtToImagePt(&v);
    EXPECT_EQ(v.X(), 7 + 4 * k);
    out.ImagePtToViewPt(&v);
    EXPECT_EQ(v.X(), k);
    EXPECT_EQ(v.Y(), 19 - k);
  }
  QVRect r(1, 2, 5, 6);
  in.ViewRectToImageRect(&r);
  EXPECT_TRUE(r.IsSame(QVRect(7, 3, 8, 4))); // corners mapped separately, truncated
  in.ImageRectToViewRect(&r);
  EXPECT_TRUE(r.IsSame(QVRect(0, 0, 4, 4)));
}

TEST(QVViewImage, VisibilityAndCropping)
{
  QVViewImage view(10, 8, 3, nullptr);
  const QVRect touching(10, 0, 20, 8), beyond(11, 0, 20, 8), above(0, -5, 10, -1), onTop(0, -5, 10, 0);
  EXPECT_EQ(view.IsVisible(&touching), 1); // left = width still counts
  EXPECT_EQ(view.IsVisible(&beyond), 0);
  EXPECT_EQ(view.IsVisible(&above), 0);
  EXPECT_EQ(view.IsVisible(&onTop), 1);
  QVRect r(-3, -4, 30, 40);
  view.CropRect2(&r);
  EXPECT_TRUE(r.IsSame(QVRect(0, 0, 10, 8)));
  view.WritePixel(10, 0, 9); // outside: nothing
  view.WritePixel(9, 7, 9);
  EXPECT_EQ(At(view, 9, 7)[2], 9);
}

TEST(QVViewImage, EffectsFollowTheVirtualImageScaledByZoom)
{
  // One effect at a time: the view equals a plain view with that effect
  // applied, grain and blur scaled by the zoom (0.5: 10 -> 5, 6 -> 3).
  Base base;
  const QVViewImage plain(30, 20, 0.5, 0, 0, &base.virt);
  struct Effect {
    int32_t QVVirtualImage::*setting;
    int32_t amount;
    std::function<void(QVImage&)> apply;
  };
  const Effect effects[] = {{&QVVirtualImage::grain, 10, [](QVImage& i) { i.ImageGrain(5, 100, 100); }},
                            {&QVVirtualImage::saturation, 40, [](QVImage& i) { i.ImageSaturate(40); }},
                            {&QVVirtualImage::hue, 40, [](QVImage& i) { i.ImageHueAdjust(40); }},
                            {&QVVirtualImage::blur, 6, [](QVImage& i) { i.Blur(3); }},
                            {&QVVirtualImage::brightness, 40, [](QVImage& i) { i.ImageBrightness(40); }}};
  for (const Effect& effect : effects) {
    base.virt.*effect.setting = effect.amount;
    QVViewImage view(30, 20, 0.5, 0, 0, &base.virt);
    base.virt.*effect.setting = 0;
    QVImage expected(&plain);
    effect.apply(expected);
    EXPECT_EQ(std::vector<uint8_t>(view.pixels, view.pixels + view.rowBytes * 20),
              std::vector<uint8_t>(expected.pixels, expected.pixels + expected.rowBytes * 20));
  }
}

TEST(QVViewImage, FailuresLeaveNoPixels)
{
  Base base;
  const long blocks = standin::LiveBlocks();
  standin::FailAllocations(0, 1);
  QVViewImage failed(20, 20, 2, 0, 0, &base.virt);
  standin::ResetAllocationFaults();
  EXPECT_TRUE(failed.error);
  EXPECT_FALSE(failed.HasPixels() || failed.ready || failed.rendered);
  EXPECT_EQ(standin::LiveBlocks(), blocks);
  QVVirtualImage nothing(nullptr);
  QVViewImage empty(20, 20, 1, 0, 0, &nothing);
  EXPECT_TRUE(empty.error);
  const QVViewImage copy(&empty);
  EXPECT_TRUE(copy.error);
  // A copy of a rendered view has its own pixels and the same recipe.
  QVViewImage view(20, 20, 1, 0, 0, &base.virt);
  view.SetRunThrough(1);
  const QVViewImage twin(&view);
  EXPECT_NE(twin.pixels, view.pixels);
  EXPECT_EQ(twin.virtualImage, &base.virt);
  EXPECT_EQ(twin.IsRunThrough(), 0);
  EXPECT_EQ(std::vector<uint8_t>(twin.pixels, twin.pixels + 20 * twin.rowBytes),
            std::vector<uint8_t>(view.pixels, view.pixels + 20 * view.rowBytes));
}

TEST(QVViewImage, MergePatternModes)
{
  QVViewImage mask(20, 12, 1, nullptr); // all 0: paint at full opacity
  const QVColor blue(0, 0, 255);
  auto merged = [&](int32_t mode, int32_t opacity, const QVRect& rect, const QVColor* colour = nullptr) {
    auto view = std::make_unique<QVViewImage>(24, 16, 3, &blue);
    view->MergePattern(&mask, mode, opacity, colour, rect);
    return view;
  };
  // Mode 0 at opacity 255: the 8 x 8 checkerboard, white where (x/8 + y/8)
  // is even; cut to the mask (20 x 12), outside untouched.
  auto checker = merged(0, 255, QVRect(-5, -5, 100, 100));
  ExpectView(*checker, [&](int32_t x, int32_t y, int32_t c) {
    if (x >= 20 || y >= 12)
      return c == 0 ? 255 : 0;
    return (x / 8 + y / 8) % 2 == 0 ? 255 : 192;
  });
  // Mask 100 at opacity 200 mixes black in by 100: 255 * 155 / 255 = 155.
  mask.Fill(100);
  EXPECT_EQ(At(*merged(3, 200, QVRect(0, 0, 4, 4)), 1, 1)[0], 155);
  // Mode 1 needs a colour; 5 and 6 paint nothing; 7 needs equal depths.
  for (int32_t mode : {1, 5, 6, 7, 8, -1})
    EXPECT_EQ(At(*merged(mode, 255, QVRect(0, 0, 4, 4)), 1, 1)[0], 255) << mode;
  // Green mixed in by 255 - 100: 0 + 255 * 155 / 255 = 155.
  const QVColor green(0, 255, 0);
  EXPECT_EQ(At(*merged(1, 255, QVRect(0, 0, 4, 4), &green), 1, 1)[1], 155);
}

TEST(QVViewImage, DropShadowDarkensTheOffsetOverlap)
{
  // A 20 x 16 shadow of 255 (grained to 243..255), strength 256: darkened
  // bytes become (65536 - s * 256) * 200 >> 16 = (256 - s) * 200 / 256,
  // at most 10; bytes outside the overlap stay 200.
  const QVColor grey(200, 200, 200), white(255, 255, 255);
  for (auto [dx, dy] : {std::pair{5, 3}, std::pair{-5, 3}, std::pair{5, -3}, std::pair{-5, -3}}) {
    QVViewImage view(20, 16, 3, &grey), shadow(20, 16, 3, &white);
    view.DropShadow(&shadow, 0, 256, dx, dy);
    EXPECT_EQ(shadow.bytesPerPixel, 1); // made grey first
    ExpectView(view, [&](int32_t x, int32_t y, int32_t c) {
      const bool over = x >= std::max(dx, 0) && x < 20 + std::min(dx, 0) && y >= std::max(dy, 0) &&
                        y < 16 + std::min(dy, 0);
      const int v = At(view, x, y)[c];
      return over ? (v <= 10 ? v : -1) : 200;
    });
  }
  // A shadow larger than the view is cut to the view.
  QVViewImage view(10, 10, 1, &grey), big(40, 40, 1, &white);
  view.DropShadow(&big, 2, 256, 4, 4);
  EXPECT_EQ(At(view, 3, 3)[0], 200);
  EXPECT_LE(At(view, 9, 9)[0], 10);
}

TEST(QVViewImage, CubeWritesLookUpTheSourceUnderEachViewPixel)
{
  // Zoom 2: view pixel (x, y) looks at source (x / 2, y / 2). The source is
  // black except the red pixel (1, 0), whose cube cell holds 7.
  QVImage source(4, 4, 3, nullptr);
  At(source, 1, 0)[2] = 255;
  QVVirtualImage v(&source);
  QVViewImage view(12, 12, 2, 0, 0, &v);
  QVColorMatrix cube(3, 0, 255, 32, 0, 255, 32, 0, 255, 32);
  const unsigned char seven = 7;
  cube.InsertSample(QVColor(255, 0, 0), &seven, 0, 0);
  QVRect all(-4, -4, 40, 40); // clipped to the view; pixels over no source skipped
  view.WriteRect(all, 99, &cube, 7, &source);
  EXPECT_EQ(At(view, 2, 1)[0], 99);
  EXPECT_EQ(At(view, 1, 1)[0], 0);
  view.WriteRect2(all, &cube, &source);
  EXPECT_EQ(At(view, 3, 0)[1], 7);
  EXPECT_EQ(At(view, 0, 0)[1], 3); // every other cell holds the fill
  EXPECT_EQ(At(view, 10, 10)[1], 192); // over source (5, 5): the fill, untouched
}

} // namespace
