#pragma once
// Opening Windows-style paths as host files: the stand-in's mapping from
// "C:\x\y" (and native paths, which pass through) to the host's file system,
// for production code that reads files with the C library.
#include "win32/types.h"

#include <cstdio>
#include <string>

namespace standin {

// Maps a Windows-style or native path to the host path, resolving every
// existing component without regard to letter case (the exact name first,
// else the first match in byte order); components that do not exist keep
// the case they were given. False, with GetLastError ERROR_PATH_NOT_FOUND,
// for an empty path or an unconfigured drive letter.
LVX_WIN32_API bool MapPath(const char* path, std::string& native);
// fopen on the mapped path; null (errno ENOENT) when the path cannot be mapped.
LVX_WIN32_API std::FILE* OpenFile(const char* path, const char* mode);

} // namespace standin
