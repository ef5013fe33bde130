// The X11 presenter's windows: one X window per showing top-level window,
// following its rectangle, title, owner and z-order, and the window
// manager's moves and resizes coming back.
//
// Where a window manager frames the windows, the X window of a captioned
// window covers its client area only, and asks for static gravity, so that
// the manager puts its frame around the client where the stand-in has it.
// Stacking goes through XRaiseWindow alone, which a manager receives as a
// request once it has reparented the window; windows that may have been
// reparented are no longer siblings, so nothing restacks them against each
// other.
#include "x11/x11presenter.h"

#include "text.h"
#include "wm.h"

#include <X11/Xatom.h>

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

// The frame's share of each side of a window whose manager draws the frame.
RECT FrameInsets(const WindowRecord& w, bool clientOnly) { return clientOnly ? w.Insets() : RECT{0, 0, 0, 0}; }

// _MOTIF_WM_HINTS, which managers read for the functions their frame offers.
struct MotifHints {
  unsigned long flags, functions, decorations;
  long inputMode;
  unsigned long status;
};
constexpr unsigned long kMotifFunctions = 1, kMotifResize = 2, kMotifMove = 4, kMotifMinimize = 8, kMotifMaximize = 16,
                        kMotifClose = 32;

// The first wait for the answer to a request to map a window, and the
// longest.
constexpr std::chrono::milliseconds kMapAgainFirst{500}, kMapAgainLongest{4000};

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

RECT X11Presenter::Placement(HWND window, bool clientOnly) const
{
  const WindowRecord* w = Find(window);
  const RECT in = FrameInsets(*w, clientOnly);
  const RECT r = ScreenRect(window);
  return RECT{r.left + in.left, r.top + in.top, std::max(r.left + in.left, r.right - in.right),
              std::max(r.top + in.top, r.bottom - in.bottom)};
}

POINT X11Presenter::SurfaceOrigin(HWND window, bool clientOnly) const
{
  const RECT in = FrameInsets(*Find(window), clientOnly);
  return POINT{in.left, in.top};
}

void X11Presenter::Create(HWND window, Shown* shown)
{
  const WindowRecord* w = Find(window);
  shown->overrideRedirect = IsPopup(*w);
  shown->clientOnly = manager_ && !shown->overrideRedirect;
  shown->rect = Placement(window, shown->clientOnly);
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None; // the surface paints everything
  attributes.bit_gravity = NorthWestGravity;
  attributes.override_redirect = shown->overrideRedirect ? True : False;
  attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                          KeyReleaseMask | FocusChangeMask | StructureNotifyMask;
  attributes.cursor = current_;
  const unsigned long mask = CWBackPixmap | CWBitGravity | CWOverrideRedirect | CWEventMask | (current_ ? CWCursor : 0);
  shown->window =
      XCreateWindow(display_, root_, int(shown->rect.left), int(shown->rect.top), unsigned(Width(shown->rect)),
                    unsigned(Height(shown->rect)), 0, depth_, InputOutput, visual_, mask, &attributes);
  XSetWMProtocols(display_, shown->window, &deleteWindow_, 1);
  XClassHint classHint{const_cast<char*>("lumivex"), const_cast<char*>("Lumivex")};
  XSetClassHint(display_, shown->window, &classHint);
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(display_, shown->window, &hints);
  if (w->topmost && !shown->overrideRedirect)
    XChangeProperty(display_, shown->window, netWmState_, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&stateAbove_), 1);
  if (lastInput_ != CurrentTime && !shown->overrideRedirect) {
    // Shown in answer to the person's last action: the manager gives it the
    // focus as it would any window the person opened.
    const unsigned long time = lastInput_;
    XChangeProperty(display_, shown->window, userTime_, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&time), 1);
  }
  SetSizeHints(window, *shown);
  SetFunctions(window, *shown);
  SetTitle(window, *shown);
}

void X11Presenter::SetOwner(HWND window, const Shown& shown)
{
  if (shown.overrideRedirect)
    return;
  // A manager keeps a window above the one it is transient for, which must
  // be on the display: an owner that is hidden (the Preset Manager while
  // its file dialog is up) hands that on to its own owner.
  const WindowRecord* w = Find(window);
  for (HWND owner = w ? w->owner : nullptr; owner; owner = Find(owner) ? Find(owner)->owner : nullptr) {
    if (const Shown* o = Record(owner); o && o->mapped) {
      XSetTransientForHint(display_, shown.window, o->window);
      return;
    }
  }
  XDeleteProperty(display_, shown.window, XA_WM_TRANSIENT_FOR);
}

