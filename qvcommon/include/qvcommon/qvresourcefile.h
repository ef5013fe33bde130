#pragma once
#include "qvcommon/qvdefs.h"

// The module whose resources (strings, pictures, cursors, dialogs) are
// loaded by id.
class QVCOMMON_API QVResourceFile {
public:
  QVResourceFile();
  explicit QVResourceFile(HINSTANCE module);
  virtual ~QVResourceFile();

  // 0 when the string was copied (truncated to size - 1 characters); -1
  // without a module, for a size of 0 or less, or when the string is missing
  // (the buffer is then untouched).
  virtual int16_t LoadStringA(int32_t id, char* buffer, int16_t size);
  virtual HINSTANCE GetResFile() const;
  virtual void SetResFile(HINSTANCE module);
  virtual void Initialize();

protected:
  HINSTANCE module = nullptr;
};

// The module instance global (null until set).
QVCOMMON_API void SetHostInstance(HINSTANCE instance);
QVCOMMON_API HINSTANCE GetHostInstance();
// The load base of the library holding the framework's code; null when it
// cannot be found.
QVCOMMON_API HINSTANCE GetModuleInstance();
// A new resource file on GetModuleInstance (); the caller owns it. Null when
// it cannot be allocated.
QVCOMMON_API QVResourceFile* CreateModuleResourceFile();
