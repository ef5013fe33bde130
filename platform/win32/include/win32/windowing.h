#pragma once
// The window half of the stand-in: window classes, windows and their
// geometry, messages and the message queue, input state, painting, timers,
// cursors and the screen metrics. Dialog boxes and controls are in
// win32/dialogs.h.
//
// The stand-in is headless and single-threaded. Windows are records with
// never-reused handles; each top-level window draws on a 32-bit surface of
// its whole window rectangle, and child windows draw on views of it. Input
// only arrives through the automation API (win32/automation.h).

#include "win32/modules.h"
#include "win32/types.h"

extern "C" {

// ---- Types ------------------------------------------------------------------
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG;

typedef struct WNDCLASSEXA {
  UINT cbSize; // sizeof(WNDCLASSEXA)
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground; // a brush, or a system colour index + 1
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
} WNDCLASSEXA;

typedef struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA;

typedef struct WINDOWPOS {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
} WINDOWPOS;

// ---- Messages ---------------------------------------------------------------
enum : UINT {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_ENABLE = 0x000A,
  WM_SETTEXT = 0x000C,
  WM_GETTEXT = 0x000D,
  WM_GETTEXTLENGTH = 0x000E,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_ERASEBKGND = 0x0014,
  WM_SHOWWINDOW = 0x0018,
  WM_CANCELMODE = 0x001F,
  WM_SETCURSOR = 0x0020,
  WM_SETFONT = 0x0030,
  WM_GETFONT = 0x0031,
  WM_WINDOWPOSCHANGING = 0x0046,
  WM_WINDOWPOSCHANGED = 0x0047,
  WM_NCCREATE = 0x0081,
  WM_NCDESTROY = 0x0082,
  WM_GETDLGCODE = 0x0087,
  WM_NCLBUTTONDOWN = 0x00A1,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_SYSCHAR = 0x0106,
  WM_INITDIALOG = 0x0110,
  WM_COMMAND = 0x0111,
  WM_SYSCOMMAND = 0x0112,
  WM_TIMER = 0x0113,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_CAPTURECHANGED = 0x0215,
  WM_USER = 0x0400,
};
// WM_ACTIVATE's low word.
enum : int { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
// WM_SYSCOMMAND's wParam.
enum : UINT { SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030, SC_CLOSE = 0xF060, SC_RESTORE = 0xF120 };
// WM_SIZE's wParam.
enum : UINT { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// Hit codes (WM_SETCURSOR, WM_NCLBUTTONDOWN).
enum : int { HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2, HTBORDER = 18, HTCLOSE = 20 };
// Mouse-message wParam flags.
enum : UINT { MK_LBUTTON = 0x0001, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008 };

// ---- Styles -----------------------------------------------------------------
enum : DWORD {
  WS_OVERLAPPED = 0x00000000u,
  WS_POPUP = 0x80000000u,
  WS_CHILD = 0x40000000u,
  WS_MINIMIZE = 0x20000000u,
  WS_VISIBLE = 0x10000000u,
  WS_DISABLED = 0x08000000u,
  WS_CLIPSIBLINGS = 0x04000000u,
  WS_CLIPCHILDREN = 0x02000000u,
  WS_MAXIMIZE = 0x01000000u,
  WS_VSCROLL = 0x00200000u,
  WS_CAPTION = 0x00C00000u, // WS_BORDER | WS_DLGFRAME
  WS_BORDER = 0x00800000u,
  WS_DLGFRAME = 0x00400000u,
  WS_SYSMENU = 0x00080000u,
  WS_THICKFRAME = 0x00040000u,
  WS_GROUP = 0x00020000u,
  WS_TABSTOP = 0x00010000u,
  WS_MINIMIZEBOX = 0x00020000u,
  WS_MAXIMIZEBOX = 0x00010000u,
  WS_OVERLAPPEDWINDOW = 0x00CF0000u,
  WS_EX_DLGMODALFRAME = 0x00000001u,
  WS_EX_TOPMOST = 0x00000008u,
  WS_EX_TOOLWINDOW = 0x00000080u,
  WS_EX_CLIENTEDGE = 0x00000200u,
  WS_EX_APPWINDOW = 0x00040000u,
  // A click does not activate the window (a drop-down list's).
  WS_EX_NOACTIVATE = 0x08000000u,
  // Dialog boxes only (the low word is the class's own for other windows).
  DS_MODALFRAME = 0x00000080u,
  DS_SETFONT = 0x00000040u,
  // Class styles.
  CS_VREDRAW = 0x0001u,
  CS_HREDRAW = 0x0002u,
  CS_DBLCLKS = 0x0008u,
  CS_OWNDC = 0x0020u,
  CS_GLOBALCLASS = 0x4000u,
};
// GetWindowLongA / SetWindowLongA indices.
enum : int {
  GWL_WNDPROC = -4,
  GWL_HINSTANCE = -6,
  GWL_HWNDPARENT = -8,
  GWL_ID = -12,
  GWL_STYLE = -16,
  GWL_EXSTYLE = -20,
  GWL_USERDATA = -21,
};
enum : int {
  SW_HIDE = 0,
  SW_SHOWNORMAL = 1,
  SW_SHOWMINIMIZED = 2,
  SW_MAXIMIZE = 3,
  SW_SHOW = 5,
  SW_RESTORE = 9,
};
enum : UINT {
  SWP_NOSIZE = 0x0001,
  SWP_NOMOVE = 0x0002,
  SWP_NOZORDER = 0x0004,
  SWP_NOREDRAW = 0x0008,
  SWP_NOACTIVATE = 0x0010,
  SWP_FRAMECHANGED = 0x0020,
  SWP_SHOWWINDOW = 0x0040,
  SWP_HIDEWINDOW = 0x0080,
};
enum : UINT { PM_NOREMOVE = 0, PM_REMOVE = 1 };
// Frame metrics and double-click limits for GetSystemMetrics.
enum : int {
  SM_CYCAPTION = 4,
  SM_CXBORDER = 5,
  SM_CYBORDER = 6,
  SM_CXDLGFRAME = 7,
  SM_CYDLGFRAME = 8,
  SM_CXFRAME = 32,
  SM_CYFRAME = 33,
  SM_CXDOUBLECLK = 36,
  SM_CYDOUBLECLK = 37,
  SM_CXEDGE = 45,
  SM_CYEDGE = 46,
};
// System colour indices, usable as a class brush (index + 1).
enum : int { COLOR_WINDOW = 5, COLOR_BTNFACE = 15 };

// ---- Virtual keys -----------------------------------------------------------
enum : int {
  VK_LBUTTON = 0x01,
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,
  VK_NEXT = 0x22,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  VK_NUMPAD0 = 0x60, // ... VK_NUMPAD9 = 0x69
  VK_MULTIPLY = 0x6A,
  VK_ADD = 0x6B,
  VK_SUBTRACT = 0x6D,
  VK_DECIMAL = 0x6E,
  VK_DIVIDE = 0x6F,
  VK_F1 = 0x70,
  VK_F4 = 0x73,
  VK_F10 = 0x79,
  VK_F12 = 0x7B,
  VK_LSHIFT = 0xA0,
  VK_RSHIFT = 0xA1,
  VK_LCONTROL = 0xA2,
  VK_RCONTROL = 0xA3,
  VK_LMENU = 0xA4,
  VK_RMENU = 0xA5,
  VK_OEM_1 = 0xBA,      // ;:
  VK_OEM_PLUS = 0xBB,   // =+
  VK_OEM_COMMA = 0xBC,  // ,<
  VK_OEM_MINUS = 0xBD,  // -_
  VK_OEM_PERIOD = 0xBE, // .>
  VK_OEM_2 = 0xBF,      // /?
  VK_OEM_3 = 0xC0,      // `~
  VK_OEM_4 = 0xDB,      // [{
  VK_OEM_5 = 0xDC,      // \|
  VK_OEM_6 = 0xDD,      // ]}
  VK_OEM_7 = 0xDE,      // '"
  VK_PACKET = 0xE7,     // a character typed by no key of the layout
};

// ---- Classes and atoms ------------------------------------------------------
// A class atom (never 0, kept apart from the global atom table), or 0 when
// the name is taken: by a global class, or by a class of the same instance.
// Names compare without regard to case; a null instance is the main program.
LVX_WIN32_API ATOM RegisterClassExA(const WNDCLASSEXA* wc);
// Needs the registering instance; fails for the built-in classes and while a
// window of the class lives. Deletes the class brush.
LVX_WIN32_API BOOL UnregisterClassA(LPCSTR name, HINSTANCE instance);
// The class's atom (non-zero) and its fields; 0 when not registered. A
// CS_GLOBALCLASS or built-in class is found by name alone.
LVX_WIN32_API BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR name, WNDCLASSEXA* wc);
LVX_WIN32_API ATOM GlobalAddAtomA(LPCSTR name);
LVX_WIN32_API ATOM GlobalFindAtomA(LPCSTR name);
// 0 on success (one reference removed), else the atom.
LVX_WIN32_API ATOM GlobalDeleteAtom(ATOM atom);

// ---- Windows ----------------------------------------------------------------
// Null for an unknown class, a dead parent or WS_CHILD without a parent. A
// parent given to a window that is not WS_CHILD makes it the owner (its
// top-level ancestor). Sends WM_NCCREATE, WM_CREATE, WM_SIZE and WM_MOVE,
// then maximises and shows as the style asks.
LVX_WIN32_API HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                                   int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Destroys owned windows, hides, moves activation, focus and capture on,
// sends WM_DESTROY (pre-order) and WM_NCDESTROY (post-order). FALSE, quietly,
// for a dead handle or a window already being destroyed.
LVX_WIN32_API BOOL DestroyWindow(HWND window);
LVX_WIN32_API BOOL IsWindow(HWND window);
// Follows WS_CHILD links only; no window is its own child.
LVX_WIN32_API BOOL IsChild(HWND parent, HWND window);
// The window and every parent are visible.
LVX_WIN32_API BOOL IsWindowVisible(HWND window);
LVX_WIN32_API BOOL IsWindowEnabled(HWND window);
LVX_WIN32_API BOOL IsIconic(HWND window);
// The WS_CHILD parent, else the owner.
LVX_WIN32_API HWND GetParent(HWND window);
// Covers the screen.
LVX_WIN32_API HWND GetDesktopWindow(void);
LVX_WIN32_API LONG_PTR GetWindowLongA(HWND window, int index);
// Returns the previous value. Style changes reach the frame at the next
// SetWindowPos that moves or sizes the window or passes SWP_FRAMECHANGED.
LVX_WIN32_API LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value);
LVX_WIN32_API BOOL SetWindowTextA(HWND window, LPCSTR text);
// Copies at most size - 1 characters and a terminator; returns the length
// copied.
LVX_WIN32_API int GetWindowTextA(HWND window, LPSTR buffer, int size);
LVX_WIN32_API int GetWindowTextLengthA(HWND window);

// ---- Geometry ---------------------------------------------------------------
// A window rectangle is in parent-client coordinates for a child and in
// screen coordinates otherwise; GetWindowRect always reports the screen.
LVX_WIN32_API BOOL GetClientRect(HWND window, RECT* rect);
LVX_WIN32_API BOOL GetWindowRect(HWND window, RECT* rect);
LVX_WIN32_API BOOL ScreenToClient(HWND window, POINT* point);
LVX_WIN32_API BOOL ClientToScreen(HWND window, POINT* point);
// Grows a client rectangle to the window rectangle the styles give.
LVX_WIN32_API BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
// Sends WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED before returning, even
// when nothing changed. Without SWP_NOREDRAW the window and the parent area
// it left are invalidated with erase. The z-order is left alone: only
// creation and activation reorder windows.
LVX_WIN32_API BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
// SW_HIDE, SW_SHOWMINIMIZED, SW_MAXIMIZE, SW_SHOW (SW_SHOWNORMAL and
// SW_RESTORE show restored). Returns whether the window was visible.
LVX_WIN32_API BOOL ShowWindow(HWND window, int command);
// Returns non-zero when the window was disabled. Disabling sends
// WM_CANCELMODE, then WM_ENABLE.
LVX_WIN32_API BOOL EnableWindow(HWND window, BOOL enable);

// ---- Messages ---------------------------------------------------------------
// A direct call of the window procedure; 0 for a dead window. Past 1,000
// nested sends a failure is recorded and 0 returned.
LVX_WIN32_API LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message; FALSE for a dead window. A null window makes a thread
// message, which DispatchMessageA ignores.
LVX_WIN32_API BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LVX_WIN32_API BOOL PostThreadMessageA(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam);
LVX_WIN32_API DWORD GetCurrentThreadId(void);
LVX_WIN32_API void PostQuitMessage(int code);
// Retrieval order: posted messages (oldest first), WM_QUIT, input, WM_PAINT,
// WM_TIMER. When nothing waits, runs the next idle-script step; with none
// left, records a deadlock and returns 0 as for WM_QUIT with code -1.
// Returns 0 for WM_QUIT, else 1.
LVX_WIN32_API BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
// As GetMessageA, but FALSE at once when nothing waits. A window of
// (HWND)-1 takes thread messages only (posted without a window, and WM_QUIT).
LVX_WIN32_API BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
// Posts WM_CHAR (WM_SYSCHAR with Alt) for a key-down of a US-layout
// character key. TRUE when it posted.
LVX_WIN32_API BOOL TranslateMessage(const MSG* msg);
LVX_WIN32_API LRESULT DispatchMessageA(const MSG* msg);
LVX_WIN32_API LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LVX_WIN32_API LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Painting ---------------------------------------------------------------
// Adds to the exact update region (client coordinates) and ORs the erase
// flag; every visible descendant in the area is invalidated too. A null
// window invalidates every top-level window.
LVX_WIN32_API BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
LVX_WIN32_API BOOL ValidateRect(HWND window, const RECT* rect);
// The region's bounding box; FALSE when the region is empty.
LVX_WIN32_API BOOL GetUpdateRect(HWND window, RECT* rect, BOOL erase);
// Sends WM_PAINT to the window (when visible and invalid) and then to its
// invalid descendants in paint order, before returning.
LVX_WIN32_API BOOL UpdateWindow(HWND window);

typedef struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT;
// BeginPaint sends WM_ERASEBKGND when erase is pending, clips to the update
// region (an empty region clips everything), reports the region's bounding
// box in rcPaint and empties the region. EndPaint removes the context.
LVX_WIN32_API HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
LVX_WIN32_API BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// ---- Input state ------------------------------------------------------------
// Both follow the input retrieved so far, not the input injected.
LVX_WIN32_API SHORT GetAsyncKeyState(int key);
LVX_WIN32_API SHORT GetKeyState(int key);
LVX_WIN32_API BOOL GetCursorPos(POINT* point);
// The US name of the key in a key message's lParam ("Shift", "Enter", "A").
// Copies at most size - 1 characters and a terminator; returns the length.
LVX_WIN32_API int GetKeyNameTextA(LONG lParam, LPSTR buffer, int size);
// Returns the previous holder. The old holder gets WM_CAPTURECHANGED.
LVX_WIN32_API HWND SetCapture(HWND window);
// Releases whichever window holds the capture.
LVX_WIN32_API BOOL ReleaseCapture(void);
LVX_WIN32_API HWND GetCapture(void);
// Sends WM_KILLFOCUS, then WM_SETFOCUS; activates the target's top-level
// window. Refuses a disabled window. Returns the previous focus.
LVX_WIN32_API HWND SetFocus(HWND window);
LVX_WIN32_API HWND GetFocus(void);
// Top-level windows only; returns the previously active window.
LVX_WIN32_API HWND SetActiveWindow(HWND window);
LVX_WIN32_API HWND GetActiveWindow(void);

// ---- Timers and time --------------------------------------------------------
// Creates or replaces the (window, id) timer; intervals below 10 ms count as
// 10. Returns the id (non-zero), 0 for a dead window.
LVX_WIN32_API UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void* callback);
LVX_WIN32_API BOOL KillTimer(HWND window, UINT_PTR id);
// The stand-in's millisecond clock (see standin::AdvanceClock).
LVX_WIN32_API DWORD GetTickCount(void);

// ---- Cursors and icons ------------------------------------------------------
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_ERROR MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_WARNING MAKEINTRESOURCEA(32515)
#define IDI_INFORMATION MAKEINTRESOURCEA(32516)

// A null module gives the system cursors and icons. The same module and
// name always give the same handle.
LVX_WIN32_API HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name);
LVX_WIN32_API HICON LoadIconA(HINSTANCE module, LPCSTR name);
// Returns the previous cursor.
LVX_WIN32_API HCURSOR SetCursor(HCURSOR cursor);
// Cursors are shared: destroying one changes nothing.
LVX_WIN32_API BOOL DestroyCursor(HCURSOR cursor);

// ---- System metrics ---------------------------------------------------------
// The screen size (see standin::SetScreen); the frame metrics and
// double-click limits are listed with the styles.
enum : int {
  SM_CXSCREEN = 0,
  SM_CYSCREEN = 1,
};
LVX_WIN32_API int GetSystemMetrics(int index);

} // extern "C"
