#pragma once
// Shared by the parts of LvxImaging.
#include "imaging/imaging.h"

#include <cstdio>
#include <string>

namespace imaging::detail {

// Stores the message (when asked for) and returns the status.
int32_t Fail(std::string* error, int32_t status, const std::string& message);

// Runs an exported operation's body. Nothing may throw out of the library;
// the only exception possible is running out of memory.
template <class Body>
int32_t NoThrow(std::string* error, Body&& body)
{
  try {
    return body();
  } catch (...) {
    if (error)
      error->assign("out of memory");
    return kErrorNoMemory;
  }
}

// As Create with colour order 1, for a decoder that writes every pixel of
// every row before the bitmap is used (and frees it on failure): only each
// row's padding is set to 0, so the pixels are not cleared first.
int32_t CreateUnfilled(Bitmap* bitmap, int32_t width, int32_t height, int32_t bitsPerPixel, std::string* error);

// The reason a writer gives when a codec library reports an error while
// writing `file`: the system's (savedErrno, "No space left on device") when
// the file's error flag is set, else the library's message.
std::string WriteFailure(FILE* file, int savedErrno, const std::string& libraryMessage);

// True when the record holds pixels we can work on: 8 or 24 bits, positive
// sizes and rows of exactly the padded length.
bool HasPixels(const Bitmap* bitmap);

// Grey from B,G,R: 0.1 B + 0.6 G + 0.3 R, truncated.
uint8_t GreyOf(const uint8_t* bgr);

// Makes `out` a copy of `src` at 8 or 24 bits. keepOrder keeps the storage
// order; otherwise the copy is top-down (the picture as seen). `out` may be
// `&src`; it is replaced only on success.
int32_t Convert(const Bitmap& src, int32_t bitsPerPixel, bool keepOrder, Bitmap* out, std::string* error);

// Readers fill an empty bitmap at the file's natural depth (8 bits for grey
// files, else 24) or, where they take wantBits (0 or 24), at that depth.
// Those that can hold more than 8 bits per sample store the file's bits per
// sample in *sampleBits (the others leave it at 8). Each checks the picture's
// size against the pixel limit (CheckPixels) before it allocates anything
// sized by the header. The stream readers get the file (or a memory stream)
// positioned at its first byte and, where they need it, the stream's whole
// size in bytes; the BMP reader checks every length against `size`. Writers
// get a freshly created file and the picture's rows (a top-down bitmap's
// or a caller's RowSource).
int32_t ReadPng(FILE* file, int32_t wantBits, Bitmap* out, int32_t* sampleBits, std::string* error);
int32_t ReadJpeg(FILE* file, int32_t wantBits, Bitmap* out, std::string* error);
int32_t ReadPnm(FILE* file, uint64_t streamSize, int32_t wantBits, Bitmap* out, int32_t* sampleBits,
                std::string* error);
int32_t ReadTiff(FILE* file, Bitmap* out, int32_t* sampleBits, std::string* error);
int32_t ReadBmp(const uint8_t* data, size_t size, Bitmap* out, std::string* error);
// What the first n bytes of a BMP file of fileSize bytes claim, checked
// before the file is read whole: rows the file cannot hold are
// kErrorCorrupt, a picture over the pixel limit kErrorTooLarge. Anything
// this cannot judge passes, for ReadBmp to decide.
int32_t CheckBmpClaims(const uint8_t* head, size_t n, uint64_t fileSize, std::string* error);

int32_t WritePng(FILE* file, RowSource& bitmap, std::string* error);
int32_t WriteJpeg(FILE* file, RowSource& bitmap, int32_t quality, std::string* error);
int32_t WritePnm(FILE* file, RowSource& bitmap, std::string* error);
int32_t WriteBmp(FILE* file, RowSource& bitmap, std::string* error);
int32_t WriteTiff(FILE* file, RowSource& bitmap, std::string* error);

} // namespace imaging::detail
