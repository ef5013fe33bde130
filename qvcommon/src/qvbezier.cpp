#include "qvcommon/qvbezier.h"

#include "qvnumeric.h"

QVBezier::QVBezier(int32_t px0, int32_t py0, int32_t px1, int32_t py1, int32_t px2, int32_t py2, int32_t px3,
                   int32_t py3)
    : x0(px0), x1(px1), x2(px2), x3(px3), y0(py0), y1(py1), y2(py2), y3(py3)
{
  cx = 3 * (x1 - x0);
  bx = 3 * (x2 - x1) - cx;
  ax = x3 - x0 - bx - cx;
  cy = 3 * (y1 - y0);
  by = 3 * (y2 - y1) - cy;
  ay = y3 - y0 - by - cy;
}

QVBezier::~QVBezier() = default;

int32_t QVBezier::GetX(double t) const { return qvnumeric::Trunc(ax * t * t * t + bx * t * t + cx * t + x0); }
int32_t QVBezier::GetY(double t) const { return qvnumeric::Trunc(ay * t * t * t + by * t * t + cy * t + y0); }
