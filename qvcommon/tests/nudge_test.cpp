// The nudge pad: its layout from one arrow by rotation, hit testing, hot
// tracking and the values it reports, and a pad without pictures.
#include "peripheraltest.h"

#include "qvcommon/qvnudgecontrol.h"

#include <memory>

using Nudge = PeripheralControls;

namespace {

constexpr int32_t kNudgeMessage = 3133;

std::unique_ptr<QVNudgeControl> MakePad(QVWindow* parent, QVRect rect)
{
  return std::unique_ptr<QVNudgeControl>(
      QVNudgeControl::CreateNudgeControl(parent, rect, &TestResources(), kNudgeMessage, kTestArrow, kTestHotArrow));
}

int16_t Hit(QVNudgeControl& pad, int x, int y)
{
  QVPoint p(x, y);
  return pad.GetHitQuad(p);
}

// The natural layout of the 16 x 12 arrow is 40 x 40: top (12, 0)-(28, 12),
// bottom (12, 28)-(28, 40), left (0, 12)-(12, 28), right (28, 12)-(40, 28).

} // namespace

TEST_F(Nudge, TheArrowsLieAroundAGapAtNaturalAndDoubleSize)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto pad = MakePad(&parent, QVRect(10, 10, 50, 50));
  struct Case {
    int x, y;
    int16_t quadrant;
  };
  for (const Case c :
       {Case{20, 5, 1}, Case{20, 35, 2}, Case{5, 20, 3}, Case{35, 20, 4}, Case{20, 20, -1}, Case{0, 0, -1},
        Case{39, 39, -1}, Case{12, 12, 1}, // on the top and left arrows' shared corner: the first wins
        Case{28, 28, 2},                   // bottom and right
        Case{40, 20, 4}})                  // the right edge counts
    EXPECT_EQ(Hit(*pad, c.x, c.y), c.quadrant) << c.x << "," << c.y;
  // Twice the natural size doubles every rectangle.
  auto big = MakePad(&parent, QVRect(100, 10, 180, 90));
  for (const Case c : {Case{40, 10, 1}, Case{40, 70, 2}, Case{10, 40, 3}, Case{56, 40, 4}, Case{55, 40, -1},
                       Case{24, 24, 1}, Case{80, 24, 4}, Case{23, 23, -1}})
    EXPECT_EQ(Hit(*big, c.x, c.y), c.quadrant) << c.x << "," << c.y;
  // The stretched pictures fill them: the top arrow's apex, columns 7-8 of
  // row 1, covers (2 * (12 + 7), 2 * 1) to (2 * (12 + 8) + 1, 3).
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(big->GetWnd(), 38, 2), kFaceColour);
  EXPECT_EQ(standin::ReadPixel(big->GetWnd(), 41, 3), kFaceColour);
  EXPECT_EQ(standin::ReadPixel(big->GetWnd(), 37, 2), kClassGrey);
}

TEST_F(Nudge, EachArrowPointsAwayFromTheGap)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto pad = MakePad(&parent, QVRect(10, 10, 50, 50));
  standin::Pump();
  const HWND hwnd = pad->GetWnd();
  auto face = [&](int x, int y) { return standin::ReadPixel(hwnd, x, y) == kFaceColour; };
  // Up: the apex (columns 7-8 of row 1) at the top, the base (row 10,
  // columns 1-14) near the gap.
  EXPECT_TRUE(face(12 + 7, 1) && face(12 + 8, 1) && !face(12 + 6, 1));
  EXPECT_TRUE(face(12 + 1, 10) && face(12 + 14, 10));
  // Down, turned 180 degrees: (x, y) -> (15 - x, 11 - y), apex in row 10.
  EXPECT_TRUE(face(12 + 7, 28 + 10) && face(12 + 8, 28 + 10) && !face(12 + 6, 28 + 10));
  EXPECT_TRUE(face(12 + 1, 28 + 1) && face(12 + 14, 28 + 1));
  // Left, turned counter-clockwise: the apex in column 1, rows 7-8.
  EXPECT_TRUE(face(1, 12 + 7) && face(1, 12 + 8) && !face(1, 12 + 6));
  EXPECT_TRUE(face(10, 12 + 1) && face(10, 12 + 14));
  // Right, turned clockwise: the apex in column 10.
  EXPECT_TRUE(face(28 + 10, 12 + 7) && face(28 + 10, 12 + 8) && !face(28 + 10, 12 + 6));
  EXPECT_TRUE(face(28 + 1, 12 + 1) && face(28 + 1, 12 + 14));
  EXPECT_EQ(standin::ReadPixel(hwnd, 20, 20), kClassGrey) << "the gap";
}

