#include "qvcommon/qvlistitem.h"

#include "qvcommon/qvbutton.h"

QVListItem::QVListItem(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
                       const char* text, int32_t backgroundId)
    : QVControl(parent, rect, resources, controlMessage)
{
  LoadBackgroundImage(backgroundId);
  PlaceButtons();
  SetControlText(text, 0, 0);
}

QVListItem::~QVListItem() { RemoveButtons(); }

void QVListItem::PlaceButtons()
{
  m_StateRect.SetLTWH(Left() - 36, Top() + 6, 12, 12);
  m_CheckRect.SetLTWH(Left() - 19, Top(), 19, 20);
}

bool QVListItem::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  QVRect client = GetClientRect();
  RenderBackgroundImage(&device, client);
  if (m_Current) {
    const QVColor yellow(255, 255, 0);
    QVRect frame(client);
    frame.Inset(1, 0);
    device.SetDeviceBrush(&yellow);
    device.DrawFrameRect(frame);
    device.DestroyBrush();
  }
  DrawCaption(device, 4, 2, QVColor(0, 0, 0), QVDevice::qvdLeft);
  return true;
}

bool QVListItem::HandleButtonUp(QVEvent& event)
{
  const bool inside = m_MouseInside;
  QVControl::HandleButtonUp(event);
  if (inside)
    SendControlMessage(m_RowIndex, nullptr);
  return true;
}

void QVListItem::SetID(int32_t index) { m_RowIndex = index; }
int32_t QVListItem::GetID() { return m_RowIndex; }
void QVListItem::SetExtraData(int32_t data) { m_ExtraData = data; }
int32_t QVListItem::GetExtraData() { return m_ExtraData; }
void QVListItem::SetCurrent(bool current) { m_Current = current; }
bool QVListItem::IsCurrent() { return m_Current; }

void QVListItem::AddStateButton(int32_t message, int32_t picture1, int32_t picture2, int32_t picture3, int32_t extra)
{
  delete m_StateButton;
  m_StateButton = QVButton::CreateTriStateButton(m_Parent, m_StateRect, message, m_ResourceFile, picture1, picture2,
                                                 picture3, extra);
  if (m_StateButton)
    m_StateButton->ShowWindow(eQVShowNormal);
}

void QVListItem::AddCheckBoxButton(int32_t message, int32_t picture1, int32_t picture2, int32_t extra)
{
  delete m_CheckButton;
  m_CheckButton =
      QVButton::CreateCheckBoxButton(m_Parent, m_CheckRect, message, m_ResourceFile, picture1, picture2, extra);
  if (m_CheckButton)
    m_CheckButton->ShowWindow(eQVShowNormal);
}

void QVListItem::SetStateDestination(QVWindow* window)
{
  if (m_StateButton)
    m_StateButton->SetDestinationWindow(window);
}

void QVListItem::SetCheckDestination(QVWindow* window)
{
  if (m_CheckButton)
    m_CheckButton->SetDestinationWindow(window);
}

QVButton* QVListItem::GetStateButton() { return m_StateButton; }
QVButton* QVListItem::GetCheckButton() { return m_CheckButton; }

void QVListItem::UpdateButtonPosition()
{
  PlaceButtons();
  if (m_StateButton) {
    m_StateButton->SetWindowPos(m_StateRect, 1);
    m_StateButton->SetExtraData(m_RowIndex);
  }
  if (m_CheckButton) {
    m_CheckButton->SetWindowPos(m_CheckRect, 1);
    m_CheckButton->SetExtraData(m_RowIndex);
  }
}

void QVListItem::RemoveButtons()
{
  for (QVButton** button : {&m_StateButton, &m_CheckButton}) {
    if (*button) {
      (*button)->HideWindow();
      delete *button;
      *button = nullptr;
    }
  }
}

void QVListItem::SetStateButtonState(int32_t) {}
