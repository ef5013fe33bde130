// Input: injection (automation API), its processing on retrieval (hit
// testing, click activation, WM_SETCURSOR, double clicks, key messages),
// the key state and pointer, capture, focus and activation.
#include "presenter.h"
#include "wm.h"

#include <algorithm>
#include <cstdlib>

namespace {

using namespace standin::detail;

constexpr DWORD kDoubleClickTime = 500;
constexpr int kDoubleClickBox = 4;

struct InputEvent {
  enum Kind { Mouse, Key, Raw } kind;
  UINT message; // WM_MOUSEMOVE / WM_LBUTTONDOWN / WM_LBUTTONUP, WM_KEYDOWN / WM_KEYUP, or the raw one
  POINT point;
  int key;
  DWORD time;
  MSG raw;
  // A key-down's character as a display's keyboard typed it (a code-page
  // byte, 0 for none), or kLayoutCharacter: the US layout's.
  int character = kLayoutCharacter;
};

// The character of the key-down last taken from the input, and its message.
struct TypedKey {
  bool valid = false;
  MSG message{};
  int character = kLayoutCharacter;
};

struct InputState {
  std::deque<InputEvent> queue;
  bool keys[256] = {};
  POINT pointer{0, 0};  // as retrieved
  POINT injected{0, 0}; // as injected
  bool button = false;
  // The last press that may start a double click.
  bool armed = false;
  HWND pressWindow = nullptr;
  DWORD pressTime = 0;
  POINT pressPoint{0, 0};
  FocusState focus;
  TypedKey typed;
};
InputState& S()
{
  static auto* state = new InputState;
  return *state;
}

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

RECT ClientScreenRect(HWND h)
{
  const WindowRecord* w = Find(h);
  const POINT o = ClientOrigin(h);
  return RECT{o.x, o.y, o.x + w->ClientWidth(), o.y + w->ClientHeight()};
}

// The window under a screen point: the topmost showing top-level window,
// then the deepest showing child, first-created first among siblings.
HWND HitWindow(POINT p)
{
  HWND hit = nullptr;
  for (HWND top : ZOrder())
    if (Showing(top) && Contains(ScreenRect(top), p)) {
      hit = top;
      break;
    }
  while (hit) {
    if (!Contains(ClientScreenRect(hit), p))
      break;
    HWND inner = nullptr;
    for (HWND child : Find(hit)->children)
      if (Showing(child) && Contains(ScreenRect(child), p)) {
        inner = child;
        break;
      }
    if (!inner)
      break;
    hit = inner;
  }
  return hit;
}

int HitCode(HWND h, POINT p)
{
  if (Contains(ClientScreenRect(h), p))
    return HTCLIENT;
  const WindowRecord* w = Find(h);
  const RECT s = ScreenRect(h);
  const POINT local{p.x - s.left, p.y - s.top};
  if (Contains(CloseBoxRect(h), local))
    return HTCLOSE;
  const int b = w->frame.border;
  if (w->frame.caption && local.y >= b && local.y < b + w->frame.caption && local.x >= b && local.x < w->Width() - b)
    return HTCAPTION;
  return HTBORDER;
}

WPARAM MouseFlags(bool button)
{
  UINT flags = button ? UINT(MK_LBUTTON) : 0u;
  if (KeyIsDown(VK_SHIFT))
    flags |= MK_SHIFT;
  if (KeyIsDown(VK_CONTROL))
    flags |= MK_CONTROL;
  return flags;
}

LPARAM ClientPoint(HWND h, POINT p)
{
  const POINT o = ClientOrigin(h);
  return MAKELPARAM(p.x - o.x, p.y - o.y);
}

bool IsDoubleClick(HWND target, const InputEvent& e)
{
  const InputState& s = S();
  const WindowRecord* w = Find(target);
  return w && (w->cls->style & CS_DBLCLKS) && s.armed && s.pressWindow == target &&
         e.time - s.pressTime <= kDoubleClickTime && std::abs(e.point.x - s.pressPoint.x) <= kDoubleClickBox / 2 &&
         std::abs(e.point.y - s.pressPoint.y) <= kDoubleClickBox / 2;
}

// What a mouse event becomes: its target, hit code and message (0 for
// none). False when nothing receives it.
bool MouseMessage(const InputEvent& e, HWND* target, int* hit, MSG* msg)
{
  const FocusState& f = S().focus;
  const bool captured = f.capture && Find(f.capture);
  *target = captured ? f.capture : HitWindow(e.point);
  if (!*target || !UsableForInput(*target))
    return false;
  *hit = captured ? HTCLIENT : HitCode(*target, e.point);
  const bool down = e.message == WM_LBUTTONDOWN;
  const bool button = down || (e.message == WM_MOUSEMOVE && S().button);
  *msg = MSG{*target, 0, MouseFlags(button), ClientPoint(*target, e.point), e.time, e.point};
  if (*hit == HTCLIENT)
    msg->message = down && IsDoubleClick(*target, e) ? WM_LBUTTONDBLCLK : e.message;
  else if (down) {
    msg->message = WM_NCLBUTTONDOWN;
    msg->wParam = WPARAM(*hit);
    msg->lParam = MAKELPARAM(e.point.x, e.point.y);
  }
  return true;
}

bool KeyMessage(const InputEvent& e, MSG* msg)
{
  const FocusState& f = S().focus;
  const HWND target = Find(f.focus) ? f.focus : Find(f.active) ? f.active : nullptr;
  if (!target || !UsableForInput(target))
    return false;
  const bool up = e.message == WM_KEYUP;
  const bool alt = KeyIsDown(VK_MENU) || e.key == VK_MENU || e.key == VK_LMENU || e.key == VK_RMENU;
  const bool system = (alt && !KeyIsDown(VK_CONTROL)) || e.key == VK_F10;
  bool extended = false;
  const int scan = ScanCode(e.key, &extended);
  const bool wasDown = S().keys[e.key & 0xFF];
  const DWORD data = 1u | (DWORD(scan & 0xFF) << 16) | (extended ? 1u << 24 : 0) | (alt ? 1u << 29 : 0) |
                     ((up || wasDown) ? 1u << 30 : 0) | (up ? 1u << 31 : 0);
  UINT message = up ? WM_KEYUP : WM_KEYDOWN;
  if (system)
    message = up ? WM_SYSKEYUP : WM_SYSKEYDOWN;
  *msg = MSG{target, message, WPARAM(e.key), LPARAM(data), e.time, S().pointer};
  return true;
}

// The effects of taking input from the queue. For mouse input they run
// before the message is delivered, as its prelude.
void ApplyKey(const InputEvent& e) { S().keys[e.key & 0xFF] = e.message == WM_KEYDOWN; }

// Returns false when the target went away during the prelude.
bool ApplyMouse(const InputEvent& e, HWND target, int hit, const MSG& msg)
{
  InputState& s = S();
  s.pointer = e.point;
  s.button = e.message == WM_LBUTTONDOWN || (e.message == WM_MOUSEMOVE && s.button);
  if (!(s.focus.capture && Find(s.focus.capture)))
    Deliver(target, WM_SETCURSOR, WPARAM(target), MAKELPARAM(hit, int(e.message)));
  if (e.message == WM_LBUTTONDOWN && Find(target)) {
    const HWND top = TopLevelOf(target);
    if (s.focus.active != top && !(Find(top)->exStyle & WS_EX_NOACTIVATE))
      Activate(top, WA_CLICKACTIVE);
    if (msg.message == WM_LBUTTONDOWN) {
      s.armed = true;
      s.pressWindow = target;
      s.pressTime = e.time;
      s.pressPoint = e.point;
    } else {
      s.armed = false; // a double click, or a frame press: the next press starts afresh
    }
  }
  return Find(target) && UsableForInput(target);
}

void Queue(InputEvent e)
{
  e.time = Now();
  S().queue.push_back(e);
}

void QueueMouse(UINT message, POINT p)
{
  InputState& s = S();
  if (message != WM_MOUSEMOVE && (p.x != s.injected.x || p.y != s.injected.y))
    Queue(InputEvent{InputEvent::Mouse, WM_MOUSEMOVE, p, 0, 0, {}});
  s.injected = p;
  Queue(InputEvent{InputEvent::Mouse, message, p, 0, 0, {}});
}

POINT ToScreen(HWND window, int x, int y)
{
  POINT p{x, y};
  ClientToScreen(window, &p);
  return p;
}

void SetFocusTo(HWND window)
{
  FocusState& f = S().focus;
  const HWND old = f.focus;
  if (old == window)
    return;
  f.focus = window;
  if (old)
    Deliver(old, WM_KILLFOCUS, WPARAM(window), 0);
  if (window && f.focus == window)
    Deliver(window, WM_SETFOCUS, WPARAM(old), 0);
}

// Raises a top-level window with the windows it owns to the top of its band.
void Raise(HWND window)
{
  auto& z = ZOrder();
  const bool topmost = Find(window)->topmost;
  std::vector<HWND> group;
  for (HWND h : z)
    if (h == window || (Find(h) && Find(h)->owner == window && Find(h)->topmost == topmost))
      group.push_back(h);
  std::erase_if(z, [&](HWND h) { return std::find(group.begin(), group.end(), h) != group.end(); });
  // The owner goes below the windows it owns.
  std::erase(group, window);
  group.push_back(window);
  auto at = z.begin();
  if (!topmost)
    while (at != z.end() && Find(*at) && Find(*at)->topmost)
      ++at;
  z.insert(at, group.begin(), group.end());
  Presentation().ZOrderChanged();
}

bool CanTakeActivation(HWND h, HWND leaving)
{
  const WindowRecord* w = Find(h);
  return w && h != leaving && !w->IsChild() && !w->destroying && Showing(h) && UsableForInput(h) && !InTree(leaving, h);
}

} // namespace

