#pragma once
// Message boxes and the beep. They need no window of their own, so code
// that reports an error this way needs nothing of the window headers.

#include "win32/types.h"

extern "C" {

// ---- Message boxes ----------------------------------------------------------
enum : UINT {
  MB_OK = 0x00000000u,
  MB_OKCANCEL = 0x00000001u,
  MB_ABORTRETRYIGNORE = 0x00000002u,
  MB_YESNOCANCEL = 0x00000003u,
  MB_YESNO = 0x00000004u,
  MB_RETRYCANCEL = 0x00000005u,
  MB_ICONERROR = 0x00000010u,
  MB_ICONHAND = 0x00000010u,
  MB_ICONQUESTION = 0x00000020u,
  MB_ICONWARNING = 0x00000030u,
  MB_ICONEXCLAMATION = 0x00000030u,
  MB_ICONINFORMATION = 0x00000040u,
  MB_DEFBUTTON1 = 0x00000000u,
  MB_DEFBUTTON2 = 0x00000100u,
  MB_DEFBUTTON3 = 0x00000200u,
  MB_TASKMODAL = 0x00002000u,
  MB_TOPMOST = 0x00040000u,
};
enum : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
};

// The button pressed: from the dialog script when an answer waits (one the
// box has), else from the real box while windows are presented (see
// standin::ShowRealDialogs): the text wrapped, the buttons of the type
// (MB_OK when unknown) with the default of MB_DEFBUTTONn, owned by and
// centred on the owner's top-level window. Enter presses the button with
// the focus; Esc and the close box answer IDCANCEL where there is a Cancel
// button and IDOK in an MB_OK box. A box that ends without a press (the
// display was lost) answers IDCANCEL, IDNO, IDOK or IDABORT, whichever it
// has first in that order. Headless, without an answer: the first button.
// A null caption is "Error".
LVX_WIN32_API int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---- Sounds -----------------------------------------------------------------
// Nothing is heard; the automation API counts the beeps.
LVX_WIN32_API BOOL MessageBeep(UINT type);

} // extern "C"
