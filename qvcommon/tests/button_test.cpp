// Buttons: bevels read back pixel by pixel, release rules, the kinds of
// button and their notifications, radio groups, picture ownership, captions
// and the framework's own check boxes.
#include "controlstest.h"

#include "qvcommon/qvbutton.h"
#include "qvcommon/qvbuttoncolor.h"
#include "qvcommon/qvbuttongroup.h"
#include "qvcommon/qvcontroltool.h"
#include "qvcommon/qvpicture.h"

#include <memory>

using Buttons = WindowLayer;
using ButtonPictures = WindowLayer;

namespace {

// A button whose picture fields a test may look at.
class OpenButton : public QVButton {
public:
  OpenButton(QVWindow* parent, QVRect rect, int32_t message = 7) : QVButton(parent, rect, &TestResources(), message) {}
  QVPicture* Picture() const { return m_Picture; }
  QVPicture* Alternate() const { return m_AltPicture; }
  QVPicture* CheckOn() const { return m_CheckOnPicture; }
  QVPicture* CheckOff() const { return m_CheckOffPicture; }
  QVPicture* State(int i) const { return m_StatePictures[i]; }
  QVButtonGroup* Group() const { return m_Group; }
  void MakeTriState() { m_TriState = true; }
};

// The whole client area against a bevel of `step` (+50 raised, -50 sunken)
// over a flat face: the top two rows and the left two columns of the rows
// between lighter by step, the bottom two rows and the right two columns
// darker (the top and bottom rows win at the corners).
void ExpectBevel(HWND window, int width, int height, COLORREF face, int step)
{
  int wrong = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int d = 0;
      if (y <= 1)
        d = step;
      else if (y >= height - 2)
        d = -step;
      else if (x <= 1)
        d = step;
      else if (x >= width - 2)
        d = -step;
      const COLORREF seen = standin::ReadPixel(window, x, y);
      if (seen != Shift(face, d) && wrong++ < 5)
        ADD_FAILURE() << "at " << x << "," << y << " step " << step << ": " << std::hex << seen << " for "
                      << Shift(face, d);
    }
  EXPECT_EQ(wrong, 0);
}

const QVEvent& Last(const Probe& probe) { return probe.commands.back(); }

} // namespace

TEST_F(Buttons, HoverRaisesPressSinksAndFlatButtonsDrawNoFrame)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  OpenButton button(&parent, QVRect(10, 10, 34, 34));
  ASSERT_TRUE(button.SetControlBitmap(kToggleA, 0, 0, 0));
  OpenButton flat(&parent, QVRect(50, 10, 74, 34));
  flat.SetControlBitmap(kToggleA, 0, 0, 0);
  flat.SetFlatButton();
  standin::Pump();
  ExpectBevel(button.GetWnd(), 24, 24, kToggleAColour, 0);

  Hover(button.GetWnd(), 12, 12);
  standin::Pump();
  ExpectBevel(button.GetWnd(), 24, 24, kToggleAColour, 50);
  standin::Press(button.GetWnd(), 12, 12);
  standin::Pump();
  ExpectBevel(button.GetWnd(), 24, 24, kToggleAColour, -50);
  // A plain button does not repaint on release: it keeps the pressed frame
  // until a move reaches it again.
  standin::Release(button.GetWnd(), 12, 12);
  Hover(flat.GetWnd(), 12, 12);
  standin::Pump();
  ExpectBevel(button.GetWnd(), 24, 24, kToggleAColour, -50);
  ExpectBevel(flat.GetWnd(), 24, 24, kToggleAColour, 0);
  standin::Press(flat.GetWnd(), 12, 12);
  standin::Pump();
  ExpectBevel(flat.GetWnd(), 24, 24, kToggleAColour, 0);
}

TEST_F(Buttons, AToggleButtonThatIsOnLooksPressedWhereverThePointerIs)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  OpenButton toggle(&parent, QVRect(10, 10, 34, 34));
  toggle.SetControlBitmap(kToggleA, 0, 0, 0);
  EXPECT_EQ(toggle.SetButtonAlternatePicture(kToggleB), 1);
  standin::Pump();
  Hover(toggle.GetWnd(), 5, 5);
  standin::Click(toggle.GetWnd(), 5, 5);
  Hover(parent.GetWnd(), 200, 150);
  standin::Pump();
  ASSERT_TRUE(toggle.ButtonOn());
  ExpectBevel(toggle.GetWnd(), 24, 24, kToggleBColour, -50);
}

