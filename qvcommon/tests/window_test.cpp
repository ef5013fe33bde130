// Events, window types, the shared window procedure and the window base
// class, on the headless window manager.
#include "windowtest.h"

#include "qvcommon/qvdevice.h"

#include <memory>

using Events = WindowLayer;
using WindowTypes = WindowLayer;
using Procedure = WindowLayer;
using WindowBase = WindowLayer;

namespace {

long Area(const std::vector<RECT>& region)
{
  long area = 0;
  for (const RECT& r : region)
    area += long(r.right - r.left) * (r.bottom - r.top);
  return area;
}

} // namespace

TEST_F(Events, FieldsComeFromTheMessageWithFullSizeCommandAndValue)
{
  // Only the low 32 bits give the point, both halves sign-extended.
  const LPARAM packed = LPARAM(0x7700000000000000ll) | MAKELPARAM(-5, -7);
  QVEvent move(nullptr, WM_MOUSEMOVE, 0, packed);
  EXPECT_EQ(move.GetEventType(), eQVMouseMoveEvent);
  EXPECT_EQ(move.m_Point.X() * 1000 + move.m_Point.Y(), -5 * 1000 - 7);
  // Pointers travel as command values.
  const WPARAM wide = WPARAM(0x123456789ull);
  QVEvent command(nullptr, WM_COMMAND, wide, LPARAM(&move));
  EXPECT_EQ(command.m_Command, wide);
  EXPECT_EQ(reinterpret_cast<QVEvent*>(command.m_Value), &move);
  QVEvent copy(command);
  EXPECT_EQ(copy.m_Command, wide);
  QVEvent key(nullptr, WM_KEYDOWN, VK_RETURN, LPARAM(1 | (0x1C << 16)));
  EXPECT_EQ(key.m_KeyCode, uint32_t(VK_RETURN));
  EXPECT_EQ(key.m_KeyData, uint32_t(1 | (0x1C << 16)));
  EXPECT_STREQ(key.m_KeyName, "Enter");
  QVEvent longName(nullptr, WM_CHAR, 'x', LPARAM(0x36 << 16)); // Right Shift: cut to 9 characters
  EXPECT_STREQ(longName.m_KeyName, "Right Shi");
  const struct {
    UINT message;
    eQVEventTypes type;
  } table[] = {{WM_LBUTTONDOWN, eQVButtonDownEvent},
               {WM_LBUTTONUP, eQVButtonUpEvent},
               {WM_PAINT, eQVPaintEvent},
               {WM_KEYUP, eQVKeyUpEvent},
               {WM_MOVE, eQVSizeEvent},
               {WM_SIZE, eQVSizeEvent},
               {WM_WINDOWPOSCHANGED, eQVSizeEvent},
               {WM_DESTROY, eQVDestroyEvent},
               {WM_CREATE, eQVCreateEvent},
               {WM_SETCURSOR, eQVSetCursorEvent},
               {WM_SYSCHAR, eQVSysCharEvent},
               {WM_CHAR, eQVCharEvent},
               {WM_SYSCOMMAND, eQVSysCommandEvent},
               {WM_CLOSE, eQVCloseEvent},
               {WM_LBUTTONDBLCLK, eQVDoubleClickEvent},
               {WM_TIMER, eQVTimerEvent},
               {WM_ERASEBKGND, eQVUnknownEvent},
               {WM_USER, eQVUnknownEvent}};
  for (const auto& row : table)
    EXPECT_EQ(QVEvent(nullptr, row.message, 0, 0).GetEventType(), row.type) << row.message;
}

