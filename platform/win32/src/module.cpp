// Module handles: a module's HINSTANCE is its load base.
#include "win32/memory.h"

#include <dlfcn.h>

extern "C" SIZE_T VirtualQuery(LPCVOID address, MEMORY_BASIC_INFORMATION* info, SIZE_T length)
{
  if (!info || length < sizeof(MEMORY_BASIC_INFORMATION) || !address)
    return 0;
  Dl_info dl{};
  if (!dladdr(address, &dl) || !dl.dli_fbase)
    return 0;
  *info = MEMORY_BASIC_INFORMATION{};
  info->BaseAddress = dl.dli_fbase;
  info->AllocationBase = dl.dli_fbase;
  info->RegionSize = 0;
  return sizeof(MEMORY_BASIC_INFORMATION);
}
