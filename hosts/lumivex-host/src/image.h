#pragma once
// The host's images: interleaved 8-bit planes in host order, alpha last
// (grey: G; RGB: R, G, B; CMYK: C, M, Y, K with 0 meaning no ink), rows
// packed without padding. PAM files are read and written here for every
// mode; PNG, JPEG, TIFF, BMP and binary PGM/PPM go through the imaging
// library (grey and RGB only).
#include "lvxtext/error.h"
#include "pixelbuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {
class ReplacementFile;
}

namespace lvhost {

// The largest side: request coordinates are 16-bit.
constexpr int32_t kMaxSide = 32767;

struct HostImage {
  int32_t width = 0;
  int32_t height = 0;
  int16_t mode = 0; // plugInModeGrayScale, plugInModeRGBColor or plugInModeCMYKColor
  bool alpha = false;
  PixelBuffer pixels;
  // Bits per sample of the file it was read from; above 8 the samples were
  // reduced to 8 bits on reading.
  int32_t fileBitsPerSample = 8;

  int16_t ColorPlanes() const;
  int16_t Planes() const { return static_cast<int16_t>(ColorPlanes() + (alpha ? 1 : 0)); }
  size_t RowBytes() const { return static_cast<size_t>(width) * static_cast<size_t>(Planes()); }
  uint8_t* At(int32_t x, int32_t y) { return pixels.data() + y * RowBytes() + static_cast<size_t>(x) * Planes(); }
  const uint8_t* At(int32_t x, int32_t y) const
  {
    return pixels.data() + y * RowBytes() + static_cast<size_t>(x) * Planes();
  }
};

// Reads any image file this host knows; the type comes from the content.
// False with a reason for anything malformed, truncated or too large; the
// reason names the path once.
bool ReadImage(const std::string& path, HostImage* image, lvxtext::Error* error);
// Whether the output is not a folder and its extension names a format that
// can carry the image's mode (CMYK and alpha only in PAM). Checked before
// the plug-in runs.
bool CanWrite(const std::string& path, const HostImage& image, lvxtext::Error* error);
// Writes the image in the format of the path's extension, through a
// temporary file renamed into place; JPEG at `jpegQuality` (1..100).
constexpr int kDefaultJpegQuality = 92;
bool WriteImage(const std::string& path, const HostImage& image, lvxtext::Error* error,
                int jpegQuality = kDefaultJpegQuality);
// The same into `file`, opened for `path` by the caller: the content is
// written and finished but not renamed into place, so that the caller can
// commit it together with another file. False with the reason (the file
// then holds nothing whole; file->Interrupted() tells an interrupt).
bool WriteImageTo(standin::ReplacementFile* file, const std::string& path, const HostImage& image,
                  lvxtext::Error* error, int jpegQuality = kDefaultJpegQuality);

// PAM from and to memory (MAXVAL 255, TUPLTYPE GRAYSCALE, RGB or CMYK, each
// optionally _ALPHA, DEPTH matching, exactly the data the header asks for).
bool ParsePam(const std::string& bytes, HostImage* image, lvxtext::Error* error);
std::string FormatPam(const HostImage& image);

} // namespace lvhost
