// Whole-file reads and writes (see files.h).
#include "files.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace lvhost {

bool ReadWholeFile(const std::string& path, std::string* bytes, lvxtext::Error* error)
{
  std::ifstream in(path, std::ios::binary);
  if (in)
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in && !in.eof())
    return lvxtext::Fail(error, "cannot read " + path);
  return true;
}

namespace {

// The mode an ordinary new file gets (0666 less the umask), or the mode of
// the file being replaced.
mode_t ModeFor(const std::string& path)
{
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    return st.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, lvxtext::Error* error)
{
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  bool ok = fd >= 0 && fchmod(fd, ModeFor(path)) == 0;
  size_t written = 0;
  while (ok && written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    ok = n > 0;
    written += ok ? static_cast<size_t>(n) : 0;
  }
  if (fd >= 0) {
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
      unlink(temp.c_str());
  }
  return ok || lvxtext::Fail(error, "cannot write " + path);
}

} // namespace lvhost
