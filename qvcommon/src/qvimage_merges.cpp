// QVImage's mixing and merging: one pixel mixed with another or with a
// colour, and a whole image merged in through a mask.
#include "qvcommon/qvimage.h"
#include "qvimage_internal.h"

namespace {

unsigned char Mix(unsigned char a, unsigned char b, int32_t t)
{
  return ClampWide(int64_t{a} * (255 - int64_t{t}) / 255 + int64_t{b} * t / 255);
}

} // namespace

void QVImage::MixPixel(unsigned char* a, const unsigned char* b, int32_t t) const
{
  for (int32_t k = 0; k < bytesPerPixel; ++k)
    a[k] = Mix(a[k], b[k], t);
}

void QVImage::MixPixel(unsigned char* a, const QVColor& colour, int32_t t) const
{
  const unsigned char bgr[3] = {colour.B(), colour.G(), colour.R()};
  for (int32_t k = 0; k < std::min(bytesPerPixel, 3); ++k)
    a[k] = Mix(a[k], bgr[k], t);
}

void QVImage::MixColor(unsigned char* a, const QVColor& colour, int32_t t) const { MixPixel(a, colour, t); }

void QVImage::Merge(const QVImage* other, const QVImage* mask)
{
  if (!other || !SameLayout(*this, *other) || !mask || !mask->HasPixels() || mask->width < width ||
      mask->height < height)
    return;
  for (int32_t y = 0; y < height; ++y) {
    unsigned char* p = ImageRow(*this, y);
    const unsigned char* o = ImageRow(*other, y);
    const unsigned char* m = ImageRow(*mask, y);
    for (int32_t x = 0; x < width; ++x, p += bytesPerPixel, o += bytesPerPixel, m += mask->bytesPerPixel)
      if (m[0] < 255)
        MixPixel(p, o, 255 - m[0]);
  }
}
