#pragma once
// LvxImaging: bitmaps and image files for the programs of this system.
//
// A bitmap is 8-bit grey or 24-bit colour stored B,G,R, each row padded with
// zero bytes to a multiple of 4. Rows are stored top-down unless the record
// says bottom-up (a bitmap captured from a device). Files are read and written
// through well-made codec libraries (PNG, JPEG, TIFF) or our own code (BMP,
// binary PPM/PGM). Every operation reports failure as a negative status and a
// message; nothing throws, prints or exits, whatever the file holds.
//
// Not thread-safe: everything in this system runs on one thread.
#include "win32/types.h"

#include <cstddef>
#include <cstdint>
#include <string>

#define LVX_IMAGING_API __attribute__((visibility("default")))

// The open dialog's record is only passed through here; its callers include
// win32/dialogs.h.
struct OPENFILENAMEA;

namespace standin {
class ReplacementFile;
}

namespace imaging {

// Results: 1 is success, negative values are failures.
enum Status : int32_t {
  kSuccess = 1,
  kErrorOpen = -1,        // the file cannot be opened, read or created
  kErrorFormat = -2,      // the content is not a type we read
  kErrorCorrupt = -3,     // truncated or damaged data
  kErrorUnsupported = -4, // a variant we refuse (CMYK JPEG, RLE BMP, ...)
  kErrorTooLarge = -5,    // more pixels than the pixel limit, or 2^31 bytes or more
  kErrorNoMemory = -6,
  kErrorBadArgument = -7,
  kErrorWrite = -8,        // the file could not be written in full
  kErrorCancelled = -9,    // the user cancelled a dialog
  kErrorNoSource = -10,    // there is no scanner source to select or acquire from
  kErrorInterrupted = -11, // Ctrl-C or SIGTERM stopped a save (see win32/interrupts.h)
};

enum class FileFormat : int32_t {
  kPng,
  kJpeg,
  kPnm,  // binary PPM (24-bit bitmaps) or PGM (8-bit bitmaps)
  kBmp,  // 8-bit with a grey colour table, or 24-bit; rows bottom-up
  kTiff, // LZW-compressed, grey or RGB
};

// Row orders of the record. Bitmaps made by Create or by loading are
// top-down; 3 is an older code for bottom-up and is read as such.
enum RowOrder : int32_t {
  kRowsTopDown = 1,
  kRowsBottomUp = 2,
  kRowsBottomUpAlt = 3,
};

// The one transparency mode: pixels of exactly the key colour are not drawn.
constexpr int32_t kTransparentColour = 6;

// The bitmap record. It owns its pixel buffer: moving hands the buffer over,
// destruction or Free releases it and clears every field.
struct LVX_IMAGING_API Bitmap {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;       // 8 (grey) or 24 (B,G,R); 0 when empty
  int32_t bytesPerLine = 0;       // width * bitsPerPixel / 8 rounded up to 4
  int32_t rowOrder = 0;           // a RowOrder; 0 when empty
  int32_t colourOrder = 0;        // the creator's colour order code, kept as given: rows are B,G,R whatever it says
  uint32_t transparentColour = 0; // key colour as 0x00BBGGRR (R in the low byte)
  int32_t transparentMode = 0;    // 0 none, kTransparentColour when the key applies
  uint8_t* data = nullptr;        // height rows of bytesPerLine bytes, in storage order

  Bitmap() = default;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  Bitmap(Bitmap&& other) noexcept;
  Bitmap& operator=(Bitmap&& other) noexcept;
  ~Bitmap();

