// Image files from memory through the imaging library, as the programs load
// them: every format it sniffs, at each depth a caller may ask for.
#include "imaging/imaging.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  for (const int32_t bits : {0, 8, 24}) {
    imaging::Bitmap bitmap;
    imaging::LoadInfo info;
    std::string why;
    const int32_t status = imaging::LoadMemory(data, size, &bitmap, bits, &why, &info);
    if (status == imaging::kSuccess) {
      // A loaded picture is whole: its rows can be read to the end.
      if (bitmap.width <= 0 || bitmap.height <= 0 || !bitmap.data || (bits && bitmap.bitsPerPixel != bits))
        std::abort();
      volatile uint8_t sum = 0;
      for (int32_t y = 0; y < bitmap.height; ++y)
        sum = sum + bitmap.Row(y)[bitmap.bytesPerLine - 1];
    } else if (status >= 0 || why.empty() || bitmap.data) {
      std::abort(); // a failure is negative, says why and leaves the record empty
    }
  }
  return 0;
}
