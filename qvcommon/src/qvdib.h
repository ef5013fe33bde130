#pragma once
// Device-independent bitmaps as the framework hands them to GDI: the header
// that paints an image's pixels, and packed DIB resources checked before use.
// Shared by the framework's sources, not exported.
#include "qvcommon/qvimage.h"
#include "win32/dibs.h"

#include <cstddef>

// A BITMAPINFO with room for a full colour table.
struct QVDIBHeader {
  BITMAPINFOHEADER bmiHeader{};
  RGBQUAD bmiColors[256]{};
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

// The header that describes the image's pixels, rows top-down: the image's
// own display header for colour pixels, else one built in `storage` (8 bits
// with a grey table for grey pixels).
const BITMAPINFO* ImageDIBHeader(const QVImage& image, QVDIBHeader* storage);

// A packed DIB (header, colour table, rows) whose parts all lie within its
// bytes: a 40-byte (or larger) header or the 12-byte core header, BI_RGB, 1,
// 4, 8, 24 or 32 bits, at most 256 colour entries.
struct QVPackedDIB {
  const BITMAPINFO* info = nullptr;
  const unsigned char* bits = nullptr;
  int32_t width = 0;
  int32_t height = 0;  // rows, whatever their order
  int32_t colours = 0; // colour table entries
};
bool ParsePackedDIB(const void* data, size_t size, QVPackedDIB* dib);

// The bytes of a module's bitmap resource; null when it is missing or empty.
const void* LockBitmapResource(HINSTANCE module, LPCSTR name, DWORD* size);
