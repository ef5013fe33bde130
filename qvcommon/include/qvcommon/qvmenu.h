#pragma once
#include "qvcommon/qvbutton.h"

class QVMenuItem;
class QVMenuWnd;
class QVToolbar;

// A menu: a button that, when pressed, opens a popup (QVMenuWnd) under
// itself holding a column of item buttons (QVMenuItem), 25 pixels apart.
// Choosing an item (a click on it) hides the popup, moves the selection
// highlight when selection marking is on, shows the item's text on the
// button in dropdown-list mode, and has the item report (its control
// message, its index) to the popup, which passes it on to the menu's parent
// (for a toolbar menu, the toolbar). A release on the menu button itself
// reports (the menu's control message, 0) to its parent. A menu without
// items never opens.
//
// The menu owns its popup, its items (children of the popup) and its marker
// picture. It holds at most 200 items; indices outside 0..199 select and
// name nothing. The selected index is -1 until something selects.
class QVCOMMON_API QVMenu : public QVButton {
public:
  enum { kMaxItems = 200, kNameSize = 256 };

  // A free menu: the popup (popupWidth wide, no rows yet, hidden) is a popup
  // of the parent; the button's font is bold Arial 16. Without memory for
  // the popup the menu has none and never opens.
  QVMenu(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage, int32_t markerPictureId,
         int32_t popupWidth);
  // A menu of a toolbar: the toolbar is parent of the button and the popup,
  // the button keeps the control font. The bool is not used.
  QVMenu(QVToolbar* toolbar, QVRect& rect, QVResourceFile* resources, int32_t controlMessage, int32_t markerPictureId,
         bool unused, int32_t popupWidth);
  // Deletes the marker picture, the popup and every item.
  ~QVMenu() override;
  // Text alignment 0, row height 25, no items, no dropdown list, no toolbar,
  // no selection marking, selected index -1, marker at the right, no
  // variable position. The popup and marker are left.
  void Initialize() override;
  // CommonPaint, DrawButton, then the marker picture at its own size, 3
  // pixels above the bottom and 4 pixels from the right edge (2 from the
  // left with mark first). True.
  bool HandlePaint(QVEvent& event) override;
  // The control's entering; a toolbar menu whose toolbar has a menu open
  // then switches the open popup to this one.
  void OnMouseEnter(QVPoint& point) override;

protected:
  // With a popup and at least one item, shows the popup (and tells a
  // toolbar a menu is open); then the control's press handling. True.
  bool HandleButtonDown(QVEvent& event) override;

public:
  // ---- New virtual operations, in their fixed order ----
  // The background picture of the popup and of items added from now on;
  // the popup loads it at once.
  virtual void SetMenuItemBackID(int32_t pictureId, QVResourceFile* resources);
  // A new item below the others: a separator (flat, no text) or a normal
  // item with the text in bold Arial 16 (an empty one for null). The popup
  // grows by 26 pixels. Marked selected when selection marking is on and
  // its index is the selected one. Null without a popup, with 200 items
  // already, or without memory.
  virtual QVButton* AddMenuItem(int32_t controlMessage, const char* text, bool separator);
  // The same with the text of a string resource (empty when it is missing).
  virtual QVButton* AddMenuItem(int32_t controlMessage, int32_t stringId, bool separator);
  virtual int32_t GetMenuButtonX(); // 0
  // The item's text; null outside 0..count - 1 or for an empty slot.
  virtual char* GetItemName(int32_t index);
  // The popup (null when it could not be made).
  virtual QVMenuWnd* GetMenuItemWnd();
  // An item was chosen: the selection highlight moves to it (when marking
  // is on); in dropdown-list mode its text goes on the button and it
  // becomes the selected one; a toolbar's menu-open flag is cleared; the
  // button repaints.
  virtual void ItemHit(QVMenuItem* item);
  // Dropdown-list mode on (there is no off).
  virtual void SetDropdownList();
  // Shows the popup or hides it; nothing without a popup. A menu without
  // items shows its empty popup too, which takes the activation, so that a
  // toolbar switching onto it closes the popup that was open.
  virtual void SetActive(bool on);

  // ---- Non-virtual ----
  // Adds a normal item, with the menu's own control message, for each value
  // name of HKEY_LOCAL_MACHINE\keyPath in the registry's order, after any
  // items there are. A name too long for 255 characters is skipped; the walk
  // ends at the last value, at any other error or when the menu is full. A
  // key that cannot be opened changes nothing.
  void InitFromRegistry(const char* keyPath);
  // Index < 0 or > 199: nothing. Otherwise the selected index becomes k;
  // when an item is there it is marked (and the others unmarked), marking
  // turns on, and in dropdown-list mode its text goes on the button.
  void SetSelectedNum(int32_t index);
  int32_t GetSelectedNum() const { return m_SelectedIndex; }
  // Selects the first item whose text equals the text exactly (bytes, case
  // included); nothing for no match or a null text.
  void SetSelectedItem(const char* text);
  // The item's slot becomes the selected index and marking turns on; the
  // items' colours are left. Nothing for an item not in the menu.
  void SetSelected(QVMenuItem* item);
  // Marks the item and unmarks every other, repainting each; the item's
  // slot becomes the selected index. Nothing for a null item.
  void UpdateSelection(QVMenuItem* item);
  void HasSelectedItem(int32_t on) { m_HasSelection = on; }
  int32_t GetItemCount() const { return m_ItemCount; }
  QVMenuItem* GetItem(int32_t index) const;
  // Toolbar layout.
  void SetMarkFirst() { m_MarkFirst = true; }
  void SetVarDist(bool on) { m_VariablePosition = on; }
  bool HasVarDist() const { return m_VariablePosition; }
  void SetDistFromRight(int32_t distance) { m_DistanceFromRight = distance; }
  int32_t GetVarDist() const { return m_DistanceFromRight; }
  void SetMinX(int32_t x) { m_MinimumX = x; }
  int32_t GetMinX() const { return m_MinimumX; }

protected:
  // What both constructors share once the button exists.
  void Build(QVWindow* popupParent, int32_t markerPictureId, int32_t popupWidth);

  QVMenuWnd* m_Popup = nullptr;
  QVRect m_PopupRect;
  QVMenuItem* m_Items[kMaxItems] = {};
  int32_t m_ItemCount = 0;
  int32_t m_RowHeight = 25;
  QVPicture* m_MarkerPicture = nullptr;
  bool m_DropdownList = false;
  QVToolbar* m_Toolbar = nullptr;
  bool m_InToolbar = false;
  int32_t m_ItemBackID = 0;
  QVResourceFile* m_ItemBackResources = nullptr;
  int32_t m_HasSelection = 0;
  int32_t m_SelectedIndex = -1;
  bool m_MarkFirst = false;
  bool m_VariablePosition = false;
  int32_t m_DistanceFromRight = 0;
  int32_t m_MinimumX = 0;
};
