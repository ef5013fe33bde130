// Window geometry: frames and the client area, screen and client
// coordinates, where a window draws on its surface, maximising, and
// SetWindowPos and ShowWindow.
#include "presenter.h"
#include "wm.h"

#include <algorithm>
#include <vector>

namespace {

using namespace standin::detail;

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

RECT ScreenBounds() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

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

RECT FrameMetrics::Insets() const { return RECT{border + edge, border + caption + edge, border + edge, border + edge}; }

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

} // extern "C"
