// The control base: notification, sizing, roll-over tracking and repaint;
// and a whole headless scenario with a window, a control and a dialog.
#include "windowtest.h"

#include "lvxtest/testenv.h"
#include "qvcommon/qvcommondialog.h"
#include "qvcommon/qvcontrol.h"
#include "qvcommon/qvpicture.h"

#include <cstring>
#include <filesystem>

using Controls = WindowLayer;
using Scenario = WindowLayer;

namespace {

// A control that paints its caption state: grey when idle, yellow while the
// pointer is over it.
class TextControl : public QVControl {
public:
  TextControl(QVWindow* parent, QVRect rect, int32_t message)
      : QVControl(parent, rect, &TestResources(), message), rect_(rect)
  {
  }
  bool HandlePaint(QVEvent&) override
  {
    ++paints;
    QVPaintDevice device(this);
    QVColor fill = m_MouseInside ? QVColor(255, 255, 0) : QVColor(160, 160, 160);
    device.SetDeviceBrush(&fill);
    device.PaintRect(GetClientRect());
    return true;
  }
  bool HandleButtonUp(QVEvent& event) override
  {
    const bool inside = m_ButtonDown && PtInControl(event.m_Point);
    QVControl::HandleButtonUp(event);
    if (inside)
      SendControlMessage(LPARAM(this), nullptr);
    return false;
  }
  bool Inside() const { return m_MouseInside; }
  bool Down() const { return m_ButtonDown; }
  int32_t StoredWidth() const { return m_Width; }
  int32_t StoredHeight() const { return m_Height; }
  QVPicture* Picture() const { return m_Picture; }
  int paints = 0;

private:
  QVRect rect_;
};

} // namespace

TEST_F(Controls, NotificationsGoToTheDestinationElseTheTargetElseTheParentAtOnce)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleMenu);
  Probe target(QVRect(0, 0, 10, 10), QVWindow::eQVWindowStyleMenu);
  Probe destination(QVRect(0, 0, 10, 10), QVWindow::eQVWindowStyleMenu);
  TextControl control(&parent, QVRect(10, 10, 50, 30), 16040);
  const LPARAM pointer = LPARAM(0x7F00123456789ull);
  control.SendControlMessage(pointer, nullptr);
  ASSERT_EQ(parent.commands.size(), 1u) << "synchronous";
  EXPECT_EQ(parent.commands[0].m_Command, 16040u);
  EXPECT_EQ(parent.commands[0].m_Value, pointer);
  control.SendControlMessage(1, &target);
  EXPECT_EQ(target.commands.size(), 1u);
  control.SetDestinationWindow(&destination);
  control.SendControlMessage(2, &target);
  EXPECT_EQ(destination.commands.size(), 1u) << "the destination always wins";
  EXPECT_EQ(target.commands.size(), 1u);
  QVRect area(0, 0, 5, 5);
  QVControl orphan(nullptr, area, &TestResources(), 3);
  orphan.SendControlMessage(4, nullptr); // no receiver: nothing, no crash
  EXPECT_EQ(orphan.GetWnd(), nullptr) << "a control needs a parent window";
}

