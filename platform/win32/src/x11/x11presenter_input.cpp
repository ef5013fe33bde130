// The X11 presenter's input: X events become the stand-in's injected input
// in screen coordinates, through the same queue as standin::Move, Press,
// Release, KeyDown and KeyUp, so that hit-testing, capture, activation,
// focus and double clicks stay the stand-in's own.
#include "x11/x11presenter.h"

#include "text.h"
#include "wm.h"
#include "x11/x11keys.h"

#include <algorithm>

namespace standin::detail {
namespace {

} // namespace

// The screen point of a point in the X window, which lies exactly over the
// stand-in window's rectangle, or over its client area.
POINT X11Presenter::ScreenPoint(HWND window, const Shown& shown, int x, int y) const
{
  const RECT r = Placement(window, shown.clientOnly);
  return POINT{r.left + x, r.top + y};
}

void X11Presenter::SyncModifiers(unsigned int state)
{
  struct Modifier {
    unsigned int mask;
    bool* down;
    int key;
  };
  for (const Modifier& m : {Modifier{ShiftMask, &shift_, VK_SHIFT}, Modifier{ControlMask, &control_, VK_CONTROL},
                            Modifier{Mod1Mask, &alt_, VK_MENU}}) {
    const bool want = (state & m.mask) != 0;
    if (want == *m.down)
      continue;
    *m.down = want;
    if (want)
      standin::KeyDown(m.key);
    else
      standin::KeyUp(m.key);
  }
}

bool X11Presenter::ApplicationWindow(Window window)
{
  if (!manager_ && std::none_of(shown_.begin(), shown_.end(), [](const auto& s) { return s.second.reparented; }))
    return true;
  // Under a manager, an application's window is, or lies inside, a window
  // the manager keeps WM_STATE on. The manager's own windows (where it
  // parks the focus while it passes it on) carry none.
  while (window && window != root_ && !lost_) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool has = XGetWindowProperty(display_, window, wmState_, 0, 0, False, AnyPropertyType, &type, &format,
                                        &count, &after, &data) == Success &&
                     type != None;
    if (data)
      XFree(data);
    if (has)
      return true;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(display_, window, &root, &parent, &children, &n))
      return false;
    if (children)
      XFree(children);
    window = parent;
  }
  return false;
}

void X11Presenter::FocusChanged(const XFocusChangeEvent& event)
{
  // Only real moves of the keyboard focus between windows count: not the
  // pointer's share of it, nor moves inside one window.
  if (event.mode != NotifyNormal && event.mode != NotifyWhileGrabbed)
    return;
  if (event.detail == NotifyPointer || event.detail == NotifyPointerRoot || event.detail == NotifyDetailNone ||
      event.detail == NotifyInferior)
    return;
  const HWND window = WindowOf(event.window);
  if (event.type == FocusIn) {
    // The focus coming back from another client activates the window it
    // reached. While one of the windows is active, the stand-in's own
    // activation (clicks, windows shown and hidden) stands: a manager
    // passes the focus on through other windows when one is hidden before
    // the next one it shows is mapped, which must not deactivate that one.
    const HWND active = GetActiveWindow();
    if (!window || !IsWindowEnabled(window) || (active && Showing(active)))
      return;
    SetActiveWindow(window);
    return;
  }
  // Focus that went to another application's window leaves no window
  // active.
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  if (lost_ || focus == None || focus == PointerRoot || focus == root_ || WindowOf(focus) || !ApplicationWindow(focus))
    return;
  if (Focus().active)
    Activate(nullptr, WA_INACTIVE);
}

// A key becomes the virtual key of its place on the keyboard and, going
// down, the character the keyboard's layout gives it (with the modifiers
// and Num Lock), as a code-page byte; a character the code page does not
// hold is typed as none. Control and Alt chords, and keys whose
// character is a control code (Return, Backspace, Tab, Escape, Delete),
// type what the window layer's own table says, as on Windows.
void X11Presenter::Key(XKeyEvent& event)
{
  lastInput_ = event.time;
  KeySym typed = NoSymbol;
  char text[8];
  XLookupString(&event, text, sizeof text, &typed, nullptr);
  const unsigned long plain = XLookupKeysym(&event, 0);
  // The keypad's keys are what Num Lock makes them; the others are known
  // by their unshifted keysym.
  int key = VirtualKeyFromKeysym(IsKeypadKeysym(typed) ? typed : plain);
  if (!key)
    key = VirtualKeyFromKeysym(typed);
  const unsigned long codePoint = CodePointFromKeysym(typed);
  if (!key && codePoint) {
    // A character key of another layout: the US key at its place (X's key
    // codes are the scan codes plus 8), or a key of its own.
    key = VirtualKeyFromScanCode(int(event.keycode) - 8);
    if (!key)
      key = VK_PACKET;
  }
  if (!key)
    return;
  SyncModifiers(event.state);
  const bool down = event.type == KeyPress;
  if (key == VK_SHIFT)
    shift_ = down;
  else if (key == VK_CONTROL)
    control_ = down;
  else if (key == VK_MENU)
    alt_ = down;
  if (!down) {
    standin::KeyUp(key);
    return;
  }
  int character = kLayoutCharacter;
  if (codePoint && !control_ && !alt_) {
    char byte = 0;
    character = CodePageByte(codePoint, &byte) ? int(static_cast<unsigned char>(byte)) : 0;
  }
  QueueKeyDown(key, character);
}

void X11Presenter::Dispatch(XEvent& event)
{
  if (event.type == MappingNotify) {
    XRefreshKeyboardMapping(&event.xmapping);
    return;
  }
  if (event.xany.window == root_) {
    RootChanged(event);
    return;
  }
  const HWND window = WindowOf(event.xany.window);
  Shown* shown = Record(window);
  if (!shown || !Find(window))
    return;
  switch (event.type) {
  case Expose: {
    const XExposeEvent& e = event.xexpose;
    const POINT o = SurfaceOrigin(window, shown->clientOnly);
    MarkDirty(shown, RECT{o.x + e.x, o.y + e.y, o.x + e.x + e.width, o.y + e.y + e.height});
    break;
  }
  case ConfigureNotify: Configured(window, event.xconfigure); break;
  case ReparentNotify: Reparented(window, event.xreparent); break;
  case ButtonPress:
  case ButtonRelease: {
    const XButtonEvent& e = event.xbutton;
    lastInput_ = e.time;
    if (e.button != Button1)
      break; // only the left button exists
    SyncModifiers(e.state);
    const POINT p = ScreenPoint(window, *shown, e.x, e.y);
    if (e.type == ButtonPress)
      standin::Press(p.x, p.y);
    else
      standin::Release(p.x, p.y);
    break;
  }
  case MotionNotify: {
    const XMotionEvent& e = event.xmotion;
    SyncModifiers(e.state);
    const POINT p = ScreenPoint(window, *shown, e.x, e.y);
    standin::Move(p.x, p.y);
    break;
  }
  case KeyPress:
  case KeyRelease: Key(event.xkey); break;
  case FocusIn:
  case FocusOut: FocusChanged(event.xfocus); break;
  case ClientMessage:
    if (event.xclient.message_type == protocols_ && Atom(event.xclient.data.l[0]) == deleteWindow_)
      PostMessageA(window, WM_CLOSE, 0, 0);
    break;
  case MapNotify:
    shown->viewable = true;
    shown->mapAnswered = true;
    ActivateOnDisplay();
    break;
  case UnmapNotify: shown->viewable = false; break;
  default: break; // gravity and the rest change nothing here
  }
}

} // namespace standin::detail
