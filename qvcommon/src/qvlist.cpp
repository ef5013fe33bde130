#include "qvcommon/qvlist.h"

#include "qvcommon/qvbutton.h"
#include "qvcommon/qvlistitem.h"
#include "qvcommon/qvscrollbar.h"

#include <cstring>
#include <new>

namespace {

constexpr int32_t kRowLeft = 43;
constexpr int32_t kRowTop = 2;
constexpr int32_t kScrollbarWidth = 15;
constexpr int32_t kScrollAmount = 22;
// The rows shown without a scrollbar: the list's height over this.
constexpr int32_t kFitDivisor = 22;
constexpr int32_t kFewestForScrollbar = 4;

bool InTable(int32_t index) { return index >= 0 && index < QVList::kMaxItems; }

} // namespace

QVList::QVList(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
               int32_t rowBackgroundId)
    : QVControl(parent, rect, resources, controlMessage), m_RowWidth(rect.Width() - 74)
{
  const QVRect rows(0, 0, rect.Right() - kScrollbarWidth, rect.Bottom());
  m_RowWindow = new (std::nothrow) QVWindow(&rows, "", eQVWindowStyleEmpty, resources, this, nullptr);
  if (m_RowWindow)
    m_RowWindow->LoadBackgroundImage(rowBackgroundId);
}

QVList::~QVList()
{
  m_CurrentItem = nullptr;
  for (QVListItem*& item : m_Items) {
    delete item;
    item = nullptr;
  }
  delete m_Scrollbar;
  m_Scrollbar = nullptr;
  delete m_RowWindow;
  m_RowWindow = nullptr;
}

bool QVList::HandleCommand(QVEvent& event)
{
  SetCurrentItem(int32_t(event.m_Value));
  Notify();
  return true;
}

bool QVList::HandleMouseMove(QVEvent&) { return true; }

void QVList::Notify() { SendControlMessage(m_ControlMessage, nullptr); }

void QVList::Init(int32_t checkPicture1, int32_t checkPicture2, int32_t statePicture1, int32_t statePicture2,
                  int32_t statePicture3, int32_t checkMessage, int32_t stateMessage)
{
  m_CheckPicture1 = checkPicture1;
  m_CheckPicture2 = checkPicture2;
  m_StatePicture1 = statePicture1;
  m_StatePicture2 = statePicture2;
  m_StatePicture3 = statePicture3;
  m_CheckMessage = checkMessage;
  m_StateMessage = stateMessage;
}

void QVList::AddScrollbar(int32_t upPictureId, int32_t downPictureId)
{
  delete m_Scrollbar;
  const QVRect client = GetClientRect();
  QVRect rect(client.Right() - kScrollbarWidth, 0, client.Right(), client.Bottom());
  m_Scrollbar = new (std::nothrow) QVScrollbar(this, rect, m_ResourceFile, m_RowWindow, kScrollAmount);
  if (!m_Scrollbar)
    return;
  m_Scrollbar->Init(upPictureId, downPictureId);
  m_Scrollbar->HideWindow();
}

void QVList::LoadBackgroundImage(int32_t pictureId)
{
  QVWindow::LoadBackgroundImage(pictureId);
  m_ItemBackgroundId = pictureId;
}

