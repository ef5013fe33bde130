#include "qvcommon/qvmenu.h"

#include "qvcommon/qvmenuitem.h"
#include "qvcommon/qvmenuwnd.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvtoolbar.h"
#include "win32/registry.h"

#include <cstring>
#include <new>

QVMenu::QVMenu(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
               int32_t markerPictureId, int32_t popupWidth)
    : QVButton(parent, rect, resources, controlMessage)
{
  QVMenu::Initialize();
  Build(parent, markerPictureId, popupWidth);
  SetControlFont(QVDevice::qvdArial, 16, true, false);
}

QVMenu::QVMenu(QVToolbar* toolbar, QVRect& rect, QVResourceFile* resources, int32_t controlMessage,
               int32_t markerPictureId, bool, int32_t popupWidth)
    : QVButton(toolbar, rect, resources, controlMessage)
{
  QVMenu::Initialize();
  m_InToolbar = true;
  m_Toolbar = toolbar;
  Build(toolbar, markerPictureId, popupWidth);
}

void QVMenu::Build(QVWindow* popupParent, int32_t markerPictureId, int32_t popupWidth)
{
  const QVRect button = GetWindowRect();
  m_PopupRect.SetLTWH(button.Left(), button.Bottom(), popupWidth, 0);
  if (markerPictureId)
    m_MarkerPicture = new (std::nothrow) QVPicture(markerPictureId, m_ResourceFile);
  m_Popup = new (std::nothrow) QVMenuWnd(&m_PopupRect, nullptr, m_ResourceFile, popupParent);
  if (m_Popup) {
    m_Popup->SetMenuButtonWnd(this);
    m_Popup->HideWindow();
  }
  m_ItemBackID = 0;
}

QVMenu::~QVMenu()
{
  delete m_MarkerPicture;
  m_MarkerPicture = nullptr;
  delete m_Popup;
  m_Popup = nullptr;
  for (QVMenuItem*& item : m_Items) {
    delete item;
    item = nullptr;
  }
}

void QVMenu::Initialize()
{
  m_TextAlignment = 0;
  m_RowHeight = 25;
  m_ItemCount = 0;
  for (QVMenuItem*& item : m_Items)
    item = nullptr;
  m_DropdownList = false;
  m_Toolbar = nullptr;
  m_InToolbar = false;
  m_HasSelection = 0;
  m_SelectedIndex = -1;
  m_MarkFirst = false;
  m_VariablePosition = false;
  m_DistanceFromRight = 0;
  m_MinimumX = 0;
}

// ---- Items ---------------------------------------------------------------------------

QVButton* QVMenu::AddMenuItem(int32_t controlMessage, const char* text, bool separator)
{
  if (!m_Popup || m_ItemCount >= kMaxItems)
    return nullptr;
  QVRect rect;
  rect.SetLTWH(3, m_ItemCount * m_RowHeight + 2, m_PopupRect.Width() - 6, m_RowHeight - 2);
  QVMenuItem* item =
      new (std::nothrow) QVMenuItem(m_Popup, rect, m_ResourceFile, controlMessage, m_ItemCount, separator);
  if (!item)
    return nullptr;
  if (m_ItemBackID)
    item->LoadBackgroundImage(m_ItemBackID, m_ItemBackResources);
  if (separator) {
    item->SetFlatButton();
  } else {
    item->SetControlFont(QVDevice::qvdArial, 16, true, false);
    item->SetControlText(text, 0, 0);
  }
  item->SetItemMenu(this);
  for (int32_t slot = 0; slot <= m_ItemCount; ++slot)
    if (!m_Items[slot]) {
      m_Items[slot] = item;
      break;
    }
  // The popup grows one row where it stands (it is placed afresh whenever
  // it opens).
  m_PopupRect.SetBottom(m_PopupRect.Bottom() + m_RowHeight + 1);
  QVRect popup = m_Popup->GetWindowRect();
  popup.SetLTWH(popup.Left(), popup.Top(), m_PopupRect.Width(), m_PopupRect.Height());
  m_Popup->SetWindowPos(popup, 1);
  if (m_HasSelection && m_ItemCount == m_SelectedIndex)
    item->SetSelected(1);
  ++m_ItemCount;
  return item;
}

QVButton* QVMenu::AddMenuItem(int32_t controlMessage, int32_t stringId, bool separator)
{
  // A missing string leaves the buffer as it was: empty.
  char text[kNameSize] = "";
  if (m_ResourceFile)
    m_ResourceFile->LoadStringA(stringId, text, kNameSize);
  return AddMenuItem(controlMessage, text, separator);
}

