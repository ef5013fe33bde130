// The bytes of a host image (see pixelbuffer.h).
#include "pixelbuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace lvhost {

PixelBuffer::PixelBuffer(const PixelBuffer& other) { assign(other.begin(), other.end()); }

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& other)
{
  if (this != &other)
    assign(other.begin(), other.end());
  return *this;
}

PixelBuffer::PixelBuffer(PixelBuffer&& other) noexcept
    : data_(std::move(other.data_)), size_(other.size_), capacity_(other.capacity_)
{
  other.size_ = other.capacity_ = 0;
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept
{
  if (this != &other) {
    data_ = std::move(other.data_);
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.size_ = other.capacity_ = 0;
  }
  return *this;
}

PixelBuffer PixelBuffer::Adopt(uint8_t* data, size_t size)
{
  PixelBuffer buffer;
  buffer.data_.reset(data);
  buffer.size_ = buffer.capacity_ = data ? size : 0;
  return buffer;
}

void PixelBuffer::Reserve(size_t size)
{
  if (size <= capacity_)
    return;
  const size_t capacity = std::max(size, capacity_ + capacity_ / 2);
  void* grown = std::realloc(data_.get(), capacity);
  if (!grown)
    throw std::bad_alloc();
  (void)data_.release();
  data_.reset(static_cast<uint8_t*>(grown));
  capacity_ = capacity;
}

void PixelBuffer::resize(size_t size)
{
  Reserve(size);
  if (size > size_)
    std::memset(data() + size_, 0, size - size_);
  size_ = size;
}

void PixelBuffer::assign(size_t size, uint8_t value)
{
  Reserve(size);
  if (size)
    std::memset(data(), value, size);
  size_ = size;
}

void PixelBuffer::assign(const uint8_t* first, const uint8_t* last)
{
  const size_t size = static_cast<size_t>(last - first);
  Reserve(size);
  if (size)
    std::memmove(data(), first, size);
  size_ = size;
}

void PixelBuffer::Insert(size_t offset, const uint8_t* bytes, size_t count)
{
  if (!count)
    return;
  Reserve(size_ + count);
  std::memmove(data() + offset + count, data() + offset, size_ - offset);
  std::memcpy(data() + offset, bytes, count);
  size_ += count;
}

bool operator==(const PixelBuffer& a, const PixelBuffer& b)
{
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

bool operator==(const PixelBuffer& a, const std::vector<uint8_t>& b)
{
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

} // namespace lvhost
