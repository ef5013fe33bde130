#pragma once
// Internal to the stand-in: the window manager's records and the helpers its
// sources share (classes, windows and geometry, messages and input,
// painting, dialog boxes and the standard controls).
//
// Nothing here keeps a WindowRecord pointer across a call into a window
// procedure: a handler may destroy any window, so records are found again
// by handle after every call out.
#include "gdi.h"
#include "text.h"
#include "win32/automation.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace standin::detail {

// ---- Classes ----------------------------------------------------------------
struct ClassRecord {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr; // resolved: never null
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH brush = nullptr;
  bool builtIn = false;
};
using ClassPtr = std::shared_ptr<ClassRecord>;
// The class a new window of this name and instance gets (null: none).
ClassPtr FindClass(LPCSTR name, HINSTANCE instance);
// The colour a class brush paints, or CLR_INVALID for none.
COLORREF BrushColor(HBRUSH brush);
void RegisterBuiltInClasses();
void RemoveUserClasses();
extern const char kDialogClass[];

// ---- Window records ---------------------------------------------------------
// The frame the styles give: its border, caption and client edge.
struct FrameMetrics {
  int border = 0;
  int caption = 0;
  int edge = 0;
  RECT Insets() const;
};
FrameMetrics FrameOf(DWORD style, DWORD exStyle, bool dialogClass);

// One row of a LISTBOX (or of a COMBOBOX's drop-down list).
struct ListRow {
  std::string text;
  LPARAM data = 0;
};

// The standard controls' own state.
struct ControlState {
  bool pushed = false;   // BUTTON: drawn pressed
  bool tracking = false; // BUTTON: pressed by the mouse, capture held
  UINT check = BST_UNCHECKED;
  size_t caret = 0; // EDIT: caret and selection anchor, in characters
  size_t anchor = 0;
  size_t limit = 30000;
  int scroll = 0; // EDIT: pixels scrolled left (ES_AUTOHSCROLL)
  // LISTBOX: the rows, the selected row (-1: none) and the first row shown;
  // COMBOBOX: the chosen row (its rows are its list's).
  std::vector<ListRow> rows;
  int selected = -1;
  int top = 0;
  int dragOffset = -1; // LISTBOX: the scroll bar's thumb is dragged, grabbed this far down
  // COMBOBOX: its drop-down list; the drop-down list: its combo box.
  HWND partner = nullptr;
  bool dropped = false; // COMBOBOX: the list is down
};

struct DialogState {
  DLGPROC proc = nullptr;
  INT_PTR result = 0;
  bool ended = false;
};

struct WindowRecord {
  HWND handle = nullptr;
  ClassPtr cls;
  std::string text;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr; // WS_CHILD parent
  HWND owner = nullptr;  // top-level owner of a top-level window
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  WNDPROC proc = nullptr;
  RECT rect{};        // parent-client coordinates for a child, else screen
  FrameMetrics frame; // as of the last frame change
  RECT restore{};
  bool minimized = false;
  bool maximized = false;
  bool topmost = false;
  std::vector<HWND> children; // top of the z-order first (first created first)
  // Top-level windows: the whole window rectangle, made when something
  // first draws on, reads or shows the window (see SurfaceOf).
  std::shared_ptr<Surface> surface;
  std::vector<RECT> update; // exact region, client coordinates
  bool erase = false;
  bool frameDirty = true;
  long paints = 0;
  bool destroying = false;
  HDC ownDC = nullptr; // CS_OWNDC
  HFONT font = nullptr;
  std::unique_ptr<DialogState> dialog;
  ControlState control;

