#pragma once
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvpoint.h"
#include "qvcommon/qvrect.h"

class QVColorMatrix;
class QVDevice;
class QVGrid;
class QVImage;
class QVViewImage;

// One brush stroke: up to 300 points in base-image coordinates and a soft
// round brush, rendered as colour into a view, as selection values into a
// view through a colour cube, as samples into a colour cube, as bits into a
// cell grid, into a device, as a lasso polygon, or as a brush outline.
//
// Each point n is rendered with the segment from point n - 1 (for n = 0
// from itself): stamps at point n - 1 + trunc(i * step) for i = 1, 2, ...
// while i * spacing < d, where d is the segment's truncated length and step
// its unit vector times the spacing, plus for most forms one at point n.
// A stamp is the square of half-size s around its centre; the brush mask is
// sampled over it.
class QVCOMMON_API QVStroke {
public:
  static constexpr int32_t kMaxPoints = 300;

  // The brush: a disc of 255 of the radius on black, its edge softened by
  // a blur of `edge`, in a mask of side 2 * (radius + edge). A brush whose
  // radius + edge is not positive has an empty mask and stamps nothing.
  QVStroke(int32_t value, int32_t radius, int32_t edge);
  QVStroke(const QVStroke&) = delete;
  QVStroke& operator=(const QVStroke&) = delete;

  // ---- Virtual operations, in their fixed order ----
  virtual ~QVStroke();
  // Appends a copy of p: 1, or 0 (nothing stored) once 300 points are held.
  virtual int AddPoint(const QVPoint& p);
  // Point n; null outside 0 .. count - 1.
  virtual QVPoint* GetPoint(int n) const;
  virtual int32_t GetNumPoints() const;

  // ---- Colour into a view (spacing 1, stamps of the outer radius, one at
  // every point) ----
  // The points inside viewRect widened by 10 and mapped to the base.
  void RenderIntoViewImage(QVViewImage* view, const QVColor& colour, const QVRect& viewRect);
  void RenderPtIntoViewImage(int32_t n, QVViewImage* view, const QVColor& colour);
  // Every view pixel of the stamp with mask value m > 0: each byte b with
  // colour byte c := ((b * (255 - m)) >> 8) + ((c * (m + 1)) >> 8), clamped.
  void DoSquare(const QVRect& square, QVViewImage* view, const QVColor& colour);

  // ---- Selection values into a view (0 fully chosen, 255 not chosen;
  // spacing 1, stamps of the outer radius, a stamp at the point only for a
  // single click) ----
  // All points, with the cube's cells locked once.
  void RenderIntoViewImage(QVViewImage* view, unsigned char erase, QVColorMatrix* cube, QVImage* source);
  void RenderPtIntoViewImage(int32_t n, QVViewImage* view, unsigned char erase, QVColorMatrix* cube, QVImage* source,
                             const unsigned char* cells);
  // Painting (erase 0) lowers a view pixel to v = 255 - m, erasing raises it
  // to v = m; the value is written through QVColorMatrix::WriteValue from
  // the source pixel under the view pixel.
  void DoSquare(const QVRect& square, QVViewImage* view, unsigned char erase, QVColorMatrix* cube, QVImage* source,
                const unsigned char* cells);

  // ---- Samples into a colour cube (spacing 1, stamps of the radius, one
  // at every point) ----
  void RenderIntoColorMatrix(QVImage* image, QVColorMatrix* cube, unsigned char value, int32_t weight);
  void RenderPtIntoColorMatrix(int32_t n, QVImage* image, QVColorMatrix* cube, unsigned char value, int32_t weight);
  // The square clipped with QVImage::CropRect, visited every `step` pixels;
  // where the mask (read from its own corner) is set, the image colour is
  // stamped into the cube as (value, value, value) with radius weight.
  void DoSquare(const QVRect& square, QVImage* image, unsigned char value, QVColorMatrix* cube, int32_t weight,
                int32_t step);

  // ---- Bits into a grid (spacing 3, stamps of the radius, one at every
  // point) ----
  void RenderIntoGrid(QVGrid* grid, int32_t mode);
  void RenderPtIntoGrid(int32_t n, QVGrid* grid, int32_t mode);
  // Every third pixel of the square where the mask (read from its own
  // corner) is set: QVGrid::SetFromBrush. The mode is not used.
  void DoSquare(const QVRect& square, QVGrid* grid, int32_t mode);

  // The stroke in the colour over a black copy of the view, drawn at (0, 0)
  // of the device with black transparent.
  void RenderIntoDevice(QVDevice* device, const QVColor* colour, QVViewImage* view, const QVRect& viewRect);
  // The polygon of the points, mapped into the view, filled with value.
  void RenderLassoIntoViewImage(QVViewImage* view, unsigned char value);
  // The brush's squares (radius, and outer radius when there is an edge)
  // around the point, mapped into the view, drawn with a 1-pixel red pen in
  // the device's inverting raster mode, so that drawing twice restores.
  void RenderSample(QVDevice* device, const QVPoint& point, QVViewImage* view);

  // ---- Fields, in their fixed order ----
  QVPoint* points[kMaxPoints] = {}; // owned
  int32_t count = 0;
  int32_t radius = 0;      // the solid part of the brush
  int32_t edge = 0;        // the soft edge's width
  int32_t outerRadius = 0; // radius + edge
  int32_t value = 0;       // kept with the stroke for its owner
  QVImage* mask = nullptr; // owned: 1 byte per pixel, 0 outside the brush, 255 inside
  QVRect work;             // the current stamp's square in view coordinates
  double scaleX = 0;       // base pixels per view pixel of the current stamp
  double scaleY = 0;

protected:
  // The mask byte at (x, y); 0 outside the mask.
  unsigned char PtSetInImage(int32_t x, int32_t y) const;
  // 1 when dx^2 + dy^2 < r^2.
  int32_t PtInCircle(int32_t r, int32_t dx, int32_t dy) const;

private:
  // Maps the stamp square into the view: work, the scales and the visible
  // pixel span [x0, x1) x [y0, y1). 0 when the stamp is not visible or its
  // mapping is empty.
  int32_t SquarePrep(QVViewImage* view, const QVRect& square, int32_t* x0, int32_t* y0, int32_t* x1, int32_t* y1);
  // Visits the view pixels of the stamp with the mask byte sampled at each:
  // visit(x, y, m).
  template <class F>
  void ForEachStampPixel(QVViewImage* view, const QVRect& square, F visit);
  // Calls stamp(square, interior) for the stamps of point n: the interior
  // ones every `spacing` pixels along the segment, then with `end` the one
  // at point n.
  template <class F>
  void Walk(int32_t n, int32_t spacing, int32_t size, bool end, F stamp) const;
};
