#pragma once
#include "qvcommon/qvdefs.h"

// System queries.
class QVCOMMON_API QVSystem {
public:
  QVSystem() = delete;
  // Bits per pixel of the display; 0 when it cannot be asked.
  static int16_t GetMainMonitorDepth();
};
