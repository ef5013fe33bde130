// The automation API's loops (idle script, deadlocks), the dialog-box
// manager and the standard controls.
#include "wintest.h"

using Automation = WindowTest;
using DialogBoxes = WindowTest;
using Controls = WindowTest;

namespace {

constexpr int kBox = 300;

// What the test dialog saw, and how it ends: OK and Cancel end it with
// 10 x the id; OK keeps the first edit field's text.
struct DialogRun {
  HWND box = nullptr;
  std::vector<std::pair<int, int>> commands; // (id, notification)
  std::string text;
  bool setFocusItself = false;
};
DialogRun* g_run = nullptr;

INT_PTR CALLBACK TestDialog(HWND box, UINT message, WPARAM wParam, LPARAM)
{
  if (message == WM_INITDIALOG) {
    g_run->box = box;
    return g_run->setFocusItself ? FALSE : TRUE;
  }
  if (message != WM_COMMAND)
    return FALSE;
  g_run->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
  if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
    char text[64];
    GetDlgItemTextA(box, 1001, text, sizeof text);
    g_run->text = text;
    EndDialog(box, LOWORD(wParam) * 10);
  }
  return TRUE;
}

INT_PTR RunBox(DialogRun& run, HWND owner, std::vector<std::function<void()>> steps)
{
  g_run = &run;
  standin::SetIdleScript(std::move(steps));
  return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kBox), owner, TestDialog, 0);
}

// Notifications a parent received as (id, code).
std::vector<std::pair<int, int>> Commands(HWND parent)
{
  std::vector<std::pair<int, int>> out;
  for (const auto& m : standin::MessageTrace())
    if (m.window == parent && m.message == WM_COMMAND)
      out.emplace_back(LOWORD(m.wParam), HIWORD(m.wParam));
  return out;
}

std::string Text(HWND window)
{
  char text[128];
  GetWindowTextA(window, text, sizeof text);
  return text;
}

} // namespace

TEST_F(Automation, TheIdleScriptRunsOnlyWhenTheLoopWouldBlock)
{
  HWND w = Top(0, 0, 10, 10, WS_POPUP);
  PostMessageA(w, WM_USER, 1, 0);
  standin::SetIdleScript({[w] { PostMessageA(w, WM_USER, 2, 0); }, [] { PostQuitMessage(7); }});
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_EQ(standin::IdleStepsLeft(), 2u);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_TRUE(standin::Failures().empty());
}

TEST_F(Automation, ALoopThatWouldWaitForeverEndsAndNestedLoopsUnwind)
{
  HWND w = Top(0, 0, 10, 10, WS_POPUP);
  bool nestedEnded = false;
  Handlers()[w] = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_USER)
      return std::nullopt;
    MSG inner;
    while (GetMessageA(&inner, nullptr, 0, 0))
      DispatchMessageA(&inner);
    nestedEnded = true;
    return 0;
  };
  PostMessageA(w, WM_USER, 0, 0);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0))
    DispatchMessageA(&msg);
  EXPECT_TRUE(nestedEnded);
  EXPECT_EQ(msg.wParam, WPARAM(-1));
  ASSERT_EQ(standin::Failures().size(), 2u) << "one for each loop";
  EXPECT_NE(standin::Failures()[0].find("wait forever"), std::string::npos);
  EXPECT_NE(standin::Failures()[0].find("\"Probe\""), std::string::npos) << "with the window tree";
  standin::ClearFailures();
}

TEST_F(DialogBoxes, EnterPressesTheDefaultButtonAndTheOwnerWaits)
{
  HWND owner = Top(0, 0, 300, 300);
  DialogRun run;
  bool ownerDisabled = false;
  const INT_PTR result = RunBox(run, owner, {[&] {
                                  ownerDisabled = !IsWindowEnabled(owner);
                                  EXPECT_EQ(GetFocus(), GetDlgItem(run.box, 1001)) << "the first tab stop";
                                  standin::KeyPress(VK_RETURN);
                                }});
  EXPECT_EQ(result, 10);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(IsWindow(run.box));
  EXPECT_EQ(GetActiveWindow(), owner);
  EXPECT_NE(std::find(run.commands.begin(), run.commands.end(), std::pair<int, int>{IDOK, BN_CLICKED}),
            run.commands.end());
}

TEST_F(DialogBoxes, EscAndTheCloseBoxCancelWithoutACancelButton)
{
  DialogRun esc;
  EXPECT_EQ(RunBox(esc, nullptr, {[] { standin::KeyPress(VK_ESCAPE); }}), 20);
  DialogRun close;
  EXPECT_EQ(RunBox(close, nullptr, {[&] { standin::CloseBox(close.box); }}), 20);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, TestDialog, 0), -1);
}

