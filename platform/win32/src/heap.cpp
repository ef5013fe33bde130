// Global blocks and the general heap, over malloc. Every allocation asks the
// fault plan first, and every live block is counted for LiveBlocks.
#include "handles.h"
#include "win32/automation.h"
#include "win32/hugepages.h"
#include "win32/internal/faults.h"
#include "win32/memory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unordered_map>

namespace {

using standin::detail::Fail;

struct GlobalBlock {
  void* data = nullptr;
  size_t size = 0;
  bool fixed = false; // the handle is the address
  int locks = 0;
};

// Handle value (or address, for fixed blocks) -> block.
std::unordered_map<uintptr_t, GlobalBlock>& Globals()
{
  static auto* globals = new std::unordered_map<uintptr_t, GlobalBlock>;
  return *globals;
}
// Block address -> handle value, for GlobalHandle.
std::unordered_map<const void*, uintptr_t>& GlobalByAddress()
{
  static auto* byAddress = new std::unordered_map<const void*, uintptr_t>;
  return *byAddress;
}
// General-heap block address -> size.
std::unordered_map<const void*, size_t>& HeapBlocks()
{
  static auto* blocks = new std::unordered_map<const void*, size_t>;
  return *blocks;
}

// A zero-byte request still gets a distinct, lockable address.
void* Allocate(size_t bytes, bool zero)
{
  if (standin::AllocationShouldFail())
    return nullptr;
  const size_t n = bytes ? bytes : 1;
  return zero ? std::calloc(n, 1) : std::malloc(n);
}

// On failure the old block stays as it was.
void* Reallocate(void* old, size_t oldSize, size_t bytes, bool zeroGrowth)
{
  if (standin::AllocationShouldFail())
    return nullptr;
  void* moved = std::realloc(old, bytes ? bytes : 1);
  if (moved && zeroGrowth && bytes > oldSize)
    std::memset(static_cast<char*>(moved) + oldSize, 0, bytes - oldSize);
  return moved;
}

GlobalBlock* FindGlobal(HGLOBAL handle)
{
  auto it = Globals().find(standin::detail::HandleKey(handle));
  return it == Globals().end() ? nullptr : &it->second;
}

HANDLE ProcessHeap()
{
  static const HANDLE heap = reinterpret_cast<HANDLE>(standin::detail::NewHandleValue());
  return heap;
}

} // namespace

namespace standin {
long LiveBlocks() { return static_cast<long>(Globals().size() + HeapBlocks().size()); }

void AdviseHugePages(void* data, size_t bytes)
{
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  const auto start = reinterpret_cast<uintptr_t>(data);
  if (!data || bytes < kHugePage || start > UINTPTR_MAX - bytes)
    return;
  const uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = (start + bytes) & ~(kHugePage - 1);
  if (end > first)
    madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

} // namespace standin

extern "C" {

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
  GlobalBlock block;
  block.data = Allocate(bytes, (flags & GMEM_ZEROINIT) != 0);
  if (!block.data)
    return Fail(ERROR_NOT_ENOUGH_MEMORY, HGLOBAL(nullptr));
  block.size = bytes;
  block.fixed = (flags & GMEM_MOVEABLE) == 0;
  const uintptr_t handle = block.fixed ? reinterpret_cast<uintptr_t>(block.data) : standin::detail::NewHandleValue();
  GlobalByAddress()[block.data] = handle;
  Globals().emplace(handle, block);
  return reinterpret_cast<HGLOBAL>(handle);
}

LPVOID GlobalLock(HGLOBAL handle)
{
  GlobalBlock* block = FindGlobal(handle);
  if (!block)
    return Fail(ERROR_INVALID_HANDLE, LPVOID(nullptr));
  if (!block->fixed)
    ++block->locks;
  return block->data;
}

BOOL GlobalUnlock(HGLOBAL handle)
{
  GlobalBlock* block = FindGlobal(handle);
  if (!block)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (block->locks == 0)
    return Fail(ERROR_NOT_LOCKED, FALSE);
  if (--block->locks > 0)
    return TRUE;
  return Fail(NO_ERROR, FALSE);
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
  GlobalBlock* block = FindGlobal(handle);
  if (!block)
    return Fail(ERROR_INVALID_HANDLE, handle);
  std::free(block->data);
  GlobalByAddress().erase(block->data);
  Globals().erase(standin::detail::HandleKey(handle));
  return nullptr;
}

HGLOBAL GlobalReAlloc(HGLOBAL handle, SIZE_T bytes, UINT flags)
{
  GlobalBlock* block = FindGlobal(handle);
  if (!block)
    return Fail(ERROR_INVALID_HANDLE, HGLOBAL(nullptr));
  if (block->locks > 0)
    return Fail(ERROR_ACCESS_DENIED, HGLOBAL(nullptr));
  void* moved = Reallocate(block->data, block->size, bytes, (flags & GMEM_ZEROINIT) != 0);
  if (!moved)
    return Fail(ERROR_NOT_ENOUGH_MEMORY, HGLOBAL(nullptr));
  GlobalByAddress().erase(block->data);
  block->data = moved;
  block->size = bytes;
  uintptr_t key = standin::detail::HandleKey(handle);
  if (block->fixed && reinterpret_cast<uintptr_t>(moved) != key) {
    GlobalBlock copy = *block;
    Globals().erase(key);
    key = reinterpret_cast<uintptr_t>(moved);
    Globals().emplace(key, copy);
  }
  GlobalByAddress()[moved] = key;
  return reinterpret_cast<HGLOBAL>(key);
}

SIZE_T GlobalSize(HGLOBAL handle)
{
  GlobalBlock* block = FindGlobal(handle);
  return block ? block->size : Fail(ERROR_INVALID_HANDLE, SIZE_T(0));
}

HGLOBAL GlobalHandle(LPCVOID address)
{
  auto it = GlobalByAddress().find(address);
  if (it == GlobalByAddress().end())
    return Fail(ERROR_INVALID_HANDLE, HGLOBAL(nullptr));
  return reinterpret_cast<HGLOBAL>(it->second);
}

HANDLE GetProcessHeap(void) { return ProcessHeap(); }

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
  if (heap != ProcessHeap())
    return Fail(ERROR_INVALID_HANDLE, LPVOID(nullptr));
  void* data = Allocate(bytes, (flags & HEAP_ZERO_MEMORY) != 0);
  if (!data)
    return Fail(ERROR_NOT_ENOUGH_MEMORY, LPVOID(nullptr));
  HeapBlocks()[data] = bytes;
  return data;
}

LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes)
{
  if (heap != ProcessHeap())
    return Fail(ERROR_INVALID_HANDLE, LPVOID(nullptr));
  auto it = HeapBlocks().find(block);
  if (it == HeapBlocks().end())
    return Fail(ERROR_INVALID_PARAMETER, LPVOID(nullptr));
  void* moved = Reallocate(block, it->second, bytes, (flags & HEAP_ZERO_MEMORY) != 0);
  if (!moved)
    return Fail(ERROR_NOT_ENOUGH_MEMORY, LPVOID(nullptr));
  HeapBlocks().erase(it);
  HeapBlocks()[moved] = bytes;
  return moved;
}

BOOL HeapFree(HANDLE heap, DWORD, LPVOID block)
{
  if (heap != ProcessHeap())
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!block)
    return TRUE;
  if (HeapBlocks().erase(block) == 0)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::free(block);
  return TRUE;
}

} // extern "C"
