#pragma once
#include "qvcommon/qvdefs.h"
#include "win32/dibs.h"

// Bitmap resources as GDI bitmaps with the palettes of their colour tables.
class QVCOMMON_API QVUtil {
public:
  explicit QVUtil(HINSTANCE instance);
  QVUtil(const QVUtil&) = delete;
  QVUtil& operator=(const QVUtil&) = delete;
  virtual ~QVUtil();

  // The bitmap resource `name` (a string or an id made with
  // MAKEINTRESOURCEA) of the module as a memory bitmap, with *palette set
  // to the palette of its colour table (null when it has none). Null, with
  // *palette untouched, when the resource is missing or damaged (parts past
  // its end, over 256 colours, an unsupported depth or compression).
  HBITMAP LoadResourceBitmap(HINSTANCE module, const char* name, HPALETTE* palette);
  // A palette of the DIB's colour table, the entry count in *colours:
  // biClrUsed when set, else 2^bits up to 8 bits, else 0 (no palette). The
  // 12-byte core header's table has 3-byte entries. Null too for more than
  // 256 entries or when memory runs out.
  HPALETTE CreateDIBPalette(const BITMAPINFO* info, int* colours);

protected:
  HINSTANCE instance = nullptr;
};
