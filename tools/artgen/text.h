#pragma once
// Captions for the art: Liberation Sans (regular or bold, the metrics the
// interface was laid out for, as the stand-in's text uses) rasterised through
// FreeType at a fixed pixel size with hinting, so a caption comes out the
// same on every run. Glyph coverage is blended into the canvas in whole
// numbers. Only the sets that carry captions use it; the others keep to the
// standard library.
#include "canvas.h"

#include <string>
#include <string_view>

namespace artgen {

struct Font {
  int pixels = 13; // the em size in pixels
  bool bold = false;
};

// The folder the font files are read from.
inline constexpr const char* kFontFolder = "/usr/share/fonts/truetype/liberation/";

// The width of the text: the sum of its hinted advances, in pixels. 0 when
// the font cannot be loaded.
int TextWidth(std::string_view text, Font font);

// Draws the text with its first pen position at x and its baseline at y,
// blending each glyph's coverage between the pixel under it and the
// colour. Pixels outside the canvas are dropped. Nothing when the font
// cannot be loaded (see TextProblem).
void DrawText(Canvas& canvas, int x, int baseline, std::string_view text, Font font, Rgb colour);

// The same, centred on the column `centreX` (the left pen position is
// centreX - width / 2, halves truncated).
void DrawTextCentred(Canvas& canvas, int centreX, int baseline, std::string_view text, Font font, Rgb colour);

// Why text could not be drawn (a font file that cannot be read); empty
// while every caption was drawn, and when none was asked for (the fonts
// are read only for the first caption).
const std::string& TextProblem();

} // namespace artgen
