#pragma once
// The application's menu bar: a framework bar on the application's face
// (picture 160) that passes every command reaching it (its menus' items and
// the buttons placed on it) to its parent window's HandleCommand, and paints
// the drop shadows of the windows registered with it.
#include "qvcommon/qvtoolbar.h"

class LumivexToolbar : public QVToolbar {
public:
  // The framework bar on the rectangle, then picture 160 of the resource
  // file as its background.
  LumivexToolbar(QVRect& rect, QVResourceFile* resources, QVWindow* parent);
  // The framework bar's destructor (which deletes the bar's menus).
  ~LumivexToolbar() override;
  // The background tiled over the paint rectangle; then, for each shadow
  // window up to the first empty slot, its client rectangle moved by
  // (-30, -30): when that grown by 10 to the right and bottom meets the
  // paint rectangle and the window is visible, its shadow (the fourth
  // argument 4 for a window exactly as wide as the bar, else 2). True.
  bool HandlePaint(QVEvent& event) override;
  // The parent's HandleCommand with the event; nothing without a parent.
  void ProcessMenuEvent(QVEvent& event) override;

  enum { kBackgroundPicture = 160 };
};
