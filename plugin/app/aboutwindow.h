#pragma once
// The about window: a 331 x 486 splash window showing picture 144 that a
// click closes (the splash window's deferred delete). Those opened with an
// owner (the Help menu's "About Lumivex") are remembered while they are
// open, so that the application can close any the run leaves behind.
#include "qvcommon/qvsplashwin.h"

#include <vector>

class AboutWindow : public QVSplashWin {
public:
  // As QVSplashWin with picture 144; remembered until deleted.
  AboutWindow(QVRect* rect, QVResourceFile* resources, QVWindow* owner);
  ~AboutWindow() override;

  // The about windows opened with an owner that are still open, oldest
  // first.
  static std::vector<AboutWindow*> OpenWindows();
};

// Opens the about window on the resource file (the plug-in's when null):
// centred over the owner's client area (the owner is also its parent; the
// window is then an AboutWindow) or, without an owner, on the screen (a
// plain splash window nobody remembers). It is redrawn at once. The window,
// or null when it cannot be made.
QVSplashWin* ShowAboutWindow(QVWindow* owner, QVResourceFile* resources);
