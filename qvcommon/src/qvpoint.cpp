#include "qvcommon/qvpoint.h"

#include "qvnumeric.h"

QVPoint::QVPoint() = default;
QVPoint::QVPoint(int32_t x, int32_t y) : x(x), y(y) {}
QVPoint::~QVPoint() = default;

int32_t QVPoint::X() const { return x; }
int32_t QVPoint::Y() const { return y; }
void QVPoint::SetX(int32_t value) { x = value; }
void QVPoint::SetY(int32_t value) { y = value; }

void QVPoint::SetPoint(int32_t newX, int32_t newY)
{
  x = newX;
  y = newY;
}

void QVPoint::Offset(int32_t dx, int32_t dy)
{
  x = qvnumeric::Add(x, dx);
  y = qvnumeric::Add(y, dy);
}

bool QVPoint::EqualsPt(const QVPoint* other) const { return other && x == other->X() && y == other->Y(); }
