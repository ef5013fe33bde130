// The native image file reader as the framework's image uses it: the header,
// the embedded image and the preview of a ".twl" file.
#include "fuzzinput.h"
#include "imaging/imaging.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvtwlfile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  imaging::SetMaxPixels(lvxfuzz::kFuzzMaxPixels);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::string path = lvxfuzz::ScratchFolder() + "/input.twl";
  lvxfuzz::WriteFile(path, data, size);
  QVFileSpec spec(path.c_str());
  {
    QVImage reader;
    TWLHeaderDataRecord* header = nullptr;
    unsigned char* image = nullptr;
    if (reader.ReadTWLFile(spec, &header, &image) == kTWLSuccess) {
      if (!header || !image || header->dataOffset + uint64_t{header->dataLength} > size)
        std::abort();
      ReleaseTWLBlock(image);
      ReleaseTWLBlock(header);
    } else if (header || image) {
      std::abort(); // a failed read leaves nothing allocated
    }
  }
  {
    QVImage embedded(spec, 0, false);
  }
  {
    QVImage preview(spec, 24, true);
  }
  imaging::Bitmap preview;
  if (ReadTWLPreview(path.c_str(), &preview) == kTWLSuccess &&
      (preview.width != 64 || preview.height != 64 || preview.bitsPerPixel != 24))
    std::abort();
  return 0;
}
