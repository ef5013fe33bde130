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

using Bytes = std::vector<uint8_t>;
uint8_t* At(const QVImage& image, int32_t x, int32_t y)
{
  return image.pixels + y * image.rowBytes + x * image.bytesPerPixel;
}
Bytes All(const QVImage& image) { return Bytes(image.pixels, image.pixels + image.height * image.rowBytes); }

// A base of random colour pixels (odd widths leave row padding).
struct Base {
  explicit Base(int32_t width, int32_t height) : image(width, height, 3, nullptr), virt(&image)
  {
    std::mt19937 rng(7);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t i = 0; i < width * 3; ++i)
        At(image, 0, y)[i] = static_cast<uint8_t>(rng());
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

// The mean of the n x n base block at (x, y); 192 when it is not wholly
// inside the base.
int Block(const QVImage& base, int64_t x, int64_t y, int32_t n, int32_t c)
{
  if (x < 0 || y < 0 || x + n > base.width || y + n > base.height)
    return 192;
  int sum = 0;
  for (int32_t i = 0; i < n * n; ++i)
    sum += At(base, static_cast<int32_t>(x + i % n), static_cast<int32_t>(y + i / n))[c];
  return sum / (n * n);
}

// The resampler's definition, per pixel: 16.16 steps from T, box s by the
// largest step, positions from T's truncated origin.
int Resampled(const QVImage& base, const QV2DTransform& T, int32_t x, int32_t y, int32_t c)
{
  const int64_t ux = static_cast<int64_t>(T.a * 65536), uy = static_cast<int64_t>(T.b * 65536);
  const int64_t vx = static_cast<int64_t>(T.c * 65536), vy = static_cast<int64_t>(T.d * 65536);
  const int64_t k = std::max({std::abs(ux), std::abs(uy), std::abs(vx), std::abs(vy)}) >> 16;
  const int64_t X = static_cast<int64_t>(T.e) * 65536 + x * ux + y * vx;
  const int64_t Y = static_cast<int64_t>(T.f) * 65536 + x * uy + y * vy;
  return Block(base, X >> 16, Y >> 16, k < 2 ? 1 : (k < 4 ? 2 : 4), c);
}

TEST(QVViewImage, ExactZoomsRepeatOrAverageBasePixels)
{
  // Zoom z in: view (x, y) shows base (sx + x / z, sy + y / z). Zoom 1/p
  // out: the mean of the p x p block at (sx + p x, sy + p y), 8 x 8 blocks
  // (sum / 64) at 0.125.
  Base base(130, 71);
  for (auto [sx, sy] : {std::pair{0, 0}, std::pair{1, 3}})
    for (int32_t z : {2, 4, 8}) {
      ExpectView(QVViewImage(50, 37, z, sx, sy, &base.virt),
                 [&](int32_t x, int32_t y, int32_t c) { return At(base.image, sx + x / z, sy + y / z)[c]; });
      ExpectView(QVViewImage((130 - sx) / z, (71 - sy) / z, 1.0 / z, sx, sy, &base.virt),
                 [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, sx + z * x, sy + z * y, z, c); });
    }
}

TEST(QVViewImage, ViewsReachingPastTheBaseAreResampledWithFill)
{
  // 50 x 50 at zoom 0.5 and shift (1, 1) over 100 x 100: the last blocks
  // would start at 99, so the resampler runs (box 2) and gives them 192.
  Base base(100, 100);
  ExpectView(QVViewImage(50, 50, 0.5, 1, 1, &base.virt),
             [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, 1 + 2 * x, 1 + 2 * y, 2, c); });
  // A box ending exactly on the last base column and row (98..99) is sampled.
  ExpectView(QVViewImage(51, 51, 0.5, 0, 0, &base.virt),
             [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, 2 * x, 2 * y, 2, c); });
  // Zoomed in and scrolled past the left and bottom edges.
  ExpectView(QVViewImage(40, 40, 2, -3, 85, &base.virt),
             [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, -3 + x / 2, 85 + y / 2, 1, c); });
  // Shifted by half a pixel, T's e of -0.5 truncates to 0 as 0.5 would: an
  // exact copy would read column 100; the resampler fills it.
  base.virt.forward.SetShift(0.5, 0.5);
  ExpectView(QVViewImage(101, 101, 1, 0, 0, &base.virt),
             [&](int32_t x, int32_t y, int32_t c) { return Block(base.image, x, y, 1, c); });
}

