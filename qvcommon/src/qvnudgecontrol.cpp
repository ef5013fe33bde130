#include "qvcommon/qvnudgecontrol.h"

#include "qvcommon/qvpicture.h"

#include <cmath>
#include <new>

namespace {

// The framework's own arrows: normal and hot, pointing up.
constexpr int32_t kDefaultArrow = 701;
constexpr int32_t kDefaultHotArrow = 702;

// A copy of the picture turned by the angle; null when it cannot be made.
QVPicture* Rotated(const QVPicture& picture, int16_t angle)
{
  QVPicture* copy = new (std::nothrow) QVPicture(picture);
  if (copy)
    copy->RotatePicture(angle, true);
  return copy;
}

// The natural layout's size: the top and bottom arrows between the left
// and right ones.
int32_t NaturalWidth(const QVPicture* top, const QVPicture* left, const QVPicture* right)
{
  return top->Width() + left->Width() + right->Width();
}
int32_t NaturalHeight(const QVPicture* top, const QVPicture* left, const QVPicture* bottom)
{
  return top->Height() + left->Height() + bottom->Height();
}

} // namespace

QVNudgeControl::QVNudgeControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage)
    : QVControl(parent, rect, resources, controlMessage)
{
  QVNudgeControl::Initialize();
}

QVNudgeControl* QVNudgeControl::CreateNudgeControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources,
                                                   int32_t controlMessage, int32_t pictureId, int32_t hotPictureId)
{
  if (pictureId == 0) {
    pictureId = kDefaultArrow;
    hotPictureId = kDefaultHotArrow;
    resources = nullptr;
  }
  QVNudgeControl* control = new (std::nothrow) QVNudgeControl(parent, rect, resources, controlMessage);
  if (control)
    control->SetNudgePicIDs(pictureId, hotPictureId);
  return control;
}

QVNudgeControl::~QVNudgeControl() { DeletePictures(); }

void QVNudgeControl::Initialize() { m_HotQuadrant = -1; }

void QVNudgeControl::DeletePictures()
{
  for (QVPicture** picture : {&m_TopPicture, &m_BottomPicture, &m_LeftPicture, &m_RightPicture, &m_TopHotPicture,
                              &m_BottomHotPicture, &m_LeftHotPicture, &m_RightHotPicture}) {
    delete *picture;
    *picture = nullptr;
  }
}

bool QVNudgeControl::HasLayout() const
{
  return m_TopPicture && NaturalWidth(m_TopPicture, m_LeftPicture, m_RightPicture) > 0 &&
         NaturalHeight(m_TopPicture, m_LeftPicture, m_BottomPicture) > 0;
}

bool QVNudgeControl::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  DrawNudgeControl(device);
  return true;
}

bool QVNudgeControl::HandleButtonDown(QVEvent& event) { return QVControl::HandleButtonDown(event); }

bool QVNudgeControl::HandleButtonUp(QVEvent& event)
{
  QVControl::HandleButtonUp(event);
  if (m_HotQuadrant != -1)
    SendControlMessage(m_HotQuadrant, nullptr);
  return true;
}

bool QVNudgeControl::HandleMouseMove(QVEvent& event)
{
  QVControl::HandleMouseMove(event);
  const int16_t quadrant = GetHitQuad(event.m_Point);
  if (quadrant != m_HotQuadrant) {
    m_HotQuadrant = quadrant;
    UpdateControl(false);
  }
  return true;
}

void QVNudgeControl::OnMouseLeave(QVPoint& point)
{
  QVControl::OnMouseLeave(point);
  if (m_HotQuadrant != -1) {
    m_HotQuadrant = -1;
    UpdateControl(false);
  }
}

int16_t QVNudgeControl::SetNudgePicIDs(int32_t pictureId, int32_t hotPictureId)
{
  DeletePictures();
  QVPicture* top = new (std::nothrow) QVPicture(pictureId, m_ResourceFile);
  QVPicture* hot = new (std::nothrow) QVPicture(hotPictureId, m_ResourceFile);
  if (top && hot) {
    m_TopPicture = top;
    m_BottomPicture = Rotated(*top, 180);
    m_LeftPicture = Rotated(*top, -90);
    m_RightPicture = Rotated(*top, 90);
    m_TopHotPicture = hot;
    m_BottomHotPicture = Rotated(*hot, 180);
    m_LeftHotPicture = Rotated(*hot, -90);
    m_RightHotPicture = Rotated(*hot, 90);
  } else {
    delete top;
    delete hot;
  }
  if (!m_BottomPicture || !m_LeftPicture || !m_RightPicture || !m_BottomHotPicture || !m_LeftHotPicture ||
      !m_RightHotPicture)
    DeletePictures(); // out of memory: no layout rather than a partial one
  if (!HasLayout()) {
    for (QVRect* rect : {&m_QuadRect1, &m_QuadRect2, &m_QuadRect3, &m_QuadRect4})
      rect->SetLTRB(0, 0, 0, 0);
    return 0;
  }
  const int32_t w = NaturalWidth(m_TopPicture, m_LeftPicture, m_RightPicture);
  const int32_t h = NaturalHeight(m_TopPicture, m_LeftPicture, m_BottomPicture);
  const int32_t leftW = m_LeftPicture->Width(), topH = m_TopPicture->Height();
  m_QuadRect1.SetLTWH(leftW, 0, m_TopPicture->Width(), topH);
  m_QuadRect2.SetLTWH(leftW, h - m_BottomPicture->Height(), m_BottomPicture->Width(), m_BottomPicture->Height());
  m_QuadRect3.SetLTWH(0, topH, leftW, m_LeftPicture->Height());
  m_QuadRect4.SetLTWH(w - m_RightPicture->Width(), topH, m_RightPicture->Width(), m_RightPicture->Height());
  // From the natural layout to the control's client size.
  const QVRect client = GetClientRect();
  const double sx = double(client.Width()) / w, sy = double(client.Height()) / h;
  for (QVRect* rect : {&m_QuadRect1, &m_QuadRect2, &m_QuadRect3, &m_QuadRect4})
    rect->SetLTRB(int32_t(std::trunc(rect->Left() * sx)), int32_t(std::trunc(rect->Top() * sy)),
                  int32_t(std::trunc(rect->Right() * sx)), int32_t(std::trunc(rect->Bottom() * sy)));
  return 0;
}

void QVNudgeControl::DrawNudgeControl(QVDevice& device)
{
  if (!HasLayout())
    return;
  const QVPicture* normal[] = {m_TopPicture, m_BottomPicture, m_LeftPicture, m_RightPicture};
  const QVPicture* hot[] = {m_TopHotPicture, m_BottomHotPicture, m_LeftHotPicture, m_RightHotPicture};
  const QVRect* rects[] = {&m_QuadRect1, &m_QuadRect2, &m_QuadRect3, &m_QuadRect4};
  for (int i = 0; i < 4; ++i)
    if (m_HotQuadrant != i + 1)
      normal[i]->Draw(&device, *rects[i]);
  if (m_HotQuadrant >= 1 && m_HotQuadrant <= 4)
    hot[m_HotQuadrant - 1]->Draw(&device, *rects[m_HotQuadrant - 1]);
}

int16_t QVNudgeControl::GetHitQuad(QVPoint& point)
{
  if (!HasLayout())
    return -1;
  const QVRect* rects[] = {&m_QuadRect1, &m_QuadRect2, &m_QuadRect3, &m_QuadRect4};
  for (int16_t i = 0; i < 4; ++i)
    if (rects[i]->PtInRect(point))
      return int16_t(i + 1);
  return -1;
}
