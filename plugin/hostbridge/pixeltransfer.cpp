// Moving pixels between the host's buffers and the shell's 24-bit image,
// the host-drawn preview and the host's colour picker (see
// filterpluginshell.h).
//
// The host's buffers hold `planes` interleaved bytes per pixel: grey (G),
// RGB (R, G, B) or CMYK (C, M, Y, K), then the transparency plane when the
// host sends one, then planes this plug-in does not touch. The image holds
// B, G, R. Offsets into either are worked out in 64 bits.
#include "filterpluginshell.h"

#include "hostutil.h"
#include "imaging/imaging.h"
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvpaintdevice.h"
#include "qvcommon/qvpoint.h"
#include "qvcommon/qvrect.h"
#include "qvcommon/qvwindow.h"
#include "win32/hugepages.h"

#include <algorithm>
#include <climits>
#include <new>

namespace {

int32_t Width(const Rect16& r) { return r.right - r.left; }
int32_t Height(const Rect16& r) { return r.bottom - r.top; }

// A colour component as a byte: clamped, not cut to its low byte.
uint8_t ComponentByte(int16_t value) { return static_cast<uint8_t>(std::clamp<int16_t>(value, 0, 255)); }

template <class Byte>
Byte* RowOf(Byte* base, int32_t y, int32_t rowBytes)
{
  return base + static_cast<int64_t>(y) * rowBytes;
}

// Row conversions between the host's interleaved planes (`planes` bytes a
// pixel) and the image's B, G, R. Each works on one row of `width` pixels;
// the CMYK ones return the colour services' first failure, leaving the rest
// of the row unwritten.

void RgbRowToImage(const uint8_t* source, int32_t planes, int32_t width, uint8_t* target)
{
  if (planes == 3)
    return imaging::SwapRedBlue(source, target, static_cast<size_t>(width));
  for (int32_t x = 0; x < width; ++x, source += planes, target += 3) {
    target[0] = source[2];
    target[1] = source[1];
    target[2] = source[0];
  }
}

void GreyRowToImage(const uint8_t* source, int32_t planes, int32_t width, uint8_t* target)
{
  for (int32_t x = 0; x < width; ++x, source += planes, target += 3)
    target[0] = target[1] = target[2] = source[0];
}

int16_t CmykRowToImage(ColorServicesProc services, const uint8_t* source, int32_t planes, int32_t width,
                       uint8_t* target)
{
  for (int32_t x = 0; x < width; ++x, source += planes, target += 3) {
    int16_t components[4] = {source[0], source[1], source[2], source[3]};
    const int16_t code = hostif::ConvertColor(services, colorSpaceCMYK, colorSpaceRGB, components);
    if (code != noErr)
      return code;
    target[0] = ComponentByte(components[2]);
    target[1] = ComponentByte(components[1]);
    target[2] = ComponentByte(components[0]);
  }
  return noErr;
}

void ImageRowToRgb(const uint8_t* source, int32_t width, int32_t planes, uint8_t* target)
{
  if (planes == 3)
    return imaging::SwapRedBlue(source, target, static_cast<size_t>(width));
  for (int32_t x = 0; x < width; ++x, source += 3, target += planes) {
    target[0] = source[2];
    target[1] = source[1];
    target[2] = source[0];
  }
}

void ImageRowToGrey(const uint8_t* source, int32_t width, int32_t planes, uint8_t* target)
{
  for (int32_t x = 0; x < width; ++x, source += 3, target += planes)
    target[0] = source[0];
}

int16_t ImageRowToCmyk(ColorServicesProc services, const uint8_t* source, int32_t width, int32_t planes,
                       uint8_t* target)
{
  for (int32_t x = 0; x < width; ++x, source += 3, target += planes) {
    int16_t components[4] = {source[2], source[1], source[0], 0};
    const int16_t code = hostif::ConvertColor(services, colorSpaceRGB, colorSpaceCMYK, components);
    if (code != noErr)
      return code;
    for (int i = 0; i < 4; ++i)
      target[i] = ComponentByte(components[i]);
  }
  return noErr;
}

// One plane of a row of interleaved pixels into a row of bytes, and back.
void PlaneOfRow(const uint8_t* source, int32_t planes, int32_t width, uint8_t* target)
{
  for (int32_t x = 0; x < width; ++x, source += planes)
    target[x] = *source;
}

void RowToPlane(const uint8_t* source, int32_t width, int32_t planes, uint8_t* target)
{
  for (int32_t x = 0; x < width; ++x, target += planes)
    *target = source[x];
}

} // namespace

