// View images: the view-base mappings and the view's drawing of masks,
// patterns and shadows (QVImage renders the view, see qvimage_view.cpp).
#include "qvcommon/qvviewimage.h"

#include "qvcommon/qvcolormatrix.h"
#include "qvcommon/qvgrid.h"
#include "qvcommon/qvvirtualimage.h"
#include "qvimage_internal.h"
#include "qvnumeric.h"

#include <cstdlib>
#include <cstring>

namespace {

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

void QVViewImage::WriteRect(QVGrid* grid, int32_t*, QVRect& rect, unsigned char value, QVColorMatrix*, unsigned char,
                            QVImage*)
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
