#pragma once
// The "Save Preset" dialog: asks for a preset's name with a label, an edit
// field and OK and Cancel buttons. It lives on the caller's stack for one
// modal run.
#include "qvcommon/qvcommondialog.h"

#include <cstddef>

class QVButton;

class SavePresetDialog : public QVCommonDialog {
public:
  enum : int32_t {
    kOK = 802,
    kCancel = 803,
  };

  // The dialog at (100, 100, 300, 225) in screen coordinates, owned by
  // `owner` (may be null), with the controls loaded from `resources`. With
  // duplicateFirst the duplicate-name message is shown before the dialog
  // opens.
  SavePresetDialog(QVResourceFile* resources, QVWindow* owner, bool duplicateFirst);
  // Deletes the label and the two buttons and destroys the edit field.
  ~SavePresetDialog() override;

  // OK (802) accepts and ends the dialog, Cancel (803) ends it; every other
  // command, the edit field's notifications included, is ignored. True.
  bool HandleCommand(QVEvent& event) override;

  // Shows the message when asked, runs the dialog with the focus in the
  // edit field, then copies the field's text (at most size - 1 characters
  // and a terminator) into the buffer. True when OK was pressed; the buffer
  // is filled either way (when one is given).
  bool Run(char* name, size_t size);

  // The edit field (null when it could not be made).
  HWND EditWindow() const { return m_Edit; }

protected:
  QVButton* m_Label = nullptr;
  QVButton* m_OK = nullptr;
  QVButton* m_Cancel = nullptr;
  HWND m_Edit = nullptr;
  bool m_Accepted = false;
  bool m_DuplicateFirst = false;
};
