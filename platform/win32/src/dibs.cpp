// Device-independent bitmaps: drawing them into contexts, making memory
// bitmaps from them and reading memory bitmaps back into them.
#include "gdi.h"

#include "win32/dibs.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

using namespace standin::detail;
using ll = long long;

// The format of a device-independent bitmap, from its header.
struct DibFormat {
  int width = 0;
  int height = 0; // always positive
  bool topDown = false;
  int bits = 0;      // 1, 4, 8, 24 or 32
  size_t stride = 0; // bytes per row, padded to 4
  std::vector<RGBQUAD> colors;
};

// Reads a header (and, when `withColors`, the colour table after it). False
// for anything but the forms listed in win32.h.
bool ParseDib(const void* header, bool withColors, DibFormat* format)
{
  if (!header)
    return false;
  DWORD size;
  std::memcpy(&size, header, sizeof size);
  const BYTE* table = static_cast<const BYTE*>(header) + size;
  size_t entryBytes;
  ll width, height;
  DWORD colorsUsed = 0;
  if (size == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER core;
    std::memcpy(&core, header, sizeof core);
    width = core.bcWidth;
    height = core.bcHeight;
    format->bits = core.bcBitCount;
    entryBytes = sizeof(RGBTRIPLE);
  } else if (size >= sizeof(BITMAPINFOHEADER)) {
    BITMAPINFOHEADER info;
    std::memcpy(&info, header, sizeof info);
    if (info.biCompression != BI_RGB)
      return false;
    width = info.biWidth;
    height = info.biHeight;
    format->bits = info.biBitCount;
    colorsUsed = info.biClrUsed;
    entryBytes = sizeof(RGBQUAD);
  } else {
    return false;
  }
  const int bits = format->bits;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    return false;
  format->topDown = height < 0;
  height = height < 0 ? -height : height;
  const ll stride = (width * bits + 31) / 32 * 4;
  // Rows beyond 2 GiB in all are refused, as surfaces are.
  if (width <= 0 || height <= 0 || height > INT_MAX || stride * height > (ll(1) << 31))
    return false;
  format->width = int(width);
  format->height = int(height);
  format->stride = size_t(stride);
  format->colors.clear();
  if (bits > 8)
    return true;
  const size_t count = colorsUsed ? colorsUsed : size_t(1) << bits;
  if (count > 256)
    return false;
  if (!withColors)
    return true;
  format->colors.resize(count);
  for (size_t i = 0; i < count; ++i)
    std::memcpy(&format->colors[i], table + i * entryBytes, 3); // B, G, R in both forms
  return true;
}

// Pixel x of a DIB row as B, G, R; an index past the colour table is black.
void ReadPixel(const DibFormat& format, const BYTE* row, int x, BYTE* bgr)
{
  size_t index;
  switch (format.bits) {
  case 1: index = (row[x >> 3] >> (7 - (x & 7))) & 1u; break;
  case 4: index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu; break;
  case 8: index = row[x]; break;
  default: std::memcpy(bgr, row + size_t(x) * size_t(format.bits / 8), 3); return;
  }
  if (index < format.colors.size())
    std::memcpy(bgr, &format.colors[index], 3);
  else
    bgr[0] = bgr[1] = bgr[2] = 0;
}

// Checks the arguments every DIB transfer shares; false (with the error set)
// when they are unusable.
bool PrepareTransfer(HDC hdc, const void* bits, const BITMAPINFO* info, UINT usage, DeviceContext** dc,
                     DibFormat* format)
{
  *dc = FindDC(hdc);
  if (!*dc)
    return Fail(ERROR_INVALID_HANDLE, false);
  if (!bits || usage != DIB_RGB_COLORS || !ParseDib(info, true, format))
    return Fail(ERROR_INVALID_PARAMETER, false);
  return true;
}

// The intersection of [from, to) with [low, high).
void Cut(ll* from, ll* to, ll low, ll high)
{
  *from = std::max(*from, low);
  *to = std::min(*to, high);
}

} // namespace

