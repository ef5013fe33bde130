// The window manager's queue and window lifecycle: retrieval order, filters,
// key translation, handles, destruction, classes and geometry.
#include "wintest.h"

#include <set>

using Queue = WindowTest;
using Lifecycle = WindowTest;
using Geometry = WindowTest;

TEST_F(Queue, MessagesComeInWin32RetrievalOrder)
{
  HWND w = Top(0, 0, 50, 40);
  HWND other = Top(100, 0, 50, 40, WS_POPUP); // hidden: never painted
  standin::Pump();
  SetTimer(w, 7, 30, nullptr);
  standin::AdvanceClock(30);
  InvalidateRect(w, nullptr, FALSE);
  InvalidateRect(other, nullptr, FALSE);
  standin::Move(10, 10);
  standin::InjectRaw(w, WM_USER + 2, 0, 0); // input, delivered as it is
  PostQuitMessage(3);
  // A thread message keeps a whole 64-bit pointer.
  const LPARAM pointer = LPARAM(0x123456789ABCull);
  PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, pointer);
  PostMessageA(w, WM_USER + 1, 0, 0);
  std::vector<UINT> order;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    if (msg.message == WM_NULL) {
      EXPECT_EQ(msg.lParam, pointer);
      EXPECT_EQ(msg.hwnd, nullptr);
      EXPECT_EQ(DispatchMessageA(&msg), 0); // thread messages are not dispatched
    }
    if (msg.message == WM_QUIT) {
      EXPECT_EQ(msg.wParam, 3u);
    }
    if (msg.message == WM_PAINT)
      ValidateRect(msg.hwnd, nullptr);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_NULL, WM_USER + 1, WM_QUIT, WM_MOUSEMOVE, WM_USER + 2, WM_PAINT, WM_TIMER}));
  EXPECT_TRUE(MessagesTo(nullptr, {WM_NULL}).empty());
}

TEST_F(Queue, PeekFiltersByWindowAndRangeAndQuitIsRemovedOnlyWhenAsked)
{
  HWND a = Top(0, 0, 10, 10, WS_POPUP);
  HWND b = Top(0, 0, 10, 10, WS_POPUP);
  HWND child = Child(a, 0, 0, 5, 5);
  PostMessageA(b, WM_USER, 1, 0);
  PostMessageA(child, WM_USER + 5, 2, 0);
  PostMessageA(a, WM_USER + 9, 3, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 2u) << "a window's filter takes its children's messages";
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 6, WM_USER + 20, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, a, WM_USER + 6, WM_USER + 20, PM_REMOVE));
  PostQuitMessage(9);
  ASSERT_TRUE(PeekMessageA(&msg, b, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, b, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_FALSE(PeekMessageA(&msg, b, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x999), WM_USER, 0, 0));
}

