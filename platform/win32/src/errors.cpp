// The last-error slot and the handle counter.
#include "handles.h"

namespace {
thread_local DWORD g_lastError = ERROR_SUCCESS;
uintptr_t g_nextHandle = 0x400;
} // namespace

namespace standin::detail {
uintptr_t NewHandleValue() { return (g_nextHandle++ << 2) | 3u; }
} // namespace standin::detail

extern "C" DWORD GetLastError(void) { return g_lastError; }
extern "C" void SetLastError(DWORD code) { g_lastError = code; }
