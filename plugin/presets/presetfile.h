#pragma once
// Preset files (".cxp"): the whole file is one 64-byte PresetRecord.
#include <cstdint>
#include <vector>

class QVFileSpec;

namespace presetfile {

// The record held by the file: empty unless the file opens, is exactly 64
// bytes long (checked before anything is allocated) and reads in full.
std::vector<uint8_t> Read(const QVFileSpec& file);

// Writes the bytes as they are through a temporary file beside the target,
// renamed into place once whole. False when it could not be written in
// full; whatever was at the path is then as it was: an earlier file, a
// read-only file, or anything that is not a regular file (a folder, a
// device), which is never replaced.
bool Write(const QVFileSpec& file, const std::vector<uint8_t>& bytes);

} // namespace presetfile
