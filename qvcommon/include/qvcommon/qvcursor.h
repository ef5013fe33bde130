#pragma once
#include "qvcommon/qvresourcefile.h"

// A mouse cursor: a system cursor or a module's cursor resource.
class QVCOMMON_API QVCursor {
public:
  // A system cursor (IDC_ARROW 32512, IDC_WAIT 32514, ...).
  explicit QVCursor(int32_t id);
  QVCursor(const QVResourceFile& file, int32_t id);
  QVCursor(const QVCursor&) = delete;
  QVCursor& operator=(const QVCursor&) = delete;
  virtual ~QVCursor();

  // Makes it the current cursor; nothing when it did not load.
  virtual void SetCursor();
  virtual void Initialize();

  static void SetCursorArrow();
  static void SetCursorBusy();

protected:
  HCURSOR cursor = nullptr;
};
