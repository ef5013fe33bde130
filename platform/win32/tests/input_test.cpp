// Input through the window manager: activation, focus, capture, cursors,
// double clicks, disabled windows and the keyboard.
#include "wintest.h"

using Input = WindowTest;

TEST_F(Input, ActivationTellsTheOldWindowFirstAndMovesTheFocusIn)
{
  HWND a = Top(0, 0, 100, 100);
  HWND b = Top(200, 0, 100, 100);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(GetFocus(), b);
  standin::ClearMessageTrace();
  EXPECT_EQ(SetActiveWindow(a), b);
  const auto seq = Sequence({WM_ACTIVATE, WM_KILLFOCUS, WM_SETFOCUS});
  const std::vector<std::pair<HWND, UINT>> expected{
      {b, WM_ACTIVATE}, {a, WM_ACTIVATE}, {b, WM_KILLFOCUS}, {a, WM_SETFOCUS}};
  EXPECT_EQ(seq, expected);
  EXPECT_EQ(LOWORD(LastTo(b, WM_ACTIVATE)->wParam), WA_INACTIVE);
  EXPECT_EQ(HWND(LastTo(b, WM_ACTIVATE)->lParam), a);
  EXPECT_EQ(LOWORD(LastTo(a, WM_ACTIVATE)->wParam), WA_ACTIVE);
  EXPECT_EQ(HWND(LastTo(a, WM_ACTIVATE)->lParam), b);
  EXPECT_EQ(SetActiveWindow(Child(a, 0, 0, 5, 5)), nullptr) << "children are never activated";
}

TEST_F(Input, AClickActivatesBeforeThePressArrives)
{
  HWND a = Top(0, 0, 100, 100);
  HWND b = Top(200, 0, 100, 100);
  HWND inA = Child(a, 10, 10, 30, 30);
  standin::Pump();
  standin::ClearMessageTrace();
  standin::Click(inA, 5, 5);
  standin::Pump();
  EXPECT_EQ(GetActiveWindow(), a);
  const auto seq = Sequence({WM_SETCURSOR, WM_ACTIVATE, WM_LBUTTONDOWN, WM_LBUTTONUP});
  const std::vector<std::pair<HWND, UINT>> expected{{inA, WM_SETCURSOR}, {a, WM_SETCURSOR}, // the child asks its parent
                                                    {inA, WM_SETCURSOR}, {a, WM_SETCURSOR},     {b, WM_ACTIVATE},
                                                    {a, WM_ACTIVATE},    {inA, WM_LBUTTONDOWN}, {inA, WM_SETCURSOR},
                                                    {a, WM_SETCURSOR},   {inA, WM_LBUTTONUP}};
  EXPECT_EQ(seq, expected);
  EXPECT_EQ(LOWORD(LastTo(a, WM_ACTIVATE)->wParam), WA_CLICKACTIVE);
  EXPECT_EQ(LastTo(inA, WM_LBUTTONDOWN)->lParam, MAKELPARAM(5, 5));
  EXPECT_EQ(standin::CurrentCursor().id, 32515) << "the class cursor (IDC_CROSS) in the client area";
}

TEST_F(Input, AChildReachingPastItsParentIsNotHitThere)
{
  HWND top = Top(0, 0, 200, 100);
  // The container comes first, so among the siblings it would win the hit;
  // its child reaches 30 px past its client area, over the sibling beside it.
  HWND container = Child(top, 0, 0, 40, 60);
  HWND wide = Child(container, 0, 0, 70, 20);
  HWND beside = Child(top, 40, 0, 40, 60);
  standin::Pump();
  standin::ClearMessageTrace();
  standin::Click(top, 50, 10);
  standin::Pump();
  EXPECT_EQ(MessagesTo(wide, {WM_LBUTTONDOWN}).size(), 0u);
  EXPECT_EQ(MessagesTo(container, {WM_LBUTTONDOWN}).size(), 0u);
  ASSERT_EQ(MessagesTo(beside, {WM_LBUTTONDOWN}).size(), 1u);
  EXPECT_EQ(LastTo(beside, WM_LBUTTONDOWN)->lParam, MAKELPARAM(10, 10));
  // Inside its parent the wide child is hit as usual.
  standin::Click(top, 30, 10);
  standin::Pump();
  EXPECT_EQ(MessagesTo(wide, {WM_LBUTTONDOWN}).size(), 1u);
}

