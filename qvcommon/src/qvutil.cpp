#include "qvcommon/qvutil.h"

#include "qvdib.h"
#include "win32/gdi.h"
#include "win32/memory.h"

#include <algorithm>
#include <cstring>

QVUtil::QVUtil(HINSTANCE module) : instance(module) {}
QVUtil::~QVUtil() = default;

HBITMAP QVUtil::LoadResourceBitmap(HINSTANCE module, const char* name, HPALETTE* palette)
{
  DWORD size = 0;
  const void* resource = LockBitmapResource(module, name, &size);
  QVPackedDIB dib;
  if (!resource || !ParsePackedDIB(resource, size, &dib))
    return nullptr;
  HDC screen = GetDC(nullptr);
  int colours = 0;
  HPALETTE made = CreateDIBPalette(dib.info, &colours);
  if (made) {
    SelectPalette(screen, made, FALSE);
    RealizePalette(screen);
  }
  HBITMAP bitmap = CreateDIBitmap(screen, &dib.info->bmiHeader, CBM_INIT, dib.bits, dib.info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  // The palette goes to the caller with the bitmap, or not at all.
  if (made && (!bitmap || !palette))
    DeleteObject(made);
  else if (bitmap && palette)
    *palette = made;
  return bitmap;
}

HPALETTE QVUtil::CreateDIBPalette(const BITMAPINFO* info, int* colours)
{
  if (colours)
    *colours = 0;
  if (!info)
    return nullptr;
  const bool core = info->bmiHeader.biSize == sizeof(BITMAPCOREHEADER);
  int bits;
  if (core) {
    BITMAPCOREHEADER header;
    std::memcpy(&header, info, sizeof header);
    bits = header.bcBitCount;
  } else {
    bits = info->bmiHeader.biBitCount;
  }
  uint32_t count = bits >= 1 && bits <= 8 ? 1u << bits : 0;
  if (!core && info->bmiHeader.biClrUsed != 0)
    count = info->bmiHeader.biClrUsed;
  if (colours)
    *colours = static_cast<int>(std::min<uint32_t>(count, INT32_MAX));
  if (count == 0 || count > 256)
    return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(count) * 4 + 8);
  auto* logical = block ? static_cast<LOGPALETTE*>(GlobalLock(block)) : nullptr;
  HPALETTE palette = nullptr;
  if (logical) {
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(count);
    const auto* table = reinterpret_cast<const BYTE*>(info) + info->bmiHeader.biSize;
    const size_t entryBytes = core ? sizeof(RGBTRIPLE) : sizeof(RGBQUAD);
    for (uint32_t i = 0; i < count; ++i) {
      const BYTE* entry = table + static_cast<size_t>(i) * entryBytes; // B, G, R in both forms
      logical->palPalEntry[i] = PALETTEENTRY{entry[2], entry[1], entry[0], 0};
    }
    palette = CreatePalette(logical);
    GlobalUnlock(block);
  }
  if (block)
    GlobalFree(block);
  return palette;
}
