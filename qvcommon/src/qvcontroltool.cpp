#include "qvcommon/qvcontroltool.h"

QVControlTool::QVControlTool(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage)
    : QVButton(parent, rect, resources, controlMessage)
{
}

bool QVControlTool::HandleButtonDown(QVEvent& event)
{
  QVControl::HandleButtonDown(event);
  if (QVWindow* parent = m_Parent)
    ::SendMessageA(parent->GetWnd(), WM_COMMAND, WPARAM(kToolCommand), reinterpret_cast<LPARAM>(parent));
  return true;
}
