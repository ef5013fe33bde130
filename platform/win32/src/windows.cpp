// Window records: creation and destruction, the window tree and z-order,
// enabling, window longs and text. Frames and geometry, SetWindowPos and
// ShowWindow are in windows_geometry.cpp.
#include "presenter.h"
#include "wm.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace standin::detail;

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

} // namespace

namespace standin::detail {

// The screen-covering desktop window: a handle of its own, without a record.
HWND Desktop()
{
  static const HWND desktop = reinterpret_cast<HWND>(NewHandleValue());
  return desktop;
}

bool DialogClass(const WindowRecord& w) { return w.cls && w.cls->name == kDialogClass; }

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

} // namespace standin::detail

extern "C" {

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width, int height,
                     HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
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
