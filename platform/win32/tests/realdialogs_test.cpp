// The message box and the common file and colour dialogs as real windows,
// opened headless through the automation API's switch and worked with
// injected input from the idle script, as a person would at a display.
// Snapshots of each: build/snapshots/dialogs/.
#include "lvxtest/testenv.h"
#include "win32/automation.h"
#include "win32/drawing.h"
#include "win32/files.h"
#include "win32/gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;

std::string Snapshot(const std::string& name)
{
  const std::string folder = lvxtest::BuildDir() + "/snapshots/dialogs";
  fs::create_directories(folder);
  return folder + "/" + name;
}

HWND Titled(const std::string& title)
{
  for (const standin::TopLevelWindow& w : standin::TopLevelWindows())
    if (w.visible && w.title == title)
      return w.handle;
  return nullptr;
}

std::string TextOf(HWND window)
{
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The rows of a list box.
std::vector<std::string> Rows(HWND list)
{
  std::vector<std::string> rows;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[260] = "";
    SendMessageA(list, LB_GETTEXT, WPARAM(i), LPARAM(text));
    rows.emplace_back(text);
  }
  return rows;
}

// Clicks the middle of a control.
void ClickOn(HWND control)
{
  RECT r;
  GetClientRect(control, &r);
  standin::Move(control, r.right / 2, r.bottom / 2);
  standin::Click(control, r.right / 2, r.bottom / 2);
}

// Real dialogs on, a fresh window layer and log for each test.
class RealDialogs : public testing::Test {
protected:
  void SetUp() override
  {
    standin::Reset();
    standin::ClearDialogLog();
    standin::ShowRealDialogs(true);
  }
  void TearDown() override
  {
    standin::ShowRealDialogs(false);
    standin::Reset();
  }
  // Steps that the dialog's loop runs when it waits; each gets the dialog
  // (the visible window of that title, which the step asserts is there).
  void Steps(const std::string& title, std::vector<std::function<void(HWND)>> steps)
  {
    std::vector<std::function<void()>> idle;
    for (auto& step : steps)
      idle.emplace_back([title, step] {
        const HWND box = Titled(title);
        ASSERT_NE(box, nullptr) << "no dialog titled \"" << title << "\"\n" << standin::DumpWindowTree();
        step(box);
      });
    standin::SetIdleScript(std::move(idle));
  }
};

HWND Owner()
{
  return CreateWindowExA(0, "#32770", "Owner", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100, 600, 400, nullptr, nullptr,
                         nullptr, nullptr);
}

} // namespace

// ---- Message boxes ----------------------------------------------------------

TEST_F(RealDialogs, AMessageBoxIsCentredOnItsDisabledOwnerAndEnterPressesTheDefaultButton)
{
  const HWND owner = Owner();
  RECT box{};
  bool ownerDisabled = false;
  std::vector<std::string> buttons;
  Steps("Warning!", {[&](HWND b) {
          GetWindowRect(b, &box);
          ownerDisabled = !IsWindowEnabled(owner);
          for (int id : {IDYES, IDNO, IDCANCEL, IDOK})
            if (const HWND button = GetDlgItem(b, id))
              buttons.push_back(TextOf(button));
          ASSERT_TRUE(
              standin::SnapshotPng(standin::SurfaceTarget::Whole(b), Snapshot("message-box-warning.png").c_str()));
          standin::KeyPress(VK_RETURN);
        }});
  const int answer =
      MessageBoxA(owner, "Are you sure you want to delete this preset?", "Warning!", MB_YESNO | MB_DEFBUTTON2);
  EXPECT_EQ(answer, IDNO) << "MB_DEFBUTTON2: the second button, No";
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner)) << "enabled again after";
  EXPECT_EQ(buttons, (std::vector<std::string>{"Yes", "No"}));
  // Centred on the owner (100..700 x 100..500).
  EXPECT_NEAR((box.left + box.right) / 2, 400, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, 300, 1);
  ASSERT_EQ(standin::DialogLog().size(), 1u);
  EXPECT_EQ(standin::DialogLog()[0].answer, IDNO);
  EXPECT_FALSE(standin::DialogLog()[0].scripted);
  EXPECT_EQ(Titled("Warning!"), nullptr) << "the box is gone";
}

