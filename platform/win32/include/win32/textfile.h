#pragma once
// Reading a text file a person or another program handed us (a host's
// parameter file, event file or UI script, the registry's store): only a
// regular file, and only up to a size the format can need, so that no path
// (a folder, a device, a FIFO, an endless or huge file) makes a program
// block, read forever or run out of memory.
#include "win32/types.h"

#include <cstddef>
#include <string>
#include <sys/stat.h>

namespace standin {

// The largest text file any reader takes: the registry's store.
constexpr size_t kTextFileLimit = size_t(64) << 20;

// Reads the whole file at `path` (a host path) into `text`. False, with
// `text` unchanged and the reason in words, when it is a folder ("is a
// directory"), not a regular file ("not a regular file": a device, a FIFO,
// a socket; a FIFO is never waited on), larger than `limit` bytes ("is
// larger than 64 MB", the limit in MB, KB or bytes), or cannot be opened
// or read ("cannot be read: " and the system's reason). On failure errno
// tells which: ENOENT for a missing file, EISDIR, EINVAL for another kind
// of file, EFBIG over the limit, or the system's error. `info`, when given,
// gets the open file's status on success.
LVX_WIN32_API bool ReadTextFile(const std::string& path, size_t limit, std::string* text, std::string* reason,
                                struct stat* info = nullptr);

// The limit as the reason words it: "64 MB", "1 MB", "16 KB", "100 bytes".
LVX_WIN32_API std::string SizeInWords(size_t bytes);

} // namespace standin
