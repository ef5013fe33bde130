#pragma once
// The engine's one allocator. Every working buffer of a run (planes,
// histograms, tables, caches, queues, index tables) comes from here, never
// from std::vector or new, so that each request has a defined failure path:
// a null result, which the caller turns into its failure status. Each request
// first asks the process-wide allocation fault plan, which lets tests fail any
// chosen request.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

namespace lvx {

// A block of at least `bytes` bytes (a zero-byte request still gives a
// distinct block), or null when memory is short or the fault plan says so.
// A block of 2 MB or more (a plane, a large table) starts on a 2 MB
// boundary and is backed by huge pages where the system offers them, so
// that the pass filling it pays one page fault per 2 MB, not per 4 KB.
void* Allocate(size_t bytes);
// As Allocate, with every byte 0.
void* AllocateZeroed(size_t bytes);
// Frees a block from Allocate; null is ignored.
void Release(void* block);
// Blocks handed out and not yet released (for leak checks in tests).
long LiveAllocations();

// `count` elements of T (uninitialised; T must be trivial). Null on failure,
// also when count * sizeof(T) does not fit in size_t.
template <class T>
T* AllocateArray(size_t count)
{
  if (count > SIZE_MAX / sizeof(T))
    return nullptr;
  return static_cast<T*>(Allocate(count * sizeof(T)));
}

template <class T>
T* AllocateZeroedArray(size_t count)
{
  if (count > SIZE_MAX / sizeof(T))
    return nullptr;
  return static_cast<T*>(AllocateZeroed(count * sizeof(T)));
}

// Owns one array from the allocator and releases it when it goes out of
// scope, so early returns cannot leak. Allocation is explicit:
//   Buffer<uint32_t> hist;
//   if (!hist.AllocateZeroed(256)) return kStatusNoMemory;
template <class T>
class Buffer {
public:
  Buffer() = default;
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  Buffer(Buffer&& other) noexcept : data_(std::exchange(other.data_, nullptr)), size_(other.size_) {}
  Buffer& operator=(Buffer&& other) noexcept
  {
    if (this != &other) {
      Reset();
      data_ = std::exchange(other.data_, nullptr);
      size_ = other.size_;
    }
    return *this;
  }
  ~Buffer() { Reset(); }

  // Replaces the contents with `count` uninitialised elements; false on failure.
  bool Allocate(size_t count)
  {
    Reset();
    data_ = AllocateArray<T>(count);
    size_ = data_ ? count : 0;
    return data_ != nullptr;
  }
  bool AllocateZeroed(size_t count)
  {
    Reset();
    data_ = AllocateZeroedArray<T>(count);
    size_ = data_ ? count : 0;
    return data_ != nullptr;
  }
  void Reset()
  {
    Release(data_);
    data_ = nullptr;
    size_ = 0;
  }
  // Hands the block to the caller, who must Release it.
  T* Detach()
  {
    size_ = 0;
    return std::exchange(data_, nullptr);
  }

  T* data() const { return data_; }
  size_t size() const { return size_; }
  explicit operator bool() const { return data_ != nullptr; }
  T& operator[](size_t i) const { return data_[i]; }

private:
  T* data_ = nullptr;
  size_t size_ = 0;
};

} // namespace lvx