bool FilterPlugInShell::TransferFailed(int16_t code)
{
  if (transferStatus == noErr)
    transferStatus = code;
  return false;
}

bool FilterPlugInShell::BufferUsable(const void* data, int32_t rowBytes, int32_t width) const
{
  return data && int64_t{rowBytes} >= int64_t{width} * filterRecord->planes;
}

void FilterPlugInShell::ReleaseMask()
{
  if (maskBuffer)
    hostif::DisposePtr(reinterpret_cast<Ptr>(maskBuffer));
  maskBuffer = nullptr;
  maskBytes = 0;
}

bool FilterPlugInShell::RequestInput()
{
  FilterRecord& r = *filterRecord;
  r.inLoPlane = 0;
  r.inHiPlane = static_cast<int16_t>(r.planes - 1);
  r.outLoPlane = 0;
  r.outHiPlane = 0;
  r.inputRate = 0x10000;
  r.maskRate = 0;
  r.inputPadding = 0;
  hostif::SetRect(&r.outRect, 0, 0, 0, 0);
  hostif::SetRect(&r.maskRect, 0, 0, 0, 0);
  r.inRect = r.filterRect;
  const int16_t code = AdvanceState();
  return code == noErr || TransferFailed(code);
}

bool FilterPlugInShell::RequestOutput()
{
  FilterRecord& r = *filterRecord;
  r.inLoPlane = 0;
  r.inHiPlane = 0;
  r.outLoPlane = 0;
  r.outHiPlane = static_cast<int16_t>(r.planes - 1);
  r.inputRate = 0;
  r.maskRate = 0;
  r.outputPadding = 0;
  hostif::SetRect(&r.inRect, 0, 0, 0, 0);
  hostif::SetRect(&r.maskRect, 0, 0, 0, 0);
  r.outRect = r.filterRect;
  const int16_t code = AdvanceState();
  return code == noErr || TransferFailed(code);
}

bool FilterPlugInShell::AcquireImage(int, QVWindow*)
{
  // Whatever happens below, the previous Start's image is not the one the
  // application will correct and deliver.
  delete image;
  image = nullptr;
  ReleaseMask();
  if (!filterRecord || !RequestInput())
    return false;
  const FilterRecord& r = *filterRecord;
  const int32_t width = Width(r.filterRect), height = Height(r.filterRect);
  if (width <= 0 || height <= 0) {
    image = new (std::nothrow) QVImage();
    if (!image)
      return TransferFailed(memFullErr);
    image->width = std::max(width, 0);
    image->height = std::max(height, 0);
    image->bytesPerPixel = 3;
    return true;
  }
  if (!BufferUsable(r.inData, r.inRowBytes, width))
    return TransferFailed(filterBadParameters);
  image = new (std::nothrow) QVImage(width, height, 3, nullptr);
  const int64_t pixels = int64_t{width} * height;
  if (image && !image->error && image->HasPixels() && r.inTransparencyMask) {
    maskBuffer =
        pixels <= INT32_MAX ? reinterpret_cast<uint8_t*>(hostif::NewPtr(static_cast<int32_t>(pixels))) : nullptr;
    maskBytes = maskBuffer ? pixels : 0;
  }
  if (!image || image->error || !image->HasPixels() || (r.inTransparencyMask && !maskBuffer)) {
    delete image;
    image = nullptr;
    return TransferFailed(memFullErr);
  }

  // The image is new and filled row by row below.
  standin::AdviseHugePages(image->pixels, static_cast<size_t>(image->rowBytes) * static_cast<size_t>(height));
  const int16_t colours = hostif::ModeToPlanes(r.imageMode, 0);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* source = RowOf(static_cast<const uint8_t*>(r.inData), y, r.inRowBytes);
    uint8_t* target = RowOf(image->pixels, y, image->rowBytes);
    if (r.imageMode == plugInModeRGBColor) {
      RgbRowToImage(source, r.planes, width, target);
    } else if (r.imageMode == plugInModeGrayScale) {
      GreyRowToImage(source, r.planes, width, target);
    } else {
      const int16_t code = CmykRowToImage(r.colorServices, source, r.planes, width, target);
      if (code != noErr) {
        delete image;
        image = nullptr;
        ReleaseMask();
        return TransferFailed(code);
      }
    }
    if (maskBuffer)
      PlaneOfRow(source + colours, r.planes, width, maskBuffer + static_cast<int64_t>(y) * width);
  }
  return true;
}

