#pragma once
// Test and host control of the headless Windows stand-in. Not thread-safe:
// everything in this system runs on one thread.
#include "win32/internal/dialogs.h"
#include "win32/paths.h"
#include "win32/resourcetable.h"
#include "win32/types.h"

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace standin {

// ---- Allocation faults ------------------------------------------------------
// The next `skip` allocation requests succeed, the following `count` fail,
// then all succeed again.
LVX_WIN32_API void FailAllocations(long skip, long count);
// Requests seen since the last reset.
LVX_WIN32_API long AllocationRequests();
// Clears the failure plan and the request counter.
LVX_WIN32_API void ResetAllocationFaults();

// ---- Heaps ------------------------------------------------------------------
// Global and general-heap blocks currently allocated, so tests can prove that
// failure paths free what they took.
LVX_WIN32_API long LiveBlocks();

// ---- Interrupts ---------------------------------------------------------------
// Sets what InterruptSignal (win32/interrupts.h) answers, as if that signal
// had arrived; 0 clears it. The handlers are not touched.
LVX_WIN32_API void SetInterruptSignal(int signal);

// ---- Paths and drives -------------------------------------------------------
// MapPath and OpenFile: win32/paths.h.
// Configures drive `letter` to map onto the host folder `hostRoot` with the
// given DRIVE_* type; DRIVE_NO_ROOT_DIR or a null root removes the drive.
LVX_WIN32_API void SetDrive(char letter, const char* hostRoot, UINT driveType);
// What GetWindowsDirectoryA reports (default "C:\WINDOWS").
LVX_WIN32_API void SetWindowsDirectory(const char* text);

// ---- Registry ---------------------------------------------------------------
// Drops what was read and reads the store file again at the next call (the
// file's location is worked out again too). Open keys stay usable.
LVX_WIN32_API void RegistryReload();
// The store file: $LUMIVEX_REGISTRY, else $XDG_CONFIG_HOME/lumivex/registry,
// else ~/.config/lumivex/registry.
LVX_WIN32_API std::string RegistryPath();
// How long a change waits for another process's lock on the store before it
// fails with ERROR_WRITE_FAULT (default 10000 ms; negative restores it).
LVX_WIN32_API void SetRegistryLockTimeout(int milliseconds);

// ---- Module resources -------------------------------------------------------
// The resource table and its registration: win32/resourcetable.h.
// The main executable's HINSTANCE (what a null module means).
LVX_WIN32_API HINSTANCE MainModule();

// ---- Cursors ----------------------------------------------------------------
struct CursorInfo {
  HCURSOR handle = nullptr;   // null when no cursor is set
  HINSTANCE module = nullptr; // null for the system cursors
  int id = 0;                 // the resource id, 0 for a named one
  std::string name;           // the resource name, empty for an id
};
LVX_WIN32_API CursorInfo CurrentCursor();

// ---- Dialogs ----------------------------------------------------------------
// DialogRequest, RunFileDialog and LogDialogRequest: win32/internal/dialogs.h.

// The next message box answers `id` instead of its default (its first button).
LVX_WIN32_API void QueueMessageBoxAnswer(int id);
// The next file dialog (open or save) chooses `path`, or cancels. With an
// empty queue a file dialog cancels.
LVX_WIN32_API void QueueFileDialogAnswer(const char* path);
LVX_WIN32_API void QueueFileDialogCancel();
// The next colour dialog chooses `color`, or cancels. With an empty queue a
// colour dialog cancels.
LVX_WIN32_API void QueueColorDialogAnswer(COLORREF color);
LVX_WIN32_API void QueueColorDialogCancel();
// MessageBeep calls since the process started.
LVX_WIN32_API long BeepCount();
LVX_WIN32_API const std::vector<DialogRequest>& DialogLog();
LVX_WIN32_API void ClearDialogLog();
// Also print each request to stderr (message boxes as "caption: text"), and
// one line for each request to open a document that opened nothing.
LVX_WIN32_API void EchoDialogs(bool on);
LVX_WIN32_API bool EchoingDialogs();

// ---- Real dialogs -----------------------------------------------------------
// A message box, file dialog (the imaging library's open-image dialog
// included) or colour dialog that no queued answer waits for opens as a
// real modal window, drawn by the stand-in with its own controls, while
// windows are presented; with this switch on it does so headless too, for
// tests to work with injected input (the idle script runs while it is up).
// Off by default. Either way the request is logged and echoed, with the
// answer the person gave.
LVX_WIN32_API void ShowRealDialogs(bool on);
// The real dialogs' controls, for GetDlgItem. A message box's buttons have
// the ids they answer (IDOK ...); the file dialogs' Open or Save is IDOK,
// Cancel IDCANCEL; the colour dialog's OK and Cancel the same.
enum : int {
  kFileDialogFolder = 1088, // the folder shown (STATIC)
  kFileDialogUp = 1089,     // the parent-folder button
  kFileDialogList = 1120,   // sub-folders ("name\" or "name/") then files (LISTBOX)
  kFileDialogTypes = 1136,  // the filters (COMBOBOX)
  kFileDialogName = 1152,   // the file name (EDIT)
  kColorDialogRed = 706,    // the channels, 0 to 255 (EDIT)
  kColorDialogGreen = 707,
  kColorDialogBlue = 708,
  kColorDialogAdd = 712, // "Add to Custom Colors"
};
// The colour dialog's cells in its client area: basic colour i (0..47) at
// column i % 8, row i / 8 of the grid at kColorBasicTop, custom colour i
// (0..15) likewise at kColorCustomTop; columns start at kColorGridLeft.
enum : int {
  kColorGridLeft = 10,
  kColorBasicTop = 26,
  kColorCustomTop = 180,
  kColorCellWidth = 20,
  kColorCellHeight = 18,
  kColorCellGap = 4,
};

// ---- Opening documents ------------------------------------------------------
// One request to open a document or address (ShellExecuteA) or a help file
// (WinHelpA).
struct ShellRequest {
  std::string kind; // "ShellExecute" or "WinHelp"
  HWND owner = nullptr;
  std::string verb;       // ShellExecute: the verb ("" for none)
  UINT command = 0;       // WinHelp: the command
  std::string target;     // the file or address as given
  std::string argument;   // what the viewer was given; empty when none was started
  std::string viewer;     // the viewer's path; empty when there is none
  std::string parameters; // ShellExecute: logged only
  std::string directory;  // ShellExecute: logged only
  int show = 0;           // ShellExecute: logged only
  intptr_t result = 0;    // what the call returned
  bool started = false;   // the viewer was started
};
LVX_WIN32_API const std::vector<ShellRequest>& ShellRequests();
LVX_WIN32_API void ClearShellRequests();

// ---- Display ----------------------------------------------------------------
// The screen that GetSystemMetrics and GetDeviceCaps report (default: the
// display's size when windows are presented, else 1280 x 1024; 32 bits per
// pixel). A new size gives the screen a new, white surface.
LVX_WIN32_API void SetScreen(int width, int height, int bitsPerPixel);
// Whether the top-level windows are shown as real windows on an X display:
// DISPLAY is set, LUMIVEX_HEADLESS is not 1 and the display opened. Then a
// message loop with nothing to do waits for the person instead of ending
// as a recorded deadlock, and losing the display ends it as a cancel
// (WM_QUIT with code 1). False when headless, and once the display failed.
LVX_WIN32_API bool Presenting();
// Whether the connection to the display was lost while windows were
// presented (then Presenting() is false). A run whose display went away
// before the person answered must not report success.
LVX_WIN32_API bool DisplayLost();
// Why the windows are not presented ("DISPLAY is not set", ...); empty
// while they are.
LVX_WIN32_API std::string WhyHeadless();

// ---- Surfaces ---------------------------------------------------------------
// Drawing lands in surfaces of 32-bit pixels (bytes B, G, R, unused), rows
// top-down: one per top-level window (covering its whole window rectangle,
// shared by its child windows), the screen's and one per memory bitmap.

// A hidden, captionless top-level window whose client area is width x height,
// white at first and wholly invalid (so the first BeginPaint covers it all);
// null (ERROR_INVALID_PARAMETER) for a size of 0 or less or too large to hold.
LVX_WIN32_API HWND CreateSurfaceWindow(int width, int height);
// Makes the window's update region exactly this rectangle (client
// coordinates); null empties it. False for an unknown window.
LVX_WIN32_API bool SetUpdateRect(HWND window, const RECT* rect);
// DestroyWindow; false for an unknown window.
LVX_WIN32_API bool DestroySurfaceWindow(HWND window);

// What to read back: a window's client area, a whole window (frame
// included), a memory bitmap or the screen.
struct SurfaceTarget {
  SurfaceTarget(HWND w) : window(w) {}
  SurfaceTarget(HBITMAP b) : bitmap(b) {}
  static SurfaceTarget Screen()
  {
    SurfaceTarget t(HWND(nullptr));
    t.screen = true;
    return t;
  }
  static SurfaceTarget Whole(HWND w)
  {
    SurfaceTarget t(w);
    t.whole = true;
    return t;
  }
  HWND window = nullptr;
  HBITMAP bitmap = nullptr;
  bool screen = false;
  bool whole = false;
};

// Read-only pixels: width x height, rows `stride` bytes apart, 4 bytes per
// pixel (B, G, R, unused). Valid until the window or bitmap is destroyed or
// resized, or the screen changes size; the screen's view is composed afresh
// at each call (the desktop with every visible top-level window on it, in
// z-order) and stays valid until the next one. A window's view is the part
// its ancestors let show, empty when a parent hides its top or left edge.
// Empty for an unknown target.
struct PixelView {
  const BYTE* pixels = nullptr;
  int width = 0;
  int height = 0;
  ptrdiff_t stride = 0;
  bool Empty() const { return pixels == nullptr; }
  // 0x00BBGGRR; CLR_INVALID outside.
  COLORREF At(int x, int y) const
  {
    if (!pixels || x < 0 || y < 0 || x >= width || y >= height)
      return CLR_INVALID;
    const BYTE* p = pixels + y * stride + x * 4;
    return RGB(p[2], p[1], p[0]);
  }
};
LVX_WIN32_API PixelView ViewPixels(SurfaceTarget target);
// The colour at (x, y) of the target; CLR_INVALID outside it.
LVX_WIN32_API COLORREF ReadPixel(SurfaceTarget target, int x, int y);
// Writes the target's pixels as a 24-bit RGB PNG file (a Windows-style or
// native path) through a temporary file renamed into place. Only a regular
// file is ever replaced: a path that holds a folder, a device or a FIFO is
// refused and left as it was, and so is an earlier file when the write
// fails. The folder must exist. False, with the reason in `reason` when
// given, when the target is unknown or the file cannot be written.
LVX_WIN32_API bool SnapshotPng(SurfaceTarget target, const char* path, std::string* reason = nullptr);
// Refills the screen's own surface (GetDC(NULL)), which is what the screen
// shows where no window is, with the desktop colour (default teal 0, 128,
// 128, also used whenever the surface is made anew).
LVX_WIN32_API void SetDesktopColor(COLORREF color);

// ---- Mouse input ------------------------------------------------------------
// Input is queued when injected and takes effect when a message loop
// retrieves it: hit-testing, activation, WM_SETCURSOR, the key state and the
// pointer position all follow retrieval. Coordinates are screen coordinates;
// the forms with a window take its client coordinates. Only the left button
// exists.
LVX_WIN32_API void Move(int x, int y);
LVX_WIN32_API void Move(HWND window, int x, int y);
// A press away from the pointer's injected position moves it there first.
LVX_WIN32_API void Press(int x, int y);
LVX_WIN32_API void Press(HWND window, int x, int y);
LVX_WIN32_API void Release(int x, int y);
LVX_WIN32_API void Release(HWND window, int x, int y);
// Advances the clock past the double-click time, then presses and releases,
// so that two clicks stay two clicks.
LVX_WIN32_API void Click(int x, int y);
LVX_WIN32_API void Click(HWND window, int x, int y);
// Two presses and releases that make one double click.
LVX_WIN32_API void DoubleClick(int x, int y);
LVX_WIN32_API void DoubleClick(HWND window, int x, int y);
// Clicks the close box of the window's caption.
LVX_WIN32_API void CloseBox(HWND window);
// Queues exactly one message, delivered as it is.
LVX_WIN32_API void InjectRaw(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Keyboard input ---------------------------------------------------------
// Virtual-key codes of the US layout. Keys go to the focus window, else to
// the active window; Alt combinations and F10 become system keys.
LVX_WIN32_API void KeyDown(int key);
LVX_WIN32_API void KeyUp(int key);
LVX_WIN32_API void KeyPress(int key);
// Presses the keys that type the text (printable ASCII, '\n' as Enter,
// '\t' as Tab, '\b' as Backspace), adding Shift where needed.
LVX_WIN32_API void Type(const char* text);

// ---- Time and message loops -------------------------------------------------
// The virtual millisecond clock behind timers, double clicks and
// GetTickCount. It moves only through AdvanceClock, unless a host switches
// to real time.
LVX_WIN32_API void AdvanceClock(DWORD milliseconds);
LVX_WIN32_API void UseRealTime(bool on);
// Retrieves and dispatches (with TranslateMessage) until nothing waits, for
// tests without a loop of their own. Returns the number of messages handled.
LVX_WIN32_API long Pump();
// Steps that GetMessageA runs, first in first out, only when it would block.
LVX_WIN32_API void SetIdleScript(std::vector<std::function<void()>> steps);
LVX_WIN32_API void AddIdleStep(std::function<void()> step);
LVX_WIN32_API size_t IdleStepsLeft();
// How many messages GetMessageA and PeekMessageA may retrieve in all before
// the loop is ended as runaway (default 200,000). Counting restarts here.
LVX_WIN32_API void SetMessageBudget(long messages);

// ---- Failures ---------------------------------------------------------------
// What went wrong in a way a test must hear about: a loop that would block
// forever (with a window-tree dump), runaway loops and repaints, sends
// nested too deep. The test main fails every test that leaves some behind.
LVX_WIN32_API const std::vector<std::string>& Failures();
LVX_WIN32_API void ClearFailures();

// ---- Inspection -------------------------------------------------------------
// One indented line per window: handle, class, title, styles, rectangles,
// flags, owner, and the active, focus and capture marks.
LVX_WIN32_API std::string DumpWindowTree();
// One top-level window as TopLevelWindows reports it.
struct TopLevelWindow {
  HWND handle = nullptr;
  std::string className;
  std::string title;
  bool visible = false;
  HWND owner = nullptr; // null when it has none
};
// Every top-level window, top of the z-order first (the topmost band first).
LVX_WIN32_API std::vector<TopLevelWindow> TopLevelWindows();
// The exact update region in client coordinates, and whether erase is due.
LVX_WIN32_API std::vector<RECT> UpdateRegion(HWND window);
LVX_WIN32_API bool ErasePending(HWND window);
// How many times BeginPaint ran on the window.
LVX_WIN32_API long PaintCount(HWND window);
// Every message delivered to a window procedure (sent or dispatched), in
// order, while tracing is on.
struct TracedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
LVX_WIN32_API void TraceMessages(bool on);
LVX_WIN32_API const std::vector<TracedMessage>& MessageTrace();
LVX_WIN32_API void ClearMessageTrace();

// ---- Reset ------------------------------------------------------------------
// Destroys every window and clears the queue, timers, capture, focus,
// activation, key state, pointer, clock, idle script and the classes that
// are not built in.
LVX_WIN32_API void Reset();

// ---- Fonts ------------------------------------------------------------------
// The folder the Liberation Sans files are read from (default
// "/usr/share/fonts/truetype/liberation/"); fonts already loaded are dropped.
LVX_WIN32_API void SetFontDirectory(const char* folder);

} // namespace standin

// For the test main, which finds it by name in whatever process loaded the
// stand-in: the recorded failures, one after another, then cleared; null
// when there are none.
extern "C" LVX_WIN32_API const char* LvxStandinFailureReport(void);
// ==== Modules, the command line and version information ======================
namespace standin {

// Why the last LoadLibraryA or GetProcAddress failed (the dynamic linker's
// message); empty after a success.
LVX_WIN32_API const std::string& LastLoadError();

// What GetCommandLineA returns from now on; null goes back to the process's
// own arguments.
LVX_WIN32_API void SetCommandLine(const char* line);

// Replaces the executable's version record by `text` (the form described at
// GetFileVersionInfoSizeA); null means the executable has none.
// ResetVersionRecord goes back to its RT_VERSION 1 resource.
LVX_WIN32_API void SetVersionRecord(const char* text);
LVX_WIN32_API void ResetVersionRecord();

} // namespace standin
