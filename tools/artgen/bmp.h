#pragma once
// BMP files of the art: 24-bit, BITMAPINFOHEADER, BI_RGB, rows bottom-up
// and padded to 4 bytes, no colour table, no resolution.
#include "canvas.h"
#include "lvxtext/error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

// The whole file's bytes; empty for an empty canvas.
std::vector<uint8_t> EncodeBmp24(const Canvas& canvas);
// Writes the file; false (with the reason in *error) when the canvas is
// empty or the file cannot be written completely.
bool WriteBmp24(const std::string& path, const Canvas& canvas, lvxtext::Error* error);

} // namespace artgen