TEST(QVViewImage, GeneralZoomsAndRotationsAreResampled)
{
  // Zoom 0.3 steps 3.33 base pixels (k 3): box 2. Then a rotated virtual
  // image, partly outside the base.
  Base base(120, 90);
  const QVViewImage plain(40, 30, 0.3, 5, -7, &base.virt);
  ExpectView(plain, [&](int32_t x, int32_t y, int32_t c) { return Resampled(base.image, plain.viewToBase, x, y, c); });
  base.virt.forward.SetRotation(30);
  const QVViewImage turned(60, 60, 0.7, 20, -10, &base.virt);
  ExpectView(turned,
             [&](int32_t x, int32_t y, int32_t c) { return Resampled(base.image, turned.viewToBase, x, y, c); });
  EXPECT_TRUE(plain.ready && turned.ready);
}

TEST(QVViewImage, MappingsVisibilityAndCropping)
{
  Base base(61, 47);
  QVViewImage in(20, 20, 4, 7, 3, &base.virt), out(20, 20, 0.25, 7, 3, &base.virt);
  // Zoomed in, base points survive base -> view -> base; zoomed out, view
  // points survive view -> base -> view.
  for (int32_t k = 0; k < 20; ++k) {
    QVPoint b(7 + k, 3 + 2 * k), v(k, 19 - k);
    in.ImagePtToViewPt(&b);
    out.ViewPtToImagePt(&v);
    EXPECT_TRUE(b.X() == 4 * k && v.X() == 7 + 4 * k);
    in.ViewPtToImagePt(&b);
    out.ImagePtToViewPt(&v);
    EXPECT_TRUE(b.X() == 7 + k && b.Y() == 3 + 2 * k && v.X() == k && v.Y() == 19 - k);
  }
  QVRect r(1, 2, 5, 6);
  in.ViewRectToImageRect(&r); // corners mapped separately, truncated
  EXPECT_TRUE(r.IsSame(QVRect(7, 3, 8, 4)));
  // Touching the right or top edge is visible, one beyond is not.
  const QVRect touching(20, 0, 30, 8), beyond(21, 0, 30, 8), onTop(0, -5, 10, 0), above(0, -5, 10, -1);
  EXPECT_EQ(in.IsVisible(&touching) + in.IsVisible(&onTop), 2);
  EXPECT_EQ(in.IsVisible(&beyond) + in.IsVisible(&above), 0);
  r.SetLTRB(-3, -4, 30, 40);
  in.CropRect2(&r);
  EXPECT_TRUE(r.IsSame(QVRect(0, 0, 20, 20)));
}

TEST(QVViewImage, EffectsFollowTheVirtualImageScaledByZoom)
{
  // One effect at a time: the view equals a plain view with that effect
  // applied, grain and blur scaled by the zoom (0.5: 10 -> 5, 6 -> 3).
  Base base(61, 47);
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
    const QVViewImage view(30, 20, 0.5, 0, 0, &base.virt);
    base.virt.*effect.setting = 0;
    QVImage expected(&plain);
    effect.apply(expected);
    EXPECT_EQ(All(view), All(expected));
  }
}

TEST(QVViewImage, FailuresLeaveNoPixelsAndCopiesTheirOwn)
{
  Base base(61, 47);
  const long blocks = standin::LiveBlocks();
  standin::FailAllocations(0, 1);
  const QVViewImage failed(20, 20, 2, 0, 0, &base.virt);
  standin::ResetAllocationFaults();
  EXPECT_TRUE(failed.error && !failed.HasPixels() && !failed.ready && !failed.rendered);
  EXPECT_EQ(standin::LiveBlocks(), blocks);
  QVVirtualImage nothing(nullptr);
  const QVViewImage empty(20, 20, 1, 0, 0, &nothing);
  EXPECT_TRUE(empty.error && QVViewImage(&empty).error);
  QVViewImage view(20, 20, 1, 0, 0, &base.virt);
  view.SetRunThrough(1);
  const QVViewImage twin(&view);
  EXPECT_NE(twin.pixels, view.pixels);
  EXPECT_EQ(All(twin), All(view));
  EXPECT_TRUE(twin.virtualImage == &base.virt && twin.IsRunThrough() == 0);
}

