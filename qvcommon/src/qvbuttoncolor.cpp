#include "qvcommon/qvbuttoncolor.h"

QVButtonColor::QVButtonColor(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage)
    : QVButton(parent, rect, resources, controlMessage)
{
  m_TextAlignment = 0;
}

bool QVButtonColor::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  const QVRect client = GetClientRect();
  const QVColor grey(187, 187, 187);
  device.SetDeviceBrush(&grey);
  device.PaintRect(client);
  QVRect swatch(client);
  swatch.SetLeft(client.Right() - client.Height());
  device.SetDeviceBrush(&m_Color);
  device.PaintRect(swatch);
  device.DestroyBrush();
  DrawStateFrame(device, false);
  RenderText(device);
  return true;
}
