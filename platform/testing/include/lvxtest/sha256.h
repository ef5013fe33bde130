#pragma once
// SHA-256 (FIPS 180-4) for the golden tests, which pin the bytes of results
// by their hashes. Small and plain rather than fast: it hashes a few tens of
// megabytes per test run.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lvxtest {

class Sha256 {
public:
  Sha256();
  // Feeds `size` bytes at `data` (null only with size 0). After Digest the
  // object must not be fed again without a Reset.
  void Update(const void* data, size_t size);
  void Update(std::string_view text) { Update(text.data(), text.size()); }
  // The digest of everything fed since construction or the last Reset.
  std::array<uint8_t, 32> Digest();
  // The digest as 64 lowercase hexadecimal digits.
  std::string HexDigest();
  void Reset();

  // The hex digest of one block of bytes.
  static std::string Hex(const void* data, size_t size);

private:
  void Compress(const uint8_t* block);

  uint32_t state_[8];
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t length_ = 0; // bytes fed
};

} // namespace lvxtest
