#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace artgen {

namespace {

// The library and the two faces, loaded once for the tool's run.
struct Faces {
  FT_Library library = nullptr;
  FT_Face faces[2] = {nullptr, nullptr}; // regular, bold
  bool tried = false;
  std::string problem;
};

Faces& State()
{
  static Faces faces;
  return faces;
}

Faces& Loaded()
{
  Faces& f = State();
  if (f.tried)
    return f;
  f.tried = true;
  if (FT_Init_FreeType(&f.library) != 0) {
    f.library = nullptr;
    f.problem = "FreeType could not be started";
    return f;
  }
  const char* names[2] = {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"};
  for (int i = 0; i < 2; ++i) {
    const std::string path = std::string(kFontFolder) + names[i];
    if (FT_New_Face(f.library, path.c_str(), 0, &f.faces[i]) != 0) {
      f.faces[i] = nullptr;
      f.problem = path + " cannot be read (install fonts-liberation)";
    }
  }
  return f;
}

// The face at the size; null when it is not loaded.
FT_Face Face(Font font)
{
  FT_Face face = Loaded().faces[font.bold ? 1 : 0];
  if (!face || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(font.pixels)) != 0)
    return nullptr;
  return face;
}

// Loads one character's hinted, rendered glyph; false when it has none.
bool LoadGlyph(FT_Face face, char c)
{
  return FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) == 0;
}

uint8_t Mix(uint8_t under, uint8_t over, int coverage)
{
  return static_cast<uint8_t>((under * (255 - coverage) + over * coverage + 127) / 255);
}

} // namespace

int TextWidth(std::string_view text, Font font)
{
  FT_Face face = Face(font);
  if (!face)
    return 0;
  int width = 0;
  for (char c : text)
    if (LoadGlyph(face, c))
      width += static_cast<int>(face->glyph->advance.x >> 6);
  return width;
}

void DrawText(Canvas& canvas, int x, int baseline, std::string_view text, Font font, Rgb colour)
{
  FT_Face face = Face(font);
  if (!face)
    return;
  int pen = x;
  for (char c : text) {
    if (!LoadGlyph(face, c))
      continue;
    const FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int left = pen + glyph->bitmap_left, top = baseline - glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row)
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const int coverage = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + column];
        if (coverage == 0)
          continue;
        const int px = left + static_cast<int>(column), py = top + static_cast<int>(row);
        const Rgb under = canvas.At(px, py);
        canvas.Set(
            px, py,
            Rgb{Mix(under.r, colour.r, coverage), Mix(under.g, colour.g, coverage), Mix(under.b, colour.b, coverage)});
      }
    pen += static_cast<int>(glyph->advance.x >> 6);
  }
}

void DrawTextCentred(Canvas& canvas, int centreX, int baseline, std::string_view text, Font font, Rgb colour)
{
  DrawText(canvas, centreX - TextWidth(text, font) / 2, baseline, text, font, colour);
}

const std::string& TextProblem() { return State().problem; }

} // namespace artgen
