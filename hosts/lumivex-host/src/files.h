#pragma once
// Whole-file reads and writes for the host's own formats.
#include "lvxtext/error.h"

#include <string>

namespace lvhost {

bool ReadWholeFile(const std::string& path, std::string* bytes, lvxtext::Error* error);
// Writes `bytes` next to `path` and renames the copy into place, so a failed
// write leaves an earlier file as it was. A new file gets 0666 less the
// umask, as any ordinary file; a replaced one keeps its mode.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, lvxtext::Error* error);

} // namespace lvhost