TEST(QVViewImage, MergePatternModes)
{
  QVViewImage mask(20, 12, 1, nullptr); // all 0: paint at full opacity
  const QVColor blue(0, 0, 255), green(0, 255, 0);
  auto merged = [&](int32_t mode, int32_t opacity, const QVColor* colour = nullptr) {
    auto view = std::make_unique<QVViewImage>(24, 16, 3, &blue);
    view->MergePattern(&mask, mode, opacity, colour, QVRect(-5, -5, 100, 100));
    return view;
  };
  // Mode 0 at opacity 255: the 8 x 8 checkerboard, white where x/8 + y/8
  // is even; cut to the mask (20 x 12), outside untouched.
  ExpectView(*merged(0, 255), [&](int32_t x, int32_t y, int32_t c) {
    if (x >= 20 || y >= 12)
      return c == 0 ? 255 : 0;
    return (x / 8 + y / 8) % 2 == 0 ? 255 : 192;
  });
  // Mask 100 at opacity 200 mixes black in by 100: 255 * 155 / 255 = 155;
  // green at 255 mixes in by 155.
  mask.Fill(100);
  EXPECT_EQ(At(*merged(3, 200), 1, 1)[0], 155);
  EXPECT_EQ(At(*merged(1, 255, &green), 1, 1)[1], 155);
  // Mode 1 needs a colour, 7 equal depths; 5, 6 and others paint nothing.
  for (int32_t mode : {1, 5, 6, 7, 8, -1})
    EXPECT_EQ(At(*merged(mode, 255), 1, 1)[0], 255) << mode;
}

TEST(QVViewImage, DropShadowDarkensTheOffsetOverlap)
{
  // A shadow of 255 grained to 243..255, strength 256: darkened bytes
  // become (65536 - s * 256) * 200 >> 16, at most 10; the rest stay 200.
  const QVColor grey(200, 200, 200), white(255, 255, 255);
  for (auto [dx, dy] : {std::pair{5, 3}, std::pair{-5, 3}, std::pair{5, -3}, std::pair{-5, -3}}) {
    QVViewImage view(20, 16, 3, &grey), shadow(20, 16, 3, &white);
    view.DropShadow(&shadow, 0, 256, dx, dy);
    EXPECT_EQ(shadow.bytesPerPixel, 1); // made grey first
    ExpectView(view, [&](int32_t x, int32_t y, int32_t c) {
      const bool over =
          x >= std::max(dx, 0) && x < 20 + std::min(dx, 0) && y >= std::max(dy, 0) && y < 16 + std::min(dy, 0);
      return !over ? 200 : (At(view, x, y)[c] <= 10 ? At(view, x, y)[c] : -1);
    });
  }
  // A shadow larger than the view is cut to the view.
  QVViewImage view(10, 10, 1, &grey), big(40, 40, 1, &white);
  view.DropShadow(&big, 2, 256, 4, 4);
  EXPECT_TRUE(At(view, 3, 3)[0] == 200 && At(view, 9, 9)[0] <= 10);
}

TEST(QVViewImage, CubeWritesLookUpTheSourceUnderEachViewPixel)
{
  // Zoom 2: view (x, y) looks at source (x / 2, y / 2). The source is black
  // but for red at (1, 0), whose cube cell holds 7; the others hold 3.
  QVImage source(4, 4, 3, nullptr);
  At(source, 1, 0)[2] = 255;
  QVVirtualImage v(&source);
  QVViewImage view(12, 12, 2, 0, 0, &v);
  QVColorMatrix cube(3, 0, 255, 32, 0, 255, 32, 0, 255, 32);
  const unsigned char seven = 7;
  cube.InsertSample(QVColor(255, 0, 0), &seven, 0, 0);
  QVRect all(-4, -4, 40, 40); // cut to the view; pixels over no source skipped
  view.WriteRect(all, 99, &cube, 7, &source);
  EXPECT_TRUE(At(view, 2, 1)[0] == 99 && At(view, 1, 1)[0] == 0);
  view.WriteRect2(all, &cube, &source);
  EXPECT_TRUE(At(view, 3, 0)[1] == 7 && At(view, 0, 0)[1] == 3);
  EXPECT_EQ(At(view, 10, 10)[1], 192); // over source (5, 5): the fill, untouched
}

} // namespace
