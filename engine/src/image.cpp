#include "image.h"

#include "alloc.h"
#include "rect.h"
#include "status.h"

namespace lvx {
namespace {

ImageDesc Typed(int32_t kind, uint8_t* data, int32_t rows, int32_t columns, int16_t channels, int16_t elementSize,
                ptrdiff_t rowStride, ptrdiff_t pixelStride, ptrdiff_t channelStride)
{
  ImageDesc d;
  d.kind = kind;
  d.data = data;
  d.rows = rows;
  d.columns = columns;
  d.channels = channels;
  d.elementSize = elementSize;
  d.rowStride = rowStride;
  d.pixelStride = pixelStride;
  d.channelStride = channelStride;
  return d;
}

// One channel of `elementSize`-byte elements in the given layout.
ImageDesc Laid(int32_t kind, uint8_t* data, int32_t rows, int32_t columns, int16_t elementSize, RowLayout layout)
{
  ptrdiff_t rowBytes =
      layout == RowLayout::Contiguous ? ptrdiff_t(columns) * elementSize : PaddedRowBytes(columns, elementSize);
  ImageDesc d = Typed(kind, data, rows, columns, 1, elementSize, rowBytes, elementSize, 1);
  if (layout == RowLayout::PaddedBottomUp) {
    if (rows > 0 && data)
      d.data = data + ptrdiff_t(rows - 1) * rowBytes;
    d.rowStride = -rowBytes;
  }
  return d;
}

// Allocates rows x |row stride| bytes for `d`, whose data currently points at
// offset 0 of the intended buffer layout; fixes data for bottom-up forms.
ImageDesc Owned(ImageDesc d)
{
  ptrdiff_t rowBytes = d.rowStride < 0 ? -d.rowStride : d.rowStride;
  size_t rows = d.rows > 0 ? size_t(d.rows) : 0;
  size_t bytes = rows * size_t(rowBytes);
  if (rowBytes != 0 && bytes / size_t(rowBytes) != rows)
    return EmptyImage();
  uint8_t* block = static_cast<uint8_t*>(Allocate(bytes));
  if (!block)
    return EmptyImage();
  d.data = d.rowStride < 0 && d.rows > 0 ? block + ptrdiff_t(d.rows - 1) * rowBytes : block;
  d.ownsBuffer = 1;
  return d;
}

ImageDesc AsView(ImageDesc d)
{
  d.ownsBuffer = 0;
  return d;
}

} // namespace

ptrdiff_t PaddedRowBytes(int32_t columns, int32_t elementSize)
{
  ptrdiff_t bytes = ptrdiff_t(columns > 0 ? columns : 0) * elementSize;
  return (bytes + 3) / 4 * 4;
}

ImageDesc EmptyImage() { return ImageDesc{}; }

ImageDesc GeneralView(uint8_t* data, int32_t rows, int32_t columns, int16_t channels, int16_t elementSize,
                      ptrdiff_t rowStride, ptrdiff_t pixelStride, ptrdiff_t channelStride)
{
  return Typed(kKindNone, data, rows, columns, channels, elementSize, rowStride, pixelStride, channelStride);
}

ImageDesc ElementView(uint8_t* data, int32_t rows, int32_t columns, int16_t elementSize, ptrdiff_t rowStride,
                      ptrdiff_t pixelStride)
{
  return Typed(kKindNone, data, rows, columns, 1, elementSize, rowStride, pixelStride, 1);
}

ImageDesc ElementViewContiguous(uint8_t* data, int32_t rows, int32_t columns, int16_t elementSize)
{
  return Laid(kKindNone, data, rows, columns, elementSize, RowLayout::Contiguous);
}

ImageDesc Plane8View(uint8_t* data, int32_t rows, int32_t columns, ptrdiff_t rowStride, ptrdiff_t pixelStride)
{
  return Typed(kKindPlane8, data, rows, columns, 1, 1, rowStride, pixelStride, 1);
}

ImageDesc Plane8View(uint8_t* data, int32_t rows, int32_t columns, RowLayout layout)
{
  return Laid(kKindPlane8, data, rows, columns, 1, layout);
}

ImageDesc Plane16View(uint8_t* data, int32_t rows, int32_t columns, ptrdiff_t rowStride, ptrdiff_t pixelStride)
{
  return Typed(kKindPlane16, data, rows, columns, 1, 2, rowStride, pixelStride, 1);
}

ImageDesc Plane16View(uint8_t* data, int32_t rows, int32_t columns, RowLayout layout)
{
  return Laid(kKindPlane16, data, rows, columns, 2, layout);
}

ImageDesc ColourView(uint8_t* data, int32_t rows, int32_t columns, int16_t elementSize, ptrdiff_t startOffset,
                     ptrdiff_t rowStride, ptrdiff_t pixelStride)
{
  ImageDesc d =
      Typed(kKindColour, data ? data + startOffset : data, rows, columns, 1, elementSize, rowStride, pixelStride, 1);
  d.startOffset = startOffset;
  return d;
}

ImageDesc ColourView(uint8_t* data, int32_t rows, int32_t columns, RowLayout layout)
{
  return Laid(kKindColour, data, rows, columns, 3, layout);
}

ImageDesc DibColourView(uint8_t* data, int32_t width, int32_t height)
{
  if (height < 0)
    return EmptyImage();
  return ColourView(data, height, width < 0 ? -width : width,
                    width < 0 ? RowLayout::PaddedBottomUp : RowLayout::Padded);
}

ImageDesc CallerImage(uint8_t* data, int32_t rows, int32_t columns, ptrdiff_t rowBytes, ptrdiff_t pixelBytes)
{
  return Typed(kKindColour, data, rows, columns, 1, 3, rowBytes, pixelBytes, 1);
}

ImageDesc AllocImage(int32_t kind, int32_t rows, int32_t columns, int16_t channels, int16_t elementSize)
{
  ptrdiff_t pixel = ptrdiff_t(channels) * elementSize;
  ImageDesc d = Typed(kind, nullptr, rows, columns, channels, elementSize, ptrdiff_t(columns > 0 ? columns : 0) * pixel,
                      pixel, elementSize);
  return Owned(d);
}

ImageDesc AllocPlane8(int32_t rows, int32_t columns)
{
  return Owned(Plane8View(nullptr, rows, columns, RowLayout::Contiguous));
}
ImageDesc AllocPlane16(int32_t rows, int32_t columns)
{
  return Owned(Plane16View(nullptr, rows, columns, RowLayout::Contiguous));
}
ImageDesc AllocColour(int32_t rows, int32_t columns)
{
  return Owned(ColourView(nullptr, rows, columns, RowLayout::Contiguous));
}
ImageDesc AllocDibColour(int32_t width, int32_t height)
{
  if (height < 0)
    return EmptyImage();
  return Owned(DibColourView(nullptr, width, height));
}
ImageDesc AllocPlanes8(int32_t rows, int32_t columns, int16_t channels)
{
  return AllocImage(kKindPlanes8, rows, columns, channels, 1);
}
ImageDesc AllocWorking(int32_t rows, int32_t columns) { return AllocImage(kKindWorking, rows, columns, 1, 4); }

ImageDesc LightnessPlane(const ImageDesc& working)
{
  return AsView(Plane16View(working.data, working.rows, working.columns, working.rowStride, working.pixelStride));
}

ImageDesc SaturationPlane(const ImageDesc& working)
{
  ImageDesc d = Plane8View(working.data ? working.data + 2 : nullptr, working.rows, working.columns, working.rowStride,
                           working.pixelStride);
  d.startOffset = 2;
  return d;
}

ImageDesc HuePlane(const ImageDesc& working)
{
  ImageDesc d = Plane8View(working.data ? working.data + 3 : nullptr, working.rows, working.columns, working.rowStride,
                           working.pixelStride);
  d.startOffset = 3;
  return d;
}

ImageDesc ChannelView(const ImageDesc& colour, int c)
{
  if (colour.kind != kKindColour || c < 0 || c > 2)
    return EmptyImage();
  int byte = 2 - c;
  ImageDesc d = Plane8View(colour.data ? colour.data + byte : nullptr, colour.rows, colour.columns, colour.rowStride,
                           colour.pixelStride);
  d.startOffset = colour.startOffset + byte;
  return d;
}

ImageDesc ColourReView(const ImageDesc& colour)
{
  ImageDesc d = AsView(colour);
  d.startOffset = 0;
  return d;
}

ImageDesc PlanarView(const ImageDesc& colour)
{
  ImageDesc d = AsView(colour);
  d.kind = kKindPlanes8;
  d.channels = 3;
  d.elementSize = 1;
  d.channelStride = 1;
  return d;
}

ImageDesc PlanarViewOfPlane(const ImageDesc& plane)
{
  ImageDesc d = AsView(plane);
  d.kind = kKindPlanes8;
  d.channels = 1;
  return d;
}

ImageDesc PlanarChannel(const ImageDesc& planes, int k)
{
  if (planes.kind != kKindPlanes8 || k < 0 || k >= planes.channels)
    return EmptyImage();
  ImageDesc d = Plane8View(planes.data ? planes.data + k * planes.channelStride : nullptr, planes.rows, planes.columns,
                           planes.rowStride, planes.pixelStride);
  d.startOffset = planes.startOffset + k * planes.channelStride;
  return d;
}

ImageDesc RectView(const ImageDesc& image, const AdjustRect& r)
{
  ImageDesc d = AsView(image);
  if (d.data)
    d.data = image.At(r.top, r.left);
  d.rows = r.bottom - r.top;
  d.columns = r.right - r.left;
  return d;
}

ImageDesc OffsetRectView(const ImageDesc& image, const AdjustRect& r, int32_t dx, int32_t dy)
{
  return RectView(image, AdjustRect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy});
}

