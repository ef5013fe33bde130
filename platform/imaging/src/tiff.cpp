// TIFF through libtiff. Every handle gets its own error and warning handlers,
// so a damaged file becomes a status and nothing reaches stderr. Reading
// takes the first page through libtiff's RGBA reader, which knows every
// photometric interpretation, compression and layout libtiff supports; grey
// files (black or white is zero) come back as 8-bit grey.
#include "codecs.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include <tiffio.h>

namespace imaging::detail {
namespace {

// The first error libtiff reported on a handle.
struct Messages {
  bool failed = false;
  char text[256] = {};
  int systemError = 0; // errno at that error
};

int OnError(TIFF*, void* user, const char* module, const char* format, va_list args)
{
  auto* m = static_cast<Messages*>(user);
  if (!m->failed) {
    m->systemError = errno;
    char detail[200];
    std::vsnprintf(detail, sizeof detail, format, args);
    std::snprintf(m->text, sizeof m->text, "%s: %s", module ? module : "libtiff", detail);
    m->failed = true;
  }
  return 1; // handled: libtiff's own handlers stay silent
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

// The file read or the freshly created output file; a memory stream too.
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

// Found by seeking, which also works on a memory stream and makes a
// writer's buffered bytes count.
toff_t FileSize(thandle_t h)
{
  FILE* f = static_cast<FILE*>(h);
  const off_t at = ftello(f);
  if (at < 0 || fseeko(f, 0, SEEK_END) != 0)
    return 0;
  const off_t size = ftello(f);
  fseeko(f, at, SEEK_SET);
  return size < 0 ? 0 : static_cast<toff_t>(size);
}

int NoClose(thandle_t) { return 0; }
int NoMap(thandle_t, void**, toff_t*) { return 0; }
void NoUnmap(thandle_t, void*, toff_t) {}

// `maxAllocation` (0: none) bounds every single allocation libtiff makes for
// the handle, whatever the file's tags claim.
TIFF* Open(const char* mode, FILE* file, Messages* messages, tmsize_t maxAllocation = 0)
{
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options)
    return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, nullptr);
  if (maxAllocation > 0)
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, maxAllocation);
  TIFF* tif =
      TIFFClientOpenExt("image", mode, file, FileRead, FileWrite, FileSeek, NoClose, FileSize, NoMap, NoUnmap, options);
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

int32_t WritePage(TIFF* tif, FILE* file, const Messages& messages, RowSource& bitmap, std::string* error)
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
  return ok ? kSuccess
            : Fail(error, kErrorWrite, WriteFailure(file, messages.systemError, Why(messages, "write error")));
}

} // namespace

int32_t ReadTiff(FILE* file, Bitmap* out, int32_t* sampleBits, std::string* error)
{
  // No single block libtiff allocates for the picture (a strip, a tile, a
  // decoded buffer) may exceed what the pixel limit allows at 8 bytes a
  // pixel, or 64 MiB for small limits: tags claiming more fail the read.
  const int64_t limit = MaxPixels();
  const int64_t budget = limit > 0 ? std::max<int64_t>(limit, int64_t{8} << 20) * 8 : 0;
  Messages messages;
  Handle tif(Open("r", file, &messages, static_cast<tmsize_t>(budget)), TIFFClose);
  if (!tif)
    return Fail(error, kErrorCorrupt, "damaged TIFF header (" + Why(messages, "cannot open") + ")");
  uint32_t width = 0, height = 0;
  uint16_t bits = 8, samples = 1;
  TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
  int32_t status = CheckPixels(width, height, error);
  if (status != kSuccess)
    return status;
  // The decoded samples of the whole picture, at most 8 bytes a pixel's
  // worth of the limit (four samples of 16 bits).
  const uint64_t pixelBytes = (uint64_t{samples} * bits + 7) / 8;
  const uint64_t pixels = uint64_t{width} * height;
  if (pixelBytes > 8 && pixels > 0 && pixelBytes > static_cast<uint64_t>(limit) * 8 / pixels)
    return Fail(error, kErrorTooLarge,
                "TIFF image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels of " +
                    std::to_string(samples) + " samples of " + std::to_string(bits) +
                    " bits needs more memory than the pixel limit allows");
  status = ReadPage(tif.get(), messages, out, error);
  if (status == kSuccess)
    *sampleBits = bits;
  return status;
}

int32_t WriteTiff(FILE* file, RowSource& bitmap, std::string* error)
{
  Messages messages;
  Handle tif(Open("w", file, &messages), TIFFClose);
  if (!tif)
    return Fail(error, kErrorWrite, Why(messages, "cannot start the TIFF writer"));
  return WritePage(tif.get(), file, messages, bitmap, error);
}

} // namespace imaging::detail
