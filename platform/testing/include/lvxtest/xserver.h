#pragma once
// For the tests labelled x11 only: a virtual X server of the test's own,
// programs started on it, and what a person would see and do there (the
// windows by title, their pixels, xdotool's pointer and keys).
//
// Nothing here sleeps for a fixed time: every wait polls for its condition
// and gives up after a generous bound.
#include <cstdint>
#include <ostream>
#include <string>
#include <sys/types.h>
#include <vector>

struct _XDisplay;

namespace lvxtest {

// An X window id (Xlib's headers stay out of the tests, whose names they
// would clash with).
using Window = unsigned long;

// The window manager a server runs: none (a bare server), or a
// reparenting, decorating one as a person's desktop has.
enum class Manager { Bare, Openbox, Fluxbox };
// "bare", "openbox" or "fluxbox" (for test names).
std::string ManagerName(Manager manager);
// How GoogleTest prints a test's parameter: its name.
inline void PrintTo(Manager manager, std::ostream* out) { *out << ManagerName(manager); }

// An Xvfb server (1280 x 1024, 24-bit) on a display number it picks itself
// among the free ones, with the window manager asked for, which has
// announced itself before the constructor returns. Stopped when destroyed,
// and with the test process if that dies first.
class XServer {
public:
  explicit XServer(Manager manager = Manager::Bare);
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // False, with Problem(), when the server or its manager did not start.
  bool Ok() const { return display_ != nullptr; }
  const std::string& Problem() const { return problem_; }
  // ":N".
  const std::string& Name() const { return name_; }
  // Whether a window manager frames the windows (then a program's
  // captioned window shows its client area only).
  bool Managed() const { return manager_ != Manager::Bare; }
  // Ends the server at once, as a crash would.
  void Kill();

  // The mapped window of the programs' own (WM_CLASS "lumivex"), at any
  // depth below the root, whose _NET_WM_NAME (else WM_NAME) is `title`
  // (empty: the first untitled one), once it appears; 0 when none did
  // within `seconds`.
  Window WaitForWindow(const std::string& title, double seconds = 60);
  // Whether the window is gone or unmapped within `seconds`.
  bool WaitUntilUnmapped(Window window, double seconds = 60);
  // The window's size; false when it is gone.
  bool Size(Window window, int* width, int* height);
  // Whether the window comes to be `width` x `height` within `seconds`.
  bool WaitForSize(Window window, int width, int height, double seconds = 60);
  // The pixels of a rectangle of the window (all of it when width is 0)
  // as 0x00RRGGBB, rows top-down; empty when they cannot be read (the part
  // must lie on the screen).
  std::vector<uint32_t> Grab(Window window, int left, int top, int width, int height);
  // Whether the rectangle of the window comes to show exactly `expected`
  // (of `width` columns) within `seconds`; *shown gets the last look,
  // *why the difference.
  bool WaitForPixels(Window window, int left, int top, const std::vector<uint32_t>& expected, int width,
                     std::vector<uint32_t>* shown, std::string* why, double seconds = 60);
  // The window a window is transient for (WM_TRANSIENT_FOR); 0 for none.
  Window TransientFor(Window window);
  // Whether a window manager's frame holds the window (its parent is not
  // the root).
  bool Framed(Window window);
  // Whether `upper` is stacked above `lower` (their frames, under a
  // manager) within `seconds`.
  bool WaitUntilAbove(Window upper, Window lower, double seconds = 60);
  // Whether the keyboard's focus comes to `window` within `seconds`.
  bool WaitForFocus(Window window, double seconds = 60);
  // The manager's check window (_NET_SUPPORTING_WM_CHECK), where a
  // manager parks the focus while no client has it; 0 without a manager.
  Window ManagerWindow();
  // Gives the keyboard's focus to a window, as a manager does.
  void SetFocus(Window window);
  // Sends WM_DELETE_WINDOW, as a window manager's close button does.
  void RequestClose(Window window);
  // Whether the window manager comes to have done all that was asked of
  // it so far within `seconds` (at once on a bare server): it answers a
  // request of the harness's own, which it takes in turn.
  bool ManagerCaughtUp(double seconds = 60);
  // Whether the window manager settles within `seconds`: it caught up, and
  // the windows it holds, their stacking and geometry and the keyboard's
  // focus stayed as they were while it did (at once on a bare server).
  bool WaitUntilSettled(double seconds = 60);
  // Runs xdotool with the words given, on this display, one command at a
  // time (XdotoolCommands), each once the window manager settled
  // (WaitUntilSettled); 0, or the first failing command's exit status.
  int Xdotool(const std::string& words);
  // Gives a key code no key uses the keysyms `lower` and `upper` (names
  // such as "udiaeresis"), as a keyboard of another layout has them, so
  // that xdotool types their characters without changing the map while
  // a program reads it. False when no code is free.
  bool AddKey(const std::string& lower, const std::string& upper);
  // Sets a window property of the root to one window id, as a manager's
  // check window does (for faults that the programs must survive).
  void SetRootWindowProperty(const std::string& name, Window value);
  // Does what a window manager in its first moments may do: takes over
  // the requests to map windows, drops those of the programs' windows
  // until one came (true) or `seconds` passed (false), and lets go.
  bool DropMapRequests(double seconds = 60);
  // Starts a window manager on a server that has none yet; false, with
  // Problem(), when it did not start.
  bool StartManager(Manager manager);

private:
  pid_t pid_ = -1;
  pid_t managerPid_ = -1;
  Manager manager_ = Manager::Bare;
  std::string name_;
  std::string problem_;
  _XDisplay* display_ = nullptr;
};

// A program started with DISPLAY set to the server's (and
// LUMIVEX_HEADLESS=0, so that it presents), its stderr kept in a file.
class Program {
public:
  Program(const std::vector<std::string>& argv, const XServer& server);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The exit status once the program ended within `seconds`; -1 when it
  // had not (it is then killed), or ended by a signal.
  int Wait(double seconds = 60);
  // What the program wrote on stderr so far.
  std::string Errors() const;
  // Sends the program a signal (SIGINT: Ctrl-C in its terminal).
  void Signal(int signal);

private:
  pid_t pid_ = -1;
  std::string errors_;
};

// xdotool's words split into its commands (mousemove, mousedown, mouseup,
// click, key, keydown, keyup, type), each with the words after it; words
// in single quotes are never a command. Words before the first command
// run as one command of their own.
std::vector<std::string> XdotoolCommands(const std::string& words);

// Whether two pictures of the same size hold the same pixels; else *why
// names the size difference or the first pixel that differs.
bool SamePixels(const std::vector<uint32_t>& a, int aWidth, const std::vector<uint32_t>& b, int bWidth,
                std::string* why);
// A PNG's pixels as 0x00RRGGBB; empty when it cannot be read.
std::vector<uint32_t> ReadPng(const std::string& path, int* width, int* height);
// Writes pixels as an RGB PNG; false when it cannot.
bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

} // namespace lvxtest
