#pragma once
#include "qvcommon/qvwindow.h"

// A popup that shows its background picture tiled and, when clicked, asks
// the application's message loop to delete it: it posts a thread WM_NULL
// whose lParam is the window object (the deferred delete). It never deletes
// itself; the loop drops repeated requests for an object it deleted.
class QVCOMMON_API QVSplashWin : public QVWindow {
public:
  // A popup (window type 7) on the rectangle, owned by the parent's
  // top-level window when there is one, with the picture as its background;
  // shown, and so active, at once.
  QVSplashWin(QVRect* rect, QVResourceFile* resources, QVWindow* parent, int32_t pictureId);
  ~QVSplashWin() override;
  // The background picture tiled over the client area. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // Posts the deferred delete of this window; false.
  bool HandleButtonDown(QVEvent& event) override;
};
