// The display the system asks about: screen size and depth, an information
// context for "DISPLAY", and rectangle intersection.
#include "handles.h"
#include "text.h"
#include "win32/automation.h"

namespace {

using standin::detail::Fail;

struct Screen {
  int width = 1280;
  int height = 1024;
  int bitsPerPixel = 32;
};
Screen g_screen;

// A device context; so far only information contexts on the display.
struct DeviceContext {
  bool display = true;
};
standin::detail::HandleTable<DeviceContext>& DeviceContexts()
{
  static auto* contexts = new standin::detail::HandleTable<DeviceContext>;
  return *contexts;
}

} // namespace

namespace standin {
void SetScreen(int width, int height, int bitsPerPixel) { g_screen = Screen{width, height, bitsPerPixel}; }
} // namespace standin

extern "C" {

int GetSystemMetrics(int index)
{
  switch (index) {
  case SM_CXSCREEN: return g_screen.width;
  case SM_CYSCREEN: return g_screen.height;
  default: return 0;
  }
}

HDC CreateDCA(LPCSTR driver, LPCSTR, LPCSTR, const DEVMODEA*)
{
  if (!driver || !standin::detail::EqualNoCase(driver, "DISPLAY"))
    return Fail(ERROR_INVALID_PARAMETER, HDC(nullptr));
  return reinterpret_cast<HDC>(DeviceContexts().Add(DeviceContext{}));
}

int GetDeviceCaps(HDC dc, int index)
{
  if (!DeviceContexts().Find(dc))
    return Fail(ERROR_INVALID_HANDLE, 0);
  switch (index) {
  case HORZRES: return g_screen.width;
  case VERTRES: return g_screen.height;
  case BITSPIXEL: return g_screen.bitsPerPixel;
  case PLANES: return 1;
  default: return 0;
  }
}

BOOL DeleteDC(HDC dc) { return DeviceContexts().Remove(dc) ? TRUE : Fail(ERROR_INVALID_HANDLE, FALSE); }

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
