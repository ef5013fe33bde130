// The application's own controls: the roll-over button's values and
// pictures, locked or not; the segmented progress bar at its edges; the
// picture slider's snapping, detent and values.
#include "progressbar.h"
#include "qvbuttonmouseover.h"
#include "qvsliderpicture.h"
#include "windowstest.h"

using namespace wintest;

namespace {

class Controls : public Windows {
protected:
  void SetUp() override
  {
    Windows::SetUp();
    owner = std::make_unique<RecordingWindow>(QVRect(100, 100, 600, 400));
  }
  void TearDown() override
  {
    owner.reset();
    Windows::TearDown();
  }
  static QVRect At(int left, int top, int width, int height)
  {
    QVRect r;
    r.SetLTWH(left, top, width, height);
    return r;
  }
  std::unique_ptr<RecordingWindow> owner;
};

constexpr int32_t kCustom = 16001;

} // namespace

TEST_F(Controls, TheRollOverReportsEnteringClickingAndLeaving)
{
  QVRect rect = At(20, 20, 87, 34);
  QVButtonMouseOver button(owner.get(), rect, &AppResources(), 126, 110, 114, kCustom);
  const HWND b = button.GetWnd();
  standin::Pump();
  EXPECT_EQ(PixelsUnlike(b, 126), 0);
  std::vector<int32_t> shown;
  auto step = [&](auto inject) {
    inject();
    standin::Pump();
    shown.push_back(PixelsUnlike(b, 126) == 0   ? 126
                    : PixelsUnlike(b, 110) == 0 ? 110
                    : PixelsUnlike(b, 114) == 0 ? 114
                                                : 0);
  };
  step([&] { standin::Move(b, 10, 10); });    // enter: hover
  step([&] { standin::Press(b, 10, 10); });   // pressed
  step([&] { standin::Release(b, 10, 10); }); // a click: it counts as outside now
  step([&] { standin::Move(b, 12, 12); });    // enters again
  step([&] { standin::Move(b, 200, 10); });   // leaves
  EXPECT_EQ(shown, (std::vector<int32_t>{110, 114, 126, 110, 126}));
  EXPECT_EQ(owner->commands,
            (std::vector<Command>{{kCustom, 1, 0}, {kCustom, kCustom, 0}, {kCustom, 1, 0}, {kCustom, 0, 0}}));
}

TEST_F(Controls, ALockedRollOverKeepsItsPictureAndSaysNothing)
{
  QVRect rect = At(20, 20, 87, 34);
  QVButtonMouseOver button(owner.get(), rect, &AppResources(), 126, 110, 114, kCustom);
  const HWND b = button.GetWnd();
  button.SetPictureLocked(7, true); // held to the pressed picture
  EXPECT_EQ(button.GetPictureIndex(), QVButtonMouseOver::ePressedPicture);
  for (auto inject : std::vector<std::function<void()>>{
           [&] { standin::Move(b, 10, 10); }, [&] { standin::Click(b, 10, 10); }, [&] { standin::Move(b, 200, 10); }}) {
    inject();
    standin::Pump();
    EXPECT_EQ(PixelsUnlike(b, 114), 0);
  }
  EXPECT_TRUE(owner->commands.empty());
  // Unlocked, it follows the pointer again.
  button.SetPictureLocked(0, false);
  standin::Move(b, 10, 10);
  standin::Pump();
  EXPECT_EQ(owner->commands, (std::vector<Command>{{kCustom, 1, 0}}));
}

TEST_F(Controls, TheProgressBarFillsSegmentsAndEndsWhateverItsWidth)
{
  struct Case {
    int width;
    int32_t done, total;
    int32_t filled;
    std::vector<std::pair<int, bool>> lit; // (x, yellow rather than black)
  };
  const Case cases[] = {
      // 347 pixels: segments of 17; empty, the even ones are lit, the
      // 21st (from 340) included.
      {347, 0, 100, 0, {{0, true}, {16, true}, {17, false}, {33, false}, {34, true}, {346, true}}},
      {347, 100, 100, 347, {{17, true}, {33, true}, {346, true}}},
      // Half: 173 filled, so the segments starting at 170 and below are lit.
      {347, 50, 100, 173, {{17, true}, {170, true}, {186, true}, {187, false}, {204, true}}},
      // A total of 0 or less fills nothing; more than the total, all.
      {347, 5, 0, 0, {{17, false}}},
      {347, 5, -3, 0, {{17, false}}},
      {347, 150, 100, 347, {{17, true}}},
      {347, -10, 100, 0, {{17, false}}},
      // The product needs 64 bits: 347 x 2^31-1 / (2^31-1).
      {347, INT32_MAX, INT32_MAX, 347, {{17, true}}},
      // Narrower than 20 pixels: segments of one pixel.
      {7, 0, 100, 0, {{0, true}, {1, false}, {2, true}, {5, false}, {6, true}}},
      {7, 100, 100, 7, {{1, true}, {5, true}}},
      {19, 1, 2, 9, {{8, true}, {9, false}, {10, true}}},
  };
  for (const Case& c : cases) {
    QVRect rect = At(10, 10, c.width, 10);
    ProgressBar bar(owner.get(), rect, &AppResources());
    // The owner repaints where the last bar was first; then this one
    // paints at once.
    standin::Pump();
    bar.SetProgress(c.done, c.total);
    SCOPED_TRACE(testing::Message() << c.width << " wide, " << c.done << " of " << c.total);
    EXPECT_EQ(bar.GetFilledWidth(), c.filled);
    for (const auto& [x, yellow] : c.lit)
      for (int y : {0, 9})
        EXPECT_EQ(standin::ReadPixel(bar.GetWnd(), x, y), yellow ? kYellow : kBlack) << x << "," << y;
  }
}

