#pragma once
#include "qvcommon/qvdefs.h"

// An RGB colour. Packs as the Windows COLORREF 0x00BBGGRR. Its hue runs
// 0..359 with green at 0, blue at 120 and red at 240.
class QVCOMMON_API QVColor {
public:
  QVColor();
  QVColor(int32_t packed);
  QVColor(unsigned char r, unsigned char g, unsigned char b);
  QVColor(const QVColor& other);
  QVColor& operator=(const QVColor& other) = default;

  virtual ~QVColor();
  // Takes r, g and b from the three low bytes; the top byte is ignored.
  virtual void SetRGB(int32_t packed);
  virtual void SetRGB(unsigned char r, unsigned char g, unsigned char b);
  virtual unsigned char R() const;
  virtual unsigned char G() const;
  virtual unsigned char B() const;

  int32_t GetRGB() const;
  // (r + g + b) / 3.
  int32_t GetIntensity() const;
  // max - min of the three.
  int32_t GetSaturation() const;
  int32_t GetHue() const;

protected:
  unsigned char r = 0;
  unsigned char g = 0;
  unsigned char b = 0;
};
