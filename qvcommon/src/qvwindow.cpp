#include "qvcommon/qvwindow.h"

#include "qvcommon/qvpaintdevice.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvquickdrop.h"
#include "qvcommon/qvresourcefile.h"
#include "win32/gdi.h"

#include <algorithm>
#include <cstring>
#include <new>

QVWindow* QVWindow::m_HotKeyWindow = nullptr;

namespace {

// ---- Window types ---------------------------------------------------------------

enum class ExRule { Unchanged, Or, Assign };

struct WindowType {
  const char* className;
  DWORD style; // OR-ed into the caller's
  ExRule exRule;
  DWORD exStyle;
};

const WindowType kTypes[] = {
    {"__QVWindowStyleEmpty", 0x50000000, ExRule::Unchanged, 0},
    {"__QVWindowStyleMain", 0x01CF0000, ExRule::Or, 0x40000},
    {"__QVWindowStyleStaticMain", 0x01CF0000, ExRule::Unchanged, 0},
    {"__QVWindowStyleStaticMainCaption", 0x90C80000, ExRule::Unchanged, 0},
    {"__QVWindowStyleToolbar", 0x10000000, ExRule::Or, 0x80},
    {"__QVWindowStylePreview", 0x50000000, ExRule::Unchanged, 0},
    {"__QVWindowStyleControl", 0x50000000, ExRule::Assign, 0},
    {"__QVWindowStyleMenu", 0x80000000, ExRule::Assign, 0},
    {"__QVWindowStyleBorder", 0x50800000, ExRule::Assign, 0},
    {"__QVWindowStyleDialog", 0x80C80000, ExRule::Assign, 0x8},
    {"__QVWindowStyleClientEdge", 0x50000000, ExRule::Assign, 0x200},
    {"__QVWindowStyleDialog", 0x80880000, ExRule::Assign, 0},
};
constexpr int kTypeCount = int(sizeof kTypes / sizeof kTypes[0]);

int32_t g_iconId = 0;
int32_t g_smallIconId = 0;

HICON Icon(int32_t id) { return id ? LoadIconA(GetHostInstance(), MAKEINTRESOURCEA(id)) : nullptr; }

// The shared window procedure: every message of every framework window
// becomes a QVEvent for the object attached to the window. The object is
// attached after CreateWindowExA returns, so messages sent during creation
// find none. Nothing touches the object after a handler returns: the
// handler may have deleted it.
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  QVWindow* window = reinterpret_cast<QVWindow*>(GetWindowLongA(hwnd, GWL_USERDATA));
  QVEvent event(window, message, wParam, lParam);
  switch (message) {
  case WM_KEYDOWN:
  case WM_KEYUP:
  case WM_CHAR:
  case WM_SYSCHAR:
  case WM_SYSCOMMAND:
    // Every key message reaches the key window and is never swallowed.
    if (QVWindow::m_HotKeyWindow)
      QVWindow::m_HotKeyWindow->HandleKeyEvent(event);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  case WM_CREATE:
  case WM_DESTROY:
  case WM_ACTIVATE:
  case WM_PAINT:
  case WM_CLOSE:
  case WM_SETCURSOR:
  case WM_WINDOWPOSCHANGED:
  case WM_COMMAND:
  case WM_TIMER:
  case WM_MOUSEMOVE:
  case WM_LBUTTONDOWN:
  case WM_LBUTTONUP:
  case WM_LBUTTONDBLCLK: break;
  default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  if (!window)
    return 0;
  switch (message) {
  case WM_CREATE: return window->HandleCreateEvent(event);
  case WM_DESTROY: return window->HandleDestroyEvent(event);
  case WM_ACTIVATE: {
    window->SetActivateFlag(reinterpret_cast<HWND>(lParam));
    const int state = LOWORD(wParam);
    const bool handled =
        (state == WA_ACTIVE || state == WA_CLICKACTIVE) ? window->OnActivate() : window->OnDeactivate();
    return handled ? 0 : 1;
  }
  case WM_PAINT: return window->HandlePaint(event);
  case WM_CLOSE: return window->HandleCloseEvent(event);
  case WM_SETCURSOR: return window->HandleSetCursor(event);
  case WM_WINDOWPOSCHANGED: return window->HandleSizeEvent(event);
  case WM_COMMAND: return window->HandleCommand(event);
  case WM_TIMER: return window->HandleTimerEvent(event);
  default: return window->HandleMouseEvent(event);
  }
}

QVRect ToQVRect(const RECT& r) { return QVRect(r.left, r.top, r.right, r.bottom); }

} // namespace

