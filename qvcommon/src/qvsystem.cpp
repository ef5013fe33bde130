#include "qvcommon/qvsystem.h"

#include "win32/gdi.h"

int16_t QVSystem::GetMainMonitorDepth()
{
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!display)
    return 0;
  const int bits = GetDeviceCaps(display, BITSPIXEL);
  DeleteDC(display);
  return static_cast<int16_t>(bits);
}
