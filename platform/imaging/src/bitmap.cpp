// The bitmap record: allocation within the size limits, ownership, copies,
// row access and the transparent key.
#include "codecs.h"

#include "win32/hugepages.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace imaging {

namespace detail {

int32_t Fail(std::string* error, int32_t status, const std::string& message)
{
  if (error)
    *error = message;
  return status;
}

std::string WriteFailure(FILE* file, int savedErrno, const std::string& libraryMessage)
{
  return file && std::ferror(file) && savedErrno != 0 ? std::strerror(savedErrno) : libraryMessage;
}

bool HasPixels(const Bitmap* bitmap)
{
  return bitmap && bitmap->data && bitmap->width > 0 && bitmap->height > 0 &&
         (bitmap->bitsPerPixel == 8 || bitmap->bitsPerPixel == 24) &&
         int64_t{bitmap->bytesPerLine} == (int64_t{bitmap->width} * (bitmap->bitsPerPixel / 8) + 3) / 4 * 4;
}

} // namespace detail

Bitmap::Bitmap(Bitmap&& other) noexcept { *this = std::move(other); }

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept
{
  if (this != &other) {
    Free(this);
    width = other.width;
    height = other.height;
    bitsPerPixel = other.bitsPerPixel;
    bytesPerLine = other.bytesPerLine;
    rowOrder = other.rowOrder;
    colourOrder = other.colourOrder;
    transparentColour = other.transparentColour;
    transparentMode = other.transparentMode;
    data = std::exchange(other.data, nullptr);
    Free(&other);
  }
  return *this;
}

Bitmap::~Bitmap() { Free(this); }

namespace {

using detail::Fail;

// A pixel buffer that std::free releases, zero-filled when `zeroed`. A
// picture of 2 MB or more starts on a 2 MB boundary and its whole 2 MB pages
// are backed by huge pages where the system offers them: filling it then
// faults once per 2 MB instead of once per 4 KB. The part past the last
// whole huge page takes small pages, so the buffer holds no memory beyond
// its own bytes.
void* NewPixels(size_t bytes, bool zeroed)
{
  constexpr size_t kHugePage = size_t{2} << 20;
  if (bytes < kHugePage)
    return zeroed ? std::calloc(bytes, 1) : std::malloc(bytes);
  void* data = nullptr;
  if (posix_memalign(&data, kHugePage, bytes) != 0)
    return nullptr;
  standin::AdviseHugePages(data, bytes);
  if (zeroed)
    std::memset(data, 0, bytes);
  return data;
}

int32_t Allocate(Bitmap* bitmap, int32_t width, int32_t height, int32_t bitsPerPixel, int32_t colourOrder, bool zeroed,
                 std::string* error)
{
  if (!bitmap || (bitsPerPixel != 8 && bitsPerPixel != 24))
    return Fail(error, kErrorBadArgument, "a bitmap has 8 or 24 bits per pixel");
  if (width <= 0 || height <= 0)
    return Fail(error, kErrorBadArgument,
                "invalid image size " + std::to_string(width) + " x " + std::to_string(height));
  // 64-bit arithmetic: a 32-bit product would wrap for large sizes.
  const int64_t rowBytes = (int64_t{width} * (bitsPerPixel / 8) + 3) / 4 * 4;
  const int64_t total = rowBytes * height;
  if (total > INT32_MAX)
    return Fail(error, kErrorTooLarge,
                "image of " + std::to_string(width) + " x " + std::to_string(height) + " pixels needs 2 GiB or more");
  void* data = NewPixels(static_cast<size_t>(total), zeroed);
  if (!data)
    return Fail(error, kErrorNoMemory, "out of memory for " + std::to_string(total) + " bytes");
  const int64_t used = int64_t{width} * (bitsPerPixel / 8);
  if (!zeroed && used < rowBytes)
    for (int64_t y = 0; y < height; ++y)
      std::memset(static_cast<uint8_t*>(data) + y * rowBytes + used, 0, static_cast<size_t>(rowBytes - used));
  Free(bitmap);
  bitmap->width = width;
  bitmap->height = height;
  bitmap->bitsPerPixel = bitsPerPixel;
  bitmap->bytesPerLine = static_cast<int32_t>(rowBytes);
  bitmap->rowOrder = kRowsTopDown;
  bitmap->colourOrder = colourOrder;
  bitmap->data = static_cast<uint8_t*>(data);
  return kSuccess;
}

} // namespace

