#include "qvcommon/qvmenuitem.h"

#include "qvcommon/qvmenu.h"

QVMenuItem::QVMenuItem(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage, int32_t index,
                       bool separator)
    : QVButton(parent, rect, resources, controlMessage)
{
  m_ItemIndex = index;
  m_Separator = separator;
  if (!separator)
    m_TextAlignment = 0;
  m_Menu = nullptr;
  m_Selected = 0;
}

QVMenuItem::~QVMenuItem() = default;

int32_t QVMenuItem::GetItemNum() { return m_ItemIndex; }
void QVMenuItem::SetItemMenu(QVMenu* menu) { m_Menu = menu; }

void QVMenuItem::SetSelected(int32_t on)
{
  QVColor colour = on ? QVColor(249, 229, 0) : QVColor(255, 255, 255);
  SetTextColor(colour);
  m_Selected = on;
}

bool QVMenuItem::HandleButtonUp(QVEvent& event)
{
  if (m_MouseInside && !m_Separator && m_Menu)
    m_Menu->ItemHit(this);
  if (m_Parent)
    m_Parent->HideWindow();
  ExecuteButtonUp(event, m_ItemIndex);
  return true;
}

bool QVMenuItem::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  CommonPaint(device);
  DrawButton(device);
  if (m_Separator) {
    const int32_t right = GetClientRect().Right();
    const QVColor grey(128, 128, 128), white(255, 255, 255);
    device.SetDevicePen(1, &grey);
    device.DeviceMovePenTo(0, 11);
    device.DeviceLineTo(right, 11);
    device.SetDevicePen(1, &white);
    device.DeviceMovePenTo(0, 12);
    device.DeviceLineTo(right, 12);
    device.DestroyPen();
  }
  return true;
}
