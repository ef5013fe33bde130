// The level control: knob hits, the dragged knob's limits, one
// notification per drag, and a receiver that deletes the control.
#include "peripheraltest.h"

#include "qvcommon/qvlevelcontrol.h"

#include <memory>

using Level = PeripheralControls;

namespace {

constexpr int32_t kLevelMessage = 3134;

// 64 x 60, the background's size: knobs are ScaleToWidth (6) = 64 * 6 / 61
// = 6 wide and ScaleToHeight (6) = 60 * 6 / 26 = 13 high. The default
// points (7, 0), (21, 0), (36, 0), (50, 0) are displayed at x + 4, y + 10.
std::unique_ptr<QVLevelControl> MakeLevel(QVWindow* parent, int left = 10, int top = 10)
{
  QVRect rect(left, top, left + 64, top + 60);
  auto level = std::unique_ptr<QVLevelControl>(
      QVLevelControl::CreateLevelControl(parent, rect, &TestResources(), kLevelMessage, kTestLevelBackground, 0));
  level->SetLevelBitmap(kTestKnob);
  return level;
}

std::vector<int32_t> Ys(QVLevelControl& level)
{
  QVPoint points[4];
  level.GetPoints(points);
  return {points[0].Y(), points[1].Y(), points[2].Y(), points[3].Y()};
}

std::vector<int32_t> Xs(QVLevelControl& level)
{
  QVPoint points[4];
  level.GetPoints(points);
  return {points[0].X(), points[1].X(), points[2].X(), points[3].X()};
}

// A window that deletes the control that notifies it.
class Deleter : public Probe {
public:
  using Probe::Probe;
  bool HandleCommand(QVEvent& event) override
  {
    Probe::HandleCommand(event);
    delete reinterpret_cast<QVLevelControl*>(event.m_Value);
    return true;
  }
};

} // namespace

TEST_F(Level, DraggingMovesOnlyTheKnobsYWithinItsRange)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto level = MakeLevel(&parent);
  const HWND hwnd = level->GetWnd();
  const std::vector<int32_t> xs = Xs(*level);
  EXPECT_EQ(xs, (std::vector<int32_t>{7, 21, 36, 50}));
  // Knob 1 at (25, 10): the rectangle (22, 4)-(28, 17).
  Hover(hwnd, 27, 16);
  standin::Press(hwnd, 27, 16);
  standin::Move(hwnd, 27, 30); // y = 30 - 10
  standin::Pump();
  EXPECT_EQ(Ys(*level), (std::vector<int32_t>{0, 20, 0, 0}));
  standin::Move(hwnd, 90, -30); // above the control: 0
  standin::Pump();
  EXPECT_EQ(Ys(*level)[1], 0);
  standin::Move(hwnd, 27, 54); // 44
  standin::Pump();
  EXPECT_EQ(Ys(*level)[1], 44);
  standin::Move(hwnd, 27, 56); // 46 is held at 45
  standin::Pump();
  EXPECT_EQ(Ys(*level)[1], 45);
  standin::Move(hwnd, 27, 150); // far below
  standin::Pump();
  EXPECT_EQ(Ys(*level)[1], 45);
  standin::Move(hwnd, 27, 9); // above the first displayed row
  standin::Pump();
  EXPECT_EQ(Ys(*level)[1], 0);
  standin::Move(hwnd, 27, 40);
  standin::Release(hwnd, 27, 40);
  standin::Pump();
  EXPECT_EQ(Ys(*level), (std::vector<int32_t>{0, 30, 0, 0}));
  EXPECT_EQ(Xs(*level), xs) << "x never changes";
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Level, OverlappingKnobsGoToTheLowerNumber)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto level = MakeLevel(&parent);
  // Knobs 1 and 2 displayed at x 25 and 28: rectangles 22..28 and 25..31.
  const QVPoint close[4] = {QVPoint(7, 0), QVPoint(21, 0), QVPoint(24, 0), QVPoint(50, 0)};
  level->SetPoints(close);
  const HWND hwnd = level->GetWnd();
  Hover(hwnd, 26, 10);
  standin::Press(hwnd, 26, 10);
  standin::Move(hwnd, 26, 35);
  standin::Release(hwnd, 26, 35);
  standin::Pump();
  EXPECT_EQ(Ys(*level), (std::vector<int32_t>{0, 25, 0, 0}));
  // Past knob 1's right edge only knob 2 is left.
  Hover(hwnd, 29, 10);
  standin::Press(hwnd, 29, 10);
  standin::Move(hwnd, 29, 20);
  standin::Release(hwnd, 29, 20);
  standin::Pump();
  EXPECT_EQ(Ys(*level), (std::vector<int32_t>{0, 25, 10, 0}));
}

