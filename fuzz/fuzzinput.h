#pragma once
// Helpers the harnesses share: a private scratch folder for readers that
// take a path, and a reader of fuzzed bytes as typed values.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace lvxfuzz {

// The pixel limit of the harnesses that load pictures: low enough that every
// allocation a picture within it needs stays far below the run's
// -malloc_limit_mb, so that only an allocation sized by a header before the
// limit was checked can reach that.
constexpr int64_t kFuzzMaxPixels = 4000000;

// A folder of this process's own, on a memory file system when there is one.
inline const std::string& ScratchFolder()
{
  static const std::string folder = [] {
    std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/lvxfuzz-XXXXXX");
    if (!mkdtemp(pattern.data()))
      std::abort();
    return pattern;
  }();
  return folder;
}

// Replaces the file at `path` by exactly `size` bytes.
inline void WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file || (size && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0)
    std::abort();
}

// Takes typed values from the front of the input; past its end every value
// is zero.
class Bytes {
public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  template <class T>
  T Take()
  {
    T value{};
    const size_t n = size_ < sizeof value ? size_ : sizeof value;
    std::memcpy(&value, data_, n);
    data_ += n;
    size_ -= n;
    return value;
  }
  // A value in lo..hi.
  int32_t Range(int32_t lo, int32_t hi)
  {
    const uint32_t span = static_cast<uint32_t>(hi - lo) + 1;
    return lo + static_cast<int32_t>(Take<uint32_t>() % span);
  }
  const uint8_t* Rest() const { return data_; }
  size_t Left() const { return size_; }

private:
  const uint8_t* data_;
  size_t size_;
};

} // namespace lvxfuzz