namespace standin::detail {

FocusState& Focus() { return S().focus; }

bool KeyIsDown(int key)
{
  const bool* k = S().keys;
  switch (key) {
  case VK_SHIFT: return k[VK_SHIFT] || k[VK_LSHIFT] || k[VK_RSHIFT];
  case VK_CONTROL: return k[VK_CONTROL] || k[VK_LCONTROL] || k[VK_RCONTROL];
  case VK_MENU: return k[VK_MENU] || k[VK_LMENU] || k[VK_RMENU];
  default: return key >= 0 && key < 256 && k[key];
  }
}

void Activate(HWND top, int how)
{
  FocusState& f = S().focus;
  if (top && (!Find(top) || Find(top)->IsChild()))
    return;
  const HWND old = f.active;
  if (old == top)
    return;
  // The pointer moves first: a handler that reacts to the change (hiding
  // itself on deactivation, say) starts no second change, and a change made
  // inside a handler runs as its own complete change.
  f.active = top;
  if (WindowRecord* w = Find(old)) {
    w->frameDirty = true;
    Deliver(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), LPARAM(top));
  }
  if (f.active != top)
    return;
  if (!top) {
    SetFocusTo(nullptr);
    return;
  }
  Raise(top);
  Find(top)->frameDirty = true;
  WINDOWPOS position = PositionOf(top, SWP_NOMOVE | SWP_NOSIZE);
  Deliver(top, WM_WINDOWPOSCHANGED, 0, LPARAM(&position));
  if (f.active != top || !Find(top))
    return;
  Deliver(top, WM_ACTIVATE, MAKEWPARAM(how, 0), LPARAM(old));
  // The focus moves into the newly active window unless it is there already.
  if (f.active == top && Find(top) && !InTree(top, f.focus))
    SetFocusTo(top);
}

