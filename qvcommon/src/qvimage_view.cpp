// QVImage's view rendering: a virtual image drawn at a zoom and shift, by
// repeating or averaging base pixels where the mapping allows, else through
// the general resampler.
#include "qvcommon/qvimage.h"
#include "qvcommon/qvvirtualimage.h"
#include "qvimage_internal.h"
#include "qvnumeric.h"

#include <cstdlib>
#include <cstring>

namespace {

// A resampler step in 16.16 fixed point. Steps are capped at 32768 base
// pixels per view pixel, which keeps every position of a view inside 64
// bits; any larger step leaves the base after one pixel anyway for all but
// absurdly wide bases.
int64_t FixedStep(double v)
{
  const double fixed = v * 65536;
  if (std::isnan(fixed))
    return 0;
  return static_cast<int64_t>(std::clamp(fixed, -2147483648.0, 2147483648.0));
}

bool OneOf(double v, std::initializer_list<double> values)
{
  return std::find(values.begin(), values.end(), v) != values.end();
}

} // namespace

QVImage::QVImage(int32_t newWidth, int32_t newHeight, double zoom, int32_t shiftX, int32_t shiftY, QVVirtualImage* v)
{
  Initialize();
  if (zoom == 0)
    zoom = 1.0;
  viewTransform.SetScale(1 / zoom, 1 / zoom);
  viewTransform.SetShift(shiftX, shiftY);
  viewShiftX = shiftX;
  viewShiftY = shiftY;
  zoomX = zoomY = zoom;
  width = newWidth;
  height = newHeight;
  ImplementImage(v);
}

bool QVImage::CornerOnBaseImage(int32_t x, int32_t y, QVVirtualImage* v, int32_t boxSize, QV2DTransform* viewToBase)
{
  if (!v || !viewToBase)
    return false;
  int32_t bx, by;
  viewToBase->Transform(x, y, &bx, &by);
  const int64_t reach = int64_t{boxSize} - 1;
  return bx >= 0 && by >= 0 && bx + reach < v->baseWidth && by + reach < v->baseHeight;
}

void QVImage::ImplementImage(QVVirtualImage* v)
{
  ready = rendered = false;
  if (!v || !v->basePixels || !PrepareBuffer(width, height, v->baseBytesPerPixel)) {
    ImageFreeBuffer();
    error = true;
    return;
  }
  rendered = true;
  v->UpdateInverseMatrix();
  QV2DTransform T;
  T.Concatenate(&viewTransform, &v->inverse, &T);

  // The path is chosen by T's coefficients first; then every corner must
  // read inside the base with the box that path reads. Both exact paths
  // start at the truncated (e, f), so e and f must not be negative either:
  // -0.5 truncates to 0 like 0.5 does, and the far corners would be tested
  // one pixel short of what is read.
  const bool upright = T.b == 0 && T.c == 0;
  const bool repeat = upright && OneOf(T.a, {0.5, 0.25, 0.125, 1.0}) && OneOf(T.d, {0.5, 0.25, 0.125, 1.0});
  const bool average = upright && OneOf(T.a, {2, 4, 8}) && OneOf(T.d, {2, 4, 8});
  const int32_t box = average ? static_cast<int32_t>(T.a) : 1;
  const bool inside = (repeat || average) && T.e >= 0 && T.f >= 0 && CornerOnBaseImage(0, 0, v, box, &T) &&
                      CornerOnBaseImage(width - 1, 0, v, box, &T) && CornerOnBaseImage(0, height - 1, v, box, &T) &&
                      CornerOnBaseImage(width - 1, height - 1, v, box, &T);
  const int32_t bpp = bytesPerPixel;
  // Passing corners keep e and f finite and inside the base.
  const int64_t sx = inside ? static_cast<int64_t>(T.e) : 0, sy = inside ? static_cast<int64_t>(T.f) : 0;
  auto source = [&](int64_t x, int64_t y) { return v->basePixels + y * v->baseRowBytes + x * bpp; };
  if (inside && repeat) {
    // Each base pixel becomes an rx x ry block.
    const int32_t rx = static_cast<int32_t>(1 / T.a), ry = static_cast<int32_t>(1 / T.d);
    for (int32_t y = 0; y < height; y += ry) {
      const unsigned char* s = source(sx, sy + y / ry);
      unsigned char* row = ImageRow(*this, y);
      for (int32_t x = 0; x < width; ++x)
        std::memcpy(row + static_cast<ptrdiff_t>(x) * bpp, s + static_cast<ptrdiff_t>(x / rx) * bpp,
                    static_cast<size_t>(bpp));
      for (int32_t k = 1; k < ry && y + k < height; ++k)
        std::memcpy(ImageRow(*this, y + k), row, static_cast<size_t>(width) * static_cast<size_t>(bpp));
    }
  } else if (inside && average) {
    // Each view pixel is the mean of the p x p block at its position;
    // blocks advance p columns and q rows.
    const int32_t p = static_cast<int32_t>(T.a), q = static_cast<int32_t>(T.d);
    for (int32_t y = 0; y < height; ++y) {
      unsigned char* d = ImageRow(*this, y);
      for (int32_t x = 0; x < width; ++x)
        for (int32_t c = 0; c < bpp; ++c, ++d) {
          int32_t sum = 0;
          for (int32_t i = 0; i < p; ++i)
            for (int32_t j = 0; j < p; ++j)
              sum += source(sx + int64_t{x} * p + j, sy + int64_t{y} * q + i)[c];
          *d = static_cast<unsigned char>(sum / (p * p));
        }
    }
  } else {
    ImageFromMatrix(v, &T);
  }
  if (error) {
    ready = rendered = false;
    ImageFreeBuffer();
    return;
  }
  ready = true;
}

