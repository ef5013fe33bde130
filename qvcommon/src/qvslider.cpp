#include "qvcommon/qvslider.h"

#include "qvcommon/qvpicture.h"
#include "qvnumeric.h"
#include "win32/drawing.h"
#include "win32/gdi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

QVSlider::QVSlider(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage, int32_t inset,
                   int32_t trackPictureId, int32_t thumbPictureId, QVResourceFile* pictureResources, int32_t minimum,
                   int32_t maximum, int32_t step, int32_t value, int32_t vertical)
    : QVControl(parent, rect, resources, controlMessage)
{
  m_Minimum = minimum;
  m_Maximum = maximum;
  m_Step = step;
  m_Value = value;
  m_InsetX = m_InsetY = inset;
  m_Vertical = vertical;
  QVResourceFile* pictures = pictureResources ? pictureResources : m_ResourceFile;
  m_TrackPicture = new (std::nothrow) QVPicture(trackPictureId, pictures);
  m_ThumbPicture = new (std::nothrow) QVPicture(thumbPictureId, pictures);
  // A thumb that did not load has no size.
  const int32_t thumbWidth = m_ThumbPicture ? m_ThumbPicture->Width() : 0;
  const int32_t thumbHeight = m_ThumbPicture ? m_ThumbPicture->Height() : 0;
  m_TrackLengthX = qvnumeric::Saturate(int64_t{rect.Width()} - inset - 20);
  m_TrackLengthY = qvnumeric::Saturate(int64_t{rect.Height()} - inset - 20);
  m_RangeX = qvnumeric::Saturate(int64_t{m_TrackLengthX} - thumbWidth);
  m_RangeY = qvnumeric::Saturate(int64_t{m_TrackLengthY} - thumbHeight);
  SetPosition(GetPosFromValue());
}

QVSlider::~QVSlider()
{
  delete m_TrackPicture;
  delete m_ThumbPicture;
  m_TrackPicture = m_ThumbPicture = nullptr;
}

QVSlider* QVSlider::CreateHorzSlider(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
                                     int32_t inset, int32_t trackPictureId, int32_t thumbPictureId,
                                     QVResourceFile* pictureResources, int32_t minimum, int32_t maximum, int32_t step,
                                     int32_t value)
{
  return new (std::nothrow) QVSlider(parent, rect, resources, controlMessage, inset, trackPictureId, thumbPictureId,
                                     pictureResources, minimum, maximum, step, value, 0);
}

QVSlider* QVSlider::CreateVertSlider(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
                                     int32_t inset, int32_t trackPictureId, int32_t thumbPictureId,
                                     QVResourceFile* pictureResources, int32_t minimum, int32_t maximum, int32_t step,
                                     int32_t value)
{
  return new (std::nothrow) QVSlider(parent, rect, resources, controlMessage, inset, trackPictureId, thumbPictureId,
                                     pictureResources, minimum, maximum, step, value, 1);
}

// ---- Mapping ---------------------------------------------------------------------------

int32_t QVSlider::GetPosFromValue() const
{
  const int32_t range = Range();
  if (range <= 0)
    return Inset();
  const double span = double(m_Maximum) - double(m_Minimum);
  const double f = span == 0 ? 0.0 : (double(m_Value) - double(m_Minimum)) / span;
  return qvnumeric::Trunc(std::trunc(range * f) + Inset());
}

int32_t QVSlider::GetValueFromPos() const
{
  if (m_LeftOff && m_Position == 0)
    return m_OffValue;
  const int32_t range = Range();
  if (range <= 0)
    return m_Minimum;
  const double f = (double(m_Position) - double(Inset())) / range;
  return qvnumeric::Trunc(std::trunc(f * (double(m_Maximum) - double(m_Minimum))) + m_Minimum);
}

void QVSlider::SetPosition(int32_t position)
{
  const int64_t low = Inset(), high = low + std::max(Range(), 0);
  m_Position = int32_t(std::clamp<int64_t>(position, low, high));
}

void QVSlider::SetValue(int32_t value)
{
  m_Value = value;
  SetPosition(GetPosFromValue());
  InvalWindow(nullptr, 1);
}

bool QVSlider::PointOnPos(QVPoint& point)
{
  const int64_t along = m_Vertical ? point.Y() : point.X(), across = m_Vertical ? point.X() : point.Y();
  return along >= m_Position && along <= int64_t{m_Position} + 7 && across >= 0 && across <= 14;
}

void QVSlider::Enable(bool enabled)
{
  m_Enabled = enabled;
  if (!enabled && m_Dragging) {
    m_Dragging = false;
    if (::GetCapture() == m_hWnd)
      ReleaseCapture();
  }
  InvalWindow(nullptr, 1);
}

