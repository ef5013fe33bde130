// Bitmaps and device contexts: a context over a bitmap, painting a bitmap
// plainly or with a transparent colour, and capturing a context's pixels.
#include "codecs.h"

#include "win32/dibs.h"
#include "win32/gdi.h"
#include "win32/internal/surfacedc.h"

#include <algorithm>
#include <map>
#include <memory>

namespace imaging {

namespace {

using detail::Fail;
using ll = long long;

// The contexts GetDC made: the bitmap each belongs to and the 32-bit copy it
// draws on (its memory stays put while the entry lives).
struct BitmapDC {
  Bitmap* bitmap = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  std::unique_ptr<BYTE[]> pixels;
};

std::map<HDC, BitmapDC>& BitmapDCs()
{
  static auto* contexts = new std::map<HDC, BitmapDC>;
  return *contexts;
}

// The 3 bytes B, G, R of picture pixel x in a row of the bitmap (grey
// pixels give the same value three times).
void PixelOf(const Bitmap& bitmap, const uint8_t* row, ll x, BYTE* bgr)
{
  if (bitmap.bitsPerPixel == 24) {
    std::copy_n(row + x * 3, 3, bgr);
  } else {
    bgr[0] = bgr[1] = bgr[2] = row[x];
  }
}

HDC MakeBitmapDC(Bitmap* bitmap)
{
  BitmapDC entry;
  entry.bitmap = bitmap;
  entry.width = bitmap->width;
  entry.height = bitmap->height;
  const size_t stride = size_t(bitmap->width) * 4;
  // Every byte is written below (the fourth of each pixel is 0): no fill
  // beforehand.
  entry.pixels.reset(new BYTE[stride * size_t(bitmap->height)]);
  for (int32_t y = 0; y < bitmap->height; ++y) {
    const uint8_t* row = bitmap->PictureRow(y);
    BYTE* out = entry.pixels.get() + size_t(y) * stride;
    for (int32_t x = 0; x < bitmap->width; ++x, out += 4) {
      PixelOf(*bitmap, row, x, out);
      out[3] = 0;
    }
  }
  HDC dc = standin::CreateSurfaceDC(entry.pixels.get(), entry.width, entry.height, ptrdiff_t(stride));
  if (dc)
    BitmapDCs().emplace(dc, std::move(entry));
  return dc;
}

// The surface pixel of context point (x, y) when the context may draw there.
BYTE* SurfacePixel(const standin::DCSurface& surface, ll x, ll y)
{
  const ll sx = x + surface.origin.x, sy = y + surface.origin.y;
  if (!standin::MayDraw(surface, sx, sy))
    return nullptr;
  return surface.pixels + sy * surface.stride + sx * 4;
}

int32_t Draw(HDC dc, const Bitmap* bitmap, const RECT* src, const RECT* dst, bool keyed)
{
  standin::DCSurface surface;
  if (!detail::HasPixels(bitmap) || !standin::GetDCSurface(dc, &surface))
    return kErrorBadArgument;
  const RECT from = src ? *src : RECT{0, 0, bitmap->width, bitmap->height};
  const ll sw = ll(from.right) - from.left, sh = ll(from.bottom) - from.top;
  const RECT to = dst ? *dst : RECT{0, 0, LONG(std::min<ll>(sw, INT32_MAX)), LONG(std::min<ll>(sh, INT32_MAX))};
  const ll dw = ll(to.right) - to.left, dh = ll(to.bottom) - to.top;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0)
    return kErrorBadArgument;
  const bool skipKey = keyed && bitmap->transparentMode == kTransparentColour;
  const uint32_t key = bitmap->transparentColour;
  // Only destination pixels inside the clip are visited, so the products
  // below stay far from overflowing (the clip is smaller than 2^31 pixels).
  const ll rowFrom = std::max<ll>(0, ll(surface.clip.top) - surface.origin.y - to.top);
  const ll rowTo = std::min<ll>(dh, ll(surface.clip.bottom) - surface.origin.y - to.top);
  const ll colFrom = std::max<ll>(0, ll(surface.clip.left) - surface.origin.x - to.left);
  const ll colTo = std::min<ll>(dw, ll(surface.clip.right) - surface.origin.x - to.left);
  for (ll i = rowFrom; i < rowTo; ++i) {
    // Nearest neighbour: the source pixel under the destination pixel's centre.
    const ll sy = from.top + (2 * i + 1) * sh / (2 * dh);
    if (sy < 0 || sy >= bitmap->height)
      continue;
    const uint8_t* row = bitmap->PictureRow(int32_t(sy));
    for (ll j = colFrom; j < colTo; ++j) {
      const ll sx = from.left + (2 * j + 1) * sw / (2 * dw);
      if (sx < 0 || sx >= bitmap->width)
        continue;
      BYTE bgr[3];
      PixelOf(*bitmap, row, sx, bgr);
      if (skipKey && RGB(bgr[2], bgr[1], bgr[0]) == key)
        continue;
      if (BYTE* out = SurfacePixel(surface, to.left + j, to.top + i))
        std::copy_n(bgr, 3, out);
    }
  }
  return kSuccess;
}

int32_t Capture(Bitmap* bitmap, HDC dc, const RECT* rect, std::string* error)
{
  standin::DCSurface surface;
  if (!bitmap || !rect || !standin::GetDCSurface(dc, &surface))
    return Fail(error, kErrorBadArgument, "no device context or rectangle to capture");
  const ll w = ll(rect->right) - rect->left, h = ll(rect->bottom) - rect->top;
  if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX)
    return Fail(error, kErrorBadArgument, "the capture rectangle is empty");
  Bitmap result;
  const int32_t status = Create(&result, 1, int32_t(w), int32_t(h), 24, 1, error);
  if (status != kSuccess)
    return status;
  result.rowOrder = kRowsBottomUp;
  for (ll y = 0; y < h; ++y) {
    uint8_t* row = result.Row(int32_t(h - 1 - y));
    for (ll x = 0; x < w; ++x)
      if (const BYTE* in = SurfacePixel(surface, rect->left + x, rect->top + y))
        std::copy_n(in, 3, row + x * 3);
  }
  *bitmap = std::move(result);
  return kSuccess;
}

} // namespace

