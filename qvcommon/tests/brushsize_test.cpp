// The brush-size control: its two popups, where they open, when they close,
// the packed value its sliders report, and a control clicked before Init.
#include "peripheraltest.h"

#include "qvcommon/qvbrushsizectrl.h"
#include "qvcommon/qvslider.h"

#include <memory>

using BrushSize = PeripheralControls;

namespace {

constexpr int32_t kBrushMessage = 3135;

class BrushProbe : public QVBrushSizeCtrl {
public:
  BrushProbe(QVWindow* parent, QVRect rect) : QVBrushSizeCtrl(rect, parent, &TestResources(), kBrushMessage, kBrushFace)
  {
  }
  QVSlider* SizeSlider() { return m_SizeSlider; }
};

RECT ScreenRect(HWND window)
{
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// A click at a screen point, the pointer moved there first.
void ClickScreen(int x, int y)
{
  standin::Move(x, y);
  standin::Move(x, y);
  standin::Click(x, y);
  standin::Pump();
}

// The control at (100, 100) of a window at (200, 200): 24 x 24 on screen at
// the parent's client origin + (100, 100).
struct Fixture {
  Probe parent{QVRect(200, 200, 560, 460), QVWindow::eQVWindowStyleStaticMainCaption};
  std::unique_ptr<BrushProbe> control = std::make_unique<BrushProbe>(&parent, QVRect(100, 100, 124, 124));
  RECT r{};

  Fixture()
  {
    control->Init(kTrack, kThumb, kVerticalTrack, kVerticalThumb, 10, 5);
    standin::Pump();
    r = ScreenRect(control->GetWnd());
  }
  // Clicks the control and returns the popup left active: the size popup.
  HWND Open()
  {
    ClickScreen(r.left + 12, r.top + 12);
    return GetActiveWindow();
  }
};

} // namespace

TEST_F(BrushSize, ThePopupsOpenBesideAndBelowTheControl)
{
  Fixture f;
  const HWND size = f.Open();
  ASSERT_NE(size, f.parent.GetWnd());
  // The size popup, 22 x 104, at (right, top - 70); shown last, so active.
  const RECT s = ScreenRect(size);
  EXPECT_EQ(s.left * 10000 + s.top, f.r.right * 10000 + f.r.top - 70);
  EXPECT_EQ((s.right - s.left) * 1000 + s.bottom - s.top, 22104);
  // The blur popup, 104 x 19, at (left - 65, bottom): a click into it makes
  // it active.
  ClickScreen(f.r.left - 65 + 30, f.r.bottom + 9);
  const HWND blur = GetActiveWindow();
  ASSERT_NE(blur, size);
  const RECT b = ScreenRect(blur);
  EXPECT_EQ(b.left * 10000 + b.top, (f.r.left - 65) * 10000 + f.r.bottom);
  EXPECT_EQ((b.right - b.left) * 1000 + b.bottom - b.top, 104019);
  EXPECT_TRUE(IsWindowVisible(size) && IsWindowVisible(blur)) << "popup to popup keeps both open";
  // Back to the size popup: both stay.
  ClickScreen(s.left + 11, s.top + 90);
  EXPECT_EQ(GetActiveWindow(), size);
  EXPECT_TRUE(IsWindowVisible(size) && IsWindowVisible(blur));
  // A click on the parent closes both.
  ClickScreen(f.r.left + 150, f.r.top + 100);
  EXPECT_FALSE(IsWindowVisible(size));
  EXPECT_FALSE(IsWindowVisible(blur));
  // A click on the control while they are open activates the parent, which
  // closes both, and its button-up opens them again.
  EXPECT_EQ(f.Open(), size);
  EXPECT_EQ(f.Open(), size);
  EXPECT_TRUE(IsWindowVisible(size) && IsWindowVisible(blur));
}

TEST_F(BrushSize, EverySliderReleaseReportsSizeAndBlurPacked)
{
  Fixture f;
  const HWND size = f.Open();
  const RECT s = ScreenRect(size);
  // The size slider, 15 x 100 at (4, 2) of its popup: 80 px of track less
  // the 8-px thumb leaves 72 px for 0..50; y 44 is 44 / 72 * 50 = 30.6.
  ClickScreen(s.left + 4 + 7, s.top + 2 + 44);
  // The blur slider, 100 x 15 at (2, 2): 72 px for 0..25; x 36 gives 12.
  ClickScreen(f.r.left - 65 + 2 + 36, f.r.bottom + 2 + 7);
  ASSERT_EQ(f.parent.commands.size(), 2u);
  EXPECT_EQ(f.parent.commands[0].m_Command, WPARAM(kBrushMessage));
  EXPECT_EQ(f.parent.commands[0].m_Value, 30 * 65536 + 5);
  EXPECT_EQ(f.parent.commands[1].m_Value, 30 * 65536 + 12);
  EXPECT_EQ(f.control->GetBrushSize() * 100 + f.control->GetBlurSize(), 3012);
  // SetSize stores, sends nothing and leaves the slider where it was.
  f.control->SetSize(40);
  EXPECT_EQ(f.control->GetBrushSize(), 40);
  EXPECT_EQ(f.control->SizeSlider()->GetValue(), 30);
  EXPECT_EQ(f.parent.commands.size(), 2u);
  // Values beyond the sliders' ranges are packed in 32-bit unsigned
  // arithmetic: 70000 * 65536 + 3 wraps to 292552707.
  f.control->SetSize(70000);
  f.control->SetBlur(3);
  f.control->Update();
  ASSERT_EQ(f.parent.commands.size(), 3u);
  EXPECT_EQ(f.parent.commands[2].m_Value, 292552707);
}

TEST_F(BrushSize, AClickBeforeInitOpensNothing)
{
  Probe parent(QVRect(200, 200, 560, 460), QVWindow::eQVWindowStyleStaticMainCaption);
  const std::string alone = standin::DumpWindowTree();
  {
    BrushProbe control(&parent, QVRect(100, 100, 124, 124));
    standin::Pump();
    const std::string tree = standin::DumpWindowTree();
    HoverClick(control.GetWnd(), 12, 12);
    EXPECT_EQ(GetActiveWindow(), parent.GetWnd());
    EXPECT_EQ(standin::DumpWindowTree(), tree);
    EXPECT_EQ(standin::ReadPixel(control.GetWnd(), 5, 5), kBrushFaceColour);
    // Init twice: the first popups and sliders are deleted, and the control
    // deletes the second ones.
    control.Init(kTrack, kThumb, kVerticalTrack, kVerticalThumb, 0, 0);
    control.Init(kTrack, kThumb, kVerticalTrack, kVerticalThumb, 50, 25);
  }
  EXPECT_EQ(standin::DumpWindowTree(), alone);
  EXPECT_TRUE(parent.commands.empty());
}

TEST_F(BrushSize, SnapshotOfTheScreenWithBothPopupsOpen)
{
  Fixture f;
  const HWND size = f.Open();
  const RECT s = ScreenRect(size);
  ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Screen(), SnapshotPath("brushsize.png").c_str()));
  const standin::PixelView screen = standin::ViewPixels(standin::SurfaceTarget::Screen());
  EXPECT_EQ(screen.At(f.r.left + 5, f.r.top + 5), kBrushFaceColour);
  // The size slider's thumb at the value 10: position 72 * 10 / 50 = 14,
  // the 15 x 8 thumb across the slider; its track in the slider's middle.
  EXPECT_EQ(screen.At(s.left + 4 + 7, s.top + 2 + 14 + 4), kThumbColour);
  EXPECT_EQ(screen.At(s.left + 4 + 7, s.top + 2 + 60), kTrackColour);
  // The blur popup's track, stretched along its slider.
  bool track = false;
  for (int y = f.r.bottom; y < f.r.bottom + 19; ++y)
    track = track || screen.At(f.r.left - 65 + 50, y) == kTrackColour;
  EXPECT_TRUE(track);
}