TEST_F(RealDialogs, EscapeCancelsWhereThereIsACancelClosesAnOKBoxAndDoesNothingInAYesNoBox)
{
  Steps("Question", {[](HWND) { standin::KeyPress(VK_ESCAPE); }});
  EXPECT_EQ(MessageBoxA(nullptr, "Go on?", "Question", MB_OKCANCEL), IDCANCEL);
  Steps("Alert!", {[](HWND) { standin::KeyPress(VK_ESCAPE); }});
  EXPECT_EQ(MessageBoxA(nullptr, "Done.", "Alert!", MB_OK), IDOK);
  Steps("Retry", {[](HWND) { standin::KeyPress(VK_ESCAPE); }});
  EXPECT_EQ(MessageBoxA(nullptr, "Failed.", "Retry", MB_RETRYCANCEL), IDCANCEL);
  // Esc and the close box leave a Yes/No box up; Tab and Enter press No.
  Steps("Sure?", {[](HWND) { standin::KeyPress(VK_ESCAPE); }, [](HWND b) { standin::CloseBox(b); },
                  [](HWND) { standin::KeyPress(VK_TAB); }, [](HWND) { standin::KeyPress(VK_RETURN); }});
  EXPECT_EQ(MessageBoxA(nullptr, "Sure?", "Sure?", MB_YESNO), IDNO);
  Steps("Three", {[](HWND b) { ClickOn(GetDlgItem(b, IDIGNORE)); }});
  EXPECT_EQ(MessageBoxA(nullptr, "Abort, retry or ignore?", "Three", MB_ABORTRETRYIGNORE), IDIGNORE);
  EXPECT_EQ(standin::IdleStepsLeft(), 0u);
}

TEST_F(RealDialogs, LongTextWrapsAndTheAlertBoxIsReadable)
{
  const std::string text = "Lumivex requires a minimum 800x600 resolution.";
  const std::string longer = "This option will overwrite your files during Automatic mode!  Are you sure you wish "
                             "to continue? Every picture of the folder is written again in place.";
  RECT alert{}, wrapped{};
  int lines = 0;
  Steps("Alert!", {[&](HWND b) {
          GetClientRect(b, &alert);
          ASSERT_TRUE(
              standin::SnapshotPng(standin::SurfaceTarget::Whole(b), Snapshot("message-box-alert.png").c_str()));
          standin::KeyPress(VK_RETURN);
        }});
  EXPECT_EQ(MessageBoxA(nullptr, text.c_str(), "Alert!", MB_OK | MB_ICONINFORMATION | MB_TOPMOST), IDOK);
  Steps("Warning!", {[&](HWND b) {
          GetClientRect(b, &wrapped);
          RECT t{};
          GetClientRect(GetDlgItem(b, 0xFFFF), &t);
          lines = t.bottom;
          ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Whole(b), Snapshot("message-box-long.png").c_str()));
          standin::KeyPress(VK_RETURN);
        }});
  EXPECT_EQ(MessageBoxA(nullptr, longer.c_str(), "Warning!", MB_YESNO | MB_ICONWARNING), IDYES);
  // The one line fits beside the icon; the long text wraps into a box no
  // wider than its wrap width allows.
  HDC dc = GetDC(nullptr);
  SIZE one{};
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &one);
  ReleaseDC(nullptr, dc);
  EXPECT_GE(alert.right, one.cx + 12 + 32 + 12 + 12);
  EXPECT_LE(wrapped.right, 12 + 32 + 12 + 360 + 12);
  EXPECT_GE(lines, 3 * one.cy) << "at least three lines";
}

