// The live preview run across slider changes: the reduced copy of the
// picture, the Sub-Detail pre-pass and the full-size preview kept from one
// run to the next must give exactly the preview that a run keeping nothing
// gives, and must be made anew once the picture is another or has changed.
#include "windowstest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace wintest;

namespace {

// A picture larger than the pane, with detail for the engine to work on.
std::unique_ptr<QVImage> Photo(int32_t width, int32_t height, uint32_t seed)
{
  auto image = std::make_unique<QVImage>(width, height, 3, nullptr);
  uint32_t state = seed;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      unsigned char* p = image->pixels + static_cast<ptrdiff_t>(y) * image->rowBytes + 3 * x;
      p[0] = static_cast<unsigned char>(40 + 150 * x / width + (state >> 28));
      p[1] = static_cast<unsigned char>(30 + 170 * y / height + ((state >> 24) & 7));
      p[2] = static_cast<unsigned char>((x / 37 + y / 23) % 2 ? 200 : 60);
    }
  return image;
}

bool SamePixels(const QVImage* a, const QVImage* b)
{
  if (!a || !b || a->width != b->width || a->height != b->height || a->bytesPerPixel != b->bytesPerPixel)
    return false;
  for (int32_t y = 0; y < a->height; ++y)
    if (std::memcmp(a->pixels + static_cast<ptrdiff_t>(y) * a->rowBytes,
                    b->pixels + static_cast<ptrdiff_t>(y) * b->rowBytes,
                    static_cast<size_t>(a->width) * static_cast<size_t>(a->bytesPerPixel)) != 0)
      return false;
  return true;
}

class PreviewRun : public Windows {
protected:
  // A window that has run no preview before, given the settings of
  // `window` and its picture: its first preview is the one to expect.
  static std::unique_ptr<TestWindow> Fresh(const TestWindow& window)
  {
    auto fresh = std::make_unique<TestWindow>();
    fresh->CreateControls();
    fresh->m_Settings = window.m_Settings;
    fresh->m_SubDetailOn = window.m_SubDetailOn;
    fresh->m_SubDetailAmount = window.m_SubDetailAmount;
    fresh->m_EnhanceOn = window.m_EnhanceOn;
    fresh->m_Saturation = window.m_Saturation;
    fresh->m_Brightness = window.m_Brightness;
    fresh->m_Red = window.m_Red;
    fresh->m_Green = window.m_Green;
    fresh->m_Blue = window.m_Blue;
    fresh->m_DespeckleOn = window.m_DespeckleOn;
    fresh->m_DescreenOn = window.m_DescreenOn;
    fresh->SetImage(window.m_CurrentImage, true);
    return fresh;
  }
  // The window's corrected and uncorrected previews are those of a fresh
  // window.
  static void ExpectFirstRunPreview(const TestWindow& window, const std::string& step)
  {
    const std::unique_ptr<TestWindow> fresh = Fresh(window);
    ASSERT_TRUE(window.m_CorrectedPreview) << step;
    EXPECT_LT(window.m_CorrectedPreview->width, window.m_CurrentImage->width) << step << ": a reduced preview";
    EXPECT_TRUE(SamePixels(window.m_CorrectedPreview, fresh->m_CorrectedPreview)) << step;
    EXPECT_TRUE(SamePixels(window.m_UncorrectedPreview, fresh->m_UncorrectedPreview)) << step;
  }
  // A window with its controls that has taken a 1500 x 1000 picture made
  // from the seed (the first preview ran).
  TestWindow& Open(uint32_t seed)
  {
    picture = Photo(1500, 1000, seed);
    window = std::make_unique<TestWindow>();
    window->CreateControls();
    window->SetImage(picture.get(), true);
    return *window;
  }

  std::unique_ptr<QVImage> picture;
  std::unique_ptr<TestWindow> window;
};

} // namespace

TEST_F(PreviewRun, SliderChangesStartFromTheKeptReducedCopy)
{
  TestWindow& window = Open(7);
  ExpectFirstRunPreview(window, "the first preview");
  const QVImage* kept = window.m_UncorrectedPreview;
  window.Send(LumivexWindow::kContrast, 11);
  ExpectFirstRunPreview(window, "contrast 11");
  window.Send(LumivexWindow::kSaturate, -40);
  ExpectFirstRunPreview(window, "saturation -40");
  EXPECT_EQ(window.m_UncorrectedPreview, kept) << "the reduced copy is not made again";
}

