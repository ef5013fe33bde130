// The ring: the angle of a pointer position, the dial's place, a drag that
// reports once, and rings without a picture or a size.
#include "peripheraltest.h"

#include "qvcommon/qvpicture.h"
#include "qvcommon/qvring.h"

#include <memory>

using Ring = PeripheralControls;

namespace {

constexpr int32_t kRingMessage = 3108;

std::unique_ptr<QVRing> MakeRing(QVWindow* parent, QVRect rect, int32_t ringId = kTestRing, int32_t offset = 0)
{
  return std::unique_ptr<QVRing>(
      QVRing::CreateRingControl(parent, rect, &TestResources(), kRingMessage, ringId, 0, offset));
}

} // namespace

TEST_F(Ring, TheAngleIsSeenFromEightPixelsAboveTheMiddle)
{
  Probe parent(QVRect(0, 0, 300, 300), QVWindow::eQVWindowStyleStaticMainCaption);
  // Control and ring picture both 81 x 81, so the point is not scaled; the
  // middle is (40, 40) and the angle is seen from (40, 32).
  auto ring = MakeRing(&parent, QVRect(0, 0, 81, 81));
  struct Case {
    int x, y;
    int16_t angle;
  };
  for (const Case c : {Case{40, 10, 90},                      // straight above
                       Case{40, 70, 270},                     // straight below
                       Case{40, 32, 270},                     // on the eye itself: dy is 0, not above
                       Case{70, 32, 0},                       // right, on the eye's row
                       Case{20, 12, 135},                     // up and left at 45 degrees
                       Case{10, 32, 180}, Case{70, 33, 358}}) // a pixel below the row: -1.9 degrees
    EXPECT_EQ(ring->GetMouseRingAngle(QVPoint(c.x, c.y)), c.angle) << c.x << "," << c.y;
  // A control twice the ring's size scales the point down first: (140, 64)
  // is (70, 32) in the ring.
  auto big = MakeRing(&parent, QVRect(100, 0, 262, 162));
  EXPECT_EQ(big->GetMouseRingAngle(QVPoint(140, 64)), 0);
  EXPECT_EQ(big->GetMouseRingAngle(QVPoint(80, 20)), 90);
}

TEST_F(Ring, TheDialRidesItsCircleFromTheRingsCentre)
{
  Probe parent(QVRect(0, 0, 300, 300), QVWindow::eQVWindowStyleStaticMainCaption);
  auto ring = MakeRing(&parent, QVRect(10, 10, 101, 91), kTestRing, 5);
  int32_t x = 0, y = 0;
  // Without a given radius it is half the ring's width, 40; the centre is
  // (81 / 2 - 1, 81 / 2 - 1) = (39, 39).
  ring->GetXYFromAngle(&x, &y);
  EXPECT_EQ(x * 1000 + y, (5 + 39 + 40) * 1000 + 40);
  // A 9-px dial: radius 81 / 2 - 9 / 2 - 12 = 24.
  EXPECT_TRUE(ring->SetDialBitmap(kTestDial));
  EXPECT_TRUE(ring->SetDialBitmap(kTestDial)); // the first dial is freed, not leaked
  struct Case {
    int32_t angle, x, y;
  };
  for (const Case c : {Case{0, 5 + 63, 40}, Case{90, 5 + 39, 39 - 24 + 1}, Case{180, 5 + 39 - 23, 40},
                       Case{270, 5 + 39, 39 + 23 + 1}}) {
    ring->SetRingAngle(c.angle);
    ring->GetXYFromAngle(&x, &y);
    EXPECT_EQ(x * 1000 + y, c.x * 1000 + c.y) << c.angle;
  }
  // The dial is drawn centred there, over the ring at the picture offset.
  ring->SetRingAngle(0);
  ring->UpdateControl(false);
  EXPECT_EQ(standin::ReadPixel(ring->GetWnd(), 68, 40), kDialColour);
  EXPECT_EQ(standin::ReadPixel(ring->GetWnd(), 68 + 4, 40 + 4), kDialColour);
  EXPECT_EQ(standin::ReadPixel(ring->GetWnd(), 68 + 5, 40), kFaceColour) << "just right of the dial";
  EXPECT_EQ(standin::ReadPixel(ring->GetWnd(), 5 + 39, 40), kFaceColour) << "the ring's middle";
  EXPECT_EQ(standin::ReadPixel(ring->GetWnd(), 2, 40), kClassGrey) << "left of the offset ring";
}

TEST_F(Ring, ADragAroundTheCentreReportsOneAngleOnRelease)
{
  Probe parent(QVRect(50, 50, 300, 300), QVWindow::eQVWindowStyleStaticMainCaption);
  auto ring = MakeRing(&parent, QVRect(20, 20, 101, 101));
  ring->SetDialBitmap(kTestDial);
  const HWND hwnd = ring->GetWnd();
  standin::Pump(); // the first paint, the parent's included
  Hover(hwnd, 70, 32);
  standin::Press(hwnd, 70, 32); // 0 degrees
  standin::Move(hwnd, 40, 10);  // 90
  standin::Move(hwnd, 10, 32);  // 180
  standin::Move(hwnd, 40, 120); // below the control, still turning the dial: 270
  standin::Pump();
  EXPECT_TRUE(parent.commands.empty()) << "nothing while dragging";
  EXPECT_EQ(GetCapture(), hwnd) << "the drag keeps the capture outside the control";
  // The dial drawn at 270 degrees: centre (39, 39 + 23 + 1), as
  // trunc (24 sin 270 + 0.5) is -23.
  EXPECT_EQ(standin::ReadPixel(hwnd, 39, 63), kDialColour);
  standin::Release(hwnd, 40, 120);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0].m_Command, WPARAM(kRingMessage));
  EXPECT_EQ(parent.commands[0].m_Value, 270);
  EXPECT_EQ(GetCapture(), nullptr);
  // Moving without the button turns nothing.
  Hover(hwnd, 70, 32);
  standin::Click(hwnd, 40, 10);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 2u);
  EXPECT_EQ(parent.commands[1].m_Value, 90) << "a click sets the angle where it presses";
}

