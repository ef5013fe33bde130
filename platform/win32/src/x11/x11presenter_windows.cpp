// The X11 presenter's windows: one X window per showing top-level window,
// following its rectangle, title, owner and z-order, and the window
// manager's moves and resizes coming back.
#include "x11/x11presenter.h"

#include "text.h"
#include "wm.h"

#include <algorithm>

namespace standin::detail {
namespace {

bool SameRect(const RECT& a, const RECT& b)
{
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// Menus, popups and splash windows are uncaptioned popups: no window
// manager frames or moves them.
bool IsPopup(const WindowRecord& w) { return (w.style & WS_POPUP) && (w.style & WS_CAPTION) != WS_CAPTION; }

} // namespace

X11Presenter::Shown* X11Presenter::Record(HWND window)
{
  const auto it = shown_.find(window);
  return it == shown_.end() ? nullptr : &it->second;
}

HWND X11Presenter::WindowOf(Window x) const
{
  for (const auto& [window, shown] : shown_)
    if (shown.window == x)
      return window;
  return nullptr;
}

void X11Presenter::Create(HWND window, Shown* shown)
{
  const WindowRecord* w = Find(window);
  shown->overrideRedirect = IsPopup(*w);
  shown->rect = w->rect;
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None; // the surface paints everything
  attributes.bit_gravity = NorthWestGravity;
  attributes.override_redirect = shown->overrideRedirect ? True : False;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                          KeyReleaseMask | FocusChangeMask | StructureNotifyMask;
  attributes.cursor = current_;
  const unsigned long mask =
      CWBackPixmap | CWBitGravity | CWOverrideRedirect | CWEventMask | (current_ ? CWCursor : 0);
  shown->window = XCreateWindow(display_, root_, int(w->rect.left), int(w->rect.top), unsigned(w->Width()),
                                unsigned(w->Height()), 0, depth_, InputOutput, visual_, mask, &attributes);
  XSetWMProtocols(display_, shown->window, &deleteWindow_, 1);
  XClassHint classHint{const_cast<char*>("lumivex"), const_cast<char*>("Lumivex")};
  XSetClassHint(display_, shown->window, &classHint);
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(display_, shown->window, &hints);
  if (const Shown* owner = Record(w->owner))
    XSetTransientForHint(display_, shown->window, owner->window);
  SetSizeHints(window, *shown);
  SetTitle(window, *shown);
}

void X11Presenter::SetSizeHints(HWND window, const Shown& shown)
{
  const WindowRecord* w = Find(window);
  XSizeHints* hints = XAllocSizeHints();
  if (!hints)
    return;
  hints->flags = USPosition | PPosition | USSize | PSize;
  hints->x = int(w->rect.left);
  hints->y = int(w->rect.top);
  hints->width = w->Width();
  hints->height = w->Height();
  if (!(w->style & WS_THICKFRAME)) {
    // A window without a sizing frame keeps its size.
    hints->flags |= PMinSize | PMaxSize;
    hints->min_width = hints->max_width = w->Width();
    hints->min_height = hints->max_height = w->Height();
  }
  XSetWMNormalHints(display_, shown.window, hints);
  XFree(hints);
}

void X11Presenter::SetTitle(HWND window, const Shown& shown)
{
  const WindowRecord* w = Find(window);
  const std::string utf8 = Utf8FromCodePage(w->text);
  XChangeProperty(display_, shown.window, netWmName_, utf8_, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), int(utf8.size()));
  // The plain name for programs that know no UTF-8 (Latin-1: the code
  // page's letters outside 0x80..0x9F).
  std::string latin1 = w->text;
  for (char& c : latin1)
    if (CodePoint(c) > 0xFF)
      c = '?';
  XStoreName(display_, shown.window, latin1.c_str());
}

// Maps or unmaps the X window as the stand-in window shows or not.
void X11Presenter::Reconcile(HWND window)
{
  if (lost_)
    return;
  const WindowRecord* w = Find(window);
  const bool show = w && w->surface && !w->destroying && Showing(window) && w->Width() > 0 && w->Height() > 0;
  Shown* shown = Record(window);
  if (show && !shown) {
    shown = &shown_[window];
    Create(window, shown);
  }
  if (!shown || show == shown->mapped)
    return;
  shown->mapped = show;
  if (show) {
    XMapWindow(display_, shown->window);
    MarkDirty(shown, RECT{0, 0, w->Width(), w->Height()});
    ZOrderChanged();
  } else {
    XUnmapWindow(display_, shown->window);
  }
}

void X11Presenter::WindowShown(HWND window) { Reconcile(window); }
void X11Presenter::WindowHidden(HWND window) { Reconcile(window); }

void X11Presenter::WindowDestroyed(HWND window)
{
  Shown* shown = Record(window);
  if (!shown)
    return;
  // The images are the client's own memory, freed even without a display.
  DropImages(shown);
  if (!lost_)
    XDestroyWindow(display_, shown->window);
  shown_.erase(window);
}

void X11Presenter::WindowMoved(HWND window)
{
  Shown* shown = Record(window);
  const WindowRecord* w = Find(window);
  if (!shown) {
    // A window shown while it had no size appears once it has one.
    Reconcile(window);
    return;
  }
  if (!w || lost_)
    return;
  const RECT was = shown->rect;
  shown->rect = w->rect;
  const bool sized = Width(was) != w->Width() || Height(was) != w->Height();
  if (sized) {
    DropImages(shown);
    MarkDirty(shown, RECT{0, 0, w->Width(), w->Height()});
  }
  // A change the window manager made is only taken over.
  if (adopting_ || SameRect(was, w->rect) || w->Width() <= 0 || w->Height() <= 0)
    return;
  shown->requested.push_back(w->rect);
  if (sized)
    SetSizeHints(window, *shown);
  XMoveResizeWindow(display_, shown->window, int(w->rect.left), int(w->rect.top), unsigned(w->Width()),
                    unsigned(w->Height()));
}

void X11Presenter::TitleChanged(HWND window)
{
  if (const Shown* shown = Record(window); shown && !lost_)
    SetTitle(window, *shown);
}

void X11Presenter::ZOrderChanged()
{
  if (lost_)
    return;
  std::vector<Window> order;
  for (HWND top : ZOrder())
    if (const Shown* shown = Record(top); shown && shown->mapped)
      order.push_back(shown->window);
  if (order.size() > 1)
    XRestackWindows(display_, order.data(), int(order.size()));
  else if (order.size() == 1)
    XRaiseWindow(display_, order.front());
}

void X11Presenter::Configured(HWND window, const XConfigureEvent& event)
{
  Shown* shown = Record(window);
  if (!shown)
    return;
  // The event gives root coordinates, unless a window manager's frame
  // holds the window and the event is not the manager's own.
  int x = event.x, y = event.y;
  if (shown->reparented && !event.send_event) {
    Window child = 0;
    XTranslateCoordinates(display_, shown->window, root_, 0, 0, &x, &y, &child);
    if (lost_)
      return;
  }
  const RECT got{x, y, x + event.width, y + event.height};
  const auto mine = std::find_if(shown->requested.begin(), shown->requested.end(),
                                 [&](const RECT& r) { return SameRect(r, got); });
  if (mine != shown->requested.end()) {
    shown->requested.erase(shown->requested.begin(), mine + 1);
    return;
  }
  const WindowRecord* w = Find(window);
  if (!w || SameRect(got, w->rect))
    return;
  const bool sizing = (w->style & WS_THICKFRAME) != 0;
  const bool sized = Width(got) != w->Width() || Height(got) != w->Height();
  const bool moved = got.left != w->rect.left || got.top != w->rect.top;
  adopting_ = true;
  // A move needs no repaint: the surface already holds the picture.
  if (moved)
    SetWindowPos(window, nullptr, int(got.left), int(got.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  if (sized && sizing && Find(window))
    SetWindowPos(window, nullptr, 0, 0, Width(got), Height(got), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  adopting_ = false;
  shown = Record(window);
  w = Find(window);
  if (sized && !sizing && shown && w && !lost_) {
    // The stand-in's size stands.
    const RECT keep{got.left, got.top, got.left + w->Width(), got.top + w->Height()};
    shown->requested.push_back(keep);
    XResizeWindow(display_, shown->window, unsigned(w->Width()), unsigned(w->Height()));
  }
}

} // namespace standin::detail
