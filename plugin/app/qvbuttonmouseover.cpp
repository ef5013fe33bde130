#include "qvbuttonmouseover.h"

#include "qvcommon/qvpicture.h"

#include <algorithm>
#include <new>

QVButtonMouseOver::QVButtonMouseOver(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t normalId,
                                     int32_t hoverId, int32_t pressedId, int32_t controlMessage)
    : QVControl(parent, rect, resources, controlMessage), m_PictureIds{normalId, hoverId, pressedId}
{
  QVButtonMouseOver::Initialize();
}

QVButtonMouseOver::~QVButtonMouseOver()
{
  for (QVPicture*& picture : m_Pictures) {
    delete picture;
    picture = nullptr;
  }
}

void QVButtonMouseOver::Initialize()
{
  for (int i = 0; i < 3; ++i) {
    delete m_Pictures[i];
    m_Pictures[i] = new (std::nothrow) QVPicture(m_PictureIds[i], m_ResourceFile);
  }
  m_PictureIndex = eNormalPicture;
  m_Locked = false;
  m_RollOver = true;
}

int32_t QVButtonMouseOver::IndexFromPointer() const
{
  if (!m_MouseInside)
    return eNormalPicture;
  return m_ButtonDown ? ePressedPicture : eHoverPicture;
}

bool QVButtonMouseOver::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  if (!m_Locked)
    m_PictureIndex = IndexFromPointer();
  const QVPicture* picture = m_Pictures[m_PictureIndex];
  if (picture && picture->ValidPicture())
    picture->Draw(&device, 0, 0);
  return true;
}

void QVButtonMouseOver::ReportIndex()
{
  if (m_Locked)
    return;
  // Worked out here rather than taken from the last paint, which may not
  // have run.
  m_PictureIndex = IndexFromPointer();
  SendControlMessage(m_PictureIndex, nullptr);
}

void QVButtonMouseOver::OnMouseEnter(QVPoint& point)
{
  QVControl::OnMouseEnter(point);
  ReportIndex();
}

void QVButtonMouseOver::OnMouseLeave(QVPoint& point)
{
  QVControl::OnMouseLeave(point);
  ReportIndex();
}

bool QVButtonMouseOver::HandleButtonUp(QVEvent& event)
{
  const bool clicked = m_MouseInside && !m_Locked;
  const int32_t message = m_ControlMessage;
  QVControl::HandleButtonUp(event);
  // The pointer counts as outside now: the pressed picture goes.
  UpdateControl(false);
  // The receiver may delete the button: nothing of it is touched after.
  if (clicked)
    SendControlMessage(message, nullptr);
  return false;
}

void QVButtonMouseOver::SetPictureLocked(int32_t index, bool locked)
{
  m_PictureIndex = std::clamp(index, int32_t{eNormalPicture}, int32_t{ePressedPicture});
  m_Locked = locked;
  UpdateControl(false);
}