TEST_F(PreviewRun, TheSubDetailPrePassIsKeptPerAmountAndSkinColour)
{
  TestWindow& window = Open(11);
  window.SetSubDetail(true, 2);
  ExpectFirstRunPreview(window, "Sub-Detail 2");
  window.Send(LumivexWindow::kContrast, 4);
  ExpectFirstRunPreview(window, "Sub-Detail 2, contrast 4");
  window.SetSubDetail(true, 3);
  ExpectFirstRunPreview(window, "Sub-Detail 3");
  window.m_Settings.skinColor[0] = 180;
  window.RunPreviewCorrection(true, true);
  ExpectFirstRunPreview(window, "Sub-Detail 3, another skin colour");
  window.SetSubDetail(false, 3);
  ExpectFirstRunPreview(window, "Sub-Detail off");
  window.SetSubDetail(true, 3);
  ExpectFirstRunPreview(window, "Sub-Detail 3 again");
}

TEST_F(PreviewRun, ANewOrChangedPictureIsReducedAgain)
{
  TestWindow& window = Open(3);
  auto second = Photo(1500, 1000, 5);
  window.SetSubDetail(true, 1);
  // Another picture of the same size.
  window.SetImage(second.get(), true);
  ExpectFirstRunPreview(window, "the second picture");
  window.Send(LumivexWindow::kColors, 9);
  ExpectFirstRunPreview(window, "the second picture, colours 9");
  // The full run changes the picture in place.
  ASSERT_TRUE(window.RunFullCorrection(false));
  window.Send(LumivexWindow::kColors, 5);
  ExpectFirstRunPreview(window, "after the full run");
  // So does the same picture handed over again after a change of its own.
  second->pixels[0] ^= 0xFF;
  window.SetImage(second.get(), true);
  ExpectFirstRunPreview(window, "the changed picture");
  window.SetImage(nullptr, false);
}

namespace {

std::vector<unsigned char> Pixels(const QVImage* image)
{
  std::vector<unsigned char> bytes;
  if (image && image->HasPixels())
    bytes.assign(image->pixels, image->pixels + static_cast<size_t>(image->rowBytes) * image->height);
  return bytes;
}

// The full-size preview as a run that keeps nothing from the last one makes
// it: the window takes its picture again first.
std::vector<unsigned char> FreshFullSize(TestWindow& window)
{
  window.SetImage(window.m_CurrentImage, false);
  window.RunPreviewCorrection(true, true);
  return Pixels(window.m_CorrectedPreview);
}

} // namespace

// At full size the last preview is made back into the picture where the
// last run changed it and corrected where the pane now shows it: the same
// preview as a full copy gives, after slider changes, a scroll, a filter
// over the whole picture and a full run.
TEST_F(PreviewRun, TheFullSizePreviewIsRefreshedWhereTheLastRunChangedIt)
{
  TestWindow& window = Open(13);
  window.Send(LumivexWindow::kCustom, LumivexWindow::kCustom);
  window.Send(LumivexWindow::kFullSizeView);
  standin::Pump();
  ASSERT_TRUE(window.m_CorrectedPreview);
  ASSERT_EQ(window.m_CorrectedPreview->width, 1500);
  const auto step = [&](const std::string& what) {
    const std::vector<unsigned char> refreshed = Pixels(window.m_CorrectedPreview);
    ASSERT_FALSE(refreshed.empty()) << what;
    EXPECT_TRUE(refreshed == FreshFullSize(window)) << what;
  };
  const QVImage* kept = window.m_CorrectedPreview;
  window.Send(LumivexWindow::kContrast, 11);
  EXPECT_EQ(window.m_CorrectedPreview, kept) << "no new copy of the picture";
  step("contrast 11");
  // A drag scrolls the picture; its end runs the preview on the part now
  // shown.
  const HWND pane = window.m_PreviewPane->GetWnd();
  standin::Move(pane, 300, 300);
  standin::Press(pane, 300, 300);
  standin::Move(pane, 100, 150);
  standin::Release(pane, 100, 150);
  standin::Pump();
  ASSERT_LT(window.m_PreviewPane->GetScrollOffset().X(), 0);
  step("scrolled");
  window.Send(LumivexWindow::kDespeckle, 1);
  step("despeckle over the whole picture");
  window.Send(LumivexWindow::kDespeckle, 0);
  step("despeckle off again");
  ASSERT_TRUE(window.RunFullCorrection(false));
  window.Send(LumivexWindow::kContrast, 5);
  step("after the full run");
}
