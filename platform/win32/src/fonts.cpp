// Fonts and text through FreeType with Liberation Sans, whose advances are
// those of the face the windows were laid out for ("Arial", the dialogs'
// "MS Sans Serif" and the default GUI font): every face name maps to it,
// bold from weight 600, italic as FreeType's slanted outline. Advances are
// hinted whole pixels without kerning, so extents are deterministic.
#include "gdi.h"
#include "text.h"
#include "win32/automation.h"
#include "win32/drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

namespace {

using namespace standin::detail;

constexpr int kDefaultCellHeight = 13;
constexpr int kLargestHeight = 4096;

struct FontFiles {
  std::string folder = "/usr/share/fonts/truetype/liberation/";
  FT_Library library = nullptr;
  FT_Face faces[2] = {nullptr, nullptr}; // regular, bold
  bool loaded = false;
  bool reported = false;
};
FontFiles& Files()
{
  static auto* files = new FontFiles;
  return *files;
}

void DropFaces()
{
  FontFiles& files = Files();
  for (FT_Face& face : files.faces) {
    if (face)
      FT_Done_Face(face);
    face = nullptr;
  }
  files.loaded = false;
}

// The regular or bold face; null (reported once per process) when its file
// cannot be read.
FT_Face Face(bool bold)
{
  FontFiles& files = Files();
  if (!files.loaded) {
    files.loaded = true;
    if (!files.library && FT_Init_FreeType(&files.library) != 0)
      files.library = nullptr;
    const char* names[2] = {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"};
    bool missing = false;
    for (int i = 0; i < 2; ++i) {
      const std::string path = files.folder + names[i];
      if (!files.library || FT_New_Face(files.library, path.c_str(), 0, &files.faces[i]) != 0) {
        files.faces[i] = nullptr;
        missing = true;
      }
    }
    if (missing && !files.reported) {
      files.reported = true;
      std::fprintf(stderr,
                   "LvxWin32: the Liberation Sans fonts are missing from %s; text will not be drawn "
                   "(install the package fonts-liberation)\n",
                   files.folder.c_str());
    }
  }
  return files.faces[bold ? 1 : 0];
}

// A face sized for a font, with the cell it draws in.
struct SizedFont {
  FT_Face face = nullptr;
  bool italic = false;
  int cellHeight = 0;
  int ascent = 0; // from the cell's top to the baseline
};

// False when the font files are missing.
bool Size(const Font& font, SizedFont* sized)
{
  FT_Face face = Face(font.bold);
  if (!face)
    return false;
  const int height = font.height == 0 ? kDefaultCellHeight : font.height;
  FT_Size_RequestRec request{};
  request.type = height > 0 ? FT_SIZE_REQUEST_TYPE_CELL : FT_SIZE_REQUEST_TYPE_NOMINAL;
  request.height = FT_Long(std::abs(height)) * 64;
  if (FT_Request_Size(face, &request) != 0)
    return false;
  // The cell spans the face's ascender and descender.
  const double ascender = face->ascender, span = double(face->ascender) - double(face->descender);
  sized->face = face;
  sized->italic = font.italic;
  sized->cellHeight = height > 0 ? height : int(-height * span / face->units_per_EM + 0.5);
  // The descent is rounded up, so that what hangs lowest (an underscore
  // sits on the descender line) stays inside the cell.
  sized->ascent = sized->cellHeight - int(std::ceil(sized->cellHeight * (span - ascender) / span - 1e-9));
  return true;
}

// Loads the glyph of one character into the face's slot; its advance in
// whole pixels, or -1 when it cannot be loaded.
int LoadGlyph(const SizedFont& font, char c, bool render)
{
  FT_Face face = font.face;
  if (FT_Load_Glyph(face, FT_Get_Char_Index(face, CodePoint(c)), FT_LOAD_DEFAULT) != 0)
    return -1;
  const int advance = int((face->glyph->advance.x + 32) >> 6);
  if (render) {
    if (font.italic && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
      FT_GlyphSlot_Oblique(face->glyph);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
      return -1;
  }
  return advance;
}

int TextWidth(const SizedFont& font, const char* text, int length)
{
  int width = 0;
  for (int i = 0; i < length; ++i)
    width += std::max(LoadGlyph(font, text[i], false), 0);
  return width;
}

const Font* SelectedFont(const DeviceContext& dc)
{
  static const Font fallback;
  const Font* font = FindObject<Font>(dc.font);
  return font ? font : &fallback;
}

} // namespace

namespace standin {
void SetFontDirectory(const char* folder)
{
  DropFaces();
  std::string path = folder ? folder : "";
  if (!path.empty() && path.back() != '/')
    path += '/';
  Files().folder = path;
}
} // namespace standin

extern "C" {

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  LPCSTR)
{
  if (height > kLargestHeight || height < -kLargestHeight)
    return Fail(ERROR_INVALID_PARAMETER, HFONT(nullptr));
  return static_cast<HFONT>(AddObject(GdiObject{Font{height, weight >= FW_SEMIBOLD, italic != 0}, false}));
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, SIZE* size)
{
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || !size || length < 0 || (!text && length > 0))
    return Fail(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE, FALSE);
  SizedFont font;
  *size = SIZE{0, 0};
  if (Size(*SelectedFont(*dc), &font))
    *size = SIZE{TextWidth(font, text, length), font.cellHeight};
  return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length)
{
  const DeviceContext* dc = FindDC(hdc);
  if (!dc || length < 0 || (!text && length > 0))
    return Fail(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE, FALSE);
  SizedFont font;
  Canvas canvas(*dc);
  if (!canvas.Ready() || !Size(*SelectedFont(*dc), &font))
    return TRUE;

  // The cell: the text's width by the font's cell height, placed by the
  // alignment. TA_CENTER contains TA_RIGHT's bit and TA_BASELINE TA_BOTTOM's.
  const long long width = TextWidth(font, text, length);
  long long left = x, top = y;
  if ((dc->textAlign & TA_CENTER) == TA_CENTER)
    left -= width / 2;
  else if (dc->textAlign & TA_RIGHT)
    left -= width;
  if ((dc->textAlign & TA_BASELINE) == TA_BASELINE)
    top -= font.ascent;
  else if (dc->textAlign & TA_BOTTOM)
    top -= font.cellHeight;
  const long long right = left + width, bottom = top + font.cellHeight;
  if (dc->bkMode == OPAQUE)
    canvas.Fill(left, top, right, bottom, dc->bkColor);

  long long pen = left;
  const long long baseline = top + font.ascent;
  for (int i = 0; i < length; ++i) {
    const int advance = LoadGlyph(font, text[i], true);
    if (advance < 0)
      continue;
    const FT_Bitmap& glyph = font.face->glyph->bitmap;
    const long long gx = pen + font.face->glyph->bitmap_left, gy = baseline - font.face->glyph->bitmap_top;
    for (unsigned row = 0; row < glyph.rows; ++row) {
      const long long py = gy + row;
      if (py < top || py >= bottom)
        continue;
      const unsigned char* coverage = glyph.buffer + ptrdiff_t(row) * glyph.pitch;
      for (unsigned column = 0; column < glyph.width; ++column) {
        const long long px = gx + column;
        if (px >= left && px < right)
          canvas.Blend(px, py, dc->textColor, coverage[column]);
      }
    }
    pen += advance;
  }
  return TRUE;
}

} // extern "C"
