#include "tone.h"

#include <cmath>

namespace lvx {

double Ramp(double x, double a, double b)
{
  if (x <= a)
    return 1.0;
  if (x >= b)
    return 0.0;
  return (b - x) / (b - a);
}

unsigned ColourDistance(const uint8_t* a, const uint8_t* b)
{
  int d0 = a[0] - b[0], d1 = a[1] - b[1], d2 = a[2] - b[2];
  // At most 3 * 255^2: the correctly rounded root of such an integer never
  // reaches the next whole number unless the integer is a square.
  return unsigned(std::sqrt(double(d0 * d0 + d1 * d1 + d2 * d2)));
}

bool PowerTable(double exponent, uint8_t* table)
{
  bool changed = false;
  for (int i = 0; i < 256; ++i) {
    double v = std::floor(255.0 * std::pow(i / 255.0, exponent) + 0.5);
    table[i] = uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
    changed |= table[i] != i;
  }
  return changed;
}

} // namespace lvx
