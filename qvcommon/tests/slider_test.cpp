// The slider: position and value mapping at the edges, one notification per
// drag wherever the pointer goes, left-off, disabling, and the drawing of
// both orientations.
//
// Test art: the track is 60 x 3 (stretched into a 4-pixel strip), the thumb
// 8 x 15. A horizontal slider W wide with inset i has track length
// W - i - 20 and range (travel) W - i - 28.
#include "controlstest.h"

#include "qvcommon/qvslider.h"

#include <climits>
#include <memory>

using Sliders = WindowLayer;

namespace {

std::unique_ptr<QVSlider> Horizontal(QVWindow* parent, QVRect rect, int32_t inset, int32_t minimum, int32_t maximum,
                                     int32_t value, int32_t message = 111)
{
  return std::unique_ptr<QVSlider>(QVSlider::CreateHorzSlider(parent, rect, &TestResources(), message, inset, kTrack,
                                                              kThumb, nullptr, minimum, maximum, 1, value));
}

// The columns of row y holding the thumb's colour.
std::pair<int, int> ThumbColumns(HWND slider, int width, int y)
{
  int first = -1, last = -1;
  for (int x = 0; x < width; ++x)
    if (standin::ReadPixel(slider, x, y) == kThumbColour) {
      first = first < 0 ? x : first;
      last = x;
    }
  return {first, last};
}

} // namespace

TEST_F(Sliders, PositionAndValueMapLinearlyAndTruncate)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  // 118 wide, inset 0: track 98, range 90. Value 20 of 0..40 sits at 45;
  // position 44 is worth 44 / 90 x 40 = 19.55, truncated to 19.
  auto slider = Horizontal(&parent, QVRect(10, 10, 128, 40), 0, 0, 40, 20);
  standin::Pump();
  EXPECT_EQ(slider->GetSliderPos(), 45);
  EXPECT_EQ(slider->GetValue(), 20);
  slider->SetSliderPosition(44);
  EXPECT_EQ(slider->GetValueFromPos(), 19);
  // Beyond the maximum the stored value stays, the thumb stops at the end.
  slider->SetValue(100);
  EXPECT_EQ(slider->GetValue(), 100);
  EXPECT_EQ(slider->GetSliderPos(), 90);
  EXPECT_EQ(slider->GetPosFromValue(), 225);
  standin::Pump();
  // The thumb is drawn at rows 30 / 2 - 7 - 1 = 7 .. 21, columns 90..97.
  EXPECT_EQ(ThumbColumns(slider->GetWnd(), 118, 12), std::pair(90, 97));
  EXPECT_EQ(standin::ReadPixel(slider->GetWnd(), 92, 6), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(slider->GetWnd(), 92, 7), kThumbColour);
  EXPECT_EQ(standin::ReadPixel(slider->GetWnd(), 92, 21), kThumbColour);
  EXPECT_EQ(standin::ReadPixel(slider->GetWnd(), 92, 22), kClassGrey);
  slider->SetValue(-5);
  EXPECT_EQ(slider->GetSliderPos(), 0);
  // The thumb's hit box, edges included.
  slider->SetPosition(30);
  for (const auto& [x, y, on] :
       {std::tuple{30, 0, true}, {37, 14, true}, {38, 0, false}, {29, 5, false}, {30, 15, false}, {33, -1, false}}) {
    QVPoint p(x, y);
    EXPECT_EQ(slider->PointOnPos(p), on) << x << "," << y;
  }
}

