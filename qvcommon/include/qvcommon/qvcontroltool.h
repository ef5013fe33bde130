#pragma once
#include "qvcommon/qvbutton.h"

// A tool button that reports on button-down rather than on release: it
// sends WM_COMMAND (1000, the parent object's address) to its parent.
class QVCOMMON_API QVControlTool : public QVButton {
public:
  enum { kToolCommand = 1000 };

  QVControlTool(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage);

protected:
  // The control's press handling, then the synchronous WM_COMMAND to the
  // parent's window with the whole parent pointer as lParam (nothing
  // without a parent), touching nothing of the button after it. True.
  bool HandleButtonDown(QVEvent& event) override;
};
