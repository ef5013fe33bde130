// The about window and the set of those opened with an owner.
#include "aboutwindow.h"

#include "mainwindowlink.h"
#include "win32/windowing.h"

#include <algorithm>
#include <new>

namespace {

enum : int32_t { kAboutPicture = 144, kAboutWidth = 331, kAboutHeight = 486 };

std::vector<AboutWindow*>& Open()
{
  static std::vector<AboutWindow*> open;
  return open;
}

} // namespace

AboutWindow::AboutWindow(QVRect* rect, QVResourceFile* resources, QVWindow* owner)
    : QVSplashWin(rect, resources, owner, kAboutPicture)
{
  Open().push_back(this);
}

AboutWindow::~AboutWindow() { std::erase(Open(), this); }

std::vector<AboutWindow*> AboutWindow::OpenWindows() { return Open(); }

QVSplashWin* ShowAboutWindow(QVWindow* owner, QVResourceFile* resources)
{
  if (!resources)
    resources = PlugInResourceFile();
  QVRect rect;
  QVSplashWin* about = nullptr;
  if (owner) {
    const QVRect client = owner->GetClientRect();
    rect.SetLTWH(owner->Left() + (client.Width() - kAboutWidth) / 2,
                 owner->Top() + (client.Height() - kAboutHeight) / 2, kAboutWidth, kAboutHeight);
    about = new (std::nothrow) AboutWindow(&rect, resources, owner);
  } else {
    rect.SetLTWH((GetSystemMetrics(SM_CXSCREEN) - kAboutWidth) / 2, (GetSystemMetrics(SM_CYSCREEN) - kAboutHeight) / 2,
                 kAboutWidth, kAboutHeight);
    about = new (std::nothrow) QVSplashWin(&rect, resources, nullptr, kAboutPicture);
  }
  if (about)
    about->InvalWindow(nullptr, 0);
  return about;
}
