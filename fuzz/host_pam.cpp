// lumivex-host's PAM reader, on the bytes of a whole file.
#include "fuzzinput.h"
#include "image.h"
#include "imaging/imaging.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  imaging::SetMaxPixels(lvxfuzz::kFuzzMaxPixels);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  lvhost::HostImage image;
  lvxtext::Error error;
  if (!lvhost::ParsePam(bytes, &image, &error)) {
    if (error.message.empty())
      std::abort();
    return 0;
  }
  // What was read writes back as the same header and pixels.
  if (image.pixels.size() != image.RowBytes() * static_cast<size_t>(image.height))
    std::abort();
  lvhost::HostImage again;
  if (!lvhost::ParsePam(lvhost::FormatPam(image), &again, &error) || again.pixels != image.pixels)
    std::abort();
  return 0;
}
