// lumivex-host's parameter files and packed descriptors: what is read is
// written and read back the same.
#include "params.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  lvhost::Descriptor descriptor;
  lvxtext::Error error;
  if (lvhost::ParseParameters(text, &descriptor, &error)) {
    lvhost::Descriptor again;
    if (!lvhost::ParseParameters(lvhost::FormatParameters(descriptor), &again, &error) || !(again == descriptor))
      std::abort();
    const std::string packed = lvhost::PackDescriptor(descriptor);
    if (!lvhost::UnpackDescriptor(packed.data(), packed.size(), &again) || !(again == descriptor))
      std::abort();
  } else if (error.message.empty()) {
    std::abort();
  }
  lvhost::Descriptor unpacked;
  if (lvhost::UnpackDescriptor(text.data(), text.size(), &unpacked)) {
    const std::string packed = lvhost::PackDescriptor(unpacked);
    if (packed != text)
      std::abort();
  }
  return 0;
}
