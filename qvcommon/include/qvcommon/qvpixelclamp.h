#pragma once
#include "qvcommon/qvdefs.h"

// The clamp table: entry v + 512 holds v clamped to 0..255, for v in
// -512..1535. Users keep a pointer to entry 512 and index it with v.
class QVCOMMON_API QVPixelClamp {
public:
  QVPixelClamp();
  virtual ~QVPixelClamp();

  // Entry 512 of the table.
  const uint8_t* Zero() const { return table + 512; }
  // v clamped to 0..255 for any v: the table's value inside -512..1535,
  // saturated outside it.
  static uint8_t Clamp(int32_t v) { return v < 0 ? 0 : (v > 255 ? 255 : static_cast<uint8_t>(v)); }
  // The framework's own table, built on first use.
  static const QVPixelClamp& Global();

  uint8_t table[2048];
};