  bool BottomUp() const { return rowOrder == kRowsBottomUp || rowOrder == kRowsBottomUpAlt; }
  // Row y in storage order.
  uint8_t* Row(int32_t y) { return data + static_cast<ptrdiff_t>(y) * bytesPerLine; }
  const uint8_t* Row(int32_t y) const { return data + static_cast<ptrdiff_t>(y) * bytesPerLine; }
  // Row y of the picture as seen, 0 at the top, whatever the storage order.
  const uint8_t* PictureRow(int32_t y) const { return Row(BottomUp() ? height - 1 - y : y); }
};

// ---- Create, copy, free ------------------------------------------------------

// Replaces the record's contents by a zero-filled, top-down width x height
// bitmap of 8 or 24 bits. Sizes must be positive and the buffer below 2^31
// bytes. The memory kind is ignored (all bitmaps live in ordinary memory);
// `colourOrder` is stored as given. On failure the record is unchanged.
LVX_IMAGING_API int32_t Create(Bitmap* bitmap, int32_t memoryKind, int32_t width, int32_t height, int32_t bitsPerPixel,
                               int32_t colourOrder, std::string* error = nullptr);
// The same with memory kind 1 and colour order 1 (B,G,R).
LVX_IMAGING_API int32_t Create(Bitmap* bitmap, int32_t width, int32_t height, int32_t bitsPerPixel,
                               std::string* error = nullptr);

// Makes `dst` a deep copy of `src`: pixels with their padding, row order,
// colour order and transparency. On failure `dst` is unchanged.
LVX_IMAGING_API int32_t Copy(Bitmap* dst, const Bitmap* src, std::string* error = nullptr);

// Releases the buffer and clears every field.
LVX_IMAGING_API void Free(Bitmap* bitmap);
// Hands the buffer (height rows of bytesPerLine bytes) over to the caller,
// who releases it with std::free, and clears every field. Null for an empty
// record or none.
LVX_IMAGING_API uint8_t* ReleasePixels(Bitmap* bitmap);

// ---- Rows ----------------------------------------------------------------------

// Row access needs no preparation; these exist so that callers can bracket
// their row work as they always do. Both return kSuccess.
LVX_IMAGING_API int32_t BeginRows(Bitmap* bitmap);
LVX_IMAGING_API int32_t EndRows(Bitmap* bitmap);

// Copy min(count, bytesPerLine) bytes of storage row `row` out of or into the
// bitmap and return that count; 0 when the row is out of range, the bitmap is
// empty or count is not positive.
LVX_IMAGING_API int32_t GetRow(const Bitmap* bitmap, void* buffer, int32_t row, int32_t count);
LVX_IMAGING_API int32_t PutRow(Bitmap* bitmap, const void* buffer, int32_t row, int32_t count);

// Copies `pixels` 3-byte pixels from `source` to `target` with the first and
// third byte of each exchanged (B,G,R to R,G,B and back). `target` may be
// `source` itself or start before it in the same row (a row closed up in
// place); it must not start inside it after its first byte. Uses SSSE3 where
// the processor has it; the bytes are the same either way.
LVX_IMAGING_API void SwapRedBlue(const uint8_t* source, uint8_t* target, size_t pixels);

// ---- The pixel limit ---------------------------------------------------------------

// Every reader takes the picture's size from the file's header and refuses,
// before allocating anything sized by it, a picture of more pixels (width x
// height) than the process's limit. The limit is the value SetMaxPixels set,
// else the environment variable LUMIVEX_MAX_PIXELS, else the default. The
// programs of this system set it with their option --max-pixels N.
constexpr int64_t kDefaultMaxPixels = 250000000;
constexpr const char* kMaxPixelsVariable = "LUMIVEX_MAX_PIXELS";

// Reads a pixel count for the limit: decimal digits only, from 1 to 10^15.
// False (and *pixels unchanged) for anything else.
LVX_IMAGING_API bool ParseMaxPixels(const char* text, int64_t* pixels);

// Sets the limit for every later load of this process; 0 gives the choice
// back to LUMIVEX_MAX_PIXELS and the default. kErrorBadArgument (nothing
// changed) for a negative count or one above 10^15.
LVX_IMAGING_API int32_t SetMaxPixels(int64_t pixels);

// The limit now in force; -1 when LUMIVEX_MAX_PIXELS decides and is not a
// count ParseMaxPixels takes (every load then fails with kErrorBadArgument
// and says so).
LVX_IMAGING_API int64_t MaxPixels();

// Whether a picture of width x height may be loaded: kSuccess, or
// kErrorTooLarge with a message naming the count, the limit and how to raise
// it ("640000000 pixels (32000 x 20000) is more than the limit of 250000000
// (raise it with --max-pixels N or LUMIVEX_MAX_PIXELS)"), or
// kErrorBadArgument for a LUMIVEX_MAX_PIXELS that is not a count. Sizes
// below 1 are the reader's business and pass.
LVX_IMAGING_API int32_t CheckPixels(int64_t width, int64_t height, std::string* error = nullptr);

// ---- Files ---------------------------------------------------------------------

// What a load found in the file beyond the pixels it delivers.
struct LoadInfo {
  // Bits per sample as the file holds them (8 for JPEG and BMP files). Above
  // 8 the samples were reduced to 8 bits, each rounded to the nearest value.
  int32_t fileBitsPerSample = 0;

