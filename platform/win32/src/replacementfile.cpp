// Writing through a temporary file beside the target (see
// win32/replacementfile.h).
#include "win32/replacementfile.h"

#include "win32/interrupts.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace standin {

struct ReplacementFile::Sink {
  int fd = -1;
  bool stopOnInterrupt = true;
  bool interrupted = false; // a write was refused because of an interrupt
  int error = 0;            // the first failed write's errno
};

namespace {

bool Fail(std::string* reason, const std::string& why)
{
  if (reason)
    *reason = why;
  return false;
}

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A test seam: with LUMIVEX_TEST_WRITE_GATE naming a FIFO, the first write
// of the process that stops on interrupts waits until one byte (or the end)
// can be read from it. A test opens the FIFO for writing, which returns once
// the program is here, with its temporary file made and nothing committed;
// it then sends its signals and writes the byte.
void PassWriteGate()
{
  static bool passed = false;
  if (passed)
    return;
  passed = true;
  const char* gate = std::getenv("LUMIVEX_TEST_WRITE_GATE");
  if (!gate || !*gate)
    return;
  const int fd = open(gate, O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return;
  char byte = 0;
  while (read(fd, &byte, 1) < 0 && errno == EINTR) {
  }
  close(fd);
}

// The stream's write function: everything or nothing (0, with errno set).
ssize_t SinkWrite(void* cookie, const char* data, size_t size)
{
  auto* sink = static_cast<ReplacementFile::Sink*>(cookie);
  if (sink->stopOnInterrupt)
    PassWriteGate();
  size_t done = 0;
  while (done < size) {
    if (sink->stopOnInterrupt && InterruptSignal() != 0) {
      sink->interrupted = true;
      errno = EINTR;
      return 0;
    }
    const ssize_t n = write(sink->fd, data + done, size - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      if (sink->error == 0)
        sink->error = n < 0 ? errno : EIO;
      errno = sink->error;
      return 0;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

// Writers that seek (TIFF) move within the temporary file.
int SinkSeek(void* cookie, off64_t* offset, int whence)
{
  const off_t at = lseek(static_cast<ReplacementFile::Sink*>(cookie)->fd, *offset, whence);
  if (at < 0)
    return -1;
  *offset = at;
  return 0;
}

// The file descriptor is the ReplacementFile's to close.
int SinkClose(void*) { return 0; }

void SyncFolder(const std::string& folder)
{
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

// "<pid>-<n>" with both numbers in decimal; 0 when the text is not that.
pid_t TemporaryOwner(const char* text)
{
  char* end = nullptr;
  errno = 0;
  const long pid = std::strtol(text, &end, 10);
  if (!std::isdigit(static_cast<unsigned char>(*text)) || *end != '-' || errno != 0 || pid <= 0 || pid > INT_MAX)
    return 0;
  const char* counter = end + 1;
  if (!*counter || std::strspn(counter, "0123456789") != std::strlen(counter))
    return 0;
  return static_cast<pid_t>(pid);
}

} // namespace

ReplacementFile::ReplacementFile(std::string target) : ReplacementFile(std::move(target), Options{}) {}

ReplacementFile::ReplacementFile(std::string target, const Options& options)
    : target_(std::move(target)), options_(options)
{
}

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Open(std::string* reason)
{
  Discard();
  if (target_.empty())
    return Fail(reason, "no file name");
  if (target_.back() == '/')
    return Fail(reason, "is a directory");
  // Only a regular file is ever replaced: a device, a FIFO or a folder at
  // the path stays what it is.
  mode_t mode = options_.mode;
  struct stat st;
  if (stat(target_.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode))
      return Fail(reason, "is a directory");
    if (!S_ISREG(st.st_mode))
      return Fail(reason, "not a regular file");
    if (mode == 0)
      mode = st.st_mode & 07777;
  } else if (errno != ENOENT) {
    return Fail(reason, std::strerror(errno));
  }

  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = target_ + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    // O_EXCL with a name of our own: never follows or clobbers anything.
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode != 0 ? 0600 : 0666);
    if (fd < 0 && errno == EEXIST)
      continue;
    if (fd < 0)
      return Fail(reason, std::strerror(errno));
    temporary_ = name;
    sink_ = std::make_unique<Sink>();
    sink_->fd = fd;
    sink_->stopOnInterrupt = options_.stopOnInterrupt;
    if (mode != 0 && fchmod(fd, mode) != 0) {
      const int err = errno;
      Discard();
      return Fail(reason, std::strerror(err));
    }
    stream_ = fopencookie(sink_.get(), "wb", cookie_io_functions_t{nullptr, SinkWrite, SinkSeek, SinkClose});
    if (!stream_ || setvbuf(stream_, nullptr, _IOFBF, 65536) != 0) {
      Discard();
      return Fail(reason, "out of memory");
    }
    finished_ = false;
    failure_.clear();
    return true;
  }
  return Fail(reason, "no free temporary name beside it");
}

std::FILE* ReplacementFile::Stream() { return finished_ ? nullptr : stream_; }

bool ReplacementFile::Write(std::string_view bytes)
{
  std::FILE* stream = Stream();
  return stream && std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

bool ReplacementFile::Interrupted() const { return sink_ && sink_->interrupted; }

bool ReplacementFile::Finish(std::string* reason)
{
  if (finished_)
    return failure_.empty() || Fail(reason, failure_);
  if (!sink_)
    return Fail(reason, "not open");
  finished_ = true;
  int err = 0;
  if (std::fflush(stream_) != 0 || std::ferror(stream_))
    err = sink_->error != 0 ? sink_->error : EIO;
  std::fclose(stream_);
  stream_ = nullptr;
  if (err == 0 && fsync(sink_->fd) != 0)
    err = errno;
  if (close(sink_->fd) != 0 && err == 0)
    err = errno;
  sink_->fd = -1;
  if (options_.stopOnInterrupt && InterruptSignal() != 0)
    sink_->interrupted = true;
  if (sink_->interrupted)
    failure_ = "interrupted";
  else if (err != 0)
    failure_ = std::strerror(err);
  if (failure_.empty())
    return true;
  // The content is not whole: the temporary file goes at once.
  unlink(temporary_.c_str());
  temporary_.clear();
  return Fail(reason, failure_);
}

bool ReplacementFile::Commit(std::string* reason)
{
  if (!Finish(reason)) {
    Discard();
    return false;
  }
  if (temporary_.empty())
    return Fail(reason, "not open");
  if (options_.stopOnInterrupt && InterruptSignal() != 0) {
    sink_->interrupted = true;
    Discard();
    return Fail(reason, "interrupted");
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    const int err = errno;
    Discard();
    return Fail(reason, std::strerror(err));
  }
  temporary_.clear();
  SyncFolder(FolderOf(target_));
  RemoveStaleTemporaries(target_);
  return true;
}

void ReplacementFile::Discard()
{
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (sink_ && sink_->fd >= 0) {
    close(sink_->fd);
    sink_->fd = -1;
  }
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());
    temporary_.clear();
  }
}

bool WriteWholeFile(const std::string& target, std::string_view bytes, std::string* reason,
                    const ReplacementFile::Options& options)
{
  ReplacementFile file(target, options);
  if (!file.Open(reason))
    return false;
  if (!file.Write(bytes)) {
    file.Finish(reason);
    return false;
  }
  return file.Commit(reason);
}

bool CanReplace(const std::string& target, std::string* reason)
{
  ReplacementFile probe(target, ReplacementFile::Options{false, 0});
  return probe.Open(reason);
}

int RemoveStaleTemporaries(const std::string& target)
{
  const std::string prefix = NameOf(target) + ".tmp-";
  DIR* folder = opendir(FolderOf(target).c_str());
  if (!folder)
    return 0;
  int removed = 0;
  while (const dirent* entry = readdir(folder)) {
    if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0)
      continue;
    const pid_t owner = TemporaryOwner(entry->d_name + prefix.size());
    // kill(pid, 0) fails with ESRCH only when no such process exists; a
    // process of another user answers EPERM and keeps its file.
    if (owner == 0 || owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH)
      continue;
    struct stat st;
    if (fstatat(dirfd(folder), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    if (unlinkat(dirfd(folder), entry->d_name, 0) == 0)
      ++removed;
  }
  closedir(folder);
  return removed;
}

} // namespace standin
