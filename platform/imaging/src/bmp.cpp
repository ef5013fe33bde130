// BMP, our own reader and writer. The reader takes the uncompressed forms
// (1, 4, 8, 16, 24 and 32 bits, colour masks for 16 and 32 bits, both row
// orders, the 12-byte core header and the 40-byte header and its longer
// successors) and checks every offset and length against the data it was
// given before touching it. RLE-compressed files are refused.
#include "codecs.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace imaging::detail {
namespace {

constexpr size_t kFileHeader = 14;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

uint32_t U16(const uint8_t* p) { return p[0] | p[1] << 8; }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }

void Put16(uint8_t* p, uint32_t v)
{
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

// One colour channel of a 16- or 32-bit pixel: (pixel & mask) >> shift,
// scaled from 0..max to 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  bool Set(uint32_t m)
  {
    if (m == 0)
      return false;
    mask = m;
    shift = std::countr_zero(m);
    max = m >> shift;
    return (max & (max + 1)) == 0; // contiguous bits
  }
  uint8_t Of(uint32_t pixel) const
  {
    return static_cast<uint8_t>((uint64_t{(pixel & mask) >> shift} * 255 + max / 2) / max);
  }
};

struct Layout {
  int64_t width = 0, height = 0;
  bool topDown = false;
  uint32_t bits = 0;
  Channel blue, green, red;   // 16 and 32 bits
  uint8_t table[256][3] = {}; // B,G,R; indices past the table read black
  bool grey = false;          // a colour table of grey entries only
  size_t pixels = 0;          // offset of the first stored row
  int64_t rowBytes = 0;       // stored row length, padded to 4
};

int32_t ParseHeader(const uint8_t* data, size_t size, Layout* l, std::string* error)
{
  if (size < kFileHeader + 4)
    return Fail(error, kErrorCorrupt, "truncated BMP header");
  const uint32_t headerSize = U32(data + kFileHeader);
  const bool core = headerSize == 12;
  if (!core && headerSize < 40)
    return Fail(error, kErrorUnsupported, "unsupported BMP header of " + std::to_string(headerSize) + " bytes");
  if (headerSize > size - kFileHeader)
    return Fail(error, kErrorCorrupt, "truncated BMP header");
  const uint8_t* h = data + kFileHeader;
  uint32_t compression = kRgb, coloursUsed = 0;
  if (core) {
    l->width = U16(h + 4);
    l->height = U16(h + 6);
    l->bits = U16(h + 10);
  } else {
    l->width = static_cast<int32_t>(U32(h + 4));
    l->height = static_cast<int32_t>(U32(h + 8));
    l->bits = U16(h + 14);
    compression = U32(h + 16);
    coloursUsed = U32(h + 32);
  }
  l->topDown = l->height < 0;
  if (l->topDown)
    l->height = -l->height;
  if (l->width <= 0 || l->height <= 0 || l->height > INT32_MAX)
    return Fail(error, kErrorCorrupt, "invalid BMP image size");
  if (compression == kRle8 || compression == kRle4)
    return Fail(error, kErrorUnsupported, "RLE-compressed BMP files are not supported");
  const uint32_t b = l->bits;
  const bool known = compression == kRgb ? (b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32)
                                         : compression == kBitfields && (b == 16 || b == 32);
  if (!known)
    return Fail(error, kErrorUnsupported,
                "unsupported BMP variant (" + std::to_string(b) + " bits, compression " + std::to_string(compression) +
                    ")");

  size_t at = kFileHeader + headerSize; // what follows the header
  if (b == 16 || b == 32) {
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F}; // 16 bits without masks: 5-5-5
    if (b == 32) {
      masks[0] = 0xFF0000;
      masks[1] = 0xFF00;
      masks[2] = 0xFF;
    }
    if (compression == kBitfields) {
      // The masks close the longer headers; after a 40-byte one they follow it.
      const uint8_t* m = h + 40;
      if (headerSize < 52) {
        if (size - at < 12)
          return Fail(error, kErrorCorrupt, "truncated BMP colour masks");
        m = data + at;
        at += 12;
      }
      for (int i = 0; i < 3; ++i)
        masks[i] = U32(m + 4 * i);
    }
    const bool fits = b == 32 || ((masks[0] | masks[1] | masks[2]) >> 16) == 0;
    if (!fits || !l->red.Set(masks[0]) || !l->green.Set(masks[1]) || !l->blue.Set(masks[2]))
      return Fail(error, kErrorCorrupt, "invalid BMP colour masks");
  } else if (b <= 8) {
    const uint32_t colours = coloursUsed ? coloursUsed : 1u << b;
    const size_t entry = core ? 3 : 4;
    if (colours > 256)
      return Fail(error, kErrorCorrupt, "BMP colour table of " + std::to_string(colours) + " entries");
    if (colours * entry > size - at)
      return Fail(error, kErrorCorrupt, "truncated BMP colour table");
    l->grey = true;
    for (uint32_t i = 0; i < colours; ++i) {
      std::memcpy(l->table[i], data + at + i * entry, 3);
      l->grey = l->grey && l->table[i][0] == l->table[i][1] && l->table[i][1] == l->table[i][2];
    }
    at += colours * entry;
  }

  // Every row must be there in full except the last one's padding. A file
  // that holds its rows is then held to the pixel limit; both come before
  // the bitmap is allocated.
  const uint32_t offset = U32(data + 10);
  l->rowBytes = (l->width * b + 31) / 32 * 4;
  const uint64_t used = static_cast<uint64_t>((l->width * b + 7) / 8);
  const uint64_t rows = static_cast<uint64_t>(l->height);
  if (offset < at)
    return Fail(error, kErrorCorrupt, "BMP pixel data inside the header");
  if (offset > size || used > size - offset ||
      (rows > 1 && static_cast<uint64_t>(l->rowBytes) > (size - offset - used) / (rows - 1)))
    return Fail(error, kErrorCorrupt, "truncated BMP pixel data");
  l->pixels = offset;
  return CheckPixels(l->width, l->height, error);
}

