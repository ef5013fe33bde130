#include "qvcommon/qv2dtransform.h"

#include "qvnumeric.h"

#include <cmath>

QV2DTransform::QV2DTransform() { Clear(); }
QV2DTransform::~QV2DTransform() = default;

void QV2DTransform::Clear()
{
  a = d = 1;
  b = c = e = f = 0;
}

void QV2DTransform::Transform(int32_t x, int32_t y, int32_t* outX, int32_t* outY) const
{
  double mappedX, mappedY;
  Transform(x, y, &mappedX, &mappedY);
  if (outX)
    *outX = qvnumeric::Trunc(mappedX);
  if (outY)
    *outY = qvnumeric::Trunc(mappedY);
}

void QV2DTransform::Transform(int32_t x, int32_t y, double* outX, double* outY) const
{
  if (outX)
    *outX = a * x + c * y + e;
  if (outY)
    *outY = b * x + d * y + f;
}

void QV2DTransform::Transform(const QVRect* src, QVRect* dst) const
{
  if (!src || !dst)
    return;
  int32_t x1, y1, x2, y2;
  Transform(src->Left(), src->Top(), &x1, &y1);
  Transform(src->Right(), src->Bottom(), &x2, &y2);
  dst->SetLTRB(x1, y1, x2, y2);
}

void QV2DTransform::SetScale(double sx, double sy)
{
  a *= sx;
  c *= sx;
  e *= sx;
  b *= sy;
  d *= sy;
  f *= sy;
}

void QV2DTransform::SetShift(double dx, double dy)
{
  e += dx;
  f += dy;
}

void QV2DTransform::SetShift(int32_t dx, int32_t dy) { SetShift(static_cast<double>(dx), static_cast<double>(dy)); }

void QV2DTransform::SetRotation(double angle)
{
  const double cosine = std::cos(-angle);
  const double sine = std::sin(-angle);
  const QV2DTransform old = *this;
  a = old.a * cosine - old.b * sine;
  b = old.a * sine + old.b * cosine;
  c = old.c * cosine - old.d * sine;
  d = old.c * sine + old.d * cosine;
  e = cosine * old.e - sine * old.f;
  f = sine * old.e + cosine * old.f;
}

// The factor is deliberately 6.283184, not full-precision 2 pi: stored
// transforms and their integer results depend on it.
void QV2DTransform::SetRotation(int32_t degrees) { SetRotation(degrees * 6.283184 / 360.0); }

void QV2DTransform::Concatenate(const QV2DTransform* first, const QV2DTransform* second, QV2DTransform* result) const
{
  if (!first || !second || !result)
    return;
  // Computed from copies, so the result may be either input.
  const QV2DTransform F = *first;
  const QV2DTransform S = *second;
  result->a = F.a * S.a + F.b * S.c;
  result->b = F.a * S.b + F.b * S.d;
  result->c = F.c * S.a + F.d * S.c;
  result->d = F.c * S.b + F.d * S.d;
  result->e = F.e * S.a + F.f * S.c + S.e;
  result->f = F.e * S.b + F.f * S.d + S.f;
}

bool QV2DTransform::Inverse()
{
  const double det = a * d - b * c;
  if (det == 0)
    return false;
  const QV2DTransform old = *this;
  a = old.d / det;
  b = -old.b / det;
  c = -old.c / det;
  d = old.a / det;
  e = (old.c * old.f - old.d * old.e) / det;
  f = (old.b * old.e - old.a * old.f) / det;
  return true;
}