  bool IsChild() const { return (style & WS_CHILD) != 0; }
  bool Visible() const { return (style & WS_VISIBLE) != 0; }
  bool Enabled() const { return (style & WS_DISABLED) == 0; }
  int Width() const { return rect.right - rect.left; }
  int Height() const { return rect.bottom - rect.top; }
  RECT Insets() const { return frame.Insets(); }
  // The client area's top left, in the coordinates of `rect`.
  POINT ClientPosition() const
  {
    const RECT insets = Insets();
    return POINT{rect.left + insets.left, rect.top + insets.top};
  }
  int ClientWidth() const;
  int ClientHeight() const;
};
HandleTable<WindowRecord>& Windows();
WindowRecord* Find(HWND window);
HWND TopLevelOf(HWND window);
// Top-level windows, top of the z-order first (the topmost band first).
std::vector<HWND>& ZOrder();
// The window and its descendants in paint order (pre-order, children from
// the top of the z-order down).
std::vector<HWND> Subtree(HWND window);
// `window` is `ancestor` or lies below it (WS_CHILD links).
bool InTree(HWND ancestor, HWND window);
// Visible with every parent, and not minimised (nor any parent).
bool Showing(HWND window);
// Enabled with every parent.
bool UsableForInput(HWND window);

// The client area's top left in screen coordinates.
POINT ClientOrigin(HWND window);
// The window rectangle in screen coordinates.
RECT ScreenRect(HWND window);
// Where the window draws on its top-level surface: the surface, the surface
// position of the client (0, 0) and the client clipped to every ancestor's
// client (surface coordinates). With `whole`, the window rectangle instead
// of the client.
bool WindowArea(HWND window, bool whole, Surface** surface, POINT* origin, RECT* clip);
// The caption's close box in window coordinates (empty without WS_SYSMENU).
RECT CloseBoxRect(HWND window);
// Clears WS_VISIBLE, sends WM_WINDOWPOSCHANGED, invalidates the parent area
// the window covered and moves activation and focus on.
void Hide(HWND window);
// The window's rectangle as a WINDOWPOS with the flags.
WINDOWPOS PositionOf(HWND window, UINT flags);
// The desktop window's handle: the same one every time, with no record.
HWND Desktop();
// The screen: (0, 0) to the screen metrics' width and height.
RECT ScreenBounds();
// The screen with the side and bottom frames just outside it.
RECT MaximisedRect(const WindowRecord& w);
// SetWindowPos to `r` without changing the z-order or activation.
void MoveTo(HWND window, const RECT& r);
// Whether the window is of the dialog class.
bool DialogClass(const WindowRecord& w);

// ---- Messages ---------------------------------------------------------------
LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void RecordFailure(const std::string& text);
DWORD Now();
// Removes what the queue holds for the window (posted messages, timers).
void ForgetWindow(HWND window);
void ResetQueue();
// Whether the last GetMessageA ended because nothing could ever arrive.
bool LastRetrievalWasDeadlock();

// ---- Input, activation and focus ---------------------------------------------
struct FocusState {
  HWND active = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
};
FocusState& Focus();
void Activate(HWND topLevel, int how);
// After the window was hidden, disabled or is going: activation, focus and
// capture leave it and its descendants.
enum : int { kMoveActivation = 1, kMoveFocus = 2, kMoveCapture = 4 };
void MoveStateOff(HWND window, int what);
void ResetInput();
bool KeyIsDown(int key);
// The window filter that retrieves thread messages only (posted without a
// window), as in Win32.
inline const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(intptr_t{-1});
// Whether a message passes a GetMessageA / PeekMessageA filter.
bool PassesFilter(const MSG& msg, HWND window, UINT first, UINT last);
// The next injected input as a message, processed (activation, WM_SETCURSOR,
// key state) when it is removed. Input that makes no message (a frame
// move, a disabled target) is consumed on the way. False when none passes
// the filter.
bool NextInput(MSG* msg, HWND window, UINT first, UINT last, bool remove);
// A key-down whose character the display's keyboard gave (a code-page
// byte; 0: it types none), rather than the US layout's table.
constexpr int kLayoutCharacter = -1;
void QueueKeyDown(int key, int character);
// The character a key-down message types as its input gave it, or
// kLayoutCharacter when the layout decides (any message but the key-down
// last taken from the input, or one injected without a character).
int TypedCharacter(const MSG& msg);

