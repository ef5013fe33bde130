// A module that carries LumivexPI's resources and an entry point that
// answers every selector with 0 (Start with $STUB_START_RESULT when set) and
// touches nothing else: enough for a host to find, load and call it.
#include "filterhost/filterhost.h"

#include <cstdlib>

extern "C" __attribute__((visibility("default"))) void ENTRYPOINT(int16_t selector, FilterRecord*, intptr_t*,
                                                                  int16_t* result)
{
  const char* code = selector == filterSelectorStart ? std::getenv("STUB_START_RESULT") : nullptr;
  if (result)
    *result = code ? static_cast<int16_t>(std::atoi(code)) : noErr;
}
