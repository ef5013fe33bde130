// The progress bar, the picture display and the splash window.
#include "controlstest.h"

#include "qvcommon/qvpicturedisplay.h"
#include "qvcommon/qvprogressbar.h"
#include "qvcommon/qvsplashwin.h"

#include <memory>

using ProgressBars = WindowLayer;
using PictureDisplays = WindowLayer;
using SplashWindows = WindowLayer;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlack = RGB(0, 0, 0);

// The red columns of row y.
int RedColumns(HWND bar, int width, int y)
{
  int red = 0;
  for (int x = 0; x < width; ++x)
    red += standin::ReadPixel(bar, x, y) == kRed;
  return red;
}

// A splash window that counts its deletions.
class CountedSplash : public QVSplashWin {
public:
  CountedSplash(QVRect rect, int* deletions)
      : QVSplashWin(&rect, &TestResources(), nullptr, kSplash), deletions_(deletions)
  {
  }
  ~CountedSplash() override { ++*deletions_; }

private:
  int* deletions_;
};

// Runs what waits, as an application's loop would, but counts (instead of
// carrying out) the deferred deletes of `object`.
int DeleteRequestsWhilePumping(const void* object)
{
  int requests = 0;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!message.hwnd && message.message == WM_NULL)
      requests += message.lParam == reinterpret_cast<LPARAM>(object);
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return requests;
}

} // namespace

TEST_F(ProgressBars, TheFillIsProportionalAndHeldWithinTheBar)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 110, 30);
  QVProgressBar bar(&parent, &rect, "unused", nullptr, 200, 10);
  standin::Pump();
  const HWND w = bar.GetWnd();
  // The frame in black, nothing filled.
  EXPECT_EQ(standin::ReadPixel(w, 50, 0), kBlack);
  EXPECT_EQ(standin::ReadPixel(w, 99, 10), kBlack);
  EXPECT_EQ(standin::ReadPixel(w, 50, 10), kClassGrey);
  // 100 wide x 50 / 200: 25 columns filled, over the frame's left part.
  bar.SetProgress(50);
  EXPECT_EQ(RedColumns(w, 100, 10), 25);
  EXPECT_EQ(standin::ReadPixel(w, 24, 0), kRed);
  EXPECT_EQ(standin::ReadPixel(w, 25, 0), kBlack);
  // Overshoot fills the bar and no more; the progress is kept as given.
  bar.SetProgress(1000);
  EXPECT_EQ(RedColumns(w, 100, 10), 100);
  EXPECT_EQ(bar.GetProgress(), 1000);
  bar.SetProgress(-40);
  EXPECT_EQ(RedColumns(w, 100, 10), 0) << "lowering erases what was filled";
  // AddProgress and Increment stop at the total.
  bar.SetProgress(150);
  bar.AddProgress(49);
  EXPECT_EQ(bar.GetProgress(), 199);
  bar.AddProgress(49);
  EXPECT_EQ(bar.GetProgress(), 200);
  bar.Increment();
  EXPECT_EQ(bar.GetProgress(), 200);
  EXPECT_EQ(RedColumns(w, 100, 10), 100);
}

TEST_F(ProgressBars, OnlyAChangeRepaintsAndOnlyALowerValueErases)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 110, 30), barRect(10, 5, 60, 15);
  QVProgressBar bar(&parent, &rect, nullptr, &barRect, 100, 10);
  standin::Pump();
  const HWND w = bar.GetWnd();
  const long paints = standin::PaintCount(w);
  bar.SetProgress(0);
  EXPECT_EQ(standin::PaintCount(w), paints) << "the same value";
  // Hidden, the bar keeps its update pending, so the erase flag shows.
  ShowWindow(w, SW_HIDE);
  bar.SetProgress(40);
  EXPECT_FALSE(standin::ErasePending(w));
  bar.SetProgress(20);
  EXPECT_TRUE(standin::ErasePending(w));
  ShowWindow(w, SW_SHOW);
  standin::Pump();
  // The bar rectangle given: 50 wide from x 10, rows 5..14; 20% is 10 columns.
  EXPECT_EQ(RedColumns(w, 100, 8), 10);
  EXPECT_EQ(standin::ReadPixel(w, 10, 5), kRed);
  EXPECT_EQ(standin::ReadPixel(w, 19, 14), kRed);
  EXPECT_EQ(standin::ReadPixel(w, 20, 8), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(w, 15, 15), kClassGrey);
}

