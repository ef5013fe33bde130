// The framework's dialogs: the common dialog's own loop and the message
// box on dialog 177.
#include "windowtest.h"

#include "lvxtest/testenv.h"
#include "qvcommon/qvassert.h"
#include "qvcommon/qvcommondialog.h"
#include "qvcommon/qvdialog.h"
#include "qvcommon/qvfilespec.h"

#include <cstring>
#include <filesystem>

using CommonDialog = WindowLayer;
using MessageBox177 = WindowLayer;

namespace {

class CountingDialog : public QVCommonDialog {
public:
  CountingDialog() : QVCommonDialog(nullptr, "Dialog", &TestResources(), nullptr)
  {
    SetWindowPos(100, 100, 200, 120, 1);
  }
  bool HandleCommand(QVEvent& event) override
  {
    ++commands;
    if (event.m_Command == 1)
      EndDialog();
    return true;
  }
  int commands = 0;
  bool Ended() const { return m_EndFlag; }
};

// The visible buttons of the running box, by id.
std::vector<int> VisibleButtons(HWND box)
{
  std::vector<int> ids;
  for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
    if (IsWindowVisible(GetDlgItem(box, id)))
      ids.push_back(id);
  return ids;
}

HWND ActiveBox() { return GetActiveWindow(); }

} // namespace

TEST_F(CommonDialog, OutsideMessagesAreDroppedButPaintStillReachesThem)
{
  Probe main(QVRect(0, 0, 300, 300), QVWindow::eQVWindowStyleStaticMainCaption);
  standin::Pump();
  CountingDialog dialog;
  const long paintsBefore = standin::PaintCount(main.GetWnd());
  standin::SetIdleScript({[&] {
                            main.PostCommand(5);
                            PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0);
                            InvalidateRect(main.GetWnd(), nullptr, TRUE);
                          },
                          [&] { dialog.PostCommand(1); }});
  dialog.DoDialog();
  EXPECT_TRUE(main.commands.empty()) << "dropped, not kept for later";
  EXPECT_GT(standin::PaintCount(main.GetWnd()), paintsBefore);
  EXPECT_EQ(dialog.commands, 1);
  EXPECT_TRUE(standin::Failures().empty()) << "the loop ended right after the closing command";
  standin::Pump();
  EXPECT_TRUE(main.commands.empty());
}

TEST_F(CommonDialog, AnEndedDialogReturnsAfterOneMessageAndAQuitIsConsumed)
{
  CountingDialog ended;
  standin::SetIdleScript({[&] { ended.PostCommand(1); }, [&] { ended.PostCommand(2); }});
  ended.DoDialog(); // ends on its first command
  ended.DoDialog(); // already ended: returns after taking one message
  EXPECT_EQ(ended.commands, 1);
  EXPECT_EQ(standin::IdleStepsLeft(), 0u);

  CountingDialog quitting;
  standin::SetIdleScript({[] { PostQuitMessage(4); }});
  quitting.DoDialog();
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "WM_QUIT is not posted again";
}

TEST_F(CommonDialog, ClosingEndsTheLoopAndLeavesTheWindow)
{
  CountingDialog dialog;
  standin::SetIdleScript({[&] { standin::CloseBox(dialog.GetWnd()); }});
  dialog.DoDialog();
  EXPECT_TRUE(dialog.Ended());
  EXPECT_TRUE(IsWindow(dialog.GetWnd())) << "the owner deletes the dialog";
  EXPECT_TRUE(dialog.Visible());
}

TEST_F(MessageBox177, EachTypeShowsItsButtonsAndEnterPressesTheSafeOne)
{
  const struct {
    QVDialog::eDialogType type;
    std::vector<int> visible;
    QVDialog::eDialogButtonHit enter;
  } cases[] = {{QVDialog::eDialogOK, {IDOK}, QVDialog::eHitOK},
               {QVDialog::eDialogOKCancel, {IDOK, IDCANCEL}, QVDialog::eHitOK},
               {QVDialog::eDialogYesNo, {IDYES, IDNO}, QVDialog::eHitYes},
               {QVDialog::eDialogYesNoCancel, {IDCANCEL, IDYES, IDNO}, QVDialog::eHitCancel}};
  for (const auto& c : cases) {
    QVDialog dialog(c.type, "A question?");
    std::vector<int> visible;
    bool editShown = true;
    std::string text;
    std::vector<LONG> lefts;
    standin::SetIdleScript({[&] {
      HWND box = ActiveBox();
      visible = VisibleButtons(box);
      editShown = IsWindowVisible(GetDlgItem(box, 1001));
      char buffer[64];
      GetDlgItemTextA(box, 1000, buffer, sizeof buffer);
      text = buffer;
      for (int id : {IDYES, IDNO, IDCANCEL}) {
        RECT r;
        GetWindowRect(GetDlgItem(box, id), &r);
        lefts.push_back(r.left);
      }
      if (c.type == QVDialog::eDialogYesNoCancel) {
        const std::string folder = lvxtest::BuildDir() + "/snapshots";
        std::filesystem::create_directories(folder);
        EXPECT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Whole(box), (folder + "/message-box.png").c_str()));
      }
      standin::KeyPress(VK_RETURN);
    }});
    EXPECT_EQ(dialog.ShowDialog(nullptr), c.enter) << c.type;
    EXPECT_EQ(visible, c.visible) << c.type;
    EXPECT_FALSE(editShown);
    EXPECT_EQ(text, "A question?");
    if (c.type == QVDialog::eDialogYesNoCancel) {
      // Dialog units 7, 67 and 128 are 11, 101 and 192 pixels from the box's client edge.
      EXPECT_EQ(lefts[1] - lefts[0], 90);
      EXPECT_EQ(lefts[2] - lefts[0], 181);
    }
  }
}