void DecodeRow(const Layout& l, const uint8_t* s, uint8_t* d, int32_t outBits)
{
  const int32_t w = static_cast<int32_t>(l.width);
  switch (l.bits) {
  case 24: std::memcpy(d, s, static_cast<size_t>(w) * 3); return;
  case 16:
  case 32:
    for (int32_t x = 0; x < w; ++x, d += 3) {
      const uint32_t v = l.bits == 16 ? U16(s + 2 * x) : U32(s + 4 * x);
      d[0] = l.blue.Of(v);
      d[1] = l.green.Of(v);
      d[2] = l.red.Of(v);
    }
    return;
  default: // 1, 4 or 8 bits: indices packed from the high bits of each byte
    for (int32_t x = 0; x < w; ++x) {
      const int64_t bit = int64_t{x} * l.bits;
      const unsigned index = (s[bit / 8] >> (8 - l.bits - bit % 8)) & ((1u << l.bits) - 1);
      if (outBits == 8)
        d[x] = l.table[index][0];
      else
        std::memcpy(d + 3 * x, l.table[index], 3);
    }
    return;
  }
}

} // namespace

int32_t CheckBmpClaims(const uint8_t* head, size_t n, uint64_t fileSize, std::string* error)
{
  if (n < kFileHeader + 16)
    return kSuccess; // too short to say; the full read refuses it
  const uint32_t headerSize = U32(head + kFileHeader);
  const uint8_t* h = head + kFileHeader;
  int64_t width = 0, height = 0;
  uint32_t bits = 0;
  if (headerSize == 12) {
    width = U16(h + 4);
    height = U16(h + 6);
    bits = U16(h + 10);
  } else if (headerSize >= 40) {
    width = static_cast<int32_t>(U32(h + 4));
    height = static_cast<int32_t>(U32(h + 8));
    bits = U16(h + 14);
  }
  height = height < 0 ? -height : height;
  if (width <= 0 || height <= 0 || bits == 0 || bits > 32)
    return kSuccess; // the full read says what is wrong
  // The rows alone, at the header's bits and without the last padding.
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t used = (static_cast<uint64_t>(width) * bits + 7) / 8;
  if (used > fileSize || static_cast<uint64_t>(height - 1) > (fileSize - used) / rowBytes)
    return Fail(error, kErrorCorrupt, "truncated BMP pixel data");
  return CheckPixels(width, height, error);
}

int32_t ReadBmp(const uint8_t* data, size_t size, Bitmap* out, std::string* error)
{
  Layout l;
  int32_t status = ParseHeader(data, size, &l, error);
  if (status != kSuccess)
    return status;
  const int32_t bits = l.bits <= 8 && l.grey ? 8 : 24;
  Bitmap bitmap;
  status = Create(&bitmap, static_cast<int32_t>(l.width), static_cast<int32_t>(l.height), bits, error);
  if (status != kSuccess)
    return status;
  for (int32_t r = 0; r < bitmap.height; ++r)
    DecodeRow(l, data + l.pixels + static_cast<size_t>(r) * static_cast<size_t>(l.rowBytes),
              bitmap.Row(l.topDown ? r : bitmap.height - 1 - r), bits);
  *out = std::move(bitmap);
  return kSuccess;
}

int32_t WriteBmp(FILE* file, RowSource& bitmap, std::string* error)
{
  const bool grey = bitmap.bitsPerPixel == 8;
  const uint32_t headers = kFileHeader + 40 + (grey ? 256 * 4 : 0);
  const uint32_t image = static_cast<uint32_t>(bitmap.bytesPerLine) * static_cast<uint32_t>(bitmap.height);
  std::vector<uint8_t> head(headers, 0);
  head[0] = 'B';
  head[1] = 'M';
  Put32(&head[2], headers + image);
  Put32(&head[10], headers);
  uint8_t* info = &head[kFileHeader];
  Put32(info, 40);
  Put32(info + 4, static_cast<uint32_t>(bitmap.width));
  Put32(info + 8, static_cast<uint32_t>(bitmap.height)); // positive: bottom row first
  Put16(info + 12, 1);
  Put16(info + 14, static_cast<uint32_t>(bitmap.bitsPerPixel));
  Put32(info + 20, image);
  Put32(info + 24, 2835); // 72 dots per inch
  Put32(info + 28, 2835);
  if (grey) {
    Put32(info + 32, 256);
    for (uint32_t i = 0; i < 256; ++i)
      std::memset(info + 40 + 4 * i, static_cast<int>(i), 3);
  }
  bool ok = std::fwrite(head.data(), 1, head.size(), file) == head.size();
  // Padding is written as zeros whatever the buffer holds there.
  std::vector<uint8_t> row(static_cast<size_t>(bitmap.bytesPerLine), 0);
  const size_t used = static_cast<size_t>(bitmap.width) * (bitmap.bitsPerPixel / 8);
  for (int32_t y = bitmap.height - 1; ok && y >= 0; --y) {
    std::memcpy(row.data(), bitmap.Row(y), used);
    ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  return ok ? kSuccess : Fail(error, kErrorWrite, WriteFailure(file, errno, "write error"));
}

} // namespace imaging::detail