TEST_F(Ring, TheDefaultRingIsTheFrameworksWithADialFromTheCallersResources)
{
  std::unique_ptr<QVResourceFile> module(CreateModuleResourceFile());
  const QVPicture own(208, module.get());
  ASSERT_TRUE(own.ValidPicture());
  EXPECT_EQ(own.Width() * 1000 + own.Height(), 81081);
  Probe parent(QVRect(0, 0, 300, 300), QVWindow::eQVWindowStyleStaticMainCaption);
  auto ring = MakeRing(&parent, QVRect(10, 10, 91, 91), 0);
  int32_t x = 0, y = 0;
  // Ring id 0 and radius 0: radius 24 around (39, 39).
  ring->GetXYFromAngle(&x, &y);
  EXPECT_EQ(x * 1000 + y, 63040);
  // The dial comes from the caller's resources, which hold it, and keeps
  // the radius: 81 / 2 - 9 / 2 - 12 = 24.
  EXPECT_TRUE(ring->SetDialBitmap(kTestDial));
  ring->SetRingAngle(90);
  ring->GetXYFromAngle(&x, &y);
  EXPECT_EQ(x * 1000 + y, 39016);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(ring->GetWnd(), 39, 16), kDialColour);
  EXPECT_EQ(standin::ReadPixel(ring->GetWnd(), 39 + 32, 40), kAccent) << "the right tick of ring 208";
  EXPECT_EQ(standin::ReadPixel(ring->GetWnd(), 39 + 24, 40), kShadowColour) << "the track";
}

TEST_F(Ring, RingsWithoutPictureOrSizeDoNotFail)
{
  Probe parent(QVRect(0, 0, 300, 300), QVWindow::eQVWindowStyleStaticMainCaption);
  // No client area: the angle stays as it was.
  auto flat = MakeRing(&parent, QVRect(0, 0, 0, 0));
  flat->SetRingAngle(123);
  EXPECT_EQ(flat->GetMouseRingAngle(QVPoint(5, 5)), 123);
  // A ring picture that does not load counts as 0 x 0: the angle formula
  // sees dx = 0, dy = -8, which gives 270; radius 0 and centre (-1, -1).
  auto missing = MakeRing(&parent, QVRect(10, 10, 91, 91), 9999);
  EXPECT_EQ(missing->GetMouseRingAngle(QVPoint(40, 10)), 270);
  int32_t x = 0, y = 0;
  missing->GetXYFromAngle(&x, &y);
  EXPECT_EQ(x * 1000 + y, -1 * 1000 + 0);
  missing->SetDialBitmap(kTestDial);
  missing->SetControlText("Hue", 0, 0);
  standin::Pump(); // the first paint, the parent's included
  missing->UpdateControl(true);
  EXPECT_EQ(standin::ReadPixel(missing->GetWnd(), 70, 10), kClassGrey) << "no ring drawn";
  HoverClick(missing->GetWnd(), 40, 40);
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0].m_Value, 270);
}

TEST_F(Ring, SnapshotOfRingsAtSeveralAngles)
{
  Probe parent(QVRect(0, 0, 4 * 90 + 10, 140), QVWindow::eQVWindowStyleStaticMainCaption);
  std::vector<std::unique_ptr<QVRing>> rings;
  const int32_t angles[] = {0, 45, 135, 270};
  for (int i = 0; i < 4; ++i) {
    rings.push_back(MakeRing(&parent, QVRect(5 + 90 * i, 5, 5 + 90 * i + 81, 86 + 20), 0));
    rings.back()->SetDialBitmap(kTestDial);
    rings.back()->SetRingAngle(angles[i]);
    rings.back()->SetControlText(std::to_string(angles[i]).c_str(), 0, 0);
  }
  standin::Pump();
  ASSERT_TRUE(standin::SnapshotPng(parent.GetWnd(), SnapshotPath("ring.png").c_str()));
  // The default rings, radius 24: the dial of the first at (63, 40), of the
  // last at (39, 63).
  EXPECT_EQ(standin::ReadPixel(rings[0]->GetWnd(), 63, 40), kDialColour);
  EXPECT_EQ(standin::ReadPixel(rings[3]->GetWnd(), 39, 63), kDialColour);
  EXPECT_EQ(standin::ReadPixel(rings[1]->GetWnd(), 39, 40 + 34), kAccent) << "the bottom tick";
  // Each caption is black, centred under its ring.
  bool black = false;
  for (int x = 30; x < 50; ++x)
    for (int y = 81; y < 101; ++y)
      black = black || standin::ReadPixel(rings[2]->GetWnd(), x, y) == RGB(0, 0, 0);
  EXPECT_TRUE(black);
}
