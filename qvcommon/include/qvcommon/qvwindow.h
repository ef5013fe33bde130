#pragma once
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvevent.h"
#include "qvcommon/qvrect.h"

#include <vector>

class QVDevice;
class QVPicture;
class QVResourceFile;

// The base of every framework window: one Win32 window of one of twelve
// window types, with the object attached to it (GWL_USERDATA) so that the
// shared window procedure dispatches every message to the object's virtual
// handlers as a QVEvent. It keeps the window's rectangle, parent, resource
// file, background colour and tiled background picture, an optional 3D
// border and a table of windows whose drop shadows fall on it.
//
// The members named like Win32 functions (SendMessageA, SetWindowPos,
// ShowWindow, ...) are the framework's own; the Win32 calls are ::Name.
class QVCOMMON_API QVWindow {
public:
  enum eQVWindowStyles : int32_t {
    eQVWindowStyleEmpty = 0,
    eQVWindowStyleMain = 1,
    eQVWindowStyleStaticMain = 2,
    eQVWindowStyleStaticMainCaption = 3,
    eQVWindowStyleToolbar = 4,
    eQVWindowStylePreview = 5,
    eQVWindowStyleControl = 6,
    eQVWindowStyleMenu = 7,
    eQVWindowStyleBorder = 8,
    eQVWindowStyleDialog = 9,
    eQVWindowStyleClientEdge = 10,
    eQVWindowStyleDialogBorder = 11, // shares the class of type 9
  };
  enum eQVWindowShowStyles : int32_t {
    eQVShowNormal = 0,    // SW_SHOW
    eQVShowMaximized = 1, // SW_MAXIMIZE
    eQVShowMinimized = 2, // SW_SHOWMINIMIZED
  };
  enum { kShadowSlots = 200 };

  // Creates the window of the type (with the class of the type registered
  // as needed) and attaches the object once CreateWindowExA returns, so
  // messages sent during creation find no object. A null resource file
  // means a new one on the framework's own module, owned by the window. The
  // parent window's handle is the parent, else parentHandle. For a type
  // above 11 no window is created: the handle stays 0.
  QVWindow(const QVRect* rect, const char* title, eQVWindowStyles type, QVResourceFile* resources, QVWindow* parent,
           HWND parentHandle);
  // Wraps a window created elsewhere: nothing is created or attached, and
  // the window is never destroyed by this object.
  explicit QVWindow(HWND handle);
  QVWindow(const QVWindow&) = delete;
  QVWindow& operator=(const QVWindow&) = delete;

  // ---- Virtual operations, in their fixed order ----
  // Paints a drop shadow for rect through the current shadow image
  // (QVQuickDrop); nothing when there is none.
  virtual void DrawShadow(QVDevice* device, QVRect rect, int32_t a, int32_t b, int32_t c);
  // Leaves every shadow table it is in, stops being the key window,
  // destroys its window (unless foreign), deletes its background picture and
  // the resource file it owns.
  virtual ~QVWindow();
  // Handle, parent, resource file, picture, flags and shadow slots to 0.
  virtual void Initialize();
  virtual void Destroy();
  // Types 0, 1 and 2 go to HandleButtonDown, HandleButtonUp and
  // HandleMouseMove, returning the negation of the handler's result; any
  // other type (a double click) calls nothing and returns true.
  virtual bool HandleMouseEvent(QVEvent& event);
  // Tiles the background picture over the client area and draws the
  // border, through a paint device (which validates). True.
  virtual bool HandlePaint(QVEvent& event);
  // Fills the client area with the background colour (never called by the
  // window procedure: erasing uses the class brush). True.
  virtual bool HandleEraseWindow(QVEvent& event);
  virtual bool HandleCommand(QVEvent& event);      // false
  virtual bool HandleSizeEvent(QVEvent& event);    // false
  virtual bool HandleCreateEvent(QVEvent& event);  // true
  virtual bool HandleDestroyEvent(QVEvent& event); // false
  virtual bool HandleKeyEvent(QVEvent& event);     // false
  // DestroyWindow; false.
  virtual bool HandleCloseEvent(QVEvent& event);
  virtual bool HandleTimerEvent(QVEvent& event); // false
  // The arrow; true.
  virtual bool HandleSetCursor(QVEvent& event);
  virtual bool OnActivate();   // false
  virtual bool OnDeactivate(); // false
  // InvalidateRect of the area (the client area when null), then UpdateWindow.
  virtual void InvalWindow(QVRect* area, int32_t erase);
  virtual void EnableWindow(int32_t enable);
  virtual HWND GetWnd() const;
  virtual QVRect GetClientRect();
  // In screen coordinates.
  virtual QVRect GetWindowRect();
  // Win32 SetWindowPos (without z-order change, and without redraw when
  // redraw is 0), then the rectangle is stored and kept on the screen.
  virtual void SetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height, int32_t redraw);
  virtual void SetWindowPos(QVRect& rect, int32_t redraw);
  // Screen to this window's client coordinates, in place.
  virtual void GetClientRectFromScreenRect(QVRect& rect);
  // Keeps the window rectangle's corner; for a child that corner is taken
  // in the parent's client coordinates.
  virtual void SetSize(int32_t width, int32_t height);
  // A window that is not a child and does not lie within the screen less
  // its bottom 25 pixels is fitted into it.
  virtual void EnsureOnScreen();
  // Moves the window vertically inside its parent: direction 1 up, 0 down.
  virtual void ScrollWindow(int32_t direction, int32_t amount);
  virtual QVWindow* GetParentWnd();
  virtual QVResourceFile* GetResourceFile();
  virtual HWND GetActiveWindow();
  virtual QVRect GetScreenRect();
  // A framework message (not a Win32 one): calls ListenToMessage.
  virtual bool SendMessageA(int32_t message, void* data);
  // WM_COMMAND (id, 0) posted to this window.
  virtual void PostCommand(int32_t id);
  virtual void ShowWindow(eQVWindowShowStyles style);
  virtual void HideWindow();
  // Stores the colour, then repaints the whole window with erase.
  virtual void SetBGColor(QVColor& color);
  virtual bool Visible();
  virtual bool GetDirections(HWND window); // false
  // Stores the other window of an activation change.
  virtual void SetActivateFlag(HWND window);

