#pragma once
// The border pre-pass: before any stage measures, it looks inward from each
// side of the analysis rectangle for where the picture content starts and
// narrows the rectangle past uniform frames and scanner margins. It writes
// no pixel.
#include "image.h"
#include "pipeline.h"
#include "settings.h"

#include <cstdint>

namespace lvx {

// Scans a colour view from its top edge in bands of blocks and sets `width` to
// the rows of uniform border found there (0 when there is none, or when the
// view has no whole block or band). kStatusBadArgument for another image kind,
// kStatusNoMemory when the band buffer cannot be allocated.
int ScanBorder(const ImageDesc& view, const BorderSettings& settings, int32_t& width);

int BorderPrePass(CorrectionImage& image, EngineControl& control, AdjustProgressProc cb);

} // namespace lvx
