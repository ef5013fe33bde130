#include "qvcommon/qvscrollbar.h"

#include "qvcommon/qvbutton.h"

#include <new>

namespace {

constexpr int32_t kArrowHeight = 9;
constexpr WPARAM kUpCommand = 101;
constexpr WPARAM kDownCommand = 102;

} // namespace

QVScrollbar::QVScrollbar(QVWindow* parent, QVRect& rect, QVResourceFile* resources, QVWindow* target, int32_t amount)
    : QVControl(parent, rect, resources, 0), m_Target(target), m_Amount(amount)
{
}

QVScrollbar::~QVScrollbar()
{
  delete m_UpButton;
  m_UpButton = nullptr;
  delete m_DownButton;
  m_DownButton = nullptr;
}

void QVScrollbar::Init(int32_t upPictureId, int32_t downPictureId)
{
  delete m_UpButton;
  delete m_DownButton;
  const QVRect client = GetClientRect();
  QVRect up(0, 0, client.Right(), kArrowHeight);
  m_UpButton = new (std::nothrow) QVButton(this, up, m_ResourceFile, int32_t(kUpCommand));
  if (m_UpButton)
    m_UpButton->SetControlBitmap(upPictureId, 0, 0, 0);
  QVRect down(0, client.Bottom() - kArrowHeight, client.Right(), client.Bottom());
  m_DownButton = new (std::nothrow) QVButton(this, down, m_ResourceFile, int32_t(kDownCommand));
  if (m_DownButton)
    m_DownButton->SetControlBitmap(downPictureId, 0, 0, 0);
}

QVRect QVScrollbar::GetTrackRect()
{
  const QVRect client = GetClientRect();
  return QVRect(0, kArrowHeight, client.Right(), client.Bottom() - kArrowHeight);
}

int32_t QVScrollbar::GetScrollAmt() { return m_Amount; }

void QVScrollbar::SetMinMax(int32_t minimum, int32_t maximum)
{
  m_Reserved[0] = minimum;
  m_Reserved[1] = maximum;
}

bool QVScrollbar::HandleMouseEvent(QVEvent&) { return true; }

bool QVScrollbar::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  const QVColor grey(192, 192, 192);
  device.SetDeviceBrush(&grey);
  device.PaintRect(GetTrackRect());
  return true;
}

bool QVScrollbar::HandleCommand(QVEvent& event)
{
  if (m_Target && event.m_Command == kUpCommand)
    m_Target->ScrollWindow(0, m_Amount);
  else if (m_Target && event.m_Command == kDownCommand)
    m_Target->ScrollWindow(1, m_Amount);
  return true;
}
