#pragma once
// Image descriptions: the one value type through which the engine sees
// pixels. A description is a pointer, a size and three byte strides; views
// (a channel, a rectangle, a rotation, a plane of the working image) are new
// descriptions over the same bytes, and the allocating forms make
// descriptions that own their buffer. Byte offsets are ptrdiff_t throughout,
// so large images never overflow an offset.
#include "lumivex.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lvx {

enum ImageKind : int32_t {
  kKindNone = 0,     // empty or untyped
  kKindPlane8 = 1,   // one 8-bit channel
  kKindPlane16 = 2,  // one 16-bit channel
  kKindColour = 3,   // packed B,G,R pixels: byte 0 blue, 1 green, 2 red
  kKindPlanes8 = 9,  // several 8-bit channels
  kKindWorking = 101 // working-space pixels, 4 bytes each (colorspace.h)
};

struct ImageDesc {
  int32_t kind = kKindNone;
  uint8_t* data = nullptr; // the first element of the first row as seen
  int32_t rows = 0;
  int32_t columns = 0;
  int16_t channels = 0;
  int16_t elementSize = 1;
  // How far a channel view moved `data` from the start of its pixel.
  ptrdiff_t startOffset = 0;
  // Negative row stride: rows stored bottom-up, data at the first row as seen.
  ptrdiff_t rowStride = 1;
  ptrdiff_t pixelStride = 1;
  ptrdiff_t channelStride = 1;
  int32_t ownsBuffer = 0;

  bool Allocated() const { return data != nullptr; }
  uint8_t* Row(int64_t y) const { return data + y * rowStride; }
  uint8_t* At(int64_t y, int64_t x) const { return data + y * rowStride + x * pixelStride; }
  int64_t PixelCount() const { return rows > 0 && columns > 0 ? int64_t(rows) * columns : 0; }
};

