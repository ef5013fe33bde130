#pragma once
#include "qvcommon/qvdefs.h"

// A cubic Bezier curve through four integer control points.
class QVCOMMON_API QVBezier {
public:
  QVBezier(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3);
  QVBezier(const QVBezier&) = default;
  QVBezier& operator=(const QVBezier&) = default;
  virtual ~QVBezier();

  // The curve's coordinates at t (0..1 for the curve itself), truncated
  // toward zero.
  int32_t GetX(double t) const;
  int32_t GetY(double t) const;

private:
  double x0 = 0, x1 = 0, x2 = 0, x3 = 0;
  double y0 = 0, y1 = 0, y2 = 0, y3 = 0;
  double ax = 0, bx = 0, cx = 0;
  double ay = 0, by = 0, cy = 0;
};
