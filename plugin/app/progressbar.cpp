#include "progressbar.h"

#include <algorithm>

ProgressBar::ProgressBar(QVWindow* parent, QVRect& rect, QVResourceFile* resources)
    : QVControl(parent, rect, resources, 0)
{
  ProgressBar::Initialize();
}

ProgressBar::~ProgressBar() = default;

void ProgressBar::Initialize() { m_FilledWidth = 0; }

void ProgressBar::SetProgress(int32_t done, int32_t total)
{
  const int64_t width = GetClientRect().Width();
  m_FilledWidth = total <= 0 ? 0 : static_cast<int32_t>(std::clamp<int64_t>(width * done / total, 0, width));
  UpdateControl(false);
}

bool ProgressBar::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  const int32_t width = GetClientRect().Width();
  // A bar narrower than 20 segments still has segments one pixel wide.
  const int32_t segment = std::max(1, width / 20);
  const QVColor yellow(255, 255, 0), black(0, 0, 0);
  for (int32_t x = 0; x < width; x += segment) {
    const bool lit = x < m_FilledWidth || (x / segment) % 2 == 0;
    device.SetDeviceBrush(lit ? &yellow : &black);
    QVRect r;
    r.SetLTWH(x, 0, segment, 10);
    device.PaintRect(r);
  }
  return true;
}
