#include "qvcommon/qvimage.h"

#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvtwlfile.h"
#include "qvimage_internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <strings.h>

namespace {

// Every JPEG is written at this quality.
constexpr int32_t kJpegQuality = 90;

// The library writer for a file kind of QVFileSpec::GetLFileType; false for
// the kinds nothing writes.
bool WriterFor(int16_t kind, imaging::FileFormat* format)
{
  switch (kind) {
  case QVFileSpec::kBMP: *format = imaging::FileFormat::kBmp; return true;
  case QVFileSpec::kTIFF: *format = imaging::FileFormat::kTiff; return true;
  case QVFileSpec::kJPEG: *format = imaging::FileFormat::kJpeg; return true;
  default: return false;
  }
}

bool IsTWLPath(const char* path)
{
  const size_t length = std::strlen(path);
  return length >= 4 && strcasecmp(path + length - 4, ".twl") == 0;
}

// A mask is used only when it has pixels for the whole image.
bool MaskCovers(const QVImage* mask, int32_t width, int32_t height)
{
  return mask && mask->HasPixels() && mask->width >= width && mask->height >= height;
}

// Host buffers hold 1 (grey), 3 (R, G, B) or 4 (R, G, B, other) bytes per
// pixel in rows of at least width * pixelBytes bytes.
bool HostLayoutValid(const unsigned char* buffer, int32_t pixelBytes, int32_t bufferRowBytes, int32_t width)
{
  return buffer && (pixelBytes == 1 || pixelBytes == 3 || pixelBytes == 4) &&
         int64_t{bufferRowBytes} >= int64_t{width} * pixelBytes;
}

} // namespace

QVImage::QVImage() = default;

QVImage::QVImage(const QVImage* src)
{
  if (!src || !src->HasPixels()) {
    error = true;
    return;
  }
  viewTransform = src->viewTransform;
  baseToView = src->baseToView;
  viewToBase = src->viewToBase;
  extents = src->extents;
  ready = src->ready;
  rendered = src->rendered;
  height = src->height;
  width = src->width;
  bytesPerPixel = src->bytesPerPixel;
  rowBytes = src->rowBytes;
  rowPad = src->rowPad;
  viewShiftX = src->viewShiftX;
  viewShiftY = src->viewShiftY;
  zoomX = src->zoomX;
  zoomY = src->zoomY;
  wrap = src->wrap;
  std::memcpy(fillValue, src->fillValue, sizeof fillValue);
  displayHeader = src->displayHeader;
  CreateBuffer();
  if (pixels)
    std::memcpy(pixels, src->pixels, static_cast<size_t>(rowBytes) * static_cast<size_t>(height));
  else
    ready = false;
}

QVImage::QVImage(QVFileSpec& file, int32_t bitsPerPixel, bool previewOnly)
{
  Initialize();
  LoadFromFile(file, bitsPerPixel, previewOnly);
  ready = !error;
  if (error)
    ImageFreeBuffer();
}

QVImage::QVImage(int32_t newWidth, int32_t newHeight, int32_t bytes, const QVColor* colour)
{
  Initialize();
  if (!PrepareBuffer(newWidth, newHeight, bytes))
    return;
  const QVColor black;
  const QVColor& c = colour ? *colour : black;
  const unsigned char bgr[3] = {c.B(), c.G(), c.R()};
  const unsigned char* value = bytesPerPixel == 3 ? bgr : bgr + 2;
  // The buffer comes zeroed: a black image is already filled.
  if (std::all_of(value, value + bytesPerPixel, [](unsigned char b) { return b == 0; }))
    return;
  // The first row is filled pixel by pixel, the others copied from it.
  unsigned char* first = ImageRow(*this, 0);
  for (int32_t x = 0; x < width; ++x)
    std::memcpy(first + static_cast<ptrdiff_t>(x) * bytesPerPixel, value, static_cast<size_t>(bytesPerPixel));
  const size_t rowLength = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
  for (int32_t y = 1; y < height; ++y)
    std::memcpy(ImageRow(*this, y), first, rowLength);
}

QVImage::QVImage(const unsigned char* buffer, int32_t pixelBytes, int32_t bufferRowBytes, int32_t newWidth,
                 int32_t newHeight, int32_t extra, QVImage* mask)
{
  LoadFromBuffer(buffer, pixelBytes, bufferRowBytes, newWidth, newHeight, extra, mask);
}

QVImage::QVImage(imaging::Bitmap* bitmap)
{
  Initialize();
  leadBitmap = bitmap;
  LoadFromLeadBitmap();
  // The caller's record is empty now and may soon be gone: later file
  // operations use the image's own record.
  leadBitmap = &bitmapRecord;
  ready = !error;
  if (error)
    ImageFreeBuffer();
}

QVImage::~QVImage() { ImageFreeBuffer(); }

