#pragma once
#include "qvcommon/qvrect.h"

// A 2-D affine mapping: (x, y) -> (a x + c y + e, b x + d y + f).
class QVCOMMON_API QV2DTransform {
public:
  QV2DTransform();
  virtual ~QV2DTransform();

  // The identity.
  void Clear();
  // Integer results are truncated toward zero.
  void Transform(int32_t x, int32_t y, int32_t* outX, int32_t* outY) const;
  void Transform(int32_t x, int32_t y, double* outX, double* outY) const;
  // Maps the left-top and right-bottom corners without reordering them.
  void Transform(const QVRect* src, QVRect* dst) const;
  // The Set operations follow the current mapping with another step.
  void SetScale(double sx, double sy);
  void SetShift(double dx, double dy);
  void SetShift(int32_t dx, int32_t dy);
  // Radians.
  void SetRotation(double angle);
  // Degrees, converted with the factor 6.283184 / 360.
  void SetRotation(int32_t degrees);
  // result := first, then second. Any of the three may be the same object.
  void Concatenate(const QV2DTransform* first, const QV2DTransform* second, QV2DTransform* result) const;
  // False, and no change, when the mapping cannot be inverted.
  bool Inverse();

  double a = 1;
  double b = 0;
  double c = 0;
  double d = 1;
  double e = 0;
  double f = 0;
};