TEST_F(MessageBox177, TheCloseBoxCancelsEvenWithOnlyOK)
{
  QVDialog dialog(QVDialog::eDialogOK, "Note");
  standin::SetIdleScript({[] { standin::CloseBox(ActiveBox()); }});
  EXPECT_EQ(dialog.ShowDialog(nullptr), QVDialog::eHitCancel);
}

TEST_F(MessageBox177, TheEditTypeCopiesOnOKOnlyAndWithinItsBuffer)
{
  QVDialog dialog(QVDialog::eDialogOKCancelEdit, std::string(300, 'q').c_str());
  char buffer[QVDialog::kTextSize];
  std::strcpy(buffer, "before");
  std::string shown;
  standin::SetIdleScript({[&] {
    HWND box = ActiveBox();
    EXPECT_EQ(GetFocus(), GetDlgItem(box, 1001)) << "the edit field has the focus";
    char text[400];
    GetDlgItemTextA(box, 1000, text, sizeof text);
    shown = text;
    standin::KeyPress(VK_ESCAPE);
  }});
  EXPECT_EQ(dialog.ShowDialog(buffer), QVDialog::eHitCancel);
  EXPECT_STREQ(buffer, "before") << "Cancel copies nothing";
  EXPECT_EQ(shown.size(), 259u) << "the text was cut to its field";
  const std::string longName(300, 'n');
  standin::SetIdleScript({[&] {
    SetDlgItemTextA(ActiveBox(), 1001, longName.c_str());
    standin::Type("");
    standin::KeyPress(VK_RETURN);
  }});
  EXPECT_EQ(dialog.ShowDialog(buffer), QVDialog::eHitOK);
  EXPECT_EQ(std::strlen(buffer), 259u);
  standin::SetIdleScript({[&] {
    standin::Type("Ann");
    standin::KeyPress(VK_RETURN);
  }});
  EXPECT_EQ(dialog.ShowDialog(buffer), QVDialog::eHitOK);
  EXPECT_STREQ(buffer, "Ann");
  standin::SetIdleScript({[] { standin::KeyPress(VK_RETURN); }});
  EXPECT_EQ(dialog.ShowDialog(nullptr), QVDialog::eHitOK) << "no buffer, nothing copied";
}

TEST_F(MessageBox177, TheFileDialogHookKeepsItsBoxesAndFlagsInStep)
{
  // A plain dialog window with the two check boxes (the hook owns its user data).
  HWND h =
      CreateWindowExA(0, "#32770", "Open", WS_POPUP | WS_CAPTION, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  for (int id : {1003, 1004})
    CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, h, reinterpret_cast<HMENU>(intptr_t(id)),
                    nullptr, nullptr);
  char flags[2] = {0, 0};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lCustData = LPARAM(flags);
  QVResetAssertions();
  EXPECT_EQ(QVFileSpec::OpenFileHook(h, WM_INITDIALOG, 0, LPARAM(&ofn)), 0u);
  EXPECT_EQ(IsDlgButtonChecked(h, 1003), UINT(BST_CHECKED));
  EXPECT_EQ(flags[0] * 10 + flags[1], 10);
  QVFileSpec::OpenFileHook(h, WM_COMMAND, 1004, 0);
  QVFileSpec::OpenFileHook(h, WM_COMMAND, 1003, 0);
  EXPECT_EQ(IsDlgButtonChecked(h, 1003) * 10 + IsDlgButtonChecked(h, 1004), 1u);
  EXPECT_EQ(flags[0] * 10 + flags[1], 1);
  QVFileSpec::OpenFileHook(h, WM_COMMAND, 1, 0); // any other control changes nothing
  EXPECT_EQ(flags[0] * 10 + flags[1], 1);
  EXPECT_EQ(QVAssertionCount(), 0);
  // Without the record (a window that never had WM_INITDIALOG) the assertion fails.
  HWND other = CreateWindowExA(0, "#32770", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(QVFileSpec::OpenFileHook(other, WM_COMMAND, 1003, 0), 0u);
  EXPECT_STREQ(QVLastAssertion(), "myOFNData");
  QVResetAssertions();
}
