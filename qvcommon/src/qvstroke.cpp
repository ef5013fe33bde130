#include "qvcommon/qvstroke.h"

#include "qvcommon/qvcolormatrix.h"
#include "qvcommon/qvdevice.h"
#include "qvcommon/qvgrid.h"
#include "qvcommon/qvmemory.h"
#include "qvcommon/qvviewimage.h"
#include "qvimage_internal.h"
#include "qvnumeric.h"

#include <array>
#include <cmath>
#include <new>

namespace {

int32_t Saturate(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// The square of half-size s around (x, y).
QVRect Around(int64_t x, int64_t y, int64_t s)
{
  return QVRect(Saturate(x - s), Saturate(y - s), Saturate(x + s), Saturate(y + s));
}

} // namespace

QVStroke::QVStroke(int32_t strokeValue, int32_t brushRadius, int32_t brushEdge)
    : radius(brushRadius), edge(brushEdge), value(strokeValue)
{
  const int64_t outer = int64_t{radius} + edge;
  outerRadius = Saturate(outer);
  if (outer <= 0 || 2 * outer > INT32_MAX)
    return;
  const int32_t side = static_cast<int32_t>(2 * outer);
  mask = new (std::nothrow) QVImage(side, side, 1, nullptr);
  if (!mask)
    return;
  const int64_t end = int64_t{edge} + 2 * int64_t{radius};
  mask->WriteCircle(QVRect(edge, edge, Saturate(end), Saturate(end)), 255);
  mask->Blur(edge);
}

QVStroke::~QVStroke()
{
  for (int32_t n = 0; n < count; ++n)
    delete points[n];
  delete mask;
}

int QVStroke::AddPoint(const QVPoint& p)
{
  if (count >= kMaxPoints)
    return 0;
  QVPoint* copy = new (std::nothrow) QVPoint(p.X(), p.Y());
  if (!copy)
    return 0;
  points[count++] = copy;
  return 1;
}

QVPoint* QVStroke::GetPoint(int n) const { return n >= 0 && n < count ? points[n] : nullptr; }

int32_t QVStroke::GetNumPoints() const { return count; }

unsigned char QVStroke::PtSetInImage(int32_t x, int32_t y) const
{
  if (!mask || !mask->HasPixels() || x < 0 || y < 0 || x >= mask->width || y >= mask->height)
    return 0;
  return *ImagePixel(*mask, x, y);
}

int32_t QVStroke::PtInCircle(int32_t r, int32_t dx, int32_t dy) const
{
  return int64_t{dx} * dx + int64_t{dy} * dy < int64_t{r} * r ? 1 : 0;
}

template <class F>
void QVStroke::Walk(int32_t n, int32_t spacing, int32_t size, bool end, F stamp) const
{
  if (n < 0 || n >= count)
    return;
  const QVPoint& to = *points[n];
  const QVPoint& from = n > 0 ? *points[n - 1] : to;
  const double dx = static_cast<double>(to.X()) - from.X(), dy = static_cast<double>(to.Y()) - from.Y();
  const int64_t d = static_cast<int64_t>(std::sqrt(dx * dx + dy * dy));
  // Coincident points have no direction: no interior stamps.
  if (d > 0) {
    const double stepX = dx / static_cast<double>(d) * spacing, stepY = dy / static_cast<double>(d) * spacing;
    for (int64_t i = 1; i * spacing < d; ++i)
      stamp(Around(from.X() + static_cast<int64_t>(static_cast<double>(i) * stepX),
                   from.Y() + static_cast<int64_t>(static_cast<double>(i) * stepY), size),
            true);
  }
  if (end)
    stamp(Around(to.X(), to.Y(), size), false);
}

int32_t QVStroke::SquarePrep(QVViewImage* view, const QVRect& square, int32_t* x0, int32_t* y0, int32_t* x1,
                             int32_t* y1)
{
  work = square;
  view->ImageRectToViewRect(&work);
  // A stamp mapped to no width or height (far zoomed out) has no scale.
  if (!view->IsVisible(&work) || work.Width() == 0 || work.Height() == 0)
    return 0;
  scaleX = static_cast<double>(square.Width()) / work.Width();
  scaleY = static_cast<double>(square.Height()) / work.Height();
  *x0 = std::max(work.Left(), 0);
  *y0 = std::max(work.Top(), 0);
  *x1 = std::min(work.Right(), view->width);
  *y1 = std::min(work.Bottom(), view->height);
  return 1;
}

template <class F>
void QVStroke::ForEachStampPixel(QVViewImage* view, const QVRect& square, F visit)
{
  int32_t x0, y0, x1, y1;
  if (!view || !view->HasPixels() || !SquarePrep(view, square, &x0, &y0, &x1, &y1))
    return;
  const int64_t left = work.Left(), top = work.Top();
  // Mask columns advance in 16.16 fixed point.
  const int64_t step = qvnumeric::Trunc(65536 * scaleX);
  for (int32_t y = y0; y < y1; ++y) {
    const int32_t row = qvnumeric::Trunc(static_cast<double>(y - top) * scaleY);
    int64_t column = int64_t{qvnumeric::Trunc(static_cast<double>(x0 - left) * scaleX)} * 65536;
    for (int32_t x = x0; x < x1; ++x, column += step)
      visit(x, y, PtSetInImage(Saturate(column >> 16), row));
  }
}

// ---- Colour into a view -----------------------------------------------------------

void QVStroke::RenderIntoViewImage(QVViewImage* view, const QVColor& colour, const QVRect& viewRect)
{
  if (!view)
    return;
  QVRect around(Saturate(int64_t{viewRect.Left()} - 10), Saturate(int64_t{viewRect.Top()} - 10),
                Saturate(int64_t{viewRect.Right()} + 10), Saturate(int64_t{viewRect.Bottom()} + 10));
  view->ViewRectToImageRect(&around);
  for (int32_t n = 0; n < count; ++n)
    if (around.PtInRect(*points[n]))
      RenderPtIntoViewImage(n, view, colour);
}

void QVStroke::RenderPtIntoViewImage(int32_t n, QVViewImage* view, const QVColor& colour)
{
  Walk(n, 1, outerRadius, true, [&](const QVRect& square, bool) { DoSquare(square, view, colour); });
}

void QVStroke::DoSquare(const QVRect& square, QVViewImage* view, const QVColor& colour)
{
  const int32_t paint[3] = {colour.B(), colour.G(), colour.R()};
  ForEachStampPixel(view, square, [&](int32_t x, int32_t y, int32_t m) {
    if (m == 0)
      return;
    unsigned char* p = ImagePixel(*view, x, y);
    for (int32_t k = 0; k < std::min(view->bytesPerPixel, 3); ++k)
      p[k] = QVPixelClamp::Clamp(((p[k] * (255 - m)) >> 8) + ((paint[k] * (m + 1)) >> 8));
  });
}

// ---- Selection values into a view -------------------------------------------------

void QVStroke::RenderIntoViewImage(QVViewImage* view, unsigned char erase, QVColorMatrix* cube, QVImage* source)
{
  if (!cube || !cube->HasStorage())
    return;
  QVPointer cells(cube->storage);
  for (int32_t n = 0; n < count; ++n)
    RenderPtIntoViewImage(n, view, erase, cube, source, cells);
}

void QVStroke::RenderPtIntoViewImage(int32_t n, QVViewImage* view, unsigned char erase, QVColorMatrix* cube,
                                     QVImage* source, const unsigned char* cells)
{
  // Only a single click stamps at its point.
  Walk(n, 1, outerRadius, n == 0,
       [&](const QVRect& square, bool) { DoSquare(square, view, erase, cube, source, cells); });
}

void QVStroke::DoSquare(const QVRect& square, QVViewImage* view, unsigned char erase, QVColorMatrix* cube,
                        QVImage* source, const unsigned char* cells)
{
  if (!cube || !cells || !source)
    return;
  ForEachStampPixel(view, square, [&](int32_t x, int32_t y, int32_t m) {
    unsigned char* p = ImagePixel(*view, x, y);
    const unsigned char* s = view->SourcePixel(source, x, y);
    const int32_t v = erase == 0 ? 255 - m : m;
    const bool writes = erase == 0 ? v != 255 && p[0] >= v : v != 0 && v >= p[0];
    if (s && writes)
      cube->WriteValue(s, source->bytesPerPixel, p, view->bytesPerPixel, static_cast<unsigned char>(v), cells);
  });
}

// ---- Samples into a colour cube ---------------------------------------------------

void QVStroke::RenderIntoColorMatrix(QVImage* image, QVColorMatrix* cube, unsigned char sample, int32_t weight)
{
  for (int32_t n = 0; n < count; ++n)
    RenderPtIntoColorMatrix(n, image, cube, sample, weight);
}

void QVStroke::RenderPtIntoColorMatrix(int32_t n, QVImage* image, QVColorMatrix* cube, unsigned char sample,
                                       int32_t weight)
{
  // Interior stamps sample every third pixel, the end stamp every pixel.
  Walk(n, 1, radius, true,
       [&](const QVRect& square, bool interior) { DoSquare(square, image, sample, cube, weight, interior ? 3 : 1); });
}

void QVStroke::DoSquare(const QVRect& square, QVImage* image, unsigned char sample, QVColorMatrix* cube, int32_t weight,
                        int32_t step)
{
  if (!image || !image->HasPixels() || !cube || step < 1)
    return;
  const int64_t left = square.Left(), top = square.Top();
  QVRect clipped(square);
  image->CropRect(&clipped);
  const unsigned char grey[3] = {sample, sample, sample};
  for (int64_t y = clipped.Top(); y < clipped.Bottom(); y += step)
    for (int64_t x = clipped.Left(); x < clipped.Right(); x += step)
      if (PtSetInImage(Saturate(x - left), Saturate(y - top))) {
        QVColor colour;
        image->GetPIXEL(static_cast<int32_t>(x), static_cast<int32_t>(y), &colour);
        cube->InsertSample(colour, grey, weight, 0);
      }
}

// ---- Bits into a grid -------------------------------------------------------------

void QVStroke::RenderIntoGrid(QVGrid* grid, int32_t mode)
{
  for (int32_t n = 0; n < count; ++n)
    RenderPtIntoGrid(n, grid, mode);
}

void QVStroke::RenderPtIntoGrid(int32_t n, QVGrid* grid, int32_t mode)
{
  Walk(n, 3, radius, true, [&](const QVRect& square, bool) { DoSquare(square, grid, mode); });
}

void QVStroke::DoSquare(const QVRect& square, QVGrid* grid, int32_t)
{
  if (!grid || !mask || !mask->HasPixels())
    return;
  const int64_t left = square.Left(), top = square.Top();
  for (int64_t y = top; y < square.Bottom(); y += 3)
    for (int64_t x = left; x < square.Right(); x += 3)
      if (PtSetInImage(Saturate(x - left), Saturate(y - top)))
        grid->SetFromBrush(static_cast<int32_t>(x), static_cast<int32_t>(y));
}

// ---- Devices, lassos and outlines -------------------------------------------------

void QVStroke::RenderIntoDevice(QVDevice* device, const QVColor* colour, QVViewImage* view, const QVRect& viewRect)
{
  if (!device || !colour || !view || !view->HasPixels())
    return;
  QVViewImage copy(view);
  if (!copy.HasPixels())
    return;
  copy.Fill(0);
  RenderIntoViewImage(&copy, *colour, viewRect);
  device->QVImageBlt(0, 0, &copy, QVColor(0, 0, 0));
}

void QVStroke::RenderLassoIntoViewImage(QVViewImage* view, unsigned char fill)
{
  if (!view || count == 0)
    return;
  std::array<QVPoint, kMaxPoints> copies;
  std::array<QVPoint*, kMaxPoints> corners;
  for (int32_t n = 0; n < count; ++n) {
    copies[n].SetPoint(points[n]->X(), points[n]->Y());
    view->ImagePtToViewPt(&copies[n]);
    corners[n] = &copies[n];
  }
  view->PolygonFill(corners.data(), count, fill * 0x010101u);
}

void QVStroke::RenderSample(QVDevice* device, const QVPoint& point, QVViewImage* view)
{
  if (!device || !view)
    return;
  QVRect inner = Around(point.X(), point.Y(), radius);
  QVRect outer = Around(point.X(), point.Y(), outerRadius);
  view->ImageRectToViewRect(&inner);
  view->ImageRectToViewRect(&outer);
  const QVColor red(255, 0, 0);
  device->SetDevicePen(1, &red);
  device->SetROP();
  device->DrawRectangle(inner);
  if (edge != 0)
    device->DrawRectangle(outer);
  device->RestoreROP();
  device->DestroyPen();
}
