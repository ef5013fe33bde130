#include "qvdib.h"

#include "win32/modules.h"

#include <cstring>

const BITMAPINFO* ImageDIBHeader(const QVImage& image, QVDIBHeader* storage)
{
  const BITMAPINFOHEADER& own = image.displayHeader.bmiHeader;
  if (image.bytesPerPixel == 3 && own.biBitCount == 24 && own.biWidth == image.width && own.biHeight == -image.height)
    return &image.displayHeader;
  // Grey pixels, read through a 24-bit header, would be read three times
  // over: they get an 8-bit header whose table maps each value to its grey.
  *storage = QVDIBHeader{};
  storage->bmiHeader = own;
  storage->bmiHeader.biWidth = image.width;
  storage->bmiHeader.biHeight = -image.height;
  storage->bmiHeader.biBitCount = static_cast<WORD>(image.bytesPerPixel * 8);
  if (image.bytesPerPixel == 1) {
    storage->bmiHeader.biClrUsed = 256;
    for (int i = 0; i < 256; ++i)
      storage->bmiColors[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
  }
  return storage->Info();
}

bool ParsePackedDIB(const void* data, size_t size, QVPackedDIB* dib)
{
  DWORD headerSize = 0;
  if (!data || size < sizeof headerSize)
    return false;
  std::memcpy(&headerSize, data, sizeof headerSize);
  int64_t width, height, colours;
  int bits;
  size_t entryBytes;
  if (headerSize == sizeof(BITMAPCOREHEADER) && size >= headerSize) {
    BITMAPCOREHEADER core;
    std::memcpy(&core, data, sizeof core);
    width = core.bcWidth;
    height = core.bcHeight;
    bits = core.bcBitCount;
    colours = bits <= 8 ? int64_t{1} << bits : 0;
    entryBytes = sizeof(RGBTRIPLE);
  } else if (headerSize >= sizeof(BITMAPINFOHEADER) && headerSize <= size) {
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof header);
    if (header.biCompression != BI_RGB)
      return false;
    width = header.biWidth;
    height = header.biHeight < 0 ? -int64_t{header.biHeight} : header.biHeight;
    bits = header.biBitCount;
    colours = header.biClrUsed != 0 ? header.biClrUsed : (bits <= 8 ? int64_t{1} << bits : 0);
    entryBytes = sizeof(RGBQUAD);
  } else {
    return false;
  }
  if ((bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) || width <= 0 || height <= 0 ||
      height > INT32_MAX || colours > 256)
    return false;
  // Header, colour table and rows must all lie within the resource.
  const int64_t stride = (width * bits + 31) / 32 * 4;
  const int64_t tableEnd = int64_t{headerSize} + colours * static_cast<int64_t>(entryBytes);
  const auto available = static_cast<int64_t>(size);
  if (tableEnd > available || height > (available - tableEnd) / stride)
    return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  dib->info = static_cast<const BITMAPINFO*>(data);
  dib->bits = bytes + tableEnd;
  dib->width = static_cast<int32_t>(width);
  dib->height = static_cast<int32_t>(height);
  dib->colours = static_cast<int32_t>(colours);
  return true;
}

const void* LockBitmapResource(HINSTANCE module, LPCSTR name, DWORD* size)
{
  HRSRC found = FindResourceA(module, name, RT_BITMAP);
  *size = found ? SizeofResource(module, found) : 0;
  if (*size == 0)
    return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  return loaded ? LockResource(loaded) : nullptr;
}