// ---- Construction ------------------------------------------------------------------

QVWindow::QVWindow(const QVRect* rect, const char* title, eQVWindowStyles type, QVResourceFile* resources,
                   QVWindow* parent, HWND parentHandle)
{
  QVWindow::Initialize();
  m_ResourceFile = resources;
  if (!m_ResourceFile) {
    m_ResourceFile = CreateModuleResourceFile();
    m_OwnsResourceFile = m_ResourceFile != nullptr;
  }
  m_Parent = parent;
  if (rect)
    m_Rect = *rect;
  char name[256] = "";
  DWORD style = 0, exStyle = 0;
  // An unknown type has no class and no styles: no window is made.
  if (GetWindowClassNameByType(type, name, &style, &exStyle) != 0)
    return;
  const bool application = type == eQVWindowStyleMain || type == eQVWindowStyleStaticMainCaption;
  QVColor background = application ? QVColor(205, 205, 205) : QVColor(187, 187, 187);
  VerifyClassEstablished(type, background, application ? g_iconId : 0, application ? g_smallIconId : 0);
  HWND parentWnd = parent ? parent->GetWnd() : parentHandle;
  m_hWnd = CreateWindowExA(exStyle, name, title, style, m_Rect.Left(), m_Rect.Top(), m_Rect.Width(), m_Rect.Height(),
                           parentWnd, nullptr, GetHostInstance(), nullptr);
  if (m_hWnd)
    SetWindowLongA(m_hWnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

QVWindow::QVWindow(HWND handle)
{
  QVWindow::Initialize();
  m_ForeignWindow = 1;
  m_hWnd = handle;
}

QVWindow::~QVWindow()
{
  // Neither side of a shadow table may keep a pointer to a deleted window.
  for (QVWindow*& slot : m_ShadowWindows)
    if (slot) {
      std::erase(slot->m_ShadowHosts, this);
      slot = nullptr;
    }
  for (QVWindow* host : m_ShadowHosts)
    std::replace(std::begin(host->m_ShadowWindows), std::end(host->m_ShadowWindows), this,
                 static_cast<QVWindow*>(nullptr));
  m_ShadowHosts.clear();
  // Key messages must not reach a deleted window.
  if (m_HotKeyWindow == this)
    m_HotKeyWindow = nullptr;
  if (!m_ForeignWindow && m_hWnd) {
    DestroyWindow(m_hWnd);
    // A window already being destroyed (its parent's destruction reached
    // this object's deletion) outlives the call: it must not find the
    // deleted object.
    if (IsWindow(m_hWnd) && GetWindowLongA(m_hWnd, GWL_USERDATA) == reinterpret_cast<LONG_PTR>(this))
      SetWindowLongA(m_hWnd, GWL_USERDATA, 0);
  }
  m_hWnd = nullptr;
  delete m_BackgroundPicture;
  m_BackgroundPicture = nullptr;
  if (m_OwnsResourceFile)
    delete m_ResourceFile;
  m_ResourceFile = nullptr;
}

void QVWindow::Initialize()
{
  m_hWnd = nullptr;
  m_Parent = nullptr;
  m_ResourceFile = nullptr;
  m_BackgroundPicture = nullptr;
  m_OwnsResourceFile = false;
  m_RenderBorder = 0;
  m_ForeignWindow = 0;
  for (QVWindow*& slot : m_ShadowWindows)
    if (slot) {
      std::erase(slot->m_ShadowHosts, this);
      slot = nullptr;
    }
}

// ---- Virtual operations ----------------------------------------------------------------

void QVWindow::DrawShadow(QVDevice* device, QVRect rect, int32_t a, int32_t b, int32_t c)
{
  if (QVQuickDrop* shadow = QVQuickDrop::GetCurrent())
    shadow->DrawShadow(device, rect, a, b, c);
}

void QVWindow::Destroy() { DestroyWindow(m_hWnd); }

bool QVWindow::HandleMouseEvent(QVEvent& event)
{
  switch (event.GetEventType()) {
  case eQVButtonDownEvent: return !HandleButtonDown(event);
  case eQVButtonUpEvent: return !HandleButtonUp(event);
  case eQVMouseMoveEvent: return !HandleMouseMove(event);
  default: return true;
  }
}

bool QVWindow::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  QVRect client = GetClientRect();
  RenderBackgroundImage(&device, client);
  RenderBorder(&device);
  return true;
}

bool QVWindow::HandleEraseWindow(QVEvent&)
{
  QVDevice device(this);
  device.SetDeviceBrush(&m_BGColor);
  device.PaintRect(GetClientRect());
  return true;
}

bool QVWindow::HandleCommand(QVEvent&) { return false; }
bool QVWindow::HandleSizeEvent(QVEvent&) { return false; }
bool QVWindow::HandleCreateEvent(QVEvent&) { return true; }
bool QVWindow::HandleDestroyEvent(QVEvent&) { return false; }
bool QVWindow::HandleKeyEvent(QVEvent&) { return false; }

bool QVWindow::HandleCloseEvent(QVEvent&)
{
  DestroyWindow(m_hWnd);
  return false;
}

bool QVWindow::HandleTimerEvent(QVEvent&) { return false; }

bool QVWindow::HandleSetCursor(QVEvent&)
{
  SetCursorArrow();
  return true;
}

bool QVWindow::OnActivate() { return false; }
bool QVWindow::OnDeactivate() { return false; }

void QVWindow::InvalWindow(QVRect* area, int32_t erase)
{
  const RECT r = area ? area->GetRect() : RECT{};
  InvalidateRect(m_hWnd, area ? &r : nullptr, erase ? TRUE : FALSE);
  UpdateWindow(m_hWnd);
}

void QVWindow::EnableWindow(int32_t enable) { ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }

HWND QVWindow::GetWnd() const { return m_hWnd; }

QVRect QVWindow::GetClientRect()
{
  RECT r{};
  ::GetClientRect(m_hWnd, &r);
  return ToQVRect(r);
}

QVRect QVWindow::GetWindowRect()
{
  RECT r{};
  ::GetWindowRect(m_hWnd, &r);
  return ToQVRect(r);
}

void QVWindow::SetWindowPos(int32_t x, int32_t y, int32_t width, int32_t height, int32_t redraw)
{
  ::SetWindowPos(m_hWnd, nullptr, x, y, width, height, redraw ? SWP_NOZORDER : SWP_NOZORDER | SWP_NOREDRAW);
  m_Rect.SetLTWH(x, y, width, height);
  EnsureOnScreen();
}

void QVWindow::SetWindowPos(QVRect& rect, int32_t redraw)
{
  const QVRect copy(rect);
  ::SetWindowPos(m_hWnd, nullptr, copy.Left(), copy.Top(), copy.Width(), copy.Height(),
                 redraw ? SWP_NOZORDER : SWP_NOZORDER | SWP_NOREDRAW);
  m_Rect = copy;
  EnsureOnScreen();
}

void QVWindow::GetClientRectFromScreenRect(QVRect& rect)
{
  POINT topLeft{rect.Left(), rect.Top()}, bottomRight{rect.Right(), rect.Bottom()};
  ScreenToClient(m_hWnd, &topLeft);
  ScreenToClient(m_hWnd, &bottomRight);
  rect.SetLTRB(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
}

void QVWindow::SetSize(int32_t width, int32_t height)
{
  QVRect rect = GetWindowRect();
  POINT corner{rect.Left(), rect.Top()};
  // SetWindowPos takes a child's position in its parent's client area.
  if (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_CHILD)
    ScreenToClient(GetParent(m_hWnd), &corner);
  rect.SetLTWH(corner.x, corner.y, width, height);
  SetWindowPos(rect, 1);
}

void QVWindow::EnsureOnScreen()
{
  // Child rectangles are in their parent's coordinates: only windows of
  // their own are kept on the screen.
  if (GetWindowLongA(m_hWnd, GWL_STYLE) & WS_CHILD)
    return;
  // The fitting SetWindowPos comes back here once; a screen too small to fit
  // in must not make that endless.
  static int depth = 0;
  if (depth > 0)
    return;
  QVRect screen(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  screen.SetBottom(screen.Bottom() - 25);
  if (screen.RectInRect(m_Rect))
    return;
  m_Rect.FitInRect(screen);
  ++depth;
  SetWindowPos(m_Rect, 1);
  --depth;
}

void QVWindow::ScrollWindow(int32_t direction, int32_t amount)
{
  int32_t top = Top();
  if (direction == 1) {
    if (m_Parent && Bottom() - amount >= m_Parent->GetClientRect().Bottom())
      top -= amount;
  } else if (direction == 0) {
    if (top + amount < 1)
      top += amount;
  }
  ::SetWindowPos(m_hWnd, nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  m_Rect.Offset(0, top - Top());
}

QVWindow* QVWindow::GetParentWnd() { return m_Parent; }
QVResourceFile* QVWindow::GetResourceFile() { return m_ResourceFile; }
HWND QVWindow::GetActiveWindow() { return ::GetActiveWindow(); }

QVRect QVWindow::GetScreenRect()
{
  RECT r{};
  ::GetWindowRect(GetDesktopWindow(), &r);
  return ToQVRect(r);
}

bool QVWindow::SendMessageA(int32_t message, void* data) { return ListenToMessage(message, data); }

void QVWindow::PostCommand(int32_t id) { PostMessageA(m_hWnd, WM_COMMAND, WPARAM(uint32_t(id)), 0); }

void QVWindow::ShowWindow(eQVWindowShowStyles style)
{
  switch (style) {
  case eQVShowNormal: ::ShowWindow(m_hWnd, SW_SHOW); break;
  case eQVShowMaximized: ::ShowWindow(m_hWnd, SW_MAXIMIZE); break;
  case eQVShowMinimized: ::ShowWindow(m_hWnd, SW_SHOWMINIMIZED); break;
  default: break;
  }
}

void QVWindow::HideWindow() { ::ShowWindow(m_hWnd, SW_HIDE); }

void QVWindow::SetBGColor(QVColor& color)
{
  m_BGColor = color;
  InvalWindow(nullptr, 1);
}

bool QVWindow::Visible() { return IsWindowVisible(m_hWnd) != FALSE; }
bool QVWindow::GetDirections(HWND) { return false; }
void QVWindow::SetActivateFlag(HWND window) { m_ActivatePartner = window; }
bool QVWindow::ListenToMessage(int32_t, void*) { return false; }
bool QVWindow::HandleButtonDown(QVEvent&) { return false; }
bool QVWindow::HandleButtonUp(QVEvent&) { return false; }
bool QVWindow::HandleMouseMove(QVEvent&) { return false; }

// ---- Non-virtual members ------------------------------------------------------------------

void QVWindow::SetCapture()
{
  m_Capture = true;
  ::SetCapture(m_hWnd);
}

void QVWindow::ReleaseCapture()
{
  m_Capture = false;
  ::ReleaseCapture();
}

void QVWindow::SetCursorArrow() { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }

void QVWindow::SetTimer(int32_t id, int32_t milliseconds)
{
  ::SetTimer(m_hWnd, UINT_PTR(uint32_t(id)), UINT(milliseconds), nullptr);
}

void QVWindow::KillTimer(int32_t id) { ::KillTimer(m_hWnd, UINT_PTR(uint32_t(id))); }

void QVWindow::SetWindowStyle(int32_t bits)
{
  SetWindowLongA(m_hWnd, GWL_STYLE, LONG_PTR(DWORD(GetWindowLongA(m_hWnd, GWL_STYLE)) | DWORD(bits)));
}

void QVWindow::SetWindowStyleEx(int32_t bits)
{
  SetWindowLongA(m_hWnd, GWL_EXSTYLE, LONG_PTR(DWORD(GetWindowLongA(m_hWnd, GWL_EXSTYLE)) | DWORD(bits)));
}

void QVWindow::SetWindowTextA(const char* text) { ::SetWindowTextA(m_hWnd, text); }

void QVWindow::LoadBackgroundImage(int32_t pictureId, QVResourceFile* resources)
{
  delete m_BackgroundPicture;
  m_BackgroundPicture = new (std::nothrow) QVPicture(pictureId, resources);
}

void QVWindow::LoadBackgroundImage(int32_t pictureId) { LoadBackgroundImage(pictureId, m_ResourceFile); }

void QVWindow::RenderBackgroundImage(QVDevice* device, QVRect& area)
{
  // The tiling needs a positive step.
  if (!m_BackgroundPicture || !m_BackgroundPicture->ValidPicture())
    return;
  const int32_t width = m_BackgroundPicture->Width(), height = m_BackgroundPicture->Height();
  if (width <= 0 || height <= 0)
    return;
  for (int64_t y = area.Top(); y < area.Bottom(); y += height)
    for (int64_t x = area.Left(); x < area.Right(); x += width)
      m_BackgroundPicture->Draw(device, int32_t(x), int32_t(y));
}

void QVWindow::RenderBorder(QVDevice* device)
{
  if (!m_RenderBorder || !device)
    return;
  const QVRect r = GetClientRect();
  const QVColor light(225, 225, 225), dark(64, 64, 64);
  device->SetDevicePen(2, &light);
  device->DeviceMovePenTo(r.Right(), 0);
  device->DeviceLineTo(0, 0);
  device->DeviceLineTo(0, r.Bottom());
  device->DestroyPen();
  device->SetDevicePen(2, &dark);
  device->DeviceMovePenTo(0, r.Bottom());
  device->DeviceLineTo(r.Right(), r.Bottom());
  device->DeviceLineTo(r.Right(), 0);
  device->DestroyPen();
}

void QVWindow::SetRenderBorder(int32_t on) { m_RenderBorder = on; }

void QVWindow::AddShadowWnd(QVWindow* window)
{
  if (!window)
    return;
  for (QVWindow*& slot : m_ShadowWindows)
    if (!slot) {
      slot = window;
      window->m_ShadowHosts.push_back(this);
      return;
    }
}

void QVWindow::InvalShadowArea(QVWindow* other)
{
  if (!other)
    return;
  QVRect r = other->GetWindowRect();
  GetClientRectFromScreenRect(r);
  const RECT right{r.Right(), r.Top(), r.Right() + 10, r.Bottom() + 10};
  const RECT bottom{r.Left(), r.Bottom(), r.Right() + 10, r.Bottom() + 10};
  InvalidateRect(m_hWnd, &right, TRUE);
  InvalidateRect(m_hWnd, &bottom, TRUE);
}

// ---- Window types and classes ------------------------------------------------------------

int16_t QVWindow::GetWindowClassNameByType(eQVWindowStyles type, char* name, DWORD* style, DWORD* exStyle)
{
  if (type < 0 || type >= kTypeCount)
    return -1;
  const WindowType& t = kTypes[type];
  DWORD scratchStyle = 0, scratchEx = 0;
  DWORD& s = style ? *style : scratchStyle;
  DWORD& x = exStyle ? *exStyle : scratchEx;
  if (name)
    std::strcpy(name, t.className);
  s |= t.style;
  if (t.exRule == ExRule::Or)
    x |= t.exStyle;
  else if (t.exRule == ExRule::Assign)
    x = t.exStyle;
  return 0;
}

void QVWindow::VerifyClassEstablished(eQVWindowStyles type, QVColor& background, int32_t iconId, int32_t smallIconId)
{
  char name[256] = "";
  if (GetWindowClassNameByType(type, name, nullptr, nullptr) == 0 && !GlobalFindAtomA(name))
    SetWindowTypeInfo(type, background, iconId, smallIconId);
}

int16_t QVWindow::SetWindowTypeInfo(eQVWindowStyles type, QVColor& background, int32_t iconId, int32_t smallIconId)
{
  char name[256] = "";
  if (GetWindowClassNameByType(type, name, nullptr, nullptr) != 0)
    return -1;
  if (GlobalFindAtomA(name))
    return 0;
  // Registered afresh, in this window's colour, whenever no window of the
  // class lives (unregistering fails while one does).
  UnregisterClassA(name, GetHostInstance());
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExA(GetHostInstance(), name, &wc))
    return 0;
  wc = WNDCLASSEXA{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS | CS_OWNDC | CS_GLOBALCLASS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetHostInstance();
  wc.hIcon = Icon(iconId);
  wc.hIconSm = Icon(smallIconId);
  wc.hbrBackground = CreateSolidBrush(RGB(background.R(), background.G(), background.B()));
  wc.lpszClassName = name;
  if (RegisterClassExA(&wc))
    return 0;
  DeleteObject(wc.hbrBackground);
  return -1;
}

void QVWindow::SetClassIcons(int32_t iconId, int32_t smallIconId)
{
  g_iconId = iconId;
  g_smallIconId = smallIconId;
}

int16_t QVWindow::CleanupWindowTypes()
{
  for (int i = 0; i < kTypeCount; ++i) {
    bool seen = false;
    for (int j = 0; j < i; ++j)
      seen = seen || std::strcmp(kTypes[j].className, kTypes[i].className) == 0;
    if (seen)
      continue;
    UnregisterClassA(kTypes[i].className, GetHostInstance());
    if (const ATOM atom = GlobalFindAtomA(kTypes[i].className))
      GlobalDeleteAtom(atom);
  }
  return 0;
}
