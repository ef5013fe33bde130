#pragma once
// Shared by the framework's sources, not exported.
#include "qvcommon/qvimage.h"
#include "qvcommon/qvpixelclamp.h"
#include "win32/memory.h"

#include <algorithm>
#include <cstddef>

// A new image holding the library bitmap's pixels (the bitmap is freed in
// any case); null when memory runs out or the pixels cannot be taken.
QVImage* NewImageFromBitmap(imaging::Bitmap* bitmap);

// A zeroed, locked, movable global block: an image's pixels or temporary
// pixel work. Sizes of 0 or over 2 GB are refused like a failed allocation.
class GlobalBlock {
public:
  explicit GlobalBlock(int64_t bytes)
  {
    if (bytes <= 0 || bytes > INT32_MAX)
      return;
    handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(bytes));
    address = handle ? GlobalLock(handle) : nullptr;
    if (!address && handle) {
      GlobalFree(handle);
      handle = nullptr;
    }
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  ~GlobalBlock()
  {
    if (!handle)
      return;
    GlobalUnlock(handle);
    GlobalFree(handle);
  }
  explicit operator bool() const { return address != nullptr; }
  template <class T>
  T* As() const
  {
    return static_cast<T*>(address);
  }
  // Hands the block, still locked, to the caller.
  HGLOBAL Release()
  {
    HGLOBAL h = handle;
    handle = nullptr;
    return h;
  }

private:
  HGLOBAL handle = nullptr;
  void* address = nullptr;
};

// Row y of the image's pixels.
inline unsigned char* ImageRow(const QVImage& image, int32_t y)
{
  return image.pixels + static_cast<ptrdiff_t>(y) * image.rowBytes;
}

// Pixel (x, y) of the image.
inline unsigned char* ImagePixel(const QVImage& image, int32_t x, int32_t y)
{
  return ImageRow(image, y) + static_cast<ptrdiff_t>(x) * image.bytesPerPixel;
}

// Any 64-bit value clamped to a byte through the clamp table's rule.
inline uint8_t ClampWide(int64_t v)
{
  return QVPixelClamp::Clamp(static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
}

// Visits every pixel of every row (never the padding).
template <class F>
void ForEachPixel(QVImage& image, F visit)
{
  for (int32_t y = 0; y < image.height; ++y) {
    unsigned char* p = ImageRow(image, y);
    for (int32_t x = 0; x < image.width; ++x, p += image.bytesPerPixel)
      visit(p);
  }
}

// Visits every pixel byte of every row (never the padding).
template <class F>
void ForEachByte(QVImage& image, F visit)
{
  const int64_t count = int64_t{image.width} * image.bytesPerPixel;
  for (int32_t y = 0; y < image.height; ++y) {
    unsigned char* p = ImageRow(image, y);
    for (int64_t i = 0; i < count; ++i)
      visit(p[i]);
  }
}

// Whether both images have pixels of the same sizes and row layout.
inline bool SameLayout(const QVImage& a, const QVImage& b)
{
  return a.HasPixels() && b.HasPixels() && a.height == b.height && a.width == b.width &&
         a.bytesPerPixel == b.bytesPerPixel && a.rowBytes == b.rowBytes;
}