TEST_F(RealDialogs, AQuitWhileADialogIsUpEndsItAsCancelledAndReachesTheLoopOutside)
{
  // A lost display posts WM_QUIT; the dialog ends with its cancel answer.
  Steps("Lost", {[](HWND) { PostQuitMessage(1); }});
  EXPECT_EQ(MessageBoxA(nullptr, "Delete?", "Lost", MB_YESNO), IDNO);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(msg.wParam, 1u);
}

TEST_F(RealDialogs, OtherWindowsKeepTheirMessagesWhileADialogIsUp)
{
  const HWND owner = Owner();
  const HWND other =
      CreateWindowExA(0, "#32770", "Other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  standin::Pump();
  standin::TraceMessages(true);
  standin::ClearMessageTrace();
  Steps("Box", {[&](HWND) { PostMessageA(other, WM_USER + 5, 0, 0); }, [](HWND) { standin::KeyPress(VK_RETURN); }});
  MessageBoxA(owner, "Text", "Box", MB_OK);
  standin::TraceMessages(false);
  bool delivered = false;
  for (const standin::TracedMessage& m : standin::MessageTrace())
    delivered = delivered || (m.window == other && m.message == WM_USER + 5);
  EXPECT_TRUE(delivered) << "the modal loop dispatches every window's messages";
}

// ---- File dialogs -----------------------------------------------------------

namespace {

// A folder of presets and pictures, with a hidden file and two sub-folders.
class Files : public RealDialogs {
protected:
  void SetUp() override
  {
    RealDialogs::SetUp();
    static int made = 0;
    folder = lvxtest::TempDir() + "/files" + std::to_string(++made);
    fs::remove_all(folder);
    fs::create_directories(folder + "/Alpha/Inner");
    fs::create_directories(folder + "/beta");
    for (const char* name : {"one.cxp", "Two.CXP", "three.txt", ".hidden.cxp", "Alpha/inside.cxp"})
      std::ofstream(folder + "/" + name) << name;
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = "Preset Files\0*.cxp\0Text and presets\0*.txt;*.CXP\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = "Pick a preset";
    ofn.lpstrDefExt = "cxp";
  }
  std::string folder;
  char file[260] = "";
  OPENFILENAMEA ofn{};
};

HWND Item(HWND box, int id) { return GetDlgItem(box, id); }

} // namespace

TEST_F(Files, TheListShowsSubFoldersThenMatchingFilesAndFollowsTheFilterAndTheFolders)
{
  std::vector<std::vector<std::string>> seen;
  std::string shownFolder;
  bool nameHasFocus = false;
  Steps("Pick a preset",
        {[&](HWND b) {
           nameHasFocus = GetFocus() == Item(b, standin::kFileDialogName);
           seen.push_back(Rows(Item(b, standin::kFileDialogList)));
           shownFolder = TextOf(Item(b, standin::kFileDialogFolder));
           ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Whole(b), Snapshot("file-open.png").c_str()));
           // The second filter, by the keyboard on the drop-down.
           SetFocus(Item(b, standin::kFileDialogTypes));
           standin::KeyPress(VK_DOWN);
         },
         [&](HWND b) {
           seen.push_back(Rows(Item(b, standin::kFileDialogList)));
           // Back to the first, by the mouse: open the drop-down, click its first row.
           ClickOn(Item(b, standin::kFileDialogTypes));
         },
         [&](HWND b) {
           EXPECT_EQ(SendMessageA(Item(b, standin::kFileDialogTypes), CB_GETDROPPEDSTATE, 0, 0), TRUE);
           RECT combo;
           GetWindowRect(Item(b, standin::kFileDialogTypes), &combo);
           const int rowHeight = int(SendMessageA(Item(b, standin::kFileDialogList), LB_GETITEMHEIGHT, 0, 0));
           standin::Move(combo.left + 20, combo.bottom + 1 + rowHeight / 2);
           standin::Click(combo.left + 20, combo.bottom + 1 + rowHeight / 2);
         },
         [&](HWND b) {
           EXPECT_EQ(SendMessageA(Item(b, standin::kFileDialogTypes), CB_GETDROPPEDSTATE, 0, 0), FALSE);
           seen.push_back(Rows(Item(b, standin::kFileDialogList)));
           // Into a folder by a double click on its row, and up again.
           const HWND list = Item(b, standin::kFileDialogList);
           const int rowHeight = int(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
           standin::Move(list, 30, rowHeight / 2);
           standin::DoubleClick(list, 30, rowHeight / 2);
         },
         [&](HWND b) {
           seen.push_back(Rows(Item(b, standin::kFileDialogList)));
           EXPECT_EQ(TextOf(Item(b, standin::kFileDialogFolder)), shownFolder + "/Alpha");
           ClickOn(Item(b, standin::kFileDialogUp));
         },
         [&](HWND b) {
           seen.push_back(Rows(Item(b, standin::kFileDialogList)));
           standin::KeyPress(VK_ESCAPE);
         }});
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_TRUE(nameHasFocus) << "the name field has the focus when the dialog opens";
  EXPECT_EQ(shownFolder, folder);
  using Rows = std::vector<std::string>;
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0], (Rows{"Alpha/", "beta/", "one.cxp", "Two.CXP"})) << "no hidden file, no three.txt";
  EXPECT_EQ(seen[1], (Rows{"Alpha/", "beta/", "one.cxp", "three.txt", "Two.CXP"}));
  EXPECT_EQ(seen[2], seen[0]);
  EXPECT_EQ(seen[3], (Rows{"Inner/", "inside.cxp"}));
  EXPECT_EQ(seen[4], seen[0]);
  EXPECT_EQ(standin::DialogLog().back().answer, IDCANCEL);
}