TEST_F(Level, OneNotificationPerDragAndNoneWithout)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto level = MakeLevel(&parent);
  const HWND hwnd = level->GetWnd();
  // A press between knobs starts no drag: the move changes nothing.
  Hover(hwnd, 32, 12);
  standin::Press(hwnd, 32, 12);
  standin::Move(hwnd, 32, 40);
  standin::Release(hwnd, 32, 40);
  standin::Pump();
  EXPECT_EQ(Ys(*level), (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_TRUE(parent.commands.empty());
  // A drag of knob 3, (54, 10), sends the control's address once.
  Hover(hwnd, 54, 10);
  standin::Press(hwnd, 54, 10);
  standin::Move(hwnd, 54, 20);
  standin::Move(hwnd, 54, 25);
  standin::Release(hwnd, 54, 25);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0].m_Command, WPARAM(kLevelMessage));
  QVPoint points[4];
  reinterpret_cast<QVLevelControl*>(parent.commands[0].m_Value)->GetPoints(points);
  EXPECT_EQ(points[3].Y(), 15);
  // A second release with no press of its own sends nothing more.
  standin::Release(hwnd, 54, 25);
  standin::Pump();
  EXPECT_EQ(parent.commands.size(), 1u);
}

TEST_F(Level, AReceiverMayDeleteTheControlItIsTold)
{
  Deleter parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVLevelControl* level = MakeLevel(&parent).release();
  const HWND hwnd = level->GetWnd();
  Hover(hwnd, 11, 10);
  standin::Press(hwnd, 11, 10);
  standin::Move(hwnd, 11, 30);
  standin::Release(hwnd, 11, 30);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(standin::DumpWindowTree().find("__QVWindowStyleControl"), std::string::npos);
}

TEST_F(Level, NothingIsDrawnWithoutAPictureAndKnobsNeedTheirs)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 74, 70);
  QVLevelControl bare(&parent, rect, &TestResources(), kLevelMessage);
  QVRect other(100, 10, 164, 70);
  auto knobless = std::unique_ptr<QVLevelControl>(
      QVLevelControl::CreateLevelControl(&parent, other, &TestResources(), kLevelMessage, kTestLevelBackground, 0));
  // A knob picture that does not load replaces the one before and counts
  // as none.
  knobless->SetLevelBitmap(kTestKnob);
  knobless->SetLevelBitmap(9999);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(bare.GetWnd(), 11, 10), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(bare.GetWnd(), 30, 12), kClassGrey) << "no curve either";
  // The picture and the curve, without knobs: the curve starts at (11, 10).
  EXPECT_EQ(standin::ReadPixel(knobless->GetWnd(), 11, 10), RGB(0, 0, 0));
  EXPECT_EQ(standin::ReadPixel(knobless->GetWnd(), 11, 30), kLevelColour);
}

TEST_F(Level, SnapshotOfACurveWithOneKnobDragged)
{
  Probe parent(QVRect(0, 0, 100, 110), QVWindow::eQVWindowStyleStaticMainCaption);
  auto level = MakeLevel(&parent);
  level->SetControlText("Mid", 0, 0);
  const HWND hwnd = level->GetWnd();
  standin::Pump(); // the first paint, the parent's included
  Hover(hwnd, 25, 10);
  standin::Press(hwnd, 25, 10);
  standin::Move(hwnd, 25, 50); // knob 1 to stored y 40, displayed at (25, 50)
  standin::Release(hwnd, 25, 50);
  standin::Pump();
  ASSERT_TRUE(standin::SnapshotPng(parent.GetWnd(), SnapshotPath("level.png").c_str()));
  EXPECT_EQ(standin::ReadPixel(hwnd, 25, 50), kKnobColour);
  EXPECT_EQ(standin::ReadPixel(hwnd, 25 + 3, 50 + 3), kKnobColour);
  EXPECT_EQ(standin::ReadPixel(hwnd, 11, 10), kKnobColour) << "knob 0 where it was";
  EXPECT_EQ(standin::ReadPixel(hwnd, 60, 5), kLevelColour);
  // The curve dips between the end knobs: some black below row 20.
  int below = 0;
  for (int y = 20; y < 60; ++y)
    for (int x = 12; x < 50; ++x)
      below += standin::ReadPixel(hwnd, x, y) == RGB(0, 0, 0);
  EXPECT_GT(below, 10);
}