TEST_F(Input, HidingOrDestroyingTheActiveWindowPassesActivationOn)
{
  HWND owner = Top(0, 0, 100, 100);
  HWND other = Top(300, 0, 100, 100);
  HWND popup = Top(20, 20, 50, 50, WS_POPUP | WS_VISIBLE, owner);
  EXPECT_EQ(GetActiveWindow(), popup);
  ShowWindow(popup, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), owner) << "the owner first, though another window lies above it";
  ShowWindow(popup, SW_SHOW);
  EnableWindow(owner, FALSE);
  DestroyWindow(popup);
  EXPECT_EQ(GetActiveWindow(), other) << "a disabled owner is passed over";
  DestroyWindow(other);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Input, FocusFollowsTheRulesOfActivationHidingAndDisabling)
{
  HWND a = Top(0, 0, 100, 100);
  HWND edit = Child(a, 0, 0, 50, 20);
  HWND b = Top(200, 0, 100, 100);
  EXPECT_EQ(SetFocus(edit), b);
  EXPECT_EQ(GetActiveWindow(), a) << "focusing a child activates its window";
  EXPECT_EQ(GetFocus(), edit);
  SetActiveWindow(b);
  EXPECT_EQ(GetFocus(), b);
  SetActiveWindow(a);
  EXPECT_EQ(GetFocus(), a) << "the focus was not in a";
  SetFocus(edit);
  SetActiveWindow(a);
  EXPECT_EQ(GetFocus(), edit);
  ShowWindow(edit, SW_HIDE);
  EXPECT_EQ(GetFocus(), a);
  ShowWindow(edit, SW_SHOW);
  SetFocus(edit);
  EnableWindow(edit, FALSE);
  EXPECT_EQ(GetFocus(), a);
  EXPECT_EQ(SetFocus(edit), nullptr) << "disabled windows are refused";
  EXPECT_EQ(GetFocus(), a);
}

TEST_F(Input, CaptureGetsEverythingWithNegativeCoordinatesAndNoCursorQuery)
{
  HWND top = Top(100, 100, 200, 200);
  HWND child = Child(top, 50, 50, 40, 40);
  HWND other = Top(500, 500, 50, 50);
  standin::Pump();
  SetCapture(child);
  standin::ClearMessageTrace();
  standin::Move(120, 110);  // over the parent, left of and above the child
  standin::Press(520, 520); // over another window
  standin::Pump();
  // The press away from the pointer moves it there first.
  EXPECT_EQ(MessagesTo(child, {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_SETCURSOR}),
            (std::vector<UINT>{WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDOWN}));
  EXPECT_TRUE(MessagesTo(other, {WM_SETCURSOR, WM_LBUTTONDOWN}).empty());
  const standin::TracedMessage* move = &standin::MessageTrace().front();
  EXPECT_EQ(move->message, UINT(WM_MOUSEMOVE));
  EXPECT_EQ(GET_X_LPARAM(move->lParam), 120 - 150);
  EXPECT_EQ(GET_Y_LPARAM(move->lParam), 110 - 150);
  EXPECT_EQ(LastTo(child, WM_LBUTTONDOWN)->wParam, WPARAM(MK_LBUTTON));
  EXPECT_EQ(GetActiveWindow(), top) << "a captured press activates the holder's window";
  // ReleaseCapture releases whichever window holds it.
  Handlers()[other] = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER)
      ReleaseCapture();
    return std::nullopt;
  };
  SendMessageA(other, WM_USER, 0, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(MessagesTo(child, {WM_CAPTURECHANGED}).size(), 1u);
}

