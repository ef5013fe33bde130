#pragma once
// LvxImaging: bitmaps and image files for the programs of this system.
//
// A bitmap is 8-bit grey or 24-bit colour stored B,G,R, rows top-down, each
// row padded with zero bytes to a multiple of 4. Files are read and written
// through well-made codec libraries (PNG, JPEG) or our own code (binary
// PPM/PGM). Every operation reports failure as a negative status and a
// message; nothing throws, prints or exits, whatever the file holds.
//
// Not thread-safe: everything in this system runs on one thread.
#include <cstddef>
#include <cstdint>
#include <string>

#define LVX_IMAGING_API __attribute__((visibility("default")))

namespace imaging {

// Results: 1 is success, negative values are failures.
enum Status : int32_t {
  kSuccess = 1,
  kErrorOpen = -1,        // the file cannot be opened, read or created
  kErrorFormat = -2,      // the content is not a type we read
  kErrorCorrupt = -3,     // truncated or damaged data
  kErrorUnsupported = -4, // a variant we refuse (CMYK JPEG, 16-bit PPM, ...)
  kErrorTooLarge = -5,    // the pixels would need 2^31 bytes or more
  kErrorNoMemory = -6,
  kErrorBadArgument = -7,
  kErrorWrite = -8,       // the file could not be written in full
};

enum class FileFormat : int32_t {
  kPng,
  kJpeg,
  kPnm, // binary PPM (24-bit bitmaps) or PGM (8-bit bitmaps)
};

// The bitmap record. It owns its pixel buffer: moving hands the buffer over,
// destruction or Free releases it.
struct LVX_IMAGING_API Bitmap {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0; // 8 (grey) or 24 (B,G,R); 0 when empty
  int32_t bytesPerLine = 0; // width * bitsPerPixel / 8 rounded up to 4
  uint8_t* data = nullptr;  // height rows of bytesPerLine bytes, top row first

  Bitmap() = default;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(Bitmap&& other) noexcept;
  ~Bitmap();

  uint8_t* Row(int32_t y) { return data + static_cast<ptrdiff_t>(y) * bytesPerLine; }
  const uint8_t* Row(int32_t y) const { return data + static_cast<ptrdiff_t>(y) * bytesPerLine; }
};

// Replaces the record's contents by a zero-filled width x height bitmap of
// 8 or 24 bits. Sizes must be positive and the buffer below 2^31 bytes. On
// failure the record is unchanged.
LVX_IMAGING_API int32_t Create(Bitmap* bitmap, int32_t width, int32_t height, int32_t bitsPerPixel,
                               std::string* error = nullptr);

// Releases the buffer and clears every field.
LVX_IMAGING_API void Free(Bitmap* bitmap);

// Reads a PNG, JPEG or binary PPM/PGM file; the type comes from the first
// bytes, never from the name. wantBits 0 keeps grey files grey (8 bits) and
// everything else 24 bits; 24 turns grey into B = G = R. PNG palettes are
// expanded, 16-bit samples reduced to 8 bits and alpha dropped; CMYK JPEG
// files are refused. On failure the record is unchanged and `error` (when
// given) says why.
LVX_IMAGING_API int32_t LoadFile(const char* path, Bitmap* bitmap, int32_t wantBits,
                                 std::string* error = nullptr);

// Writes the bitmap in the given format; quality (1..100) is read by JPEG
// only. The file is written under a temporary name and renamed into place, so
// a failed save leaves any earlier file at `path` as it was.
LVX_IMAGING_API int32_t SaveFile(const char* path, const Bitmap* bitmap, FileFormat format,
                                 int32_t quality, std::string* error = nullptr);

} // namespace imaging