TEST_F(Nudge, TheArrowUnderThePointerIsHotUntilTheGapOrLeaving)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto pad = MakePad(&parent, QVRect(10, 10, 50, 50));
  const HWND hwnd = pad->GetWnd();
  // An inner pixel of each arrow: accent when hot, face otherwise.
  auto hot = [&](int x, int y) { return standin::ReadPixel(hwnd, x, y) == kAccent; };
  const int topX = 20, topY = 8, rightX = 32, rightY = 20;
  standin::Pump(); // the first paint, the parent's included
  Hover(hwnd, 20, 5);
  standin::Pump();
  EXPECT_TRUE(hot(topX, topY));
  EXPECT_FALSE(hot(rightX, rightY));
  Hover(hwnd, 35, 20);
  standin::Pump();
  EXPECT_FALSE(hot(topX, topY));
  EXPECT_TRUE(hot(rightX, rightY));
  Hover(hwnd, 20, 20); // the gap
  standin::Pump();
  EXPECT_FALSE(hot(rightX, rightY));
  Hover(hwnd, 35, 20);
  standin::Pump();
  EXPECT_TRUE(hot(rightX, rightY));
  standin::Move(parent.GetWnd(), 150, 150); // off the pad
  standin::Pump();
  EXPECT_FALSE(hot(rightX, rightY));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(parent.commands.empty());
}

TEST_F(Nudge, AReleaseOverAnArrowReportsItsNumber)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto pad = MakePad(&parent, QVRect(10, 10, 50, 50));
  const HWND hwnd = pad->GetWnd();
  const std::pair<int, int> arrows[] = {{20, 5}, {20, 35}, {5, 20}, {35, 20}};
  for (const auto& [x, y] : arrows)
    HoverClick(hwnd, x, y);
  HoverClick(hwnd, 20, 20); // the gap: nothing
  // Pressed on the right arrow and released off the pad: nothing either.
  Hover(hwnd, 35, 20);
  standin::Press(hwnd, 35, 20);
  standin::Release(parent.GetWnd(), 150, 150);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(parent.commands[i].m_Command, WPARAM(kNudgeMessage));
    EXPECT_EQ(parent.commands[i].m_Value, i + 1);
  }
}

TEST_F(Nudge, TheDefaultPadUsesTheFrameworksArrows)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 50, 50);
  // Picture id 0: arrows 701 and 702 of the framework's module, whatever
  // resources the caller gives.
  std::unique_ptr<QVNudgeControl> pad(
      QVNudgeControl::CreateNudgeControl(&parent, rect, &TestResources(), kNudgeMessage, 0, 12345));
  EXPECT_EQ(Hit(*pad, 20, 5), 1);
  EXPECT_EQ(Hit(*pad, 35, 20), 4);
  EXPECT_EQ(Hit(*pad, 20, 20), -1);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(pad->GetWnd(), 12 + 7, 1), kFaceColour) << "the top arrow's apex";
  EXPECT_EQ(standin::ReadPixel(pad->GetWnd(), 28 + 10, 12 + 7), kFaceColour) << "the right arrow's apex";
}

TEST_F(Nudge, APadWithoutPicturesHitsAndDrawsNothing)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 50, 50);
  QVNudgeControl bare(&parent, rect, &TestResources(), kNudgeMessage);
  // Its rectangles are empty at (0, 0), which an edge-inclusive test would
  // otherwise report as the top arrow.
  EXPECT_EQ(Hit(bare, 0, 0), -1);
  auto missing = MakePad(&parent, QVRect(60, 10, 100, 50));
  EXPECT_EQ(missing->SetNudgePicIDs(9998, 9999), 0);
  EXPECT_EQ(Hit(*missing, 0, 0), -1);
  EXPECT_EQ(Hit(*missing, 20, 5), -1);
  standin::Pump();
  for (QVNudgeControl* pad : {&bare, missing.get()}) {
    for (int y = 0; y < 40; y += 3)
      for (int x = 0; x < 40; x += 3)
        ASSERT_EQ(standin::ReadPixel(pad->GetWnd(), x, y), kClassGrey) << x << "," << y;
    HoverClick(pad->GetWnd(), 0, 0);
  }
  EXPECT_TRUE(parent.commands.empty());
  // Pictures set again replace the ones before (freed, as ASan checks).
  auto pad = MakePad(&parent, QVRect(110, 10, 150, 50));
  pad->SetNudgePicIDs(kTestArrow, kTestHotArrow);
  EXPECT_EQ(Hit(*pad, 35, 20), 4);
}

TEST_F(Nudge, SnapshotOfThePadWithTheRightArrowHot)
{
  Probe parent(QVRect(0, 0, 160, 120), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect natural(10, 10, 50, 50), twice(60, 10, 140, 90);
  std::unique_ptr<QVNudgeControl> pad(
      QVNudgeControl::CreateNudgeControl(&parent, natural, nullptr, kNudgeMessage, 0, 0));
  std::unique_ptr<QVNudgeControl> big(QVNudgeControl::CreateNudgeControl(&parent, twice, nullptr, kNudgeMessage, 0, 0));
  standin::Pump();
  Hover(pad->GetWnd(), 35, 20);
  standin::Pump();
  ASSERT_TRUE(standin::SnapshotPng(parent.GetWnd(), SnapshotPath("nudge.png").c_str()));
  EXPECT_EQ(standin::ReadPixel(pad->GetWnd(), 32, 20), kAccent);
  EXPECT_EQ(standin::ReadPixel(pad->GetWnd(), 20, 8), kFaceColour);
  EXPECT_EQ(standin::ReadPixel(big->GetWnd(), 64, 40), kFaceColour);
}
