#include "prefswindow.h"

#include "popupframe.h"
#include "prefsrecord.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvmessage.h"
#include "qvcommon/qvpaintdevice.h"
#include "qvcommon/qvresourcefile.h"
#include "win32/dialogs.h"
#include "win32/messagebox.h"

namespace {

const char* const kOverwriteWarning =
    "This option will overwrite your files during Automatic mode!  Are you sure you wish to continue?";

QVRect LTWH(int32_t left, int32_t top, int32_t width, int32_t height)
{
  QVRect r;
  r.SetLTWH(left, top, width, height);
  return r;
}

// Placed by CreateControls.
const QVRect kInitialRect(0, 0, PrefsWindow::kWidth, PrefsWindow::kHeight);

QVResourceFile* ResourcesOf(QVWindow* parent) { return parent ? parent->GetResourceFile() : nullptr; }

} // namespace

PrefsWindow::PrefsWindow(QVWindow* parent, PrefsRecord* record)
    : QVWindow(&kInitialRect, "", eQVWindowStyleMenu, ResourcesOf(parent), parent, nullptr), m_Record(record)
{
}

PrefsWindow::~PrefsWindow()
{
  delete m_OK;
  delete m_Cancel;
  delete m_AutoSave;
  delete m_Spare;
  delete m_AutoDragDrop;
  delete m_AutoOverwrite;
}

void PrefsWindow::CreateControls()
{
  CentreOnParent(*this, kWidth, kHeight);
  QVResourceFile* resources = GetResourceFile();
  QVRect ok = LTWH(140, 110, 50, 26);
  m_OK = QVButton::CreateTextStringButton(this, ok, kOK, resources, "OK", false);
  QVRect cancel = LTWH(180, 110, 50, 26);
  m_Cancel = QVButton::CreateTextStringButton(this, cancel, kCancel, resources, "Cancel", false);

  const PrefsRecord defaults;
  const PrefsRecord& record = m_Record ? *m_Record : defaults;
  const struct {
    QVButton** box;
    int32_t command;
    const char* caption;
    int32_t top, width;
    uint32_t checked;
  } boxes[] = {{&m_AutoSave, kAutoSave, "Auto-Save", 35, 50, record.AutoSave},
               {&m_AutoDragDrop, kAutoDragDrop, "Automatic Drag & Drop", 60, 80, record.AutoDragDrop},
               {&m_AutoOverwrite, kAutoOverwrite, "Automatic Overwrite", 85, 80, record.AutoOverwrite}};
  QVColor black(0, 0, 0);
  for (const auto& b : boxes) {
    QVRect rect = LTWH(20, b.top, b.width, 26);
    QVButton* box = QVButton::CreateCheckBoxButton(this, rect, b.command, resources, 143, 142, 0);
    *b.box = box;
    if (!box)
      continue;
    box->SetControlFont(QVDevice::qvdArial, 15, true, false);
    box->SetTextOffset(20);
    box->SetTextAlignment(0);
    box->SetTextColor(black);
    // Sized to the caption in its font: the nominal widths would cut it.
    box->SetControlText(b.caption, 1, 0);
    box->SetCheck(b.checked != 0 ? 1 : 0);
  }

  m_Edit = CreateWindowExA(0, "EDIT", record.SaveNameExt, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 150, 40,
                           80, 20, GetWnd(), nullptr, GetModuleInstance(), nullptr);
  if (m_Edit) {
    ::SendMessageA(m_Edit, EM_LIMITTEXT, PrefsRecord::kPrefixLength, 0);
    ::EnableWindow(m_Edit, record.AutoSave != 0 ? TRUE : FALSE);
  }
  ShowWindow(eQVShowNormal);
  if (m_Parent)
    m_Parent->EnableWindow(0);
}

bool PrefsWindow::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  DrawPopupFrame(device, GetClientRect(), "Lumivex Preferences");
  return true;
}

bool PrefsWindow::HandleCommand(QVEvent& event)
{
  if (m_Closed)
    return true;
  switch (event.m_Command) {
  case kAutoSave:
    if (m_AutoSave && m_AutoSave->ButtonOn()) {
      if (m_Edit) {
        ::EnableWindow(m_Edit, TRUE);
        SetFocus(m_Edit);
      }
      if (m_AutoOverwrite)
        m_AutoOverwrite->SetCheck(0);
    } else if (m_Edit) {
      ::EnableWindow(m_Edit, FALSE);
    }
    return true;
  case kAutoOverwrite:
    if (m_AutoOverwrite && m_AutoOverwrite->ButtonOn()) {
      QVMessage warning(kOverwriteWarning, "Warning!", QVMessage::qvMessageYesNo);
      if (warning.result == IDNO)
        m_AutoOverwrite->SetCheck(0);
      // Either way Auto-Save goes off; the edit field stays as it was.
      if (m_AutoSave)
        m_AutoSave->SetCheck(0);
    }
    return true;
  case kOK:
    if (m_Record) {
      char prefix[PrefsRecord::kPrefixLength + 1] = "";
      if (m_Edit)
        GetWindowTextA(m_Edit, prefix, sizeof prefix);
      // Separators are dropped: the prefix must not lead out of a folder.
      m_Record->SetPrefix(prefix);
      m_Record->DrawBkg = 0;
      m_Record->AutoSave = m_AutoSave && m_AutoSave->ButtonOn() ? 1 : 0;
      m_Record->AutoDragDrop = m_AutoDragDrop && m_AutoDragDrop->ButtonOn() ? 1 : 0;
      m_Record->AutoOverwrite = m_AutoOverwrite && m_AutoOverwrite->ButtonOn() ? 1 : 0;
      m_Record->Save();
    }
    if (m_Parent)
      m_Parent->PostCommand(kPrefsChanged);
    Close();
    return true;
  case kCancel:
    if (m_Record)
      m_Record->Load();
    Close();
    return true;
  default: return QVWindow::HandleCommand(event);
  }
}

void PrefsWindow::Close()
{
  // The button whose release called in is still on the stack: the window
  // is deleted later, by the message loop.
  m_Closed = true;
  ClosePopup(*this);
}
