// The X11 presenter: opening the display, its screen, the window manager,
// the errors it reports and the loss that ends presenting, and taking
// events and waiting from the message loop.
#include "x11/x11presenter.h"

#include "win32/interrupts.h"
#include "wm.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace standin::detail {
namespace {

// Xlib's handlers are process-wide; they reach the one presenter here.
X11Presenter* g_presenter = nullptr;
// While the MIT-SHM attachment is tried, an error only means "no MIT-SHM".
bool g_probing = false;
bool g_probeFailed = false;

int OnError(Display* display, XErrorEvent* error)
{
  if (g_probing) {
    g_probeFailed = true;
    return 0;
  }
  (void)display;
  if (g_presenter)
    g_presenter->RequestFailed(*error);
  return 0;
}

int OnConnectionLost(Display*)
{
  if (g_presenter)
    g_presenter->ConnectionLost();
  return 0;
}

// Returning from here keeps the process alive; Xlib makes no further
// requests on the broken connection, and the presenter makes none either.
void OnConnectionLostExit(Display*, void*) {}

// Whether the server takes shared-memory images from this process.
bool ProbeShm(Display* display)
{
  if (!XShmQueryExtension(display) || ImageByteOrder(display) != LSBFirst)
    return false;
  XShmSegmentInfo segment{};
  segment.shmid = shmget(IPC_PRIVATE, 4096, IPC_CREAT | 0600);
  if (segment.shmid < 0)
    return false;
  segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  bool attached = false;
  if (segment.shmaddr != reinterpret_cast<char*>(-1)) {
    g_probing = true;
    g_probeFailed = false;
    attached = XShmAttach(display, &segment) && (XSync(display, False), !g_probeFailed);
    g_probing = false;
    if (attached) {
      XShmDetach(display, &segment);
      XSync(display, False);
    }
    shmdt(segment.shmaddr);
  }
  shmctl(segment.shmid, IPC_RMID, nullptr);
  return attached;
}

} // namespace

std::unique_ptr<Presenter> OpenX11Presenter(std::string* why)
{
  const char* name = XDisplayName(nullptr);
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    *why = std::string("cannot open the display ") + (name ? name : "");
    return nullptr;
  }
  const int screen = DefaultScreen(display);
  const Visual* visual = DefaultVisual(display, screen);
  int formats = 0, bitsPerPixel = 0;
  if (XPixmapFormatValues* list = XListPixmapFormats(display, &formats)) {
    for (int i = 0; i < formats; ++i)
      if (list[i].depth == DefaultDepth(display, screen))
        bitsPerPixel = list[i].bits_per_pixel;
    XFree(list);
  }
  if (DefaultDepth(display, screen) != 24 || bitsPerPixel != 32 || visual->red_mask != 0xFF0000 ||
      visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF) {
    *why = std::string("the display ") + (name ? name : "") + " shows no 24-bit true colour";
    XCloseDisplay(display);
    return nullptr;
  }
  return std::make_unique<X11Presenter>(display);
}

X11Presenter::X11Presenter(Display* display)
    : display_(display), screen_(DefaultScreen(display)), root_(RootWindow(display, screen_)),
      visual_(DefaultVisual(display, screen_)), depth_(DefaultDepth(display, screen_)),
      gc_(DefaultGC(display, screen_)), start_(std::chrono::steady_clock::now())
{
  g_presenter = this;
  XSetErrorHandler(OnError);
  XSetIOErrorHandler(OnConnectionLost);
  XSetIOErrorExitHandler(display_, OnConnectionLostExit, nullptr);
  shm_ = ProbeShm(display_);
  protocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
  deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  netWmName_ = XInternAtom(display_, "_NET_WM_NAME", False);
  utf8_ = XInternAtom(display_, "UTF8_STRING", False);
  supportingCheck_ = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
  netWmState_ = XInternAtom(display_, "_NET_WM_STATE", False);
  stateAbove_ = XInternAtom(display_, "_NET_WM_STATE_ABOVE", False);
  motifHints_ = XInternAtom(display_, "_MOTIF_WM_HINTS", False);
  netSupported_ = XInternAtom(display_, "_NET_SUPPORTED", False);
  netActiveWindow_ = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
  userTime_ = XInternAtom(display_, "_NET_WM_USER_TIME", False);
  wmState_ = XInternAtom(display_, "WM_STATE", False);
  // A manager that starts or ends later changes the root's properties.
  XSelectInput(display_, root_, PropertyChangeMask);
  ManagerChanged();
}

X11Presenter::~X11Presenter()
{
  if (!lost_) {
    for (auto& [window, shown] : shown_)
      DropImages(&shown);
    FreeCursors();
    XCloseDisplay(display_);
  }
  g_presenter = nullptr;
}

bool X11Presenter::ScreenSize(int* width, int* height) const
{
  *width = DisplayWidth(display_, screen_);
  *height = DisplayHeight(display_, screen_);
  return true;
}

DWORD X11Presenter::Elapsed() const
{
  return DWORD(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count());
}

