#include "qvcommon/qvlevelcontrol.h"

#include "qvcommon/qvpicture.h"
#include "win32/drawing.h"

#include <algorithm>
#include <new>

namespace {

// The design grid the knob size is given in.
constexpr int64_t kGridWidth = 61;
constexpr int64_t kGridHeight = 26;
// A stored point is displayed this far right and down.
constexpr int32_t kShiftX = 4;
constexpr int32_t kShiftY = 10;
constexpr int32_t kLowestY = 45;

} // namespace

QVLevelControl::QVLevelControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage)
    : QVControl(parent, rect, resources, controlMessage)
{
  QVLevelControl::Initialize();
}

QVLevelControl* QVLevelControl::CreateLevelControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources,
                                                   int32_t controlMessage, int32_t pictureId, int32_t pictureOffset)
{
  QVLevelControl* control = new (std::nothrow) QVLevelControl(parent, rect, resources, controlMessage);
  if (!control)
    return nullptr;
  control->SetControlBitmap(pictureId, 0, 0, pictureOffset);
  control->SetDefaultPoints();
  return control;
}

QVLevelControl::~QVLevelControl()
{
  delete m_KnobPicture;
  m_KnobPicture = nullptr;
}

void QVLevelControl::Initialize()
{
  m_DraggedPoint = -1;
  SetDefaultPoints();
  delete m_KnobPicture;
  m_KnobPicture = nullptr;
}

bool QVLevelControl::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  QVRect client = GetClientRect();
  RenderBackgroundImage(&device, client);
  DrawLevelControl(device);
  return true;
}

bool QVLevelControl::HandleButtonDown(QVEvent& event)
{
  m_DraggedPoint = -1;
  for (int32_t i = 0; i < kPointCount; ++i) {
    QVRect knob;
    GetKnobRectByIndex(i, knob);
    if (knob.PtInRect(event.m_Point)) {
      SetCapture();
      m_DraggedPoint = i;
      break;
    }
  }
  return true;
}

bool QVLevelControl::HandleButtonUp(QVEvent&)
{
  const bool dragging = m_DraggedPoint != -1;
  // Cleared before the notification: the receiver may delete this control.
  m_DraggedPoint = -1;
  if (dragging) {
    ReleaseCapture();
    UpdateControl(false);
    SendControlMessage(LPARAM(this), nullptr);
  }
  return true;
}

bool QVLevelControl::HandleMouseMove(QVEvent& event)
{
  if (m_DraggedPoint < 0 || m_DraggedPoint >= kPointCount)
    return true;
  const int32_t pointerY = event.m_Point.Y();
  int32_t y = 0;
  if (pointerY >= kShiftY && pointerY <= 50000)
    y = std::min(pointerY - kShiftY, kLowestY);
  m_Points[m_DraggedPoint].SetY(y);
  UpdateControl(false);
  return true;
}

void QVLevelControl::OnMouseEnter(QVPoint&) {}
void QVLevelControl::OnMouseLeave(QVPoint&) {}

void QVLevelControl::SetPoints(const QVPoint* points)
{
  if (!points)
    return;
  for (int32_t i = 0; i < kPointCount; ++i)
    m_Points[i].SetPoint(points[i].X(), points[i].Y());
}

void QVLevelControl::GetPoints(QVPoint* points)
{
  if (!points)
    return;
  for (int32_t i = 0; i < kPointCount; ++i)
    points[i].SetPoint(m_Points[i].X(), m_Points[i].Y());
}

void QVLevelControl::SetLevelPoints(const QVPoint* points) { SetPoints(points); }

void QVLevelControl::DrawLevelControl(QVDevice& device)
{
  if (!m_Picture || !m_Picture->ValidPicture())
    return;
  m_Picture->Draw(&device, m_PictureOffset, 0);
  POINT curve[kPointCount];
  for (int32_t i = 0; i < kPointCount; ++i) {
    QVPoint p;
    GetPointByIndex(i, p);
    curve[i] = POINT{p.X(), p.Y()};
  }
  device.SetDevicePen(1, nullptr);
  ::PolyBezier(device.GetDevice(), curve, kPointCount);
  device.DestroyPen();
  if (m_KnobPicture && m_KnobPicture->ValidPicture())
    for (const POINT& p : curve)
      m_KnobPicture->Draw(&device, p.x - m_KnobPicture->Width() / 2, p.y - m_KnobPicture->Height() / 2);
  DrawCaption(device, m_Width / 2, m_Height - 20, QVColor(0, 0, 0), QVDevice::qvdCenter);
}

bool QVLevelControl::SetLevelBitmap(int32_t pictureId)
{
  delete m_KnobPicture;
  m_KnobPicture = new (std::nothrow) QVPicture(pictureId, m_ResourceFile);
  return true;
}

void QVLevelControl::GetKnobRectByIndex(int32_t index, QVRect& out)
{
  QVPoint p;
  if (index < 0 || index >= kPointCount)
    return;
  GetPointByIndex(index, p);
  const int32_t w = ScaleToWidth(6), h = ScaleToHeight(6);
  const int32_t left = p.X() - w / 2, top = p.Y() - h / 2;
  out.SetLTRB(left, top, left + w, top + h);
}

void QVLevelControl::GetPointByIndex(int32_t index, QVPoint& out)
{
  if (index < 0 || index >= kPointCount)
    return;
  out.SetPoint(m_Points[index].X() + kShiftX, m_Points[index].Y() + kShiftY);
}

void QVLevelControl::SetDefaultPoints()
{
  const int32_t o = m_PictureOffset;
  const int32_t xs[kPointCount] = {7, 21, 36, 50};
  for (int32_t i = 0; i < kPointCount; ++i)
    m_Points[i].SetPoint(o + xs[i], 0);
}

int32_t QVLevelControl::ScaleToWidth(int32_t value)
{
  return int32_t(GetClientRect().Width() * int64_t{value} / kGridWidth);
}
int32_t QVLevelControl::ScaleToHeight(int32_t value)
{
  return int32_t(GetClientRect().Height() * int64_t{value} / kGridHeight);
}

int32_t QVLevelControl::ScaleFromWidth(int32_t value)
{
  const int64_t width = GetClientRect().Width();
  return width ? int32_t(value * kGridWidth / width) : 0;
}

int32_t QVLevelControl::ScaleFromHeight(int32_t value)
{
  const int64_t height = GetClientRect().Height();
  return height ? int32_t(value * kGridHeight / height) : 0;
}