void QVImage::ImageFromMatrix(QVVirtualImage* v, QV2DTransform* T)
{
  if (!HasPixels() || !v || !T)
    return;
  double p0x, p0y, p1x, p1y, p2x, p2y;
  T->Transform(0, 0, &p0x, &p0y);
  T->Transform(1, 0, &p1x, &p1y);
  T->Transform(0, 1, &p2x, &p2y);
  const int64_t ux = FixedStep(p1x - p0x), uy = FixedStep(p1y - p0y);
  const int64_t vx = FixedStep(p2x - p0x), vy = FixedStep(p2y - p0y);
  const int64_t k = std::max({std::llabs(ux), std::llabs(uy), std::llabs(vx), std::llabs(vy)}) >> 16;
  const int32_t s = k < 2 ? 1 : (k < 4 ? 2 : 4);
  const int32_t shift = s == 1 ? 0 : (s == 2 ? 2 : 4);
  const int64_t startX = int64_t{qvnumeric::Trunc(p0x)} * 65536, startY = int64_t{qvnumeric::Trunc(p0y)} * 65536;
  const int32_t bpp = bytesPerPixel;
  const bool sourceOk = v->basePixels && v->baseBytesPerPixel == bpp;
  // A box is sampled when it lies wholly inside the base (its last column
  // and row may be the base's last).
  auto inBase = [&](int64_t X, int64_t Y) {
    const int64_t x = X >> 16, y = Y >> 16;
    return sourceOk && x >= 0 && x + s <= v->baseWidth && y >= 0 && y + s <= v->baseHeight;
  };
  // Positions are linear in the view coordinates, so when the four corners
  // are inside every pixel is, and the per-pixel test can be skipped.
  const int64_t w = width - 1, h = height - 1;
  const bool all = inBase(startX, startY) && inBase(startX + w * ux, startY + w * uy) &&
                   inBase(startX + h * vx, startY + h * vy) &&
                   inBase(startX + w * ux + h * vx, startY + w * uy + h * vy);
  for (int32_t y = 0; y < height; ++y) {
    int64_t X = startX + y * vx, Y = startY + y * vy;
    unsigned char* d = ImageRow(*this, y);
    for (int32_t x = 0; x < width; ++x, X += ux, Y += uy, d += bpp) {
      if (!all && !inBase(X, Y)) {
        std::memcpy(d, fillValue, static_cast<size_t>(bpp));
        continue;
      }
      const unsigned char* box = v->basePixels + (Y >> 16) * v->baseRowBytes + (X >> 16) * bpp;
      for (int32_t c = 0; c < bpp; ++c) {
        int32_t sum = 0;
        for (int32_t i = 0; i < s; ++i)
          for (int32_t j = 0; j < s; ++j)
            sum += box[i * static_cast<ptrdiff_t>(v->baseRowBytes) + j * bpp + c];
        d[c] = static_cast<unsigned char>(sum >> shift);
      }
    }
  }
}