int32_t Create(Bitmap* bitmap, int32_t /*memoryKind*/, int32_t width, int32_t height, int32_t bitsPerPixel,
               int32_t colourOrder, std::string* error)
{
  return detail::NoThrow(error,
                         [&] { return Allocate(bitmap, width, height, bitsPerPixel, colourOrder, true, error); });
}

namespace detail {

int32_t CreateUnfilled(Bitmap* bitmap, int32_t width, int32_t height, int32_t bitsPerPixel, std::string* error)
{
  return NoThrow(error, [&] { return Allocate(bitmap, width, height, bitsPerPixel, 1, false, error); });
}

} // namespace detail

int32_t Create(Bitmap* bitmap, int32_t width, int32_t height, int32_t bitsPerPixel, std::string* error)
{
  return Create(bitmap, 1, width, height, bitsPerPixel, 1, error);
}

int32_t Copy(Bitmap* dst, const Bitmap* src, std::string* error)
{
  if (!dst || !detail::HasPixels(src))
    return Fail(error, kErrorBadArgument, "nothing to copy");
  if (dst == src)
    return kSuccess;
  return detail::NoThrow(error, [&] {
    Bitmap copy;
    const int32_t status = detail::Convert(*src, src->bitsPerPixel, true, &copy, error);
    if (status == kSuccess)
      *dst = std::move(copy);
    return status;
  });
}

void Free(Bitmap* bitmap)
{
  if (!bitmap)
    return;
  std::free(bitmap->data);
  bitmap->data = nullptr;
  bitmap->width = bitmap->height = bitmap->bitsPerPixel = bitmap->bytesPerLine = 0;
  bitmap->rowOrder = bitmap->colourOrder = bitmap->transparentMode = 0;
  bitmap->transparentColour = 0;
}

uint8_t* ReleasePixels(Bitmap* bitmap)
{
  if (!bitmap)
    return nullptr;
  uint8_t* data = bitmap->data;
  bitmap->data = nullptr;
  Free(bitmap);
  return data;
}

int32_t BeginRows(Bitmap*) { return kSuccess; }
int32_t EndRows(Bitmap*) { return kSuccess; }

namespace {

// Bytes a row transfer may move, 0 when it may not happen at all.
int32_t RowCount(const Bitmap* bitmap, const void* buffer, int32_t row, int32_t count)
{
  if (!buffer || count <= 0 || !detail::HasPixels(bitmap) || row < 0 || row >= bitmap->height)
    return 0;
  return std::min(count, bitmap->bytesPerLine);
}

} // namespace

int32_t GetRow(const Bitmap* bitmap, void* buffer, int32_t row, int32_t count)
{
  const int32_t n = RowCount(bitmap, buffer, row, count);
  if (n > 0)
    std::memcpy(buffer, bitmap->Row(row), static_cast<size_t>(n));
  return n;
}

int32_t PutRow(Bitmap* bitmap, const void* buffer, int32_t row, int32_t count)
{
  const int32_t n = RowCount(bitmap, buffer, row, count);
  if (n > 0)
    std::memcpy(bitmap->Row(row), buffer, static_cast<size_t>(n));
  return n;
}

int32_t SetTransparent(Bitmap* bitmap, uint32_t colour, int32_t mode)
{
  if (!detail::HasPixels(bitmap) || mode != kTransparentColour)
    return kErrorBadArgument;
  bitmap->transparentColour = colour & 0xFFFFFFu;
  bitmap->transparentMode = mode;
  return kSuccess;
}

int32_t ClearTransparent(Bitmap* bitmap)
{
  if (!bitmap)
    return kErrorBadArgument;
  bitmap->transparentColour = 0;
  bitmap->transparentMode = 0;
  return kSuccess;
}

} // namespace imaging
