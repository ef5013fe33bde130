// The scrollbar: its geometry, arrows that move a target within the
// window layer's scrolling limits, an inert track, and no target.
#include "peripheraltest.h"

#include "qvcommon/qvbutton.h"
#include "qvcommon/qvscrollbar.h"

using Scrollbar = PeripheralControls;

namespace {

class ScrollbarProbe : public QVScrollbar {
public:
  ScrollbarProbe(QVWindow* parent, QVRect rect, QVWindow* target, int32_t amount)
      : QVScrollbar(parent, rect, &TestResources(), target, amount)
  {
  }
  QVButton* Up() { return m_UpButton; }
  QVButton* Down() { return m_DownButton; }
};

QVRect Placed(QVWindow* w) { return QVRect(w->Left(), w->Top(), w->Right(), w->Bottom()); }

void Press(QVButton* button) { HoverClick(button->GetWnd(), button->Width() - 1, 4); }

} // namespace

TEST_F(Scrollbar, ArrowsTakeTheTopAndBottomNinePixelsAndTheTrackTheRest)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  ScrollbarProbe bar(&parent, QVRect(20, 30, 32, 130), nullptr, 10);
  bar.Init(kScrollUp, kScrollDown);
  bar.Init(kScrollUp, kScrollDown); // the first buttons are deleted, not leaked
  // 12 x 100: up (0, 0, 12, 9), down (0, 91, 12, 100), track (0, 9, 12, 91).
  EXPECT_TRUE(Placed(bar.Up()).IsSame(QVRect(0, 0, 12, 9)));
  EXPECT_TRUE(Placed(bar.Down()).IsSame(QVRect(0, 91, 12, 100)));
  EXPECT_TRUE(bar.GetTrackRect().IsSame(QVRect(0, 9, 12, 91)));
  EXPECT_EQ(bar.Up()->GetControlMessage() * 1000 + bar.Down()->GetControlMessage(), 101102);
  standin::Pump();
  // Arrows in their pictures' colours, the track grey (192).
  EXPECT_EQ(standin::ReadPixel(bar.GetWnd(), 11, 0), kScrollUpColour);
  EXPECT_EQ(standin::ReadPixel(bar.GetWnd(), 0, 99), kScrollDownColour);
  EXPECT_EQ(standin::ReadPixel(bar.GetWnd(), 5, 50), RGB(192, 192, 192));
  EXPECT_EQ(bar.GetScrollAmt(), 10);
}

TEST_F(Scrollbar, EachArrowMovesTheTargetOneStepWithinItsParent)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  // A 100-px tall view in which a 150-px target scrolls.
  const QVRect viewRect(10, 10, 110, 110), targetRect(0, 0, 100, 150);
  QVWindow view(&viewRect, "", QVWindow::eQVWindowStyleEmpty, &TestResources(), &parent, nullptr);
  QVWindow target(&targetRect, "", QVWindow::eQVWindowStyleEmpty, &TestResources(), &view, nullptr);
  ScrollbarProbe bar(&parent, QVRect(120, 10, 135, 110), &target, 20);
  bar.Init(kScrollUp, kScrollDown);
  standin::Pump();
  std::vector<int32_t> tops;
  auto step = [&](QVButton* arrow) {
    Press(arrow);
    tops.push_back(target.Top());
  };
  step(bar.Up());   // at the top already: stays at 0
  step(bar.Down()); // content up: -20
  step(bar.Down()); // -40 (bottom 110 >= 100)
  step(bar.Down()); // bottom 90 would rise above the view's bottom: stays
  step(bar.Up());   // -20
  step(bar.Up());   // 0
  step(bar.Up());   // stays
  EXPECT_EQ(tops, (std::vector<int32_t>{0, -20, -40, -40, -20, 0, 0}));
  RECT placed;
  GetWindowRect(target.GetWnd(), &placed);
  EXPECT_EQ(placed.bottom - placed.top, 150) << "the height is kept";
  EXPECT_TRUE(parent.commands.empty()) << "the arrows report to the scrollbar only";
}

TEST_F(Scrollbar, TheTrackTakesEveryMouseMessageAndDoesNothing)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  const QVRect targetRect(0, -40, 100, 150);
  QVWindow target(&targetRect, "", QVWindow::eQVWindowStyleEmpty, &TestResources(), &parent, nullptr);
  ScrollbarProbe bar(&parent, QVRect(120, 10, 135, 110), &target, 20);
  bar.Init(kScrollUp, kScrollDown);
  standin::Pump();
  for (UINT message : {UINT(WM_LBUTTONDOWN), UINT(WM_MOUSEMOVE), UINT(WM_LBUTTONUP), UINT(WM_LBUTTONDBLCLK)})
    EXPECT_EQ(SendMessageA(bar.GetWnd(), message, 0, MAKELPARAM(5, 50)), 1) << message;
  HoverClick(bar.GetWnd(), 5, 50);
  EXPECT_EQ(target.Top(), -40);
  EXPECT_EQ(standin::ReadPixel(bar.GetWnd(), 5, 50), RGB(192, 192, 192));
}

TEST_F(Scrollbar, WithoutATargetTheArrowsDoNothing)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  ScrollbarProbe bar(&parent, QVRect(120, 10, 135, 110), nullptr, 20);
  bar.Init(kScrollUp, kScrollDown);
  bar.SetMinMax(0, 10);
  standin::Pump();
  Press(bar.Down());
  Press(bar.Up());
  EXPECT_EQ(SendMessageA(bar.GetWnd(), WM_COMMAND, 102, 0), 1) << "commands are taken";
  EXPECT_TRUE(parent.commands.empty());
}