TEST_F(Buttons, OnlyAReleaseInsideChangesTheStateAndNotifies)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  OpenButton toggle(&parent, QVRect(10, 10, 34, 34), 41);
  toggle.SetControlBitmap(kToggleA, 0, 0, 0);
  toggle.SetButtonAlternatePicture(kToggleB);
  standin::Pump();
  Hover(toggle.GetWnd(), 5, 5);
  standin::Click(toggle.GetWnd(), 5, 5);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(Last(parent).m_Command * 1000 + Last(parent).m_Value, 41000u) << "a toggle button sends 0";
  EXPECT_TRUE(toggle.ButtonOn());
  EXPECT_EQ(standin::ReadPixel(toggle.GetWnd(), 12, 12), kToggleBColour);

  // Pressed inside, dragged out, released: nothing changes, nothing is sent.
  Hover(toggle.GetWnd(), 5, 5);
  standin::Press(toggle.GetWnd(), 5, 5);
  standin::Move(toggle.GetWnd(), 60, 60);
  standin::Release(toggle.GetWnd(), 60, 60);
  standin::Pump();
  EXPECT_EQ(parent.commands.size(), 1u);
  EXPECT_TRUE(toggle.ButtonOn());
  EXPECT_EQ(GetCapture(), nullptr);

  // Out and back in before the release counts as inside: the second
  // release inside brings the first picture back, and off.
  Hover(toggle.GetWnd(), 5, 5);
  standin::Press(toggle.GetWnd(), 5, 5);
  standin::Move(toggle.GetWnd(), 60, 60);
  standin::Move(toggle.GetWnd(), 6, 6);
  standin::Release(toggle.GetWnd(), 6, 6);
  standin::Pump();
  EXPECT_EQ(parent.commands.size(), 2u);
  EXPECT_FALSE(toggle.ButtonOn());
  EXPECT_EQ(standin::ReadPixel(toggle.GetWnd(), 12, 12), kToggleAColour);
}

TEST_F(Buttons, CheckBoxesReportTheirPictureIdWithTheExtraDataInTheHighHalf)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 115, 35);
  std::unique_ptr<QVButton> box(
      QVButton::CreateCheckBoxButton(&parent, rect, 121, &TestResources(), kToggleA, kToggleB, 3));
  ASSERT_TRUE(box);
  standin::Pump();
  // The first picture while off, 5 pixels down.
  EXPECT_FALSE(box->ButtonOn());
  EXPECT_EQ(standin::ReadPixel(box->GetWnd(), 0, 5), kToggleAColour);
  EXPECT_EQ(standin::ReadPixel(box->GetWnd(), 0, 4), kClassGrey);
  box->SetCheck(1);
  EXPECT_TRUE(box->ButtonOn());
  EXPECT_EQ(standin::ReadPixel(box->GetWnd(), 0, 5), kToggleAColour);
  box->SetCheck(0);
  EXPECT_FALSE(box->ButtonOn());
  EXPECT_EQ(standin::ReadPixel(box->GetWnd(), 0, 5), kToggleBColour);

  Hover(box->GetWnd(), 5, 10);
  standin::Click(box->GetWnd(), 5, 10);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(Last(parent).m_Value, LPARAM(kToggleA + 3 * 65536));
  EXPECT_TRUE(box->ButtonOn());
  EXPECT_EQ(standin::ReadPixel(box->GetWnd(), 0, 5), kToggleAColour);
  EXPECT_EQ(standin::ReadPixel(box->GetWnd(), 1, 6), kToggleAColour) << "flat: no frame";

  // Only the extra data's low 16 bits reach the 32-bit value, which is
  // signed: 0x18000 gives 0x8000 in the high half, a negative value.
  box->SetExtraData(0x18000);
  Hover(box->GetWnd(), 6, 10);
  standin::Click(box->GetWnd(), 6, 10);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 2u);
  EXPECT_EQ(Last(parent).m_Value, LPARAM(int32_t(0x80000000u + kToggleB)));
  EXPECT_LT(Last(parent).m_Value, 0);
}

