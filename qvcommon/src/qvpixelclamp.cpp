#include "qvcommon/qvpixelclamp.h"

QVPixelClamp::QVPixelClamp()
{
  for (int32_t i = 0; i < 2048; ++i)
    table[i] = Clamp(i - 512);
}

QVPixelClamp::~QVPixelClamp() = default;

// A function-local static: built on first use, so no other global's
// constructor can see it empty.
const QVPixelClamp& QVPixelClamp::Global()
{
  static const QVPixelClamp global;
  return global;
}