  bool Reduced() const { return fileBitsPerSample > 8; }
};

// Reads a PNG, JPEG, BMP, TIFF or binary PPM/PGM image; the type comes from
// the first bytes, never from the name. wantBits 0 gives grey files 8 bits
// and everything else 24; 8 turns colour into grey (0.1 B + 0.6 G + 0.3 R,
// truncated); 24 turns grey into B = G = R; other values fail. PNG palettes
// are expanded, 16-bit samples (PNG, TIFF, PPM/PGM with a maxval above 255)
// reduced to 8 bits and alpha dropped; CMYK JPEG and RLE-compressed BMP files
// are refused; a JPEG larger than the decoder allows is kErrorTooLarge; a
// TIFF gives its first page. The result is top-down with colour order 1.
// `info` (when given) tells what the file held. On failure the record and
// `info` are unchanged and `error` (when given) says why.
//
// Memory: a picture over the pixel limit is kErrorTooLarge and a raw file
// (PPM/PGM, BMP) whose header asks for more bytes than the file holds is
// kErrorCorrupt, both before anything sized by the header is allocated.
// PNG, JPEG, PPM/PGM and TIFF files are decoded from the file as it is read;
// a BMP file is read whole (in one read) and decoded from memory.
LVX_IMAGING_API int32_t LoadFile(const char* path, Bitmap* bitmap, int32_t wantBits, std::string* error = nullptr,
                                 LoadInfo* info = nullptr);
// The same for an image file held in memory (`size` bytes at `data`).
LVX_IMAGING_API int32_t LoadMemory(const void* data, size_t size, Bitmap* bitmap, int32_t wantBits,
                                   std::string* error = nullptr, LoadInfo* info = nullptr);

// Writes the picture upright in the given format at bitsPerPixel 8 or 24,
// converting as LoadFile does (0 keeps the bitmap's depth); quality (1..100)
// is read by JPEG only. The file is written under a temporary name and
// renamed into place (standin::ReplacementFile), so a failed save leaves
// any earlier file at `path` as it was, and only a regular file is ever
// replaced (a folder or a device at `path` is kErrorOpen). Once Ctrl-C or
// SIGTERM arrived (win32/interrupts.h) the save stops within one buffer of
// output and returns kErrorInterrupted; the message then ends in
// "interrupted".
LVX_IMAGING_API int32_t SaveFile(const char* path, const Bitmap* bitmap, FileFormat format, int32_t bitsPerPixel,
                                 int32_t quality, std::string* error = nullptr);
// The same keeping the bitmap's depth.
LVX_IMAGING_API int32_t SaveFile(const char* path, const Bitmap* bitmap, FileFormat format, int32_t quality,
                                 std::string* error = nullptr);

// Writes the picture as SaveFile does into `file`, which the caller opened
// and commits or discards: the file is finished (flushed and synced) but
// not renamed into place. On failure the caller discards it; the message
// gives the reason without the path.
LVX_IMAGING_API int32_t SaveToFile(standin::ReplacementFile* file, const Bitmap* bitmap, FileFormat format,
                                   int32_t bitsPerPixel, int32_t quality, std::string* error = nullptr);

// A picture to write that is not held in a Bitmap, handed to the writers a
// row at a time so that no whole copy of it is made: a top-down picture of
// 8 (grey) or 24 bits (B,G,R) per pixel. The writers read the same fields a
// Bitmap has, ask for the rows in any order (a BMP file is written bottom
// row first) and finish with each row before asking for the next.
class LVX_IMAGING_API RowSource {
public:
  RowSource(int32_t width, int32_t height, int32_t bitsPerPixel);
  virtual ~RowSource();
  RowSource(const RowSource&) = delete;
  RowSource& operator=(const RowSource&) = delete;

  // Row y of the picture, 0 at the top: width * bitsPerPixel / 8 bytes,
  // valid until the next call. Never null for 0 <= y < height.
  virtual const uint8_t* Row(int32_t y) = 0;
  // Row y of a 24-bit picture already in R,G,B order (width * 3 bytes,
  // valid until the next call), for a writer whose file holds R,G,B and
  // that would otherwise turn Row's B,G,R around; null (the default) when
  // the source has its rows only as B,G,R. A writer asks for each row one
  // way or the other.
  virtual const uint8_t* RgbRow(int32_t y);

