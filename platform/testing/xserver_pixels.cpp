// The x11 tests' X server: the windows' pixels, and pictures compared,
// read and written as PNG (see lvxtest/xserver.h).
#include "lvxtest/xserver.h"
#include "xserver_internal.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <png.h>

namespace lvxtest {

using namespace detail;

std::vector<uint32_t> XServer::Grab(Window window, int left, int top, int width, int height)
{
  if (width == 0 && !Size(window, &width, &height))
    return {};
  XImage* image = display_ && width > 0 && height > 0
                      ? XGetImage(display_, window, left, top, unsigned(width), unsigned(height), AllPlanes, ZPixmap)
                      : nullptr;
  if (!image)
    return {};
  std::vector<uint32_t> pixels;
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x)
      pixels.push_back(uint32_t(XGetPixel(image, x, y)) & 0xFFFFFFu);
  XDestroyImage(image);
  return pixels;
}

bool XServer::WaitForPixels(Window window, int left, int top, const std::vector<uint32_t>& expected, int width,
                            std::vector<uint32_t>* shown, std::string* why, double seconds)
{
  const int height = width > 0 ? int(expected.size()) / width : 0;
  const auto deadline = Deadline(seconds);
  do {
    *shown = Grab(window, left, top, width, height);
    if (SamePixels(*shown, width, expected, width, why))
      return true;
    Breathe();
  } while (Clock::now() < deadline);
  return false;
}

bool SamePixels(const std::vector<uint32_t>& a, int aWidth, const std::vector<uint32_t>& b, int bWidth,
                std::string* why)
{
  if (a.empty() || aWidth != bWidth || a.size() != b.size()) {
    *why = "sizes differ: " + std::to_string(aWidth) + " x " + std::to_string(aWidth ? a.size() / size_t(aWidth) : 0) +
           " and " + std::to_string(bWidth) + " x " + std::to_string(bWidth ? b.size() / size_t(bWidth) : 0);
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "pixel (%d, %d) is %06X and %06X", int(i % size_t(aWidth)),
                    int(i / size_t(aWidth)), unsigned(a[i]), unsigned(b[i]));
      *why = text;
      return false;
    }
  return true;
}

std::vector<uint32_t> ReadPng(const std::string& path, int* width, int* height)
{
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return {};
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels(size_t(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  for (uint32_t& p : pixels)
    p &= 0xFFFFFFu; // B, G, R, A in memory: 0xAARRGGBB
  *width = int(image.width);
  *height = int(image.height);
  return pixels;
}

bool WritePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height)
{
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> opaque(pixels);
  for (uint32_t& p : opaque)
    p |= 0xFF000000u;
  return png_image_write_to_file(&image, path.c_str(), 0, opaque.data(), 0, nullptr) != 0;
}

} // namespace lvxtest
