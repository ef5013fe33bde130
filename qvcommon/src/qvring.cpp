#include "qvcommon/qvring.h"

#include "qvcommon/qvpicture.h"
#include "qvcommon/qvresourcefile.h"

#include <cmath>
#include <new>

namespace {

// The framework's own ring, 81 x 81.
constexpr int32_t kDefaultRingPicture = 208;
constexpr int32_t kDefaultRadius = 24;

int32_t PictureWidth(const QVPicture* picture) { return picture ? picture->Width() : 0; }
int32_t PictureHeight(const QVPicture* picture) { return picture ? picture->Height() : 0; }

} // namespace

QVRing::QVRing(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage)
    : QVControl(parent, rect, resources, controlMessage)
{
}

QVRing* QVRing::CreateRingControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
                                  int32_t ringPictureId, int32_t radius, int32_t pictureOffset)
{
  QVRing* ring = new (std::nothrow) QVRing(parent, rect, resources, controlMessage);
  if (!ring)
    return nullptr;
  if (ringPictureId == 0) {
    // The ring comes from the framework's module, while the dial set later
    // still comes from the caller's resources.
    ring->LoadDefaultRing(pictureOffset);
    if (radius == 0)
      radius = kDefaultRadius;
  } else {
    ring->SetControlBitmap(ringPictureId, 0, 0, pictureOffset);
  }
  const int32_t width = PictureWidth(ring->m_Picture), height = PictureHeight(ring->m_Picture);
  if (radius == 0)
    radius = width / 2;
  ring->m_Radius = radius;
  ring->m_Centre.SetPoint(width / 2 - 1, height / 2 - 1);
  return ring;
}

bool QVRing::LoadDefaultRing(int32_t pictureOffset)
{
  m_PictureOffset = pictureOffset;
  delete m_Picture;
  m_Picture = nullptr;
  QVResourceFile* module = CreateModuleResourceFile();
  if (module)
    m_Picture = new (std::nothrow) QVPicture(kDefaultRingPicture, module);
  delete module;
  return m_Picture != nullptr;
}

QVRing::~QVRing()
{
  delete m_DialPicture;
  m_DialPicture = nullptr;
}

bool QVRing::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  CommonPaint(device);
  DrawRing(device);
  return true;
}

bool QVRing::HandleButtonDown(QVEvent& event)
{
  QVControl::HandleButtonDown(event);
  HandleMouseMove(event);
  return true;
}

bool QVRing::HandleButtonUp(QVEvent& event)
{
  QVControl::HandleButtonUp(event);
  SendControlMessage(m_Angle, nullptr);
  return true;
}

bool QVRing::HandleMouseMove(QVEvent& event)
{
  QVControl::HandleMouseMove(event);
  if (m_ButtonDown) {
    m_Angle = GetMouseRingAngle(event.m_Point);
    UpdateControl(false);
  }
  return true;
}

void QVRing::DrawRing(QVDevice& device)
{
  if (m_Picture)
    m_Picture->Draw(&device, m_PictureOffset, 0);
  if (m_DialPicture) {
    int32_t x = 0, y = 0;
    GetXYFromAngle(&x, &y);
    m_DialPicture->Draw(&device, x - m_DialPicture->Width() / 2, y - m_DialPicture->Height() / 2);
  }
  const QVRect client = GetClientRect();
  DrawCaption(device, client.Width() / 2, client.Height() - 20, QVColor(0, 0, 0), QVDevice::qvdCenter);
}

void QVRing::GetXYFromAngle(int32_t* x, int32_t* y)
{
  const double r = m_Angle * 3.14159 / 180;
  if (x)
    *x = m_PictureOffset + m_Centre.X() + int32_t(std::trunc(m_Radius * std::cos(r) + 0.5));
  if (y)
    *y = m_Centre.Y() - int32_t(std::trunc(m_Radius * std::sin(r) + 0.5)) + 1;
}

int16_t QVRing::GetMouseRingAngle(QVPoint point)
{
  const QVRect client = GetClientRect();
  if (client.Width() <= 0 || client.Height() <= 0)
    return int16_t(m_Angle);
  const int64_t width = PictureWidth(m_Picture), height = PictureHeight(m_Picture);
  // Into ring-picture pixels, then seen from 8 px above the middle, y up.
  const int64_t x = point.X() * width / client.Width();
  const int64_t y = point.Y() * height / client.Height();
  const double dx = double(x - width / 2);
  const double dy = double(height / 2 - y - 8);
  if (dx == 0)
    return dy > 0 ? 90 : 270;
  double a = std::atan2(dy, dx) * 360 / 6.28318;
  while (a < 0)
    a += 360;
  while (a > 359)
    a -= 360;
  return int16_t(a);
}

bool QVRing::SetDialBitmap(int32_t id)
{
  delete m_DialPicture;
  m_DialPicture = new (std::nothrow) QVPicture(id, m_ResourceFile);
  m_Radius = PictureWidth(m_Picture) / 2 - PictureWidth(m_DialPicture) / 2 - 12;
  return true;
}

void QVRing::SetRingAngle(int32_t angle) { m_Angle = angle; }
