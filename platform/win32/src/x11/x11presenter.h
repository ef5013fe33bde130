#pragma once
// Internal to the stand-in: the presenter that shows the top-level windows
// on an X display, over Xlib (and MIT-SHM when the server offers it).
//
// One X window per showing top-level window, at its screen rectangle and of
// its whole size (the frame the stand-in draws included); uncaptioned popups
// are override-redirect, owned windows transient for their owner. Pixels
// only ever travel from the stand-in's surfaces to the display; X input
// becomes the stand-in's injected input in screen coordinates.
#include "presenter.h"
// The stand-in's declarations come before Xlib's, whose macros (KeyPress,
// FillSolid, ...) would otherwise change them.
#include "wm.h"

#include <chrono>
#include <map>
#include <memory>
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

  // Called by Xlib's handlers: an error on a request, or the connection lost.
  void RequestFailed(const std::string& what);
  void ConnectionLost();

private:
  // One presented top-level window.
  struct Shown {
    Window window = 0;
    bool mapped = false;
    bool overrideRedirect = false;
    bool reparented = false; // framed by a window manager
    RECT rect{};     // the stand-in rectangle last given to the display
    RECT dirty{};    // surface pixels to push at the next poll
    std::vector<RECT> requested; // geometry asked for and not yet confirmed
    // The pixels the image was made over (a new surface needs a new one).
    const void* pixels = nullptr;
    XImage* image = nullptr;  // over the surface's own pixels
    XShmSegmentInfo shm{};    // the shared image's segment (shmid -1: none)
    XImage* shmImage = nullptr;
  };

  // ---- windows (x11presenter_windows.cpp)
  Shown* Record(HWND window);
  HWND WindowOf(Window x) const;
  void Create(HWND window, Shown* shown);
  void Reconcile(HWND window);
  void SetSizeHints(HWND window, const Shown& shown);
  void SetTitle(HWND window, const Shown& shown);
  void Configured(HWND window, const XConfigureEvent& event);

  // ---- pixels (x11presenter_pixels.cpp)
  void MarkDirty(Shown* shown, const RECT& area);
  void Flush();
  bool Push(HWND window, Shown* shown);
  void DropImages(Shown* shown);

  // ---- input (x11presenter_input.cpp)
  void Dispatch(XEvent& event);
  void SyncModifiers(unsigned int state);
  void FocusChanged(const XFocusChangeEvent& event);

  // ---- cursors (x11presenter_cursors.cpp)
  Cursor CursorFor(const CursorSource& source);
  void FreeCursors();

  // Ends presenting after a failure: the message loop ends as a cancel.
  void Fail(const std::string& why);
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
  Atom protocols_ = 0, deleteWindow_ = 0, netWmName_ = 0, utf8_ = 0;
  std::map<HWND, Shown> shown_;
  std::map<HCURSOR, Cursor> cursors_;
  Cursor current_ = 0;
  bool shift_ = false, control_ = false, alt_ = false; // as injected
  std::chrono::steady_clock::time_point start_;
};

// Opens the display of DISPLAY; null with *why when it cannot be opened or
// shows no 24-bit true-colour visual.
std::unique_ptr<Presenter> OpenX11Presenter(std::string* why);

} // namespace standin::detail
