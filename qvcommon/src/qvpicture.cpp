#include "qvcommon/qvpicture.h"

#include "qvcommon/qvdevice.h"
#include "qvcommon/qvmemory.h"
#include "qvcommon/qvresourcefile.h"
#include "qvdib.h"
#include "win32/gdi.h"
#include "win32/memory.h"
#include "win32/modules.h"

#include <algorithm>
#include <cstring>

namespace {

// The rectangle of width x height at (x, y), its far edges held within the
// 32-bit range.
RECT Place(int32_t x, int32_t y, int32_t width, int32_t height)
{
  const auto edge = [](int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  return RECT{x, y, edge(int64_t{x} + width), edge(int64_t{y} + height)};
}

} // namespace

QVPicture::QVPicture() { Initialize(); }

QVPicture::QVPicture(int32_t id, QVResourceFile* resources)
{
  Initialize();
  pictureID = id;
  if (id != 0)
    SetPictureID(id, resources);
}

QVPicture::QVPicture(const QVPicture& src) : QVPicture(&src) {}

QVPicture::QVPicture(const QVPicture* src)
{
  Initialize();
  valid = src && src->valid && imaging::Copy(&bitmap, &src->bitmap) == imaging::kSuccess;
}

QVPicture::QVPicture(const QVRect& area, QVDevice* device)
{
  Initialize();
  const RECT rect = area.GetRect();
  valid = device && imaging::CreateFromDC(&bitmap, device->GetDevice(), &rect) == imaging::kSuccess;
}

QVPicture::~QVPicture() { FreePixelBuffer(); }

void QVPicture::Initialize()
{
  imaging::Free(&bitmap);
  FreePixelBuffer();
  valid = false;
  pictureID = 0;
}

bool QVPicture::ValidPicture() const { return valid; }
int32_t QVPicture::GetPictureID() const { return pictureID; }
int32_t QVPicture::Width() const { return bitmap.width; }
int32_t QVPicture::Height() const { return bitmap.height; }
int16_t QVPicture::GetPictureDepth() const { return static_cast<int16_t>(bitmap.bitsPerPixel); }
int32_t QVPicture::GetPictureRowBytes() const { return bitmap.bytesPerLine; }

void QVPicture::SetPictureID(int32_t id, QVResourceFile* resources)
{
  DWORD size = 0;
  const void* resource = resources ? LockBitmapResource(resources->GetResFile(), MAKEINTRESOURCEA(id), &size) : nullptr;
  if (!resource)
    return;
  // The old bitmap goes whatever happens to the new one.
  imaging::Free(&bitmap);
  valid = false;
  if (size > INT32_MAX)
    return;
  QVHandle block(static_cast<int32_t>(size));
  QVPointer copy(&block);
  unsigned char* bytes = copy;
  QVPackedDIB dib;
  if (!bytes)
    return;
  std::memcpy(bytes, resource, size);
  if (!ParsePackedDIB(bytes, size, &dib) ||
      imaging::Create(&bitmap, 1, dib.width, dib.height, 24, 0) != imaging::kSuccess)
    return;
  // The DIB drawn at its own size into the bitmap: with the first scan 0
  // and every row given, destination row i takes picture row i.
  HDC dc = imaging::GetDC(&bitmap);
  if (dc) {
    SetStretchBltMode(dc, COLORONCOLOR);
    const int drawn = ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(dib.width), static_cast<DWORD>(dib.height), 0, 0,
                                          0, static_cast<UINT>(dib.height), dib.bits, dib.info, DIB_RGB_COLORS);
    valid = imaging::ReleaseDC(&bitmap, dc) == imaging::kSuccess && drawn == dib.height;
  }
  if (!valid)
    imaging::Free(&bitmap);
}

// ---- Drawing ------------------------------------------------------------------------

void QVPicture::Draw(QVDevice* device, const QVRect& rect) const
{
  if (!valid || !device)
    return;
  const RECT destination = rect.GetRect();
  imaging::Paint(device->GetDevice(), &bitmap, nullptr, &destination, SRCCOPY);
}

void QVPicture::Draw(QVDevice* device, const QVRect& source, const QVRect& destination) const
{
  if (!valid || !device)
    return;
  const RECT from = source.GetRect(), to = destination.GetRect();
  imaging::Paint(device->GetDevice(), &bitmap, &from, &to, SRCCOPY);
}

void QVPicture::Draw(QVDevice* device, int32_t x, int32_t y) const
{
  if (!valid || !device)
    return;
  const RECT destination = Place(x, y, bitmap.width, bitmap.height);
  imaging::Paint(device->GetDevice(), &bitmap, nullptr, &destination, SRCCOPY);
}

void QVPicture::Draw(QVDevice* device) const { Draw(device, 0, 0); }

void QVPicture::DrawTransparent(QVDevice* device, int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
                                int32_t sourceY, const QVColor* key)
{
  if (!valid || !device)
    return;
  const RECT from = Place(sourceX, sourceY, width, height), to = Place(x, y, width, height);
  imaging::SetTransparent(&bitmap, key ? static_cast<uint32_t>(key->GetRGB()) : 0xFFFFFFu, imaging::kTransparentColour);
  imaging::PaintTransparent(device->GetDevice(), &bitmap, &from, &to);
  imaging::ClearTransparent(&bitmap);
}

// ---- Rows, depth, rotation -----------------------------------------------------------

int16_t QVPicture::AllocPixelBuffer()
{
  if (rowBuffer && rowBufferSize == bitmap.bytesPerLine)
    return 0;
  // A conversion or a turn changes the row length: the buffer follows it.
  FreePixelBuffer();
  if (bitmap.bytesPerLine <= 0)
    return -1;
  rowBuffer = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(bitmap.bytesPerLine)));
  if (!rowBuffer)
    return -1;
  rowBufferSize = bitmap.bytesPerLine;
  return 0;
}

void QVPicture::FreePixelBuffer()
{
  if (rowBuffer)
    HeapFree(GetProcessHeap(), 0, rowBuffer);
  rowBuffer = nullptr;
  rowBufferSize = 0;
}

unsigned char* QVPicture::GetPictureRow(int32_t row)
{
  if (!valid || row < 0 || row >= bitmap.height || AllocPixelBuffer() != 0)
    return nullptr;
  imaging::BeginRows(&bitmap);
  imaging::GetRow(&bitmap, rowBuffer, row, rowBufferSize);
  imaging::EndRows(&bitmap);
  return rowBuffer;
}

void QVPicture::SetPictureRow(int32_t row)
{
  if (!valid || !rowBuffer)
    return;
  imaging::BeginRows(&bitmap);
  imaging::PutRow(&bitmap, rowBuffer, row, rowBufferSize);
  imaging::EndRows(&bitmap);
}

void QVPicture::ConvertTo24Bit()
{
  if (valid && bitmap.bitsPerPixel != 24)
    imaging::ChangeBpp(&bitmap, 24);
}

int16_t QVPicture::RotatePicture(int16_t angle, bool flag)
{
  if (!valid)
    return -1;
  return imaging::Rotate(&bitmap, angle, flag) == imaging::kSuccess ? 0 : -1;
}