// ---- Painting -----------------------------------------------------------------
void Invalidate(HWND window, const RECT* clientArea, bool erase);
// The parent area (or nothing for a top-level window) that a window rect
// given in parent coordinates covered, invalidated with erase.
void InvalidateParentArea(HWND window, const RECT& rectInParent);
void RegionAdd(std::vector<RECT>& region, const RECT& rect);
void RegionSubtract(std::vector<RECT>& region, const RECT& rect);
RECT RegionBounds(const std::vector<RECT>& region);
// Draws the frames that changed since they were last drawn.
void DrawDirtyFrames();
// The top-level surface follows the window's size, keeping what overlaps;
// a window without a surface yet stays without one.
void ResizeSurface(HWND window);
// The top-level window's surface, made at the window's size with every
// byte 0xFF (as a new window's pixels are) the first time it is asked for:
// a window nothing ever draws on, reads or shows, such as a hidden panel on
// a road without a dialog, costs no pixels. Null for a child window, a
// window of no size, or when the memory cannot be had (asked again next
// time).
Surface* SurfaceOf(WindowRecord* topLevel);

// ---- Standard controls ----------------------------------------------------------
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
// The class of a COMBOBOX's drop-down list (a LISTBOX shown as a popup).
extern const char kDropDownClass[];
// Face grey, the dialog and control background.
constexpr COLORREF kFaceGrey = 0xC0C0C0;
// [left, right) x [top, bottom) in one colour, through the context's clip.
void FillSolid(HDC dc, const RECT& rect, COLORREF color);
// The 1-pixel edge just inside the rectangle: top and left in one colour,
// bottom and right in the other.
void DrawEdge(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
// The default procedure, then a repaint for the changes a control shows
// (text, enabled state, font).
LRESULT DefaultAndRepaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The window's font (WM_SETFONT), else the default GUI font.
HFONT FontOf(HWND window);
// Sends WM_COMMAND with the control's id and `code` to its parent.
void Notify(HWND control, UINT code);
// Where word wrap breaks `text` for lines of at most `width` pixels in the
// context's font: as many whole words as fit on each line, a word too long
// for any line on a line of its own; '\n' always breaks. Each line is
// (start, length) in `text`, without the blanks and line break that end it.
std::vector<std::pair<size_t, size_t>> WrapLines(HDC dc, const std::string& text, int width);

// ---- Dialog boxes ---------------------------------------------------------------
// A hidden box of the dialog class with `proc` as its dialog procedure:
// `clientWidth` x `clientHeight` in a modal frame with a caption, owned by
// `owner`'s top-level window, centred on that window (else on the screen)
// and kept on the screen. Null when it cannot be made.
HWND CreateModalBox(HWND owner, const std::string& caption, int clientWidth, int clientHeight, DLGPROC proc,
                    bool topmost);
// Shows the box, disables `ownerTop` and runs the modal loop (Enter, Esc
// and Tab for the box, every message dispatched) until EndDialog; enables
// `ownerTop` again. Returns the EndDialog value, or `ended` when WM_QUIT
// (posted again for the loop outside) or a recorded deadlock came first.
// The box stays for the caller to destroy.
INT_PTR RunModalLoop(HWND box, HWND ownerTop, INT_PTR ended);

// ---- Keys ---------------------------------------------------------------------
// The US-layout scan code and extended flag of a virtual key (0 when none).
int ScanCode(int key, bool* extended);
// The character a key types with or without Shift (0 for none).
char KeyChar(int key, bool shift);
// The virtual key of the US layout's character key at a scan code (the
// letters, digits, punctuation and Space); 0 for any other.
int VirtualKeyFromScanCode(int scan);
// The virtual key and Shift that type a character; false when none does.
bool KeyForChar(char c, int* key, bool* shift);

} // namespace standin::detail
