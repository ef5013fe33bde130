#pragma once
#include "qvcommon/qvpoint.h"

class QVWindow;

// The event types a window message maps to; messages outside the table
// give eQVUnknownEvent, which no handler receives.
enum eQVEventTypes : int32_t {
  eQVUnknownEvent = -1,
  eQVButtonDownEvent = 0,   // WM_LBUTTONDOWN
  eQVButtonUpEvent = 1,     // WM_LBUTTONUP
  eQVMouseMoveEvent = 2,    // WM_MOUSEMOVE
  eQVPaintEvent = 3,        // WM_PAINT
  eQVKeyDownEvent = 4,      // WM_KEYDOWN
  eQVKeyUpEvent = 5,        // WM_KEYUP
  eQVCommandEvent = 6,      // WM_COMMAND
  eQVSizeEvent = 7,         // WM_MOVE, WM_SIZE, WM_WINDOWPOSCHANGED
  eQVDestroyEvent = 8,      // WM_DESTROY
  eQVCreateEvent = 9,       // WM_CREATE
  eQVSetCursorEvent = 10,   // WM_SETCURSOR
  eQVSysCharEvent = 11,     // WM_SYSCHAR
  eQVCharEvent = 12,        // WM_CHAR
  eQVSysCommandEvent = 13,  // WM_SYSCOMMAND
  eQVCloseEvent = 14,       // WM_CLOSE
  eQVDoubleClickEvent = 15, // WM_LBUTTONDBLCLK
  eQVTimerEvent = 16,       // WM_TIMER
};

// One window message as an event, built on the stack by the window
// procedure and passed by reference to the window's handlers. Every field
// is set (zero where the message gives it nothing).
class QVCOMMON_API QVEvent {
public:
  QVEvent(QVWindow* window, unsigned int message, WPARAM wParam, LPARAM lParam);
  QVEvent(const QVEvent& other) = default;
  QVEvent& operator=(const QVEvent& other) = default;

  virtual ~QVEvent();
  virtual eQVEventTypes GetEventType();

  // The framework window the message was sent to (null without one).
  QVWindow* m_Window = nullptr;
  eQVEventTypes m_Type = eQVUnknownEvent;
  // The mouse position: the low 32 bits of lParam, both halves
  // sign-extended (set for every message, meaningful for mouse messages).
  QVPoint m_Point;
  // Ctrl and Shift down when the event was built.
  bool m_Control = false;
  bool m_Shift = false;
  bool m_ThirdKey = false; // always false
  // WM_COMMAND: wParam (the command or control message) and lParam (the
  // value, possibly a pointer); WM_TIMER: the timer id and lParam.
  WPARAM m_Command = 0;
  LPARAM m_Value = 0;
  // The key's name for key down, key up, char and sys char.
  char m_KeyName[10] = {};
  // WM_KEYDOWN / WM_KEYUP: the virtual-key code and the key data.
  uint32_t m_KeyCode = 0;
  uint32_t m_KeyData = 0;
};
