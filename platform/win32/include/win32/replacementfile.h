#pragma once
// Writing a file so that nothing is ever lost: the new content goes to a
// temporary file beside the target, named "TARGET.tmp-<pid>-<n>", which is
// renamed over the target only once it is whole and synced. A write that
// fails, or that an interrupt stops, removes its own temporary file and
// leaves the target as it was; a process killed outright leaves at most its
// temporary file, which the next successful write to that target removes
// (the pattern with the pid of a process that no longer exists).
//
// Every writer of the system's files uses it: the imaging stand-in's image
// files, the registry's store, the hosts' outputs, records, logs and
// reports, the windows' PNG snapshots and the preset files. Paths are the
// host's own (map a Windows-style path with MapPath first).
#include "win32/types.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace standin {

class LVX_WIN32_API ReplacementFile {
public:
  struct Options {
    // Writes fail once an interrupt arrived (see win32/interrupts.h), so an
    // interrupted program stops within one buffer of output. The registry,
    // which must finish what it began, writes on.
    bool stopOnInterrupt = true;
    // The new file's mode. 0: 0666 less the umask, as any ordinary new
    // file; a replaced file keeps its own mode unless one is given here.
    mode_t mode = 0;
  };

  explicit ReplacementFile(std::string target);
  ReplacementFile(std::string target, const Options& options);
  // Removes the temporary file unless it was committed.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the temporary file. False, with the reason, when the target is
  // a directory ("is a directory"), exists and is not a regular file ("not a
  // regular file", a device or a FIFO, which are never replaced), or the
  // temporary file cannot be made in the target's folder (the system's
  // reason: "No such file or directory" for a missing folder, "Permission
  // denied", ...). Nothing is created then.
  bool Open(std::string* reason);

  // The stream to write through, null unless open. A write fails (errno
  // EINTR) once an interrupt arrived when the options say so, and with the
  // system's error (ENOSPC, ...) when the file system refuses it.
  std::FILE* Stream();
  // Writes all the bytes through the stream; false when the stream failed.
  bool Write(std::string_view bytes);

  // Flushes, syncs and closes the temporary file; the target is not touched
  // yet. False with the reason ("interrupted", or the system's reason of the
  // first failed write) when the content is not whole; Commit then fails too.
  bool Finish(std::string* reason);
  // Finishes (when not done yet) and renames the temporary file over the
  // target, syncs the folder and removes stale temporary files of dead
  // processes beside the target. False with the reason when any step
  // failed or an interrupt arrived before the rename; the temporary file is
  // then removed and the target is as it was.
  bool Commit(std::string* reason);
  // Removes the temporary file (the destructor does the same).
  void Discard();

  // The temporary file's path; empty before Open and after Commit or Discard.
  const std::string& TemporaryPath() const { return temporary_; }
  const std::string& Target() const { return target_; }
  // Whether the content failed because an interrupt stopped it.
  bool Interrupted() const;

  struct Sink; // the stream's state, shared with its write function

private:
  std::string target_;
  Options options_;
  std::string temporary_;
  std::unique_ptr<Sink> sink_;
  std::FILE* stream_ = nullptr;
  bool finished_ = false;
  std::string failure_; // why Finish failed
};

// Writes `bytes` to `target` through a ReplacementFile. False with the reason.
LVX_WIN32_API bool WriteWholeFile(const std::string& target, std::string_view bytes, std::string* reason,
                                  const ReplacementFile::Options& options = {});

// Whether `target` can be replaced now: Open's checks, and a temporary file
// made and removed at once, so that a missing or read-only folder is found
// before long work begins. False with Open's reasons; nothing is left.
LVX_WIN32_API bool CanReplace(const std::string& target, std::string* reason);

// Removes the temporary files beside `target` ("TARGET.tmp-<pid>-<n>", regular
// files only) whose process no longer exists; those of running processes,
// this one included, stay. Returns how many were removed.
LVX_WIN32_API int RemoveStaleTemporaries(const std::string& target);

} // namespace standin