TEST_F(Input, TheCursorQueryComesFirstAndTheFrameGivesNoMessageButTheCloseBox)
{
  HWND w = Top(0, 0, 200, 100, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
  standin::Pump();
  standin::ClearMessageTrace();
  standin::Move(50, 10); // the caption
  standin::Press(50, 10);
  standin::Release(50, 10);
  standin::Pump();
  const auto seq = Sequence({WM_SETCURSOR, WM_MOUSEMOVE, WM_NCLBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_EQ(seq.size(), 4u) << "three cursor queries and the frame press";
  EXPECT_EQ(LastTo(w, WM_SETCURSOR)->lParam, MAKELPARAM(HTCAPTION, WM_LBUTTONUP));
  EXPECT_EQ(LastTo(w, WM_NCLBUTTONDOWN)->wParam, WPARAM(HTCAPTION));
  EXPECT_EQ(standin::CurrentCursor().id, 32512) << "the arrow in the frame";
  standin::CloseBox(w);
  standin::Pump();
  EXPECT_FALSE(IsWindow(w)) << "close box, SC_CLOSE, WM_CLOSE, DestroyWindow";
}

TEST_F(Input, DoubleClicksNeedTheClassStyleTheTimeAndTheBox)
{
  HWND w = Top(0, 0, 100, 100);
  HWND plain = Top(200, 0, 100, 100, WS_POPUP | WS_VISIBLE, nullptr, 0, "Plain");
  auto presses = [](HWND h) { return MessagesTo(h, {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}); };
  standin::DoubleClick(w, 10, 10);
  standin::Press(w, 10, 10); // a third press starts afresh
  standin::Release(w, 10, 10);
  standin::Pump();
  EXPECT_EQ(presses(w), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
  standin::ClearMessageTrace();
  standin::Click(w, 10, 10);
  standin::Press(w, 13, 10); // 3 pixels away
  standin::Release(w, 13, 10);
  standin::Click(w, 13, 10); // too late
  standin::Press(w, 12, 12);
  standin::Pump();
  EXPECT_EQ(presses(w), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}));
  standin::Release(w, 12, 12);
  standin::DoubleClick(plain, 10, 10);
  standin::Pump();
  EXPECT_EQ(presses(plain), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST_F(Input, DisabledWindowsDropTheirInput)
{
  HWND top = Top(0, 0, 100, 100);
  HWND child = Child(top, 10, 10, 30, 30);
  HWND other = Top(200, 0, 100, 100);
  SetCapture(child);
  standin::ClearMessageTrace();
  EXPECT_FALSE(EnableWindow(top, FALSE));
  EXPECT_TRUE(EnableWindow(top, FALSE)) << "it was disabled";
  EXPECT_EQ(MessagesTo(top, {WM_CANCELMODE, WM_ENABLE}), (std::vector<UINT>{WM_CANCELMODE, WM_ENABLE}));
  ReleaseCapture();
  standin::Click(child, 5, 5);
  standin::KeyPress('A');
  standin::Pump();
  EXPECT_EQ(GetActiveWindow(), other) << "no activation";
  EXPECT_TRUE(MessagesTo(child, {WM_SETCURSOR, WM_LBUTTONDOWN}).empty());
  EXPECT_EQ(MessagesTo(other, {WM_KEYDOWN}).size(), 1u);
  EnableWindow(top, TRUE);
  standin::Click(child, 5, 5);
  standin::Pump();
  EXPECT_EQ(GetActiveWindow(), top);
}

TEST_F(Input, KeyStateFollowsRetrievedInputNotInjectedInput)
{
  HWND w = Top(0, 0, 100, 100);
  standin::Pump();
  standin::KeyDown(VK_CONTROL);
  standin::Click(w, 5, 5);
  standin::KeyUp(VK_CONTROL);
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0) << "nothing retrieved yet";
  SHORT during = 0;
  Handlers()[w] = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_LBUTTONDOWN)
      during = GetAsyncKeyState(VK_CONTROL);
    return std::nullopt;
  };
  standin::Pump();
  EXPECT_NE(during & 0x8000, 0);
  EXPECT_EQ(LastTo(w, WM_LBUTTONDOWN)->wParam, WPARAM(MK_LBUTTON | MK_CONTROL));
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
  POINT pointer;
  GetCursorPos(&pointer);
  EXPECT_EQ(pointer.x * 100 + pointer.y, 505);
}

TEST_F(Input, KeyMessagesCarryUsScanCodesAndNamesAndSystemKeys)
{
  HWND w = Top(0, 0, 100, 100);
  standin::Pump();
  SetFocus(nullptr);
  standin::ClearMessageTrace();
  standin::KeyPress(VK_NEXT);
  standin::KeyPress(VK_F10);
  standin::KeyDown(VK_MENU);
  standin::KeyPress('A');
  standin::KeyUp(VK_MENU);
  standin::Pump();
  EXPECT_EQ(MessagesTo(w, {WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP}),
            (std::vector<UINT>{WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYDOWN, WM_SYSKEYDOWN,
                               WM_SYSKEYUP, WM_SYSKEYUP}))
      << "without a focus, keys go to the active window";
  const DWORD down = DWORD(LastTo(w, WM_KEYDOWN)->lParam);
  EXPECT_EQ(down, 1u | (0x51u << 16) | (1u << 24)) << "repeat 1, scan 0x51, extended";
  char name[16];
  EXPECT_EQ(GetKeyNameTextA(LONG(down), name, sizeof name), 9);
  EXPECT_STREQ(name, "Page Down");
  EXPECT_EQ(GetKeyNameTextA(LONG(down), name, 5), 4);
  EXPECT_STREQ(name, "Page");
  const DWORD up = DWORD(LastTo(w, WM_SYSKEYUP)->lParam);
  EXPECT_EQ(up >> 30, 3u) << "previous state and transition set on release";
  EXPECT_NE(LastTo(w, WM_SYSKEYDOWN)->lParam & (1 << 29), 0) << "the context bit while Alt is down";
}
