#pragma once
// Small pieces the tone stages and the border pre-pass share: the linear
// ramp that turns a measurement into a weight, the distance between two
// colours, and the 256-entry power-curve tables of the gamma steps.
#include <cstdint>

namespace lvx {

// 1 at or below a, 0 at or above b, falling linearly in between. Equal
// limits make a step (1 up to the limit, 0 above it); it never divides by 0.
double Ramp(double x, double a, double b);

// floor(sqrt(d0^2 + d1^2 + d2^2)) over the differences of the three bytes of
// two pixels.
unsigned ColourDistance(const uint8_t* a, const uint8_t* b);

// table[i] := floor(255 (i / 255)^exponent + 0.5). Returns true when some
// entry differs from its index. The exponent must be positive and finite.
bool PowerTable(double exponent, uint8_t* table);

} // namespace lvx
