#pragma once
#include "qvcommon/qvwindow.h"

class QVMenu;

// A menu bar: a child window holding up to 20 menus made through it and
// addressed by their control message. Once one of its menus has been opened
// by a click, moving the pointer onto another of its menus switches the
// open popup there, until an item is chosen. Menus with a variable position
// keep their distance from the bar's right edge when it is resized. Every
// WM_COMMAND reaching the bar (its menus' items and buttons included) goes
// to ProcessMenuEvent, which a derived bar overrides.
//
// The bar owns its menus. An id that no menu has makes every operation
// taking a menu id do nothing (GetMenuWidth gives 0).
class QVCOMMON_API QVToolbar : public QVWindow {
public:
  enum { kMaxMenus = 20, kPopupWidth = 150 };

  // A child window (type 6) with the empty title; background colour 192,
  // which only HandleEraseWindow uses (the window erases with its class
  // brush).
  QVToolbar(QVWindow* parent, QVRect& rect, QVResourceFile* resources);
  // Deletes every menu, then the window.
  ~QVToolbar() override;
  // ProcessMenuEvent. True.
  bool HandleCommand(QVEvent& event) override;
  // The window's handling, then each menu with a variable position moves to
  // x = client right - its distance (at y 0, its size kept) unless that is
  // left of its minimum x, and the bar repaints. True.
  bool HandleSizeEvent(QVEvent& event) override;

  // ---- New virtual operation ----
  // Does nothing here.
  virtual void ProcessMenuEvent(QVEvent& event);

  // ---- Non-virtual ----
  // A new bar with an empty rectangle (the caller sizes it); null without
  // memory.
  static QVToolbar* CreateNewToolbar(QVWindow* parent, QVResourceFile* resources);
  // A new menu of the bar on the rectangle with control message menuId, the
  // title (fitted: the button takes the title's width), a popup 150 wide,
  // then CommonAddMenu. Null, with nothing created, when all 20 slots are
  // used or memory runs out.
  QVMenu* AddMenu(QVRect& rect, int32_t menuId, int32_t titleStringId, int32_t itemBackgroundId, int32_t hasSelection,
                  int32_t selectedIndex);
  QVMenu* AddMenu(QVRect& rect, int32_t menuId, const char* title, int32_t itemBackgroundId, int32_t hasSelection,
                  int32_t selectedIndex);
  // The menu takes picture itemBackgroundId as its background and its
  // items', selection marking as given and the selected index, and goes in
  // the first empty slot. False, with nothing changed, when the bar is full
  // (the menu stays the caller's).
  bool CommonAddMenu(QVMenu* menu, int32_t itemBackgroundId, int32_t hasSelection, int32_t selectedIndex);
  // The first menu (slots 0 up to the first empty one) with that control
  // message; null for none.
  QVMenu* GetMenu(int32_t menuId);
  // The title, fitted.
  void SetMenuText(int32_t menuId, int32_t stringId);
  void SetMenuText(int32_t menuId, const char* text);
  // A normal item of the menu.
  void AddMenuItem(int32_t menuId, int32_t itemMessage, int32_t stringId);
  void AddMenuItem(int32_t menuId, int32_t itemMessage, const char* text);
  int32_t GetMenuWidth(int32_t menuId);
  // The menu keeps `distance` pixels from the bar's right edge.
  void SetVarMenuRightPos(int32_t menuId, int32_t distance);
  void SetMenuMinX(int32_t menuId, int32_t x);
  bool IsMenuOpen() const { return m_MenuOpen; }
  void SetMenuOpen(bool open) { m_MenuOpen = open; }
  void MouseEnteringMenu(QVMenu* menu);
  // Only while a menu is open: closes the active menu's popup when it is
  // another menu, then opens this one's (null: none) and keeps the bar open.
  void ActivateMenu(QVMenu* menu);
  QVMenu* GetActiveMenu() const { return m_ActiveMenu; }

protected:
  QVMenu* m_Menus[kMaxMenus] = {};
  QVMenu* m_ActiveMenu = nullptr;
  bool m_MenuOpen = false;
  bool m_HasVariableMenus = false;

private:
  // The first empty slot; null when all are used.
  QVMenu** FreeSlot();
  // A menu of the bar, not yet stored; null when the bar is full or memory
  // runs out.
  QVMenu* NewMenu(QVRect& rect, int32_t menuId);
};
