#include "qvcommon/qvdialog.h"

#include "qvcommon/qvresourcefile.h"
#include "win32/dialogs.h"
#include "win32/messagebox.h"
#include "win32/modules.h"
#include "win32/windowing.h"

#include <cstring>

namespace {

constexpr int kMessageText = 1000;
constexpr int kEditField = 1001;
constexpr int kTemplate = 177;

} // namespace

QVDialog::QVDialog(eDialogType type, const char* text) : m_Type(type)
{
  if (text) {
    std::strncpy(m_Text, text, kTextSize - 1);
    m_Text[kTextSize - 1] = '\0';
  }
}

QVDialog::~QVDialog() = default;

QVDialog::eDialogButtonHit QVDialog::ShowDialog(char* editBuffer)
{
  m_EditBuffer = editBuffer;
  DialogBoxParamA(GetModuleInstance(), MAKEINTRESOURCEA(kTemplate), nullptr, DialogProc,
                  reinterpret_cast<LPARAM>(this));
  m_Dialog = nullptr;
  return m_Result;
}

INT_PTR CALLBACK QVDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_INITDIALOG) {
    SetWindowLongA(dialog, GWL_USERDATA, lParam);
    auto* self = reinterpret_cast<QVDialog*>(lParam);
    self->OnDialogInit(dialog);
    // A procedure that set the focus itself returns FALSE.
    return self->m_Type == eDialogOKCancelEdit ? FALSE : TRUE;
  }
  if (message == WM_COMMAND) {
    if (auto* self = reinterpret_cast<QVDialog*>(GetWindowLongA(dialog, GWL_USERDATA)))
      self->OnDialogControl(LOWORD(wParam));
  }
  return FALSE;
}

void QVDialog::OnDialogInit(HWND dialog)
{
  m_Dialog = dialog;
  switch (m_Type) {
  case eDialogOK:
    HideControl(IDCANCEL);
    HideControl(IDYES);
    HideControl(IDNO);
    break;
  case eDialogOKCancel:
  case eDialogOKCancelEdit:
    HideControl(IDYES);
    HideControl(IDNO);
    break;
  case eDialogYesNo:
    HideControl(IDCANCEL);
    HideControl(IDOK);
    break;
  case eDialogYesNoCancel: {
    HideControl(IDOK);
    // Three buttons in a row: Yes, No, Cancel.
    const int ids[] = {IDYES, IDNO, IDCANCEL};
    const int lefts[] = {7, 67, 128};
    for (int i = 0; i < 3; ++i) {
      RECT place{lefts[i], 42, lefts[i] + 50, 56};
      MapDialogRect(dialog, &place);
      SetWindowPos(GetDlgItem(dialog, ids[i]), nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    break;
  }
  }
  if (m_Type == eDialogOKCancelEdit) {
    const HWND edit = GetDlgItem(dialog, kEditField);
    EnableWindow(edit, TRUE);
    SetFocus(edit);
  } else {
    HideControl(kEditField);
  }
  SetDlgItemTextA(dialog, kMessageText, m_Text);
}

void QVDialog::HideControl(int32_t id) { ShowWindow(GetDlgItem(m_Dialog, id), SW_HIDE); }

int32_t QVDialog::OnDialogControl(int32_t id)
{
  switch (id) {
  case IDOK:
    if (m_EditBuffer)
      GetDlgItemTextA(m_Dialog, kEditField, m_EditBuffer, kTextSize);
    m_Result = eHitOK;
    break;
  case IDCANCEL: m_Result = eHitCancel; break;
  case IDYES: m_Result = eHitYes; break;
  case IDNO: m_Result = eHitNo; break;
  default: return 0;
  }
  ::EndDialog(m_Dialog, 1);
  return 1;
}
