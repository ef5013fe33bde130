#pragma once
// The preferences popup: three check boxes ("Auto-Save", "Automatic Drag &
// Drop", "Automatic Overwrite"), the prefix of automatically saved names and
// OK and Cancel, editing a PrefsRecord that the application object owns.
// While it is open its parent window is disabled. It closes itself: OK and
// Cancel hide it, enable the parent again and post its deferred delete
// (a thread WM_NULL carrying the window), which the application's message
// loop (AppShell::MessageLoop) carries out once.
#include "qvcommon/qvwindow.h"

class QVButton;
struct PrefsRecord;

class PrefsWindow : public QVWindow {
public:
  enum : int32_t {
    kOK = 1,
    kCancel = 2,
    kAutoSave = 16050,
    kAutoDragDrop = 16052,
    kAutoOverwrite = 16053,
    kPrefsChanged = 16033, // posted to the parent after OK
  };
  enum { kWidth = 250, kHeight = 147 };

  // A hidden popup (window type 7) of the parent, with the parent's
  // resource file; CreateControls builds and shows it.
  PrefsWindow(QVWindow* parent, PrefsRecord* record);
  // Deletes the buttons and check boxes; the edit field goes with the
  // window.
  ~PrefsWindow() override;

  // The frame, a raised edge and the title "Lumivex Preferences". True.
  bool HandlePaint(QVEvent& event) override;
  // The check boxes' interplay, OK and Cancel; any other command goes to
  // the base. Commands after OK or Cancel are ignored.
  bool HandleCommand(QVEvent& event) override;

  // ---- New virtual operations ----
  // Centres the 250 x 147 window on the parent, builds the controls from
  // the record, shows the window and disables the parent.
  virtual void CreateControls();

  HWND EditWindow() const { return m_Edit; }

private:
  // Hides the window, enables the parent and posts the deferred delete.
  void Close();

protected:
  QVButton* m_OK = nullptr;
  QVButton* m_Cancel = nullptr;
  QVButton* m_AutoSave = nullptr;
  QVButton* m_Spare = nullptr; // always null
  QVButton* m_AutoDragDrop = nullptr;
  QVButton* m_AutoOverwrite = nullptr;
  PrefsRecord* m_Record = nullptr;
  HWND m_Edit = nullptr;
  bool m_Closed = false;
};
