// EffectDo: each effect does exactly what its filter does at the view's
// zoom, then the frame restores masked pixels (the test module's filter
// inverts, so restored pixels stand out), and nothing is half done when
// memory runs out.
#include "fxtest.h"
#include "testmodule.h"

#include "lumivexdescreen.h"
#include "lumivexdespeckle.h"

#include <cmath>
#include <limits>

using fxtest::ModuleTest;

namespace {

class Run : public ModuleTest {
protected:
  // The textured picture of fxtest::Paint, or a smooth one with 2 x 2
  // specks that every zoom keeps, for Despeckle.
  void Start(const char* path, int32_t bpp = 3, bool specks = false)
  {
    Load(path);
    image = fxtest::Flat(48, 36, bpp, 0);
    fxtest::Paint(*image, 1);
    if (specks)
      for (int32_t y = 0; y < 36; ++y)
        for (int32_t x = 0; x < 48; ++x) {
          const bool speck = (x / 2) % 8 == 6 && (y / 2) % 5 == 3;
          std::fill_n(fxtest::At(*image, x, y), bpp, static_cast<uint8_t>(speck ? 250 : 60 + x / 4));
        }
    Open(image.get());
  }
  // Prepares and runs the effect on a fresh view at the zoom; the view.
  std::unique_ptr<fxtest::View> RunAt(double zoom, QVImage* mask = nullptr, int32_t maskMode = 0)
  {
    auto v = std::make_unique<fxtest::View>(image.get(), zoom);
    EXPECT_TRUE(session->Prepare(image.get(), &v->view, maskMode, 0));
    EXPECT_TRUE(session->Run(&v->view, mask)) << session->Failure();
    return v;
  }
  std::unique_ptr<QVImage> image;
};

// A 1-byte mask of the size: column x holds 0, 128 or 255 by x % 3.
std::unique_ptr<QVImage> StripedMask(int32_t w, int32_t h)
{
  auto mask = fxtest::Flat(w, h, 1, 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      *fxtest::At(*mask, x, y) = static_cast<uint8_t>(x % 3 == 0 ? 0 : x % 3 == 1 ? 128 : 255);
  return mask;
}

} // namespace

TEST_F(Run, DespeckleIsTheFilterAtTheViewsZoom)
{
  Start(DESPECKLE_PATH, 3, true);
  ASSERT_TRUE(session->Choose(13)); // Coarse: 12, 60
  for (double zoom : {0.5, 1.0, 2.0}) {
    SCOPED_TRACE(zoom);
    fxtest::View expected(image.get(), zoom);
    ASSERT_GT(LumivexDespeckle(12, 60).Apply(&expected.view, zoom), 0) << "the filter has work here";
    EXPECT_EQ(fxtest::Pixels(RunAt(zoom)->view), fxtest::Pixels(expected.view));
  }
  // At zoom 0.5 a Size of 7 repaints defects up to 3 rows tall.
  EXPECT_EQ(LumivexDespeckle::DefectSize(7, 0.5), 3);
}

TEST_F(Run, DescreenIsTheFilterWithItsAmountsZoomed)
{
  Start(DESCREEN_PATH);
  RunAt(1);                         // the first preparation analyses the image and sets Auto
  ASSERT_TRUE(session->Choose(14)); // Medium: 15, 4
  for (double zoom : {0.5, 1.0, 2.0}) {
    SCOPED_TRACE(zoom);
    fxtest::View expected(image.get(), zoom);
    int32_t a = 15, s = 4;
    LumivexDescreen::ZoomAmounts(zoom, a, s);
    LumivexDescreen filter;
    filter.SetAmounts(a, s);
    ASSERT_EQ(filter.Apply(&expected.view), 1);
    EXPECT_EQ(fxtest::Pixels(RunAt(zoom)->view), fxtest::Pixels(expected.view));
  }
  // At zoom 2 with Amount 15 the blur is 30 eighths.
  int32_t a = 15, s = 4;
  LumivexDescreen::ZoomAmounts(2.0, a, s);
  EXPECT_EQ(a * 100 + s, 3008);
}

TEST_F(Run, GreyViewsRunToo)
{
  Start(DESPECKLE_PATH, 1, true);
  fxtest::View expected(image.get(), 1);
  ASSERT_EQ(expected.view.bytesPerPixel, 1);
  LumivexDespeckle(7, 37).Apply(&expected.view, 1.0);
  EXPECT_EQ(fxtest::Pixels(RunAt(1)->view), fxtest::Pixels(expected.view));
}

TEST_F(Run, NonFiniteAndHugeZoomsAreHarmless)
{
  Start(DESPECKLE_PATH);
  for (double zoom : {std::nan(""), std::numeric_limits<double>::infinity(), -2.0, 0.0, 1e300}) {
    SCOPED_TRACE(zoom);
    fxtest::View v(image.get(), 1);
    fxtest::View expected(image.get(), 1);
    v.view.zoomX = zoom;
    ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 0));
    ASSERT_TRUE(session->Run(&v.view, nullptr));
    LumivexDespeckle(7, 37).Apply(&expected.view, zoom);
    EXPECT_EQ(fxtest::Pixels(v.view), fxtest::Pixels(expected.view));
  }
}

