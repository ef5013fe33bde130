#pragma once
#include "qvcommon/qvdefs.h"

class QVButton;

// A radio group of up to 50 buttons: releasing one of them inside turns the
// others off. The group does not own its buttons, and neither side is left
// pointing at the other when either is deleted first.
class QVCOMMON_API QVButtonGroup {
public:
  enum { kSlots = 50 };

  QVButtonGroup();
  QVButtonGroup(const QVButtonGroup&) = delete;
  QVButtonGroup& operator=(const QVButtonGroup&) = delete;
  // Unlinks every button still in the group.
  virtual ~QVButtonGroup();

  // Puts the button in the first empty slot and links it to this group (it
  // leaves any other group first). Nothing for a null button, one already in
  // the group, or a full group.
  void AddButton(QVButton* button);
  bool ButtonInGroup(QVButton* button);
  // When the button is in the group, every other button in it goes off and
  // repaints with erase.
  void ButtonDown(QVButton* pressed);
  // Takes the button out of its slot and unlinks it; nothing when it is not
  // in the group.
  void RemoveButton(QVButton* button);

private:
  QVButton* m_Buttons[kSlots] = {};
};