void X11Presenter::SetSizeHints(HWND window, const Shown& shown)
{
  const WindowRecord* w = Find(window);
  XSizeHints* hints = XAllocSizeHints();
  if (!hints)
    return;
  const RECT r = Placement(window, shown.clientOnly);
  hints->flags = USPosition | PPosition | USSize | PSize;
  hints->x = int(r.left);
  hints->y = int(r.top);
  hints->width = Width(r);
  hints->height = Height(r);
  if (shown.clientOnly) {
    // The client stays where the stand-in has it; the frame goes around.
    hints->flags |= PWinGravity;
    hints->win_gravity = StaticGravity;
  }
  if (!(w->style & WS_THICKFRAME)) {
    // A window without a sizing frame keeps its size.
    hints->flags |= PMinSize | PMaxSize;
    hints->min_width = hints->max_width = Width(r);
    hints->min_height = hints->max_height = Height(r);
  }
  XSetWMNormalHints(display_, shown.window, hints);
  XFree(hints);
}

void X11Presenter::SetFunctions(HWND window, const Shown& shown)
{
  if (shown.overrideRedirect)
    return;
  // The manager's frame offers what the stand-in's frame would: a close
  // box only with a system menu, sizing only with a sizing frame.
  const DWORD style = Find(window)->style;
  MotifHints hints{kMotifFunctions, kMotifMove, 0, 0, 0};
  if (style & WS_THICKFRAME)
    hints.functions |= kMotifResize;
  if (style & WS_MINIMIZEBOX)
    hints.functions |= kMotifMinimize;
  if ((style & WS_MAXIMIZEBOX) && (style & WS_THICKFRAME))
    hints.functions |= kMotifMaximize;
  if (style & WS_SYSMENU)
    hints.functions |= kMotifClose;
  XChangeProperty(display_, shown.window, motifHints_, motifHints_, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&hints), 5);
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
  WindowRecord* w = Find(window);
  Shown* shown = Record(window);
  // A window framed by the manager needs a client area to show.
  const bool clientOnly = shown ? shown->clientOnly : w && manager_ && !IsPopup(*w);
  const bool show = w && !w->destroying && Showing(window) &&
                    (clientOnly ? w->ClientWidth() > 0 && w->ClientHeight() > 0 : w->Width() > 0 && w->Height() > 0) &&
                    SurfaceOf(w);
  if (show && !shown) {
    shown = &shown_[window];
    Create(window, shown);
  }
  if (!shown || show == shown->mapped)
    return;
  shown->mapped = show;
  if (show) {
    SetOwner(window, *shown);
    Map(shown);
    MarkDirty(shown, RECT{0, 0, w->Width(), w->Height()});
    ZOrderChanged();
  } else {
    XUnmapWindow(display_, shown->window);
    std::erase(stacked_, window);
    if (activated_ == window)
      activated_ = nullptr;
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
  std::erase(stacked_, window);
  if (activated_ == window)
    activated_ = nullptr;
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
  const RECT now = Placement(window, shown->clientOnly);
  shown->rect = now;
  const bool sized = Width(was) != Width(now) || Height(was) != Height(now);
  if (sized) {
    DropImages(shown);
    MarkDirty(shown, RECT{0, 0, w->Width(), w->Height()});
  }
  // A change the window manager made is only taken over.
  if (adopting_ || SameRect(was, now) || Width(now) <= 0 || Height(now) <= 0)
    return;
  shown->requested.push_back(now);
  if (sized)
    SetSizeHints(window, *shown);
  XMoveResizeWindow(display_, shown->window, int(now.left), int(now.top), unsigned(Width(now)), unsigned(Height(now)));
}

void X11Presenter::TitleChanged(HWND window)
{
  if (const Shown* shown = Record(window); shown && !lost_)
    SetTitle(window, *shown);
}

void X11Presenter::Raise(Window window) { XRaiseWindow(display_, window); }

void X11Presenter::Map(Shown* shown)
{
  shown->mapAnswered = false;
  shown->mapAgainAfter = kMapAgainFirst;
  shown->mapAgainAt = std::chrono::steady_clock::now() + kMapAgainFirst;
  XMapWindow(display_, shown->window);
}

// A window manager that is starting takes over the requests to map windows
// (the server redirects them to it) before it is ready to handle them, and
// may drop one that comes in between; it then leaves alone the windows it
// finds unmapped. A request without an answer is made again, which the
// manager, once ready, takes as any other; on a bare server the first one
// is always answered. Only a request never answered is repeated: a window
// the manager mapped and then unmapped (iconified) stays as it put it.
void X11Presenter::MapUnanswered()
{
  if (lost_)
    return;
  const auto now = std::chrono::steady_clock::now();
  for (auto& [window, shown] : shown_) {
    if (!shown.mapped || shown.mapAnswered || now < shown.mapAgainAt)
      continue;
    shown.mapAgainAfter = std::min(shown.mapAgainAfter * 2, kMapAgainLongest);
    shown.mapAgainAt = now + shown.mapAgainAfter;
    XMapWindow(display_, shown.window);
  }
}

