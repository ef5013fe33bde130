#include "qvcommon/qvprogressbar.h"

#include "qvnumeric.h"

#include <algorithm>

namespace {

// The rectangle of a bar made without one; the control only reads it.
QVRect g_noRect;

} // namespace

QVProgressBar::QVProgressBar(QVWindow* parent, QVRect* rect, const char*, QVRect* barRect, int32_t total,
                             int32_t increment)
    : QVControl(parent, rect ? *rect : g_noRect, nullptr, 0)
{
  QVProgressBar::Initialize();
  m_Total = total;
  m_Increment = increment;
  if (barRect) {
    m_BarRect = *barRect;
  } else {
    m_BarRect = m_Rect;
    m_BarRect.Normal();
  }
}

QVProgressBar::~QVProgressBar() = default;

void QVProgressBar::Initialize()
{
  m_Total = 0;
  m_Progress = 0;
  m_Increment = 0;
}

void QVProgressBar::SetProgress(int32_t progress)
{
  if (progress == m_Progress)
    return;
  const bool down = progress < m_Progress;
  m_Progress = progress;
  InvalWindow(nullptr, down ? 1 : 0);
}

void QVProgressBar::Increment()
{
  SetProgress(qvnumeric::Saturate(std::min<int64_t>(m_Total, int64_t{m_Progress} + m_Increment)));
}

void QVProgressBar::AddProgress(int32_t n)
{
  SetProgress(qvnumeric::Saturate(std::min<int64_t>(int64_t{m_Progress} + n, m_Total)));
}

void QVProgressBar::OnMouseEnter(QVPoint& point)
{
  QVControl::OnMouseEnter(point);
  Increment();
}

bool QVProgressBar::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  device.SetDeviceBrush(nullptr);
  device.DrawFrameRect(GetClientRect());
  if (m_Total > 0) {
    const int64_t width = m_BarRect.Width();
    const int64_t filled = std::clamp<int64_t>(width * m_Progress / m_Total, 0, std::max<int64_t>(width, 0));
    QVRect fill(m_BarRect);
    fill.SetWidth(int32_t(filled));
    const QVColor red(255, 0, 0);
    device.SetDeviceBrush(&red);
    device.PaintRect(fill);
  }
  return true;
}
