#pragma once
#include "qvcommon/qvcontrol.h"

class QVListItem;
class QVScrollbar;

// A single-selection list: rows of text (QVListItem, 20 px high) in a child
// row window that scrolls under an optional QVScrollbar along the right
// edge. Rows may carry a three-state button and a check box, hold an integer
// of extra data, and one of them may be current (framed in yellow). Slots
// are filled from 0 without gaps; the list holds at most 200 rows.
//
// The list reports a change of the current row by clicks and keys with
// (its control message, its control message); the rows' buttons report
// straight to the list's parent, the row index in the high half of their
// value. The list handles no keys itself: its owner calls DirectionKey and
// OnDeleteKey. It owns its rows, their buttons, the scrollbar and the row
// window.
class QVCOMMON_API QVList : public QVControl {
public:
  enum { kMaxItems = 200, kRowHeight = 20 };

  // An empty list. The row window covers (0, 0) to (rect's right - 15,
  // rect's bottom) of the list, with rowBackgroundId tiled over it; rows are
  // rect's width - 74 wide.
  QVList(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage, int32_t rowBackgroundId);
  // Deletes every row (with its buttons), the scrollbar and the row window.
  ~QVList() override;
  // From a row: the row of that index becomes current, then the list sends
  // its control message. True.
  bool HandleCommand(QVEvent& event) override;

protected:
  // Nothing. True.
  bool HandleMouseMove(QVEvent& event) override;

public:
  // The pictures and control messages of the buttons of rows added later.
  void Init(int32_t checkPicture1, int32_t checkPicture2, int32_t statePicture1, int32_t statePicture2,
            int32_t statePicture3, int32_t checkMessage, int32_t stateMessage);
  // A hidden scrollbar 15 px wide along the right edge, scrolling the row
  // window by 22 px, with arrow pictures up and down; it replaces (and
  // deletes) an earlier one. It shows once the rows no longer fit.
  void AddScrollbar(int32_t upPictureId, int32_t downPictureId);
  using QVWindow::LoadBackgroundImage;
  // The list's own background, also the background of rows added later.
  void LoadBackgroundImage(int32_t pictureId);
  // A 2-px sunken edge around the row window, applied at once.
  void SetSunken();
  // A row with the text (null: empty) and, when asked, a three-state button
  // and a check box, in the first free slot; extra data -1 leaves the row's
  // at -1. The new row becomes current (nothing is sent); the row window
  // grows when the row reaches past it, and once the rows no longer fit the
  // scrollbar shows and the rows scroll up by one step. Returns the slot;
  // -1, creating nothing, when all 200 are used or memory runs out.
  int32_t AddListItem(const char* text, bool stateButton, bool checkBox, int32_t extraData);
  // Deletes the row with its buttons; the later rows move up a slot with
  // their buttons. Afterwards no row is current. Nothing for an empty slot
  // or an index outside 0..199. Sends nothing and does not shrink the row
  // window.
  void RemoveItem(int32_t index);
  // With a current row: removes it, makes its upper neighbour current and
  // scrolls the rows down a step (the row now in slot 0 when it was the
  // first), hides the scrollbar below 4 rows and sends the control message.
  void OnDeleteKey();
  // Swaps the current row with the next (direction 0) or the previous one;
  // it stays current. Nothing without a current row or that neighbour.
  void MoveCurrentItem(int32_t direction);
  // Up (direction not 0) or down: with move 0 the neighbour becomes
  // current, otherwise the current row moves there; then the control message
  // is sent. Nothing, and nothing sent, at the top or bottom or without a
  // current row. The rows do not scroll.
  void DirectionKey(int32_t direction, int32_t move);
  // The current row's text (null: empty), repainted; nothing without one.
  void RenameCurrentItem(const char* text);
  // The previous current row and the new one (may be null) repainted.
  // Sends nothing.
  void SetCurrentItem(QVListItem* item);
  // The row of the slot (an empty slot: none); nothing outside 0..199.
  void SetCurrentItem(int32_t index);
  // The first row with exactly that text; no match or null: nothing.
  void SetCurrentItem(const char* text);
  // The current row's text; null without one.
  char* GetCurrentItem();
  // -1 without a current row.
  int32_t GetCurrentItemIndex();
  int32_t GetCurrentItemExtraData();
  // The row's text; null for an empty slot or an index outside 0..199.
  char* GetItemName(int32_t index);
  // -1 for an empty slot or an index outside 0..199.
  int32_t GetItemExtraData(int32_t index);
  int32_t GetNumItems();
  // 1 when the text is not empty (nor null) and a row has exactly that
  // text; else 0.
  int32_t ItemInList(const char* text);
  // The text of the row whose check box or three-state button it is; null
  // for any other window and for null.
  char* GetItemNameFromButton(QVWindow* button);
  // Passed on to the row of the slot; nothing for an empty slot or an index
  // outside 0..199.
  void SetStateButtonState(int32_t index, int32_t state);

protected:
  QVListItem* m_Items[kMaxItems] = {};
  QVListItem* m_CurrentItem = nullptr;
  QVScrollbar* m_Scrollbar = nullptr;
  QVWindow* m_RowWindow = nullptr;
  int32_t m_ItemCount = 0;
  int32_t m_CheckPicture1 = 0;
  int32_t m_CheckPicture2 = 0;
  int32_t m_StatePicture1 = 0;
  int32_t m_StatePicture2 = 0;
  int32_t m_StatePicture3 = 0;
  int32_t m_CheckMessage = 0;
  int32_t m_StateMessage = 0;
  int32_t m_ItemBackgroundId = 0;
  int32_t m_RowWidth = 0;

private:
  // Where the row of a slot lies in the row window.
  QVRect SlotRect(int32_t slot) const;
  // The row moved into the slot, with its index and buttons.
  void PlaceRow(int32_t slot);
  void Notify();
};
