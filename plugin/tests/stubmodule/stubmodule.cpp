// A module that carries LumivexPI's resources and an entry point that
// answers every selector with 0 and touches nothing else: enough for a host
// to find, load and call it.
#include "filterhost/filterhost.h"

extern "C" __attribute__((visibility("default"))) void ENTRYPOINT(int16_t, FilterRecord*, intptr_t*, int16_t* result)
{
  if (result)
    *result = noErr;
}
