#pragma once
#include "qvcommon/qvdefs.h"

// The framework's small modal message box: the module's dialog 177 with one
// line of text, an optional edit field and the buttons of its type. It
// returns which button ended it.
class QVCOMMON_API QVDialog {
public:
  enum eDialogType : int32_t {
    eDialogOK = 0,
    eDialogOKCancel = 1,
    eDialogYesNo = 2,
    eDialogYesNoCancel = 3,
    eDialogOKCancelEdit = 4, // OK and Cancel with the edit field
  };
  enum eDialogButtonHit : int32_t {
    eHitOK = 0,
    eHitCancel = 1,
    eHitYes = 2,
    eHitNo = 3,
  };
  enum { kTextSize = 260 };

  // Keeps the text (cut to 259 characters).
  QVDialog(eDialogType type, const char* text);
  QVDialog(const QVDialog&) = delete;
  QVDialog& operator=(const QVDialog&) = delete;

  virtual ~QVDialog();
  // Runs the box (no owner) until a button ends it. OK copies the edit
  // field's text, at most 259 characters and a terminator, into editBuffer
  // when one is given. Cancel when the box could not be shown.
  virtual eDialogButtonHit ShowDialog(char* editBuffer);

private:
  // Hides the buttons the type does not use (and the edit field but for
  // type 4), places Yes, No and Cancel for type 3, focuses the edit field
  // for type 4 and shows the text.
  virtual void OnDialogInit(HWND dialog);
  virtual void HideControl(int32_t id);
  // 1 OK, 2 Cancel, 6 Yes and 7 No end the box (returns 1); any other id
  // returns 0.
  virtual int32_t OnDialogControl(int32_t id);

  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  eDialogButtonHit m_Result = eHitCancel;
  char* m_EditBuffer = nullptr;
  char m_Text[kTextSize] = {};
  eDialogType m_Type = eDialogOK;
  HWND m_Dialog = nullptr;
};