void QVImage::Initialize()
{
  ImageFreeBuffer();
  imaging::Free(&bitmapRecord);
  leadBitmap = &bitmapRecord;
  ready = rendered = wrap = error = false;
  height = width = bytesPerPixel = rowBytes = rowPad = 0;
  viewShiftX = viewShiftY = 0;
  zoomX = zoomY = 1.0;
  viewTransform.Clear();
  displayHeader = QVDisplayHeader{};
  std::memset(fillValue, 192, sizeof fillValue);
}

void QVImage::CreateBuffer()
{
  ImageFreeBuffer();
  GlobalBlock block(height > 0 && rowBytes > 0 ? int64_t{height} * rowBytes : 0);
  if (!block) {
    error = true;
    return;
  }
  pixels = block.As<unsigned char>();
  bufferHandle = block.Release();
}

void QVImage::ImageFreeBuffer()
{
  if (!bufferHandle)
    return;
  GlobalUnlock(bufferHandle);
  GlobalFree(bufferHandle);
  bufferHandle = nullptr;
  pixels = nullptr;
}

bool QVImage::PrepareBuffer(int32_t newWidth, int32_t newHeight, int32_t bytes)
{
  error = false;
  // 64-bit sizes: a 32-bit product would wrap for large images.
  const int64_t rowLength = int64_t{newWidth} * bytes;
  const int64_t paddedRow = (rowLength + 3) / 4 * 4;
  if (newWidth <= 0 || newHeight <= 0 || (bytes != 1 && bytes != 3) || paddedRow * newHeight > INT32_MAX) {
    ImageFreeBuffer();
    height = width = bytesPerPixel = rowBytes = rowPad = 0;
    displayHeader.bmiHeader.biWidth = displayHeader.bmiHeader.biHeight = 0;
    error = true;
    return false;
  }
  width = newWidth;
  height = newHeight;
  bytesPerPixel = bytes;
  rowBytes = static_cast<int32_t>(paddedRow);
  rowPad = static_cast<int32_t>(paddedRow - rowLength);
  displayHeader.bmiHeader.biWidth = width;
  displayHeader.bmiHeader.biHeight = -height;
  CreateBuffer();
  return HasPixels();
}

void QVImage::LoadFromBuffer(const unsigned char* buffer, int32_t pixelBytes, int32_t bufferRowBytes, int32_t newWidth,
                             int32_t newHeight, int32_t /*extra*/, QVImage* mask)
{
  if (!HostLayoutValid(buffer, pixelBytes, bufferRowBytes, newWidth)) {
    error = true;
    return;
  }
  // Whatever the host's layout, the image holds 3 bytes per pixel.
  if (!PrepareBuffer(newWidth, newHeight, 3))
    return;
  const bool toMask = pixelBytes == 4 && MaskCovers(mask, width, height);
  for (int32_t y = 0; y < height; ++y) {
    const unsigned char* s = buffer + static_cast<ptrdiff_t>(y) * bufferRowBytes;
    unsigned char* d = ImageRow(*this, y);
    unsigned char* m = toMask ? ImageRow(*mask, y) : nullptr;
    for (int32_t x = 0; x < width; ++x, s += pixelBytes, d += 3) {
      if (pixelBytes == 1) {
        d[0] = d[1] = d[2] = s[0];
        continue;
      }
      d[0] = s[2];
      d[1] = s[1];
      d[2] = s[0];
      if (m) {
        m[0] = s[3];
        m += mask->bytesPerPixel;
      }
    }
  }
}

void QVImage::SaveToBuffer(unsigned char* buffer, int32_t pixelBytes, int32_t bufferRowBytes, int32_t /*extra*/,
                           QVImage* mask)
{
  if (!HasPixels())
    return;
  if (!HostLayoutValid(buffer, pixelBytes, bufferRowBytes, width)) {
    error = true;
    return;
  }
  const bool fromMask = pixelBytes == 4 && MaskCovers(mask, width, height);
  // A grey pixel's one byte stands for red, green and blue alike.
  const int red = bytesPerPixel == 3 ? 2 : 0;
  const int green = bytesPerPixel == 3 ? 1 : 0;
  for (int32_t y = 0; y < height; ++y) {
    const unsigned char* s = ImageRow(*this, y);
    unsigned char* d = buffer + static_cast<ptrdiff_t>(y) * bufferRowBytes;
    const unsigned char* m = fromMask ? ImageRow(*mask, y) : nullptr;
    for (int32_t x = 0; x < width; ++x, s += bytesPerPixel, d += pixelBytes) {
      d[0] = s[red];
      if (pixelBytes == 1)
        continue;
      d[1] = s[green];
      d[2] = s[0];
      if (m) {
        d[3] = m[0];
        m += mask->bytesPerPixel;
      }
    }
  }
}

void QVImage::WriteRect(const QVRect& rect, unsigned char value)
{
  if (!HasPixels())
    return;
  const int32_t left = std::max(rect.Left(), 0);
  const int32_t right = std::min(rect.Right(), width);
  if (left >= right)
    return;
  for (int32_t y = std::max(rect.Top(), 0); y < std::min(rect.Bottom(), height); ++y)
    std::memset(ImagePixel(*this, left, y), value,
                static_cast<size_t>(right - left) * static_cast<size_t>(bytesPerPixel));
}

