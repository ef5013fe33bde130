// A small tmpfs of a test's own (see lvxtest/tinyfs.h).
#include "lvxtest/tinyfs.h"

#include "lvxtest/testenv.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lvxtest {

TinyFileSystem::TinyFileSystem(const std::string& name, size_t kilobytes) : folder_(TempDir() + "/" + name)
{
  if (mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) {
    problem_ = std::string("cannot make the folder: ") + std::strerror(errno);
    return;
  }
  const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0700";
  if (mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    problem_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

TinyFileSystem::~TinyFileSystem()
{
  if (mounted_)
    umount2(folder_.c_str(), MNT_DETACH);
}

bool TinyFileSystem::Fill(const std::string& name) const
{
  const int fd = open(Path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0)
    return false;
  char block[4096] = {};
  while (write(fd, block, sizeof block) > 0) {
  }
  // The last, partial block.
  while (write(fd, block, 1) == 1) {
  }
  const bool full = errno == ENOSPC;
  close(fd);
  return full;
}

bool TinyFileSystem::MakeReadOnly(const std::string& name) const
{
  if (!mounted_)
    return chmod(Path(name).c_str(), 0444) == 0;
  return mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

} // namespace lvxtest
