// The library's three exported functions.
#include "lumivex.h"

#include "image.h"
#include "module.h"
#include "progress.h"
#include "rect.h"
#include "status.h"

namespace lvx {
namespace {

// The buffer must be addressable as described before anything touches it:
// a pixel pointer, at least one row and column, at least 3 bytes per pixel,
// and rows long enough for their pixels.
bool BufferIsUsable(const uint8_t* pixels, int32_t rows, int32_t columns, int32_t rowBytes, int32_t pixelBytes)
{
  if (!pixels || rows <= 0 || columns <= 0 || pixelBytes < 3)
    return false;
  int64_t needed = (int64_t(columns) - 1) * pixelBytes + 3;
  int64_t available = rowBytes < 0 ? -int64_t(rowBytes) : int64_t(rowBytes);
  return available >= needed;
}

int32_t Correct(uint8_t* pixels, int32_t rows, int32_t columns, int32_t rowBytes, int32_t pixelBytes,
                const AdjustRect* rect, AdjustProgressProc progress)
{
  if (!BufferIsUsable(pixels, rows, columns, rowBytes, pixelBytes))
    return kStatusBadArgument;
  // A rectangle reaching outside the image is clipped to it, so no stage
  // reads or writes past the buffer.
  AdjustRect analysis = rect ? ClipRect(*rect, rows, columns) : WholeRect(rows, columns);
  int status = RunPipeline(Module().control, CallerImage(pixels, rows, columns, rowBytes, pixelBytes), analysis,
                           progress ? progress : NoProgress);
  // Statuses are 16-bit values; they leave sign-extended.
  return int32_t(int16_t(status));
}

} // namespace
} // namespace lvx

extern "C" {

LUMIVEX_API int32_t DoAdjustments(uint8_t* pixels, int32_t rows, int32_t columns, int32_t rowBytes, int32_t pixelBytes,
                                  const AdjustRect* rect, AdjustProgressProc progress)
{
  return lvx::Correct(pixels, rows, columns, rowBytes, pixelBytes, rect, progress);
}

LUMIVEX_API int32_t SetParams(const AdjustParams* params)
{
  lvx::ApplyParams(params);
  return 0;
}

LUMIVEX_API int32_t doAllAutoAdjustments(uint8_t** pp, int32_t rows, int32_t columns, AdjustRect rect, int32_t rowBytes,
                                         AdjustProgressProc progress)
{
  if (!pp)
    return lvx::kStatusBadArgument;
  return lvx::Correct(*pp, rows, columns, rowBytes, 3, &rect, progress);
}

} // extern "C"
