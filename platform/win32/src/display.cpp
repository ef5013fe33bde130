// The display: screen size and depth, the screen's surface, and rectangle
// intersection.
#include "gdi.h"
#include "presenter.h"
#include "win32/automation.h"

namespace {

struct Screen {
  int width = 1280;
  int height = 1024;
  int bitsPerPixel = 32;
  COLORREF desktop = RGB(0, 128, 128);
  std::shared_ptr<standin::detail::Surface> surface; // made on first use
};
// The display's own size when windows are presented, until SetScreen
// says otherwise.
Screen& TheScreen()
{
  static auto* screen = [] {
    auto* made = new Screen;
    int width = 0, height = 0;
    if (standin::detail::Presentation().ScreenSize(&width, &height) && width > 0 && height > 0) {
      made->width = width;
      made->height = height;
    }
    return made;
  }();
  return *screen;
}

} // namespace

namespace standin {

void SetScreen(int width, int height, int bitsPerPixel)
{
  Screen& screen = TheScreen();
  if (width != screen.width || height != screen.height)
    screen.surface.reset();
  screen.width = width;
  screen.height = height;
  screen.bitsPerPixel = bitsPerPixel;
}

void SetDesktopColor(COLORREF color)
{
  Screen& screen = TheScreen();
  screen.desktop = color;
  if (!screen.surface)
    return;
  for (int y = 0; y < screen.surface->height; ++y)
    for (int x = 0; x < screen.surface->width; ++x) {
      BYTE* p = screen.surface->At(x, y);
      p[0] = GetBValue(color);
      p[1] = GetGValue(color);
      p[2] = GetRValue(color);
    }
}

namespace detail {

std::shared_ptr<Surface> ScreenSurface()
{
  Screen& screen = TheScreen();
  if (!screen.surface) {
    screen.surface = NewSurface(screen.width, screen.height, 0xFF);
    if (screen.surface)
      standin::SetDesktopColor(screen.desktop);
  }
  return screen.surface;
}

int ScreenBitsPerPixel() { return TheScreen().bitsPerPixel; }

} // namespace detail
} // namespace standin

extern "C" {

int GetSystemMetrics(int index)
{
  switch (index) {
  case SM_CXSCREEN: return TheScreen().width;
  case SM_CYSCREEN: return TheScreen().height;
  case SM_CYCAPTION: return 19;
  case SM_CXBORDER:
  case SM_CYBORDER: return 1;
  case SM_CXDLGFRAME:
  case SM_CYDLGFRAME: return 3;
  case SM_CXFRAME:
  case SM_CYFRAME: return 4;
  case SM_CXDOUBLECLK:
  case SM_CYDOUBLECLK: return 4;
  case SM_CXEDGE:
  case SM_CYEDGE: return 2;
  default: return 0;
  }
}

BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b)
{
  if (!dst || !a || !b)
    return FALSE;
  RECT result{a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
              a->right < b->right ? a->right : b->right, a->bottom < b->bottom ? a->bottom : b->bottom};
  if (result.left >= result.right || result.top >= result.bottom) {
    *dst = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *dst = result;
  return TRUE;
}

} // extern "C"
