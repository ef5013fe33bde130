#include "qvcommon/qvmemory.h"

#include "qvcommon/qvassert.h"
#include "win32/memory.h"

QVHandle::QVHandle(int32_t requested)
{
  if (requested < 0)
    return;
  block = HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(requested));
  size = block ? requested : 0;
}

QVHandle::~QVHandle()
{
  if (block)
    HeapFree(GetProcessHeap(), 0, block);
}

int16_t QVHandle::SetHandleSize(int32_t requested)
{
  if (m_RefCount != 0) {
    // Someone holds the block's address: moving it would leave them dangling.
    QVReportAssertion("m_RefCount == 0");
    return -1;
  }
  if (requested < 0)
    return -1;
  void* moved = block ? HeapReAlloc(GetProcessHeap(), 0, block, static_cast<SIZE_T>(requested))
                      : HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(requested));
  if (!moved) {
    // The contents cannot be kept at the new size; drop the block rather than
    // leak it, so callers see the failure as a null pointer.
    if (block)
      HeapFree(GetProcessHeap(), 0, block);
    block = nullptr;
    size = 0;
    return -1;
  }
  block = moved;
  size = requested;
  return 0;
}

int32_t QVHandle::GetHandleSize() const { return size; }

QVPointer::QVPointer(QVHandle* h) : handle(h)
{
  if (handle)
    ++handle->m_RefCount;
}

QVPointer::~QVPointer()
{
  if (handle)
    --handle->m_RefCount;
}

int32_t QVPointer::GetPointerSize() const { return handle ? handle->size : 0; }

void* QVPointer::Block() const { return handle ? handle->block : nullptr; }
QVPointer::operator char*() const { return static_cast<char*>(Block()); }
QVPointer::operator unsigned char*() const { return static_cast<unsigned char*>(Block()); }
QVPointer::operator int32_t*() const { return static_cast<int32_t*>(Block()); }
QVPointer::operator void*() const { return Block(); }
