// Binary PPM (P6) and PGM (P5), our own reader and writer. Samples are
// scaled from 0..maxval to 0..255 with rounding; a maxval above 255 means two
// bytes per sample, most significant first.
#include "codecs.h"

#include <cerrno>
#include <algorithm>
#include <cctype>
#include <memory>
#include <utility>
#include <vector>

namespace imaging::detail {
namespace {

// Skips whitespace and '#' comments, then reads a decimal number. Returns -1
// when there is none, or when it exceeds limit.
int64_t ReadHeaderNumber(FILE* file, int64_t limit)
{
  int c = std::fgetc(file);
  for (;;) {
    if (c == '#') {
      while (c != '\n' && c != '\r' && c != EOF)
        c = std::fgetc(file);
    } else if (c != EOF && std::isspace(c)) {
      c = std::fgetc(file);
    } else {
      break;
    }
  }
  if (c == EOF || !std::isdigit(c))
    return -1;
  int64_t value = 0;
  while (c != EOF && std::isdigit(c)) {
    value = value * 10 + (c - '0');
    if (value > limit)
      return -1;
    c = std::fgetc(file);
  }
  // Exactly one whitespace byte ends the number (after maxval it is the last
  // header byte before the samples).
  if (c != EOF && !std::isspace(c))
    return -1;
  return value;
}

} // namespace

int32_t ReadPnm(FILE* file, uint64_t streamSize, int32_t wantBits, Bitmap* out, int32_t* sampleBits,
                std::string* error)
{
  char magic[2];
  if (std::fread(magic, 1, 2, file) != 2 || magic[0] != 'P')
    return Fail(error, kErrorFormat, "not a PPM or PGM file");
  if (magic[1] != '5' && magic[1] != '6')
    return Fail(error, kErrorUnsupported, "only binary PPM (P6) and PGM (P5) files are read");
  const bool grey = magic[1] == '5';
  const int64_t width = ReadHeaderNumber(file, INT32_MAX);
  const int64_t height = width > 0 ? ReadHeaderNumber(file, INT32_MAX) : -1;
  const int64_t maxval = height > 0 ? ReadHeaderNumber(file, 65535) : -1;
  if (width <= 0 || height <= 0 || maxval <= 0)
    return Fail(error, kErrorCorrupt, "damaged PPM/PGM header");

  // The header's claims are checked before anything sized by them exists:
  // the exact byte count against what the stream holds, then the pixel limit.
  const bool wide = maxval > 255;
  const size_t samples = static_cast<size_t>(width) * (grey ? 1 : 3);
  const size_t rowBytes = wide ? 2 * samples : samples;
  const off_t headerEnd = ftello(file);
  const uint64_t held = headerEnd >= 0 && static_cast<uint64_t>(headerEnd) <= streamSize
                            ? streamSize - static_cast<uint64_t>(headerEnd)
                            : 0;
  // Divided, not multiplied: rows times their length may exceed 64 bits.
  if (held / rowBytes < static_cast<uint64_t>(height))
    return Fail(error, kErrorCorrupt,
                "truncated PPM/PGM data (the header asks for " + std::to_string(height) + " rows of " +
                    std::to_string(rowBytes) + " bytes, the file holds " + std::to_string(held) + " bytes)");
  int32_t status = CheckPixels(width, height, error);
  if (status != kSuccess)
    return status;

  const int32_t bits = (grey && wantBits == 0) ? 8 : 24;
  Bitmap bitmap;
  status = Create(&bitmap, static_cast<int32_t>(width), static_cast<int32_t>(height), bits, error);
  if (status != kSuccess)
    return status;

  // Each row is read and scaled into the bitmap (8-bit rows straight into
  // it), then converted in place: B,G,R from R,G,B by swapping, grey to
  // B,G,R by widening from the right end. Scaling is v * 255 / maxval + 1/2,
  // rounded down. The 16-bit row is overwritten by every read, so it is
  // left uninitialised.
  std::vector<uint8_t> scale(static_cast<size_t>(maxval) + 1);
  for (int64_t v = 0; v <= maxval; ++v)
    scale[static_cast<size_t>(v)] = static_cast<uint8_t>((v * 255 * 2 + maxval) / (2 * maxval));
  const std::unique_ptr<uint8_t[]> wideRow(wide ? new uint8_t[rowBytes] : nullptr);
  for (int32_t y = 0; y < bitmap.height; ++y) {
    uint8_t* row = bitmap.Row(y);
    uint8_t* read = wide ? wideRow.get() : row;
    if (std::fread(read, 1, rowBytes, file) != rowBytes)
      return Fail(error, kErrorCorrupt, "truncated PPM/PGM data");
    for (size_t i = 0; i < samples; ++i) {
      const int64_t v = wide ? (int64_t{read[2 * i]} << 8 | read[2 * i + 1]) : read[i];
      if (v > maxval)
        return Fail(error, kErrorCorrupt, "PPM/PGM sample above maxval");
      row[i] = scale[static_cast<size_t>(v)];
    }
    if (!grey) {
      for (size_t i = 0; i < samples; i += 3)
        std::swap(row[i], row[i + 2]);
    } else if (bits == 24) {
      for (int32_t x = bitmap.width - 1; x >= 0; --x)
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = row[x];
    }
  }
  *out = std::move(bitmap);
  *sampleBits = wide ? 16 : 8;
  return kSuccess;
}

int32_t WritePnm(FILE* file, RowSource& bitmap, std::string* error)
{
  const bool grey = bitmap.bitsPerPixel == 8;
  if (std::fprintf(file, "%s\n%d %d\n255\n", grey ? "P5" : "P6", bitmap.width, bitmap.height) < 0)
    return Fail(error, kErrorWrite, WriteFailure(file, errno, "write error"));
  const size_t fileRow = static_cast<size_t>(bitmap.width) * (grey ? 1 : 3);
  unsigned char chunk[3 * 4096]; // R,G,B of up to 4096 pixels
  for (int32_t y = 0; y < bitmap.height; ++y) {
    const uint8_t* s = bitmap.Row(y);
    size_t written = 0;
    if (grey) {
      written = std::fwrite(s, 1, fileRow, file);
    } else {
      for (size_t at = 0; at < fileRow; at += sizeof chunk) {
        const size_t n = std::min(sizeof chunk, fileRow - at);
        for (size_t i = 0; i < n; i += 3) {
          chunk[i] = s[at + i + 2];
          chunk[i + 1] = s[at + i + 1];
          chunk[i + 2] = s[at + i];
        }
        written += std::fwrite(chunk, 1, n, file);
      }
    }
    if (written != fileRow)
      return Fail(error, kErrorWrite, WriteFailure(file, errno, "write error"));
  }
  return kSuccess;
}

} // namespace imaging::detail
