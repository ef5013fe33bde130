#pragma once
#include "qvcommon/qvimage.h"

class QVColorMatrix;
class QVGrid;
class QVVirtualImage;

// The rendering of a virtual image at a zoom and shift, with the virtual
// image's effects applied, the mappings between view and base pixels, and
// the drawing that paints masks, patterns and shadows into it. A view is
// fully rendered by its constructor and does not follow later changes of
// the virtual image or its base.
//
// Of the inherited transforms, viewTransform maps view to virtual
// coordinates, viewToBase view to base coordinates and baseToView back.
class QVCOMMON_API QVViewImage : public QVImage {
public:
  // Renders the view (see QVImage::ImplementImage), then applies the
  // virtual image's effects in this order: grain, noise, saturation, hue,
  // blur and brightness, with grain, noise and blur scaled down by a zoom
  // below 1. A failed rendering leaves the error flag and no pixels.
  QVViewImage(int32_t width, int32_t height, double zoom, int32_t shiftX, int32_t shiftY, QVVirtualImage* v);
  // A blank image (see QVImage).
  QVViewImage(int32_t width, int32_t height, int32_t bytesPerPixel, const QVColor* colour);
  // A deep copy (see QVImage) with the same virtual image; run-through 0.
  explicit QVViewImage(const QVViewImage* src);
  ~QVViewImage() override;

  // The plain rectangle fill of QVImage.
  void WriteRect(const QVRect& rect, unsigned char value) override;
  // For each view pixel of rect (clipped to the view) whose base point lies
  // in source: its colour looked up in the cube; a cube entry e other than
  // 255 becomes every byte of the view pixel.
  virtual void WriteRect2(QVRect& rect, QVColorMatrix* cube, QVImage* source);

  // Map in place: view to base (viewToBase) and base to view (baseToView).
  // A rectangle maps its left-top and right-bottom corners separately.
  void ViewPtToImagePt(QVPoint* p) const;
  void ViewRectToImageRect(QVRect* r) const;
  void ImagePtToViewPt(QVPoint* p) const;
  void ImageRectToViewRect(QVRect* r) const;
  // 0 when the rectangle lies wholly left, right, above or below the view
  // (touching an edge counts as visible); else 1.
  int32_t IsVisible(const QVRect* r) const;
  // Clamps left and right into 0..width, top and bottom into 0..height.
  void CropRect2(QVRect* r) const;
  // Every byte of pixel (x, y) := value; nothing outside the view.
  void WritePixel(int32_t x, int32_t y, unsigned char value);
  void SetRunThrough(int32_t on) { runThrough = on; }
  int32_t IsRunThrough() const { return runThrough; }
  // For each view pixel of rect (clipped to the view) whose base point lies
  // in source: when the cube finds its colour and the entry equals match,
  // every byte of the view pixel := value.
  void WriteRect(QVRect& rect, unsigned char value, QVColorMatrix* cube, unsigned char match, QVImage* source);
  // For each view pixel of rect (clipped to the view), columns outer: when
  // the grid pixel at its base point is set, every byte := value. The cells
  // pointer and the last three arguments are not used.
  void WriteRect(QVGrid* grid, int32_t* cells, QVRect& rect, unsigned char value, QVColorMatrix* cube,
                 unsigned char match, QVImage* source);
  // A selection overlay over rect, clipped to the mask and this view; the
  // mask is read at the same (x, y). Where the mask's first byte m is not
  // 255 the pixel is mixed with the mode's colour by max(opacity - m, 0):
  // 0 a checkerboard of 8 x 8 white and light grey (192) squares, 1 the
  // colour (none without one), 2 white, 3 black, 4 grey 128. Mode 7 copies
  // the mask's pixels (equal depths only); other modes paint nothing.
  void MergePattern(QVViewImage* mask, int32_t mode, int32_t opacity, const QVColor* colour, const QVRect& rect);
  // Darkens this view by the shadow mask laid at (dx, dy): the shadow is
  // made grey, blurred by `blur` and grained; each overlapping byte b
  // becomes ((65536 - s * strength) * b) >> 16 for shadow byte s, clamped.
  void DropShadow(QVViewImage* shadow, int32_t blur, int32_t strength, int32_t dx, int32_t dy);

  // The pixel of source at the base point of view pixel (x, y); null when
  // that point lies outside source or source has no pixels.
  const unsigned char* SourcePixel(const QVImage* source, int32_t x, int32_t y) const;

  QVVirtualImage* virtualImage = nullptr; // the recipe, not owned
  int32_t runThrough = 0;
};
