// The host's use of the window layer, kept to these three functions.
//
// For now the host's window is a surface window of the stand-in: a real
// HWND that device contexts can draw on, but not yet a visible top-level
// window created with CreateWindowExA, and nothing records deadlocks yet.
// Both change here, and only here, once the window layer is available.
#include "host.h"

#include "win32/automation.h"

namespace lvhost {

HWND CreateHostWindow() { return standin::CreateSurfaceWindow(640, 480); }

void DestroyHostWindow(HWND window)
{
  if (window)
    standin::DestroySurfaceWindow(window);
}

size_t RecordedWindowFailures() { return 0; }

} // namespace lvhost