TEST_F(Files, ANameARelativePathAndAnAbsolutePathAreTakenWithTheDefaultExtension)
{
  // A bare name: the default extension is added, the offsets point into it.
  Steps("Pick a preset", {[](HWND) { standin::Type("one\n"); }});
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(std::string(file), folder + "/one.cxp");
  EXPECT_EQ(ofn.nFileOffset, folder.size() + 1);
  EXPECT_EQ(ofn.nFileExtension, folder.size() + 5);
  EXPECT_EQ(standin::DialogLog().back().chosenPath, file);

  // A relative path with a backslash, from the folder shown.
  file[0] = '\0';
  Steps("Pick a preset", {[](HWND) { standin::Type("Alpha\\inside.cxp\n"); }});
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(std::string(file), folder + "/Alpha/inside.cxp");

  // A Windows-style absolute path keeps its form; CreateFileA maps it to the file.
  std::string windows = "C:" + folder + "\\beta\\..\\Two.cxp";
  std::replace(windows.begin(), windows.end(), '/', '\\');
  Steps("Pick a preset", {[&](HWND b) {
          SetWindowTextA(Item(b, standin::kFileDialogName), windows.c_str());
          standin::KeyPress(VK_RETURN);
        }});
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  std::string expected = "C:" + folder + "\\Two.cxp";
  std::replace(expected.begin(), expected.end(), '/', '\\');
  EXPECT_EQ(std::string(file), expected);
  const HANDLE opened = CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(opened, INVALID_HANDLE_VALUE) << "the name matches Two.CXP without regard to case";
  char content[16] = "";
  DWORD read = 0;
  ReadFile(opened, content, sizeof content - 1, &read, nullptr);
  CloseHandle(opened);
  EXPECT_STREQ(content, "Two.CXP");

  // A folder typed opens it; the dialog stays.
  file[0] = '\0';
  std::vector<std::string> rows;
  Steps("Pick a preset", {[](HWND) { standin::Type("beta\n"); },
                          [&](HWND b) {
                            rows = Rows(Item(b, standin::kFileDialogList));
                            standin::Type("new\n");
                          }});
  ofn.Flags = 0;
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(std::string(file), folder + "/beta/new.cxp");
}

