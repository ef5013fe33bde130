#pragma once
// Internal to the x11 tests' X server (lvxtest/xserver.h): what its files
// share.
#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

#include <X11/Xlib.h>

namespace lvxtest::detail {

using Clock = std::chrono::steady_clock;

// The moment `seconds` from now.
Clock::time_point Deadline(double seconds);
// The pause between two looks at a condition that is polled.
void Breathe();
// Starts argv with the environment additions, its stderr on `errorsFd`
// (none: -1) and no descriptors open but the standard ones and `keepFd`.
// -1 when fork fails.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, int errorsFd, int keepFd);
// A window's 8-bit text property of the type given; empty when it has none.
std::string Property(Display* display, Window window, Atom name, Atom type);
// The window a window's _NET_SUPPORTING_WM_CHECK names; 0 for none.
Window CheckWindow(Display* display, Window window);
// Whether the window is one of the programs' own, by its class.
bool Ours(Display* display, Window window);

} // namespace lvxtest::detail
