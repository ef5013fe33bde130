// Window records: creation and destruction, the window tree and z-order,
// frames and geometry, SetWindowPos and ShowWindow, window longs and text.
#include "wm.h"
#include "presenter.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace standin::detail;

// The screen-covering desktop window: a handle of its own, without a record.
HWND Desktop()
{
  static const HWND desktop = reinterpret_cast<HWND>(NewHandleValue());
  return desktop;
}

RECT ScreenBounds() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// Where the window rectangle's top left lies on the top-level surface.
POINT SurfacePosition(HWND window)
{
  const WindowRecord* w = Find(window);
  if (!w || !w->IsChild())
    return POINT{0, 0};
  const WindowRecord* parent = Find(w->parent);
  POINT p = SurfacePosition(w->parent);
  if (parent) {
    p.x += parent->Insets().left;
    p.y += parent->Insets().top;
  }
  p.x += w->rect.left;
  p.y += w->rect.top;
  return p;
}

// Inserts a new or raised top-level window at the top of its band.
void PlaceOnTop(HWND window, bool topmost)
{
  auto& z = ZOrder();
  z.erase(std::remove(z.begin(), z.end(), window), z.end());
  auto at = z.begin();
  if (!topmost)
    while (at != z.end() && Find(*at) && Find(*at)->topmost)
      ++at;
  z.insert(at, window);
  Presentation().ZOrderChanged();
}

void Unlink(HWND window)
{
  WindowRecord* w = Find(window);
  if (!w)
    return;
  if (WindowRecord* parent = w->IsChild() ? Find(w->parent) : nullptr) {
    auto& c = parent->children;
    c.erase(std::remove(c.begin(), c.end(), window), c.end());
  }
  auto& z = ZOrder();
  z.erase(std::remove(z.begin(), z.end(), window), z.end());
}

void PostOrder(HWND window, std::vector<HWND>& out)
{
  if (const WindowRecord* w = Find(window))
    for (HWND child : std::vector<HWND>(w->children))
      PostOrder(child, out);
  out.push_back(window);
}

// The maximised rectangle of a top-level window: the screen, with the side
// and bottom frames just outside it.
RECT MaximisedRect(const WindowRecord& w)
{
  const RECT screen = ScreenBounds();
  const int side = w.Insets().left;
  return RECT{-side, -side, screen.right + side, screen.bottom + side};
}

