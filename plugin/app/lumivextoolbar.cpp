#include "lumivextoolbar.h"

#include "qvcommon/qvpaintdevice.h"
#include "shadowwindows.h"

LumivexToolbar::LumivexToolbar(QVRect& rect, QVResourceFile* resources, QVWindow* parent)
    : QVToolbar(parent, rect, resources)
{
  LoadBackgroundImage(kBackgroundPicture);
}

LumivexToolbar::~LumivexToolbar() = default;

bool LumivexToolbar::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  QVRect paint;
  device.GetPaintRect(paint);
  RenderBackgroundImage(&device, paint);
  // The side bar's shadow falls along this bar's left end.
  PaintShadowWindows(*this, device, paint, m_ShadowWindows, kShadowSlots, false, QVPoint(-30, -30));
  return true;
}

void LumivexToolbar::ProcessMenuEvent(QVEvent& event)
{
  if (m_Parent)
    m_Parent->HandleCommand(event);
}
