// View images: rendering a virtual image at a zoom and shift (the QVImage
// view members), the view-base mappings and the view's drawing.
#include "qvcommon/qvviewimage.h"

#include "qvcommon/qvcolormatrix.h"
#include "qvcommon/qvgrid.h"
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

// The bytes of a pixel as red, green and blue (grey: one byte for all).
void Channels(const unsigned char* p, int32_t bytesPerPixel, int32_t* r, int32_t* g, int32_t* b)
{
  const bool colour = bytesPerPixel == 3;
  *r = p[colour ? 2 : 0];
  *g = p[colour ? 1 : 0];
  *b = p[0];
}

// rect clipped to 0..width x 0..height (half-open).
struct Span {
  Span(const QVRect& rect, int32_t width, int32_t height)
      : left(std::max(rect.Left(), 0)), top(std::max(rect.Top(), 0)), right(std::min(rect.Right(), width)),
        bottom(std::min(rect.Bottom(), height))
  {
  }
  int32_t left, top, right, bottom;
};

} // namespace

// ---- Rendering (QVImage view members) -----------------------------------------

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
                   inBase(startX + h * vx, startY + h * vy) && inBase(startX + w * ux + h * vx, startY + w * uy + h * vy);
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

// ---- QVViewImage ----------------------------------------------------------------

QVViewImage::QVViewImage(int32_t newWidth, int32_t newHeight, double zoom, int32_t shiftX, int32_t shiftY,
                         QVVirtualImage* v)
    : QVImage(newWidth, newHeight, zoom, shiftX, shiftY, v), virtualImage(v)
{
  viewToBase = viewTransform;
  if (v)
    viewToBase.Concatenate(&viewTransform, &v->inverse, &viewToBase);
  baseToView = viewToBase;
  baseToView.Inverse();
  if (!v || !HasPixels())
    return;
  // Grain, noise and blur reach over pixels, so a zoomed-out view takes
  // them in proportion.
  auto scaled = [&](int32_t amount) { return std::min(amount, qvnumeric::Trunc(amount * zoomX)); };
  ImageGrain(scaled(v->grain), 100, 100);
  ImageNoise(scaled(v->noise));
  ImageSaturate(v->saturation);
  ImageHueAdjust(v->hue);
  Blur(scaled(v->blur));
  ImageBrightness(v->brightness);
}

QVViewImage::QVViewImage(int32_t newWidth, int32_t newHeight, int32_t bytes, const QVColor* colour)
    : QVImage(newWidth, newHeight, bytes, colour)
{
}

QVViewImage::QVViewImage(const QVViewImage* src) : QVImage(src), virtualImage(src ? src->virtualImage : nullptr) {}

QVViewImage::~QVViewImage() = default;

void QVViewImage::WriteRect(const QVRect& rect, unsigned char value) { QVImage::WriteRect(rect, value); }

void QVViewImage::ViewPtToImagePt(QVPoint* p) const
{
  if (p) {
    int32_t x, y;
    viewToBase.Transform(p->X(), p->Y(), &x, &y);
    p->SetPoint(x, y);
  }
}

void QVViewImage::ImagePtToViewPt(QVPoint* p) const
{
  if (p) {
    int32_t x, y;
    baseToView.Transform(p->X(), p->Y(), &x, &y);
    p->SetPoint(x, y);
  }
}

void QVViewImage::ViewRectToImageRect(QVRect* r) const { viewToBase.Transform(r, r); }
void QVViewImage::ImageRectToViewRect(QVRect* r) const { baseToView.Transform(r, r); }

int32_t QVViewImage::IsVisible(const QVRect* r) const
{
  if (!r)
    return 0;
  return r->Right() < 0 || r->Left() > width || r->Bottom() < 0 || r->Top() > height ? 0 : 1;
}

void QVViewImage::CropRect2(QVRect* r) const
{
  if (r)
    r->SetLTRB(std::clamp(r->Left(), 0, width), std::clamp(r->Top(), 0, height), std::clamp(r->Right(), 0, width),
               std::clamp(r->Bottom(), 0, height));
}

void QVViewImage::WritePixel(int32_t x, int32_t y, unsigned char value)
{
  if (HasPixels() && x >= 0 && y >= 0 && x < width && y < height)
    std::memset(ImagePixel(*this, x, y), value, static_cast<size_t>(bytesPerPixel));
}

const unsigned char* QVViewImage::SourcePixel(const QVImage* source, int32_t x, int32_t y) const
{
  if (!source || !source->HasPixels())
    return nullptr;
  int32_t bx, by;
  viewToBase.Transform(x, y, &bx, &by);
  if (bx < 0 || by < 0 || bx >= source->width || by >= source->height)
    return nullptr;
  return ImagePixel(*source, bx, by);
}

