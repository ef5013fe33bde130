#include "qvcommon/qvlistview.h"

#include "qvcommon/qvdevice.h"

QVListView::QVListView(QVWindow* parent, QVRect& rect, QVResourceFile* resources)
    : QVWindow(&rect, nullptr, eQVWindowStyleClientEdge, resources, parent, nullptr)
{
}

QVListView::~QVListView() = default;

void QVListView::SetSunken() { m_Sunken = true; }

bool QVListView::HandlePaint(QVEvent& event)
{
  QVWindow::HandlePaint(event);
  if (!m_Sunken)
    return true;
  const QVRect client = GetClientRect();
  const int32_t right = client.Right(), bottom = client.Bottom();
  QVDevice device(this);
  const QVColor black(0, 0, 0), white(255, 255, 255);
  device.SetDevicePen(1, &black);
  device.DeviceMovePenTo(0, 0);
  device.DeviceLineTo(0, bottom);
  device.DeviceMovePenTo(0, 0);
  device.DeviceLineTo(right, 0);
  device.SetDevicePen(1, &white);
  device.DeviceMovePenTo(right, 1);
  device.DeviceLineTo(right, bottom);
  device.DeviceLineTo(0, bottom);
  return true;
}
