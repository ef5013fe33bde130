#pragma once
// Shared by the framework's sources, not exported.
#include "qvcommon/qvimage.h"
#include "qvcommon/qvpixelclamp.h"

#include <algorithm>
#include <cstddef>

// A new image holding the library bitmap's pixels (the bitmap is freed in
// any case); null when memory runs out or the pixels cannot be taken.
QVImage* NewImageFromBitmap(imaging::Bitmap* bitmap);

// Row y of the image's pixels.
inline unsigned char* ImageRow(const QVImage& image, int32_t y)
{
  return image.pixels + static_cast<ptrdiff_t>(y) * image.rowBytes;
}

// Any 64-bit value clamped to a byte through the clamp table's rule.
inline uint8_t ClampWide(int64_t v)
{
  return QVPixelClamp::Clamp(static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)));
}