TEST_F(Queue, WindowMinusOneTakesThreadMessagesOnly)
{
  HWND w = Top(0, 0, 10, 10); // visible and invalid: a paint waits too
  PostMessageA(w, WM_USER, 1, 0);
  PostMessageA(nullptr, WM_USER, 2, 0);
  PostQuitMessage(4);
  const HWND threadOnly = reinterpret_cast<HWND>(intptr_t{-1});
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, threadOnly, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  ASSERT_TRUE(PeekMessageA(&msg, threadOnly, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_FALSE(PeekMessageA(&msg, threadOnly, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, w);
  EXPECT_EQ(msg.wParam, 1u);
}

TEST_F(Queue, TranslateMessageGivesUsLayoutCharactersWithShiftCtrlAndAlt)
{
  HWND w = Top(0, 0, 10, 10);
  standin::Pump();
  standin::ClearMessageTrace();
  standin::KeyPress('A');
  standin::Type("a@\n");
  standin::KeyDown(VK_CONTROL);
  standin::KeyPress('C');
  standin::KeyUp(VK_CONTROL);
  standin::KeyDown(VK_MENU);
  standin::KeyPress('X');
  standin::KeyUp(VK_MENU);
  standin::KeyPress(VK_ESCAPE);
  standin::KeyPress(VK_F1); // no character
  standin::Pump();
  std::vector<std::pair<UINT, WPARAM>> chars;
  for (const auto& m : standin::MessageTrace())
    if (m.window == w && (m.message == WM_CHAR || m.message == WM_SYSCHAR))
      chars.emplace_back(m.message, m.wParam);
  const std::vector<std::pair<UINT, WPARAM>> expected{{WM_CHAR, 'a'}, {WM_CHAR, 'a'},    {WM_CHAR, '@'}, {WM_CHAR, 13},
                                                      {WM_CHAR, 3},   {WM_SYSCHAR, 'x'}, {WM_CHAR, 27}};
  EXPECT_EQ(chars, expected);
}

TEST_F(Lifecycle, HandlesNeverRepeatAndDeadHandlesFailQuietly)
{
  std::set<HWND> seen;
  for (int i = 0; i < 20; ++i) {
    HWND w = Top(0, 0, 10, 10);
    EXPECT_TRUE(seen.insert(w).second);
    EXPECT_TRUE(DestroyWindow(w));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 0);
    EXPECT_FALSE(SetWindowPos(w, nullptr, 0, 0, 1, 1, SWP_NOZORDER));
    EXPECT_FALSE(ShowWindow(w, SW_SHOW));
    MSG msg{w, WM_USER, 0, 0, 0, {}};
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_EQ(GetDC(w), nullptr);
  }
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(Child(nullptr, 0, 0, 1, 1), nullptr) << "WS_CHILD needs a parent";
  EXPECT_EQ(Child(*seen.begin(), 0, 0, 1, 1), nullptr) << "a dead parent";
  EXPECT_TRUE(standin::Failures().empty());
}

TEST_F(Lifecycle, DestructionGoesOwnedFirstThenDestroyPreOrderAndNcDestroyPostOrder)
{
  HWND top = Top(0, 0, 100, 100);
  HWND a = Child(top, 0, 0, 50, 50);
  HWND a1 = Child(a, 0, 0, 10, 10);
  HWND b = Child(top, 50, 0, 50, 50);
  HWND owned = Top(10, 10, 20, 20, WS_POPUP | WS_VISIBLE, a); // owned by top, through its child
  EXPECT_EQ(GetParent(owned), top);
  SetTimer(a1, 1, 10, nullptr);
  PostMessageA(b, WM_USER, 0, 0);
  SetFocus(a1);
  SetCapture(b);
  standin::ClearMessageTrace();
  EXPECT_TRUE(DestroyWindow(top));
  const auto seq = Sequence({WM_DESTROY, WM_NCDESTROY, WM_CAPTURECHANGED});
  const std::vector<std::pair<HWND, UINT>> expected{{owned, WM_DESTROY}, {owned, WM_NCDESTROY}, {b, WM_CAPTURECHANGED},
                                                    {top, WM_DESTROY},   {a, WM_DESTROY},       {a1, WM_DESTROY},
                                                    {b, WM_DESTROY},     {a1, WM_NCDESTROY},    {a, WM_NCDESTROY},
                                                    {b, WM_NCDESTROY},   {top, WM_NCDESTROY}};
  EXPECT_EQ(seq, expected);
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  standin::AdvanceClock(100);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "timers and posted messages went with the windows";
}

TEST_F(Lifecycle, AWindowMayDestroyItselfAndItsParentFromItsOwnHandler)
{
  HWND top = Top(0, 0, 100, 100);
  HWND child = Child(top, 10, 10, 20, 20);
  int destroyCalls = 0;
  Handlers()[child] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_LBUTTONDOWN) {
      EXPECT_TRUE(DestroyWindow(GetParent(h)));
      EXPECT_FALSE(DestroyWindow(h)) << "already gone with its parent";
      return 0;
    }
    if (m == WM_DESTROY) {
      ++destroyCalls;
      EXPECT_FALSE(DestroyWindow(h)) << "a second call during destruction fails quietly";
      EXPECT_FALSE(DestroyWindow(top));
    }
    return std::nullopt;
  };
  standin::Click(child, 5, 5);
  standin::Pump();
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(destroyCalls, 1);
}

