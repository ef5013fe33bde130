#pragma once
#include "qvcommon/qvdefs.h"

// The framework's message box: shown at once by the constructor; result
// holds the id of the button that closed it (IDOK, IDCANCEL, IDYES, IDNO).
class QVCOMMON_API QVMessage {
public:
  enum qvMessageType : int32_t {
    qvMessageOK = 0,
    qvMessageYesNo = 1,
    qvMessageYesNoCancel = 2,
  };

  // Any other type shows an OK button.
  QVMessage(const char* text, const char* caption, qvMessageType type);
  virtual ~QVMessage();

  int result = 0;
};