void X11Presenter::RequestFailed(const XErrorEvent& error)
{
  if (lost_ || !reported_.insert({int(error.error_code), int(error.request_code)}).second)
    return;
  char text[160] = "", request[80] = "";
  XGetErrorText(display_, error.error_code, text, sizeof text);
  const std::string code = std::to_string(int(error.request_code));
  XGetErrorDatabaseText(display_, "XRequest", code.c_str(), "", request, sizeof request);
  std::fprintf(stderr, "lumivex: X error: %s on request %s%s%s%s; the windows stay open\n", text, code.c_str(),
               *request ? " (" : "", request, *request ? ")" : "");
}

void X11Presenter::ConnectionLost()
{
  lost_ = true;
  if (quitPosted_)
    return;
  quitPosted_ = true;
  std::fprintf(stderr, "lumivex: the connection to the display was lost; the windows close as cancelled\n");
  PostQuitMessage(1);
}

bool X11Presenter::ManagerAnnounced()
{
  // The root names the manager's check window, which names itself.
  const auto checkWindow = [this](Window window) -> Window {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Window named = 0;
    if (XGetWindowProperty(display_, window, supportingCheck_, 0, 1, False, XA_WINDOW, &type, &format, &count, &after,
                           &data) == Success &&
        data && type == XA_WINDOW && format == 32 && count == 1)
      named = Window(*reinterpret_cast<unsigned long*>(data));
    if (data)
      XFree(data);
    return named;
  };
  const Window check = checkWindow(root_);
  return check && !lost_ && checkWindow(check) == check;
}

void X11Presenter::ManagerChanged()
{
  manager_ = ManagerAnnounced();
  activates_ = false;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (manager_ &&
      XGetWindowProperty(display_, root_, netSupported_, 0, 4096, False, XA_ATOM, &type, &format, &count, &after,
                         &data) == Success &&
      data && type == XA_ATOM && format == 32) {
    const unsigned long* atoms = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i < count; ++i)
      activates_ = activates_ || Atom(atoms[i]) == netActiveWindow_;
  }
  if (data)
    XFree(data);
}

void X11Presenter::RootChanged(const XEvent& event)
{
  if (event.type == PropertyNotify &&
      (event.xproperty.atom == supportingCheck_ || event.xproperty.atom == netSupported_))
    ManagerChanged();
}

void X11Presenter::ActivateOnDisplay()
{
  const HWND active = GetActiveWindow();
  const Shown* shown = Record(active);
  if (lost_ || active == activated_ || !shown || !shown->mapped || shown->overrideRedirect)
    return;
  if (!manager_ && !shown->reparented) {
    // Without a manager nobody else gives the keyboard's focus: the active
    // window takes it, as on Windows, wherever the pointer is, once it is
    // on the display. It goes back to the pointer's window when this one
    // is unmapped.
    if (!shown->viewable)
      return;
    activated_ = active;
    XSetInputFocus(display_, shown->window, RevertToPointerRoot, CurrentTime);
    return;
  }
  // A window the manager has not framed yet is not its to activate; it is
  // asked for once framed.
  if (!activates_ || !shown->reparented)
    return;
  activated_ = active;
  // As an application asks (source 1), with the time of the person's last
  // action, which lets the manager weigh it against focus stealing.
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = shown->window;
  event.xclient.message_type = netActiveWindow_;
  event.xclient.format = 32;
  event.xclient.data.l[0] = 1;
  event.xclient.data.l[1] = long(lastInput_);
  XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

void X11Presenter::TakeEvents()
{
  std::vector<XEvent> events;
  while (!lost_ && XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    events.push_back(event);
  }
  for (size_t i = 0; i < events.size() && !lost_; ++i) {
    // Motion is taken at its last position before anything else happens.
    const bool nextIsMotion = i + 1 < events.size() && events[i + 1].type == MotionNotify &&
                              events[i + 1].xany.window == events[i].xany.window;
    if (events[i].type == MotionNotify && nextIsMotion)
      continue;
    Dispatch(events[i]);
  }
}

void X11Presenter::Poll()
{
  if (lost_)
    return;
  TakeEvents();
  MapUnanswered();
  Flush();
}

PresenterWait X11Presenter::Wait(const DWORD* deadline)
{
  if (lost_)
    return PresenterWait::Lost;
  if (InterruptSignal() != 0)
    return PresenterWait::Interrupted;
  Flush();
  if (!lost_)
    XFlush(display_);
  if (!lost_ && XPending(display_) == 0) {
    // Until the earliest timer, or a request to map that is due again.
    long ms = UntilMapAgain();
    if (deadline) {
      const DWORD left = DWORD(*deadline - Now());
      const long timer = left >= 0x80000000u ? 0 : long(left);
      ms = ms < 0 ? timer : std::min(ms, timer);
    }
    const timespec timeout{ms / 1000, (ms % 1000) * 1000000};
    // Ctrl-C or SIGTERM ends the wait: they are held back while the flag
    // is looked at, and let through only inside the wait itself, so that
    // one arriving in between is not slept through.
    sigset_t interrupts, before;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &interrupts, &before);
    if (InterruptSignal() == 0) {
      pollfd connection{ConnectionNumber(display_), POLLIN, 0};
      ppoll(&connection, 1, ms >= 0 ? &timeout : nullptr, &before);
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
  }
  Poll();
  if (lost_)
    return PresenterWait::Lost;
  return InterruptSignal() != 0 ? PresenterWait::Interrupted : PresenterWait::Woken;
}

} // namespace standin::detail
