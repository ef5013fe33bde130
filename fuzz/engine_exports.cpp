// The engine's three exports with fuzzed settings, sizes, strides,
// rectangles and cancel points, on small pictures held in buffers of exactly
// the size their layout needs.
#include "fuzzinput.h"
#include "lumivex.h"

#include <vector>

namespace {

int g_ticksLeft = 0;

// Cancels at a fuzzed tick; counts nested begins and ends for nothing else.
int Progress(int argument)
{
  if (argument == 0 && g_ticksLeft >= 0)
    return --g_ticksLeft < 0 ? 1 : 0;
  return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  lvxfuzz::Bytes in(data, size);
  const uint8_t choice = in.Take<uint8_t>();
  AdjustParams params = in.Take<AdjustParams>();
  const int32_t rows = in.Range(1, 40);
  const int32_t columns = in.Range(1, 40);
  const int32_t pixelBytes = in.Range(3, 4);
  const int32_t padding = in.Range(0, 7);
  const bool bottomUp = (choice & 2) != 0;
  AdjustRect rect = in.Take<AdjustRect>();
  g_ticksLeft = (choice & 4) ? in.Range(0, 200) : -1;

  // SetParams with the fuzzed record, or now and then the default one.
  SetParams((choice & 8) ? nullptr : &params);

  const int32_t stride = columns * pixelBytes + padding;
  std::vector<uint8_t> pixels(static_cast<size_t>(rows) * stride);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = in.Left() ? in.Rest()[i % in.Left()] : static_cast<uint8_t>(i * 37);
  // Bottom-up storage: the first row as seen is the last in memory.
  uint8_t* first = bottomUp ? pixels.data() + static_cast<size_t>(rows - 1) * stride : pixels.data();
  const int32_t rowBytes = bottomUp ? -stride : stride;
  AdjustProgressProc progress = (choice & 16) ? nullptr : Progress;
  if (choice & 1) {
    if (pixelBytes == 3)
      doAllAutoAdjustments(&first, rows, columns, rect, rowBytes, progress);
  } else {
    DoAdjustments(first, rows, columns, rowBytes, pixelBytes, (choice & 32) ? nullptr : &rect, progress);
  }
  return 0;
}
