#include "qvsliderpicture.h"

#include "lumivexutils.h"
#include "qvcommon/qvpicture.h"

#include <algorithm>
#include <cstdlib>
#include <new>

QVSliderPicture::QVSliderPicture(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t trackPictureId,
                                 int32_t thumbPictureId, int32_t controlMessage)
    : QVControl(parent, rect, resources, controlMessage)
{
  m_Track = new (std::nothrow) QVPicture(trackPictureId, m_ResourceFile);
  m_Thumb = new (std::nothrow) QVPicture(thumbPictureId, m_ResourceFile);
}

QVSliderPicture::~QVSliderPicture()
{
  delete m_Track;
  m_Track = nullptr;
  delete m_Thumb;
  m_Thumb = nullptr;
}

int32_t QVSliderPicture::PictureWidth(const QVPicture* picture) const
{
  return picture && picture->ValidPicture() ? picture->Width() : 0;
}

int32_t QVSliderPicture::TrackLength() const { return std::max(0, PictureWidth(m_Track) - PictureWidth(m_Thumb) - 1); }

int32_t QVSliderPicture::PositionForPointer(int32_t x) const
{
  const int32_t length = TrackLength();
  const int32_t position = std::clamp(x - PictureWidth(m_Thumb) / 2, 0, length);
  if (m_SnapSteps < 1)
    return position;
  const int32_t step = LumivexUtils::MapRange(position, 0, length, 0, m_SnapSteps - 1);
  return LumivexUtils::MapRange(step, 0, m_SnapSteps - 1, 0, length);
}

int32_t QVSliderPicture::GetValue() const { return LumivexUtils::MapRange(m_ThumbPosition, 0, TrackLength(), 0, 100); }

void QVSliderPicture::SetCentreDetent(int32_t pixels) { m_CentreDetent = std::max(0, pixels); }
void QVSliderPicture::SetSnapSteps(int32_t steps) { m_SnapSteps = std::max(0, steps); }

bool QVSliderPicture::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  if (m_Track && m_Track->ValidPicture())
    m_Track->Draw(&device, 0, 0);
  if (m_Thumb && m_Thumb->ValidPicture())
    m_Thumb->Draw(&device, m_ThumbPosition, 0);
  return true;
}

bool QVSliderPicture::HandleButtonDown(QVEvent& event)
{
  SetCapture();
  m_Dragging = true;
  m_ThumbPosition = PositionForPointer(event.m_Point.X());
  // Erased, so that the thumb leaves nothing where it was.
  UpdateControl(true);
  return true;
}

bool QVSliderPicture::HandleMouseMove(QVEvent& event)
{
  if (!m_Dragging)
    return true;
  int32_t x = event.m_Point.X();
  const int32_t centre = PictureWidth(m_Track) / 2 - 1;
  if (m_SnapSteps < 1 && std::abs(int64_t{centre} - x) <= m_CentreDetent)
    x = centre;
  m_ThumbPosition = PositionForPointer(x);
  UpdateControl(true);
  return true;
}

bool QVSliderPicture::HandleButtonUp(QVEvent&)
{
  ReleaseCapture();
  m_Dragging = false;
  SendControlMessage(GetValue(), nullptr);
  return true;
}
