// QVImage's measurement and search: extents, bounding boxes, pixel reads
// and the search for a value around a point.
#include "qvcommon/qvassert.h"
#include "qvcommon/qvimage.h"
#include "qvimage_internal.h"

#include <cstring>

void QVImage::Extents(int32_t threshold, int32_t margin)
{
  if (!HasPixels())
    return;
  int32_t minX = width, minY = height, maxX = 0, maxY = 0;
  for (int32_t y = 0; y < height; ++y) {
    const unsigned char* p = ImageRow(*this, y);
    for (int32_t x = 0; x < width; ++x, p += bytesPerPixel)
      if (p[0] >= threshold) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  }
  if (maxX == 0 || maxY == 0) {
    extents.SetLTRB(0, 0, 0, 0);
    return;
  }
  const int64_t m = margin;
  extents.SetLTRB(static_cast<int32_t>(std::max<int64_t>(minX - m, 0)),
                  static_cast<int32_t>(std::max<int64_t>(minY - m, 0)),
                  static_cast<int32_t>(std::min<int64_t>(width, maxX + m)),
                  static_cast<int32_t>(std::min<int64_t>(height, maxY + m)));
}

void QVImage::CalculateBoundingRect(QVRect& rect, const QVColor& colour) const
{
  if (!HasPixels())
    return;
  const unsigned char bgr[3] = {colour.B(), colour.G(), colour.R()};
  int32_t left = width, top = height, right = 0, bottom = 0;
  for (int32_t y = 0; y < height; ++y) {
    const unsigned char* p = ImageRow(*this, y);
    for (int32_t x = 0; x < width; ++x, p += bytesPerPixel)
      if (std::memcmp(p, bgr, static_cast<size_t>(std::min(bytesPerPixel, 3))) == 0) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  }
  rect.SetLTRB(left, top, right, bottom);
}

int32_t QVImage::GetIntensity(int32_t x, int32_t y) const
{
  const bool inside = HasPixels() && x >= 0 && x < width && y >= 0 && y < height;
  QV_ASSERT(inside, "GetIntensity: point outside the image");
  if (!inside)
    return 0;
  const unsigned char* p = ImagePixel(*this, x, y);
  int32_t sum = 0;
  for (int32_t k = 0; k < bytesPerPixel; ++k)
    sum += p[k];
  return sum / bytesPerPixel;
}

void QVImage::GetPIXEL(int32_t x, int32_t y, QVColor* colour) const
{
  const bool inside = HasPixels() && x >= 0 && x < width && y >= 0 && y < height;
  QV_ASSERT(inside, "GetPIXEL: point outside the image");
  if (!inside || !colour)
    return;
  const unsigned char* p = ImagePixel(*this, x, y);
  if (bytesPerPixel == 3)
    colour->SetRGB(p[2], p[1], p[0]);
  else if (bytesPerPixel == 1)
    colour->SetRGB(p[0], p[0], p[0]);
}

void QVImage::GetPIXEL(int32_t* out, const unsigned char* base, int32_t index, int32_t count)
{
  const unsigned char* p = base + static_cast<ptrdiff_t>(index) * count;
  for (int32_t k = 0; k < count; ++k)
    out[k] = p[k];
}

namespace {

// Byte `plane` of pixel (x, y). The fourth plane of a colour pixel is the
// next pixel's first byte or padding, and past the last pixel nothing.
int32_t PixelPlane(const QVImage& image, int32_t x, int32_t y, int32_t plane)
{
  const int64_t offset = int64_t{y} * image.rowBytes + int64_t{x} * image.bytesPerPixel + plane;
  const bool inside = image.HasPixels() && x >= 0 && x < image.width && y >= 0 && y < image.height &&
                      offset < int64_t{image.height} * image.rowBytes;
  QV_ASSERT(inside, "FastGetPixelPlane: point outside the image");
  return inside ? image.pixels[offset] : 0;
}

} // namespace

int32_t QVImage::FastGetPixelPlane1(int32_t x, int32_t y) const { return PixelPlane(*this, x, y, 0); }
int32_t QVImage::FastGetPixelPlane2(int32_t x, int32_t y) const { return PixelPlane(*this, x, y, 1); }
int32_t QVImage::FastGetPixelPlane3(int32_t x, int32_t y) const { return PixelPlane(*this, x, y, 2); }
int32_t QVImage::FastGetPixelPlane4(int32_t x, int32_t y) const { return PixelPlane(*this, x, y, 3); }

int32_t QVImage::HasValue(unsigned char value) const
{
  if (!HasPixels())
    return 0;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
  for (int32_t y = 0; y < height; ++y)
    if (std::memchr(ImageRow(*this, y), value, count))
      return 1;
  return 0;
}

int32_t QVImage::DetectValue(int32_t x, int32_t y, const unsigned char* value, int32_t maxRadius, int32_t& radius,
                             int32_t step) const
{
  if (maxRadius < 1 || !HasPixels() || !value)
    return 0;
  radius = 1;
  const int64_t stride = std::max(step, 1);
  auto found = [&](int64_t px, int64_t py) {
    return CheckPixel(ImageRow(*this, static_cast<int32_t>(py)) + px * bytesPerPixel, value) != 0;
  };
  for (int64_t r = 1; r <= maxRadius; r += stride) {
    const int64_t left = int64_t{x} - r, right = int64_t{x} + r, top = int64_t{y} - r, bottom = int64_t{y} + r;
    // Each side of the ring, cut to the image; once all four lie outside,
    // larger rings find nothing either.
    const bool leftIn = left >= 0 && left < width, rightIn = right >= 0 && right < width;
    const bool topIn = top >= 0 && top < height, bottomIn = bottom >= 0 && bottom < height;
    if (left < 0 && right >= width && top < 0 && bottom >= height)
      break;
    const int64_t rowFrom = std::max<int64_t>(top, 0), rowTo = std::min<int64_t>(bottom, height - 1);
    for (int64_t py = rowFrom; (leftIn || rightIn) && py <= rowTo; ++py)
      if ((leftIn && found(left, py)) || (rightIn && found(right, py))) {
        radius = static_cast<int32_t>(r);
        return 1;
      }
    const int64_t columnFrom = std::max<int64_t>(left + 1, 0), columnTo = std::min<int64_t>(right - 1, width - 1);
    for (int64_t px = columnFrom; (topIn || bottomIn) && px <= columnTo; ++px)
      if ((topIn && found(px, top)) || (bottomIn && found(px, bottom))) {
        radius = static_cast<int32_t>(r);
        return 1;
      }
  }
  return 0;
}

int32_t QVImage::CheckPixel(const unsigned char* pixel, const unsigned char* value) const
{
  return std::memcmp(pixel, value, static_cast<size_t>(std::max(bytesPerPixel, 0))) == 0 ? 1 : 0;
}
