#pragma once
// The bytes of a host image: a growable byte buffer that behaves as a
// std::vector<uint8_t> does for what the host and its tests do with it, and
// that can also take over a buffer made by std::malloc (a decoded picture's)
// without copying it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <vector>

namespace lvhost {

class PixelBuffer {
public:
  PixelBuffer() = default;
  PixelBuffer(const PixelBuffer& other);
  PixelBuffer& operator=(const PixelBuffer& other);
  PixelBuffer(PixelBuffer&& other) noexcept;
  PixelBuffer& operator=(PixelBuffer&& other) noexcept;
  ~PixelBuffer() = default;

  // Takes over `data`, a block of at least `size` bytes from std::malloc
  // (or calloc, realloc, posix_memalign), which the buffer releases with
  // std::free. Its first `size` bytes are the content.
  static PixelBuffer Adopt(uint8_t* data, size_t size);

  uint8_t* data() { return data_.get(); }
  const uint8_t* data() const { return data_.get(); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  uint8_t* begin() { return data(); }
  uint8_t* end() { return data() + size_; }
  const uint8_t* begin() const { return data(); }
  const uint8_t* end() const { return data() + size_; }
  uint8_t& operator[](size_t i) { return data_.get()[i]; }
  const uint8_t& operator[](size_t i) const { return data_.get()[i]; }

  // Growing and filling as std::vector does: new bytes are zero after
  // resize; std::bad_alloc when the memory cannot be had (the content is
  // then unchanged).
  void resize(size_t size);
  void assign(size_t size, uint8_t value);
  void assign(const uint8_t* first, const uint8_t* last);
  // clang-format 14 does not lay out a requires clause well.
  // clang-format off
  template <class Iterator>
    requires(!std::is_integral_v<Iterator> && !std::is_pointer_v<Iterator>)
  void assign(Iterator first, Iterator last)
  // clang-format on
  {
    const std::vector<uint8_t> bytes(first, last);
    assign(bytes.data(), bytes.data() + bytes.size());
  }
  // Inserts [first, last) before `at`, a position in this buffer.
  template <class Iterator>
  void insert(const uint8_t* at, Iterator first, Iterator last)
  {
    const std::vector<uint8_t> bytes(first, last);
    Insert(static_cast<size_t>(at - begin()), bytes.data(), bytes.size());
  }

  friend bool operator==(const PixelBuffer& a, const PixelBuffer& b);
  friend bool operator==(const PixelBuffer& a, const std::vector<uint8_t>& b);

private:
  struct Release {
    void operator()(uint8_t* data) const { std::free(data); }
  };
  // Room for at least `size` bytes, keeping the content.
  void Reserve(size_t size);
  void Insert(size_t offset, const uint8_t* bytes, size_t count);

  std::unique_ptr<uint8_t, Release> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

} // namespace lvhost
