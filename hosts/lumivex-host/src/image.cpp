// Reading and writing the host's images (see image.h).
#include "image.h"

#include "files.h"

#include "filterhost/filterhost.h"
#include "imaging/imaging.h"
#include "win32/hugepages.h"

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

namespace lvhost {
namespace {

using lvxtext::Fail;

struct TupleType {
  int16_t mode;
  bool alpha;
  int depth;
};
const std::map<std::string, TupleType> kTupleTypes = {
    {"GRAYSCALE", {plugInModeGrayScale, false, 1}}, {"GRAYSCALE_ALPHA", {plugInModeGrayScale, true, 2}},
    {"RGB", {plugInModeRGBColor, false, 3}},        {"RGB_ALPHA", {plugInModeRGBColor, true, 4}},
    {"CMYK", {plugInModeCMYKColor, false, 4}},      {"CMYK_ALPHA", {plugInModeCMYKColor, true, 5}},
};

std::string TupleName(const HostImage& image)
{
  for (const auto& [name, type] : kTupleTypes)
    if (type.mode == image.mode && type.alpha == image.alpha)
      return name;
  return "";
}

std::string Extension(const std::string& path)
{
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// The imaging library's format for an extension; false for PAM or unknown.
bool LibraryFormat(const std::string& ext, imaging::FileFormat* format)
{
  static const std::map<std::string, imaging::FileFormat> kFormats = {
      {"png", imaging::FileFormat::kPng},  {"jpg", imaging::FileFormat::kJpeg}, {"jpeg", imaging::FileFormat::kJpeg},
      {"tif", imaging::FileFormat::kTiff}, {"tiff", imaging::FileFormat::kTiff}, {"bmp", imaging::FileFormat::kBmp},
      {"pgm", imaging::FileFormat::kPnm},  {"ppm", imaging::FileFormat::kPnm},
  };
  auto it = kFormats.find(ext);
  if (it == kFormats.end())
    return false;
  *format = it->second;
  return true;
}

bool CheckSize(int64_t width, int64_t height, lvxtext::Error* error)
{
  if (width <= 0 || height <= 0)
    return Fail(error, "the image has no pixels");
  if (width > kMaxSide || height > kMaxSide)
    return Fail(error, "images over 32767 pixels in either dimension are not supported");
  return true;
}

bool ReadFromLibrary(const std::string& path, HostImage* image, lvxtext::Error* error)
{
  imaging::Bitmap bitmap;
  imaging::LoadInfo info;
  std::string why;
  // The library's reason already names the file.
  if (imaging::LoadFile(path.c_str(), &bitmap, 0, &why, &info) != imaging::kSuccess)
    return Fail(error, why);
  if (!CheckSize(bitmap.width, bitmap.height, error))
    return false;
  HostImage out;
  out.width = bitmap.width;
  out.height = bitmap.height;
  out.mode = bitmap.bitsPerPixel == 8 ? plugInModeGrayScale : plugInModeRGBColor;
  out.fileBitsPerSample = info.fileBitsPerSample;
  // Huge pages asked for before the zero fill first touches the buffer.
  out.pixels.reserve(out.RowBytes() * static_cast<size_t>(out.height));
  standin::AdviseHugePages(out.pixels.data(), out.pixels.capacity());
  out.pixels.resize(out.RowBytes() * static_cast<size_t>(out.height));
  for (int32_t y = 0; y < out.height; ++y) {
    const uint8_t* row = bitmap.PictureRow(y);
    uint8_t* target = out.At(0, y);
    if (out.mode == plugInModeGrayScale) {
      std::copy(row, row + out.width, target);
    } else {
      for (int32_t x = 0; x < out.width; ++x, row += 3, target += 3) {
        target[0] = row[2];
        target[1] = row[1];
        target[2] = row[0];
      }
    }
  }
  *image = std::move(out);
  return true;
}

} // namespace

int16_t HostImage::ColorPlanes() const
{
  return mode == plugInModeGrayScale ? 1 : mode == plugInModeCMYKColor ? 4 : 3;
}

bool ParsePam(const std::string& bytes, HostImage* image, lvxtext::Error* error)
{
  std::istringstream in(bytes);
  std::string line;
  // Header lines may end in CR LF: the carriage return is white space.
  auto trimmed = [](std::string& text) {
    if (!text.empty() && text.back() == '\r')
      text.pop_back();
  };
  if (!std::getline(in, line) || (trimmed(line), line != "P7"))
    return Fail(error, "not a PAM file");
  std::map<std::string, std::string> fields;
  bool ended = false;
  while (!ended && std::getline(in, line)) {
    trimmed(line);
    std::istringstream words(line);
    std::string key, value, extra;
    if (!(words >> key) || key[0] == '#')
      continue;
    if (key == "ENDHDR") {
      ended = true;
      continue;
    }
    if (!(words >> value) || (words >> extra))
      return Fail(error, "PAM header line '" + line + "' is not KEY VALUE");
    if (key != "WIDTH" && key != "HEIGHT" && key != "DEPTH" && key != "MAXVAL" && key != "TUPLTYPE")
      return Fail(error, "unknown PAM header field " + key);
    if (!fields.emplace(key, value).second)
      return Fail(error, "PAM header field " + key + " given twice");
  }
  if (!ended || fields.size() != 5)
    return Fail(error, "the PAM header lacks a field or ENDHDR");
  for (const char* key : {"WIDTH", "HEIGHT", "DEPTH", "MAXVAL"}) {
    const std::string& v = fields[key];
    if (v.find_first_not_of("0123456789") != std::string::npos)
      return Fail(error, std::string("PAM header field ") + key + " is not a number ('" + v + "')");
  }
  // Digits only; longer than 9 digits is beyond any size we accept.
  auto number = [&](const char* key) -> int64_t {
    const std::string& v = fields[key];
    return v.size() <= 9 ? std::stoll(v) : INT64_MAX;
  };
  const int64_t width = number("WIDTH"), height = number("HEIGHT"), depth = number("DEPTH");
  if (number("MAXVAL") != 255)
    return Fail(error, "only PAM files with MAXVAL 255 are read");
  auto type = kTupleTypes.find(fields["TUPLTYPE"]);
  if (type == kTupleTypes.end())
    return Fail(error, "unsupported PAM TUPLTYPE " + fields["TUPLTYPE"]);
  if (depth != type->second.depth)
    return Fail(error, "PAM DEPTH does not match TUPLTYPE " + type->first);
  if (!CheckSize(width, height, error))
    return false;
  const std::streamoff start = in.tellg();
  const uint64_t expected = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * static_cast<uint64_t>(depth);
  if (start < 0 || bytes.size() - static_cast<size_t>(start) != expected)
    return Fail(error, "PAM data is not exactly WIDTH x HEIGHT x DEPTH bytes");
  HostImage out;
  out.width = static_cast<int32_t>(width);
  out.height = static_cast<int32_t>(height);
  out.mode = type->second.mode;
  out.alpha = type->second.alpha;
  out.pixels.assign(bytes.begin() + start, bytes.end());
  *image = std::move(out);
  return true;
}

std::string FormatPam(const HostImage& image)
{
  std::ostringstream out;
  out << "P7\nWIDTH " << image.width << "\nHEIGHT " << image.height << "\nDEPTH " << image.Planes()
      << "\nMAXVAL 255\nTUPLTYPE " << TupleName(image) << "\nENDHDR\n";
  std::string bytes = out.str();
  bytes.append(image.pixels.begin(), image.pixels.end());
  return bytes;
}

bool ReadImage(const std::string& path, HostImage* image, lvxtext::Error* error)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return Fail(error, "cannot open " + path);
  char magic[2] = {};
  in.read(magic, 2);
  if (magic[0] != 'P' || magic[1] != '7')
    return ReadFromLibrary(path, image, error);
  std::string bytes;
  if (!ReadWholeFile(path, &bytes, error))
    return false;
  lvxtext::Error why;
  if (!ParsePam(bytes, image, &why))
    return Fail(error, path + ": " + why.message);
  return true;
}

bool CanWrite(const std::string& path, const HostImage& image, lvxtext::Error* error)
{
  const std::string ext = Extension(path);
  imaging::FileFormat format;
  if (ext == "pam")
    return true;
  if (!LibraryFormat(ext, &format))
    return Fail(error, "unknown output format '." + ext + "' (pam, png, jpg, tif, bmp, pgm or ppm)");
  if (image.mode == plugInModeCMYKColor || image.alpha)
    return Fail(error, "only PAM output can carry " +
                             std::string(image.mode == plugInModeCMYKColor ? "CMYK" : "a transparency plane"));
  if (ext == "pgm" && image.mode != plugInModeGrayScale)
    return Fail(error, "a .pgm file holds grey images only (use .ppm)");
  return true;
}

bool WriteImage(const std::string& path, const HostImage& image, lvxtext::Error* error, int jpegQuality)
{
  if (!CanWrite(path, image, error))
    return false;
  imaging::FileFormat format;
  if (!LibraryFormat(Extension(path), &format))
    return WriteFileAtomically(path, FormatPam(image), error);
  const bool grey = image.mode == plugInModeGrayScale;
  imaging::Bitmap bitmap;
  std::string why;
  if (imaging::Create(&bitmap, image.width, image.height, grey ? 8 : 24, &why) != imaging::kSuccess)
    return Fail(error, why);
  standin::AdviseHugePages(bitmap.data, static_cast<size_t>(bitmap.bytesPerLine) * static_cast<size_t>(bitmap.height));
  for (int32_t y = 0; y < image.height; ++y) {
    const uint8_t* source = image.At(0, y);
    uint8_t* row = bitmap.Row(y);
    for (int32_t x = 0; x < image.width; ++x)
      if (grey) {
        row[x] = source[x];
      } else {
        row[3 * x] = source[3 * x + 2];
        row[3 * x + 1] = source[3 * x + 1];
        row[3 * x + 2] = source[3 * x];
      }
  }
  if (imaging::SaveFile(path.c_str(), &bitmap, format, jpegQuality, &why) != imaging::kSuccess)
    return Fail(error, path + ": " + why);
  return true;
}

} // namespace lvhost
