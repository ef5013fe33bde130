// Handles, pointers, rectangles, ticks and the command line of the plug-in's
// own (see hostmemory.h).
#include "hostmemory.h"

#include "win32/memory.h"
#include "win32/modules.h"
#include "win32/windowing.h"

#include <cstdlib>
#include <cstring>
#include <set>

namespace hostif {
namespace {

int16_t g_memError = noErr;

int16_t SetMemError(int16_t code) { return g_memError = code; }

// The master blocks issued and not yet disposed.
std::set<const void*>& Issued()
{
  static auto* issued = new std::set<const void*>;
  return *issued;
}

// A locked, zero-filled, movable block; null on failure.
void* NewLockedBlock(size_t size)
{
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!block)
    return nullptr;
  void* address = GlobalLock(block);
  if (!address)
    GlobalFree(block);
  return address;
}

void FreeLockedBlock(const void* address)
{
  HGLOBAL block = GlobalHandle(address);
  if (!block)
    return;
  GlobalUnlock(block);
  GlobalFree(block);
}

// The master block of one of our handles; null (and nilHandleErr) for a
// null or foreign one.
MasterBlock* Master(Handle handle)
{
  if (!handle || !Issued().count(handle)) {
    SetMemError(nilHandleErr);
    return nullptr;
  }
  return reinterpret_cast<MasterBlock*>(handle);
}

// The command line's heap copy and the entries pointing into it.
constexpr int kMaxEntries = 128;
char* g_commandLine = nullptr;
const char* g_entries[kMaxEntries];
int g_entryCount = 0;

} // namespace

Handle NewHandle(int32_t size)
{
  SetMemError(noErr);
  auto* master = size >= 0 ? static_cast<MasterBlock*>(NewLockedBlock(sizeof(MasterBlock))) : nullptr;
  void* data = master ? NewLockedBlock(static_cast<size_t>(size)) : nullptr;
  if (!data) {
    if (master)
      FreeLockedBlock(master);
    SetMemError(memFullErr);
    return nullptr;
  }
  master->data = static_cast<Ptr>(data);
  master->tag = kHandleTag;
  Issued().insert(master);
  return reinterpret_cast<Handle>(master);
}

int32_t GetHandleSize(Handle handle)
{
  SetMemError(noErr);
  MasterBlock* master = Master(handle);
  if (!master)
    return 0;
  HGLOBAL block = GlobalHandle(master->data);
  if (!block) {
    SetMemError(nilHandleErr);
    return 0;
  }
  return static_cast<int32_t>(GlobalSize(block));
}

int16_t SetHandleSize(Handle handle, int32_t size)
{
  SetMemError(noErr);
  if (!handle)
    return SetMemError(nilHandleResizeErr);
  MasterBlock* master = Master(handle);
  if (!master)
    return nilHandleErr;
  HGLOBAL block = GlobalHandle(master->data);
  if (!block)
    return SetMemError(nilHandleErr);
  if (size < 0)
    return SetMemError(memFullErr);
  // A locked block cannot be resized; a failed resize leaves it as it was,
  // and it is locked again either way.
  GlobalUnlock(block);
  HGLOBAL resized = GlobalReAlloc(block, static_cast<size_t>(size), GMEM_MOVEABLE | GMEM_ZEROINIT);
  master->data = static_cast<Ptr>(GlobalLock(resized ? resized : block));
  return resized ? noErr : SetMemError(memFullErr);
}

void DisposeHandle(Handle handle)
{
  SetMemError(noErr);
  MasterBlock* master = Master(handle);
  if (!master)
    return;
  FreeLockedBlock(master->data);
  Issued().erase(master);
  FreeLockedBlock(master);
}

Handle DuplicateHandle(Handle handle)
{
  const int32_t size = GetHandleSize(handle);
  if (MemError() != noErr)
    return nullptr;
  Handle copy = NewHandle(size);
  if (copy)
    std::memcpy(*copy, *handle, static_cast<size_t>(size));
  return copy;
}