HDC GetDC(Bitmap* bitmap)
{
  if (!detail::HasPixels(bitmap))
    return nullptr;
  try {
    return MakeBitmapDC(bitmap);
  } catch (...) {
    return nullptr;
  }
}

int32_t ReleaseDC(Bitmap* bitmap, HDC dc)
{
  auto found = BitmapDCs().find(dc);
  if (found == BitmapDCs().end() || found->second.bitmap != bitmap)
    return kErrorBadArgument;
  const BitmapDC& entry = found->second;
  const bool sameSize = detail::HasPixels(bitmap) && bitmap->width == entry.width && bitmap->height == entry.height;
  if (sameSize) {
    const size_t stride = size_t(entry.width) * 4;
    for (int32_t y = 0; y < entry.height; ++y) {
      const BYTE* in = entry.pixels.get() + size_t(y) * stride;
      uint8_t* row = bitmap->Row(bitmap->BottomUp() ? entry.height - 1 - y : y);
      for (int32_t x = 0; x < entry.width; ++x, in += 4) {
        if (bitmap->bitsPerPixel == 24)
          std::copy_n(in, 3, row + x * 3);
        else
          row[x] = detail::GreyOf(in);
      }
    }
  }
  DeleteDC(dc);
  BitmapDCs().erase(found);
  return sameSize ? kSuccess : kErrorBadArgument;
}

int32_t Paint(HDC dc, const Bitmap* bitmap, const RECT* src, const RECT* dst, DWORD rop)
{
  if (rop != SRCCOPY)
    return kErrorBadArgument;
  return Draw(dc, bitmap, src, dst, false);
}

int32_t PaintTransparent(HDC dc, const Bitmap* bitmap, const RECT* src, const RECT* dst)
{
  return Draw(dc, bitmap, src, dst, true);
}

int32_t CreateFromDC(Bitmap* bitmap, HDC dc, const RECT* rect, std::string* error)
{
  return detail::NoThrow(error, [&] { return Capture(bitmap, dc, rect, error); });
}

} // namespace imaging
