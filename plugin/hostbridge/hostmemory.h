#pragma once
// The plug-in's own relocatable handles, pointers, 16-bit rectangles and
// tick counts, for when the host offers no handle suite and for the values
// the plug-in needs for itself (its persistent data handle, the request
// rectangles).
//
// Handles and pointers live in Windows global memory, locked for their whole
// life so their data never moves. A handle points at a master block holding
// the data pointer and the tag 'FOTO'; only handles issued here are ever
// resized or freed here, so a host's handle that reaches these functions by
// mistake is refused (nilHandleErr) and left alone.
//
// Every memory operation sets the last error (MemError) to 0, then to the
// failure code: memFullErr, nilHandleErr, or nilHandleResizeErr for a null
// handle given to SetHandleSize.
#include "filterhost/filterhost.h"

#include <cstdint>

namespace hostif {

constexpr uint32_t kHandleTag = FourCC("FOTO");

// What a handle points at.
struct MasterBlock {
  Ptr data;
  uint32_t tag; // kHandleTag
};

// A zero-filled block of `size` bytes (0 is allowed); null on failure.
Handle NewHandle(int32_t size);
// The data block's size; 0 for a null or foreign handle.
int32_t GetHandleSize(Handle handle);
// Keeps the data up to the smaller size and zero-fills growth. On failure
// the old block stays valid, locked and unchanged. Returns the last error.
int16_t SetHandleSize(Handle handle, int32_t size);
// Frees the data and the master block; a foreign handle is left alone.
void DisposeHandle(Handle handle);
// A new handle holding a copy of the data; null on failure.
Handle DuplicateHandle(Handle handle);
// Whether the handle was issued here and not yet disposed.
bool IsOwnHandle(Handle handle);

// Plain zero-filled blocks.
Ptr NewPtr(int32_t size);
void DisposePtr(Ptr pointer);
int32_t GetPtrSize(Ptr pointer);

// GlobalLock, GlobalUnlock and GlobalHandle of a global block.
void* LockHandleBlock(HGLOBAL block);
bool UnlockHandleBlock(HGLOBAL block);
HGLOBAL RecoverHandle(const void* address);

int16_t MemError();

// ---- Rectangles and points --------------------------------------------------
struct Point16 {
  int16_t v;
  int16_t h;
};

// Each returns false for a null rectangle.
bool SetRect(Rect16* rect, int16_t left, int16_t top, int16_t right, int16_t bottom);
bool OffsetRect(Rect16* rect, int16_t dh, int16_t dv);
bool InsetRect(Rect16* rect, int16_t dh, int16_t dv);
// left <= h < right and top <= v < bottom.
bool PtInRect(Point16 point, const Rect16* rect);

// ---- Time, chance and the command line --------------------------------------
// About sixtieths of a second: milliseconds / 17.
int32_t TickCount();
// The runtime's pseudo-random number.
int32_t Random();
// Splits a heap copy of GetCommandLineA into at most 128 entries: the
// program name (in double quotes when the line starts with one, else up to
// the first blank or tab), then the arguments, separated by blanks or tabs,
// a double-quoted one running to the next double quote. Returns the count;
// 0 when the line cannot be copied or the program name's quote is not
// closed. The entries stay until the next split.
int SplitCommandLine();
// Entry i of the last split; null outside it.
const char* CommandLineEntry(int index);

} // namespace hostif
