#pragma once
// Internal to the stand-in: the presenter that shows the top-level windows
// on an X display, over Xlib (and MIT-SHM when the server offers it).
//
// One X window per showing top-level window. Uncaptioned popups (menus,
// splash windows) are override-redirect and show the whole window. A
// captioned window shows its whole window too (the frame the stand-in
// draws included) on a server without a window manager; where a manager
// frames windows, its frame stands for the stand-in's and the X window
// shows the client area only, at the client's screen position. Owned
// windows are transient for their nearest owner on the display. Without a
// manager the active window takes the keyboard's focus itself. Pixels only
// ever travel from the stand-in's surfaces to the display; X input becomes
// the stand-in's injected input in screen coordinates.
#include "presenter.h"
// The stand-in's declarations come before Xlib's, whose macros (KeyPress,
// FillSolid, ...) would otherwise change them.
#include "wm.h"

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace standin::detail {

class X11Presenter : public Presenter {
public:
  // Takes an open display whose default visual shows 32-bit B, G, R pixels.
  explicit X11Presenter(Display* display);
  ~X11Presenter() override;

  bool Presenting() const override { return !lost_; }
  bool ScreenSize(int* width, int* height) const override;
  DWORD Elapsed() const override;

  void WindowShown(HWND window) override;
  void WindowHidden(HWND window) override;
  void WindowDestroyed(HWND window) override;
  void WindowMoved(HWND window) override;
  void TitleChanged(HWND window) override;
  void ZOrderChanged() override;
  void SurfacePainted(HWND topLevel, const RECT& area) override;
  void CursorChanged(const CursorSource& cursor) override;

  void Poll() override;
  PresenterWait Wait(const DWORD* deadline) override;
  bool Lost() const override { return lost_; }

  // Called by Xlib's handlers: an error on a request (reported once for
  // each kind of error and request; the run goes on), or the connection
  // lost (presenting ends, and the message loop as a cancel).
  void RequestFailed(const XErrorEvent& error);
  void ConnectionLost();

private:
  // One presented top-level window.
  struct Shown {
    Window window = 0;
    bool mapped = false;
    bool overrideRedirect = false;
    bool reparented = false; // framed by a window manager
    bool viewable = false;   // the display has mapped it (MapNotify)
    // The display answered the last request to map the window (mapped or
    // framed it). A manager that is still starting may take the request
    // and drop it; until answered, the request is made again, at growing
    // intervals from `mapAgainAfter`, at `mapAgainAt`.
    bool mapAnswered = false;
    std::chrono::steady_clock::time_point mapAgainAt{};
    std::chrono::milliseconds mapAgainAfter{0};
    // The manager's frame stands for the stand-in's: the X window shows
    // the client area only.
    bool clientOnly = false;
    RECT rect{};                 // the X window's rectangle last given to the display
    RECT dirty{};                // surface pixels to push at the next poll
    std::vector<RECT> requested; // geometry asked for and not yet confirmed
    // The pixels the image was made over (a new surface needs a new one).
    const void* pixels = nullptr;
    XImage* image = nullptr; // over the surface's own pixels
    XShmSegmentInfo shm{};   // the shared image's segment (shmid -1: none)
    XImage* shmImage = nullptr;
  };

  // ---- windows (x11presenter_windows.cpp)
  Shown* Record(HWND window);
  HWND WindowOf(Window x) const;
  // The X window's rectangle on the root (the client area's, or the whole
  // window's), and the surface point its (0, 0) shows.
  RECT Placement(HWND window, bool clientOnly) const;
  POINT SurfaceOrigin(HWND window, bool clientOnly) const;
  void Create(HWND window, Shown* shown);
  void Reconcile(HWND window);
  // WM_TRANSIENT_FOR: the nearest owner that is on the display, if any.
  void SetOwner(HWND window, const Shown& shown);
  void SetSizeHints(HWND window, const Shown& shown);
  void SetFunctions(HWND window, const Shown& shown);
  void SetTitle(HWND window, const Shown& shown);
  void Configured(HWND window, const XConfigureEvent& event);
  void Reparented(HWND window, const XReparentEvent& event);
  // Shows the client area only (a manager frames the window) or the whole
  // window, moving the X window to match.
  void SetClientOnly(HWND window, Shown* shown, bool clientOnly);
  void Raise(Window window);
  // Asks the display to map the window, now and (see Shown::mapAnswered)
  // again while that goes unanswered.
  void Map(Shown* shown);
  void MapUnanswered();
  // The milliseconds until a request to map is due again; -1 for none.
  long UntilMapAgain() const;
  // Gives the display the stand-in's z-order, when it changed since the
  // last flush, and asks the manager to activate the active window.
  void Restack();

  // ---- the window manager (x11presenter.cpp)
  // Whether a window manager announces itself (_NET_SUPPORTING_WM_CHECK),
  // and what it offers (_NET_SUPPORTED).
  bool ManagerAnnounced();
  void ManagerChanged();
  void RootChanged(const XEvent& event);
  // Asks the manager to activate the stand-in's active window when it
  // changed, so that the person's keys and the stacking follow it; without
  // a manager, gives that window the keyboard's focus itself.
  void ActivateOnDisplay();

  // ---- pixels (x11presenter_pixels.cpp)
  void MarkDirty(Shown* shown, const RECT& area);
  // Gives the display the z-order and the pixels that changed since the
  // last pass of the message loop.
  void Flush();
  bool Push(HWND window, Shown* shown);
  void DropImages(Shown* shown);

  // ---- input (x11presenter_input.cpp)
  void Dispatch(XEvent& event);
  void SyncModifiers(unsigned int state);
  void FocusChanged(const XFocusChangeEvent& event);
  // Whether the keyboard's focus on `window` is a person's choice of
  // another application: any window on a bare server; under a manager
  // only a window the manager manages (not one of its own).
  bool ApplicationWindow(Window window);
  void Key(XKeyEvent& event);
  POINT ScreenPoint(HWND window, const Shown& shown, int x, int y) const;

  // ---- cursors (x11presenter_cursors.cpp)
  Cursor CursorFor(const CursorSource& source);
  void FreeCursors();

  void TakeEvents();

  Display* display_;
  int screen_;
  Window root_;
  Visual* visual_;
  int depth_;
  GC gc_;
  bool shm_ = false;
  bool lost_ = false;
  bool quitPosted_ = false;
  bool adopting_ = false; // applying the window manager's own change
  bool manager_ = false;  // a window manager announced itself
  bool restack_ = false;  // the z-order changed since the last flush
  Atom protocols_ = 0, deleteWindow_ = 0, netWmName_ = 0, utf8_ = 0, supportingCheck_ = 0, netWmState_ = 0,
       stateAbove_ = 0, motifHints_ = 0, wmState_ = 0, netSupported_ = 0, netActiveWindow_ = 0, userTime_ = 0;
  // The manager activates windows on request (_NET_ACTIVE_WINDOW).
  bool activates_ = false;
  // The window the manager was last asked to activate.
  HWND activated_ = nullptr;
  // The server time of the person's last press or release.
  Time lastInput_ = CurrentTime;
  std::map<HWND, Shown> shown_;
  // The presented windows in the order last given to the display, top first.
  std::vector<HWND> stacked_;
  // The errors already reported: (error code, request code) pairs.
  std::set<std::pair<int, int>> reported_;
  std::map<HCURSOR, Cursor> cursors_;
  Cursor current_ = 0;
  bool shift_ = false, control_ = false, alt_ = false; // as injected
  std::chrono::steady_clock::time_point start_;
};

// Opens the display of DISPLAY; null with *why when it cannot be opened or
// shows no 24-bit true-colour visual.
std::unique_ptr<Presenter> OpenX11Presenter(std::string* why);

} // namespace standin::detail