TEST_F(ProgressBars, EachEntryOfThePointerIncrementsAndATotalOfZeroFillsNothing)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 110, 30), empty(10, 40, 110, 60);
  QVProgressBar bar(&parent, &rect, nullptr, nullptr, 100, 30);
  QVProgressBar none(&parent, &empty, nullptr, nullptr, 0, 30);
  standin::Pump();
  for (int i = 0; i < 4; ++i) {
    Hover(bar.GetWnd(), 50, 10);
    Hover(parent.GetWnd(), 250, 150);
  }
  standin::Pump();
  EXPECT_EQ(bar.GetProgress(), 100) << "30, 60, 90, then the total";
  none.SetProgress(5);
  EXPECT_EQ(RedColumns(none.GetWnd(), 100, 10), 0);
  Hover(none.GetWnd(), 50, 10);
  standin::Pump();
  EXPECT_EQ(none.GetProgress(), 0) << "min (total, progress + increment)";
}

TEST_F(PictureDisplays, ShowTheirPictureAtTheOriginOrNothing)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 70, 50), missing(100, 10, 160, 50);
  QVPictureDisplay display(&parent, rect, &TestResources(), kSplash);
  QVPictureDisplay blank(&parent, missing, &TestResources(), 9999);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(display.GetWnd(), 0, 0), kSplashFrameColour);
  EXPECT_EQ(standin::ReadPixel(display.GetWnd(), 20, 15), kSplashColour);
  EXPECT_EQ(standin::ReadPixel(display.GetWnd(), 39, 29), kSplashFrameColour);
  EXPECT_EQ(standin::ReadPixel(display.GetWnd(), 40, 30), kClassGrey) << "beyond the picture";
  for (const auto& [x, y] : {std::pair{0, 0}, {30, 20}, {59, 39}})
    EXPECT_EQ(standin::ReadPixel(blank.GetWnd(), x, y), kClassGrey);

  QVRect barRect(10, 60, 210, 80);
  QVProgressBar bar(&parent, &barRect, nullptr, nullptr, 4, 1);
  standin::Pump();
  bar.SetProgress(3);
  const std::string path = SnapshotPath("progress-picture.png");
  ASSERT_TRUE(standin::SnapshotPng(parent.GetWnd(), path.c_str()));
  EXPECT_EQ(RedColumns(bar.GetWnd(), 200, 10), 150);
}

TEST_F(SplashWindows, ASplashIsShownActiveAndAClickOnlyAsksForItsDeletion)
{
  int deletions = 0;
  auto* splash = new CountedSplash(QVRect(200, 150, 320, 240), &deletions);
  EXPECT_TRUE(splash->Visible());
  EXPECT_EQ(GetActiveWindow(), splash->GetWnd());
  standin::Pump();
  // The 40 x 30 picture tiled from the top left: a frame starts every 40
  // columns and every 30 rows.
  const standin::PixelView screen = standin::ViewPixels(standin::SurfaceTarget::Screen());
  EXPECT_EQ(screen.At(200, 150), kSplashFrameColour);
  EXPECT_EQ(screen.At(210, 160), kSplashColour);
  EXPECT_EQ(screen.At(240, 160), kSplashFrameColour);
  EXPECT_EQ(screen.At(237, 160), kSplashColour);
  EXPECT_EQ(screen.At(238, 160), kSplashFrameColour) << "the first tile's right frame";
  EXPECT_EQ(screen.At(210, 180), kSplashFrameColour);
  EXPECT_EQ(screen.At(199, 160), RGB(0, 128, 128)) << "the desktop beside it";
  ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Screen(), SnapshotPath("splash.png").c_str()));

  standin::Click(splash->GetWnd(), 30, 30);
  EXPECT_EQ(DeleteRequestsWhilePumping(splash), 1);
  EXPECT_EQ(deletions, 0) << "the splash never deletes itself";
  // The second press of a double click is a double click: no second request.
  standin::DoubleClick(splash->GetWnd(), 30, 30);
  EXPECT_EQ(DeleteRequestsWhilePumping(splash), 1);
  delete splash;
  EXPECT_EQ(deletions, 1);
}
