#include "imagefiles.h"

#include "qvcommon/qvviewimage.h"
#include "qvcommon/qvvirtualimage.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>

namespace lvfx {

bool OutputFormat(const std::string& path, imaging::FileFormat* format, lvxtext::Error* error)
{
  static const std::map<std::string, imaging::FileFormat> kFormats = {
      {"png", imaging::FileFormat::kPng},  {"jpg", imaging::FileFormat::kJpeg},  {"jpeg", imaging::FileFormat::kJpeg},
      {"tif", imaging::FileFormat::kTiff}, {"tiff", imaging::FileFormat::kTiff}, {"bmp", imaging::FileFormat::kBmp},
      {"ppm", imaging::FileFormat::kPnm},  {"pgm", imaging::FileFormat::kPnm},   {"pnm", imaging::FileFormat::kPnm},
  };
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  std::string ext = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? "" : path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  const auto it = kFormats.find(ext);
  if (it == kFormats.end())
    return lvxtext::Fail(error, path + ": give the output a .png, .jpg, .tif, .bmp, .ppm or .pgm name");
  *format = it->second;
  return true;
}

std::unique_ptr<QVImage> ReadImage(const std::string& path, bool grey, lvxtext::Error* error)
{
  imaging::Bitmap bitmap;
  std::string why;
  if (imaging::LoadFile(path.c_str(), &bitmap, grey ? 8 : 0, &why) != imaging::kSuccess) {
    lvxtext::Fail(error, why); // the library's reason names the file
    return nullptr;
  }
  std::unique_ptr<QVImage> image(new (std::nothrow) QVImage(&bitmap));
  if (!image || image->error || !image->HasPixels()) {
    lvxtext::Fail(error, path + ": not enough memory for the picture");
    return nullptr;
  }
  return image;
}

bool WriteImage(const std::string& path, const QVImage& image, int quality, lvxtext::Error* error)
{
  imaging::FileFormat format;
  if (!OutputFormat(path, &format, error))
    return false;
  imaging::Bitmap bitmap;
  std::string why;
  if (imaging::Create(&bitmap, image.width, image.height, image.bytesPerPixel * 8, &why) != imaging::kSuccess)
    return lvxtext::Fail(error, path + ": " + why);
  const size_t rowBytes = static_cast<size_t>(image.width) * image.bytesPerPixel;
  for (int32_t y = 0; y < image.height; ++y)
    std::memcpy(bitmap.Row(y), image.pixels + static_cast<ptrdiff_t>(y) * image.rowBytes, rowBytes);
  if (imaging::SaveFile(path.c_str(), &bitmap, format, quality, &why) != imaging::kSuccess)
    return lvxtext::Fail(error, path + ": " + why);
  return true;
}

namespace {

std::string FormatZoom(double zoom)
{
  char text[32];
  std::snprintf(text, sizeof text, "%g", zoom);
  return text;
}

} // namespace

double ViewSide(int32_t side, double zoom) { return std::max(1.0, std::floor(side * zoom)); }

std::unique_ptr<QVViewImage> MakeView(QVVirtualImage* source, double zoom, lvxtext::Error* error)
{
  const double w = ViewSide(source->baseWidth, zoom);
  const double h = ViewSide(source->baseHeight, zoom);
  std::unique_ptr<QVViewImage> view;
  // A view is one more copy of the picture: the pixel limit holds for it too.
  std::string why;
  if (w <= INT32_MAX && h <= INT32_MAX &&
      imaging::CheckPixels(static_cast<int64_t>(w), static_cast<int64_t>(h), &why) != imaging::kSuccess) {
    lvxtext::Fail(error, "the view at zoom " + FormatZoom(zoom) + ": " + why);
    return nullptr;
  }
  if (w <= INT32_MAX && h <= INT32_MAX)
    view.reset(new (std::nothrow) QVViewImage(static_cast<int32_t>(w), static_cast<int32_t>(h), zoom, 0, 0, source));
  if (!view || view->error || !view->HasPixels()) {
    char text[160];
    std::snprintf(text, sizeof text, "the %.0fx%.0f view at zoom %s cannot be made", w, h, FormatZoom(zoom).c_str());
    lvxtext::Fail(error, text);
    return nullptr;
  }
  return view;
}

} // namespace lvfx
