// LoadFile, LoadMemory and SaveFile: type sniffing, depth conversion, safe
// replacement of the destination file (through standin::ReplacementFile).
#include "codecs.h"

#include "win32/paths.h"
#include "win32/replacementfile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace imaging {
namespace {

using detail::Fail;

enum class Kind { kUnknown, kPng, kJpeg, kPnm, kBmp, kTiff };

constexpr size_t kSniffBytes = 8;
constexpr size_t kBmpClaimBytes = 30; // the file header and the size fields of the info header

Kind Sniff(const unsigned char* head, size_t n)
{
  static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (n >= 8 && std::memcmp(head, kPngSignature, 8) == 0)
    return Kind::kPng;
  if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
    return Kind::kJpeg;
  // Every netpbm flavour starts with 'P' and a digit; the reader refuses the
  // ones we do not read with a precise message.
  if (n >= 2 && head[0] == 'P' && head[1] >= '1' && head[1] <= '7')
    return Kind::kPnm;
  if (n >= 2 && head[0] == 'B' && head[1] == 'M')
    return Kind::kBmp;
  // Little- or big-endian, classic (42) or big (43) TIFF.
  if (n >= 4 && ((head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
                 (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43))))
    return Kind::kTiff;
  return Kind::kUnknown;
}

std::string Quoted(const char* path) { return std::string("'") + path + "'"; }

std::string ErrnoText(int err) { return std::strerror(err); }

// Converts a decoded picture to the depth asked for and hands it over.
int32_t Deliver(Bitmap& loaded, int32_t sampleBits, int32_t wantBits, Bitmap* bitmap, LoadInfo* info,
                std::string* error)
{
  if (wantBits != 0 && wantBits != loaded.bitsPerPixel) {
    const int32_t status = detail::Convert(loaded, wantBits, true, &loaded, error);
    if (status != kSuccess)
      return status;
  }
  *bitmap = std::move(loaded);
  if (info)
    info->fileBitsPerSample = sampleBits;
  return kSuccess;
}

// Decodes a picture of a stream kind (PNG, JPEG, PPM/PGM, TIFF) from
// `stream`, positioned at the file's first byte; the whole stream is `size`
// bytes.
int32_t DecodeStream(Kind kind, FILE* stream, uint64_t size, int32_t wantBits, Bitmap* bitmap, LoadInfo* info,
                     std::string* error)
{
  Bitmap loaded;
  int32_t sampleBits = 8;
  int32_t status = kSuccess;
  const int32_t streamBits = wantBits == 24 ? 24 : 0;
  switch (kind) {
  case Kind::kPng: status = detail::ReadPng(stream, streamBits, &loaded, &sampleBits, error); break;
  case Kind::kJpeg: status = detail::ReadJpeg(stream, streamBits, &loaded, error); break;
  case Kind::kPnm: status = detail::ReadPnm(stream, size, streamBits, &loaded, &sampleBits, error); break;
  default: status = detail::ReadTiff(stream, &loaded, &sampleBits, error); break;
  }
  return status == kSuccess ? Deliver(loaded, sampleBits, wantBits, bitmap, info, error) : status;
}

// Decodes a whole image file held in memory at the depth asked for.
int32_t Decode(const uint8_t* data, size_t size, int32_t wantBits, Bitmap* bitmap, LoadInfo* info, std::string* error)
{
  const Kind kind = Sniff(data, size);
  if (kind == Kind::kUnknown)
    return Fail(error, kErrorFormat, size == 0 ? "the file is empty" : "not a PNG, JPEG, BMP, TIFF, PPM or PGM file");
  if (kind == Kind::kBmp) {
    Bitmap loaded;
    const int32_t status = detail::ReadBmp(data, size, &loaded, error);
    return status == kSuccess ? Deliver(loaded, 8, wantBits, bitmap, info, error) : status;
  }
  // The stream readers read the bytes through a read-only memory stream.
  FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (!stream)
    return Fail(error, kErrorNoMemory, "out of memory for a memory stream");
  const int32_t status = DecodeStream(kind, stream, size, wantBits, bitmap, info, error);
  std::fclose(stream);
  return status;
}

int32_t CheckWantBits(int32_t wantBits, std::string* error)
{
  if (wantBits != 0 && wantBits != 8 && wantBits != 24)
    return Fail(error, kErrorBadArgument, "bits per pixel must be 0, 8 or 24, not " + std::to_string(wantBits));
  return kSuccess;
}

// Closes a file on every way out.
struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};
using OpenedFile = std::unique_ptr<FILE, FileCloser>;