TEST_F(Files, TheFlagsAreHonouredAndAnExistingFileIsReplacedOnlyAfterYes)
{
  // OFN_FILEMUSTEXIST: a missing file is refused with a message; Esc cancels.
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  // The message box runs its own loop: its step is the second idle point.
  standin::SetIdleScript({[] { standin::Type("missing\n"); },
                          [&] {
                            // The message box (titled as the dialog) on top, the dialog disabled below.
                            std::vector<HWND> titled;
                            for (const standin::TopLevelWindow& w : standin::TopLevelWindows())
                              if (w.visible && w.title == "Pick a preset")
                                titled.push_back(w.handle);
                            ASSERT_EQ(titled.size(), 2u);
                            EXPECT_TRUE(IsWindowEnabled(titled[0]));
                            EXPECT_FALSE(IsWindowEnabled(titled[1])) << "the message box is owned by the dialog";
                            EXPECT_EQ(GetParent(titled[0]), titled[1]);
                            standin::KeyPress(VK_RETURN);
                          },
                          [] { standin::KeyPress(VK_ESCAPE); }});
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  ASSERT_GE(standin::DialogLog().size(), 2u);
  const standin::DialogRequest& refusal = standin::DialogLog()[standin::DialogLog().size() - 2];
  EXPECT_EQ(refusal.kind, "MessageBox");
  EXPECT_NE(refusal.text.find("File not found."), std::string::npos) << refusal.text;
  EXPECT_EQ(refusal.caption, "Pick a preset");

  // OFN_PATHMUSTEXIST: a missing folder is refused likewise.
  standin::ClearDialogLog();
  ofn.Flags = OFN_PATHMUSTEXIST;
  standin::SetIdleScript({[] { standin::Type("nowhere/x.cxp\n"); }, [] { standin::KeyPress(VK_RETURN); },
                          [] { standin::KeyPress(VK_ESCAPE); }});
  EXPECT_FALSE(GetSaveFileNameA(&ofn));
  ASSERT_EQ(standin::DialogLog().size(), 2u);
  EXPECT_NE(standin::DialogLog()[0].text.find("The folder does not exist."), std::string::npos);

  // OFN_OVERWRITEPROMPT: No keeps the dialog up, Yes takes the file.
  standin::ClearDialogLog();
  ofn.Flags = OFN_OVERWRITEPROMPT;
  standin::SetIdleScript({[] { standin::Type("one\n"); },
                          [] {
                            ASSERT_NE(Titled("Pick a preset"), nullptr);
                            standin::KeyPress(VK_TAB); // Yes to No
                            standin::KeyPress(VK_RETURN);
                          },
                          [] { standin::Type("one.cxp\n"); }, [] { standin::KeyPress(VK_RETURN); }});
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_EQ(std::string(file), folder + "/one.cxp");
  ASSERT_EQ(standin::DialogLog().size(), 3u);
  EXPECT_EQ(standin::DialogLog()[0].text, folder + "/one.cxp already exists.\nDo you want to replace it?");
  EXPECT_EQ(standin::DialogLog()[0].style & 0xFu, UINT(MB_YESNO));
  EXPECT_EQ(standin::DialogLog()[0].answer, IDNO);
  EXPECT_EQ(standin::DialogLog()[1].answer, IDYES);
  EXPECT_EQ(standin::DialogLog()[2].kind, "GetSaveFileName");
  EXPECT_EQ(standin::DialogLog()[2].chosenPath, folder + "/one.cxp");
}

TEST_F(Files, ABufferTooSmallFailsWithTheSizeItNeeds)
{
  char small[8] = "";
  ofn.lpstrFile = small;
  ofn.nMaxFile = sizeof small;
  standin::SetIdleScript({[] { standin::Type("one.cxp\n"); }});
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), DWORD(FNERR_BUFFERTOOSMALL));
  const size_t needed = folder.size() + std::strlen("/one.cxp") + 1;
  EXPECT_EQ(size_t(static_cast<unsigned char>(small[0])) | (size_t(static_cast<unsigned char>(small[1])) << 8), needed);
}