TEST_F(Lifecycle, ClassesAreRefusedWhileWindowsLiveThenRegisterAfresh)
{
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "Tinted";
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  wc.hbrBackground = red;
  const ATOM atom = RegisterClassExA(&wc);
  EXPECT_NE(atom, 0);
  EXPECT_EQ(RegisterClassExA(&wc), 0) << "the name is taken";
  WNDCLASSEXA info{};
  EXPECT_EQ(GetClassInfoExA(nullptr, "TINTED", &info), BOOL(atom)) << "names ignore case";
  EXPECT_EQ(GlobalFindAtomA("Tinted"), 0) << "class atoms stay out of the global table";
  HWND w = Top(0, 0, 20, 20, WS_POPUP | WS_VISIBLE, nullptr, 0, "tinted");
  UpdateWindow(w);
  EXPECT_EQ(standin::ReadPixel(w, 5, 5), RGB(255, 0, 0));
  EXPECT_FALSE(UnregisterClassA("Tinted", nullptr));
  EXPECT_FALSE(UnregisterClassA("BUTTON", nullptr)) << "built-in classes are permanent";
  DestroyWindow(w);
  EXPECT_TRUE(UnregisterClassA("Tinted", nullptr));
  EXPECT_FALSE(DeleteObject(red)) << "unregistering deleted the class brush";
  EXPECT_FALSE(GetClassInfoExA(nullptr, "Tinted", &info));
  wc.hbrBackground = CreateSolidBrush(RGB(0, 0, 255));
  EXPECT_NE(RegisterClassExA(&wc), 0);
  w = Top(0, 0, 20, 20, WS_POPUP | WS_VISIBLE, nullptr, 0, "Tinted");
  UpdateWindow(w);
  EXPECT_EQ(standin::ReadPixel(w, 5, 5), RGB(0, 0, 255));

  // Atoms count their references.
  const ATOM global = GlobalAddAtomA("Name");
  EXPECT_EQ(GlobalAddAtomA("NAME"), global);
  EXPECT_EQ(GlobalDeleteAtom(global), 0);
  EXPECT_EQ(GlobalFindAtomA("name"), global);
  EXPECT_EQ(GlobalDeleteAtom(global), 0);
  EXPECT_EQ(GlobalFindAtomA("name"), 0);
}

TEST_F(Geometry, ClientWindowAndScreenRectanglesAgreeForEveryFrame)
{
  // (style, ex style, frame on each side, caption)
  const struct {
    DWORD style, ex;
    int side, top;
  } frames[] = {
      {WS_POPUP, 0, 0, 0},
      {WS_POPUP | WS_BORDER, 0, 1, 1},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 3, 22},
      {WS_OVERLAPPED, 0, 3, 22}, // always captioned
      {WS_OVERLAPPEDWINDOW, 0, 4, 23},
      {WS_POPUP | WS_BORDER | WS_SYSMENU, 0, 1, 1},
      {WS_POPUP, WS_EX_CLIENTEDGE, 2, 2},
      {WS_POPUP | WS_THICKFRAME | WS_CAPTION, WS_EX_CLIENTEDGE, 6, 25},
  };
  for (const auto& f : frames) {
    HWND w = Top(100, 50, 200, 150, f.style, nullptr, f.ex);
    HWND c = Child(w, 7, 9, 30, 20, WS_CHILD | WS_BORDER);
    RECT window, client, adjusted;
    GetWindowRect(w, &window);
    GetClientRect(w, &client);
    adjusted = client;
    AdjustWindowRectEx(&adjusted, f.style, FALSE, f.ex);
    EXPECT_EQ(window.right - window.left, adjusted.right - adjusted.left);
    EXPECT_EQ(window.bottom - window.top, adjusted.bottom - adjusted.top);
    POINT origin{0, 0};
    ClientToScreen(w, &origin);
    EXPECT_EQ(origin.x, 100 + f.side) << f.style;
    EXPECT_EQ(origin.y, 50 + f.top) << f.style;
    EXPECT_EQ(client.right, 200 - 2 * f.side);
    EXPECT_EQ(client.bottom, 150 - f.top - f.side);
    // A child's rectangle is in its parent's client coordinates.
    GetWindowRect(c, &window);
    EXPECT_EQ(window.left, origin.x + 7);
    POINT back{window.left + 1, window.top + 1};
    ScreenToClient(c, &back);
    EXPECT_EQ(back.x * 100 + back.y, 0) << "inside the 1-pixel border";
    DestroyWindow(w);
  }
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION) * 100 + GetSystemMetrics(SM_CXFRAME), 1904);
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(desktop.right * 10000 + desktop.bottom, 12801024);
}