TEST_F(Sliders, DegenerateRangesAndExtremeValuesStayDefined)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  // Equal limits: f = 0, so the thumb sits at the inset and reports the minimum.
  auto equal = Horizontal(&parent, QVRect(0, 0, 118, 30), 4, 7, 7, 7);
  EXPECT_EQ(equal->GetSliderPos(), 4);
  EXPECT_EQ(equal->GetPosFromValue(), 4);
  EXPECT_EQ(equal->GetValueFromPos(), 7);
  // The thumb as long as the track (range 0) and a control too small for it
  // (range < 0): no travel at all.
  for (int width : {28, 10, 0}) {
    auto stuck = Horizontal(&parent, QVRect(0, 40, width, 70), 0, 0, 40, 30);
    stuck->SetLeftOff(false);
    stuck->SetPosition(500);
    EXPECT_EQ(stuck->GetSliderPos(), 0) << width;
    EXPECT_EQ(stuck->GetValueFromPos(), 0) << width;
    EXPECT_EQ(stuck->GetPosFromValue(), 0) << width;
  }
  // The widest limits: every step is computed without overflow.
  auto wide = Horizontal(&parent, QVRect(0, 80, 118, 110), 0, INT32_MIN, INT32_MAX, INT32_MAX);
  EXPECT_EQ(wide->GetSliderPos(), 90);
  EXPECT_EQ(wide->GetValueFromPos(), INT32_MAX);
  wide->SetValue(INT32_MIN);
  EXPECT_EQ(wide->GetSliderPos(), 0);
  wide->SetLeftOff(false);
  EXPECT_EQ(wide->GetValueFromPos(), INT32_MIN);
  // An inset at the limit: the track length and range saturate.
  auto inset = Horizontal(&parent, QVRect(0, 120, 118, 150), INT32_MAX, 0, 10, 5);
  EXPECT_EQ(inset->GetSliderPos(), INT32_MAX);
  inset->SetPosition(INT32_MIN);
  EXPECT_EQ(inset->GetSliderPos(), INT32_MAX);
  standin::Pump(); // and painting it draws no track
}

TEST_F(Sliders, ADragReportsOnceOnReleaseWhereverThePointerWent)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  // 108 wide, inset 0: range 80 over 0..80, one value per pixel.
  auto slider = Horizontal(&parent, QVRect(10, 10, 118, 40), 0, 0, 80, 0);
  standin::Pump();
  Hover(slider->GetWnd(), 20, 10);
  standin::Pump();
  EXPECT_EQ(GetCapture(), nullptr) << "hovering takes no capture";
  standin::Press(slider->GetWnd(), 20, 10);
  standin::Move(slider->GetWnd(), 30, 10);
  standin::Pump();
  EXPECT_EQ(slider->GetValue(), 30);
  EXPECT_TRUE(parent.commands.empty()) << "nothing while dragging";
  // Out of the control and out of the window: the slider keeps the pointer.
  standin::Move(slider->GetWnd(), 60, 100);
  standin::Move(900, 700);
  standin::Release(900, 700);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0].m_Command, 111u);
  EXPECT_EQ(parent.commands[0].m_Value, 80) << "held at the end of the travel";
  EXPECT_EQ(GetCapture(), nullptr);

  // A button-up that had no press on the slider (pressed on the window,
  // released over the slider) still reports the value.
  standin::Press(parent.GetWnd(), 200, 150);
  standin::Move(slider->GetWnd(), 50, 10);
  standin::Release(slider->GetWnd(), 50, 10);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 2u);
  EXPECT_EQ(parent.commands[1].m_Value, 80);
}

TEST_F(Sliders, LeftOffReportsTheOffValueOnlyAtPositionZero)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto flush = Horizontal(&parent, QVRect(10, 10, 118, 40), 0, 10, 90, 50, 1);
  flush->SetOffValue(-1);
  EXPECT_TRUE(flush->IsLeftOff());
  auto inset = Horizontal(&parent, QVRect(10, 50, 118, 80), 6, 10, 90, 50, 2);
  inset->SetOffValue(-1);
  standin::Pump();
  for (QVSlider* slider : {flush.get(), inset.get()}) {
    Hover(slider->GetWnd(), 30, 10);
    standin::Click(slider->GetWnd(), 0, 10);
  }
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 2u);
  EXPECT_EQ(parent.commands[0].m_Value, -1) << "inset 0: the off value";
  EXPECT_EQ(parent.commands[1].m_Value, 10) << "inset 6: position 0 is out of reach, the minimum";
  flush->SetLeftOff(false);
  EXPECT_EQ(flush->GetValueFromPos(), 10);
}

TEST_F(Sliders, ADisabledSliderShowsNoThumbIgnoresInputAndFreesTheCapture)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto slider = Horizontal(&parent, QVRect(10, 10, 118, 40), 0, 0, 80, 40);
  standin::Pump();
  Hover(slider->GetWnd(), 20, 10);
  standin::Press(slider->GetWnd(), 20, 10);
  standin::Pump();
  ASSERT_EQ(GetCapture(), slider->GetWnd());
  slider->Enable(false);
  EXPECT_EQ(GetCapture(), nullptr) << "disabling mid-drag ends the drag";
  standin::Release(slider->GetWnd(), 20, 10);
  Hover(slider->GetWnd(), 60, 10);
  standin::Click(slider->GetWnd(), 60, 10);
  standin::Pump();
  EXPECT_TRUE(parent.commands.empty());
  EXPECT_EQ(slider->GetValue(), 20);
  EXPECT_EQ(ThumbColumns(slider->GetWnd(), 108, 12), std::pair(-1, -1));
  slider->Enable(true);
  EXPECT_EQ(ThumbColumns(slider->GetWnd(), 108, 12), std::pair(20, 27));
}

