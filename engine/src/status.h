#pragma once
// Status codes of the engine's internal operations, under the names the
// engine's code uses for the public status macros of lumivex.h: success,
// cancelled, and the negative error statuses. They travel as int and leave
// the library sign-extended from 16 bits.
#include "lumivex.h"

namespace lvx {

enum : int {
  kStatusOk = LUMIVEX_OK,
  kStatusCancelled = LUMIVEX_CANCELLED,
  kStatusNoMemory = LUMIVEX_ERR_NO_MEMORY,
  kStatusBadArgument = LUMIVEX_ERR_BAD_ARGUMENT,
  kStatusTooManyRegions = LUMIVEX_ERR_TOO_MANY_REGIONS,
  kStatusModelOpen = LUMIVEX_ERR_MODEL_OPEN,
  kStatusModelRead = LUMIVEX_ERR_MODEL_READ,
  kStatusPeakList = LUMIVEX_ERR_PEAK_LIST,
};

} // namespace lvx
