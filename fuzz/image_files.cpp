// Image files from memory through the imaging library, as the programs load
// them: every format it sniffs, at each depth a caller may ask for; and the
// same bytes as a file, which must load to the same picture or fail too.
#include "fuzzinput.h"
#include "imaging/imaging.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  imaging::SetMaxPixels(lvxfuzz::kFuzzMaxPixels);
  return 0;
}

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
    if (bits != 0)
      continue;
    // A file is decoded as it is read (a BMP file read whole): the picture
    // must be the one the bytes in memory give.
    static const std::string path = lvxfuzz::ScratchFolder() + "/input.img";
    lvxfuzz::WriteFile(path, data, size);
    imaging::Bitmap fromFile;
    const int32_t fileStatus = imaging::LoadFile(path.c_str(), &fromFile, bits, &why);
    if ((fileStatus == imaging::kSuccess) != (status == imaging::kSuccess) ||
        (status == imaging::kSuccess &&
         (fromFile.width != bitmap.width || fromFile.height != bitmap.height ||
          fromFile.bitsPerPixel != bitmap.bitsPerPixel ||
          std::memcmp(fromFile.data, bitmap.data, static_cast<size_t>(bitmap.bytesPerLine) * bitmap.height) != 0)))
      std::abort();
  }
  return 0;
}