long X11Presenter::UntilMapAgain() const
{
  long until = -1;
  const auto now = std::chrono::steady_clock::now();
  for (const auto& [window, shown] : shown_) {
    if (!shown.mapped || shown.mapAnswered)
      continue;
    const long left =
        std::max(0L, long(std::chrono::duration_cast<std::chrono::milliseconds>(shown.mapAgainAt - now).count()));
    until = until < 0 ? left : std::min(until, left);
  }
  return until;
}

// The stand-in reorders its windows several times in one step (a window
// shown, then activated and raised); the display gets only the order the
// step ends with, at the next flush, so a window manager never sees a
// passing order (which it may take as a request to raise the wrong window).
void X11Presenter::ZOrderChanged() { restack_ = true; }

void X11Presenter::Restack()
{
  if (!restack_ || lost_)
    return;
  restack_ = false;
  std::vector<HWND> order; // top first
  for (HWND top : ZOrder())
    if (const Shown* shown = Record(top); shown && shown->mapped)
      order.push_back(top);
  // The display's order as last given, with the windows mapped since on
  // top (where mapping put them).
  std::vector<HWND> was;
  for (HWND top : order)
    if (std::find(stacked_.begin(), stacked_.end(), top) == stacked_.end())
      was.push_back(top);
  for (HWND top : stacked_)
    if (std::find(order.begin(), order.end(), top) != order.end())
      was.push_back(top);
  // From the bottom, the windows above the first difference are raised in
  // turn, the lowest first.
  size_t same = 0;
  while (same < order.size() && order[order.size() - 1 - same] == was[was.size() - 1 - same])
    ++same;
  for (size_t i = order.size() - same; i-- > 0;)
    Raise(Record(order[i])->window);
  stacked_ = order;
  ActivateOnDisplay();
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
    if (!XTranslateCoordinates(display_, shown->window, root_, 0, 0, &x, &y, &child) || lost_)
      return;
  }
  const RECT got{x, y, x + event.width, y + event.height};
  const auto mine =
      std::find_if(shown->requested.begin(), shown->requested.end(), [&](const RECT& r) { return SameRect(r, got); });
  if (mine != shown->requested.end()) {
    shown->requested.erase(shown->requested.begin(), mine + 1);
    return;
  }
  const WindowRecord* w = Find(window);
  if (!w)
    return;
  const RECT want = Placement(window, shown->clientOnly);
  if (SameRect(got, want))
    return;
  // The stand-in's rectangle around what the display shows.
  const RECT in = FrameInsets(*w, shown->clientOnly);
  const bool sizing = (w->style & WS_THICKFRAME) != 0;
  const bool sized = Width(got) != Width(want) || Height(got) != Height(want);
  const bool moved = got.left != want.left || got.top != want.top;
  adopting_ = true;
  // A move needs no repaint: the surface already holds the picture.
  if (moved)
    SetWindowPos(window, nullptr, int(got.left - in.left), int(got.top - in.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  if (sized && sizing && Find(window))
    SetWindowPos(window, nullptr, 0, 0, Width(got) + in.left + in.right, Height(got) + in.top + in.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  adopting_ = false;
  shown = Record(window);
  if (sized && !sizing && shown && Find(window) && !lost_) {
    // The stand-in's size stands.
    const RECT keep = Placement(window, shown->clientOnly);
    shown->requested.push_back(RECT{got.left, got.top, got.left + Width(keep), got.top + Height(keep)});
    XResizeWindow(display_, shown->window, unsigned(Width(keep)), unsigned(Height(keep)));
  }
}

void X11Presenter::Reparented(HWND window, const XReparentEvent& event)
{
  Shown* shown = Record(window);
  if (!shown)
    return;
  shown->reparented = event.parent != root_;
  // A manager took the window: it maps it when ready.
  if (shown->reparented)
    shown->mapAnswered = true;
  // A manager that frames windows without announcing itself is known by
  // the framing; one that let go leaves the stand-in's frame to show again.
  if (!shown->overrideRedirect)
    SetClientOnly(window, shown, shown->reparented || ManagerAnnounced());
  ActivateOnDisplay();
}

void X11Presenter::SetClientOnly(HWND window, Shown* shown, bool clientOnly)
{
  if (shown->clientOnly == clientOnly || lost_ || !Find(window))
    return;
  const RECT now = Placement(window, clientOnly);
  if (Width(now) <= 0 || Height(now) <= 0)
    return;
  shown->clientOnly = clientOnly;
  shown->rect = now;
  shown->requested.push_back(now);
  SetSizeHints(window, *shown);
  XMoveResizeWindow(display_, shown->window, int(now.left), int(now.top), unsigned(Width(now)), unsigned(Height(now)));
  const WindowRecord* w = Find(window);
  MarkDirty(shown, RECT{0, 0, w->Width(), w->Height()});
}

} // namespace standin::detail