TEST_F(Sliders, TrackCentreMarkAndValueTextArePlacedFromTheTrack)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  // 128 wide, inset 10: track length 98 from x 10, strip at y 30 / 2 - 1 =
  // 14..17; the centre mark at x 10 + 49 - 1 = 58 and 59, rows 10..15.
  auto slider = Horizontal(&parent, QVRect(10, 10, 138, 40), 10, 0, 100, 100);
  slider->SetCenterPoint(true);
  slider->SetRenderPosText(true);
  standin::Pump();
  const HWND w = slider->GetWnd();
  EXPECT_EQ(standin::ReadPixel(w, 9, 15), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(w, 10, 15), kTrackColour);
  EXPECT_EQ(standin::ReadPixel(w, 20, 13), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(w, 20, 14), kTrackColour);
  EXPECT_EQ(standin::ReadPixel(w, 20, 17), kTrackColour);
  EXPECT_EQ(standin::ReadPixel(w, 20, 18), kClassGrey);
  for (int x : {58, 59}) {
    EXPECT_EQ(standin::ReadPixel(w, x, 9), kClassGrey) << x;
    EXPECT_EQ(standin::ReadPixel(w, x, 10), RGB(128, 128, 128)) << x;
    EXPECT_EQ(standin::ReadPixel(w, x, 15), RGB(128, 128, 128)) << x;
    EXPECT_EQ(standin::ReadPixel(w, x, 16), kTrackColour) << x;
  }
  EXPECT_EQ(standin::ReadPixel(w, 57, 12), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(w, 60, 12), kClassGrey);
  // "100" in white from x 10 + 98 + 4 = 112, nowhere left of it.
  int leftmost = 1000;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 128; ++x)
      if (standin::ReadPixel(w, x, y) == kWhite)
        leftmost = std::min(leftmost, x);
  EXPECT_GE(leftmost, 108) << "it ends inside the control: at most as far left as the track's end";
  EXPECT_LE(leftmost, 115);
  int rightmost = -1;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 128; ++x)
      if (standin::ReadPixel(w, x, y) == kWhite)
        rightmost = std::max(rightmost, x);
  HDC dc = GetDC(w);
  HFONT font = CreateFontA(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, "100", 3, &size);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DeleteObject(font);
  ReleaseDC(w, dc);
  EXPECT_GE(leftmost + size.cx, 124) << "a three-digit value is not cut off at the edge (128)";
}

TEST_F(Sliders, AVerticalSliderSwapsTheAxesWithItsMinimumAtTheTop)
{
  Probe parent(QVRect(0, 0, 300, 250), QVWindow::eQVWindowStyleStaticMainCaption);
  // 80 x 99, inset 0: track length 79, range 79 - 15 = 64 over 0..64. The
  // strip is 4 wide at x = 40 - 30 = 10; the thumb at x = 40 - 4 - 1 = 35.
  QVRect rect(10, 10, 90, 109);
  std::unique_ptr<QVSlider> slider(
      QVSlider::CreateVertSlider(&parent, rect, &TestResources(), 5, 0, kTrack, kThumb, &TestResources(), 0, 64, 1, 0));
  slider->SetCenterPoint(true);
  standin::Pump();
  const HWND w = slider->GetWnd();
  EXPECT_EQ(standin::ReadPixel(w, 9, 30), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(w, 10, 30), kTrackColour);
  EXPECT_EQ(standin::ReadPixel(w, 13, 30), kTrackColour);
  EXPECT_EQ(standin::ReadPixel(w, 14, 30), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(w, 35, 0), kThumbColour) << "the minimum at the top";
  EXPECT_EQ(standin::ReadPixel(w, 42, 14), kThumbColour);
  EXPECT_EQ(standin::ReadPixel(w, 43, 14), kClassGrey);
  // The centre mark: two horizontal lines at y 39 - 1 = 38 and 39, from x 10
  // over 2 x the track picture's width.
  EXPECT_EQ(standin::ReadPixel(w, 30, 37), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(w, 30, 38), RGB(128, 128, 128));
  EXPECT_EQ(standin::ReadPixel(w, 30, 39), RGB(128, 128, 128));
  EXPECT_EQ(standin::ReadPixel(w, 30, 40), kClassGrey);
  Hover(w, 38, 5);
  standin::Press(w, 38, 5);
  standin::Move(w, 38, 32);
  standin::Release(w, 38, 32);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0].m_Value, 32);
  EXPECT_EQ(standin::ReadPixel(w, 35, 32), kThumbColour);
  EXPECT_EQ(standin::ReadPixel(w, 35, 31), kClassGrey);
}