TEST_F(Controls, ThePictureSliderPositionsSnapsAndReports)
{
  // Track 173 is 32 wide, thumb 171 8 wide: the thumb travels 32 - 8 - 1 =
  // 23 pixels; a pointer x places its left edge at x - 4.
  QVRect rect = At(10, 60, 40, 15);
  QVSliderPicture slider(owner.get(), rect, &AppResources(), 173, 171, 700);
  ASSERT_EQ(slider.TrackLength(), 23);
  const std::pair<int, int> free[] = {{-5, 0}, {4, 0}, {10, 6}, {27, 23}, {28, 23}, {1000, 23}};
  for (const auto& [x, position] : free)
    EXPECT_EQ(slider.PositionForPointer(x), position) << x;
  // Three steps: positions 0, 11 and 23. A position maps to its step
  // downward (12 x 2 / 23 = 1, 11 x 2 / 23 = 0), then back (1 x 23 / 2 = 11).
  slider.SetSnapSteps(3);
  const std::pair<int, int> snapped[] = {{15, 0}, {16, 11}, {26, 11}, {27, 23}};
  for (const auto& [x, position] : snapped)
    EXPECT_EQ(slider.PositionForPointer(x), position) << x;
  slider.SetSnapSteps(1);
  EXPECT_EQ(slider.PositionForPointer(27), 0) << "one step is the start";
  slider.SetSnapSteps(0);

  // A drag: the press places, the detent (3 around x 15) catches x 17 and
  // lets 19 go; the release reports 15 of 23 as 1500 / 23 = 65.
  slider.SetCentreDetent(3);
  const HWND s = slider.GetWnd();
  standin::Press(s, 5, 7);
  standin::Pump();
  EXPECT_EQ(slider.GetThumbPosition(), 1);
  standin::Move(s, 17, 7);
  standin::Pump();
  EXPECT_EQ(slider.GetThumbPosition(), 11) << "caught by the detent";
  standin::Move(s, 19, 7);
  standin::Pump();
  EXPECT_EQ(slider.GetThumbPosition(), 15);
  standin::Release(s, 19, 7);
  standin::Pump();
  standin::Click(s, 39, 7); // the far end: 100
  standin::Pump();
  EXPECT_EQ(owner->commands, (std::vector<Command>{{700, 65, 0}, {700, 100, 0}}));
  EXPECT_EQ(GetCapture(), nullptr);
  // Drawn: the thumb's accent at its position, the track beside it.
  EXPECT_EQ(standin::ReadPixel(s, 23 + 3, 7), kAccent);
  EXPECT_EQ(standin::ReadPixel(s, 5, 1), ArtPixel(173, 5, 1));
}

TEST_F(Controls, APictureSliderWithoutTravelReportsZero)
{
  // A track no wider than the thumb: L = max(0, 8 - 8 - 1) = 0.
  QVRect rect = At(10, 60, 40, 15);
  QVSliderPicture slider(owner.get(), rect, &AppResources(), 171, 171, 701);
  EXPECT_EQ(slider.TrackLength(), 0);
  slider.SetSnapSteps(4);
  EXPECT_EQ(slider.PositionForPointer(30), 0);
  standin::Click(slider.GetWnd(), 30, 7);
  standin::Pump();
  EXPECT_EQ(owner->commands, (std::vector<Command>{{701, 0, 0}}));
}

TEST_F(Controls, Snapshot)
{
  // Three bars (empty, half, full) and a picture slider at its middle step.
  std::vector<std::unique_ptr<ProgressBar>> bars;
  for (int i = 0; i < 3; ++i) {
    QVRect rect = At(10, 10 + 20 * i, 347, 10);
    bars.push_back(std::make_unique<ProgressBar>(owner.get(), rect, &AppResources()));
    bars.back()->SetProgress(50 * i, 100);
  }
  QVRect rect = At(10, 80, 40, 15);
  QVSliderPicture slider(owner.get(), rect, &AppResources(), 173, 171, 700);
  slider.SetSnapSteps(3);
  standin::Click(slider.GetWnd(), 16, 7);
  standin::Pump();
  ASSERT_TRUE(standin::SnapshotPng(owner->GetWnd(), SnapshotPath("app-controls.png").c_str()));
  EXPECT_EQ(standin::ReadPixel(owner->GetWnd(), 10 + 17, 10), kBlack) << "the empty bar's second segment";
  EXPECT_EQ(standin::ReadPixel(owner->GetWnd(), 10 + 17, 30), kYellow) << "the half bar's";
  EXPECT_EQ(standin::ReadPixel(owner->GetWnd(), 10 + 11 + 3, 80 + 7), kAccent) << "the thumb at 11";
}