TEST_F(Controls, TextAndPicturesSizeTheControl)
{
  Probe parent(QVRect(0, 0, 400, 200), QVWindow::eQVWindowStyleMenu);
  TextControl control(&parent, QVRect(10, 20, 60, 45), 1);
  EXPECT_TRUE(control.SetControlText("OK", 1, 10));
  // The text width + 10 + 5 + the default text offset 5; the height kept.
  EXPECT_EQ(control.GetClientRect().Width(), TextSize("OK").cx + 20);
  EXPECT_EQ(control.GetClientRect().Height(), 25);
  EXPECT_EQ(control.StoredWidth(), TextSize("OK").cx + 20);
  EXPECT_EQ(control.Left() * 100 + control.Top(), 1020);
  const std::string longText(300, 'x');
  control.SetControlText(longText.c_str(), 0, 0);
  EXPECT_EQ(std::strlen(control.GetControlText()), 255u);
  EXPECT_TRUE(control.SetControlText(kLabelString, 0, 0));
  EXPECT_STREQ(control.GetControlText(), "Label");
  EXPECT_FALSE(control.SetControlText(9999, 0, 0)) << "a missing string";
  EXPECT_STREQ(control.GetControlText(), "Label");
  EXPECT_TRUE(control.SetControlBitmap(kTilePicture, 1, 4, 3));
  EXPECT_EQ(control.GetClientRect().Width() * 100 + control.GetClientRect().Height(), (16 + 4) * 100 + 12);
  EXPECT_EQ(control.StoredWidth() * 100 + control.StoredHeight(), 2012);
  QVPicture* first = control.Picture();
  EXPECT_TRUE(control.SetControlBitmap(kTilePicture, 0, 0, 0)); // the first one is deleted, not leaked
  EXPECT_NE(control.Picture(), nullptr);
  EXPECT_NE(first, nullptr);
  control.SetControlSize(500, 500);
  EXPECT_EQ(control.GetClientRect().Width(), 20) << "SetControlSize changes nothing";
}

TEST_F(Controls, PtInControlCountsTheRightAndBottomEdges)
{
  Probe parent(QVRect(0, 0, 100, 100), QVWindow::eQVWindowStyleMenu);
  TextControl control(&parent, QVRect(30, 40, 50, 50), 1);
  for (const auto& [x, y, inside] :
       {std::tuple{0, 0, true}, {20, 10, true}, {21, 5, false}, {-1, 5, false}, {5, 11, false}}) {
    QVPoint p(x, y);
    EXPECT_EQ(control.PtInControl(p), inside) << x << "," << y;
  }
}

TEST_F(Controls, RollOverCapturesOnEntryAndButtonUpAlwaysReleases)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  TextControl control(&parent, QVRect(20, 20, 60, 50), 7);
  standin::Pump();
  const int paints = control.paints;
  standin::Move(control.GetWnd(), 5, 5);
  standin::Pump();
  EXPECT_EQ(GetCapture(), control.GetWnd());
  EXPECT_GT(control.paints, paints) << "entering repaints";
  EXPECT_EQ(standin::ReadPixel(control.GetWnd(), 2, 2), RGB(255, 255, 0));
  standin::Press(control.GetWnd(), 5, 5);
  standin::Move(control.GetWnd(), 80, 80); // out with the button held
  standin::Pump();
  EXPECT_EQ(GetCapture(), control.GetWnd());
  EXPECT_FALSE(control.Inside());
  standin::Release(control.GetWnd(), 80, 80);
  standin::Pump();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(parent.commands.empty()) << "released outside";
  // A press without an entry (the pointer never moved in) takes no capture,
  // and its button-up leaves another window's capture alone.
  Probe other(QVRect(300, 300, 10, 10), QVWindow::eQVWindowStyleMenu);
  SendMessageA(control.GetWnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), nullptr);
  SetCapture(other.GetWnd());
  SendMessageA(control.GetWnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), other.GetWnd());
  EXPECT_FALSE(control.Down());
}

TEST_F(Controls, UpdateControlRepaintsAtOnce)
{
  Probe parent(QVRect(0, 0, 100, 100), QVWindow::eQVWindowStyleStaticMainCaption);
  TextControl control(&parent, QVRect(10, 10, 30, 30), 1);
  standin::Pump();
  const int paints = control.paints;
  control.UpdateControl(true);
  EXPECT_EQ(control.paints, paints + 1);
}

// A dialog that takes a name in an edit field and ignores the field's own
// notifications, which arrive as commands too.
class NameDialog : public QVCommonDialog {
public:
  NameDialog() : QVCommonDialog(nullptr, "Your name", &TestResources(), nullptr)
  {
    SetWindowPos(400, 300, 220, 90, 1);
    edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 190, 22, GetWnd(),
                           reinterpret_cast<HMENU>(intptr_t(kEdit)), nullptr, nullptr);
  }
  bool HandleCommand(QVEvent& event) override
  {
    if (LOWORD(event.m_Command) == kEdit)
      return true; // EN_SETFOCUS, EN_UPDATE, EN_CHANGE, ...
    return QVCommonDialog::HandleCommand(event);
  }
  bool HandleCloseEvent(QVEvent& event) override
  {
    char text[64];
    GetWindowTextA(edit, text, sizeof text);
    name = text;
    return QVCommonDialog::HandleCloseEvent(event);
  }
  static constexpr int kEdit = 0;
  HWND edit = nullptr;
  std::string name;
};