// The most bytes a file read into memory may have: what a picture at the
// pixel limit needs with four 16-bit samples a pixel, and a megabyte for
// headers. Nothing larger is read.
uint64_t MemoryReadLimit()
{
  const int64_t limit = MaxPixels();
  return (limit > 0 ? static_cast<uint64_t>(limit) * 8 : 0) + (uint64_t{1} << 20);
}

std::string TooLargeToRead(uint64_t size)
{
  return "the file is larger than the " + std::to_string(size) + " bytes any picture within the pixel limit of " +
         std::to_string(MaxPixels()) + " needs (raise it with --max-pixels N or " + kMaxPixelsVariable + ")";
}

// Reads the rest of a file of unknown size (a pipe, a device) after the
// `bytes` already read, up to MemoryReadLimit.
int32_t ReadRest(FILE* file, std::vector<uint8_t>& bytes, std::string* error)
{
  const uint64_t most = MemoryReadLimit();
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (bytes.size() + got > most)
      return Fail(error, kErrorTooLarge, TooLargeToRead(most));
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return std::ferror(file) ? Fail(error, kErrorOpen, "cannot read: " + ErrnoText(errno)) : kSuccess;
}

// Reads a whole BMP file of known size in one read into a buffer of that
// size (not zero-filled: every byte is read over) and decodes it.
int32_t DecodeWholeFile(FILE* file, uint64_t size, int32_t wantBits, Bitmap* bitmap, LoadInfo* info, std::string* error)
{
  // The header's claims are judged from its first bytes, before the buffer
  // is allocated.
  uint8_t head[kBmpClaimBytes];
  const size_t n = std::fread(head, 1, sizeof head, file);
  const int32_t status = detail::CheckBmpClaims(head, n, size, error);
  if (status != kSuccess)
    return status;
  if (std::fseek(file, 0, SEEK_SET) != 0)
    return Fail(error, kErrorOpen, "cannot read: " + ErrnoText(errno));
  if (size > MemoryReadLimit())
    return Fail(error, kErrorTooLarge, TooLargeToRead(MemoryReadLimit()));
  const std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
  const size_t got = std::fread(bytes.get(), 1, size, file);
  if (std::ferror(file))
    return Fail(error, kErrorOpen, "cannot read: " + ErrnoText(errno));
  return Decode(bytes.get(), got, wantBits, bitmap, info, error);
}

int32_t Load(const char* path, Bitmap* bitmap, int32_t wantBits, LoadInfo* info, std::string* error)
{
  if (!path || !bitmap)
    return Fail(error, kErrorBadArgument, "no path or no bitmap");
  if (CheckWantBits(wantBits, error) != kSuccess)
    return kErrorBadArgument;

  // Paths may be Windows paths ("C:\\x\\y.png"); the stand-in maps them.
  const OpenedFile file(standin::OpenFile(path, "rb"));
  if (!file)
    return Fail(error, kErrorOpen, "cannot open " + Quoted(path) + ": " + ErrnoText(errno));
  // The first bytes name the type; a file of anything else is refused at
  // once, however large.
  std::vector<uint8_t> head(kSniffBytes);
  head.resize(std::fread(head.data(), 1, head.size(), file.get()));
  std::string why;
  int32_t status = kSuccess;
  struct stat st;
  const Kind kind = Sniff(head.data(), head.size());
  if (std::ferror(file.get())) {
    status = Fail(&why, kErrorOpen, "cannot read: " + ErrnoText(errno));
  } else if (kind == Kind::kUnknown) {
    status = Decode(head.data(), head.size(), wantBits, bitmap, info, &why);
  } else if (fstat(fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode) && fseeko(file.get(), 0, SEEK_SET) == 0) {
    // A file of known size: decoded as it is read, a BMP file read whole.
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    status = kind == Kind::kBmp ? DecodeWholeFile(file.get(), size, wantBits, bitmap, info, &why)
                                : DecodeStream(kind, file.get(), size, wantBits, bitmap, info, &why);
  } else {
    status = ReadRest(file.get(), head, &why);
    if (status == kSuccess)
      status = Decode(head.data(), head.size(), wantBits, bitmap, info, &why);
  }
  return status == kSuccess ? kSuccess : Fail(error, status, Quoted(path) + ": " + why);
}

