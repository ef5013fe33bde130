// Binary PPM (P6) and PGM (P5), our own reader and writer. Samples are
// scaled from 0..maxval to 0..255 with rounding; a maxval above 255 means two
// bytes per sample, most significant first.
#include "codecs.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
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

// The rows read at a time: large enough that each read is one call to the
// system, small enough to stay in the cache while they are converted.
constexpr size_t kBatchBytes = size_t{256} << 10;

// Sample i of a file row of 8-bit or of 16-bit samples (most significant
// byte first).
struct Narrow {
  const uint8_t* bytes;
  uint32_t operator[](size_t i) const { return bytes[i]; }
};
struct Wide {
  const uint8_t* bytes;
  uint32_t operator[](size_t i) const { return uint32_t{bytes[2 * i]} << 8 | bytes[2 * i + 1]; }
};

// One file row of `width` pixels into a bitmap row: each sample through
// `scale` when kScaled (else taken as it is: 8-bit samples of maxval 255),
// R,G,B turned into B,G,R, grey widened to B,G,R when `toColour`. False at
// the first sample above maxval, the row then partly written.
template <bool kScaled, class Samples>
bool ConvertRow(Samples in, bool grey, bool toColour, size_t width, int64_t maxval, const uint8_t* scale, uint8_t* row)
{
  const auto above = [maxval](uint32_t v) { return kScaled && v > maxval; };
  const auto level = [scale](uint32_t v) { return kScaled ? scale[v] : static_cast<uint8_t>(v); };
  if (!grey) {
    for (size_t x = 0; x < width; ++x) {
      const uint32_t r = in[3 * x], g = in[3 * x + 1], b = in[3 * x + 2];
      if (above(r) || above(g) || above(b))
        return false;
      row[3 * x] = level(b);
      row[3 * x + 1] = level(g);
      row[3 * x + 2] = level(r);
    }
  } else {
    for (size_t x = 0; x < width; ++x) {
      if (above(in[x]))
        return false;
      if (toColour)
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = level(in[x]);
      else
        row[x] = level(in[x]);
    }
  }
  return true;
}

} // namespace

int32_t ReadPnm(FILE* file, uint64_t streamSize, int32_t wantBits, Bitmap* out, int32_t* sampleBits, std::string* error)
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

  // The samples are read in batches of whole rows, each batch in one read
  // into a buffer that stays in the cache, and converted from there
  // straight into the bitmap's rows: scaled from 0..maxval to 0..255 by
  // v * 255 / maxval + 1/2, rounded down (the identity for 8-bit samples of
  // maxval 255), R,G,B turned into B,G,R, grey widened to B,G,R when 24
  // bits are asked for.
  std::vector<uint8_t> scale(static_cast<size_t>(maxval) + 1);
  for (int64_t v = 0; v <= maxval; ++v)
    scale[static_cast<size_t>(v)] = static_cast<uint8_t>((v * 255 * 2 + maxval) / (2 * maxval));
  const size_t batchRows = std::clamp<size_t>(kBatchBytes / rowBytes, 1, static_cast<size_t>(height));
  const std::unique_ptr<uint8_t[]> batch(new uint8_t[batchRows * rowBytes]);
  for (int32_t y0 = 0; y0 < bitmap.height; y0 += static_cast<int32_t>(batchRows)) {
    const int32_t n = std::min(static_cast<int32_t>(batchRows), bitmap.height - y0);
    const size_t bytes = static_cast<size_t>(n) * rowBytes;
    if (std::fread(batch.get(), 1, bytes, file) != bytes)
      return Fail(error, kErrorCorrupt, "truncated PPM/PGM data");
    for (int32_t i = 0; i < n; ++i) {
      const uint8_t* from = batch.get() + static_cast<size_t>(i) * rowBytes;
      uint8_t* row = bitmap.Row(y0 + i);
      const size_t w = static_cast<size_t>(bitmap.width);
      const bool fits = wide           ? ConvertRow<true>(Wide{from}, grey, bits == 24, w, maxval, scale.data(), row)
                        : maxval < 255 ? ConvertRow<true>(Narrow{from}, grey, bits == 24, w, maxval, scale.data(), row)
                                       : ConvertRow<false>(Narrow{from}, grey, bits == 24, w, maxval, nullptr, row);
      if (!fits)
        return Fail(error, kErrorCorrupt, "PPM/PGM sample above maxval");
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
    size_t written = 0;
    if (grey) {
      written = std::fwrite(bitmap.Row(y), 1, fileRow, file);
    } else if (const uint8_t* rgb = bitmap.RgbRow(y)) {
      written = std::fwrite(rgb, 1, fileRow, file);
    } else {
      const uint8_t* s = bitmap.Row(y);
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
