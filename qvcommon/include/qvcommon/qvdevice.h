#pragma once
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvrect.h"
#include "win32/dibs.h"

class QVImage;
class QVWindow;

// A GDI device context for the framework's drawing. The device owns the one
// pen, brush and font it selects at a time, and remembers what each replaced
// so that destroying one (or the device) puts the context back as it was.
// Text state (background mode, text colour, alignment, raster operation) is
// kept the same way: each Set remembers the value it replaced for its
// Restore. A device without a context draws nothing.
class QVCOMMON_API QVDevice {
public:
  enum qvdTextFace { qvdArial = 0, qvdNoFont = 1 };
  enum qvdTextAlign { qvdLeft = 0, qvdRight = 1, qvdCenter = 2 };

  // No context.
  QVDevice();
  // The client area of the window (GetDC); the device releases the context.
  explicit QVDevice(QVWindow* window);
  explicit QVDevice(HWND hwnd);
  QVDevice(const QVDevice&) = delete;
  QVDevice& operator=(const QVDevice&) = delete;

  // ---- Virtual operations, in their fixed order ----
  // Cleanup, any text state still changed put back, then the context
  // released when the device took it.
  virtual ~QVDevice();
  // Every field null, 0 or false.
  virtual void Initialize();
  // DestroyPen, DestroyBrush, DestroyFont.
  virtual void Cleanup();
  // The client size of the device's window; 0 without a window.
  virtual int32_t Width();
  virtual int32_t Height();
  virtual HDC GetDevice();
  // A solid pen of the width in the colour (black when null), replacing the
  // one this device made before. Returns 0.
  virtual int16_t SetDevicePen(int16_t width, const QVColor* color);
  virtual void DestroyPen();
  // A solid brush of the colour (black when null). Returns 0.
  virtual int16_t SetDeviceBrush(const QVColor* color);
  virtual void DestroyBrush();
  virtual void SetBkMode(int32_t mode);
  virtual void SetTextColor(const QVColor& color);
  // qvdLeft, qvdRight or qvdCenter; any other value aligns left.
  virtual void SetTextAlign(qvdTextAlign align);
  // Each puts back the value its Set replaced; nothing without a Set since
  // the last Restore.
  virtual void RestoreBkMode();
  virtual void RestoreTextColor();
  virtual void RestoreTextAlign();
  // qvdArial: an Arial font of the height (12 when 0), bold 700 or 400,
  // replacing the one this device made before; qvdNoFont: just that removal.
  // Returns 0; -1 for any other face, which changes nothing.
  virtual int16_t SetFontFace(qvdTextFace face, int16_t height, bool bold, bool italic);
  virtual void DestroyFont();
  virtual void DeviceMovePenTo(int32_t x, int32_t y);
  virtual void DeviceLineTo(int32_t x, int32_t y);
  // Fills the rectangle with this device's brush; nothing without one.
  virtual void PaintRect(const QVRect& rect);
  // A 1-pixel frame just inside the rectangle in this device's brush.
  virtual void DrawFrameRect(const QVRect& rect);
  virtual void DrawEllipse(const QVRect& rect);
  virtual void DrawRectangle(const QVRect& rect);
  // The Windows call; 0 without a context.
  virtual int16_t SetDIBitsToDevice(int16_t x, int16_t y, uint32_t width, uint32_t height, int16_t srcX, int16_t srcY,
                                    uint32_t startScan, uint32_t scanLines, const unsigned char* bits,
                                    const BITMAPINFO* info, uint32_t usage);
  // Draws the bottom width x height part of the bitmap at (x, y) pixel by
  // pixel, leaving white pixels undrawn. 0 (nothing drawn) when the size
  // exceeds the bitmap's, the bitmap is unknown or memory runs out; else 1.
  // The last three arguments are not used.
  virtual int32_t QVBitBlt(int32_t x, int32_t y, int32_t width, int32_t height, HBITMAP bitmap, int32_t unused1,
                           int32_t unused2, int32_t unused3);
  // The client rectangle of the window, else of hwnd; untouched without either.
  virtual void GetWindowClientRect(RECT* rect);

  // ---- Non-virtual ----
  void TextOutA(int32_t x, int32_t y, const char* text, int32_t length);
  // Grey (128) left and top edges and white right and bottom ones, drawn
  // from corner to corner with 1-pixel pens; the raised edge swaps them.
  // Either replaces the pen this device made.
  void DrawSunkenEdge(QVRect rect);
  void DrawRaisedEdge(QVRect rect);
  // Every pixel of the image at (x + column, y + row), except those of the
  // transparent colour; grey images draw grey. 1, or 0 for an image without
  // pixels.
  int32_t QVImageBlt(int32_t x, int32_t y, const QVImage* image, const QVColor& transparent);
  // A memory bitmap holding the image upright; null for an image without
  // pixels. Delete it with DeleteDeviceBitmap.
  HBITMAP GetDeviceBitmap(const QVImage* image);
  void DeleteDeviceBitmap(HBITMAP bitmap);
  // R2_NOTXORPEN, remembering the raster operation it replaced.
  void SetROP();
  void RestoreROP();
  QVWindow* GetDeviceWindow();

protected:
  // The left and top edges in one colour, then the right and bottom ones.
  void DrawEdge(const QVRect& rect, const QVColor& topLeft, const QVColor& bottomRight);
  // Every Restore whose Set is still in force.
  void RestoreTextState();

  HDC hdc = nullptr;
  QVWindow* window = nullptr;
  HWND hwnd = nullptr;
  bool ownsDC = false;
  HPEN pen = nullptr;
  HPEN previousPen = nullptr;
  HFONT font = nullptr;
  HFONT previousFont = nullptr;
  HBRUSH brush = nullptr;
  HBRUSH previousBrush = nullptr;
  int previousBkMode = 0;
  unsigned int previousTextAlign = 0;
  COLORREF previousTextColor = 0;
  int previousROP = 0;
  // Whether a Set has a value for its Restore to put back.
  bool savedBkMode = false;
  bool savedTextAlign = false;
  bool savedTextColor = false;
  bool savedROP = false;
};
