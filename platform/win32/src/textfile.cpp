// Reading a bounded regular text file (see win32/textfile.h).
#include "win32/textfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace standin {
namespace {

bool Refuse(std::string* reason, const std::string& why, int err)
{
  if (reason)
    *reason = why;
  errno = err;
  return false;
}

// Why the file with this status is not read, and the matching errno; an
// empty reason when it may be read.
std::string Unreadable(const struct stat& st, size_t limit, int* err)
{
  *err = S_ISDIR(st.st_mode) ? EISDIR : S_ISREG(st.st_mode) ? EFBIG : EINVAL;
  if (S_ISDIR(st.st_mode))
    return "is a directory";
  if (!S_ISREG(st.st_mode))
    return "not a regular file";
  if (static_cast<unsigned long long>(st.st_size) > limit)
    return "is larger than " + SizeInWords(limit);
  return "";
}

bool SystemFailure(std::string* reason)
{
  const int err = errno;
  return Refuse(reason, std::string("cannot be read: ") + std::strerror(err), err);
}

} // namespace

std::string SizeInWords(size_t bytes)
{
  if (bytes >= (size_t(1) << 20) && bytes % (size_t(1) << 20) == 0)
    return std::to_string(bytes >> 20) + " MB";
  if (bytes >= 1024 && bytes % 1024 == 0)
    return std::to_string(bytes >> 10) + " KB";
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

bool ReadTextFile(const std::string& path, size_t limit, std::string* text, std::string* reason, struct stat* info)
{
  // The path is looked at before it is opened, so that no device is opened
  // and no FIFO waited on; the open file is checked again.
  struct stat st;
  if (stat(path.c_str(), &st) != 0)
    return SystemFailure(reason);
  int err = 0;
  if (const std::string why = Unreadable(st, limit, &err); !why.empty())
    return Refuse(reason, why, err);
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return SystemFailure(reason);
  if (fstat(fd, &st) != 0) {
    const int err = errno;
    close(fd);
    errno = err;
    return SystemFailure(reason);
  }
  if (const std::string why = Unreadable(st, limit, &err); !why.empty()) {
    close(fd);
    return Refuse(reason, why, err);
  }
  // A file that grows while it is read is still held to the limit.
  std::string bytes;
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      const int err = errno;
      close(fd);
      errno = err;
      return SystemFailure(reason);
    }
    if (n == 0)
      break;
    if (bytes.size() + static_cast<size_t>(n) > limit) {
      close(fd);
      return Refuse(reason, "is larger than " + SizeInWords(limit), EFBIG);
    }
    bytes.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  *text = std::move(bytes);
  if (info)
    *info = st;
  return true;
}

} // namespace standin