void QVImage::WriteCircle(const QVRect& rect, unsigned char value)
{
  if (!HasPixels())
    return;
  // 64-bit arithmetic: rectangles may span the whole 32-bit range. A point
  // inside the circle lies less than r from the centre on each axis, so the
  // sum of squares stays below 2^63.
  const int64_t r = (int64_t{rect.Right()} - rect.Left()) / 2;
  const int64_t centreX = rect.Left() + r;
  const int64_t centreY = rect.Top() + r;
  const int64_t reach = std::llabs(r);
  for (int32_t y = std::max(rect.Top(), 0); y < std::min(rect.Bottom(), height); ++y) {
    const int64_t dy = y - centreY;
    if (std::llabs(dy) >= reach)
      continue;
    for (int32_t x = std::max(rect.Left(), 0); x < std::min(rect.Right(), width); ++x) {
      const int64_t dx = x - centreX;
      if (std::llabs(dx) < reach && dx * dx + dy * dy < r * r)
        std::memset(ImagePixel(*this, x, y), value, static_cast<size_t>(bytesPerPixel));
    }
  }
}

int32_t QVImage::Save(QVFileSpec* file, int32_t bitsPerPixel)
{
  imaging::FileFormat format;
  char path[QVFileSpec::kPathSize];
  if (!HasPixels() || !file || !WriterFor(file->GetLFileType(), &format) || file->GetFullPath(path, sizeof path) != 0)
    return 0;
  imaging::Bitmap picture;
  if (imaging::Create(&picture, 1, width, height, bytesPerPixel * 8, 1) != imaging::kSuccess)
    return 0;
  imaging::BeginRows(&picture);
  for (int32_t y = 0; y < height; ++y)
    imaging::PutRow(&picture, ImageRow(*this, y), y, picture.bytesPerLine);
  imaging::EndRows(&picture);
  const int32_t bits = bitsPerPixel == 0 ? bytesPerPixel * 8 : bitsPerPixel;
  return imaging::SaveFile(path, &picture, format, bits, kJpegQuality) == imaging::kSuccess ? 1 : 0;
}

int16_t QVImage::ReadTWLFile(QVFileSpec& file, TWLHeaderDataRecord** header, unsigned char** data)
{
  if (!header || !data)
    return kTWLError;
  *header = nullptr;
  *data = nullptr;
  char path[QVFileSpec::kPathSize];
  if (file.GetFullPath(path, sizeof path) != 0)
    return kTWLError;
  return ::ReadTWLFile(path, header, data);
}

void QVImage::LoadFromFile(QVFileSpec& file, int32_t bitsPerPixel, bool previewOnly)
{
  char path[QVFileSpec::kPathSize];
  bool loaded = false;
  if (file.GetFullPath(path, sizeof path) == 0) {
    if (!IsTWLPath(path)) {
      loaded = imaging::LoadFile(path, leadBitmap, bitsPerPixel) == imaging::kSuccess;
    } else if (previewOnly) {
      loaded = ReadTWLPreview(path, leadBitmap) == kTWLSuccess;
    } else {
      TWLHeaderDataRecord* header = nullptr;
      unsigned char* data = nullptr;
      if (ReadTWLFile(file, &header, &data) == kTWLSuccess) {
        // The caller's depth applies to the embedded image too, so colour
        // files stay in colour.
        loaded = imaging::LoadMemory(data, header->dataLength, leadBitmap, bitsPerPixel) == imaging::kSuccess;
        ReleaseTWLBlock(data);
        ReleaseTWLBlock(header);
      }
    }
  }
  if (loaded)
    LoadFromLeadBitmap();
  else
    error = true;
}

void QVImage::LoadFromLeadBitmap()
{
  imaging::Bitmap* record = leadBitmap;
  if (!record || !record->data || (record->bitsPerPixel != 8 && record->bitsPerPixel != 24)) {
    error = true;
    imaging::Free(record);
    return;
  }
  if (PrepareBuffer(record->width, record->height, record->bitsPerPixel / 8)) {
    const int32_t count = rowBytes - rowPad;
    for (int32_t y = 0; y < height; ++y) {
      const int32_t stored = record->BottomUp() ? height - 1 - y : y;
      if (imaging::GetRow(record, ImageRow(*this, y), stored, count) != count) {
        error = true;
        ImageFreeBuffer();
        break;
      }
    }
  }
  imaging::Free(record);
}

QVImage* NewImageFromBitmap(imaging::Bitmap* bitmap)
{
  QVImage* image = new (std::nothrow) QVImage(bitmap);
  if (!image) {
    imaging::Free(bitmap);
    return nullptr;
  }
  if (image->error) {
    delete image;
    return nullptr;
  }
  return image;
}