// ---- Mouse ------------------------------------------------------------------------------

void QVSlider::Follow(QVEvent& event)
{
  SetPosition(m_Vertical ? event.m_Point.Y() : event.m_Point.X());
  m_Value = GetValueFromPos();
}

bool QVSlider::HandleButtonDown(QVEvent& event)
{
  if (!m_Enabled)
    return true;
  m_Dragging = true;
  SetCapture();
  Follow(event);
  InvalWindow(nullptr, 1);
  return true;
}

bool QVSlider::HandleMouseMove(QVEvent& event)
{
  if (!m_Enabled || !m_Dragging)
    return true;
  Follow(event);
  InvalWindow(nullptr, 1);
  return true;
}

bool QVSlider::HandleButtonUp(QVEvent& event)
{
  if (!m_Enabled)
    return true;
  if (m_Dragging) {
    Follow(event);
    m_Dragging = false;
    ReleaseCapture();
    InvalWindow(nullptr, 1);
  }
  // Last: the receiver may delete the slider.
  SendControlMessage(GetValueFromPos(), nullptr);
  return true;
}

// ---- Painting ----------------------------------------------------------------------------

bool QVSlider::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  CommonPaint(device);
  const QVRect window = GetWindowRect();
  // Across: the window's extent across the track (its height for a
  // horizontal slider); every place below is (along, across), swapped into
  // (x, y) when vertical.
  const int32_t across = m_Vertical ? window.Width() : window.Height();
  const auto place = [this](int32_t along, int32_t acrossAt) {
    return m_Vertical ? QVPoint(acrossAt, along) : QVPoint(along, acrossAt);
  };
  const int32_t inset = Inset(), track = TrackLength();
  if (m_TrackPicture && track > 0) {
    const int32_t pictureAcross = m_Vertical ? m_TrackPicture->Width() : m_TrackPicture->Height();
    const QVPoint corner = place(inset, across / 2 - pictureAcross / 2);
    QVRect strip;
    strip.SetLTWH(corner.X(), corner.Y(), m_Vertical ? 4 : track, m_Vertical ? track : 4);
    m_TrackPicture->Draw(&device, strip);
  }
  if (m_CentreMark) {
    const QVColor grey(128, 128, 128);
    device.SetDevicePen(1, &grey);
    const int32_t length = 2 * (m_TrackPicture ? (m_Vertical ? m_TrackPicture->Width() : m_TrackPicture->Height()) : 0);
    for (int32_t line = 0; line < 2; ++line) {
      const int32_t at = inset + track / 2 - 1 + line;
      const QVPoint from = place(at, 10), to = place(at, 10 + length);
      device.DeviceMovePenTo(from.X(), from.Y());
      device.DeviceLineTo(to.X(), to.Y());
    }
    device.DestroyPen();
  }
  if (m_Enabled && m_ThumbPicture) {
    const int64_t travel = std::max(Range(), 0);
    const int32_t at = int32_t(std::clamp<int64_t>(GetPosFromValue(), inset, inset + travel));
    const int32_t thumbAcross = m_Vertical ? m_ThumbPicture->Width() : m_ThumbPicture->Height();
    const QVPoint corner = place(at, across / 2 - thumbAcross / 2 - 1);
    m_ThumbPicture->Draw(&device, corner.X(), corner.Y());
  }
  const QVColor white(255, 255, 255);
  device.SetBkMode(TRANSPARENT);
  device.SetTextColor(white);
  if (m_Text[0]) {
    ApplyControlFont(device);
    device.SetTextAlign(QVDevice::qvdLeft);
    device.TextOutA(m_Vertical ? 2 : 0, m_Vertical ? 0 : 2, m_Text, int32_t(std::strlen(m_Text)));
    device.RestoreTextAlign();
  }
  if (m_ShowValue) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", int(m_Value));
    device.SetFontFace(QVDevice::qvdArial, 13, false, false);
    const int32_t end = qvnumeric::Saturate(int64_t{inset} + track + 4);
    device.SetTextAlign(m_Vertical ? QVDevice::qvdCenter : QVDevice::qvdLeft);
    const int32_t length = int32_t(std::strlen(digits));
    if (m_Vertical) {
      device.TextOutA(across / 2, end, digits, length);
    } else {
      // Beside the end of the track, or as much further left as it takes
      // to end inside the control (a wide value must not be cut off).
      SIZE size{};
      GetTextExtentPoint32A(device.GetDevice(), digits, length, &size);
      const int32_t x = int32_t(std::min<int64_t>(end, int64_t{window.Width()} - size.cx));
      device.TextOutA(x, (across - 13) / 2, digits, length);
    }
    device.RestoreTextAlign();
  }
  device.RestoreBkMode();
  device.RestoreTextColor();
  return true;
}
