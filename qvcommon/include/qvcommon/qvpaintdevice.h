#pragma once
#include "qvcommon/qvdevice.h"
#include "win32/windowing.h"

// The device of one WM_PAINT: painting begins when it is built and ends when
// it is destroyed; drawing is clipped to the update rectangle.
class QVCOMMON_API QVPaintDevice : public QVDevice {
public:
  explicit QVPaintDevice(QVWindow* window);
  explicit QVPaintDevice(HWND hwnd);
  ~QVPaintDevice() override;

  // The rectangle being painted (client coordinates).
  void GetPaintRect(QVRect& rect);
  HDC GetHDC();

protected:
  PAINTSTRUCT paint{};
};