void QVList::SetSunken()
{
  if (!m_RowWindow)
    return;
  m_RowWindow->SetWindowStyleEx(WS_EX_CLIENTEDGE);
  // The frame changes only when the window is told so; a short list would
  // otherwise never show it.
  ::SetWindowPos(m_RowWindow->GetWnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

QVRect QVList::SlotRect(int32_t slot) const
{
  QVRect rect;
  rect.SetLTWH(kRowLeft, slot * kRowHeight + kRowTop, m_RowWidth, kRowHeight);
  return rect;
}

int32_t QVList::AddListItem(const char* text, bool stateButton, bool checkBox, int32_t extraData)
{
  int32_t slot = 0;
  while (slot < kMaxItems && m_Items[slot])
    ++slot;
  if (slot == kMaxItems || !m_RowWindow)
    return -1;
  QVRect rect = SlotRect(m_ItemCount);
  QVListItem* row =
      new (std::nothrow) QVListItem(m_RowWindow, rect, m_ResourceFile, m_ControlMessage, text, m_ItemBackgroundId);
  if (!row)
    return -1;
  row->SetDestinationWindow(this);
  if (extraData != -1)
    row->SetExtraData(extraData);
  m_Items[slot] = row;
  row->SetID(slot);
  if (stateButton) {
    row->AddStateButton(m_StateMessage, m_StatePicture1, m_StatePicture2, m_StatePicture3, slot);
    row->SetStateDestination(m_Parent);
  }
  if (checkBox) {
    row->AddCheckBoxButton(m_CheckMessage, m_CheckPicture1, m_CheckPicture2, slot);
    row->SetCheckDestination(m_Parent);
  }
  if (rect.Bottom() > m_RowWindow->GetClientRect().Height()) {
    QVRect grown(m_RowWindow->Left(), m_RowWindow->Top(), m_RowWindow->Right(), m_RowWindow->Bottom() + kRowHeight);
    m_RowWindow->SetWindowPos(grown, 1);
  }
  row->ShowWindow(eQVShowNormal);
  SetCurrentItem(row);
  InvalWindow(&rect, 0);
  ++m_ItemCount;
  if (m_Scrollbar && m_ItemCount > m_Height / kFitDivisor) {
    m_Scrollbar->ShowWindow(eQVShowNormal);
    m_RowWindow->ScrollWindow(1, m_Scrollbar->GetScrollAmt());
  }
  return slot;
}

void QVList::PlaceRow(int32_t slot)
{
  QVListItem* row = m_Items[slot];
  row->SetID(slot);
  QVRect rect = SlotRect(slot);
  row->SetWindowPos(rect, 1);
  row->UpdateButtonPosition();
}

void QVList::RemoveItem(int32_t index)
{
  if (!InTable(index) || !m_Items[index])
    return;
  QVListItem* row = m_Items[index];
  // No row is current afterwards: a surviving current row loses its frame,
  // and a removed one is let go before it is deleted.
  if (m_CurrentItem == row)
    m_CurrentItem = nullptr;
  else
    SetCurrentItem(static_cast<QVListItem*>(nullptr));
  row->RemoveButtons();
  delete row;
  m_Items[index] = nullptr;
  for (int32_t slot = index; slot + 1 < kMaxItems && m_Items[slot + 1]; ++slot) {
    m_Items[slot] = m_Items[slot + 1];
    m_Items[slot + 1] = nullptr;
    PlaceRow(slot);
  }
  --m_ItemCount;
  InvalWindow(nullptr, 1);
}

void QVList::OnDeleteKey()
{
  if (!m_CurrentItem)
    return;
  const int32_t index = GetCurrentItemIndex();
  RemoveItem(index);
  if (index == 0) {
    if (m_Items[0])
      SetCurrentItem(m_Items[0]);
  } else if (index > 0) {
    SetCurrentItem(m_Items[index - 1]);
    if (m_Scrollbar)
      m_RowWindow->ScrollWindow(0, m_Scrollbar->GetScrollAmt());
  }
  if (m_Scrollbar && m_ItemCount < kFewestForScrollbar)
    m_Scrollbar->HideWindow();
  Notify();
}

void QVList::MoveCurrentItem(int32_t direction)
{
  const int32_t index = GetCurrentItemIndex();
  if (index < 0)
    return;
  const int32_t other = direction == 0 ? index + 1 : index - 1;
  if (!InTable(other) || !m_Items[other])
    return;
  QVListItem* moved = m_Items[index];
  m_Items[index] = m_Items[other];
  m_Items[other] = moved;
  PlaceRow(index);
  PlaceRow(other);
}

void QVList::DirectionKey(int32_t direction, int32_t move)
{
  const int32_t index = GetCurrentItemIndex();
  if (index < 0)
    return;
  if (direction != 0) {
    if (index < 1)
      return;
    if (move == 0)
      SetCurrentItem(m_Items[index - 1]);
    else
      MoveCurrentItem(direction);
  } else {
    if (index + 1 >= m_ItemCount)
      return;
    if (move == 0)
      SetCurrentItem(m_Items[index + 1]);
    else
      MoveCurrentItem(0);
  }
  Notify();
}

void QVList::RenameCurrentItem(const char* text)
{
  if (!m_CurrentItem)
    return;
  m_CurrentItem->SetControlText(text ? text : "", 0, 0);
  m_CurrentItem->UpdateControl(true);
}

void QVList::SetCurrentItem(QVListItem* item)
{
  if (m_CurrentItem) {
    m_CurrentItem->SetCurrent(false);
    QVRect rect = m_CurrentItem->GetClientRect();
    m_CurrentItem->InvalWindow(&rect, 1);
  }
  m_CurrentItem = item;
  if (item) {
    item->SetCurrent(true);
    QVRect rect = item->GetClientRect();
    item->InvalWindow(&rect, 1);
  }
}

void QVList::SetCurrentItem(int32_t index)
{
  if (InTable(index))
    SetCurrentItem(m_Items[index]);
}

void QVList::SetCurrentItem(const char* text)
{
  if (!text)
    return;
  for (int32_t i = 0; i < m_ItemCount; ++i)
    if (m_Items[i] && std::strcmp(m_Items[i]->GetControlText(), text) == 0) {
      SetCurrentItem(m_Items[i]);
      return;
    }
}

char* QVList::GetCurrentItem() { return m_CurrentItem ? m_CurrentItem->GetControlText() : nullptr; }

int32_t QVList::GetCurrentItemIndex()
{
  if (!m_CurrentItem)
    return -1;
  for (int32_t i = 0; i < m_ItemCount; ++i)
    if (m_Items[i] == m_CurrentItem)
      return i;
  return -1;
}

int32_t QVList::GetCurrentItemExtraData() { return m_CurrentItem ? m_CurrentItem->GetExtraData() : -1; }

char* QVList::GetItemName(int32_t index)
{
  return InTable(index) && m_Items[index] ? m_Items[index]->GetControlText() : nullptr;
}

int32_t QVList::GetItemExtraData(int32_t index)
{
  return InTable(index) && m_Items[index] ? m_Items[index]->GetExtraData() : -1;
}

int32_t QVList::GetNumItems() { return m_ItemCount; }

int32_t QVList::ItemInList(const char* text)
{
  if (!text || !text[0])
    return 0;
  for (int32_t i = 0; i < m_ItemCount; ++i)
    if (m_Items[i] && std::strcmp(m_Items[i]->GetControlText(), text) == 0)
      return 1;
  return 0;
}

char* QVList::GetItemNameFromButton(QVWindow* button)
{
  if (!button)
    return nullptr;
  for (QVListItem* item : m_Items)
    if (item && (static_cast<QVWindow*>(item->GetCheckButton()) == button ||
                 static_cast<QVWindow*>(item->GetStateButton()) == button))
      return item->GetControlText();
  return nullptr;
}

void QVList::SetStateButtonState(int32_t index, int32_t state)
{
  if (InTable(index) && m_Items[index])
    m_Items[index]->SetStateButtonState(state);
}
