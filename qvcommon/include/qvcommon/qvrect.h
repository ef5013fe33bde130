#pragma once
#include "qvcommon/qvpoint.h"

// An integer rectangle. Its size is right - left by bottom - top, while the
// containment tests count the right and bottom edges as inside. Nothing keeps
// it normalised. Other rectangles and points are always read through their
// virtual accessors, so a derived class may compute its edges. Edge
// arithmetic wraps at the 32-bit limits.
class QVCOMMON_API QVRect {
public:
  QVRect();
  QVRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
  QVRect(const QVRect& other);

  virtual QVRect& operator=(const QVRect& other);
  virtual ~QVRect();
  // right and bottom scaled about the origin, truncated toward zero.
  virtual void Scale(double sx, double sy);
  virtual void SetLTRB(int32_t left, int32_t top, int32_t right, int32_t bottom);
  virtual void SetLTWH(int32_t left, int32_t top, int32_t width, int32_t height);
  virtual int32_t Left() const;
  virtual int32_t Top() const;
  virtual int32_t Right() const;
  virtual int32_t Bottom() const;
  virtual void SetLeft(int32_t value);
  virtual void SetTop(int32_t value);
  virtual void SetRight(int32_t value);
  virtual void SetBottom(int32_t value);
  virtual void SetWidth(int32_t width);
  virtual void SetHeight(int32_t height);
  virtual int32_t Width() const;
  virtual int32_t Height() const;
  virtual bool PtInRect(const QVPoint& point) const;
  virtual bool RectInRect(const QVRect& other) const;
  // False for rectangles that only touch.
  virtual bool RectIntersectsRect(const QVRect& other) const;
  virtual void FitInRect(const QVRect& bounds);
  virtual RECT GetRect() const;
  virtual void Normal();
  virtual void RenderReady();
  virtual void Offset(int32_t dx, int32_t dy);
  virtual void Inset(int32_t dx, int32_t dy);
  virtual void LimitedChange(int32_t dx, int32_t dy, int32_t minLeft, int32_t minTop, int32_t maxRight,
                             int32_t maxBottom);
  virtual void EnclosePoint(const QVPoint& point);
  virtual QVPoint GetLeftTop() const;
  virtual QVPoint GetRightTop() const;
  virtual QVPoint GetLeftBottom() const;
  virtual QVPoint GetRightBottom() const;
  virtual int32_t IsSame(const QVRect& other) const;
  virtual void Expand(const QVRect& other, int32_t margin);
  virtual void NoNegative();

protected:
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