bool FilterPlugInShell::DeliverImage(QVImage*, QVFileSpec*, QVWindow*)
{
  if (!filterRecord)
    return false;
  FilterRecord& r = *filterRecord;
  const int32_t width = Width(r.filterRect), height = Height(r.filterRect);
  const bool empty = width <= 0 || height <= 0;
  const bool matches =
      image && image->width == std::max(width, 0) && image->height == std::max(height, 0) &&
      (empty || (image->HasPixels() && image->bytesPerPixel == 3 && int64_t{image->rowBytes} >= int64_t{width} * 3)) &&
      (!maskBuffer || maskBytes == int64_t{width} * height);
  if (!matches)
    return TransferFailed(filterBadParameters);
  if (!RequestOutput())
    return false;
  if (empty)
    return true;
  if (!BufferUsable(r.outData, r.outRowBytes, width))
    return TransferFailed(filterBadParameters);

  const int16_t colours = hostif::ModeToPlanes(r.imageMode, 0);
  for (int32_t y = 0; y < height; ++y) {
    if (r.progressProc)
      r.progressProc(y, height);
    const uint8_t* source = RowOf(static_cast<const uint8_t*>(image->pixels), y, image->rowBytes);
    uint8_t* target = RowOf(static_cast<uint8_t*>(r.outData), y, r.outRowBytes);
    if (r.imageMode == plugInModeRGBColor) {
      ImageRowToRgb(source, width, r.planes, target);
    } else if (r.imageMode == plugInModeGrayScale) {
      ImageRowToGrey(source, width, r.planes, target);
    } else {
      const int16_t code = ImageRowToCmyk(r.colorServices, source, width, r.planes, target);
      if (code != noErr)
        return TransferFailed(code);
    }
    if (maskBuffer)
      RowToPlane(maskBuffer + static_cast<int64_t>(y) * width, width, r.planes, target + colours);
  }
  return true;
}

bool FilterPlugInShell::DisplayPixels(QVPaintDevice& device, QVRect source, QVPoint destination, QVImage* picture,
                                      QVImage* mask)
{
  if (!filterRecord || !filterRecord->displayPixels || !picture || !picture->HasPixels() ||
      picture->bytesPerPixel != 3 || !hostif::HostIdentified(FourCC("8BIM")))
    return false;
  // The part of the source inside the image, drawn where it would have
  // landed unclipped.
  const int32_t top = std::max(source.Top(), 0), left = std::max(source.Left(), 0);
  const int32_t bottom = std::min(source.Bottom(), picture->height), right = std::min(source.Right(), picture->width);
  if (bottom <= top || right <= left)
    return false;
  PSPixelMap map{};
  map.version = 1;
  map.bounds = Rect32{top, left, bottom, right};
  map.imageMode = plugInModeRGBColor;
  map.rowBytes = picture->rowBytes;
  map.colBytes = picture->bytesPerPixel;
  // From the red byte backwards: the host reads R, G, B from B, G, R.
  map.planeBytes = -1;
  map.baseAddr = RowOf(picture->pixels, top, picture->rowBytes) + int64_t{left} * 3 + 2;
  PSPixelMask opacity{};
  if (mask) {
    if (!mask->HasPixels() || mask->width < right || mask->height < bottom)
      return false;
    opacity.maskData = RowOf(mask->pixels, top, mask->rowBytes) + int64_t{left} * mask->bytesPerPixel;
    opacity.rowBytes = mask->rowBytes;
    opacity.colBytes = mask->bytesPerPixel;
    map.masks = &opacity;
  }
  const Rect32 area = map.bounds;
  return filterRecord->displayPixels(&map, &area, destination.Y() + (top - source.Top()),
                                     destination.X() + (left - source.Left()), device.GetHDC()) == noErr;
}

bool FilterPlugInShell::ChooseColor(QVWindow* owner, QVColor* colour)
{
  if (!filterRecord || !filterRecord->colorServices)
    return AppShell::ChooseColor(owner, colour);
  if (!colour)
    return false;
  int16_t components[4] = {colour->R(), colour->G(), colour->B(), 0};
  const int16_t code = hostif::CallColorServices(filterRecord->colorServices, colorServicesChooseColor, colorSpaceRGB,
                                                 colorSpaceRGB, components);
  if (code == noErr)
    colour->SetRGB(ComponentByte(components[0]), ComponentByte(components[1]), ComponentByte(components[2]));
  if (owner && owner->GetWnd())
    SetFocus(owner->GetWnd());
  return code == noErr;
}