ImageDesc DecimatedView(const ImageDesc& image, const AdjustRect& r, int32_t d)
{
  if (d < 1 || RectIsEmpty(r))
    return EmptyImage();
  AdjustRect a = AlignRectToStepPlusOne(r, d);
  ImageDesc v = RectView(image, a);
  v.rows = (v.rows - 1) / d + 1;
  v.columns = (v.columns - 1) / d + 1;
  v.rowStride *= d;
  v.pixelStride *= d;
  return v;
}

ImageDesc QuarterTurn(const ImageDesc& image)
{
  ImageDesc d = AsView(image);
  d.rows = image.columns;
  d.columns = image.rows;
  if (image.data && image.rows > 0)
    d.data = image.Row(image.rows - 1);
  d.rowStride = image.pixelStride;
  d.pixelStride = -image.rowStride;
  return d;
}

ImageDesc HalfTurn(const ImageDesc& image) { return QuarterTurn(QuarterTurn(image)); }
ImageDesc ThreeQuarterTurn(const ImageDesc& image) { return QuarterTurn(HalfTurn(image)); }

void FreeImage(ImageDesc& image)
{
  if (image.ownsBuffer && image.data) {
    uint8_t* lowest = image.data;
    if (image.rowStride < 0 && image.rows > 0)
      lowest += ptrdiff_t(image.rows - 1) * image.rowStride;
    if (image.pixelStride < 0 && image.columns > 0)
      lowest += ptrdiff_t(image.columns - 1) * image.pixelStride;
    if (image.channelStride < 0 && image.channels > 0)
      lowest += ptrdiff_t(image.channels - 1) * image.channelStride;
    Release(lowest);
  }
  image = EmptyImage();
}

