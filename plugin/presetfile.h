#pragma once
// Preset files (".cxp"): the whole file is one 64-byte PresetRecord.
#include <cstdint>
#include <vector>

class QVFileSpec;

namespace presetfile {

// The record held by the file: empty unless the file opens, is exactly 64
// bytes long (checked before anything is allocated) and reads in full.
std::vector<uint8_t> Read(const QVFileSpec& file);

// Creates (or truncates) the file and writes the bytes as they are. False
// when it could not be written in full; a file that opened and then failed
// is removed, while a file that never opened (read-only, say) and anything
// that is not a regular file are left alone.
bool Write(const QVFileSpec& file, const std::vector<uint8_t>& bytes);

} // namespace presetfile