TEST_F(DialogBoxes, AQuitEndsTheBoxAndIsPassedOn)
{
  DialogRun run;
  EXPECT_EQ(RunBox(run, nullptr, {[] { PostQuitMessage(5); }}), -1);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(DialogBoxes, TypingTabbingAndClickingThroughTheBoxLoop)
{
  DialogRun run;
  run.setFocusItself = true; // no default focus: the box itself has it
  const INT_PTR result = RunBox(run, nullptr,
                                {[&] {
                                   EXPECT_EQ(GetFocus(), run.box);
                                   standin::Click(GetDlgItem(run.box, 1001), 5, 5);
                                   standin::Type("Hi there");
                                   standin::KeyPress(VK_HOME);
                                   standin::Type(">");
                                   standin::KeyPress(VK_TAB);
                                   standin::Type("x");
                                 },
                                 [&] {
                                   EXPECT_EQ(GetFocus(), GetDlgItem(run.box, 1002));
                                   standin::KeyPress(VK_RETURN);
                                 }});
  EXPECT_EQ(result, 10);
  EXPECT_EQ(run.text, ">Hi there");
  const std::vector<std::pair<int, int>> first(run.commands.begin(), run.commands.begin() + 3);
  EXPECT_EQ(first, (std::vector<std::pair<int, int>>{{1001, EN_SETFOCUS}, {1001, EN_UPDATE}, {1001, EN_CHANGE}}));
  EXPECT_NE(std::find(run.commands.begin(), run.commands.end(), std::pair<int, int>{1001, EN_KILLFOCUS}),
            run.commands.end());
}

TEST_F(Controls, EditLimitsBoundTypingOnlyAndNarrowEditsRefuseOverflow)
{
  HWND parent = Top(0, 0, 300, 100);
  HWND narrow = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 40, 20, parent,
                                reinterpret_cast<HMENU>(7), nullptr, nullptr);
  HWND wide = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 30, 40, 20, parent, nullptr,
                              nullptr, nullptr);
  SetFocus(narrow);
  SendMessageA(narrow, EM_LIMITTEXT, 4, 0);
  standin::Type("abcde");
  standin::Pump();
  EXPECT_EQ(Text(narrow), "abcd");
  EXPECT_EQ(Commands(parent).back(), (std::pair<int, int>{7, EN_MAXTEXT}));
  SetWindowTextA(narrow, "longer than four");
  EXPECT_EQ(Text(narrow), "longer than four") << "the limit bounds typing only";
  EXPECT_EQ(Commands(parent).back(), (std::pair<int, int>{7, EN_CHANGE}));
  char cut[5];
  EXPECT_EQ(GetWindowTextA(narrow, cut, sizeof cut), 4);
  EXPECT_STREQ(cut, "long");
  // 40 pixels less the border and margins hold a few characters only.
  SendMessageA(narrow, EM_LIMITTEXT, 0, 0);
  SetWindowTextA(narrow, "");
  standin::Type("WWWWWWWWWW");
  standin::Pump();
  EXPECT_LT(Text(narrow).size(), 10u);
  EXPECT_GT(Text(narrow).size(), 0u);
  SetFocus(wide);
  standin::Type("WWWWWWWWWW");
  standin::Pump();
  EXPECT_EQ(Text(wide), "WWWWWWWWWW") << "an auto-scrolling edit takes it all";
  // Editing keys and a selection.
  SendMessageA(wide, EM_SETSEL, 2, 8);
  standin::KeyPress(VK_DELETE);
  standin::KeyPress(VK_END);
  standin::KeyPress(VK_BACK);
  standin::KeyPress(VK_LEFT);
  standin::Type("-");
  standin::Pump();
  EXPECT_EQ(Text(wide), "WW-W");
}

TEST_F(Controls, AClickFocusesTheEditAndPlacesTheCaret)
{
  HWND parent = Top(0, 0, 300, 100);
  HWND edit =
      CreateWindowExA(0, "EDIT", "abcdef", WS_CHILD | WS_VISIBLE, 10, 10, 200, 20, parent, nullptr, nullptr, nullptr);
  standin::Pump();
  standin::Click(edit, 1, 5); // before the first character
  standin::Type("<");
  standin::Click(edit, 199, 5); // past the end
  standin::Type(">");
  standin::Pump();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Text(edit), "<abcdef>");
  EXPECT_EQ(standin::ReadPixel(edit, 150, 2), RGB(255, 255, 255)) << "a white field";
  EnableWindow(edit, FALSE);
  UpdateWindow(edit);
  EXPECT_EQ(standin::ReadPixel(edit, 150, 2), RGB(192, 192, 192)) << "face grey when disabled";
}

TEST_F(Controls, PushButtonsClickOnReleaseInsideOnSpaceAndOnDoubleClicks)
{
  HWND parent = Top(0, 0, 300, 100);
  HWND button = CreateWindowExA(0, "BUTTON", "Go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 60, 20, parent,
                                reinterpret_cast<HMENU>(42), nullptr, nullptr);
  standin::Pump();
  standin::Press(button, 5, 5);
  standin::Pump();
  EXPECT_EQ(GetCapture(), button);
  EXPECT_EQ(standin::ReadPixel(button, 0, 0), RGB(128, 128, 128)) << "drawn pushed";
  standin::Release(button, 100, 5); // outside
  standin::Pump();
  EXPECT_TRUE(Commands(parent).empty());
  EXPECT_EQ(GetCapture(), nullptr);
  standin::Click(button, 5, 5);
  standin::DoubleClick(button, 5, 5);
  standin::KeyPress(VK_SPACE);
  standin::Pump();
  EXPECT_EQ(Commands(parent), (std::vector<std::pair<int, int>>(4, {42, BN_CLICKED})));
  EXPECT_EQ(HWND(LastTo(parent, WM_COMMAND)->lParam), button);
  EXPECT_EQ(standin::ReadPixel(button, 0, 0), RGB(255, 255, 255)) << "raised again";
}
