#pragma once
#include "qvcommon/qvcontrol.h"

class QVButton;

// One row of a QVList: a 20-px control showing its text (the control text)
// over a tiled background, framed in yellow while it is the current row,
// with an optional three-state button and check box in front of it. The
// buttons are siblings of the row (children of the list's row window) and
// belong to the row. A release inside the row reports the row's index.
class QVCOMMON_API QVListItem : public QVControl {
public:
  // The row at rect (row-window coordinates) with backgroundId tiled behind
  // its text; index 0, extra data -1, no buttons, not current. The button
  // places are worked out from the row's left and top.
  QVListItem(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage, const char* text,
             int32_t backgroundId);
  // Removes the buttons (when still there), then the control.
  ~QVListItem() override;
  // Background, the yellow frame of the current row, the text at (4, 2) in
  // black. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // The control's handling; released inside (by the last move), sends the
  // row index. True.
  bool HandleButtonUp(QVEvent& event) override;

public:
  void SetID(int32_t index);
  int32_t GetID();
  void SetExtraData(int32_t data);
  int32_t GetExtraData();
  void SetCurrent(bool current);
  bool IsCurrent();
  // A three-state button (pictures 1..3) at the state place, 12 x 12 at
  // (left - 36, top + 6), shown; it replaces (and deletes) any earlier one.
  // Nothing is added when it cannot be allocated.
  void AddStateButton(int32_t message, int32_t picture1, int32_t picture2, int32_t picture3, int32_t extra);
  // A check box (pictures 1 and 2) at the check place, 19 x 20 at
  // (left - 19, top), shown; it replaces (and deletes) any earlier one.
  void AddCheckBoxButton(int32_t message, int32_t picture1, int32_t picture2, int32_t extra);
  // Where each button reports; nothing without the button.
  void SetStateDestination(QVWindow* window);
  void SetCheckDestination(QVWindow* window);
  QVButton* GetStateButton();
  QVButton* GetCheckButton();
  // Both places worked out again from the row's left and top; each button
  // moves there and takes the row index as its extra data.
  void UpdateButtonPosition();
  // Hides and deletes both buttons; nothing when they are gone.
  void RemoveButtons();
  // Does nothing.
  void SetStateButtonState(int32_t state);

protected:
  int32_t m_RowIndex = 0;
  int32_t m_ExtraData = -1;
  QVRect m_StateRect;
  QVRect m_CheckRect;
  QVButton* m_StateButton = nullptr;
  QVButton* m_CheckButton = nullptr;
  bool m_Current = false;

private:
  void PlaceButtons();
};
