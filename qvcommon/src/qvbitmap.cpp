#include "qvcommon/qvbitmap.h"

#include "qvcommon/qvutil.h"
#include "win32/gdi.h"
#include "win32/modules.h"

QVBitmap::QVBitmap() = default;

QVBitmap::~QVBitmap()
{
  if (hBit)
    DeleteObject(hBit);
}

void QVBitmap::SetBitmapID(int id) { bitmapID = id; }
int QVBitmap::GetBitmapID() const { return bitmapID; }
HBITMAP QVBitmap::GethBit() const { return hBit; }
int32_t QVBitmap::Width() const { return info.bmWidth; }
int32_t QVBitmap::Height() const { return info.bmHeight; }

int QVBitmap::Initialize(HINSTANCE module)
{
  if (bitmapID == 0)
    return 0;
  if (hBit)
    DeleteObject(hBit);
  hBit = nullptr;
  info = BITMAP{};
  HPALETTE palette = nullptr;
  hBit = QVUtil(module).LoadResourceBitmap(module, MAKEINTRESOURCEA(bitmapID), &palette);
  if (!hBit)
    return 0;
  GetObjectA(hBit, sizeof info, &info);
  if (palette)
    DeleteObject(palette);
  return 1;
}
