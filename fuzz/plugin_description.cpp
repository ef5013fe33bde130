// The plug-in description readers: the property list (PiPL) and the
// scripting terminology (AETE), on the same bytes.
#include "filterhost/filterhost.h"
#include "filterhost/pipl.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  filterhost::Pipl pipl;
  std::string why;
  if (pipl.Parse(data, size, &why)) {
    pipl.Kind();
    pipl.Version();
    pipl.EntryName();
    for (int mode = 0; mode < 16; ++mode)
      pipl.SupportsMode(mode);
  } else if (why.empty()) {
    std::abort();
  }
  filterhost::Aete aete;
  why.clear();
  if (!filterhost::ReadAete(data, size, &aete, &why) && why.empty())
    std::abort();
  return 0;
}