// One 16-bit element (a lightness, a label) read or written at any alignment.
inline uint16_t Load16(const uint8_t* p)
{
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
inline void Store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

// ---- Constructors and views (none checks its arguments unless stated) ------
ImageDesc EmptyImage();
// Every field given; kind 0, not owning.
ImageDesc GeneralView(uint8_t* data, int32_t rows, int32_t columns, int16_t channels, int16_t elementSize,
                      ptrdiff_t rowStride, ptrdiff_t pixelStride, ptrdiff_t channelStride);
ImageDesc ElementView(uint8_t* data, int32_t rows, int32_t columns, int16_t elementSize, ptrdiff_t rowStride,
                      ptrdiff_t pixelStride);
ImageDesc ElementViewContiguous(uint8_t* data, int32_t rows, int32_t columns, int16_t elementSize);

// Layout forms shared by the 8-bit, 16-bit and colour views: contiguous (row
// stride = columns x element size), padded (rows rounded up to 4 bytes) and
// padded bottom-up (negative row stride, data at the last stored row).
enum class RowLayout { Contiguous, Padded, PaddedBottomUp };
ptrdiff_t PaddedRowBytes(int32_t columns, int32_t elementSize); // rounded up to a multiple of 4

ImageDesc Plane8View(uint8_t* data, int32_t rows, int32_t columns, ptrdiff_t rowStride, ptrdiff_t pixelStride);
ImageDesc Plane8View(uint8_t* data, int32_t rows, int32_t columns, RowLayout layout);
ImageDesc Plane16View(uint8_t* data, int32_t rows, int32_t columns, ptrdiff_t rowStride, ptrdiff_t pixelStride);
ImageDesc Plane16View(uint8_t* data, int32_t rows, int32_t columns, RowLayout layout);
// Colour view; `startOffset` bytes are added to data (and recorded).
ImageDesc ColourView(uint8_t* data, int32_t rows, int32_t columns, int16_t elementSize, ptrdiff_t startOffset,
                     ptrdiff_t rowStride, ptrdiff_t pixelStride);
ImageDesc ColourView(uint8_t* data, int32_t rows, int32_t columns, RowLayout layout);
// Device-independent colour layout: rows padded to 4 bytes; a negative width
// selects the bottom-up form; a negative height gives the empty description.
ImageDesc DibColourView(uint8_t* data, int32_t width, int32_t height);
// The caller's buffer exactly as passed: colour kind, 3-byte elements.
ImageDesc CallerImage(uint8_t* data, int32_t rows, int32_t columns, ptrdiff_t rowBytes, ptrdiff_t pixelBytes);

// ---- Allocating forms: a fresh owning buffer, data null on failure --------
ImageDesc AllocImage(int32_t kind, int32_t rows, int32_t columns, int16_t channels, int16_t elementSize);
ImageDesc AllocPlane8(int32_t rows, int32_t columns);
ImageDesc AllocPlane16(int32_t rows, int32_t columns);
ImageDesc AllocColour(int32_t rows, int32_t columns);
ImageDesc AllocDibColour(int32_t width, int32_t height); // row bytes floor((3|width| + 3) / 4) * 4
ImageDesc AllocPlanes8(int32_t rows, int32_t columns, int16_t channels);
ImageDesc AllocWorking(int32_t rows, int32_t columns);

// ---- Views of existing descriptions ----------------------------------------
// Lightness (bytes 0-1, 16-bit), saturation (byte 2) and hue (byte 3) planes
// of a working image.
ImageDesc LightnessPlane(const ImageDesc& working);
ImageDesc SaturationPlane(const ImageDesc& working);
ImageDesc HuePlane(const ImageDesc& working);
// Channel c of a colour image: 0 red (byte 2), 1 green (byte 1), 2 blue
// (byte 0); empty for any other kind or c.
ImageDesc ChannelView(const ImageDesc& colour, int c);
// The colour image with its start offset folded into its base.
ImageDesc ColourReView(const ImageDesc& colour);
// A colour image as three 8-bit channels one byte apart (channel k = byte k).
ImageDesc PlanarView(const ImageDesc& colour);
// An 8-bit plane as a one-channel kind-9 description.
ImageDesc PlanarViewOfPlane(const ImageDesc& plane);
// Channel k of a kind-9 description as an 8-bit plane; empty when k is out of
// range.
ImageDesc PlanarChannel(const ImageDesc& planes, int k);
ImageDesc RectView(const ImageDesc& image, const AdjustRect& r);
ImageDesc OffsetRectView(const ImageDesc& image, const AdjustRect& r, int32_t dx, int32_t dy);
// Every d-th pixel of `r` after shrinking it to k * d + 1 pixels, centred.
ImageDesc DecimatedView(const ImageDesc& image, const AdjustRect& r, int32_t d);
// View row i is source column i read from the bottom up.
ImageDesc QuarterTurn(const ImageDesc& image);
ImageDesc HalfTurn(const ImageDesc& image);
ImageDesc ThreeQuarterTurn(const ImageDesc& image);

// ---- Lifetime and checks ----------------------------------------------------
// Frees an owning description's buffer at its lowest address and resets the
// description to empty; a view is only reset.
void FreeImage(ImageDesc& image);
// Frees only when asked and when `made` says the caller made the buffer.
void FreeImageIf(ImageDesc& image, bool ask, bool made);
// An image description freed when it goes out of scope (a view is only
// reset), so that a working plane is given back on every path.
struct ScopedImage {
  ImageDesc desc;
  ScopedImage() = default;
  ScopedImage(const ScopedImage&) = delete;
  ScopedImage& operator=(const ScopedImage&) = delete;
  ~ScopedImage() { FreeImage(desc); }
};
// 0, or kStatusBadArgument when the kinds differ.
int CheckKind(const ImageDesc& image, int32_t kind);
// Prepares `dst` to receive a result computed from `src`. An allocated dst must
// have dstKind and src's rows and columns (else kStatusBadArgument) and is used
// as it is; an empty dst is allocated at src's size (kStatusNoMemory on
// failure) and *made is set. src must have srcKind (else kStatusBadArgument).
int MakeLike(const ImageDesc& src, ImageDesc& dst, int32_t srcKind, int32_t dstKind, bool* made = nullptr);

uint8_t* RowStart(const ImageDesc& image, int64_t y);
uint8_t* PixelOfRow(const ImageDesc& image, uint8_t* row, int64_t x);
uint8_t* LastPixelOfRow(const ImageDesc& image, uint8_t* row);
uint8_t* ColumnBottom(const ImageDesc& image, int64_t x);

bool SameSize(const ImageDesc& a, const ImageDesc& b);
bool SameKind(const ImageDesc& a, const ImageDesc& b);
bool SameLayout(const ImageDesc& a, const ImageDesc& b); // kind, size, element layout and pixel stride

} // namespace lvx
