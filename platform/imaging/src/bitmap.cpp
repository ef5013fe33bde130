// The bitmap record: allocation within the size limits, ownership.
#include "codecs.h"

#include <cstdlib>
#include <utility>

namespace imaging {

namespace detail {

int32_t Fail(std::string* error, int32_t status, const std::string& message)
{
  if (error)
    *error = message;
  return status;
}

} // namespace detail

Bitmap::Bitmap(Bitmap&& other) noexcept
    : width(other.width), height(other.height), bitsPerPixel(other.bitsPerPixel),
      bytesPerLine(other.bytesPerLine), data(std::exchange(other.data, nullptr))
{
  Free(&other);
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept
{
  if (this != &other) {
    Free(this);
    width = other.width;
    height = other.height;
    bitsPerPixel = other.bitsPerPixel;
    bytesPerLine = other.bytesPerLine;
    data = std::exchange(other.data, nullptr);
    Free(&other);
  }
  return *this;
}

Bitmap::~Bitmap() { Free(this); }

namespace {

int32_t Allocate(Bitmap* bitmap, int32_t width, int32_t height, int32_t bitsPerPixel, std::string* error)
{
  using detail::Fail;
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
                "image of " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels needs 2 GiB or more");
  void* data = std::calloc(static_cast<size_t>(total), 1);
  if (!data)
    return Fail(error, kErrorNoMemory, "out of memory for " + std::to_string(total) + " bytes");
  Free(bitmap);
  bitmap->width = width;
  bitmap->height = height;
  bitmap->bitsPerPixel = bitsPerPixel;
  bitmap->bytesPerLine = static_cast<int32_t>(rowBytes);
  bitmap->data = static_cast<uint8_t*>(data);
  return kSuccess;
}

} // namespace

int32_t Create(Bitmap* bitmap, int32_t width, int32_t height, int32_t bitsPerPixel, std::string* error)
{
  return detail::NoThrow(error, [&] { return Allocate(bitmap, width, height, bitsPerPixel, error); });
}

void Free(Bitmap* bitmap)
{
  if (!bitmap)
    return;
  std::free(bitmap->data);
  bitmap->data = nullptr;
  bitmap->width = bitmap->height = bitmap->bitsPerPixel = bitmap->bytesPerLine = 0;
}

} // namespace imaging