TEST_F(Buttons, ThreeStateButtonsCycleThroughTheirPictures)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 34, 34);
  std::unique_ptr<QVButton> button(
      QVButton::CreateTriStateButton(&parent, rect, 50, &TestResources(), kStateOne, kStateTwo, kStateThree, 2));
  ASSERT_TRUE(button);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(button->GetWnd(), 12, 12), kStateOneColour);
  const LPARAM expected[] = {kStateTwo + 2 * 65536, kStateThree + 2 * 65536, kStateOne + 2 * 65536};
  const COLORREF shown[] = {kStateTwoColour, kStateThreeColour, kStateOneColour};
  for (int i = 0; i < 3; ++i) {
    // A move of its own before every click: a release clears "inside".
    Hover(button->GetWnd(), 5 + i, 5);
    standin::Click(button->GetWnd(), 5 + i, 5);
    standin::Pump();
    ASSERT_EQ(parent.commands.size(), size_t(i + 1));
    EXPECT_EQ(Last(parent).m_Value, expected[i]) << i;
    EXPECT_EQ(standin::ReadPixel(button->GetWnd(), 12, 12), shown[i]) << i;
  }
}

TEST_F(Buttons, ToolButtonsStayOnAndPlainButtonsSendZero)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  OpenButton tool(&parent, QVRect(10, 10, 34, 34), 60);
  tool.SetToolButton();
  QVRect rect(50, 10, 100, 35);
  std::unique_ptr<QVButton> plain(
      QVButton::CreateTextStringButton(&parent, rect, 61, &TestResources(), "Apply", false));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->Width(), TextSize("Apply").cx + 5 + 5) << "fitted to its caption";
  standin::Pump();
  Hover(tool.GetWnd(), 5, 5);
  standin::Click(tool.GetWnd(), 5, 5);
  Hover(tool.GetWnd(), 6, 5);
  standin::Click(tool.GetWnd(), 6, 5);
  Hover(plain->GetWnd(), 5, 5);
  standin::Click(plain->GetWnd(), 5, 5);
  standin::Pump();
  EXPECT_TRUE(tool.ButtonOn()) << "a tool button is never turned off by a release";
  ASSERT_EQ(parent.commands.size(), 3u);
  for (const QVEvent& e : parent.commands)
    EXPECT_EQ(e.m_Value, 0);
  EXPECT_EQ(parent.commands[2].m_Command, 61u);

  // The string form takes the resource's text; a missing string leaves the
  // caption empty and the width as it was.
  QVRect second(50, 50, 100, 75);
  std::unique_ptr<QVButton> named(
      QVButton::CreateTextStringButton(&parent, second, 62, &TestResources(), kResetString, true));
  EXPECT_STREQ(named->GetControlText(), "Reset");
  EXPECT_EQ(named->Width(), TextSize("Reset").cx + 10);
  std::unique_ptr<QVButton> missing(
      QVButton::CreateTextStringButton(&parent, second, 63, &TestResources(), 9999, false));
  EXPECT_STREQ(missing->GetControlText(), "");
  EXPECT_EQ(missing->Width(), 50);
}

TEST_F(Buttons, ARadioGroupTurnsTheOthersOffOnlyForAReleaseInside)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVButtonGroup group;
  std::unique_ptr<OpenButton> buttons[3];
  for (int i = 0; i < 3; ++i) {
    buttons[i] = std::make_unique<OpenButton>(&parent, QVRect(10 + 40 * i, 10, 34 + 40 * i, 34), 70 + i);
    buttons[i]->SetToolButton();
    buttons[i]->AddToGroup(&group);
    EXPECT_TRUE(group.ButtonInGroup(buttons[i].get()));
  }
  const auto states = [&] {
    return buttons[0]->ButtonOn() * 100 + buttons[1]->ButtonOn() * 10 + buttons[2]->ButtonOn();
  };
  Hover(buttons[0]->GetWnd(), 5, 5);
  standin::Click(buttons[0]->GetWnd(), 5, 5);
  standin::Pump();
  EXPECT_EQ(states(), 100);
  Hover(buttons[1]->GetWnd(), 5, 5);
  standin::Click(buttons[1]->GetWnd(), 5, 5);
  standin::Pump();
  EXPECT_EQ(states(), 10);
  // Pressed on the third, released outside it: the group is left alone.
  Hover(buttons[2]->GetWnd(), 5, 5);
  standin::Press(buttons[2]->GetWnd(), 5, 5);
  standin::Move(buttons[2]->GetWnd(), 5, 100);
  standin::Release(buttons[2]->GetWnd(), 5, 100);
  standin::Pump();
  EXPECT_EQ(states(), 10);
  EXPECT_EQ(parent.commands.size(), 2u);
}

