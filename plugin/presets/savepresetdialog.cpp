#include "savepresetdialog.h"

#include "presetstore.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvresourcefile.h"
#include "win32/dialogs.h"

#include <new>

namespace {

const QVRect kDialogRect(100, 100, 300, 225);

// Bold Arial 15, as the buttons' captions are drawn.
void CaptionFont(QVButton* button, const char* text)
{
  if (!button)
    return;
  button->SetControlFont(QVDevice::qvdArial, 15, true, false);
  // Measured again in the font just set, so the caption is not clipped.
  button->SetControlText(text, 1, 0);
}

QVRect LTWH(int32_t left, int32_t top, int32_t width, int32_t height)
{
  QVRect r;
  r.SetLTWH(left, top, width, height);
  return r;
}

} // namespace

SavePresetDialog::SavePresetDialog(QVResourceFile* resources, QVWindow* owner, bool duplicateFirst)
    : QVCommonDialog(&kDialogRect, "Save Preset", resources, owner), m_DuplicateFirst(duplicateFirst)
{
  QVRect label(25, 5, 100, 25);
  m_Label = new (std::nothrow) QVButton(this, label, resources, 0);
  if (m_Label) {
    m_Label->SetFlatButton();
    QVColor black(0, 0, 0);
    m_Label->SetTextColor(black);
    m_Label->SetTextAlignment(0);
    // Sized to its caption: the nominal 75 pixels would cut it.
    m_Label->SetControlText("Name your preset.", 1, 0);
  }
  m_Edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 5, 40, 175, 20, GetWnd(),
                           nullptr, GetModuleInstance(), nullptr);
  if (m_Edit)
    ::SendMessageA(m_Edit, EM_LIMITTEXT, presetstore::kNameSize - 1, 0);
  QVRect ok = LTWH(50, 70, 25, 25);
  m_OK = QVButton::CreateTextStringButton(this, ok, kOK, resources, "OK", false);
  CaptionFont(m_OK, "OK");
  QVRect cancel = LTWH(80, 70, 50, 25);
  m_Cancel = QVButton::CreateTextStringButton(this, cancel, kCancel, resources, "Cancel", false);
  CaptionFont(m_Cancel, "Cancel");
}

SavePresetDialog::~SavePresetDialog()
{
  delete m_Label;
  delete m_OK;
  delete m_Cancel;
  if (m_Edit)
    DestroyWindow(m_Edit);
}

bool SavePresetDialog::HandleCommand(QVEvent& event)
{
  // The whole command is compared: the edit field's notifications carry
  // their code in the high word.
  if (event.m_Command == WPARAM(kOK)) {
    m_Accepted = true;
    EndDialog();
  } else if (event.m_Command == WPARAM(kCancel)) {
    EndDialog();
  }
  return true;
}

bool SavePresetDialog::Run(char* name, size_t size)
{
  if (m_DuplicateFirst)
    presetstore::ShowMessage(presetstore::kDuplicateMessage);
  ShowWindow(eQVShowNormal);
  if (m_Edit)
    SetFocus(m_Edit);
  DoDialog();
  if (name && size > 0) {
    name[0] = '\0';
    if (m_Edit)
      GetWindowTextA(m_Edit, name, static_cast<int>(size < presetstore::kNameSize ? size : presetstore::kNameSize));
  }
  return m_Accepted;
}
