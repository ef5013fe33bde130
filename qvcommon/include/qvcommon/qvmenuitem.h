#pragma once
#include "qvcommon/qvbutton.h"

class QVMenu;

// One row of a menu's popup: a button whose release chooses it. Its parent
// window is the popup; its menu creates and deletes it. A separator is a
// flat item without text, drawn as an etched line, that chooses nothing but
// still closes the popup and reports its index.
class QVCOMMON_API QVMenuItem : public QVButton {
public:
  QVMenuItem(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage, int32_t index,
             bool separator);
  ~QVMenuItem() override;
  // CommonPaint and DrawButton; a separator then draws a grey (128) line
  // over a white one across rows 11 and 12. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // A release inside a normal item chooses it (the menu's ItemHit); the
  // popup hides in every case; then ExecuteButtonUp sends (control message,
  // index) for a release inside, last. True.
  bool HandleButtonUp(QVEvent& event) override;

public:
  // ---- New virtual operations, in their fixed order ----
  virtual int32_t GetItemNum();
  virtual void SetItemMenu(QVMenu* menu);

  // ---- Non-virtual ----
  // The text colour: the accent (249, 229, 0) when on, white when off. The
  // value is stored; nothing repaints.
  void SetSelected(int32_t on);
  int32_t IsSelected() const { return m_Selected; }
  bool IsSeparator() const { return m_Separator; }

protected:
  int32_t m_ItemIndex = 0;
  QVMenu* m_Menu = nullptr;
  int32_t m_Selected = 0;
  bool m_Separator = false;
};
