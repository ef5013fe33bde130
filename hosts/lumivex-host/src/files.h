#pragma once
// Whole-file reads and writes for the host's own formats.
#include "lvxtext/error.h"

#include <string>

namespace lvhost {

bool ReadWholeFile(const std::string& path, std::string* bytes, lvxtext::Error* error);
// Writes `bytes` through a temporary file beside `path` renamed into place
// (standin::ReplacementFile), so a failed write leaves an earlier file as it
// was. A new file gets 0666 less the umask, as any ordinary file; a
// replaced one keeps its mode. Not stopped by Ctrl-C: the host's own small
// files (the log, a record) are written whole.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, lvxtext::Error* error);

} // namespace lvhost
