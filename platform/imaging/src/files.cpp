// LoadFile and SaveFile: type sniffing, native paths, safe replacement of the
// destination file.
#include "codecs.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace imaging {
namespace {

using detail::Fail;

enum class Kind { kUnknown, kPng, kJpeg, kPnm };

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
  return Kind::kUnknown;
}

std::string Quoted(const char* path) { return std::string("'") + path + "'"; }

std::string ErrnoText(int err) { return std::strerror(err); }

// A file created next to the destination, renamed over it once complete.
class TempFile {
public:
  explicit TempFile(const std::string& target) : target_(target) {}
  ~TempFile()
  {
    if (file_)
      std::fclose(file_);
    if (!name_.empty())
      unlink(name_.c_str());
  }

  int32_t Open(std::string* error)
  {
    // O_EXCL with a name of our own: never follows or clobbers anything.
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = target_ + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
      int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno == EEXIST)
        continue;
      if (fd < 0)
        return Fail(error, kErrorOpen, "cannot create " + Quoted(target_.c_str()) + ": " + ErrnoText(errno));
      name_ = name;
      // A replaced file keeps its permissions.
      struct stat st;
      if (stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        fchmod(fd, st.st_mode & 07777);
      file_ = fdopen(fd, "wb");
      if (!file_) {
        close(fd);
        return Fail(error, kErrorNoMemory, "cannot create " + Quoted(target_.c_str()));
      }
      return kSuccess;
    }
    return Fail(error, kErrorOpen, "cannot create a temporary file for " + Quoted(target_.c_str()));
  }

  FILE* file() const { return file_; }

  // Flushes, syncs and renames into place.
  int32_t Commit(std::string* error)
  {
    int err = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_))
      err = errno ? errno : EIO;
    else if (fsync(fileno(file_)) != 0)
      err = errno;
    if (std::fclose(file_) != 0 && err == 0)
      err = errno;
    file_ = nullptr;
    if (err != 0)
      return Fail(error, kErrorWrite, "cannot write " + Quoted(target_.c_str()) + ": " + ErrnoText(err));
    if (std::rename(name_.c_str(), target_.c_str()) != 0)
      return Fail(error, kErrorWrite, "cannot write " + Quoted(target_.c_str()) + ": " + ErrnoText(errno));
    name_.clear();
    return kSuccess;
  }

private:
  std::string target_;
  std::string name_;
  FILE* file_ = nullptr;
};

int32_t Load(const char* path, Bitmap* bitmap, int32_t wantBits, std::string* error)
{
  if (!path || !bitmap)
    return Fail(error, kErrorBadArgument, "no path or no bitmap");
  if (wantBits != 0 && wantBits != 24)
    return Fail(error, kErrorBadArgument, "bits per pixel must be 0 or 24, not " + std::to_string(wantBits));

  FILE* file = std::fopen(path, "rb");
  if (!file)
    return Fail(error, kErrorOpen, "cannot open " + Quoted(path) + ": " + ErrnoText(errno));
  unsigned char head[8];
  const size_t n = std::fread(head, 1, sizeof head, file);
  int32_t status = kSuccess;
  std::string why;
  Bitmap loaded;
  if (std::ferror(file)) {
    status = Fail(&why, kErrorOpen, "cannot read: " + ErrnoText(errno));
  } else {
    std::rewind(file);
    switch (Sniff(head, n)) {
    case Kind::kPng: status = detail::ReadPng(file, wantBits, &loaded, &why); break;
    case Kind::kJpeg: status = detail::ReadJpeg(file, wantBits, &loaded, &why); break;
    case Kind::kPnm: status = detail::ReadPnm(file, wantBits, &loaded, &why); break;
    case Kind::kUnknown:
      status = Fail(&why, kErrorFormat, n == 0 ? "the file is empty" : "not a PNG, JPEG, PPM or PGM file");
      break;
    }
  }
  std::fclose(file);
  if (status != kSuccess)
    return Fail(error, status, Quoted(path) + ": " + why);
  *bitmap = std::move(loaded);
  return kSuccess;
}

int32_t Save(const char* path, const Bitmap* bitmap, FileFormat format, int32_t quality, std::string* error)
{
  if (!path || !*path || !bitmap)
    return Fail(error, kErrorBadArgument, "no path or no bitmap");
  if (!bitmap->data || bitmap->width <= 0 || bitmap->height <= 0 ||
      (bitmap->bitsPerPixel != 8 && bitmap->bitsPerPixel != 24) ||
      int64_t{bitmap->bytesPerLine} < int64_t{bitmap->width} * (bitmap->bitsPerPixel / 8))
    return Fail(error, kErrorBadArgument, "cannot save " + Quoted(path) + ": the bitmap holds no valid image");
  if (format == FileFormat::kJpeg && (quality < 1 || quality > 100))
    return Fail(error, kErrorBadArgument, "JPEG quality must be 1..100, not " + std::to_string(quality));

  TempFile out(path);
  int32_t status = out.Open(error);
  if (status != kSuccess)
    return status;
  std::string why;
  switch (format) {
  case FileFormat::kPng: status = detail::WritePng(out.file(), *bitmap, &why); break;
  case FileFormat::kJpeg: status = detail::WriteJpeg(out.file(), *bitmap, quality, &why); break;
  case FileFormat::kPnm: status = detail::WritePnm(out.file(), *bitmap, &why); break;
  default: status = Fail(&why, kErrorBadArgument, "unknown file format"); break;
  }
  if (status != kSuccess)
    return Fail(error, status, "cannot write " + Quoted(path) + ": " + why);
  return out.Commit(error);
}

} // namespace

int32_t LoadFile(const char* path, Bitmap* bitmap, int32_t wantBits, std::string* error)
{
  return detail::NoThrow(error, [&] { return Load(path, bitmap, wantBits, error); });
}

int32_t SaveFile(const char* path, const Bitmap* bitmap, FileFormat format, int32_t quality,
                 std::string* error)
{
  return detail::NoThrow(error, [&] { return Save(path, bitmap, format, quality, error); });
}

} // namespace imaging