TEST_F(WindowTypes, TheTableOrsAssignsOrKeepsStylesAndUnknownTypesTouchNothing)
{
  struct Row {
    const char* name;
    DWORD style, ex;
  };
  // Starting from style 1 and ex style 0x1000 each time.
  const Row rows[] = {
      {"__QVWindowStyleEmpty", 0x50000001, 0x1000},      {"__QVWindowStyleMain", 0x01CF0001, 0x41000},
      {"__QVWindowStyleStaticMain", 0x01CF0001, 0x1000}, {"__QVWindowStyleStaticMainCaption", 0x90C80001, 0x1000},
      {"__QVWindowStyleToolbar", 0x10000001, 0x1080},    {"__QVWindowStylePreview", 0x50000001, 0x1000},
      {"__QVWindowStyleControl", 0x50000001, 0},         {"__QVWindowStyleMenu", 0x80000001, 0},
      {"__QVWindowStyleBorder", 0x50800001, 0},          {"__QVWindowStyleDialog", 0x80C80001, 8},
      {"__QVWindowStyleClientEdge", 0x50000001, 0x200},  {"__QVWindowStyleDialog", 0x80880001, 0}};
  for (int type = 0; type < 12; ++type) {
    char name[256] = "";
    DWORD style = 1, ex = 0x1000;
    const auto t = QVWindow::eQVWindowStyles(type);
    ASSERT_EQ(QVWindow::GetWindowClassNameByType(t, name, &style, &ex), 0);
    EXPECT_STREQ(name, rows[type].name);
    EXPECT_EQ(style, rows[type].style) << type;
    EXPECT_EQ(ex, rows[type].ex) << type;
    EXPECT_EQ(QVWindow::GetWindowClassNameByType(t, name, nullptr, nullptr), 0);
  }
  char name[256] = "untouched";
  DWORD style = 1, ex = 2;
  EXPECT_EQ(QVWindow::GetWindowClassNameByType(QVWindow::eQVWindowStyles(12), name, &style, &ex), -1);
  EXPECT_STREQ(name, "untouched");
  EXPECT_EQ(style * 10 + ex, 12u);
  // Such a window has no handle, and every call on it fails quietly.
  Probe none(QVRect(0, 0, 10, 10), QVWindow::eQVWindowStyles(12));
  EXPECT_EQ(none.GetWnd(), nullptr);
  none.SetWindowPos(1, 2, 3, 4, 1);
  none.InvalWindow(nullptr, 1);
  EXPECT_FALSE(none.Visible());
}

TEST_F(WindowTypes, EveryTypesFrameAgreesWithItsRectangles)
{
  Probe parent(QVRect(0, 0, 600, 400), QVWindow::eQVWindowStyleStaticMainCaption);
  for (int type = 0; type < 12; ++type) {
    const auto t = QVWindow::eQVWindowStyles(type);
    DWORD style = 0, ex = 0;
    QVWindow::GetWindowClassNameByType(t, nullptr, &style, &ex);
    Probe w(QVRect(10, 20, 110, 100), t, (style & WS_CHILD) ? &parent : nullptr);
    ASSERT_NE(w.GetWnd(), nullptr) << type;
    RECT client = w.GetClientRect().GetRect(), window = w.GetWindowRect().GetRect();
    RECT adjusted = client;
    AdjustWindowRectEx(&adjusted, style & ~WS_MAXIMIZE, FALSE, ex);
    EXPECT_EQ(window.right - window.left, adjusted.right - adjusted.left) << type;
    EXPECT_EQ(window.bottom - window.top, adjusted.bottom - adjusted.top) << type;
    POINT origin{0, 0};
    ClientToScreen(w.GetWnd(), &origin);
    EXPECT_EQ(origin.x - window.left, -adjusted.left) << type;
    QVRect back(origin.x, origin.y, origin.x + 5, origin.y + 5);
    w.GetClientRectFromScreenRect(back);
    EXPECT_EQ(back.IsSame(QVRect(0, 0, 5, 5)), 1) << type;
    // Types 1 and 2 are maximised: their stored rectangle stays the request.
    if (type == 1 || type == 2) {
      EXPECT_EQ(w.Width(), 100);
      EXPECT_EQ(client.right, 1280);
    }
  }
}