void MoveStateOff(HWND window, int what)
{
  FocusState& f = S().focus;
  if ((what & kMoveActivation) && f.active && InTree(window, f.active)) {
    const WindowRecord* w = Find(window);
    HWND next = w && CanTakeActivation(w->owner, window) ? w->owner : nullptr;
    for (HWND h : ZOrder())
      if (!next && CanTakeActivation(h, window))
        next = h;
    Activate(next, WA_ACTIVE);
  }
  if ((what & kMoveFocus) && f.focus && InTree(window, f.focus)) {
    const HWND top = TopLevelOf(f.focus);
    const WindowRecord* t = Find(top);
    const bool usable = t && !t->destroying && Showing(top) && UsableForInput(top) && !InTree(window, top);
    SetFocusTo(usable ? top : nullptr);
  }
  if ((what & kMoveCapture) && f.capture && InTree(window, f.capture)) {
    const HWND old = f.capture;
    f.capture = nullptr;
    Deliver(old, WM_CAPTURECHANGED, 0, 0);
  }
}

void ResetInput()
{
  InputState& s = S();
  s = InputState{};
}

bool NextInput(MSG* msg, HWND window, UINT first, UINT last, bool remove)
{
  InputState& s = S();
  while (!s.queue.empty()) {
    const InputEvent e = s.queue.front();
    MSG m{};
    HWND target = nullptr;
    int hit = HTNOWHERE;
    bool delivered = false;
    switch (e.kind) {
    case InputEvent::Raw:
      m = e.raw;
      delivered = Find(m.hwnd) != nullptr;
      break;
    case InputEvent::Key: delivered = KeyMessage(e, &m); break;
    case InputEvent::Mouse: delivered = MouseMessage(e, &target, &hit, &m); break;
    }
    const bool wanted = delivered && m.message && PassesFilter(m, window, first, last);
    if (wanted && !remove) {
      *msg = m;
      return true;
    }
    if (delivered && m.message && !wanted)
      return false; // waits for a loop that takes it
    s.queue.pop_front();
    if (e.kind == InputEvent::Key) {
      ApplyKey(e);
      if (delivered && e.message == WM_KEYDOWN)
        s.typed = TypedKey{true, m, e.character};
    }
    if (e.kind == InputEvent::Mouse) {
      if (!delivered) {
        s.pointer = e.point; // dropped, yet the pointer moved
        continue;
      }
      if (!ApplyMouse(e, target, hit, m))
        continue;
    }
    if (wanted) {
      *msg = m;
      return true;
    }
  }
  return false;
}

void QueueKeyDown(int key, int character)
{
  InputEvent e{InputEvent::Key, WM_KEYDOWN, {}, key & 0xFF, 0, {}};
  e.character = character;
  Queue(e);
}