TEST_F(Buttons, GroupsAndButtonsMayBeDeletedInEitherOrderAndRegrouped)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto first = std::make_unique<QVButtonGroup>();
  QVButtonGroup second;
  OpenButton a(&parent, QVRect(10, 10, 34, 34));
  auto b = std::make_unique<OpenButton>(&parent, QVRect(50, 10, 74, 34));
  a.AddToGroup(first.get());
  b->AddToGroup(first.get());
  // Moving to another group leaves the first.
  a.AddToGroup(&second);
  EXPECT_FALSE(first->ButtonInGroup(&a));
  EXPECT_TRUE(second.ButtonInGroup(&a));
  EXPECT_EQ(a.Group(), &second);
  // A deleted button leaves its group: the group never reaches it again.
  OpenButton* gone = b.get();
  b.reset();
  EXPECT_FALSE(first->ButtonInGroup(gone));
  a.AddToGroup(first.get());
  first->ButtonDown(&a);
  EXPECT_EQ(a.Group(), first.get());
  // A deleted group leaves no link behind; a release still works.
  first.reset();
  EXPECT_EQ(a.Group(), nullptr);
  Hover(a.GetWnd(), 5, 5);
  standin::Click(a.GetWnd(), 5, 5);
  standin::Pump();
  EXPECT_TRUE(a.ButtonOn());
  // A full group does not take the 51st button, which then has no group.
  std::vector<std::unique_ptr<OpenButton>> many;
  a.AddToGroup(&second);
  for (int i = 0; i < QVButtonGroup::kSlots; ++i) {
    many.push_back(std::make_unique<OpenButton>(&parent, QVRect(0, 100, 5, 105)));
    many.back()->AddToGroup(&second);
  }
  EXPECT_FALSE(second.ButtonInGroup(many.back().get())) << "a took a slot first";
  EXPECT_TRUE(second.ButtonInGroup(many[48].get()));
  EXPECT_EQ(many.back()->Group(), nullptr);
  EXPECT_EQ(many.front()->Group(), &second);
}

TEST_F(ButtonPictures, MixedReplacementsDeleteEachPictureOnceAndLeaveNoDanglingAlias)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  auto button = std::make_unique<OpenButton>(&parent, QVRect(10, 10, 34, 34));
  button->SetControlBitmap(kToggleA, 0, 0, 0);
  button->SetButtonAlternatePicture(kToggleB);
  button->RecordCheckPictures();
  QVPicture* a = button->Picture();
  QVPicture* b = button->Alternate();
  button->SetCheck(1);
  button->SwapButtonPics();
  EXPECT_EQ(button->Picture(), b);
  button->SetCheck(0);
  EXPECT_EQ(button->Picture(), b);
  EXPECT_EQ(button->Alternate(), a);
  // Replacing the control picture deletes it: its alias goes with it, and
  // SetCheck then changes only the state.
  button->SetControlBitmap(kStateOne, 0, 0, 0);
  EXPECT_EQ(button->CheckOff(), nullptr);
  EXPECT_EQ(button->CheckOn(), a);
  button->SetCheck(1);
  EXPECT_TRUE(button->ButtonOn());
  EXPECT_EQ(button->Picture()->GetPictureID(), kStateOne);
  // The three state pictures replace everything; the control picture is the
  // first of them, and replacing it only lets go of it.
  button->SetStatePictures(kStateOne, kStateTwo, kStateThree);
  EXPECT_EQ(button->Alternate(), nullptr);
  EXPECT_EQ(button->CheckOn(), nullptr);
  QVPicture* one = button->State(0);
  EXPECT_EQ(button->Picture(), one);
  button->SetControlBitmap(kToggleA, 0, 0, 0);
  EXPECT_EQ(button->State(0), one);
  button->MakeTriState();
  button->SwapStateButtonPics();
  EXPECT_EQ(button->Picture()->GetPictureID(), kToggleA) << "a control picture outside the states stays";
  // Back on a state picture, DeleteStatePictures keeps the one shown.
  button->SetStatePictures(kStateOne, kStateTwo, kStateThree);
  button->SwapStateButtonPics();
  QVPicture* two = button->Picture();
  button->DeleteStatePictures();
  EXPECT_EQ(button->Picture(), two);
  EXPECT_EQ(button->State(1), nullptr);
  button->SetButtonAlternatePicture(kToggleB);
  button->RecordCheckPictures();
  button->SwapButtonPics();
  button->DeleteAltPicture();
  EXPECT_EQ(button->CheckOn(), nullptr) << "the alternate was the recorded check-on picture";
  button->SetButtonAlternatePicture(kToggleA);
  button->SwapButtonPics();
  // Deleting the button deletes each remaining picture once (the sanitizer
  // build checks for double deletes and leaks).
  button.reset();
}