  const int32_t width;
  const int32_t height;
  const int32_t bitsPerPixel; // 8 or 24
  const int32_t bytesPerLine; // as a Bitmap's: the row rounded up to 4 bytes
};

// Writes the rows' picture into `file` as SaveToFile does (finished, not
// renamed into place; the caller commits or discards it). kErrorBadArgument
// for a source without pixels, of another depth than 8 or 24 bits, of 2^31
// bytes or more, or a bad format or quality; the write's failures are those
// of SaveToFile.
LVX_IMAGING_API int32_t SaveRowsToFile(standin::ReplacementFile* file, RowSource* rows, FileFormat format,
                                       int32_t quality, std::string* error = nullptr);

// ---- Depth, rotation, transparency ----------------------------------------------

// Converts the pixels to 8 (grey, weighted as LoadFile) or 24 bits (grey v
// becomes v, v, v), keeping the row order. On failure the bitmap is unchanged.
LVX_IMAGING_API int32_t ChangeBpp(Bitmap* bitmap, int32_t bitsPerPixel, std::string* error = nullptr);

// Turns the picture by a multiple of 90 degrees; a positive angle turns it
// clockwise as seen (an arrow pointing up then points right). 90 and 270
// swap width and height; the row order is kept. The flag has no effect. Any
// other angle fails and leaves the bitmap unchanged.
LVX_IMAGING_API int32_t Rotate(Bitmap* bitmap, int32_t angle, bool flag, std::string* error = nullptr);

// Sets the key colour (0x00BBGGRR) that transparent painting skips. Only
// mode kTransparentColour is accepted; anything else leaves the record as it
// was. ClearTransparent removes the key.
LVX_IMAGING_API int32_t SetTransparent(Bitmap* bitmap, uint32_t colour, int32_t mode);
LVX_IMAGING_API int32_t ClearTransparent(Bitmap* bitmap);

// ---- Device contexts and painting ------------------------------------------------

// A memory device context over a 32-bit copy of the picture, upright (top
// row at y 0). Drawing into it changes the bitmap only when ReleaseDC writes
// the copy back. Null for a bitmap without pixels or when memory runs out.
LVX_IMAGING_API HDC GetDC(Bitmap* bitmap);
// Writes the context's pixels back into the bitmap in the bitmap's own row
// order (an 8-bit bitmap takes their grey) and ends the context.
// kErrorBadArgument, with the context left alone, for a context that GetDC
// did not make for this bitmap; a bitmap whose size changed meanwhile is not
// written (kErrorBadArgument) but the context is ended.
LVX_IMAGING_API int32_t ReleaseDC(Bitmap* bitmap, HDC dc);

// Draws the source rectangle of the picture (null: all of it) into the
// destination rectangle of the context (null: the source's size at (0, 0)),
// scaled by nearest neighbour and clipped to the context. Rectangles are in
// picture coordinates, top row 0, whatever the storage order; source pixels
// outside the picture draw nothing. Only SRCCOPY is accepted; empty or
// inverted rectangles are refused.
LVX_IMAGING_API int32_t Paint(HDC dc, const Bitmap* bitmap, const RECT* src, const RECT* dst, DWORD rop);
// Paint, leaving undrawn the pixels whose B,G,R equal the bitmap's
// transparent colour (every pixel is drawn when no key is set).
LVX_IMAGING_API int32_t PaintTransparent(HDC dc, const Bitmap* bitmap, const RECT* src, const RECT* dst);

// Replaces the record by a 24-bit copy of the context's pixels in `rect`
// (context coordinates), stored bottom-up as a device capture is: storage
// row 0 is the rectangle's bottom row. What lies outside the area the
// context may draw on is black. On failure the bitmap is unchanged.
LVX_IMAGING_API int32_t CreateFromDC(Bitmap* bitmap, HDC dc, const RECT* rect, std::string* error = nullptr);

// ---- Dialogs ---------------------------------------------------------------------

// The open-image dialog's parameter block: clear it, then set the flags and,
// to have the chosen file loaded, kOpenDialogLoad and an empty bitmap. The
// other flag bits choose how the dialog looks; the stand-in's open dialog
// has one look, so they are only logged.
constexpr uint32_t kOpenDialogLoad = 0x1;
struct OpenDialogParams {
  uint32_t flags = 0;
  Bitmap* bitmap = nullptr;
};

// Asks for an image file with the OPENFILENAMEA record (filters, title,
// initial folder, name buffer) through the Windows stand-in's open dialog:
// the answer comes from its file-dialog script, else (while windows are
// presented, or real dialogs are asked for) from its real window; the
// request is logged there as "open-image" with the parameter flags. On a choice the name buffer holds the path and,
// with kOpenDialogLoad, the file is loaded into params->bitmap at its natural depth. Results: kSuccess when a file was
// chosen (and loaded), kErrorCancelled, the load's failure status (the bitmap then unchanged), or kErrorBadArgument for
// a missing record, name buffer or bitmap.
LVX_IMAGING_API int32_t OpenDialog(OPENFILENAMEA* ofn, OpenDialogParams* params);

// Scanner sources. This machine has none: both log their request
// ("twain-select", "twain-acquire") and return kErrorNoSource; the bitmap
// is not filled. A test source stands in for a scanner: each file queued
// with QueueTwainImage is what one later TwainAcquire loads into the bitmap
// (the load's status, kSuccess when it loaded), oldest first.
LVX_IMAGING_API int32_t TwainSelect(HWND owner);
LVX_IMAGING_API int32_t TwainAcquire(HWND owner, Bitmap* bitmap);
LVX_IMAGING_API void QueueTwainImage(const char* path);

} // namespace imaging
