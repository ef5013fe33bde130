// The pixel limit every reader checks before it allocates anything sized by
// a file's header (see imaging.h).
#include "codecs.h"

#include <cstdlib>

namespace imaging {
namespace {

constexpr int64_t kLargestLimit = 1000000000000000; // 10^15

// The count SetMaxPixels set; 0 when the environment decides.
int64_t g_setLimit = 0;

} // namespace

bool ParseMaxPixels(const char* text, int64_t* pixels)
{
  if (!text || !*text || !pixels)
    return false;
  int64_t value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9')
      return false;
    value = value * 10 + (*p - '0');
    if (value > kLargestLimit)
      return false;
  }
  if (value < 1)
    return false;
  *pixels = value;
  return true;
}

int32_t SetMaxPixels(int64_t pixels)
{
  if (pixels < 0 || pixels > kLargestLimit)
    return kErrorBadArgument;
  g_setLimit = pixels;
  return kSuccess;
}

int64_t MaxPixels()
{
  if (g_setLimit > 0)
    return g_setLimit;
  const char* variable = std::getenv(kMaxPixelsVariable);
  if (!variable || !*variable)
    return kDefaultMaxPixels;
  int64_t pixels = 0;
  return ParseMaxPixels(variable, &pixels) ? pixels : -1;
}

int32_t CheckPixels(int64_t width, int64_t height, std::string* error)
{
  const int64_t limit = MaxPixels();
  if (limit < 0)
    return detail::Fail(error, kErrorBadArgument,
                        std::string(kMaxPixelsVariable) + " must be a whole number of pixels from 1 to " +
                            std::to_string(kLargestLimit) + ", not '" + std::getenv(kMaxPixelsVariable) + "'");
  if (width < 1 || height < 1)
    return kSuccess;
  // Each side fits in 32 bits for every format we read; the product is
  // compared without overflow all the same.
  if (width <= limit / height)
    return kSuccess;
  const bool exact = width <= INT64_MAX / height;
  return detail::Fail(error, kErrorTooLarge,
                      (exact ? std::to_string(width * height) : std::string("too many")) + " pixels (" +
                          std::to_string(width) + " x " + std::to_string(height) + ") is more than the limit of " +
                          std::to_string(limit) + " (raise it with --max-pixels N or " + kMaxPixelsVariable + ")");
}

} // namespace imaging
