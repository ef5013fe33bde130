#include "qvcommon/qvsplashwin.h"

#include "qvcommon/qvpaintdevice.h"

QVSplashWin::QVSplashWin(QVRect* rect, QVResourceFile* resources, QVWindow* parent, int32_t pictureId)
    : QVWindow(rect, nullptr, eQVWindowStyleMenu, resources, parent, nullptr)
{
  LoadBackgroundImage(pictureId);
  ShowWindow(eQVShowNormal);
}

QVSplashWin::~QVSplashWin() = default;

bool QVSplashWin::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  QVRect client = GetClientRect();
  RenderBackgroundImage(&device, client);
  return true;
}

bool QVSplashWin::HandleButtonDown(QVEvent&)
{
  PostMessageA(nullptr, WM_NULL, 0, reinterpret_cast<LPARAM>(this));
  return false;
}