int TypedCharacter(const MSG& msg)
{
  const TypedKey& t = S().typed;
  const bool same = t.valid && t.message.hwnd == msg.hwnd && t.message.message == msg.message &&
                    t.message.wParam == msg.wParam && t.message.lParam == msg.lParam && t.message.time == msg.time;
  return same ? t.character : kLayoutCharacter;
}

} // namespace standin::detail

namespace standin {

void Move(int x, int y) { QueueMouse(WM_MOUSEMOVE, POINT{x, y}); }
void Move(HWND window, int x, int y)
{
  const POINT p = ToScreen(window, x, y);
  Move(p.x, p.y);
}
void Press(int x, int y) { QueueMouse(WM_LBUTTONDOWN, POINT{x, y}); }
void Press(HWND window, int x, int y)
{
  const POINT p = ToScreen(window, x, y);
  Press(p.x, p.y);
}
void Release(int x, int y) { QueueMouse(WM_LBUTTONUP, POINT{x, y}); }
void Release(HWND window, int x, int y)
{
  const POINT p = ToScreen(window, x, y);
  Release(p.x, p.y);
}
void Click(int x, int y)
{
  AdvanceClock(kDoubleClickTime + 1);
  Press(x, y);
  Release(x, y);
}
void Click(HWND window, int x, int y)
{
  const POINT p = ToScreen(window, x, y);
  Click(p.x, p.y);
}
void DoubleClick(int x, int y)
{
  Click(x, y);
  Press(x, y);
  Release(x, y);
}
void DoubleClick(HWND window, int x, int y)
{
  const POINT p = ToScreen(window, x, y);
  DoubleClick(p.x, p.y);
}
void CloseBox(HWND window)
{
  const RECT box = CloseBoxRect(window);
  const RECT s = ScreenRect(window);
  Click(s.left + (box.left + box.right) / 2, s.top + (box.top + box.bottom) / 2);
}
void InjectRaw(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  InputEvent e{InputEvent::Raw, message, {}, 0, 0, MSG{window, message, wParam, lParam, Now(), S().injected}};
  Queue(e);
}
void KeyDown(int key) { Queue(InputEvent{InputEvent::Key, WM_KEYDOWN, {}, key & 0xFF, 0, {}}); }
void KeyUp(int key) { Queue(InputEvent{InputEvent::Key, WM_KEYUP, {}, key & 0xFF, 0, {}}); }
void KeyPress(int key)
{
  KeyDown(key);
  KeyUp(key);
}
void Type(const char* text)
{
  for (const char* c = text; c && *c; ++c) {
    int key = 0;
    bool shift = false;
    if (!KeyForChar(*c, &key, &shift))
      continue;
    if (shift)
      KeyDown(VK_SHIFT);
    KeyPress(key);
    if (shift)
      KeyUp(VK_SHIFT);
  }
}

} // namespace standin

extern "C" {

SHORT GetAsyncKeyState(int key) { return KeyIsDown(key) || (key == VK_LBUTTON && S().button) ? SHORT(0x8000) : 0; }
SHORT GetKeyState(int key) { return GetAsyncKeyState(key); }

BOOL GetCursorPos(POINT* point)
{
  if (!point)
    return FALSE;
  *point = S().pointer;
  return TRUE;
}

HWND SetCapture(HWND window)
{
  FocusState& f = S().focus;
  const HWND previous = f.capture;
  if (!Find(window))
    return previous;
  f.capture = window;
  if (previous && previous != window)
    Deliver(previous, WM_CAPTURECHANGED, 0, LPARAM(window));
  return previous;
}

BOOL ReleaseCapture(void)
{
  FocusState& f = S().focus;
  const HWND old = f.capture;
  f.capture = nullptr;
  if (old)
    Deliver(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture(void) { return Find(S().focus.capture) ? S().focus.capture : nullptr; }

HWND SetFocus(HWND window)
{
  FocusState& f = S().focus;
  const HWND previous = f.focus;
  if (window && (!Find(window) || !UsableForInput(window)))
    return Fail(ERROR_INVALID_PARAMETER, HWND(nullptr));
  if (window) {
    const HWND top = TopLevelOf(window);
    if (f.active != top)
      Activate(top, WA_ACTIVE);
    if (!Find(window))
      return previous;
  }
  SetFocusTo(window);
  return previous;
}

HWND GetFocus(void) { return Find(S().focus.focus) ? S().focus.focus : nullptr; }

HWND SetActiveWindow(HWND window)
{
  const WindowRecord* w = Find(window);
  if (!w || w->IsChild())
    return nullptr;
  const HWND previous = S().focus.active;
  Activate(window, WA_ACTIVE);
  return previous;
}

HWND GetActiveWindow(void) { return Find(S().focus.active) ? S().focus.active : nullptr; }

} // extern "C"
