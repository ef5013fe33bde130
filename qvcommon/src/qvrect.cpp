#include "qvcommon/qvrect.h"

#include "qvnumeric.h"

using qvnumeric::Add;
using qvnumeric::Sub;

QVRect::QVRect() = default;
QVRect::QVRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}
QVRect::QVRect(const QVRect& other) : left(other.Left()), top(other.Top()), right(other.Right()), bottom(other.Bottom())
{
}
QVRect::~QVRect() = default;

QVRect& QVRect::operator=(const QVRect& other)
{
  if (&other == this)
    return *this;
  left = other.Left();
  top = other.Top();
  right = other.Right();
  bottom = other.Bottom();
  return *this;
}

void QVRect::Scale(double sx, double sy)
{
  right = qvnumeric::Trunc(right * sx);
  bottom = qvnumeric::Trunc(bottom * sy);
}

void QVRect::SetLTRB(int32_t l, int32_t t, int32_t r, int32_t b)
{
  left = l;
  top = t;
  right = r;
  bottom = b;
}

void QVRect::SetLTWH(int32_t l, int32_t t, int32_t w, int32_t h)
{
  left = l;
  top = t;
  right = Add(l, w);
  bottom = Add(t, h);
}

int32_t QVRect::Left() const { return left; }
int32_t QVRect::Top() const { return top; }
int32_t QVRect::Right() const { return right; }
int32_t QVRect::Bottom() const { return bottom; }
void QVRect::SetLeft(int32_t value) { left = value; }
void QVRect::SetTop(int32_t value) { top = value; }
void QVRect::SetRight(int32_t value) { right = value; }
void QVRect::SetBottom(int32_t value) { bottom = value; }
void QVRect::SetWidth(int32_t width) { right = Add(left, width); }
void QVRect::SetHeight(int32_t height) { bottom = Add(top, height); }
int32_t QVRect::Width() const { return Sub(right, left); }
int32_t QVRect::Height() const { return Sub(bottom, top); }

bool QVRect::PtInRect(const QVPoint& point) const
{
  const int32_t x = point.X();
  const int32_t y = point.Y();
  return left <= x && x <= right && top <= y && y <= bottom;
}

bool QVRect::RectInRect(const QVRect& other) const
{
  return other.Left() >= left && other.Top() >= top && other.Right() <= right && other.Bottom() <= bottom;
}

bool QVRect::RectIntersectsRect(const QVRect& other) const
{
  const RECT mine = GetRect();
  const RECT theirs = other.GetRect();
  RECT common;
  return IntersectRect(&common, &mine, &theirs) != FALSE;
}

void QVRect::FitInRect(const QVRect& bounds)
{
  const int32_t minLeft = bounds.Left();
  const int32_t minTop = bounds.Top();
  const int32_t maxRight = bounds.Right();
  const int32_t maxBottom = bounds.Bottom();
  if (left < minLeft) {
    right = Add(right, Sub(minLeft, left));
    left = minLeft;
  }
  if (top < minTop) {
    bottom = Add(bottom, Sub(minTop, top));
    top = minTop;
  }
  if (right > maxRight) {
    left = Add(left, Sub(maxRight, right));
    if (left < minLeft)
      left = minLeft;
    right = maxRight;
  }
  if (bottom > maxBottom) {
    top = Add(top, Sub(maxBottom, bottom));
    if (top < minTop)
      top = minTop;
    bottom = maxBottom;
  }
}

// Through the accessors, so that a rectangle with computed edges reports
// those (this is also how other rectangles are read).
RECT QVRect::GetRect() const { return RECT{Left(), Top(), Right(), Bottom()}; }

void QVRect::Normal() { Offset(Sub(0, left), Sub(0, top)); }

void QVRect::RenderReady()
{
  right = Sub(right, 1);
  bottom = Sub(bottom, 1);
}

void QVRect::Offset(int32_t dx, int32_t dy)
{
  left = Add(left, dx);
  right = Add(right, dx);
  top = Add(top, dy);
  bottom = Add(bottom, dy);
}

void QVRect::Inset(int32_t dx, int32_t dy)
{
  left = Add(left, dx);
  right = Sub(right, dx);
  top = Add(top, dy);
  bottom = Sub(bottom, dy);
}

void QVRect::LimitedChange(int32_t dx, int32_t dy, int32_t minLeft, int32_t minTop, int32_t maxRight, int32_t maxBottom)
{
  left = Sub(left, dx);
  if (left < minLeft)
    left = minLeft;
  else if (left > right)
    left = right;
  right = Add(right, dx);
  if (right > maxRight)
    right = maxRight;
  else if (right < left)
    right = left;
  top = Sub(top, dy);
  if (top < minTop)
    top = minTop;
  else if (top > bottom)
    top = bottom;
  bottom = Add(bottom, dy);
  if (bottom > maxBottom)
    bottom = maxBottom;
  else if (bottom < top)
    bottom = top;
}

void QVRect::EnclosePoint(const QVPoint& point)
{
  const int32_t x = point.X();
  const int32_t y = point.Y();
  if (x < left)
    left = x;
  if (x > right)
    right = x;
  if (y < top)
    top = y;
  if (y > bottom)
    bottom = y;
}

QVPoint QVRect::GetLeftTop() const { return QVPoint(left, top); }
QVPoint QVRect::GetRightTop() const { return QVPoint(right, top); }
QVPoint QVRect::GetLeftBottom() const { return QVPoint(left, bottom); }
QVPoint QVRect::GetRightBottom() const { return QVPoint(right, bottom); }

int32_t QVRect::IsSame(const QVRect& other) const
{
  return left == other.Left() && right == other.Right() && top == other.Top() && bottom == other.Bottom() ? 1 : 0;
}

void QVRect::Expand(const QVRect& other, int32_t margin)
{
  int32_t l = Sub(other.Left(), margin);
  if (l < 0)
    l = 0;
  if (l < left)
    left = l;
  int32_t t = Sub(other.Top(), margin);
  if (t < 0)
    t = 0;
  if (t < top)
    top = t;
  const int32_t r = Add(other.Right(), margin);
  if (r > right)
    right = r;
  const int32_t b = Add(other.Bottom(), margin);
  if (b > bottom)
    bottom = b;
}

void QVRect::NoNegative()
{
  if (left < 0)
    left = 0;
  if (top < 0)
    top = 0;
  if (right < 0)
    right = 0;
  if (bottom < 0)
    bottom = 0;
}