bool IsOwnHandle(Handle handle) { return handle && Issued().count(handle); }

Ptr NewPtr(int32_t size)
{
  SetMemError(noErr);
  void* pointer = size >= 0 ? NewLockedBlock(static_cast<size_t>(size)) : nullptr;
  if (!pointer)
    SetMemError(memFullErr);
  return static_cast<Ptr>(pointer);
}

void DisposePtr(Ptr pointer)
{
  SetMemError(noErr);
  if (!pointer || !GlobalHandle(pointer)) {
    SetMemError(nilHandleErr);
    return;
  }
  FreeLockedBlock(pointer);
}

int32_t GetPtrSize(Ptr pointer)
{
  SetMemError(noErr);
  HGLOBAL block = pointer ? GlobalHandle(pointer) : nullptr;
  if (!block) {
    SetMemError(nilHandleErr);
    return 0;
  }
  return static_cast<int32_t>(GlobalSize(block));
}

void* LockHandleBlock(HGLOBAL block)
{
  SetMemError(noErr);
  void* address = GlobalLock(block);
  if (!address)
    SetMemError(nilHandleErr);
  return address;
}

bool UnlockHandleBlock(HGLOBAL block)
{
  SetMemError(noErr);
  return GlobalUnlock(block) != FALSE;
}

HGLOBAL RecoverHandle(const void* address)
{
  SetMemError(noErr);
  HGLOBAL block = GlobalHandle(address);
  if (!block)
    SetMemError(nilHandleErr);
  return block;
}

int16_t MemError() { return g_memError; }

bool SetRect(Rect16* rect, int16_t left, int16_t top, int16_t right, int16_t bottom)
{
  if (!rect)
    return false;
  *rect = Rect16{top, left, bottom, right};
  return true;
}

bool OffsetRect(Rect16* rect, int16_t dh, int16_t dv)
{
  if (!rect)
    return false;
  rect->left = static_cast<int16_t>(rect->left + dh);
  rect->right = static_cast<int16_t>(rect->right + dh);
  rect->top = static_cast<int16_t>(rect->top + dv);
  rect->bottom = static_cast<int16_t>(rect->bottom + dv);
  return true;
}

bool InsetRect(Rect16* rect, int16_t dh, int16_t dv)
{
  if (!rect)
    return false;
  rect->left = static_cast<int16_t>(rect->left + dh);
  rect->right = static_cast<int16_t>(rect->right - dh);
  rect->top = static_cast<int16_t>(rect->top + dv);
  rect->bottom = static_cast<int16_t>(rect->bottom - dv);
  return true;
}

bool PtInRect(Point16 point, const Rect16* rect)
{
  return rect && rect->left <= point.h && point.h < rect->right && rect->top <= point.v && point.v < rect->bottom;
}

int32_t TickCount() { return static_cast<int32_t>(GetTickCount() / 17); }

int32_t Random() { return std::rand(); }

int SplitCommandLine()
{
  std::free(g_commandLine);
  g_commandLine = nullptr;
  g_entryCount = 0;
  const char* line = GetCommandLineA();
  g_commandLine = line ? strdup(line) : nullptr;
  if (!g_commandLine)
    return 0;
  char* p = g_commandLine;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  // One entry from p: quoted to the next quote (or the end), else to the
  // next blank. Returns false for an unclosed quote.
  auto take = [&]() {
    const bool quoted = *p == '"';
    if (quoted)
      ++p;
    g_entries[g_entryCount++] = p;
    while (*p && (quoted ? *p != '"' : !blank(*p)))
      ++p;
    const bool closed = !quoted || *p == '"';
    if (*p)
      *p++ = '\0';
    return closed;
  };
  if (!take()) {
    g_entryCount = 0;
    return 0;
  }
  while (g_entryCount < kMaxEntries) {
    while (blank(*p))
      ++p;
    if (!*p)
      break;
    take();
  }
  return g_entryCount;
}

const char* CommandLineEntry(int index) { return index >= 0 && index < g_entryCount ? g_entries[index] : nullptr; }

} // namespace hostif
