#pragma once
// GDI objects and device contexts: stock objects, pens, brushes and
// palettes, the contexts drawing goes through and their modes.

#include "win32/types.h"

extern "C" {

#define GDI_ERROR 0xFFFFFFFFu

// ---- GDI objects ------------------------------------------------------------
// Pens, brushes, fonts, bitmaps and palettes share one handle space.
// SelectObject gives back the object of the same kind that it replaced (null
// on failure); palettes go through SelectPalette instead. DeleteObject refuses
// an object selected into any device context (FALSE) and leaves stock objects
// alone (TRUE).
enum : int {
  WHITE_BRUSH = 0,
  BLACK_BRUSH = 4,
  NULL_BRUSH = 5,
  WHITE_PEN = 6,
  BLACK_PEN = 7,
  NULL_PEN = 8,
  DEFAULT_PALETTE = 15,
  DEFAULT_GUI_FONT = 17,
};
enum : int {
  PS_SOLID = 0,
  PS_NULL = 5,
};

LVX_WIN32_API HGDIOBJ GetStockObject(int index);
LVX_WIN32_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
LVX_WIN32_API BOOL DeleteObject(HGDIOBJ object);
// PS_NULL draws nothing; every other style draws solid. Width 0 counts as 1;
// a wider pen stamps a width x width square on each point it draws.
LVX_WIN32_API HPEN CreatePen(int style, int width, COLORREF color);
LVX_WIN32_API HBRUSH CreateSolidBrush(COLORREF color);

// ---- Display capabilities ---------------------------------------------------
// Indices for GetDeviceCaps.
enum : int {
  HORZRES = 8,
  VERTRES = 10,
  BITSPIXEL = 12,
  PLANES = 14,
};
typedef struct DEVMODEA DEVMODEA;

// ---- Device contexts --------------------------------------------------------
// A device context draws on a window's client area, the screen (GetDC(NULL),
// CreateDCA("DISPLAY")) or a surface, through an origin and a clip rectangle:
// nothing is ever written outside either.
//
// A new context holds the black 1-pixel pen, the white brush, the default GUI
// font and the default palette; OPAQUE background mode, white background,
// black text, TA_LEFT | TA_TOP, R2_COPYPEN, position (0, 0) and COLORONCOLOR.
// Every Set* call returns the value it replaced, or its failure value for an
// invalid context or value.

// GetDC(NULL) is the screen. Release with ReleaseDC (1 when released).
LVX_WIN32_API HDC GetDC(HWND window);
LVX_WIN32_API int ReleaseDC(HWND window, HDC dc);
// Only the "DISPLAY" driver is known: a context on the screen, ended with
// DeleteDC.
LVX_WIN32_API HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* mode);
LVX_WIN32_API BOOL DeleteDC(HDC dc);
// The screen size and depth (see standin::SetScreen), whatever the context.
LVX_WIN32_API int GetDeviceCaps(HDC dc, int index);

enum : int {
  TRANSPARENT = 1,
  OPAQUE = 2,
  R2_NOTXORPEN = 10, // new = NOT(destination XOR colour), per channel
  R2_COPYPEN = 13,
  BLACKONWHITE = 1,
  WHITEONBLACK = 2,
  COLORONCOLOR = 3,
  HALFTONE = 4,
};
enum : UINT {
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24,
};

// TRANSPARENT or OPAQUE; 0 on failure.
LVX_WIN32_API int SetBkMode(HDC dc, int mode);
// CLR_INVALID on failure.
LVX_WIN32_API COLORREF SetBkColor(HDC dc, COLORREF color);
LVX_WIN32_API COLORREF SetTextColor(HDC dc, COLORREF color);
// GDI_ERROR on failure.
LVX_WIN32_API UINT SetTextAlign(HDC dc, UINT align);
// R2_COPYPEN or R2_NOTXORPEN; 0 on failure. The mode applies to the pen and
// brush of LineTo, PolyBezier, Rectangle and Ellipse only.
LVX_WIN32_API int SetROP2(HDC dc, int mode);
// Any mode from BLACKONWHITE to HALFTONE is kept; stretching is always
// nearest-neighbour. 0 on failure.
LVX_WIN32_API int SetStretchBltMode(HDC dc, int mode);

// ---- Palettes ---------------------------------------------------------------
// Palettes keep their entries but change no colour: drawing is true colour.
typedef struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
} PALETTEENTRY;
typedef struct LOGPALETTE {
  WORD palVersion; // 0x300
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
} LOGPALETTE;

LVX_WIN32_API HPALETTE CreatePalette(const LOGPALETTE* palette);
// Returns the palette it replaced (the stock DEFAULT_PALETTE at first).
LVX_WIN32_API HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL background);
// The selected palette's entry count; GDI_ERROR for an invalid context.
LVX_WIN32_API UINT RealizePalette(HDC dc);

} // extern "C"