int32_t LoadBytes(const void* data, size_t size, Bitmap* bitmap, int32_t wantBits, LoadInfo* info, std::string* error)
{
  if ((!data && size > 0) || !bitmap)
    return Fail(error, kErrorBadArgument, "no data or no bitmap");
  if (CheckWantBits(wantBits, error) != kSuccess)
    return kErrorBadArgument;
  return Decode(static_cast<const uint8_t*>(data), size, wantBits, bitmap, info, error);
}

int32_t CheckFormat(FileFormat format, int32_t quality, std::string* error)
{
  if (format < FileFormat::kPng || format > FileFormat::kTiff)
    return Fail(error, kErrorBadArgument, "unknown file format");
  if (format == FileFormat::kJpeg && (quality < 1 || quality > 100))
    return Fail(error, kErrorBadArgument, "JPEG quality must be 1..100, not " + std::to_string(quality));
  return kSuccess;
}

int32_t CheckSaveArguments(const Bitmap* bitmap, int32_t bitsPerPixel, FileFormat format, int32_t quality,
                           std::string* error)
{
  if (!detail::HasPixels(bitmap))
    return Fail(error, kErrorBadArgument, "the bitmap holds no valid image");
  if (bitsPerPixel != 0 && bitsPerPixel != 8 && bitsPerPixel != 24)
    return Fail(error, kErrorBadArgument, "bits per pixel must be 0, 8 or 24, not " + std::to_string(bitsPerPixel));
  return CheckFormat(format, quality, error);
}

// The rows of a top-down bitmap.
class BitmapRows final : public RowSource {
public:
  explicit BitmapRows(const Bitmap& bitmap)
      : RowSource(bitmap.width, bitmap.height, bitmap.bitsPerPixel), bitmap_(bitmap)
  {
  }
  const uint8_t* Row(int32_t y) override { return bitmap_.Row(y); }

private:
  const Bitmap& bitmap_;
};

// Encodes the rows into the open file's stream. The message says why,
// without the path.
int32_t EncodeRows(standin::ReplacementFile& file, RowSource& rows, FileFormat format, int32_t quality,
                   std::string* error)
{
  FILE* stream = file.Stream();
  if (!stream)
    return Fail(error, kErrorBadArgument, "the file is not open for writing");
  int32_t status = kSuccess;
  switch (format) {
  case FileFormat::kPng: status = detail::WritePng(stream, rows, error); break;
  case FileFormat::kJpeg: status = detail::WriteJpeg(stream, rows, quality, error); break;
  case FileFormat::kPnm: status = detail::WritePnm(stream, rows, error); break;
  case FileFormat::kBmp: status = detail::WriteBmp(stream, rows, error); break;
  case FileFormat::kTiff: status = detail::WriteTiff(stream, rows, error); break;
  }
  // The end of the content is written now, so that a full disk or an
  // interrupt is found here; the stream's reason says more than the
  // encoder's.
  std::string why;
  if (!file.Finish(&why))
    return Fail(error, file.Interrupted() ? kErrorInterrupted : kErrorWrite, why);
  return status;
}

// Encodes the bitmap at the depth asked for into the open file's stream.
int32_t Encode(standin::ReplacementFile& file, const Bitmap* bitmap, FileFormat format, int32_t bitsPerPixel,
               int32_t quality, std::string* error)
{
  // Writers take a top-down picture of the depth to write.
  Bitmap converted;
  const Bitmap* picture = bitmap;
  const int32_t bits = bitsPerPixel == 0 ? bitmap->bitsPerPixel : bitsPerPixel;
  if (bits != bitmap->bitsPerPixel || bitmap->BottomUp()) {
    const int32_t status = detail::Convert(*bitmap, bits, false, &converted, error);
    if (status != kSuccess)
      return status;
    picture = &converted;
  }
  BitmapRows rows(*picture);
  return EncodeRows(file, rows, format, quality, error);
}