TEST_F(ButtonPictures, BumpingWorksOnTinyPicturesWithoutOverrunningTheirRows)
{
  const HWND surface = standin::CreateSurfaceWindow(20, 20);
  QVDevice device(surface);
  const QVColor grey(100, 100, 100);
  device.SetDeviceBrush(&grey);
  device.PaintRect(QVRect(0, 0, 20, 20));
  QVRect none(0, 0, 1, 1);
  QVButton bumper(nullptr, none, &TestResources(), 0);
  // a = -20 and b = +30 on grey 100: the expected level of each pixel,
  // storage row by storage row.
  struct Case {
    int width, height;
    std::vector<std::vector<int>> rows;
  };
  const Case cases[] = {
      {1, 1, {{80}}},
      {2, 2, {{80, 80}, {80, 80}}},
      {3, 5, {{80, 80, 80}, {80, 80, 80}, {130, 110, 80}, {130, 130, 130}, {130, 130, 130}}},
      {6, 1, {{80, 80, 80, 80, 80, 80}}},
      {1, 5, {{80}, {80}, {110}, {130}, {130}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    QVPicture picture(QVRect(0, 0, c.width, c.height), &device);
    ASSERT_TRUE(picture.ValidPicture());
    bumper.DrawBumpedState(picture, -20, 30);
    for (int row = 0; row < c.height; ++row) {
      const unsigned char* pixels = picture.GetPictureRow(row);
      ASSERT_NE(pixels, nullptr);
      for (int x = 0; x < c.width; ++x)
        for (int k = 0; k < 3; ++k)
          EXPECT_EQ(pixels[x * 3 + k], c.rows[size_t(row)][size_t(x)]) << row << "," << x;
    }
  }
  unsigned char pixel[4] = {10, 250, 128, 77};
  EXPECT_EQ(AdjustPixelClamped(pixel, 20), pixel + 3);
  EXPECT_EQ(pixel[0] * 1000000 + pixel[1] * 1000 + pixel[2], 30255148);
  EXPECT_EQ(pixel[3], 77) << "the next pixel is untouched";
  AdjustPixelClamped(pixel, -100);
  EXPECT_EQ(pixel[0] * 1000000 + pixel[1] * 1000 + pixel[2], 155048);
}

TEST_F(Buttons, CaptionsAreCentredOnHalfTheWidthOrStartAtTheTextOffset)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  OpenButton centred(&parent, QVRect(10, 10, 51, 30));
  centred.SetControlText("Hi", 0, 0);
  OpenButton left(&parent, QVRect(10, 40, 81, 60));
  left.SetControlText("Hi", 0, 0);
  left.SetTextAlignment(0);
  left.SetTextOffset(9);
  standin::Pump();
  // White text on the grey face: the columns and rows that hold ink.
  const auto ink = [](HWND w, int width) {
    int minX = 1000, maxX = -1, minY = 1000;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < width; ++x)
        if (standin::ReadPixel(w, x, y) != kClassGrey) {
          minX = std::min(minX, x);
          maxX = std::max(maxX, x);
          minY = std::min(minY, y);
        }
    return std::tuple{minX, maxX, minY};
  };
  const auto [cMin, cMax, cTop] = ink(centred.GetWnd(), 41);
  const int width = TextSize("Hi").cx;
  EXPECT_NEAR((cMin + cMax) / 2.0, 41 / 2, 1.5) << "centred at x = 20";
  EXPECT_GE(cMin, 20 - width / 2 - 1);
  EXPECT_GE(cTop, 3);
  const auto [lMin, lMax, lTop] = ink(left.GetWnd(), 71);
  EXPECT_GE(lMin, 9);
  EXPECT_LE(lMin, 11) << "left-aligned at the text offset";
  EXPECT_LE(lMax, 9 + width);
  EXPECT_GE(lTop, 3);
}