TEST_F(WindowTypes, ClassesKeepTheirFirstColourWhileWindowsLiveAndTypes9And11ShareOne)
{
  auto eraseColour = [](QVWindow& w) {
    InvalidateRect(w.GetWnd(), nullptr, TRUE);
    UpdateWindow(w.GetWnd());
    return standin::ReadPixel(w.GetWnd(), 3, 3);
  };
  QVColor red(255, 0, 0);
  EXPECT_EQ(QVWindow::SetWindowTypeInfo(QVWindow::eQVWindowStyleMenu, red, 0, 0), 0);
  {
    Probe first(QVRect(0, 0, 20, 20), QVWindow::eQVWindowStyleMenu);
    first.ShowWindow(QVWindow::eQVShowNormal);
    EXPECT_EQ(eraseColour(first), kClassGrey) << "re-registered: no window held the red class";
    QVWindow::SetWindowTypeInfo(QVWindow::eQVWindowStyleMenu, red, 0, 0);
    Probe second(QVRect(0, 0, 20, 20), QVWindow::eQVWindowStyleMenu);
    second.ShowWindow(QVWindow::eQVShowNormal);
    EXPECT_EQ(eraseColour(second), kClassGrey) << "kept while the first lives";
  }
  EXPECT_EQ(QVWindow::SetWindowTypeInfo(QVWindow::eQVWindowStyleMenu, red, 0, 0), 0);
  HWND raw = CreateWindowExA(0, "__QVWindowStyleMenu", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                             nullptr, nullptr);
  HDC dc = GetDC(raw);
  SendMessageA(raw, WM_ERASEBKGND, WPARAM(dc), 0); // no object: the default erases
  ReleaseDC(raw, dc);
  EXPECT_EQ(standin::ReadPixel(raw, 3, 3), RGB(255, 0, 0));
  DestroyWindow(raw);

  Probe bordered(QVRect(0, 0, 20, 20), QVWindow::eQVWindowStyleDialogBorder);
  WNDCLASSEXA a{}, b{};
  const BOOL atom = GetClassInfoExA(GetHostInstance(), "__QVWindowStyleDialog", &a);
  EXPECT_NE(atom, 0);
  Probe dialog(QVRect(0, 0, 20, 20), QVWindow::eQVWindowStyleDialog);
  EXPECT_EQ(GetClassInfoExA(GetHostInstance(), "__QVWindowStyleDialog", &b), atom);
  EXPECT_EQ(b.style, UINT(CS_DBLCLKS | CS_OWNDC | CS_GLOBALCLASS));
  EXPECT_EQ(QVWindow::CleanupWindowTypes(), 0);
  EXPECT_NE(GetClassInfoExA(GetHostInstance(), "__QVWindowStyleDialog", &b), 0) << "windows of it still live";
  EXPECT_EQ(GetClassInfoExA(GetHostInstance(), "__QVWindowStyleMenu", &b), 0);
}

