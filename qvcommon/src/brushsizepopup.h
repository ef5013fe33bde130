#pragma once
// Internal to libQVCommon: the popup window of QVBrushSizeCtrl.
#include "qvcommon/qvmenuwnd.h"

// A menu popup holding one slider of a brush-size control. It is placed
// beside its owner (the control) when shown, and on losing the activation
// asks the owner whether both popups should close.
class BrushSizePopup : public QVMenuWnd {
public:
  // Hidden; the owner is its parent and its menu button window.
  BrushSizePopup(QVRect* rect, QVResourceFile* resources, QVWindow* owner);
  ~BrushSizePopup() override;
  // Asks the owner (GetDirections with the window taking the activation);
  // when the owner says so, the popup also hides as a menu does. True.
  bool OnDeactivate() override;
  // The anchor beside the owner's screen rectangle: a vertical popup at
  // (right, top - 70), a horizontal one at (left - 65, bottom).
  void GetMainWndOffset() override;

  void SetVertical(bool vertical);

private:
  bool m_Vertical = false;
};