TEST_F(Files, TheDialogStartsInTheFolderOfTheNameItIsGivenAndAQueuedAnswerStillWins)
{
  const std::string start = folder + "/Alpha/inside.cxp";
  std::strcpy(file, start.c_str());
  std::string shown, name;
  standin::SetIdleScript({[&] {
    const HWND b = Titled("Pick a preset");
    ASSERT_NE(b, nullptr);
    shown = TextOf(Item(b, standin::kFileDialogFolder));
    name = TextOf(Item(b, standin::kFileDialogName));
    standin::KeyPress(VK_RETURN);
  }});
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(shown, folder + "/Alpha");
  EXPECT_EQ(name, "inside.cxp");
  EXPECT_EQ(std::string(file), start);

  // A scripted answer: no window at all.
  standin::QueueFileDialogAnswer((folder + "/two.cxp").c_str());
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_TRUE(standin::DialogLog().back().scripted);
  EXPECT_EQ(standin::IdleStepsLeft(), 0u);
}

// ---- The colour dialog ------------------------------------------------------

TEST_F(RealDialogs, TheColourDialogStartsAtTheInitialColourAndReturnsTheOneChosen)
{
  COLORREF custom[16];
  for (int i = 0; i < 16; ++i)
    custom[i] = RGB(BYTE(i * 16), 0, 0);
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.rgbResult = RGB(10, 20, 30);
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
  std::string fields;
  COLORREF basic = 0;
  Steps("Color", {[&](HWND b) {
                    for (int id : {standin::kColorDialogRed, standin::kColorDialogGreen, standin::kColorDialogBlue})
                      fields += TextOf(GetDlgItem(b, id)) + " ";
                    ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Whole(b), Snapshot("color.png").c_str()));
                    // A click on the third basic colour of the second row.
                    const int x = standin::kColorGridLeft + 2 * (standin::kColorCellWidth + standin::kColorCellGap) + 8;
                    const int y = standin::kColorBasicTop + (standin::kColorCellHeight + standin::kColorCellGap) + 8;
                    basic = standin::ReadPixel(b, x, y);
                    standin::Move(b, x, y);
                    standin::Click(b, x, y);
                  },
                  [&](HWND b) {
                    fields += "| " + TextOf(GetDlgItem(b, standin::kColorDialogRed)) + " ";
                    ClickOn(GetDlgItem(b, standin::kColorDialogAdd));
                  },
                  [&](HWND b) {
                    // The green field typed over: 200.
                    SetFocus(GetDlgItem(b, standin::kColorDialogGreen));
                    SendMessageA(GetDlgItem(b, standin::kColorDialogGreen), EM_SETSEL, 0, -1);
                    standin::Type("200\n");
                  }});
  ASSERT_TRUE(ChooseColorA(&cc));
  EXPECT_EQ(fields.substr(0, 9), "10 20 30 ");
  EXPECT_EQ(fields.substr(9), "| " + std::to_string(GetRValue(basic)) + " ");
  EXPECT_EQ(cc.rgbResult, RGB(GetRValue(basic), 200, GetBValue(basic)));
  EXPECT_EQ(custom[0], basic) << "added to the first custom colour";
  EXPECT_EQ(custom[1], RGB(16, 0, 0));
  EXPECT_EQ(standin::DialogLog().back().chosenColor, cc.rgbResult);

  // Cancel leaves the record alone.
  const COLORREF before = cc.rgbResult;
  Steps("Color", {[](HWND) { standin::KeyPress(VK_ESCAPE); }});
  EXPECT_FALSE(ChooseColorA(&cc));
  EXPECT_EQ(cc.rgbResult, before);
}