TEST_F(Buttons, ACheckBoxWithoutAResourceFileShowsTheFrameworksOwnBoxes)
{
  std::unique_ptr<QVResourceFile> framework(CreateModuleResourceFile());
  for (int id : {QVButton::kCheckOnPicture, QVButton::kCheckOffPicture}) {
    QVPicture picture(id, framework.get());
    EXPECT_TRUE(picture.ValidPicture()) << id;
    EXPECT_EQ(picture.Width() * 100 + picture.Height(), 1515) << id;
  }
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 115, 35);
  std::unique_ptr<QVButton> box(QVButton::CreateCheckBoxButton(&parent, rect, 106, nullptr, 169, 168, 0));
  ASSERT_TRUE(box);
  standin::Pump();
  box->SetCheck(1);
  // 206 at (0, 5): the frame (160) around the dark face (40), an accent tick
  // through the face's (6, 9).
  const HWND w = box->GetWnd();
  EXPECT_EQ(standin::ReadPixel(w, 0, 5), RGB(160, 160, 160));
  EXPECT_EQ(standin::ReadPixel(w, 14, 19), RGB(160, 160, 160));
  EXPECT_EQ(standin::ReadPixel(w, 1, 6), RGB(40, 40, 40));
  EXPECT_EQ(standin::ReadPixel(w, 6, 5 + 9), kAccent);
  EXPECT_EQ(standin::ReadPixel(w, 15, 10), kClassGrey);
  box->SetCheck(0);
  EXPECT_EQ(standin::ReadPixel(w, 6, 5 + 9), RGB(40, 40, 40)) << "207: no tick";
  EXPECT_EQ(standin::ReadPixel(w, 0, 5), RGB(160, 160, 160));
}

TEST_F(Buttons, AControlToolReportsOnPressWithTheParentsWholePointer)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  ASSERT_NE(reinterpret_cast<uintptr_t>(&parent) >> 32, 0u) << "the test needs an address above 4 GB";
  QVRect rect(10, 10, 34, 34);
  QVControlTool tool(&parent, rect, &TestResources(), 80);
  Hover(tool.GetWnd(), 5, 5);
  standin::Press(tool.GetWnd(), 5, 5);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0].m_Command, WPARAM(QVControlTool::kToolCommand));
  EXPECT_EQ(parent.commands[0].m_Value, reinterpret_cast<LPARAM>(&parent));
  standin::Release(tool.GetWnd(), 5, 5);
  standin::Pump();
  ASSERT_EQ(parent.commands.size(), 2u) << "the release reports as any button";
  EXPECT_EQ(parent.commands[1].m_Command, 80u);
}

TEST_F(Buttons, TheColourSwatchFillsTheRightEndSquare)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 70, 30);
  QVButtonColor swatch(&parent, rect, &TestResources(), 90);
  QVColor blue(0, 0, 255);
  swatch.SetButtonColor(blue);
  EXPECT_EQ(swatch.GetButtonColor()->GetRGB(), blue.GetRGB());
  QVRect below(10, 40, 70, 60);
  QVButtonColor flat(&parent, below, &TestResources(), 91);
  flat.SetFlatButton();
  standin::Pump();
  // The square is 20 x 20 at x 40..59; the face grey 187 to its left.
  EXPECT_EQ(standin::ReadPixel(swatch.GetWnd(), 39, 10), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(swatch.GetWnd(), 40, 10), RGB(0, 0, 255));
  EXPECT_EQ(standin::ReadPixel(flat.GetWnd(), 45, 10), RGB(0, 0, 0)) << "black by default";
  Hover(swatch.GetWnd(), 30, 10);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(swatch.GetWnd(), 0, 10), Shift(kClassGrey, 50)) << "left: raised";
  EXPECT_EQ(standin::ReadPixel(swatch.GetWnd(), 45, 10), RGB(0, 0, 255));
  Hover(flat.GetWnd(), 30, 10);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(flat.GetWnd(), 0, 10), kClassGrey) << "flat: no frame";
}

