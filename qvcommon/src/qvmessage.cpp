#include "qvcommon/qvmessage.h"

#include "win32/messagebox.h"

QVMessage::QVMessage(const char* text, const char* caption, qvMessageType type)
{
  UINT buttons = MB_OK;
  if (type == qvMessageYesNo)
    buttons = MB_YESNO;
  else if (type == qvMessageYesNoCancel)
    buttons = MB_YESNOCANCEL;
  result = MessageBoxA(nullptr, text, caption, buttons | MB_ICONINFORMATION | MB_TOPMOST);
}

QVMessage::~QVMessage() = default;