protected:
  virtual bool ListenToMessage(int32_t message, void* data); // false
  virtual bool HandleButtonDown(QVEvent& event);             // false
  virtual bool HandleButtonUp(QVEvent& event);               // false
  virtual bool HandleMouseMove(QVEvent& event);              // false

public:
  // ---- Non-virtual ----
  // Of the stored rectangle, not queried from Win32.
  int32_t Left() const { return m_Rect.Left(); }
  int32_t Top() const { return m_Rect.Top(); }
  int32_t Right() const { return m_Rect.Right(); }
  int32_t Bottom() const { return m_Rect.Bottom(); }
  int32_t Width() const { return m_Rect.Width(); }
  int32_t Height() const { return m_Rect.Height(); }
  void SetCapture();
  void ReleaseCapture();
  static void SetCursorArrow();
  // Ticks arrive as HandleTimerEvent with the id in the event's command.
  void SetTimer(int32_t id, int32_t milliseconds);
  void KillTimer(int32_t id);
  // OR the bits into GWL_STYLE / GWL_EXSTYLE.
  void SetWindowStyle(int32_t bits);
  void SetWindowStyleEx(int32_t bits);
  void SetWindowTextA(const char* text);
  // The background picture becomes the picture of that id.
  void LoadBackgroundImage(int32_t pictureId, QVResourceFile* resources);
  void LoadBackgroundImage(int32_t pictureId);
  // Tiles the background picture from the area's top left over the area;
  // nothing for an invalid picture or one without width or height.
  void RenderBackgroundImage(QVDevice* device, QVRect& area);
  // A 2-pixel light frame on the top and left of the client area and a dark
  // one on the bottom and right, when the border is on.
  void RenderBorder(QVDevice* device);
  void SetRenderBorder(int32_t on);
  // The first free slot of the shadow table; nothing when all 200 are used.
  void AddShadowWnd(QVWindow* window);
  // Invalidates with erase the two 10-pixel shadow strips of the other
  // window (right and bottom), in this window's client coordinates.
  void InvalShadowArea(QVWindow* other);

  // ---- Window types and classes ----
  // The class name (the caller's buffer holds 256 characters) and the
  // style rules of a type; either pointer may be null. -1 for a type above
  // 11, which touches nothing.
  static int16_t GetWindowClassNameByType(eQVWindowStyles type, char* name, DWORD* style, DWORD* exStyle);
  // Registers the type's class unless the global atom table names it.
  static void VerifyClassEstablished(eQVWindowStyles type, QVColor& background, int32_t iconId, int32_t smallIconId);
  // Registers the class afresh, with a brush of the background colour,
  // whenever no window of it lives; -1 when registration fails.
  static int16_t SetWindowTypeInfo(eQVWindowStyles type, QVColor& background, int32_t iconId, int32_t smallIconId);
  // The icon ids of types 1 and 3 from now on.
  static void SetClassIcons(int32_t iconId, int32_t smallIconId);
  // Unregisters every class of the type table (and deletes any global atom
  // of its name). 0.
  static int16_t CleanupWindowTypes();

  // The window that receives every key message of every framework window
  // (null: none). Cleared when that window is deleted.
  static QVWindow* m_HotKeyWindow;

protected:
  HWND m_ActivatePartner = nullptr;
  HWND m_hWnd = nullptr;
  QVRect m_Rect;
  QVWindow* m_Parent = nullptr;
  QVResourceFile* m_ResourceFile = nullptr;
  QVPicture* m_BackgroundPicture = nullptr;
  bool m_OwnsResourceFile = false;
  QVColor m_BGColor;
  int32_t m_RenderBorder = 0;
  int32_t m_ForeignWindow = 0;
  bool m_Capture = false;
  QVWindow* m_ShadowWindows[kShadowSlots] = {};

private:
  // The windows whose shadow tables hold this one, so that deleting either
  // side leaves no dangling slot.
  std::vector<QVWindow*> m_ShadowHosts;
};
