#pragma once
#include "qvcommon/qvdefs.h"

// A resizable block of the general heap with a lock count. QVPointer locks
// it for its lifetime; only an unlocked handle may be resized.
class QVCOMMON_API QVHandle {
public:
  // A failed allocation leaves no block and size 0.
  explicit QVHandle(int32_t size);
  QVHandle(const QVHandle&) = delete;
  QVHandle& operator=(const QVHandle&) = delete;
  virtual ~QVHandle();

  // Keeps the contents up to the smaller size; the block may move. -1 when
  // the handle is locked (the assertion "m_RefCount == 0" is reported and
  // nothing changes), for a negative size, or when the allocation fails
  // (then the old block is freed: no block, size 0).
  virtual int16_t SetHandleSize(int32_t size);
  virtual int32_t GetHandleSize() const;

  // The number of live QVPointer objects on this handle.
  int32_t RefCount() const { return m_RefCount; }

private:
  friend class QVPointer;
  void* block = nullptr;
  int32_t size = 0;
  int32_t m_RefCount = 0;
};

// A scoped lock on a QVHandle, handing out the block's address.
class QVCOMMON_API QVPointer {
public:
  explicit QVPointer(QVHandle* handle);
  QVPointer(const QVPointer&) = delete;
  QVPointer& operator=(const QVPointer&) = delete;
  virtual ~QVPointer();

  virtual int32_t GetPointerSize() const;

  operator char*() const;
  operator unsigned char*() const;
  operator int32_t*() const;
  operator void*() const;

private:
  void* Block() const;
  QVHandle* handle = nullptr;
};
