#pragma once
// Internal to the stand-in: what shows the top-level windows to a person.
//
// The stand-in stays the only record of windows, messages and pixels; a
// presenter only shows the top-level surfaces and turns a display's events
// into the stand-in's injected input. The headless presenter (this base
// class) does nothing at all; the X11 presenter (x11/) is chosen at the
// first use when the build has it, DISPLAY is set and LUMIVEX_HEADLESS is
// not 1. Everything runs on the one thread: the presenter is polled from
// the message loop.
#include "win32/types.h"

namespace standin::detail {

// How a wait for the display ended.
enum class PresenterWait {
  Headless, // nothing is presented: nothing can ever arrive
  Woken,    // events were taken, or the deadline passed
  Lost,     // the display failed: the loop ends as a cancel
  // Ctrl-C or SIGTERM came while the windows waited for the person (see
  // win32/interrupts.h): the loop ends as a cancel.
  Interrupted,
};

// A cursor as the stand-in knows it: a system cursor id (IDC_ARROW ...), or
// a module's cursor resource (a packed DIB and its hot spot).
struct CursorSource {
  HCURSOR handle = nullptr;
  int systemId = 0;
  int resourceId = 0;
  const unsigned char* dib = nullptr;
  size_t dibSize = 0;
  int hotX = 0;
  int hotY = 0;
};

class Presenter {
public:
  virtual ~Presenter() = default;

  // Whether windows are shown on a display.
  virtual bool Presenting() const { return false; }
  // Whether the display was lost while windows were presented.
  virtual bool Lost() const { return false; }
  // The display's screen size; false when there is none.
  virtual bool ScreenSize(int* width, int* height) const
  {
    (void)width;
    (void)height;
    return false;
  }
  // Milliseconds of real time since presenting began (0 when headless),
  // which the virtual clock adds while windows are presented.
  virtual DWORD Elapsed() const { return 0; }

  // Top-level window changes, reported after the stand-in made them.
  virtual void WindowShown(HWND window) { (void)window; }
  virtual void WindowHidden(HWND window) { (void)window; }
  virtual void WindowDestroyed(HWND window) { (void)window; }
  // Moved or resized (its surface may be a new one).
  virtual void WindowMoved(HWND window) { (void)window; }
  virtual void TitleChanged(HWND window) { (void)window; }
  virtual void ZOrderChanged() {}
  // Pixels of a top-level surface that may have changed (surface
  // coordinates); pushed at the next poll.
  virtual void SurfacePainted(HWND topLevel, const RECT& area)
  {
    (void)topLevel;
    (void)area;
  }
  virtual void CursorChanged(const CursorSource& cursor) { (void)cursor; }

  // One pass of the message loop: takes the display's pending events (as
  // injected input) and pushes what was painted since the last pass.
  virtual void Poll() {}
  // Blocks until the display has events or `deadline` (the virtual clock's
  // time of the earliest timer; null: none) is due, then polls.
  virtual PresenterWait Wait(const DWORD* deadline)
  {
    (void)deadline;
    return PresenterWait::Headless;
  }
};

// The process's presenter, chosen at the first call.
Presenter& Presentation();

} // namespace standin::detail
