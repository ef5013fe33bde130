#pragma once
#include "qvcommon/qvpoint.h"
#include "qvcommon/qvrect.h"
#include "qvcommon/qvviewimage.h"

// A bevelled relief for a selection. From a selection image (255 inside, 0
// outside) it derives a height field in `heights` (the distance from the
// selection's edge, shaped by a profile), and from the height field and a
// light direction a highlight and a shadow image to blend over the picture.
// The selection and height images hold one byte per sample and have the
// same size (the colour-following height field also needs a 3-byte picture
// of that size); every operation does nothing otherwise. The images are the
// caller's; the highlight and shadow images belong to the bevel.
class QVCOMMON_API QVBevel {
public:
  QVBevel(QVViewImage* source, QVViewImage* selection, QVViewImage* heights);
  QVBevel(const QVBevel&) = delete;
  QVBevel& operator=(const QVBevel&) = delete;
  virtual ~QVBevel();

  // The bevel width in pixels; the height fields take 0 as 1 and cap it at
  // 127.
  void SetRange(int32_t newRange);
  // Heights of the inside of the selection (inside non-zero) rising from its
  // edge, or of the outside (inside 0) falling away from it. The height
  // image is expected to start as a copy of the selection: samples the
  // selection does not decide keep their value.
  void CalcBevelPixelHeights(int32_t inside);
  // Sets shadowK and highlightK from the slope of the height field at (x, y)
  // along the light vector (lightX, lightY): heights rising along it give a
  // highlight, falling ones a shadow, and a flat slope shadowK 1. `sample`
  // is the height at (x, y); `scratch` is not used.
  void CalcShadHighKs(const unsigned char* sample, int32_t x, int32_t y, int32_t* scratch, int32_t strength);
  // Replaces highlights and shadows by new images of the height field's size
  // holding, inside the work area, each sample's highlight and shadow (0 on
  // flat samples of height 0 or 255) and elsewhere the heights.
  void CalcBevelHighlights();
  // In the work area every sloped sample without highlight gets highlight 1.
  void EnsureSomeHighlight();
  // A height field that follows the picture's colours as well as the
  // distance from the edge: cheaper (lower) where the colour stays close.
  void CalcBevelColorDeviation(int32_t unused, int32_t limit, int32_t offset);
  // The angle in whole degrees (0..359) of the point around (ring left + cx,
  // ring top + cy), counted with y growing downward.
  int32_t GetMouseRingAngle(const QVPoint& point, const QVRect& ring, int32_t cx, int32_t cy) const;

  QVRect margins;                // insets (left, top, right, bottom) limiting the work area
  QVViewImage* source = nullptr; // the picture
  QVViewImage* selection = nullptr;
  QVViewImage* heights = nullptr; // written by CalcBevelPixelHeights
  int32_t sourceInfo = 0;         // the picture's bytes per pixel
  QVImage* highlights = nullptr;
  QVImage* shadows = nullptr;
  int32_t range = 0;
  int32_t smooth = 1;       // 0 shapes the heights with the ramp-plateau-ramp profile
  double lightX = 0;        // cos(lightAngle)
  double lightY = 0;        // -sin(lightAngle): y grows downward
  int32_t lightAngle = 135; // degrees
  int32_t roundness = 0;    // percent
  int32_t shadowK = 0;
  int32_t highlightK = 0;
  unsigned char distance[128][128]; // truncated sqrt(i^2 + j^2)

private:
  bool Usable() const;
  int32_t BevelWidth() const;
  // Work-area bounds: the margins less the range, not below 0.
  void WorkArea(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) const;
};