TEST_F(Geometry, StyleChangesReachTheFrameAtTheNextFrameChange)
{
  HWND w = Top(0, 0, 100, 100, WS_POPUP);
  SetWindowLongA(w, GWL_STYLE, LONG_PTR(WS_POPUP | WS_CAPTION));
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.bottom, 100) << "Win32 caches the frame";
  SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  GetClientRect(w, &client);
  EXPECT_EQ(client.bottom, 100 - 22 - 3);
}

TEST_F(Geometry, AMaximisedWindowCoversTheScreenWithItsFrameOutside)
{
  HWND w = Top(10, 20, 300, 200, WS_OVERLAPPEDWINDOW | WS_MAXIMIZE);
  EXPECT_FALSE(IsWindowVisible(w)) << "maximised while hidden";
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{-4, -4, 1284, 1028}));
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(origin.x * 100 + origin.y, 19);
  ShowWindow(w, SW_RESTORE);
  GetWindowRect(w, &r);
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{10, 20, 310, 220}));
}

TEST_F(Geometry, IsChildFollowsChildLinksNotOwnership)
{
  HWND top = Top(0, 0, 100, 100);
  HWND child = Child(top, 0, 0, 10, 10);
  HWND grandchild = Child(child, 0, 0, 5, 5);
  HWND owned = Top(0, 0, 10, 10, WS_POPUP, top);
  EXPECT_TRUE(IsChild(top, grandchild));
  EXPECT_FALSE(IsChild(top, top));
  EXPECT_FALSE(IsChild(top, owned));
  EXPECT_FALSE(IsChild(grandchild, child));
  ShowWindow(child, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(grandchild)) << "a hidden parent hides its children";
}

TEST_F(Queue, SendsNestedTooDeepAreCutOffWithAFailure)
{
  HWND w = Top(0, 0, 10, 10);
  int depth = 0;
  Handlers()[w] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_USER)
      return std::nullopt;
    ++depth;
    return SendMessageA(h, WM_USER, 0, 0) + 1;
  };
  EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 1000);
  EXPECT_EQ(depth, 1000);
  ASSERT_EQ(standin::Failures().size(), 1u);
  standin::ClearFailures();
}

TEST_F(Lifecycle, TopLevelWindowsListsTheZOrderWithClassTitleVisibilityAndOwner)
{
  HWND back = Top(0, 0, 50, 50);
  SetWindowTextA(back, "Back");
  HWND hidden = Top(10, 10, 50, 50, WS_POPUP, nullptr, 0, "Plain");
  HWND owned = Top(20, 20, 50, 50, WS_POPUP | WS_VISIBLE, back);
  Child(back, 0, 0, 10, 10); // children are not top-level
  HWND topmost = Top(30, 30, 50, 50, WS_POPUP | WS_VISIBLE, nullptr, WS_EX_TOPMOST);

  const std::vector<standin::TopLevelWindow> list = standin::TopLevelWindows();
  std::vector<HWND> order;
  for (const auto& w : list)
    order.push_back(w.handle);
  // The topmost band first, then the newest window above the older ones.
  EXPECT_EQ(order, (std::vector<HWND>{topmost, owned, hidden, back}));
  for (const auto& w : list) {
    if (w.handle == back) {
      EXPECT_EQ(w.title, "Back");
      EXPECT_EQ(w.className, "Probe");
      EXPECT_TRUE(w.visible);
    } else if (w.handle == hidden) {
      EXPECT_EQ(w.className, "Plain");
      EXPECT_FALSE(w.visible);
    } else if (w.handle == owned) {
      EXPECT_EQ(w.owner, back);
    }
  }
  DestroyWindow(back);
  EXPECT_EQ(standin::TopLevelWindows().size(), 2u) << "the owned window went with its owner";
}
