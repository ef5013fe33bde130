#pragma once
// A deterministic photograph-like test picture for the engine's benchmarks:
// smooth low-frequency colour fields, large shapes with hard and with
// Gaussian-blurred edges, fine high-contrast detail (thin lines, stripes,
// glyph-like marks), skin-coloured patches and mild noise. The same size and
// seed always give the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lvxbench {

struct Photo {
  int32_t rows = 0, columns = 0;
  ptrdiff_t rowBytes = 0;     // rows padded to 4 bytes
  std::vector<uint8_t> bytes; // B, G, R pixels
  uint8_t* Pixel(int32_t y, int32_t x) { return bytes.data() + y * rowBytes + 3 * ptrdiff_t(x); }
};

constexpr uint64_t kPhotoSeed = 0x5EED1234ABCDull;

Photo MakePhoto(int32_t rows, int32_t columns, uint64_t seed = kPhotoSeed);
// Binary PPM (P6); false when the file cannot be written.
bool WritePpm(const Photo& photo, const std::string& path);
// Reads a binary PPM (P6, 8-bit samples) into B, G, R rows; false when the
// file cannot be read or is not such a picture.
bool ReadPpm(const std::string& path, Photo& photo);

} // namespace lvxbench
