#pragma once
// BMP files of the art: BITMAPINFOHEADER, BI_RGB, rows bottom-up and padded
// to 4 bytes, no resolution; 24 bits without a colour table, or 8 bits with
// a 256-entry table of the picture's colours.
#include "canvas.h"
#include "lvxtext/error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace artgen {

// The whole file's bytes; empty for an empty canvas.
std::vector<uint8_t> EncodeBmp24(const Canvas& canvas);
// The 8-bit form: the table holds the picture's colours in the order they
// first appear (rows from the top, each from the left), then black entries
// up to 256. Empty for an empty canvas or one of more than 256 colours.
std::vector<uint8_t> EncodeBmp8(const Canvas& canvas);
// Writes the file at 24 or 8 bits; false (with the reason in *error) when
// the canvas cannot be encoded so or the file cannot be written completely.
bool WriteBmp(const std::string& path, const Canvas& canvas, int bitsPerPixel, lvxtext::Error* error);

} // namespace artgen