void FreeImageIf(ImageDesc& image, bool ask, bool made)
{
  if (ask && made)
    FreeImage(image);
}

int CheckKind(const ImageDesc& image, int32_t kind) { return image.kind == kind ? kStatusOk : kStatusBadArgument; }

int MakeLike(const ImageDesc& src, ImageDesc& dst, int32_t srcKind, int32_t dstKind, bool* made)
{
  if (made)
    *made = false;
  if (src.kind != srcKind)
    return kStatusBadArgument;
  if (dst.Allocated())
    return dst.kind == dstKind && SameSize(src, dst) ? kStatusOk : kStatusBadArgument;
  ImageDesc fresh;
  switch (dstKind) {
  case kKindPlane8: fresh = AllocPlane8(src.rows, src.columns); break;
  case kKindPlane16: fresh = AllocPlane16(src.rows, src.columns); break;
  case kKindColour: fresh = AllocColour(src.rows, src.columns); break;
  case kKindWorking: fresh = AllocWorking(src.rows, src.columns); break;
  default:
    if (dstKind != srcKind)
      return kStatusBadArgument;
    fresh = AllocImage(dstKind, src.rows, src.columns, src.channels, src.elementSize);
    break;
  }
  if (!fresh.Allocated())
    return kStatusNoMemory;
  dst = fresh;
  if (made)
    *made = true;
  return kStatusOk;
}

uint8_t* RowStart(const ImageDesc& image, int64_t y) { return image.Row(y); }
uint8_t* PixelOfRow(const ImageDesc& image, uint8_t* row, int64_t x) { return row + x * image.pixelStride; }
uint8_t* LastPixelOfRow(const ImageDesc& image, uint8_t* row)
{
  return row + ptrdiff_t(image.columns - 1) * image.pixelStride;
}
uint8_t* ColumnBottom(const ImageDesc& image, int64_t x) { return image.At(image.rows - 1, x); }

bool SameSize(const ImageDesc& a, const ImageDesc& b) { return a.rows == b.rows && a.columns == b.columns; }
bool SameKind(const ImageDesc& a, const ImageDesc& b) { return a.kind == b.kind; }
bool SameLayout(const ImageDesc& a, const ImageDesc& b)
{
  return a.kind == b.kind && SameSize(a, b) && a.channels == b.channels && a.elementSize == b.elementSize &&
         a.channelStride == b.channelStride && a.pixelStride == b.pixelStride;
}

} // namespace lvx
