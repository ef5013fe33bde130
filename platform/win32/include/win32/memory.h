#pragma once
// Memory: address queries, global blocks and the general heap.

#include "win32/types.h"

extern "C" {

// ---- Memory queries ---------------------------------------------------------
typedef struct MEMORY_BASIC_INFORMATION {
  LPVOID BaseAddress;
  LPVOID AllocationBase;
  DWORD AllocationProtect;
  SIZE_T RegionSize;
  DWORD State;
  DWORD Protect;
  DWORD Type;
} MEMORY_BASIC_INFORMATION;

// For an address inside a loaded object, reports the object's load base as
// both BaseAddress and AllocationBase (that base is the module's HINSTANCE);
// returns 0 for any other address.
LVX_WIN32_API SIZE_T VirtualQuery(LPCVOID address, MEMORY_BASIC_INFORMATION* info, SIZE_T length);

// ---- Heaps ------------------------------------------------------------------
// Global blocks: a movable block is reached through a handle that is never
// reused; GlobalLock gives its address, which stays put until the block is
// reallocated or freed. As on Windows, a GMEM_FIXED block's handle is its
// address. Every allocation consults the allocation fault plan.
enum : UINT {
  GMEM_FIXED = 0x0000u,
  GMEM_MOVEABLE = 0x0002u,
  GMEM_ZEROINIT = 0x0040u,
  GHND = GMEM_MOVEABLE | GMEM_ZEROINIT,
  GPTR = GMEM_FIXED | GMEM_ZEROINIT,
};
LVX_WIN32_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Adds one lock and returns the block's address (null for an invalid handle).
LVX_WIN32_API LPVOID GlobalLock(HGLOBAL block);
// Removes one lock; non-zero while locks remain. 0 with NO_ERROR when the
// block became unlocked, 0 with ERROR_NOT_LOCKED when it was not locked.
LVX_WIN32_API BOOL GlobalUnlock(HGLOBAL block);
// Null on success, else the handle.
LVX_WIN32_API HGLOBAL GlobalFree(HGLOBAL block);
// Keeps the contents up to the smaller size and zero-fills growth under
// GMEM_ZEROINIT. A locked block is refused (null, ERROR_ACCESS_DENIED); a
// failed allocation leaves the block as it was.
LVX_WIN32_API HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
// The size asked for; 0 for an invalid handle.
LVX_WIN32_API SIZE_T GlobalSize(HGLOBAL block);
// The handle of the block whose address is `address`; null for any other.
LVX_WIN32_API HGLOBAL GlobalHandle(LPCVOID address);

// The general heap: plain addresses, checked on free and reallocation.
enum : DWORD {
  HEAP_ZERO_MEMORY = 0x00000008u,
};
LVX_WIN32_API HANDLE GetProcessHeap(void);
LVX_WIN32_API LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
// Null on failure, and then the old block stays allocated and unchanged.
LVX_WIN32_API LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
LVX_WIN32_API BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

} // extern "C"