TEST_F(Sliders, TheGalleryShowsBothOrientationsTheMarkTheValueAndADisabledSlider)
{
  Probe parent(QVRect(20, 20, 340, 300), QVWindow::eQVWindowStyleStaticMainCaption);
  standin::Pump();
  auto plain = Horizontal(&parent, QVRect(10, 10, 160, 40), 4, 0, 100, 30);
  plain->SetControlText("Contrast", 0, 0);
  auto marked = Horizontal(&parent, QVRect(10, 50, 160, 80), 4, -50, 50, 25);
  marked->SetCenterPoint(true);
  marked->SetRenderPosText(true);
  auto disabled = Horizontal(&parent, QVRect(10, 90, 160, 120), 4, 0, 100, 70);
  disabled->Enable(false);
  QVRect tall(200, 10, 260, 200);
  std::unique_ptr<QVSlider> vertical(QVSlider::CreateVertSlider(&parent, tall, &TestResources(), 9, 4, kVerticalTrack,
                                                                kVerticalThumb, nullptr, 0, 10, 1, 4));
  vertical->SetRenderPosText(true);
  vertical->SetCenterPoint(true);
  standin::Pump();
  ASSERT_TRUE(standin::SnapshotPng(parent.GetWnd(), SnapshotPath("sliders.png").c_str()));
  // 150 wide, inset 4: range 150 - 4 - 28 = 118; 30 of 100 at 4 + 35 = 39
  // (taken below the caption, which covers the thumb's top).
  EXPECT_EQ(ThumbColumns(plain->GetWnd(), 150, 20), std::pair(39, 46));
  int caption = 0; // nearly white caption pixels at (0, 2) onwards
  for (int y = 2; y < 16; ++y)
    for (int x = 0; x < 60; ++x) {
      const COLORREF c = standin::ReadPixel(plain->GetWnd(), x, y);
      caption += GetRValue(c) >= 224 && GetGValue(c) >= 224 && GetBValue(c) >= 224;
    }
  EXPECT_GT(caption, 20);
  EXPECT_EQ(ThumbColumns(marked->GetWnd(), 150, 12), std::pair(92, 99)) << "25 of -50..50 at 4 + 88";
  EXPECT_EQ(standin::ReadPixel(marked->GetWnd(), 66, 11), RGB(128, 128, 128)) << "the mark at 4 + 63 - 1";
  EXPECT_EQ(ThumbColumns(disabled->GetWnd(), 150, 12), std::pair(-1, -1));
  EXPECT_EQ(standin::ReadPixel(disabled->GetWnd(), 20, 15), kTrackColour) << "the track still shows";
  // Vertical, on the vertical pictures (a 3 x 60 track, a 15 x 8 thumb), 190
  // high with inset 4: track 166, range 166 - 8 = 158; 4 of 10 at 4 + 63 =
  // 67; the thumb from column 60 / 2 - 7 - 1 = 22, across the track strip at
  // columns 30 - 1 = 29 to 32.
  EXPECT_EQ(standin::ReadPixel(vertical->GetWnd(), 22, 67), kThumbColour);
  EXPECT_EQ(standin::ReadPixel(vertical->GetWnd(), 22, 66), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(vertical->GetWnd(), 21, 67), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(vertical->GetWnd(), 30, 70), kThumbColour) << "the thumb on its track";
  EXPECT_EQ(standin::ReadPixel(vertical->GetWnd(), 29, 40), kTrackColour);
  EXPECT_EQ(standin::ReadPixel(vertical->GetWnd(), 32, 40), kTrackColour);
  EXPECT_EQ(standin::ReadPixel(vertical->GetWnd(), 33, 40), kClassGrey);
}
