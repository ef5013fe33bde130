#pragma once
#include "qvcommon/qvwindow.h"

// A framework dialog (window type 9: a captioned, topmost popup with a
// system menu) that runs its own modal loop. Derived dialogs override
// HandleCommand and call EndDialog for their closing commands.
class QVCOMMON_API QVCommonDialog : public QVWindow {
public:
  QVCommonDialog(const QVRect* rect, const char* title, QVResourceFile* resources, QVWindow* parent);
  ~QVCommonDialog() override;

  // Ends the dialog on any command. True.
  bool HandleCommand(QVEvent& event) override;
  // Both end the dialog and repaint it, leaving the window alive: the
  // owner deletes the dialog afterwards. True.
  bool HandleDestroyEvent(QVEvent& event) override;
  bool HandleCloseEvent(QVEvent& event) override;

  // Shows the dialog and runs the loop until EndDialog or WM_QUIT (which is
  // consumed). Messages for windows outside the dialog are dropped, except
  // WM_PAINT; the end flag is tested when a message is taken (that message
  // is dropped) and after each dispatch.
  virtual void DoDialog();

protected:
  virtual void EndDialog();

  bool m_EndFlag = false;
};
