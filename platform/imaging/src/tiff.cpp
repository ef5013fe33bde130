// TIFF through libtiff. Every handle gets its own error and warning handlers,
// so a damaged file becomes a status and nothing reaches stderr. Reading
// takes the first page through libtiff's RGBA reader, which knows every
// photometric interpretation, compression and layout libtiff supports; grey
// files (black or white is zero) come back as 8-bit grey.
#include "codecs.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>
#include <sys/stat.h>

#include <tiffio.h>

namespace imaging::detail {
namespace {

// The first error libtiff reported on a handle.
struct Messages {
  bool failed = false;
  char text[256] = {};
};

int OnError(TIFF*, void* user, const char* module, const char* format, va_list args)
{
  auto* m = static_cast<Messages*>(user);
  if (!m->failed) {
    char detail[200];
    std::vsnprintf(detail, sizeof detail, format, args);
    std::snprintf(m->text, sizeof m->text, "%s: %s", module ? module : "libtiff", detail);
    m->failed = true;
  }
  return 1; // handled: libtiff's own handlers stay silent
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// A read-only view of the caller's bytes.
struct MemoryStream {
  const uint8_t* data;
  uint64_t size;
  uint64_t pos = 0;
};

tmsize_t MemoryRead(thandle_t h, void* buffer, tmsize_t n)
{
  auto* s = static_cast<MemoryStream*>(h);
  if (n <= 0 || s->pos >= s->size)
    return 0;
  const uint64_t k = std::min<uint64_t>(static_cast<uint64_t>(n), s->size - s->pos);
  std::memcpy(buffer, s->data + s->pos, k);
  s->pos += k;
  return static_cast<tmsize_t>(k);
}

tmsize_t NoWrite(thandle_t, void*, tmsize_t) { return 0; }

toff_t MemorySeek(thandle_t h, toff_t offset, int whence)
{
  auto* s = static_cast<MemoryStream*>(h);
  const int64_t base = whence == SEEK_CUR ? static_cast<int64_t>(s->pos)
                       : whence == SEEK_END ? static_cast<int64_t>(s->size)
                                            : 0;
  const int64_t to = base + static_cast<int64_t>(offset);
  if (to < 0)
    return static_cast<toff_t>(-1);
  s->pos = static_cast<uint64_t>(to);
  return s->pos;
}

toff_t MemorySize(thandle_t h) { return static_cast<MemoryStream*>(h)->size; }

// The freshly created output file.
tmsize_t FileRead(thandle_t h, void* buffer, tmsize_t n)
{
  return static_cast<tmsize_t>(std::fread(buffer, 1, static_cast<size_t>(n), static_cast<FILE*>(h)));
}

tmsize_t FileWrite(thandle_t h, void* buffer, tmsize_t n)
{
  return static_cast<tmsize_t>(std::fwrite(buffer, 1, static_cast<size_t>(n), static_cast<FILE*>(h)));
}

toff_t FileSeek(thandle_t h, toff_t offset, int whence)
{
  FILE* f = static_cast<FILE*>(h);
  if (fseeko(f, static_cast<off_t>(offset), whence) != 0)
    return static_cast<toff_t>(-1);
  return static_cast<toff_t>(ftello(f));
}

toff_t FileSize(thandle_t h)
{
  FILE* f = static_cast<FILE*>(h);
  struct stat st;
  return std::fflush(f) == 0 && fstat(fileno(f), &st) == 0 ? static_cast<toff_t>(st.st_size) : 0;
}

int NoClose(thandle_t) { return 0; }
int NoMap(thandle_t, void**, toff_t*) { return 0; }
void NoUnmap(thandle_t, void*, toff_t) {}

TIFF* Open(const char* mode, thandle_t handle, bool memory, Messages* messages)
{
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options)
    return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, nullptr);
  TIFF* tif = memory ? TIFFClientOpenExt("image", mode, handle, MemoryRead, NoWrite, MemorySeek, NoClose,
                                         MemorySize, NoMap, NoUnmap, options)
                     : TIFFClientOpenExt("image", mode, handle, FileRead, FileWrite, FileSeek, NoClose,
                                         FileSize, NoMap, NoUnmap, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

// Closes a handle however the work on it ends.
using Handle = std::unique_ptr<TIFF, decltype(&TIFFClose)>;

struct RgbaReader {
  TIFFRGBAImage image;
  bool begun = false;
  ~RgbaReader()
  {
    if (begun)
      TIFFRGBAImageEnd(&image);
  }
};

std::string Why(const Messages& m, const char* fallback) { return m.failed ? std::string(m.text) : fallback; }

// Reads the first page of an open handle into `out` in bands of rows, so
// the RGBA buffer stays small whatever the image size.
int32_t ReadPage(TIFF* tif, const Messages& messages, Bitmap* out, std::string* error)
{
  char why[1024] = {};
  if (!TIFFRGBAImageOK(tif, why))
    return Fail(error, kErrorUnsupported, std::string("unsupported TIFF image (") + why + ")");
  RgbaReader reader;
  if (!TIFFRGBAImageBegin(&reader.image, tif, 1, why))
    return Fail(error, kErrorCorrupt, std::string("unreadable TIFF image (") + why + ")");
  reader.begun = true;
  TIFFRGBAImage& image = reader.image;
  // The photometric interpretation as the reader resolved it (a file may
  // leave it out).
  const bool grey = image.photometric == PHOTOMETRIC_MINISBLACK || image.photometric == PHOTOMETRIC_MINISWHITE;
  const uint32_t width = image.width, height = image.height;
  Bitmap bitmap;
  if (width == 0 || height == 0)
    return Fail(error, kErrorCorrupt, "invalid TIFF image size");
  if (width > INT32_MAX || height > INT32_MAX)
    return Fail(error, kErrorTooLarge, "TIFF image too large");
  const int32_t status =
      Create(&bitmap, static_cast<int32_t>(width), static_cast<int32_t>(height), grey ? 8 : 24, error);
  if (status != kSuccess)
    return status;
  image.req_orientation = ORIENTATION_TOPLEFT;
  const uint32_t band = std::clamp<uint32_t>((1u << 20) / width, 1, height);
  std::vector<uint32_t> raster(static_cast<size_t>(width) * band);
  bool ok = true;
  for (uint32_t top = 0; ok && top < height; top += band) {
    const uint32_t rows = std::min(band, height - top);
    image.row_offset = static_cast<int>(top);
    image.col_offset = 0;
    ok = TIFFRGBAImageGet(&image, raster.data(), width, rows) == 1 && !messages.failed;
    for (uint32_t i = 0; ok && i < rows; ++i) {
      const uint32_t* s = raster.data() + static_cast<size_t>(i) * width;
      uint8_t* d = bitmap.Row(static_cast<int32_t>(top + i));
      for (uint32_t x = 0; x < width; ++x) {
        if (grey) {
          d[x] = static_cast<uint8_t>(TIFFGetR(s[x]));
        } else {
          d[3 * x] = static_cast<uint8_t>(TIFFGetB(s[x]));
          d[3 * x + 1] = static_cast<uint8_t>(TIFFGetG(s[x]));
          d[3 * x + 2] = static_cast<uint8_t>(TIFFGetR(s[x]));
        }
      }
    }
  }
  if (!ok)
    return Fail(error, kErrorCorrupt, "corrupt or truncated TIFF data (" + Why(messages, "read error") + ")");
  *out = std::move(bitmap);
  return kSuccess;
}

int32_t WritePage(TIFF* tif, const Messages& messages, const Bitmap& bitmap, std::string* error)
{
  const bool grey = bitmap.bitsPerPixel == 8;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(bitmap.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(bitmap.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, grey ? 1 : 3);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  const size_t used = static_cast<size_t>(bitmap.width) * (grey ? 1 : 3);
  std::vector<uint8_t> row(used);
  bool ok = !messages.failed;
  for (int32_t y = 0; ok && y < bitmap.height; ++y) {
    std::memcpy(row.data(), bitmap.Row(y), used);
    if (!grey)
      for (size_t i = 0; i < used; i += 3)
        std::swap(row[i], row[i + 2]); // the file holds R,G,B
    ok = TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) == 1;
  }
  ok = ok && TIFFFlush(tif) == 1 && !messages.failed;
  return ok ? kSuccess : Fail(error, kErrorWrite, Why(messages, "write error"));
}

} // namespace

int32_t ReadTiff(const uint8_t* data, size_t size, Bitmap* out, int32_t* sampleBits, std::string* error)
{
  MemoryStream stream{data, size};
  Messages messages;
  Handle tif(Open("r", &stream, true, &messages), TIFFClose);
  if (!tif)
    return Fail(error, kErrorCorrupt, "damaged TIFF header (" + Why(messages, "cannot open") + ")");
  uint16_t bits = 8;
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
  const int32_t status = ReadPage(tif.get(), messages, out, error);
  if (status == kSuccess)
    *sampleBits = bits;
  return status;
}

int32_t WriteTiff(FILE* file, const Bitmap& bitmap, std::string* error)
{
  Messages messages;
  Handle tif(Open("w", file, false, &messages), TIFFClose);
  if (!tif)
    return Fail(error, kErrorWrite, Why(messages, "cannot start the TIFF writer"));
  return WritePage(tif.get(), messages, bitmap, error);
}

} // namespace imaging::detail