namespace {

// visit(x, y, entry) for each view pixel of rect (cut to the view) whose
// source pixel's colour the cube finds; pixels over no source are skipped.
template <class F>
void ForEachCubeEntry(const QVViewImage& view, const QVRect& rect, const QVColorMatrix* cube, const QVImage* source,
                      F visit)
{
  if (!view.HasPixels() || !cube)
    return;
  const Span span(rect, view.width, view.height);
  for (int32_t y = span.top; y < span.bottom; ++y)
    for (int32_t x = span.left; x < span.right; ++x) {
      const unsigned char* p = view.SourcePixel(source, x, y);
      int32_t r, g, b;
      unsigned char entry;
      if (!p)
        continue;
      Channels(p, source->bytesPerPixel, &r, &g, &b);
      if (cube->GetEntry(&entry, r, g, b))
        visit(x, y, entry);
    }
}

} // namespace

void QVViewImage::WriteRect(QVRect& rect, unsigned char value, QVColorMatrix* cube, unsigned char match,
                            QVImage* source)
{
  ForEachCubeEntry(*this, rect, cube, source, [&](int32_t x, int32_t y, unsigned char entry) {
    if (entry == match)
      WritePixel(x, y, value);
  });
}

void QVViewImage::WriteRect2(QVRect& rect, QVColorMatrix* cube, QVImage* source)
{
  ForEachCubeEntry(*this, rect, cube, source, [&](int32_t x, int32_t y, unsigned char entry) {
    if (entry != 255)
      WritePixel(x, y, entry);
  });
}

void QVViewImage::WriteRect(QVGrid* grid, int32_t*, QVRect& rect, unsigned char value, QVColorMatrix*,
                            unsigned char, QVImage*)
{
  if (!HasPixels() || !grid)
    return;
  const Span span(rect, width, height);
  for (int32_t x = span.left; x < span.right; ++x)
    for (int32_t y = span.top; y < span.bottom; ++y) {
      int32_t bx, by;
      viewToBase.Transform(x, y, &bx, &by);
      if (grid->GridIsSet(bx, by))
        WritePixel(x, y, value);
    }
}

void QVViewImage::MergePattern(QVViewImage* mask, int32_t mode, int32_t opacity, const QVColor* colour,
                               const QVRect& rect)
{
  if (!HasPixels() || !mask || !mask->HasPixels())
    return;
  QVColor paint;
  switch (mode) {
  case 0: break; // the checkerboard, chosen per pixel
  case 1:
    if (!colour)
      return;
    paint = *colour;
    break;
  case 2: paint = QVColor(255, 255, 255); break;
  case 3: paint = QVColor(0, 0, 0); break;
  case 4: paint = QVColor(128, 128, 128); break;
  case 7:
    if (mask->bytesPerPixel != bytesPerPixel)
      return;
    break;
  default: return; // 5, 6 and anything else paint nothing
  }
  const Span span(rect, std::min(width, mask->width), std::min(height, mask->height));
  for (int32_t y = span.top; y < span.bottom; ++y) {
    unsigned char* p = ImagePixel(*this, span.left, y);
    const unsigned char* m = ImagePixel(*mask, span.left, y);
    for (int32_t x = span.left; x < span.right; ++x, p += bytesPerPixel, m += mask->bytesPerPixel) {
      if (mode == 7) {
        MixPixel(p, m, 255);
        continue;
      }
      if (m[0] == 255)
        continue;
      if (mode == 0) {
        const unsigned char level = ((x / 8 + y / 8) & 1) == 0 ? 255 : 192;
        paint = QVColor(level, level, level);
      }
      MixPixel(p, paint, static_cast<int32_t>(std::max<int64_t>(int64_t{opacity} - m[0], 0)));
    }
  }
}

void QVViewImage::DropShadow(QVViewImage* shadow, int32_t blur, int32_t strength, int32_t dx, int32_t dy)
{
  if (!HasPixels() || !shadow || !shadow->HasPixels())
    return;
  if (shadow->bytesPerPixel == 3)
    shadow->Convert24To8();
  if (shadow->bytesPerPixel != 1)
    return; // the grey conversion failed
  shadow->Blur(blur);
  shadow->ImageNoise(10);
  // A positive offset moves the start in this view, a negative one skips
  // the shadow's first columns or rows; the overlap is also kept inside
  // this view.
  const int64_t toX = std::max<int64_t>(dx, 0), fromX = std::max<int64_t>(-int64_t{dx}, 0);
  const int64_t toY = std::max<int64_t>(dy, 0), fromY = std::max<int64_t>(-int64_t{dy}, 0);
  const int64_t columns = std::min(shadow->width - fromX, width - toX);
  const int64_t rows = std::min(shadow->height - fromY, height - toY);
  for (int64_t i = 0; i < rows; ++i) {
    const unsigned char* s = ImageRow(*shadow, static_cast<int32_t>(fromY + i)) + fromX;
    unsigned char* p = ImageRow(*this, static_cast<int32_t>(toY + i)) + toX * bytesPerPixel;
    for (int64_t j = 0; j < columns; ++j, ++s)
      for (int32_t c = 0; c < bytesPerPixel; ++c, ++p)
        *p = ClampWide(((65536 - int64_t{*s} * strength) * *p) >> 16);
  }
}
