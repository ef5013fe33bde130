#pragma once
// Device-independent bitmaps and memory bitmaps.

#include "win32/types.h"

extern "C" {

// ---- Device-independent bitmaps ---------------------------------------------
// A DIB is a header, a colour table and rows of pixels, each row padded to a
// multiple of 4 bytes. Headers: BITMAPINFOHEADER (biSize 40 or more) or the
// 12-byte BITMAPCOREHEADER. Depths 1, 4 and 8 through a colour table of
// biClrUsed entries (else 2^bits; RGBQUAD, or RGBTRIPLE for the core form), 24
// and 32 uncompressed. A positive height stores the rows bottom-up, a
// negative one top-down.
enum : DWORD {
  BI_RGB = 0,
  DIB_RGB_COLORS = 0,
  DIB_PAL_COLORS = 1,
  CBM_INIT = 4,
  SRCCOPY = 0x00CC0020u,
};

typedef struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER;
typedef struct BITMAPCOREHEADER {
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
} BITMAPCOREHEADER;
typedef struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD;
typedef struct RGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
} RGBTRIPLE;
typedef struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO;
typedef struct BITMAPCOREINFO {
  BITMAPCOREHEADER bmciHeader;
  RGBTRIPLE bmciColors[1];
} BITMAPCOREINFO;

// `bits` holds `lines` rows starting at scan line `startScan`. Destination row
// y + i (i = 0 .. height - 1) takes the source row whose top-down index is
// startScan + lines - ySrc - height + i: for a top-down DIB that is buffer
// row index, for a bottom-up one buffer row lines - 1 - index. Destination
// column x + j takes source column xSrc + j. Source rows outside
// 0 .. lines - 1, source columns outside the width and destination pixels
// outside the clip are skipped. Returns the number of destination rows that
// have a source row (clipped or not); 0 for an invalid context or header.
LVX_WIN32_API int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                                    UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
// Scales the source rectangle into the destination by nearest neighbour.
// ySrc counts from the bottom row of a bottom-up DIB and from the top row of
// a top-down one. Only SRCCOPY; sizes must be positive. Returns destHeight,
// 0 on failure.
LVX_WIN32_API int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                                int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage,
                                DWORD rop);

// ---- Bitmaps ----------------------------------------------------------------
// Memory bitmaps are 32 bits per pixel whatever they were made from.
typedef struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP;

// A bitmap of the header's size, upright, from `bits` described by `info`
// under CBM_INIT, else black. The context is not needed.
LVX_WIN32_API HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                                     const BITMAPINFO* info, UINT usage);
// Copies scan lines startScan .. startScan + lines - 1 of the bitmap into
// 24- or 32-bit rows, bottom-up for a positive biHeight, top-down for a
// negative one (scan 0 is the first row stored). The header must give the
// bitmap's width and height. Returns the number of rows copied.
LVX_WIN32_API int GetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT lines, void* bits, BITMAPINFO* info,
                            UINT usage);
// A bitmap gives BITMAP {0, width, height, width x 4, 1, 32, null}; a palette
// its entry count (a WORD). Returns the bytes written, or the size needed
// when `out` is null; 0 on failure.
LVX_WIN32_API int GetObjectA(HANDLE object, int size, void* out);

} // extern "C"