TEST_F(Buttons, TheGalleryShowsEveryKindAtRestHoveredPressedAndOn)
{
  Probe parent(QVRect(20, 20, 300, 260), QVWindow::eQVWindowStyleStaticMainCaption);
  standin::Pump();
  // One row per kind, one column per state. The poses are set with messages
  // sent straight to each button (a pointer can be over only one of them):
  // a move in (hovered), a move in and a press (pressed), or a click (on).
  std::vector<std::unique_ptr<QVButton>> gallery;
  for (int state = 0; state < 4; ++state) {
    const int x = 10 + 60 * state;
    const auto rect = [x](int row) { return QVRect(x, 10 + 35 * row, x + 50, 35 + 35 * row); };
    QVRect r0 = rect(0), r1 = rect(1), r2 = rect(2), r3 = rect(3), r4 = rect(4), r5 = rect(5);
    QVRect face = r1;
    face.SetWidth(24);
    gallery.emplace_back(QVButton::CreateTextStringButton(&parent, r0, 1, &TestResources(), "OK", false));
    auto* toggle = new OpenButton(&parent, face, 2);
    toggle->SetControlBitmap(kToggleA, 0, 0, 0);
    toggle->SetButtonAlternatePicture(kToggleB);
    gallery.emplace_back(toggle);
    gallery.emplace_back(QVButton::CreateCheckBoxButton(&parent, r2, 3, nullptr, 0, 0, 0));
    gallery.back()->SetCheck(0);
    QVRect stateFace = r3;
    stateFace.SetWidth(24);
    gallery.emplace_back(
        QVButton::CreateTriStateButton(&parent, stateFace, 4, &TestResources(), kStateOne, kStateTwo, kStateThree, 0));
    QVRect toolFace = r4;
    toolFace.SetWidth(24);
    auto* tool = new OpenButton(&parent, toolFace, 5);
    tool->SetControlBitmap(kStateTwo, 0, 0, 0);
    tool->SetToolButton();
    gallery.emplace_back(tool);
    auto* swatch = new QVButtonColor(&parent, r5, &TestResources(), 6);
    QVColor blue(0, 0, 255);
    swatch->SetButtonColor(blue);
    gallery.emplace_back(swatch);
  }
  standin::Pump();
  const size_t kinds = gallery.size() / 4;
  for (size_t state = 1; state < 4; ++state)
    for (size_t kind = 0; kind < kinds; ++kind) {
      const HWND w = gallery[state * kinds + kind]->GetWnd();
      SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(8, 8));
      if (state >= 2)
        SendMessageA(w, WM_LBUTTONDOWN, 0, MAKELPARAM(8, 8));
      if (state == 3)
        SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(8, 8));
    }
  ReleaseCapture();
  ASSERT_TRUE(standin::SnapshotPng(parent.GetWnd(), SnapshotPath("buttons.png").c_str()));
  // The toggle face (row 1) at its left edge: plain, raised, sunken, and on
  // (the second picture, sunken).
  const COLORREF left[] = {kToggleAColour, Shift(kToggleAColour, 50), Shift(kToggleAColour, -50),
                           Shift(kToggleBColour, -50)};
  for (size_t state = 0; state < 4; ++state)
    EXPECT_EQ(standin::ReadPixel(gallery[state * kinds + 1]->GetWnd(), 0, 12), left[state]) << state;
  // The check box on shows the tick; the three-state button its second face.
  EXPECT_EQ(standin::ReadPixel(gallery[3 * kinds + 2]->GetWnd(), 6, 14), kAccent);
  EXPECT_EQ(standin::ReadPixel(gallery[0 * kinds + 2]->GetWnd(), 6, 14), RGB(40, 40, 40));
  EXPECT_EQ(standin::ReadPixel(gallery[3 * kinds + 3]->GetWnd(), 12, 12), kStateTwoColour);
  EXPECT_EQ(parent.commands.size(), kinds) << "each 'on' pose was a click";
}
