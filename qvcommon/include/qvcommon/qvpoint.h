#pragma once
#include "qvcommon/qvdefs.h"

// An integer point.
class QVCOMMON_API QVPoint {
public:
  QVPoint();
  QVPoint(int32_t x, int32_t y);
  virtual ~QVPoint();
  virtual int32_t X() const;
  virtual int32_t Y() const;
  virtual void SetX(int32_t x);
  virtual void SetY(int32_t y);
  virtual void SetPoint(int32_t x, int32_t y);
  virtual void Offset(int32_t dx, int32_t dy);

  // True when both coordinates equal the other point's X () and Y ().
  bool EqualsPt(const QVPoint* other) const;

protected:
  int32_t x = 0;
  int32_t y = 0;
};
