#include "qvcommon/qvtoolbar.h"

#include "qvcommon/qvmenu.h"
#include "qvnumeric.h"

#include <algorithm>
#include <new>

QVToolbar::QVToolbar(QVWindow* parent, QVRect& rect, QVResourceFile* resources)
    : QVWindow(&rect, "", eQVWindowStyleControl, resources, parent, nullptr)
{
  QVColor grey(192, 192, 192);
  SetBGColor(grey);
}

QVToolbar::~QVToolbar()
{
  for (QVMenu*& menu : m_Menus) {
    delete menu;
    menu = nullptr;
  }
  m_ActiveMenu = nullptr;
}

QVToolbar* QVToolbar::CreateNewToolbar(QVWindow* parent, QVResourceFile* resources)
{
  QVRect none;
  return new (std::nothrow) QVToolbar(parent, none, resources);
}

QVMenu** QVToolbar::FreeSlot()
{
  QVMenu** slot = std::find(std::begin(m_Menus), std::end(m_Menus), nullptr);
  return slot == std::end(m_Menus) ? nullptr : slot;
}

QVMenu* QVToolbar::NewMenu(QVRect& rect, int32_t menuId)
{
  // A full bar creates nothing.
  if (!FreeSlot())
    return nullptr;
  return new (std::nothrow) QVMenu(this, rect, GetResourceFile(), menuId, 0, false, kPopupWidth);
}

QVMenu* QVToolbar::AddMenu(QVRect& rect, int32_t menuId, int32_t titleStringId, int32_t itemBackgroundId,
                           int32_t hasSelection, int32_t selectedIndex)
{
  QVMenu* menu = NewMenu(rect, menuId);
  if (menu) {
    menu->SetControlText(titleStringId, 1, 0);
    CommonAddMenu(menu, itemBackgroundId, hasSelection, selectedIndex);
  }
  return menu;
}

QVMenu* QVToolbar::AddMenu(QVRect& rect, int32_t menuId, const char* title, int32_t itemBackgroundId,
                           int32_t hasSelection, int32_t selectedIndex)
{
  QVMenu* menu = NewMenu(rect, menuId);
  if (menu) {
    menu->SetControlText(title, 1, 0);
    CommonAddMenu(menu, itemBackgroundId, hasSelection, selectedIndex);
  }
  return menu;
}

bool QVToolbar::CommonAddMenu(QVMenu* menu, int32_t itemBackgroundId, int32_t hasSelection, int32_t selectedIndex)
{
  QVMenu** slot = FreeSlot();
  if (!menu || !slot)
    return false;
  menu->LoadBackgroundImage(itemBackgroundId, GetResourceFile());
  menu->SetMenuItemBackID(itemBackgroundId, GetResourceFile());
  menu->HasSelectedItem(hasSelection);
  menu->SetSelectedNum(selectedIndex);
  *slot = menu;
  return true;
}

QVMenu* QVToolbar::GetMenu(int32_t menuId)
{
  for (QVMenu* menu : m_Menus) {
    if (!menu)
      return nullptr;
    if (menu->GetControlMessage() == menuId)
      return menu;
  }
  return nullptr;
}

void QVToolbar::SetMenuText(int32_t menuId, int32_t stringId)
{
  if (QVMenu* menu = GetMenu(menuId))
    menu->SetControlText(stringId, 1, 0);
}

void QVToolbar::SetMenuText(int32_t menuId, const char* text)
{
  if (QVMenu* menu = GetMenu(menuId))
    menu->SetControlText(text, 1, 0);
}

void QVToolbar::AddMenuItem(int32_t menuId, int32_t itemMessage, int32_t stringId)
{
  if (QVMenu* menu = GetMenu(menuId))
    menu->AddMenuItem(itemMessage, stringId, false);
}

void QVToolbar::AddMenuItem(int32_t menuId, int32_t itemMessage, const char* text)
{
  if (QVMenu* menu = GetMenu(menuId))
    menu->AddMenuItem(itemMessage, text, false);
}

int32_t QVToolbar::GetMenuWidth(int32_t menuId)
{
  QVMenu* menu = GetMenu(menuId);
  return menu ? menu->GetWindowRect().Width() : 0;
}

void QVToolbar::SetVarMenuRightPos(int32_t menuId, int32_t distance)
{
  QVMenu* menu = GetMenu(menuId);
  if (!menu)
    return;
  menu->SetVarDist(true);
  menu->SetDistFromRight(distance);
  m_HasVariableMenus = true;
}

void QVToolbar::SetMenuMinX(int32_t menuId, int32_t x)
{
  if (QVMenu* menu = GetMenu(menuId))
    menu->SetMinX(x);
}

void QVToolbar::MouseEnteringMenu(QVMenu* menu) { ActivateMenu(menu); }

void QVToolbar::ActivateMenu(QVMenu* menu)
{
  if (!m_MenuOpen)
    return;
  if (m_ActiveMenu && m_ActiveMenu != menu) {
    m_ActiveMenu->SetActive(false);
    m_MenuOpen = false;
  }
  m_ActiveMenu = menu;
  if (menu) {
    menu->SetActive(true);
    m_MenuOpen = true;
  }
}

bool QVToolbar::HandleCommand(QVEvent& event)
{
  ProcessMenuEvent(event);
  return true;
}

void QVToolbar::ProcessMenuEvent(QVEvent&) {}

bool QVToolbar::HandleSizeEvent(QVEvent& event)
{
  QVWindow::HandleSizeEvent(event);
  if (!m_HasVariableMenus)
    return true;
  const int32_t right = GetClientRect().Right();
  for (QVMenu* menu : m_Menus) {
    if (!menu)
      break;
    if (!menu->HasVarDist())
      continue;
    const int32_t x = qvnumeric::Saturate(int64_t{right} - menu->GetVarDist());
    if (x < menu->GetMinX())
      continue;
    menu->SetWindowPos(x, 0, menu->Width(), menu->Height(), 1);
    InvalWindow(nullptr, 1);
  }
  return true;
}
