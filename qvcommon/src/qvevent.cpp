#include "qvcommon/qvevent.h"

#include "win32/windowing.h"

namespace {

eQVEventTypes TypeOf(unsigned int message)
{
  switch (message) {
  case WM_LBUTTONDOWN: return eQVButtonDownEvent;
  case WM_LBUTTONUP: return eQVButtonUpEvent;
  case WM_MOUSEMOVE: return eQVMouseMoveEvent;
  case WM_PAINT: return eQVPaintEvent;
  case WM_KEYDOWN: return eQVKeyDownEvent;
  case WM_KEYUP: return eQVKeyUpEvent;
  case WM_COMMAND: return eQVCommandEvent;
  case WM_MOVE:
  case WM_SIZE:
  case WM_WINDOWPOSCHANGED: return eQVSizeEvent;
  case WM_DESTROY: return eQVDestroyEvent;
  case WM_CREATE: return eQVCreateEvent;
  case WM_SETCURSOR: return eQVSetCursorEvent;
  case WM_SYSCHAR: return eQVSysCharEvent;
  case WM_CHAR: return eQVCharEvent;
  case WM_SYSCOMMAND: return eQVSysCommandEvent;
  case WM_CLOSE: return eQVCloseEvent;
  case WM_LBUTTONDBLCLK: return eQVDoubleClickEvent;
  case WM_TIMER: return eQVTimerEvent;
  default: return eQVUnknownEvent;
  }
}

} // namespace

QVEvent::QVEvent(QVWindow* window, unsigned int message, WPARAM wParam, LPARAM lParam)
    : m_Window(window), m_Type(TypeOf(message))
{
  const auto low = static_cast<uint32_t>(lParam);
  m_Point.SetPoint(static_cast<int16_t>(low & 0xFFFF), static_cast<int16_t>(low >> 16));
  m_Control = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
  m_Shift = (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
  switch (message) {
  case WM_COMMAND:
  case WM_TIMER:
    m_Command = wParam;
    m_Value = lParam;
    break;
  case WM_KEYDOWN:
  case WM_KEYUP:
    m_KeyCode = static_cast<uint32_t>(wParam);
    m_KeyData = low;
    GetKeyNameTextA(static_cast<LONG>(low), m_KeyName, sizeof m_KeyName);
    break;
  case WM_CHAR:
  case WM_SYSCHAR: GetKeyNameTextA(static_cast<LONG>(low), m_KeyName, sizeof m_KeyName); break;
  default: break;
  }
}

QVEvent::~QVEvent() = default;

eQVEventTypes QVEvent::GetEventType() { return m_Type; }