void MoveTo(HWND window, const RECT& r)
{
  SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Showing: WM_SHOWWINDOW when it becomes visible, WM_WINDOWPOSCHANGED, and
// the window with its visible descendants invalidated with erase.
void Show(HWND window)
{
  WindowRecord* w = Find(window);
  if (!w || w->Visible())
    return;
  Deliver(window, WM_SHOWWINDOW, TRUE, 0);
  if (!(w = Find(window)))
    return;
  w->style |= WS_VISIBLE;
  WINDOWPOS position = PositionOf(window, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  Deliver(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
  for (HWND h : Subtree(window))
    if (WindowRecord* d = Find(h))
      d->frameDirty = true;
  Invalidate(window, nullptr, true);
  if (const WindowRecord* shown = Find(window); shown && !shown->IsChild())
    Presentation().WindowShown(window);
}

bool DialogClass(const WindowRecord& w) { return w.cls && w.cls->name == kDialogClass; }

// Moves a point by the client origin (sign 1: client to screen, -1 back).
BOOL ShiftByClientOrigin(HWND window, POINT* point, int sign)
{
  if (!point || (!Find(window) && window != Desktop()))
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  const POINT origin = window == Desktop() ? POINT{0, 0} : ClientOrigin(window);
  point->x += sign * origin.x;
  point->y += sign * origin.y;
  return TRUE;
}

} // namespace

namespace standin::detail {

HandleTable<WindowRecord>& Windows()
{
  static auto* windows = new HandleTable<WindowRecord>;
  return *windows;
}

WindowRecord* Find(HWND window) { return window ? Windows().Find(window) : nullptr; }

std::vector<HWND>& ZOrder()
{
  static auto* order = new std::vector<HWND>;
  return *order;
}

RECT FrameMetrics::Insets() const
{
  return RECT{border + edge, border + caption + edge, border + edge, border + edge};
}

FrameMetrics FrameOf(DWORD style, DWORD exStyle, bool dialogClass)
{
  FrameMetrics f;
  const bool overlapped = !(style & (WS_CHILD | WS_POPUP));
  const bool caption = overlapped || (style & WS_CAPTION) == WS_CAPTION;
  if (style & WS_THICKFRAME)
    f.border = 4;
  else if (caption || (style & WS_DLGFRAME) || (dialogClass && (style & DS_MODALFRAME)) ||
           (exStyle & WS_EX_DLGMODALFRAME))
    f.border = 3;
  else if (style & WS_BORDER)
    f.border = 1;
  f.caption = caption ? 19 : 0;
  f.edge = (exStyle & WS_EX_CLIENTEDGE) ? 2 : 0;
  return f;
}

int WindowRecord::ClientWidth() const { return std::max(0, Width() - Insets().left - Insets().right); }
int WindowRecord::ClientHeight() const { return std::max(0, Height() - Insets().top - Insets().bottom); }

HWND TopLevelOf(HWND window)
{
  const WindowRecord* w = Find(window);
  while (w && w->IsChild() && Find(w->parent)) {
    window = w->parent;
    w = Find(window);
  }
  return w ? window : nullptr;
}

std::vector<HWND> Subtree(HWND window)
{
  std::vector<HWND> out;
  const WindowRecord* w = Find(window);
  if (!w)
    return out;
  out.push_back(window);
  for (HWND child : w->children)
    for (HWND h : Subtree(child))
      out.push_back(h);
  return out;
}

bool InTree(HWND ancestor, HWND window)
{
  while (const WindowRecord* w = Find(window)) {
    if (window == ancestor)
      return true;
    if (!w->IsChild())
      return false;
    window = w->parent;
  }
  return false;
}

bool Showing(HWND window)
{
  for (const WindowRecord* w = Find(window); w; w = w->IsChild() ? Find(w->parent) : nullptr)
    if (!w->Visible() || w->minimized)
      return false;
  return Find(window) != nullptr;
}

bool UsableForInput(HWND window)
{
  for (const WindowRecord* w = Find(window); w; w = w->IsChild() ? Find(w->parent) : nullptr)
    if (!w->Enabled())
      return false;
  return Find(window) != nullptr;
}

POINT ClientOrigin(HWND window)
{
  const WindowRecord* w = Find(window);
  if (!w)
    return POINT{0, 0};
  const RECT screen = ScreenRect(window);
  return POINT{screen.left + w->Insets().left, screen.top + w->Insets().top};
}

RECT ScreenRect(HWND window)
{
  const WindowRecord* w = Find(window);
  if (!w)
    return RECT{};
  if (!w->IsChild())
    return w->rect;
  const POINT origin = ClientOrigin(w->parent);
  return Shifted(w->rect, origin.x, origin.y);
}

bool WindowArea(HWND window, bool whole, Surface** surface, POINT* origin, RECT* clip)
{
  const WindowRecord* w = Find(window);
  Surface* const topSurface = w ? SurfaceOf(Find(TopLevelOf(window))) : nullptr;
  if (!topSurface)
    return false;
  const POINT at = SurfacePosition(window);
  *surface = topSurface;
  *origin = whole ? at : POINT{at.x + w->Insets().left, at.y + w->Insets().top};
  RECT area = whole ? RECT{at.x, at.y, at.x + w->Width(), at.y + w->Height()}
                    : RECT{origin->x, origin->y, origin->x + w->ClientWidth(), origin->y + w->ClientHeight()};
  area = Intersect(area, topSurface->Bounds());
  // Every ancestor's client area limits what shows.
  for (const WindowRecord* c = w; c->IsChild();) {
    const HWND parentHandle = c->parent;
    const WindowRecord* parent = Find(parentHandle);
    if (!parent)
      break;
    const POINT p = SurfacePosition(parentHandle);
    const RECT insets = parent->Insets();
    const RECT client{p.x + insets.left, p.y + insets.top, p.x + insets.left + parent->ClientWidth(),
                      p.y + insets.top + parent->ClientHeight()};
    area = Intersect(area, client);
    c = parent;
  }
  *clip = area;
  return true;
}

RECT CloseBoxRect(HWND window)
{
  const WindowRecord* w = Find(window);
  if (!w || !w->frame.caption || !(w->style & WS_SYSMENU))
    return RECT{};
  const int right = w->Width() - w->frame.border - 2;
  const int top = w->frame.border + 2;
  return RECT{right - 16, top, right, top + 14};
}

WINDOWPOS PositionOf(HWND window, UINT flags)
{
  WINDOWPOS p{};
  p.hwnd = window;
  if (const WindowRecord* w = Find(window)) {
    p.x = w->rect.left;
    p.y = w->rect.top;
    p.cx = w->Width();
    p.cy = w->Height();
  }
  p.flags = flags;
  return p;
}

void Hide(HWND window)
{
  WindowRecord* w = Find(window);
  if (!w || !w->Visible())
    return;
  w->style &= ~WS_VISIBLE;
  if (!w->IsChild())
    Presentation().WindowHidden(window);
  const RECT covered = w->rect;
  WINDOWPOS position = PositionOf(window, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
  Deliver(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
  InvalidateParentArea(window, covered);
  MoveStateOff(window, kMoveActivation | kMoveFocus);
}

} // namespace standin::detail

extern "C" {

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
  RegisterBuiltInClasses();
  const ClassPtr cls = FindClass(className, instance);
  if (!cls)
    return Fail(ERROR_INVALID_PARAMETER, HWND(nullptr));
  if (parent && (!Find(parent) || Find(parent)->destroying))
    return Fail(ERROR_INVALID_HANDLE, HWND(nullptr));
  if ((style & WS_CHILD) && !parent)
    return Fail(ERROR_INVALID_PARAMETER, HWND(nullptr));

  WindowRecord record;
  record.cls = cls;
  record.style = style & ~WS_VISIBLE;
  record.exStyle = exStyle;
  record.instance = instance;
  record.proc = cls->proc;
  record.rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  record.frame = FrameOf(style, exStyle, DialogClass(record));
  record.minimized = (style & WS_MINIMIZE) != 0;
  if (style & WS_CHILD) {
    record.parent = parent;
    record.id = reinterpret_cast<LONG_PTR>(menu);
  } else {
    // An owner given as a child means that child's top-level window.
    record.owner = TopLevelOf(parent);
    record.topmost = (exStyle & WS_EX_TOPMOST) || (record.owner && Find(record.owner)->topmost);
  }
  const HWND window = reinterpret_cast<HWND>(Windows().Add(std::move(record)));
  WindowRecord* w = Find(window);
  w->handle = window;
  if (w->IsChild()) {
    Find(parent)->children.push_back(window); // the bottom of the siblings
  } else {
    PlaceOnTop(window, w->topmost);
    ResizeSurface(window);
  }

  CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x, LONG(style), title, className, exStyle};
  if (!Deliver(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    Deliver(window, WM_NCDESTROY, 0, 0);
    Unlink(window);
    Windows().Remove(window);
    return nullptr;
  }
  if (Deliver(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(window);
    return nullptr;
  }
  if (!(w = Find(window)))
    return nullptr;
  Deliver(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->ClientWidth(), w->ClientHeight()));
  if ((w = Find(window)))
    Deliver(window, WM_MOVE, 0, MAKELPARAM(w->ClientPosition().x, w->ClientPosition().y));
  if ((w = Find(window)) && (style & WS_MAXIMIZE) && !w->IsChild()) {
    // Maximised even while hidden; the request becomes the restore rectangle.
    w->restore = w->rect;
    w->maximized = true;
    MoveTo(window, MaximisedRect(*w));
  }
  if (Find(window) && (style & WS_VISIBLE))
    ShowWindow(window, SW_SHOW);
  return Find(window) ? window : nullptr;
}

BOOL DestroyWindow(HWND window)
{
  WindowRecord* w = Find(window);
  if (!w || w->destroying)
    return FALSE;
  w->destroying = true;
  // Owned windows go first.
  for (HWND owned : std::vector<HWND>(ZOrder()))
    if (const WindowRecord* o = Find(owned); o && o->owner == window)
      DestroyWindow(owned);
  Hide(window);
  MoveStateOff(window, kMoveActivation | kMoveFocus | kMoveCapture);
  const std::vector<HWND> tree = Subtree(window);
  for (HWND h : tree)
    if (WindowRecord* d = Find(h))
      d->destroying = true;
  for (HWND h : tree)
    Deliver(h, WM_DESTROY, 0, 0);
  std::vector<HWND> post;
  PostOrder(window, post);
  for (HWND h : post)
    Deliver(h, WM_NCDESTROY, 0, 0);
  // Whatever is left of the tree (handlers may have added to it) goes now.
  post.clear();
  PostOrder(window, post);
  for (HWND h : post) {
    if (const WindowRecord* d = Find(h); d && !d->IsChild())
      Presentation().WindowDestroyed(h);
    ForgetWindow(h);
    if (WindowRecord* d = Find(h); d && d->ownDC)
      RemoveDC(d->ownDC);
    Unlink(h);
    Windows().Remove(h);
  }
  return TRUE;
}

BOOL IsWindow(HWND window) { return (window == Desktop() || Find(window)) ? TRUE : FALSE; }

BOOL IsChild(HWND parent, HWND window) { return parent && window != parent && InTree(parent, window) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND window)
{
  for (const WindowRecord* w = Find(window); w; w = w->IsChild() ? Find(w->parent) : nullptr)
    if (!w->Visible())
      return FALSE;
  return Find(window) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window)
{
  const WindowRecord* w = Find(window);
  return w && w->Enabled() ? TRUE : FALSE;
}

BOOL IsIconic(HWND window)
{
  const WindowRecord* w = Find(window);
  return w && w->minimized ? TRUE : FALSE;
}

HWND GetParent(HWND window)
{
  const WindowRecord* w = Find(window);
  return w ? (w->IsChild() ? w->parent : w->owner) : Fail(ERROR_INVALID_HANDLE, HWND(nullptr));
}

HWND GetDesktopWindow(void) { return Desktop(); }

LONG_PTR GetWindowLongA(HWND window, int index)
{
  const WindowRecord* w = Find(window);
  if (!w)
    return Fail(ERROR_INVALID_HANDLE, LONG_PTR(0));
  switch (index) {
  case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
  case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
  case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->IsChild() ? w->parent : w->owner);
  case GWL_ID: return w->id;
  case GWL_STYLE: return LONG_PTR(w->style);
  case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
  case GWL_USERDATA: return w->userData;
  default: return Fail(ERROR_INVALID_PARAMETER, LONG_PTR(0));
  }
}

LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value)
{
  WindowRecord* w = Find(window);
  if (!w)
    return Fail(ERROR_INVALID_HANDLE, LONG_PTR(0));
  auto exchange = [](auto& slot, auto next) {
    const LONG_PTR previous = LONG_PTR(slot);
    slot = next;
    return previous;
  };
  switch (index) {
  case GWL_WNDPROC:
    return value ? exchange(w->proc, reinterpret_cast<WNDPROC>(value)) : Fail(ERROR_INVALID_PARAMETER, LONG_PTR(0));
  case GWL_ID: return exchange(w->id, value);
  // The frame follows at the next SetWindowPos that moves, sizes or passes
  // SWP_FRAMECHANGED, as Win32 caches it.
  case GWL_STYLE: return exchange(w->style, DWORD(value));
  case GWL_EXSTYLE: return exchange(w->exStyle, DWORD(value));
  case GWL_USERDATA: return exchange(w->userData, value);
  default: return Fail(ERROR_INVALID_PARAMETER, LONG_PTR(0));
  }
}

BOOL SetWindowTextA(HWND window, LPCSTR text)
{
  if (!Find(window))
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int size)
{
  if (!Find(window) || !buffer || size <= 0)
    return Fail(Find(window) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE, 0);
  buffer[0] = '\0';
  return int(SendMessageA(window, WM_GETTEXT, WPARAM(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND window) { return int(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)); }

BOOL GetClientRect(HWND window, RECT* rect)
{
  if (window == Desktop() && rect) {
    *rect = ScreenBounds();
    return TRUE;
  }
  const WindowRecord* w = Find(window);
  if (!w || !rect)
    return Fail(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE, FALSE);
  *rect = RECT{0, 0, w->ClientWidth(), w->ClientHeight()};
  return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
  if (window == Desktop() && rect) {
    *rect = ScreenBounds();
    return TRUE;
  }
  if (!Find(window) || !rect)
    return Fail(Find(window) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE, FALSE);
  *rect = ScreenRect(window);
  return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) { return ShiftByClientOrigin(window, point, -1); }

BOOL ClientToScreen(HWND window, POINT* point) { return ShiftByClientOrigin(window, point, 1); }

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD exStyle)
{
  if (!rect)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  const RECT insets = FrameOf(style, exStyle, false).Insets();
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
  WindowRecord* w = Find(window);
  if (!w)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  WINDOWPOS position{window, insertAfter, x, y, width, height, flags};
  if (flags & SWP_NOMOVE) {
    position.x = w->rect.left;
    position.y = w->rect.top;
  }
  if (flags & SWP_NOSIZE) {
    position.cx = w->Width();
    position.cy = w->Height();
  }
  Deliver(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&position));
  if (!(w = Find(window)))
    return TRUE;
  const RECT old = w->rect;
  w->rect = RECT{position.x, position.y, position.x + std::max(0, position.cx), position.y + std::max(0, position.cy)};
  const bool moved = old.left != w->rect.left || old.top != w->rect.top;
  const bool sized = w->Width() != old.right - old.left || w->Height() != old.bottom - old.top;
  if (moved || sized || (position.flags & SWP_FRAMECHANGED)) {
    w->frame = FrameOf(w->style, w->exStyle, DialogClass(*w));
    w->frameDirty = true;
  }
  if (!w->IsChild()) {
    ResizeSurface(window);
    if (moved || sized)
      Presentation().WindowMoved(window);
  }
  if (!(position.flags & SWP_NOREDRAW) && w->Visible()) {
    // No bits are copied: the window and the parent area it left repaint.
    Invalidate(window, nullptr, true);
    for (const HWND h : Subtree(window))
      Find(h)->frameDirty = true;
    std::vector<RECT> left{old};
    RegionSubtract(left, Find(window)->rect);
    for (const RECT& r : left)
      InvalidateParentArea(window, r);
  }
  if (position.flags & SWP_HIDEWINDOW)
    Hide(window);
  else if (position.flags & SWP_SHOWWINDOW)
    Show(window);
  Deliver(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
  return TRUE;
}

BOOL ShowWindow(HWND window, int command)
{
  WindowRecord* w = Find(window);
  if (!w)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  const BOOL wasVisible = w->Visible() ? TRUE : FALSE;
  const bool wasMinimized = w->minimized;
  switch (command) {
  case SW_HIDE:
    if (wasVisible) {
      Deliver(window, WM_SHOWWINDOW, FALSE, 0);
      Hide(window);
    }
    return wasVisible;
  case SW_SHOWMINIMIZED:
    if (!w->minimized) {
      w->minimized = true;
      w->style |= WS_MINIMIZE;
      if (wasVisible)
        InvalidateParentArea(window, w->rect);
      if (!w->IsChild())
        Presentation().WindowHidden(window);
    }
    break;
  case SW_MAXIMIZE:
    w->minimized = false;
    w->style &= ~WS_MINIMIZE;
    if (!w->maximized && !w->IsChild()) {
      w->restore = w->rect;
      w->maximized = true;
      w->style |= WS_MAXIMIZE;
      MoveTo(window, MaximisedRect(*w));
    }
    break;
  case SW_SHOWNORMAL:
  case SW_RESTORE:
    w->minimized = false;
    w->style &= ~WS_MINIMIZE;
    if (w->maximized) {
      w->maximized = false;
      w->style &= ~WS_MAXIMIZE;
      MoveTo(window, w->restore);
    }
    break;
  case SW_SHOW: break;
  default: return Fail(ERROR_INVALID_PARAMETER, wasVisible);
  }
  if (!Find(window))
    return wasVisible;
  Show(window);
  if ((w = Find(window)) && !w->IsChild())
    Activate(window, WA_ACTIVE);
  if ((w = Find(window)) && wasVisible && wasMinimized && !w->minimized) {
    Invalidate(window, nullptr, true);
    if (!w->IsChild())
      Presentation().WindowShown(window);
  }
  return wasVisible;
}

BOOL EnableWindow(HWND window, BOOL enable)
{
  WindowRecord* w = Find(window);
  if (!w)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  const BOOL wasDisabled = w->Enabled() ? FALSE : TRUE;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    w->frameDirty = true;
    Deliver(window, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    Deliver(window, WM_CANCELMODE, 0, 0);
    if (!(w = Find(window)))
      return wasDisabled;
    w->style |= WS_DISABLED;
    w->frameDirty = true;
    Deliver(window, WM_ENABLE, FALSE, 0);
    MoveStateOff(window, kMoveFocus);
  }
  return wasDisabled;
}

} // extern "C"
