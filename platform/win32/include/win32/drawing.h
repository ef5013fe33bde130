#pragma once
// Drawing and text on a device context: lines, curves, shapes, pixels and
// fonts.

#include "win32/types.h"

extern "C" {

// ---- Drawing ----------------------------------------------------------------
// Coordinates are the context's. The pen and brush are the selected ones.
LVX_WIN32_API BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
// A Bresenham line from the current position to (x, y), leaving out (x, y),
// which becomes the current position.
LVX_WIN32_API BOOL LineTo(HDC dc, int x, int y);
// Cubic Bezier segments through count = 3n + 1 points (n >= 1): each starts
// where the last ended and runs through two control points to its end. The
// curve is halved until its pieces are at most 2 px long, each piece drawn
// as LineTo draws it, then the last end point itself; both ends are drawn
// and no pixel is drawn twice. The current position is neither used nor
// moved. FALSE, drawing nothing, for another count, no points or an unknown
// context.
LVX_WIN32_API BOOL PolyBezier(HDC dc, const POINT* points, DWORD count);
// The pen draws columns left and right - 1 and rows top and bottom - 1; the
// brush fills what lies inside them (the whole rectangle under NULL_PEN).
LVX_WIN32_API BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// The ellipse inscribed in [left, right) x [top, bottom): a symmetric shape
// that never leaves that box, outlined by the pen and filled by the brush.
LVX_WIN32_API BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// [left, right) x [top, bottom) in the brush's colour (nothing for
// NULL_BRUSH). 0 on failure.
LVX_WIN32_API int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// The 1-pixel border just inside the rectangle, in the brush's colour.
LVX_WIN32_API int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
// The colour set, or CLR_INVALID outside the clip.
LVX_WIN32_API COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// CLR_INVALID outside the clip.
LVX_WIN32_API COLORREF GetPixel(HDC dc, int x, int y);

// ---- Text -------------------------------------------------------------------
// Every face ("Arial", "MS Sans Serif", the default GUI font) maps to
// Liberation Sans, whose advances match the widths the windows were laid
// out for (bold from weight 600, italic as a slanted outline). A missing
// font file is reported once on stderr and no text is drawn. A height above
// 0 is the cell height, below 0 the em height, 0 a cell height of 13 (as
// DEFAULT_GUI_FONT). Width, escapement, orientation,
// underline, strike-out, character set, precisions, quality and pitch are
// not used.
typedef struct SIZE {
  LONG cx;
  LONG cy;
} SIZE;
enum : int {
  FW_DONTCARE = 0,
  FW_NORMAL = 400,
  FW_SEMIBOLD = 600,
  FW_BOLD = 700,
};

LVX_WIN32_API HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                                DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face);
// The sum of the characters' whole-pixel advances (no kerning) by the cell
// height of the selected font.
LVX_WIN32_API BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size);
// Windows-1252 text placed by the text alignment, anti-aliased in the text
// colour; in OPAQUE mode its cell is first filled with the background
// colour. Nothing is drawn outside the text's cell.
LVX_WIN32_API BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);

} // extern "C"