int32_t Save(const char* path, const Bitmap* bitmap, FileFormat format, int32_t bitsPerPixel, int32_t quality,
             std::string* error)
{
  if (!path || !*path || !bitmap)
    return Fail(error, kErrorBadArgument, "no path or no bitmap");
  std::string why;
  int32_t status = CheckSaveArguments(bitmap, bitsPerPixel, format, quality, &why);
  if (status != kSuccess)
    return Fail(error, status, "cannot save " + Quoted(path) + ": " + why);

  std::string native;
  if (!standin::MapPath(path, native))
    return Fail(error, kErrorOpen, "cannot create " + Quoted(path) + ": no such drive or folder");
  standin::ReplacementFile out(native);
  if (!out.Open(&why))
    return Fail(error, kErrorOpen, "cannot create " + Quoted(path) + ": " + why);
  status = Encode(out, bitmap, format, bitsPerPixel, quality, &why);
  if (status == kSuccess && !out.Commit(&why))
    status = out.Interrupted() ? kErrorInterrupted : kErrorWrite;
  return status == kSuccess ? kSuccess : Fail(error, status, "cannot write " + Quoted(path) + ": " + why);
}

} // namespace

int32_t LoadFile(const char* path, Bitmap* bitmap, int32_t wantBits, std::string* error, LoadInfo* info)
{
  return detail::NoThrow(error, [&] { return Load(path, bitmap, wantBits, info, error); });
}

int32_t LoadMemory(const void* data, size_t size, Bitmap* bitmap, int32_t wantBits, std::string* error, LoadInfo* info)
{
  return detail::NoThrow(error, [&] { return LoadBytes(data, size, bitmap, wantBits, info, error); });
}

int32_t SaveFile(const char* path, const Bitmap* bitmap, FileFormat format, int32_t bitsPerPixel, int32_t quality,
                 std::string* error)
{
  return detail::NoThrow(error, [&] { return Save(path, bitmap, format, bitsPerPixel, quality, error); });
}

int32_t SaveFile(const char* path, const Bitmap* bitmap, FileFormat format, int32_t quality, std::string* error)
{
  return SaveFile(path, bitmap, format, 0, quality, error);
}

int32_t SaveToFile(standin::ReplacementFile* file, const Bitmap* bitmap, FileFormat format, int32_t bitsPerPixel,
                   int32_t quality, std::string* error)
{
  return detail::NoThrow(error, [&] {
    if (!file || !bitmap)
      return Fail(error, kErrorBadArgument, "no file or no bitmap");
    const int32_t status = CheckSaveArguments(bitmap, bitsPerPixel, format, quality, error);
    return status == kSuccess ? Encode(*file, bitmap, format, bitsPerPixel, quality, error) : status;
  });
}

RowSource::RowSource(int32_t width, int32_t height, int32_t bitsPerPixel)
    : width(width), height(height), bitsPerPixel(bitsPerPixel),
      bytesPerLine(width > 0 && (bitsPerPixel == 8 || bitsPerPixel == 24) && width <= (INT32_MAX - 3) / 3
                       ? (width * (bitsPerPixel / 8) + 3) / 4 * 4
                       : 0)
{
}

RowSource::~RowSource() = default;

const uint8_t* RowSource::RgbRow(int32_t) { return nullptr; }

int32_t SaveRowsToFile(standin::ReplacementFile* file, RowSource* rows, FileFormat format, int32_t quality,
                       std::string* error)
{
  return detail::NoThrow(error, [&] {
    if (!file || !rows)
      return Fail(error, kErrorBadArgument, "no file or no rows");
    if (rows->bytesPerLine <= 0 || rows->height <= 0 ||
        int64_t{rows->bytesPerLine} * rows->height >= (int64_t{1} << 31))
      return Fail(error, kErrorBadArgument, "the rows hold no valid image");
    const int32_t status = CheckFormat(format, quality, error);
    return status == kSuccess ? EncodeRows(*file, *rows, format, quality, error) : status;
  });
}

} // namespace imaging
