#pragma once
#include "qvcommon/qvwindow.h"

// The popup of a menu: a bordered popup window (type 7) holding the item
// buttons. It opens with its top-left corner on the menu button's screen
// bottom-left corner, read afresh at every showing, and hides itself when it
// loses the activation. Commands from its items go on to its parent window
// (the menu's parent, or the toolbar).
class QVCOMMON_API QVMenuWnd : public QVWindow {
public:
  QVMenuWnd(QVRect* rect, const char* title, QVResourceFile* resources, QVWindow* parent);
  ~QVMenuWnd() override;
  // The parent's HandleCommand and its result; false without a parent. The
  // parent may delete the menu: nothing of this window is touched after.
  bool HandleCommand(QVEvent& event) override;
  bool OnActivate() override; // false
  // Hides the window and repaints it with erase. True.
  bool OnDeactivate() override;

  // ---- New virtual operations, in their fixed order ----
  using QVWindow::ShowWindow;
  // Refreshes the anchor, moves there (kept on the screen), shows the window
  // and activates it.
  virtual void ShowWindow();
  virtual void SetMenuButtonWnd(QVWindow* window);
  // The anchor := the menu button window's screen bottom-left corner; left
  // as it was while no menu button window is set.
  virtual void GetMainWndOffset();

protected:
  QVPoint m_Anchor;
  QVWindow* m_MenuButtonWnd = nullptr;
};