extern "C" {

int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage)
{
  DeviceContext* dc;
  DibFormat format;
  if (!PrepareTransfer(hdc, bits, info, usage, &dc, &format))
    return 0;
  // Destination row i takes the source row of top-down index first + i; only
  // indexes 0 .. lines - 1 exist in `bits`.
  const ll first = ll(startScan) + ll(lines) - ll(ySrc) - ll(height);
  ll rowFrom = 0, rowTo = height;
  Cut(&rowFrom, &rowTo, -first, ll(lines) - first);
  if (rowTo <= rowFrom)
    return 0;
  const int drawn = int(rowTo - rowFrom);

  Canvas canvas(*dc);
  if (!canvas.Ready())
    return drawn;
  const RECT clip = canvas.Clip();
  ll colFrom = 0, colTo = width;
  Cut(&colFrom, &colTo, -ll(xSrc), ll(format.width) - xSrc);
  Cut(&colFrom, &colTo, ll(clip.left) - x, ll(clip.right) - x);
  Cut(&rowFrom, &rowTo, ll(clip.top) - y, ll(clip.bottom) - y);
  const BYTE* buffer = static_cast<const BYTE*>(bits);
  for (ll i = rowFrom; i < rowTo; ++i) {
    const ll index = first + i;
    const ll bufferRow = format.topDown ? index : ll(lines) - 1 - index;
    const BYTE* row = buffer + size_t(bufferRow) * format.stride;
    // The clip is the bounds of the update region, which may leave holes.
    for (ll j = colFrom; j < colTo; ++j)
      if (BYTE* pixel = canvas.PixelAt(x + j, y + i))
        ReadPixel(format, row, int(xSrc + j), pixel);
  }
  return drawn;
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop)
{
  if (rop != SRCCOPY || destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0)
    return Fail(ERROR_INVALID_PARAMETER, 0);
  DeviceContext* dc;
  DibFormat format;
  if (!PrepareTransfer(hdc, bits, info, usage, &dc, &format))
    return 0;
  Canvas canvas(*dc);
  if (!canvas.Ready())
    return destHeight;
  // The source rectangle's top row, counted from the top.
  const ll top = format.topDown ? ll(ySrc) : ll(format.height) - ySrc - srcHeight;
  const RECT clip = canvas.Clip();
  ll rowFrom = 0, rowTo = destHeight, colFrom = 0, colTo = destWidth;
  Cut(&rowFrom, &rowTo, ll(clip.top) - yDest, ll(clip.bottom) - yDest);
  Cut(&colFrom, &colTo, ll(clip.left) - xDest, ll(clip.right) - xDest);
  const BYTE* buffer = static_cast<const BYTE*>(bits);
  for (ll i = rowFrom; i < rowTo; ++i) {
    // Nearest neighbour: the source pixel under the destination pixel's centre.
    const ll sourceRow = top + (2 * i + 1) * srcHeight / (2 * ll(destHeight));
    if (sourceRow < 0 || sourceRow >= format.height)
      continue;
    const ll bufferRow = format.topDown ? sourceRow : format.height - 1 - sourceRow;
    const BYTE* row = buffer + size_t(bufferRow) * format.stride;
    for (ll j = colFrom; j < colTo; ++j) {
      const ll sourceColumn = xSrc + (2 * j + 1) * srcWidth / (2 * ll(destWidth));
      BYTE* pixel = canvas.PixelAt(xDest + j, yDest + i);
      if (pixel && sourceColumn >= 0 && sourceColumn < format.width)
        ReadPixel(format, row, int(sourceColumn), pixel);
    }
  }
  return destHeight;
}

HBITMAP CreateDIBitmap(HDC, const BITMAPINFOHEADER* header, DWORD init, const void* bits, const BITMAPINFO* info,
                       UINT usage)
{
  DibFormat size, format;
  if (!ParseDib(header, false, &size))
    return Fail(ERROR_INVALID_PARAMETER, HBITMAP(nullptr));
  const bool fill = (init & CBM_INIT) != 0;
  if (fill && (!bits || usage != DIB_RGB_COLORS || !ParseDib(info, true, &format)))
    return Fail(ERROR_INVALID_PARAMETER, HBITMAP(nullptr));
  Bitmap bitmap{NewSurface(size.width, size.height, 0)};
  if (!bitmap.surface)
    return Fail(ERROR_NOT_ENOUGH_MEMORY, HBITMAP(nullptr));
  if (fill) {
    const BYTE* buffer = static_cast<const BYTE*>(bits);
    const int rows = std::min(size.height, format.height), columns = std::min(size.width, format.width);
    for (int y = 0; y < rows; ++y) {
      const int bufferRow = format.topDown ? y : format.height - 1 - y;
      const BYTE* row = buffer + size_t(bufferRow) * format.stride;
      for (int x = 0; x < columns; ++x)
        ReadPixel(format, row, x, bitmap.surface->At(x, y));
    }
  }
  return static_cast<HBITMAP>(AddObject(GdiObject{std::move(bitmap), false}));
}

int GetDIBits(HDC, HBITMAP hbitmap, UINT startScan, UINT lines, void* bits, BITMAPINFO* info, UINT usage)
{
  const Bitmap* bitmap = FindObject<Bitmap>(hbitmap);
  if (!bitmap)
    return Fail(ERROR_INVALID_HANDLE, 0);
  if (!bits || !info || usage != DIB_RGB_COLORS)
    return Fail(ERROR_INVALID_PARAMETER, 0);
  const BITMAPINFOHEADER& header = info->bmiHeader;
  Surface& surface = *bitmap->surface;
  const ll height = header.biHeight < 0 ? -ll(header.biHeight) : ll(header.biHeight);
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biCompression != BI_RGB ||
      (header.biBitCount != 24 && header.biBitCount != 32) || header.biWidth != surface.width ||
      height != surface.height)
    return Fail(ERROR_INVALID_PARAMETER, 0);
  const bool topDown = header.biHeight < 0;
  const size_t pixelBytes = header.biBitCount / 8u;
  const size_t stride = (size_t(surface.width) * pixelBytes + 3) / 4 * 4;
  ll rows = std::min<ll>(lines, ll(surface.height) - ll(startScan));
  if (rows <= 0)
    return 0;
  BYTE* out = static_cast<BYTE*>(bits);
  for (ll j = 0; j < rows; ++j) {
    const ll scan = ll(startScan) + j;
    const BYTE* source = surface.At(0, int(topDown ? scan : surface.height - 1 - scan));
    BYTE* row = out + size_t(j) * stride;
    std::memset(row, 0, stride);
    for (int x = 0; x < surface.width; ++x)
      std::memcpy(row + size_t(x) * pixelBytes, source + size_t(x) * 4, 3);
  }
  return int(rows);
}

} // extern "C"
