#pragma once
#include "qvcommon/qvdefs.h"

// The base of every framework window. So far only what the file dialogs
// need: the Windows handle of an owner window.
class QVCOMMON_API QVWindow {
public:
  virtual ~QVWindow() = default;
  virtual HWND GetWnd() const { return nullptr; }
};
