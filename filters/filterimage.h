#pragma once
// Shared by the despeckle and descreen filters; not part of their interface.
#include "qvcommon/qvimage.h"

namespace lvxfilters {

// The images the filters work on: pixels present, no error, a non-empty
// size, 1 to 4 bytes per pixel and rows long enough for their pixels.
inline bool Workable(const QVImage* image)
{
  return image && image->HasPixels() && !image->error && image->width > 0 && image->height > 0 &&
         image->bytesPerPixel >= 1 && image->bytesPerPixel <= 4 &&
         int64_t{image->rowBytes} >= int64_t{image->width} * image->bytesPerPixel;
}

// Row y of the image's pixels.
inline unsigned char* Row(const QVImage& image, int32_t y)
{
  return image.pixels + static_cast<ptrdiff_t>(y) * image.rowBytes;
}

} // namespace lvxfilters
