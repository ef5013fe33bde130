#include "qvcommon/qvdevice.h"

#include "qvcommon/qvimage.h"
#include "qvcommon/qvmemory.h"
#include "qvcommon/qvwindow.h"
#include "qvdib.h"
#include "qvimage_internal.h"
#include "win32/drawing.h"
#include "win32/gdi.h"
#include "win32/windowing.h"

#include <utility>

namespace {

constexpr int32_t kPixelsPerMetre = 4000;

} // namespace

// ---- Construction -------------------------------------------------------------

QVDevice::QVDevice() { Initialize(); }

QVDevice::QVDevice(QVWindow* w)
{
  Initialize();
  window = w;
  if (w)
    hdc = GetDC(w->GetWnd());
  ownsDC = true;
}

QVDevice::QVDevice(HWND h)
{
  Initialize();
  hwnd = h;
  if (h)
    hdc = GetDC(h);
  ownsDC = true;
}

QVDevice::~QVDevice()
{
  Cleanup();
  RestoreTextState();
  if (ownsDC && hdc) {
    if (window)
      ReleaseDC(window->GetWnd(), hdc);
    else if (hwnd)
      ReleaseDC(hwnd, hdc);
  }
  hdc = nullptr;
}

void QVDevice::Initialize()
{
  hdc = nullptr;
  window = nullptr;
  hwnd = nullptr;
  ownsDC = false;
  pen = previousPen = nullptr;
  font = previousFont = nullptr;
  brush = previousBrush = nullptr;
  previousBkMode = 0;
  previousTextAlign = 0;
  previousTextColor = 0;
  previousROP = 0;
  savedBkMode = savedTextAlign = savedTextColor = savedROP = false;
}

void QVDevice::Cleanup()
{
  DestroyPen();
  DestroyBrush();
  DestroyFont();
}

void QVDevice::RestoreTextState()
{
  RestoreBkMode();
  RestoreTextColor();
  RestoreTextAlign();
  RestoreROP();
}

// ---- Geometry -----------------------------------------------------------------

void QVDevice::GetWindowClientRect(RECT* rect)
{
  if (window)
    GetClientRect(window->GetWnd(), rect);
  if (hwnd)
    GetClientRect(hwnd, rect);
}

int32_t QVDevice::Width()
{
  RECT rect{0, 0, 0, 0};
  GetWindowClientRect(&rect);
  return rect.right - rect.left;
}

int32_t QVDevice::Height()
{
  RECT rect{0, 0, 0, 0};
  GetWindowClientRect(&rect);
  return rect.bottom - rect.top;
}

HDC QVDevice::GetDevice() { return hdc; }
QVWindow* QVDevice::GetDeviceWindow() { return window; }

// ---- Pens, brushes, fonts -------------------------------------------------------

namespace {

// Selects `made` back out of the context and deletes it.
template <class Handle>
void Unselect(HDC hdc, Handle& made, Handle& previous)
{
  if (!made)
    return;
  if (previous)
    SelectObject(hdc, previous);
  DeleteObject(made);
  made = previous = nullptr;
}

COLORREF ColourOf(const QVColor* color) { return color ? static_cast<COLORREF>(color->GetRGB()) : RGB(0, 0, 0); }

} // namespace

int16_t QVDevice::SetDevicePen(int16_t width, const QVColor* color)
{
  DestroyPen();
  pen = CreatePen(PS_SOLID, width, ColourOf(color));
  previousPen = static_cast<HPEN>(SelectObject(hdc, pen));
  return 0;
}

void QVDevice::DestroyPen() { Unselect(hdc, pen, previousPen); }

int16_t QVDevice::SetDeviceBrush(const QVColor* color)
{
  DestroyBrush();
  brush = CreateSolidBrush(ColourOf(color));
  previousBrush = static_cast<HBRUSH>(SelectObject(hdc, brush));
  return 0;
}

void QVDevice::DestroyBrush() { Unselect(hdc, brush, previousBrush); }