void QVMenu::InitFromRegistry(const char* keyPath)
{
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
    return;
  for (DWORD index = 0;; ++index) {
    char name[kNameSize];
    DWORD nameLength = kNameSize, dataSize = kNameSize;
    const LONG status = RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, nullptr, &dataSize);
    // A name that does not fit is skipped; the next index still enumerates.
    if (status == ERROR_MORE_DATA)
      continue;
    if (status != ERROR_SUCCESS || !AddMenuItem(m_ControlMessage, name, false))
      break;
  }
  RegCloseKey(key);
}

char* QVMenu::GetItemName(int32_t index)
{
  if (index < 0 || index >= m_ItemCount || !m_Items[index])
    return nullptr;
  return m_Items[index]->GetControlText();
}

QVMenuItem* QVMenu::GetItem(int32_t index) const { return index < 0 || index >= kMaxItems ? nullptr : m_Items[index]; }

QVMenuWnd* QVMenu::GetMenuItemWnd() { return m_Popup; }
int32_t QVMenu::GetMenuButtonX() { return 0; }

void QVMenu::SetMenuItemBackID(int32_t pictureId, QVResourceFile* resources)
{
  m_ItemBackID = pictureId;
  m_ItemBackResources = resources;
  if (m_Popup)
    m_Popup->LoadBackgroundImage(pictureId, resources);
}

void QVMenu::SetDropdownList() { m_DropdownList = true; }

// ---- Selection -------------------------------------------------------------------------

void QVMenu::SetSelectedNum(int32_t index)
{
  if (index < 0 || index >= kMaxItems)
    return;
  m_SelectedIndex = index;
  QVMenuItem* item = m_Items[index];
  if (!item)
    return;
  item->SetSelected(1);
  m_HasSelection = 1;
  UpdateSelection(item);
  if (m_DropdownList) {
    SetControlText(item->GetControlText(), 0, 0);
    InvalWindow(nullptr, 1);
  }
}

void QVMenu::SetSelectedItem(const char* text)
{
  if (!text)
    return;
  for (int32_t slot = 0; slot < kMaxItems; ++slot) {
    QVMenuItem* item = m_Items[slot];
    if (item && std::strcmp(item->GetControlText(), text) == 0) {
      SetSelectedNum(slot);
      UpdateSelection(item);
      return;
    }
  }
}

void QVMenu::SetSelected(QVMenuItem* item)
{
  if (!item)
    return;
  for (int32_t slot = 0; slot < kMaxItems; ++slot)
    if (m_Items[slot] == item) {
      m_SelectedIndex = slot;
      m_HasSelection = 1;
      return;
    }
}

void QVMenu::UpdateSelection(QVMenuItem* item)
{
  if (!item)
    return;
  for (int32_t slot = 0; slot < kMaxItems; ++slot) {
    QVMenuItem* other = m_Items[slot];
    if (!other)
      continue;
    if (other == item)
      m_SelectedIndex = slot;
    other->SetSelected(other == item ? 1 : 0);
    other->InvalWindow(nullptr, 1);
  }
}

void QVMenu::ItemHit(QVMenuItem* item)
{
  if (m_HasSelection)
    UpdateSelection(item);
  if (m_DropdownList && item) {
    SetControlText(item->GetControlText(), 0, 0);
    SetSelected(item);
    InvalWindow(nullptr, 1);
  }
  if (m_InToolbar && m_Toolbar)
    m_Toolbar->SetMenuOpen(false);
  InvalWindow(nullptr, 1);
}

// ---- Showing ------------------------------------------------------------------------------

bool QVMenu::HandleButtonDown(QVEvent& event)
{
  if (m_Popup && m_ItemCount > 0) {
    m_Popup->ShowWindow();
    if (m_InToolbar && m_Toolbar)
      m_Toolbar->SetMenuOpen(true);
  }
  QVControl::HandleButtonDown(event);
  return true;
}

void QVMenu::SetActive(bool on)
{
  if (!m_Popup)
    return;
  if (on)
    m_Popup->ShowWindow();
  else
    m_Popup->HideWindow();
}

void QVMenu::OnMouseEnter(QVPoint& point)
{
  QVControl::OnMouseEnter(point);
  if (m_InToolbar && m_Toolbar && m_Toolbar->IsMenuOpen())
    m_Toolbar->MouseEnteringMenu(this);
}

bool QVMenu::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  CommonPaint(device);
  DrawButton(device);
  if (m_MarkerPicture) {
    const QVRect client = GetClientRect();
    const int32_t width = m_MarkerPicture->Width(), height = m_MarkerPicture->Height();
    QVRect source, destination;
    source.SetLTWH(0, 0, width, height);
    destination.SetLTWH(m_MarkFirst ? 2 : client.Width() - width - 4, client.Height() - height - 3, width, height);
    m_MarkerPicture->Draw(&device, source, destination);
  }
  return true;
}