// Fewer than 100 messages are retrieved in all; 200 leaves room for harmless
// changes while catching any loop that spins.
constexpr long kScenarioMessages = 200;

TEST_F(Scenario, AWindowAControlAndADialogRunHeadlessInFewMessagesAndPaints)
{
  // The whole scenario fits a small message budget: a loop that spins, or
  // repaints that feed each other, would exhaust it and be recorded as a
  // runaway failure.
  standin::SetMessageBudget(kScenarioMessages);
  Probe main(QVRect(100, 80, 500, 340), QVWindow::eQVWindowStyleStaticMainCaption);
  main.LoadBackgroundImage(kTilePicture);
  main.SetRenderBorder(1);
  TextControl control(&main, QVRect(40, 40, 160, 70), 16040);
  control.SetControlText("Apply", 0, 0);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(main.GetWnd(), 4, 4), RGB(255, 0, 0)) << "the tiled background";
  EXPECT_EQ(standin::ReadPixel(control.GetWnd(), 2, 2), RGB(160, 160, 160));

  // Hovering takes the capture and repaints.
  standin::Move(control.GetWnd(), 10, 10);
  standin::Pump();
  EXPECT_EQ(GetCapture(), control.GetWnd());
  EXPECT_EQ(standin::ReadPixel(control.GetWnd(), 2, 2), RGB(255, 255, 0));

  // Clicking has run the parent's HandleCommand once the click is pumped.
  standin::Click(control.GetWnd(), 10, 10);
  standin::Pump();
  ASSERT_EQ(main.commands.size(), 1u);
  EXPECT_EQ(main.commands[0].m_Command, 16040u);
  EXPECT_EQ(main.commands[0].m_Value, LPARAM(&control));

  // A dialog takes a typed name through its own loop and closes by its close box.
  NameDialog dialog;
  standin::SetIdleScript(
      {[&] {
         standin::Click(dialog.edit, 5, 5);
         standin::Type("Ada Lovelace");
       },
       [&] {
         const std::string folder = lvxtest::BuildDir() + "/snapshots";
         std::filesystem::create_directories(folder);
         EXPECT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Screen(), (folder + "/scenario-screen.png").c_str()));
         standin::CloseBox(dialog.GetWnd());
       }});
  dialog.DoDialog();
  EXPECT_EQ(dialog.name, "Ada Lovelace");
  EXPECT_TRUE(main.commands.size() == 1u) << "the dialog's loop kept the main window out";

  // Snapshots of the window and the screen, their pixels checked.
  const std::string folder = lvxtest::BuildDir() + "/snapshots";
  const std::string windowPath = folder + "/scenario-window.png";
  ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Whole(main.GetWnd()), windowPath.c_str()));
  const standin::PixelView whole = standin::ViewPixels(standin::SurfaceTarget::Whole(main.GetWnd()));
  EXPECT_EQ(whole.width * 1000 + whole.height, 400260);
  const standin::PixelView screen = standin::ViewPixels(standin::SurfaceTarget::Screen());
  EXPECT_EQ(screen.At(50, 50), RGB(0, 128, 128));
  EXPECT_EQ(screen.At(100 + 3 + 4, 80 + 22 + 4), RGB(255, 0, 0)) << "the main window's tiles on the screen";
  EXPECT_EQ(screen.At(410, 310), standin::ReadPixel(standin::SurfaceTarget::Whole(dialog.GetWnd()), 10, 10))
      << "the dialog on top";
  // One paint of the main window; the control's first paint, its hover and
  // its release: no repaint feeds another.
  EXPECT_LE(standin::PaintCount(main.GetWnd()), 2);
  EXPECT_LE(standin::PaintCount(control.GetWnd()), 4);
}