int16_t QVDevice::SetFontFace(qvdTextFace face, int16_t height, bool bold, bool italic)
{
  if (face != qvdArial && face != qvdNoFont)
    return -1;
  DestroyFont();
  if (face == qvdNoFont)
    return 0;
  font = CreateFontA(height != 0 ? height : 12, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? 1 : 0, 0, 0, 0, 0, 0, 0,
                     0, "Arial");
  previousFont = static_cast<HFONT>(SelectObject(hdc, font));
  return 0;
}

void QVDevice::DestroyFont() { Unselect(hdc, font, previousFont); }

// ---- Text state -------------------------------------------------------------------

namespace {

// Keeps what a Set replaced for its Restore; a Set that failed (no context)
// leaves nothing to put back.
template <class T>
void Remember(T previous, T failure, T& slot, bool& saved)
{
  if (previous != failure) {
    slot = previous;
    saved = true;
  }
}

} // namespace

void QVDevice::SetBkMode(int32_t mode) { Remember(::SetBkMode(hdc, mode), 0, previousBkMode, savedBkMode); }

void QVDevice::SetTextColor(const QVColor& color)
{
  Remember(::SetTextColor(hdc, static_cast<COLORREF>(color.GetRGB())), CLR_INVALID, previousTextColor, savedTextColor);
}

void QVDevice::SetTextAlign(qvdTextAlign align)
{
  UINT mode = TA_LEFT;
  if (align == qvdRight)
    mode = TA_RIGHT;
  else if (align == qvdCenter)
    mode = TA_CENTER;
  Remember(::SetTextAlign(hdc, mode), UINT(GDI_ERROR), previousTextAlign, savedTextAlign);
}

void QVDevice::SetROP() { Remember(SetROP2(hdc, R2_NOTXORPEN), 0, previousROP, savedROP); }

void QVDevice::RestoreBkMode()
{
  if (std::exchange(savedBkMode, false))
    ::SetBkMode(hdc, previousBkMode);
}

void QVDevice::RestoreTextColor()
{
  if (std::exchange(savedTextColor, false))
    ::SetTextColor(hdc, previousTextColor);
}

void QVDevice::RestoreTextAlign()
{
  if (std::exchange(savedTextAlign, false))
    ::SetTextAlign(hdc, previousTextAlign);
}

void QVDevice::RestoreROP()
{
  if (std::exchange(savedROP, false))
    SetROP2(hdc, previousROP);
}

// ---- Drawing ------------------------------------------------------------------------

void QVDevice::TextOutA(int32_t x, int32_t y, const char* text, int32_t length) { ::TextOutA(hdc, x, y, text, length); }
void QVDevice::DeviceMovePenTo(int32_t x, int32_t y) { MoveToEx(hdc, x, y, nullptr); }
void QVDevice::DeviceLineTo(int32_t x, int32_t y) { LineTo(hdc, x, y); }

void QVDevice::PaintRect(const QVRect& rect)
{
  if (!brush)
    return;
  const RECT r = rect.GetRect();
  FillRect(hdc, &r, brush);
}

void QVDevice::DrawFrameRect(const QVRect& rect)
{
  const RECT r = rect.GetRect();
  FrameRect(hdc, &r, brush);
}

void QVDevice::DrawEllipse(const QVRect& rect) { Ellipse(hdc, rect.Left(), rect.Top(), rect.Right(), rect.Bottom()); }

void QVDevice::DrawRectangle(const QVRect& rect)
{
  Rectangle(hdc, rect.Left(), rect.Top(), rect.Right(), rect.Bottom());
}

void QVDevice::DrawEdge(const QVRect& rect, const QVColor& topLeft, const QVColor& bottomRight)
{
  SetDevicePen(1, &topLeft);
  DeviceMovePenTo(rect.Left(), rect.Top());
  DeviceLineTo(rect.Left(), rect.Bottom());
  DeviceMovePenTo(rect.Left(), rect.Top());
  DeviceLineTo(rect.Right(), rect.Top());
  DestroyPen();
  SetDevicePen(1, &bottomRight);
  DeviceMovePenTo(rect.Right(), rect.Top());
  DeviceLineTo(rect.Right(), rect.Bottom());
  DeviceLineTo(rect.Left(), rect.Bottom());
  DestroyPen();
}

