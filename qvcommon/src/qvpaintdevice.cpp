#include "qvcommon/qvpaintdevice.h"

#include "qvcommon/qvwindow.h"

QVPaintDevice::QVPaintDevice(QVWindow* w)
{
  window = w;
  if (w)
    hdc = BeginPaint(w->GetWnd(), &paint);
}

QVPaintDevice::QVPaintDevice(HWND h)
{
  hwnd = h;
  if (h)
    hdc = BeginPaint(h, &paint);
}

QVPaintDevice::~QVPaintDevice()
{
  Cleanup();
  RestoreTextState();
  if (hdc)
    EndPaint(window ? window->GetWnd() : hwnd, &paint);
  hdc = nullptr;
}

void QVPaintDevice::GetPaintRect(QVRect& rect)
{
  rect.SetLTRB(paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom);
}

HDC QVPaintDevice::GetHDC() { return hdc; }