TEST_F(Run, MaskModesRestoreOnlyWhereTheMaskSaysSo)
{
  Start(TESTMODULE_PATH);
  fxtest::View original(image.get(), 1);
  auto mask = StripedMask(48, 36);
  for (int32_t mode : {0, 1, 2, 7}) {
    SCOPED_TRACE(mode);
    auto v = RunAt(1, mask.get(), mode);
    for (int32_t y = 0; y < 36; y += 5)
      for (int32_t x = 0; x < 48; ++x) {
        const uint8_t m = *fxtest::At(*mask, x, y);
        // Mode 1 restores under 255, other modes but 0 under 0; 128 never.
        const bool restored = mode != 0 && (mode == 1 ? m == 255 : m == 0);
        const uint8_t before = fxtest::At(original.view, x, y)[1];
        ASSERT_EQ(fxtest::At(v->view, x, y)[1], restored ? before : 255 - before) << x << "," << y;
      }
  }
}

TEST_F(Run, AMissingOrSmallerMaskRestoresWhatItCovers)
{
  Start(TESTMODULE_PATH);
  fxtest::View original(image.get(), 1);
  // No mask: everything is filtered.
  auto v = RunAt(1, nullptr, 1);
  EXPECT_EQ(fxtest::At(v->view, 47, 35)[0], 255 - fxtest::At(original.view, 47, 35)[0]);
  // A white mask of 20 x 10: restored inside it, filtered outside.
  auto small = fxtest::Flat(20, 10, 1, 255);
  v = RunAt(1, small.get(), 1);
  EXPECT_EQ(fxtest::At(v->view, 19, 9)[0], fxtest::At(original.view, 19, 9)[0]);
  EXPECT_EQ(fxtest::At(v->view, 20, 9)[0], 255 - fxtest::At(original.view, 20, 9)[0]);
  EXPECT_EQ(fxtest::At(v->view, 19, 10)[0], 255 - fxtest::At(original.view, 19, 10)[0]);
}

TEST_F(Run, WithoutTheCopyOrTheFilterNothingChangesAndTheResultIsZero)
{
  Start(TESTMODULE_PATH);
  auto mask = StripedMask(48, 36);
  fxtest::View v(image.get(), 1);
  const std::vector<uint8_t> before = fxtest::Pixels(v.view);
  ASSERT_TRUE(session->Prepare(image.get(), &v.view, 1, 0));
  const long blocks = standin::LiveBlocks();
  standin::FailAllocations(0, 1);
  EXPECT_EQ(X().EffectDo(Index(), &v.view, mask.get(), 0, 0), 0);
  standin::ResetAllocationFaults();
  EXPECT_EQ(standin::LiveBlocks(), blocks);
  EXPECT_EQ(fxtest::Pixels(v.view), before);
  // Mode 0 needs no copy: the same failure does not stop it.
  ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 0));
  standin::FailAllocations(0, 1);
  EXPECT_EQ(X().EffectDo(Index(), &v.view, mask.get(), 0, 0), 1);
  standin::ResetAllocationFaults();
  EXPECT_NE(fxtest::Pixels(v.view), before);
  // A filter that fails gives 0.
  auto setResult = fxtest::Export<int32_t (*)(int32_t, int32_t)>(module, "TestSetFilterResult");
  ASSERT_EQ(setResult(Index(), 0), 1);
  EXPECT_EQ(X().EffectDo(Index(), &v.view, nullptr, 0, 0), 0);
}

TEST_F(Run, EffectRectGrowsTheAccumulatedRectangle)
{
  Start(DESPECKLE_PATH);
  ASSERT_TRUE(session->AddChanged(QVRect(10, 5, 20, 15)));
  ASSERT_TRUE(session->AddChanged(QVRect(2, 8, 12, 30)));
  // It starts as the empty rectangle at the origin, so the corner stays there.
  const QVRect& a = session->Accumulated();
  EXPECT_EQ(a.Left(), 0);
  EXPECT_EQ(a.Top(), 0);
  EXPECT_EQ(a.Right(), 20);
  EXPECT_EQ(a.Bottom(), 30);
  QVRect r;
  EXPECT_EQ(X().EffectRect(Index(), nullptr, &r), 0);
}