void QVDevice::DrawSunkenEdge(QVRect rect) { DrawEdge(rect, QVColor(128, 128, 128), QVColor(255, 255, 255)); }
void QVDevice::DrawRaisedEdge(QVRect rect) { DrawEdge(rect, QVColor(255, 255, 255), QVColor(128, 128, 128)); }

int16_t QVDevice::SetDIBitsToDevice(int16_t x, int16_t y, uint32_t width, uint32_t height, int16_t srcX, int16_t srcY,
                                    uint32_t startScan, uint32_t scanLines, const unsigned char* bits,
                                    const BITMAPINFO* info, uint32_t usage)
{
  if (!hdc)
    return 0;
  return static_cast<int16_t>(
      ::SetDIBitsToDevice(hdc, x, y, width, height, srcX, srcY, startScan, scanLines, bits, info, usage));
}

int32_t QVDevice::QVBitBlt(int32_t x, int32_t y, int32_t width, int32_t height, HBITMAP bitmap, int32_t, int32_t,
                           int32_t)
{
  BITMAP record{};
  if (GetObjectA(bitmap, sizeof record, &record) == 0 || width > record.bmWidth || height > record.bmHeight)
    return 0;
  const int64_t size = int64_t{record.bmWidth} * record.bmHeight * 4;
  if (size > INT32_MAX)
    return 0;
  QVHandle block(static_cast<int32_t>(size));
  QVPointer locked(&block);
  unsigned char* dib = locked;
  if (!dib)
    return 0;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = record.bmWidth;
  info.bmiHeader.biHeight = record.bmHeight; // bottom-up
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biXPelsPerMeter = info.bmiHeader.biYPelsPerMeter = kPixelsPerMetre;
  GetDIBits(hdc, bitmap, 0, static_cast<UINT>(record.bmHeight), dib, &info, DIB_RGB_COLORS);
  // GetDIBits wrote rows of the bitmap's width, whatever width is drawn.
  const int32_t rowBytes = (record.bmWidth * 3 + 3) / 4 * 4;
  for (int32_t r = 0; r < height; ++r) {
    // Bottom-up: with a height below the bitmap's, its bottom part is drawn.
    const unsigned char* pixel = dib + static_cast<ptrdiff_t>(height - 1 - r) * rowBytes;
    for (int32_t c = 0; c < width; ++c, pixel += 3) {
      if (pixel[0] > 254 && pixel[1] > 254 && pixel[2] == 255)
        continue; // white is transparent
      SetPixel(hdc, x + c, y + r, RGB(pixel[2], pixel[1], pixel[0]));
    }
  }
  return 1;
}

int32_t QVDevice::QVImageBlt(int32_t x, int32_t y, const QVImage* image, const QVColor& transparent)
{
  if (!image || !image->HasPixels())
    return 0;
  const COLORREF key = static_cast<COLORREF>(transparent.GetRGB());
  const bool grey = image->bytesPerPixel == 1;
  for (int32_t row = 0; row < image->height; ++row) {
    const unsigned char* pixel = ImageRow(*image, row);
    for (int32_t column = 0; column < image->width; ++column, pixel += image->bytesPerPixel) {
      const COLORREF colour = grey ? RGB(pixel[0], pixel[0], pixel[0]) : RGB(pixel[2], pixel[1], pixel[0]);
      if (colour != key)
        SetPixel(hdc, x + column, y + row, colour);
    }
  }
  return 1;
}

HBITMAP QVDevice::GetDeviceBitmap(const QVImage* image)
{
  if (!image || !image->HasPixels())
    return nullptr;
  QVDIBHeader grey;
  const BITMAPINFO* info = ImageDIBHeader(*image, &grey);
  return CreateDIBitmap(hdc, &info->bmiHeader, CBM_INIT, image->pixels, info, DIB_RGB_COLORS);
}

void QVDevice::DeleteDeviceBitmap(HBITMAP bitmap) { DeleteObject(bitmap); }