TEST_F(Procedure, HandledMessagesWithoutAnObjectReturnZeroAndSkipTheDefault)
{
  Probe registrar(QVRect(0, 0, 10, 10), QVWindow::eQVWindowStyleMenu);
  HWND raw = CreateWindowExA(0, "__QVWindowStyleMenu", "", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SendMessageA(raw, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(raw)) << "no object, no default: WM_CLOSE did not destroy";
  EXPECT_EQ(SendMessageA(raw, WM_ERASEBKGND, WPARAM(GetDC(raw)), 0), 1) << "unhandled messages get the default";
  standin::TraceMessages(true);
  EXPECT_EQ(SendMessageA(raw, WM_SYSCOMMAND, SC_CLOSE, 0), 0);
  ASSERT_EQ(standin::MessageTrace().size(), 2u);
  EXPECT_EQ(standin::MessageTrace()[1].message, UINT(WM_CLOSE))
      << "key-routed messages get the default with or without an object";
  EXPECT_TRUE(IsWindow(raw));
}

TEST_F(Procedure, EachRowReachesItsHandlerWithItsResult)
{
  Probe w(QVRect(0, 0, 100, 100), QVWindow::eQVWindowStyleMenu);
  HWND h = w.GetWnd();
  EXPECT_EQ(w.creates, 0) << "WM_CREATE came before the object was attached";
  EXPECT_EQ(SendMessageA(h, WM_ACTIVATE, WA_ACTIVE, 0), 1) << "OnActivate returned false";
  w.activateResult = true;
  EXPECT_EQ(SendMessageA(h, WM_ACTIVATE, WA_CLICKACTIVE, LPARAM(0x55)), 0);
  EXPECT_EQ(SendMessageA(h, WM_ACTIVATE, WA_INACTIVE, 0), 1);
  EXPECT_EQ(w.activations * 10 + w.deactivations, 21);
  EXPECT_EQ(SendMessageA(h, WM_LBUTTONDBLCLK, 0, 0), 1) << "no button handler; true";
  EXPECT_EQ(SendMessageA(h, WM_LBUTTONDOWN, 0, 0), 1) << "the negation of HandleButtonDown's false";
  EXPECT_EQ(SendMessageA(h, WM_COMMAND, 16040, 0), 1);
  ASSERT_EQ(w.commands.size(), 1u);
  EXPECT_EQ(w.commands[0].m_Command * 10 + WPARAM(w.commands[0].m_Value), 160400u);
  EXPECT_EQ(w.commands[0].m_Window, &w);
  EXPECT_EQ(SendMessageA(h, WM_SETCURSOR, WPARAM(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), 1);
  EXPECT_EQ(standin::CurrentCursor().id, 32512);
}

TEST_F(Procedure, KeysReachTheKeyWindowWithTheirOwnWindowAndThenTheDefault)
{
  Probe main(QVRect(0, 0, 200, 100), QVWindow::eQVWindowStyleStaticMainCaption);
  Probe control(QVRect(10, 10, 50, 30), QVWindow::eQVWindowStyleControl, &main);
  SetFocus(control.GetWnd());
  standin::KeyPress('A');
  standin::Pump();
  EXPECT_TRUE(main.keys.empty() && control.keys.empty()) << "no key window: straight to the default";
  QVWindow::m_HotKeyWindow = &main;
  standin::KeyPress('B');
  standin::Pump();
  ASSERT_EQ(main.keys.size(), 3u) << "down, char and up";
  EXPECT_EQ(main.keys[0].m_Window, &control);
  EXPECT_EQ(main.keys[0].m_KeyCode, uint32_t('B'));
  EXPECT_EQ(main.keys[1].GetEventType(), eQVCharEvent);
  standin::KeyDown(VK_MENU);
  standin::KeyPress(VK_F4);
  standin::KeyUp(VK_MENU);
  standin::Pump();
  EXPECT_FALSE(IsWindow(main.GetWnd())) << "Alt+F4 still reached the default: close, destroy";
}

TEST_F(Procedure, DeletingTheKeyWindowClearsIt)
{
  auto main = std::make_unique<Probe>(QVRect(0, 0, 200, 100), QVWindow::eQVWindowStyleStaticMainCaption);
  Probe other(QVRect(300, 0, 50, 50), QVWindow::eQVWindowStyleStaticMainCaption);
  QVWindow::m_HotKeyWindow = main.get();
  main.reset();
  EXPECT_EQ(QVWindow::m_HotKeyWindow, nullptr);
  standin::KeyPress('C');
  standin::Pump(); // would call the deleted window
}

TEST_F(WindowBase, SizeEventsSeeTheOldStoredRectangleAndTheNewClientArea)
{
  Probe w(QVRect(10, 10, 110, 60), QVWindow::eQVWindowStyleMenu);
  w.sizeLeft.clear();
  w.sizeWidth.clear();
  w.sizeClient.clear();
  w.SetWindowPos(20, 30, 200, 80, 1);
  ASSERT_EQ(w.sizeLeft.size(), 1u);
  EXPECT_EQ(w.sizeLeft[0], 10);
  EXPECT_EQ(w.sizeWidth[0], 100);
  EXPECT_EQ(w.sizeClient[0].Width(), 200);
  EXPECT_EQ(w.Left() * 1000 + w.Width(), 20200);
  w.ShowWindow(QVWindow::eQVShowNormal);
  EXPECT_EQ(w.sizeLeft.size(), 3u) << "showing, then raising on activation, send WM_WINDOWPOSCHANGED too";
  w.ShowWindow(QVWindow::eQVWindowShowStyles(3));
  EXPECT_TRUE(w.Visible());
  EXPECT_FALSE(IsIconic(w.GetWnd())) << "3 does nothing";
}

TEST_F(WindowBase, OnlyWindowsOfTheirOwnAreKeptOnTheScreen)
{
  Probe top(QVRect(0, 0, 10, 10), QVWindow::eQVWindowStyleMenu);
  top.SetWindowPos(-50, -50, 200, 100, 1);
  EXPECT_EQ(top.GetWindowRect().IsSame(QVRect(0, 0, 200, 100)), 1);
  EXPECT_EQ(top.Left(), 0);
  top.SetWindowPos(1200, 1000, 200, 100, 1);
  EXPECT_EQ(top.GetWindowRect().IsSame(QVRect(1080, 899, 1280, 999)), 1) << "the bottom 25 pixels stay free";
  Probe child(QVRect(0, 0, 10, 10), QVWindow::eQVWindowStylePreview, &top);
  child.SetWindowPos(-50, -50, 20, 20, 1);
  EXPECT_EQ(child.Left(), -50);
  child.SetSize(30, 40);
  EXPECT_EQ(child.Left() * 1000 + child.Width(), -50 * 1000 + 30) << "the corner taken in the parent's coordinates";
}

TEST_F(WindowBase, ScrollWindowMovesInsideTheParentAndKeepsTheHeight)
{
  Probe parent(QVRect(0, 0, 200, 100), QVWindow::eQVWindowStyleMenu);
  Probe pane(QVRect(0, 0, 50, 300), QVWindow::eQVWindowStylePreview, &parent);
  pane.ScrollWindow(0, 20);
  EXPECT_EQ(pane.Top(), 0) << "the top never goes below 0";
  pane.ScrollWindow(1, 150);
  EXPECT_EQ(pane.Top(), -150);
  pane.ScrollWindow(1, 100);
  EXPECT_EQ(pane.Top(), -150) << "its bottom would rise above the parent's";
  pane.ScrollWindow(0, 110);
  EXPECT_EQ(pane.Top(), -40);
  pane.ScrollWindow(0, 20);
  EXPECT_EQ(pane.Top(), -20);
  EXPECT_EQ(pane.Height(), 300);
  EXPECT_EQ(pane.GetWindowRect().Top(), -20);
  Probe orphan(QVRect(0, 0, 50, 300), QVWindow::eQVWindowStylePreview, nullptr, parent.GetWnd());
  orphan.ScrollWindow(1, 10);
  EXPECT_EQ(orphan.Top(), 0) << "no framework parent to scroll against";
}

TEST_F(WindowBase, BackgroundTilesAndTheBorderDrawInPaint)
{
  Probe w(QVRect(100, 100, 140, 130), QVWindow::eQVWindowStyleMenu);
  w.LoadBackgroundImage(kTilePicture);
  w.SetRenderBorder(1);
  w.ShowWindow(QVWindow::eQVShowNormal);
  UpdateWindow(w.GetWnd());
  const standin::PixelView view = standin::ViewPixels(w.GetWnd());
  EXPECT_EQ(view.At(4, 4), RGB(255, 0, 0)) << "the first tile";
  EXPECT_EQ(view.At(16 + 3, 12 + 3), RGB(255, 0, 0)) << "tiled on from the top left";
  EXPECT_EQ(view.At(32 + 3, 24 + 3), RGB(255, 0, 0)) << "the last tiles, cut by the edges";
  // The 2-pixel pens centred on the client edges leave one pixel inside:
  // light on the top and left, dark on the bottom and right, drawn last.
  const COLORREF light = RGB(225, 225, 225), dark = RGB(64, 64, 64);
  for (int y = 0; y < 30; ++y) {
    EXPECT_EQ(view.At(0, y), y == 29 ? dark : light) << y;
    EXPECT_EQ(view.At(39, y), dark) << y;
  }
  for (int x = 0; x < 39; ++x) {
    EXPECT_EQ(view.At(x, 0), light) << x;
    EXPECT_EQ(view.At(x, 29), dark) << x;
  }
  // An invalid picture tiles nothing.
  w.LoadBackgroundImage(999);
  w.SetRenderBorder(0);
  w.InvalWindow(nullptr, 1);
  EXPECT_EQ(standin::ReadPixel(w.GetWnd(), 4, 4), kClassGrey);
}

TEST_F(WindowBase, ShadowTablesHold200AndForgetDeletedWindowsBothWays)
{
  auto host = std::make_unique<Probe>(QVRect(0, 0, 100, 100), QVWindow::eQVWindowStyleMenu);
  std::vector<std::unique_ptr<Probe>> shadows;
  for (int i = 0; i < 201; ++i) {
    shadows.push_back(std::make_unique<Probe>(HWND(nullptr)));
    host->AddShadowWnd(shadows.back().get());
  }
  EXPECT_EQ(host->Shadows()[199], shadows[199].get());
  EXPECT_EQ(std::count(host->Shadows(), host->Shadows() + 200, shadows[200].get()), 0) << "the 201st is ignored";
  shadows[5].reset();
  EXPECT_EQ(host->Shadows()[5], nullptr);
  host->AddShadowWnd(shadows[200].get());
  EXPECT_EQ(host->Shadows()[5], shadows[200].get()) << "the freed slot is used again";
  host.reset();
  shadows.clear(); // no shadow may touch the deleted host
}

TEST_F(WindowBase, InvalShadowAreaInvalidatesTheTwoStrips)
{
  Probe parent(QVRect(0, 0, 200, 200), QVWindow::eQVWindowStyleMenu);
  Probe card(QVRect(20, 30, 70, 60), QVWindow::eQVWindowStylePreview, &parent);
  parent.ShowWindow(QVWindow::eQVShowNormal);
  UpdateWindow(parent.GetWnd());
  parent.InvalShadowArea(&card);
  // (70, 30, 80, 70) and (20, 60, 80, 70): 10 x 40 + 50 x 10 without overlap.
  EXPECT_EQ(Area(standin::UpdateRegion(parent.GetWnd())), 10 * 40 + 50 * 10);
  EXPECT_TRUE(standin::UpdateRegion(card.GetWnd()).empty());
}

TEST_F(WindowBase, BackgroundColourPaintsOnlyThroughHandleEraseWindow)
{
  Probe w(QVRect(0, 0, 30, 30), QVWindow::eQVWindowStyleMenu);
  w.ShowWindow(QVWindow::eQVShowNormal);
  QVColor red(255, 0, 0);
  w.SetBGColor(red);
  EXPECT_EQ(standin::ReadPixel(w.GetWnd(), 5, 5), kClassGrey) << "erasing uses the class brush";
  QVEvent none(&w, WM_NULL, 0, 0);
  EXPECT_TRUE(w.HandleEraseWindow(none));
  EXPECT_EQ(standin::ReadPixel(w.GetWnd(), 5, 5), RGB(255, 0, 0));
  // No shadow image exists in this process: drawing a shadow does nothing.
  QVDevice device(&w);
  w.DrawShadow(&device, QVRect(2, 2, 10, 10), 0, 0, 0);
  EXPECT_EQ(standin::ReadPixel(w.GetWnd(), 11, 11), RGB(255, 0, 0));
}

TEST_F(WindowBase, PostCommandArrivesLaterWithValueZero)
{
  Probe w(QVRect(0, 0, 30, 30), QVWindow::eQVWindowStyleMenu);
  w.PostCommand(77);
  EXPECT_TRUE(w.commands.empty());
  standin::Pump();
  ASSERT_EQ(w.commands.size(), 1u);
  EXPECT_EQ(w.commands[0].m_Command, 77u);
  EXPECT_EQ(w.commands[0].m_Value, 0);
}

TEST_F(WindowBase, ForeignWindowsAreWrappedNeverDestroyed)
{
  Probe owner(QVRect(0, 0, 30, 30), QVWindow::eQVWindowStyleMenu);
  {
    Probe wrapper(owner.GetWnd());
    EXPECT_EQ(wrapper.GetWnd(), owner.GetWnd());
    EXPECT_EQ(wrapper.GetClientRect().Width(), 30);
  }
  EXPECT_TRUE(IsWindow(owner.GetWnd()));
  EXPECT_EQ(GetWindowLongA(owner.GetWnd(), GWL_USERDATA), LONG_PTR(&owner));
  // A window destroyed with its parent leaves its object harmless.
  auto child = std::make_unique<Probe>(QVRect(0, 0, 5, 5), QVWindow::eQVWindowStylePreview, &owner);
  DestroyWindow(owner.GetWnd());
  child.reset();
  EXPECT_TRUE(standin::Failures().empty());
}
