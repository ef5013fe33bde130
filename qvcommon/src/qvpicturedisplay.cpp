#include "qvcommon/qvpicturedisplay.h"

#include "qvcommon/qvpicture.h"

#include <new>

QVPictureDisplay::QVPictureDisplay(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t pictureId)
    : QVControl(parent, rect, resources, 0)
{
  m_DisplayPicture = new (std::nothrow) QVPicture(pictureId, m_ResourceFile);
}

QVPictureDisplay::~QVPictureDisplay()
{
  delete m_DisplayPicture;
  m_DisplayPicture = nullptr;
}

bool QVPictureDisplay::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  if (m_DisplayPicture)
    m_DisplayPicture->Draw(&device, 0, 0);
  return true;
}
