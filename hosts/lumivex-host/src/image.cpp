// Reading and writing the host's images (see image.h).
#include "image.h"

#include "files.h"

#include "filterhost/filterhost.h"
#include "imaging/imaging.h"
#include "win32/replacementfile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string_view>
#include <sys/stat.h>

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
      {"png", imaging::FileFormat::kPng},  {"jpg", imaging::FileFormat::kJpeg},  {"jpeg", imaging::FileFormat::kJpeg},
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
  // The decoded picture becomes the image where it lies: each row moved
  // down to close up the padding, B,G,R turned into R,G,B. A row never
  // starts after its place in the bitmap, and each pixel is read whole
  // before it is written, so nothing is overwritten before it was read.
  const size_t rowBytes = out.RowBytes();
  for (int32_t y = 0; y < out.height; ++y) {
    const uint8_t* row = bitmap.Row(y);
    uint8_t* target = bitmap.data + static_cast<size_t>(y) * rowBytes;
    if (out.mode == plugInModeGrayScale)
      std::memmove(target, row, rowBytes);
    else
      imaging::SwapRedBlue(row, target, static_cast<size_t>(out.width));
  }
  out.pixels = PixelBuffer::Adopt(imaging::ReleasePixels(&bitmap), rowBytes * static_cast<size_t>(out.height));
  *image = std::move(out);
  return true;
}

} // namespace

int16_t HostImage::ColorPlanes() const { return mode == plugInModeGrayScale ? 1 : mode == plugInModeCMYKColor ? 4 : 3; }

namespace {

// What a PAM header says, and where the samples start.
struct PamHeader {
  int32_t width = 0;
  int32_t height = 0;
  TupleType type{};
  size_t dataAt = 0;

  uint64_t DataBytes() const
  {
    return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * static_cast<uint64_t>(type.depth);
  }
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The words of one header line.
std::vector<std::string_view> Words(std::string_view line)
{
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsSpace(line[i]))
      ++i;
    const size_t start = i;
    while (i < line.size() && !IsSpace(line[i]))
      ++i;
    if (i > start)
      words.push_back(line.substr(start, i - start));
  }
  return words;
}

// Parses the header at the start of `text`: lines of KEY VALUE up to the
// line ENDHDR, which must end in a newline; blank lines and lines whose
// first word starts with '#' are skipped. The sizes are held to the host's
// sides and the imaging library's pixel limit; the samples are not looked at.
bool ParsePamHeader(std::string_view text, PamHeader* header, lvxtext::Error* error)
{
  size_t at = 0;
  // Reads the next line without its newline; false when none is complete.
  auto nextLine = [&](std::string_view* line) {
    const size_t end = text.find('\n', at);
    if (end == std::string_view::npos)
      return false;
    *line = text.substr(at, end - at);
    at = end + 1;
    return true;
  };
  std::string_view line;
  if (!nextLine(&line) || (line.size() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line) != "P7")
    return Fail(error, "not a PAM file");
  std::map<std::string, std::string> fields;
  bool ended = false;
  while (!ended && nextLine(&line)) {
    const std::vector<std::string_view> words = Words(line);
    if (words.empty() || words[0][0] == '#')
      continue;
    const std::string key(words[0]);
    if (key == "ENDHDR") {
      ended = true;
      continue;
    }
    std::string shown(line.size() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line);
    if (words.size() != 2)
      return Fail(error, "PAM header line '" + shown + "' is not KEY VALUE");
    if (key != "WIDTH" && key != "HEIGHT" && key != "DEPTH" && key != "MAXVAL" && key != "TUPLTYPE")
      return Fail(error, "unknown PAM header field " + key);
    if (!fields.emplace(key, std::string(words[1])).second)
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
  header->width = static_cast<int32_t>(width);
  header->height = static_cast<int32_t>(height);
  header->type = type->second;
  header->dataAt = at;
  return true;
}

// The raw format's checks after the header: exactly the bytes it asks for
// (given the whole file's size), then the pixel limit.
bool CheckPamData(const PamHeader& header, uint64_t fileSize, lvxtext::Error* error)
{
  if (fileSize < header.dataAt || fileSize - header.dataAt != header.DataBytes())
    return Fail(error, "PAM data is not exactly WIDTH x HEIGHT x DEPTH bytes (" + std::to_string(header.DataBytes()) +
                           " bytes; the file holds " +
                           std::to_string(fileSize < header.dataAt ? 0 : fileSize - header.dataAt) + ")");
  std::string why;
  if (imaging::CheckPixels(header.width, header.height, &why) != imaging::kSuccess)
    return Fail(error, why);
  return true;
}

HostImage Prepared(const PamHeader& header)
{
  HostImage out;
  out.width = header.width;
  out.height = header.height;
  out.mode = header.type.mode;
  out.alpha = header.type.alpha;
  return out;
}

// The most bytes a PAM header may take in a file.
constexpr size_t kMaxPamHeader = 64 * 1024;

// Reads a PAM file: its header first, then, once the header's claims are
// checked against the file's size and the pixel limit, the samples in one
// read straight into the image.
bool ReadPam(std::FILE* file, HostImage* image, lvxtext::Error* error)
{
  struct stat st;
  if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode))
    return Fail(error, "not a regular file");
  std::string head(std::min<uint64_t>(kMaxPamHeader, static_cast<uint64_t>(st.st_size)), '\0');
  if (std::fread(head.data(), 1, head.size(), file) != head.size())
    return Fail(error, std::string("cannot read: ") + std::strerror(errno));
  PamHeader header;
  if (!ParsePamHeader(head, &header, error) || !CheckPamData(header, static_cast<uint64_t>(st.st_size), error))
    return false;
  HostImage out = Prepared(header);
  out.pixels.resize(header.DataBytes());
  if (fseeko(file, static_cast<off_t>(header.dataAt), SEEK_SET) != 0 ||
      std::fread(out.pixels.data(), 1, out.pixels.size(), file) != out.pixels.size())
    return Fail(error, "PAM data is shorter than WIDTH x HEIGHT x DEPTH bytes");
  *image = std::move(out);
  return true;
}

} // namespace

bool ParsePam(const std::string& bytes, HostImage* image, lvxtext::Error* error)
{
  PamHeader header;
  if (!ParsePamHeader(bytes, &header, error) || !CheckPamData(header, bytes.size(), error))
    return false;
  HostImage out = Prepared(header);
  const uint8_t* samples = reinterpret_cast<const uint8_t*>(bytes.data());
  out.pixels.assign(samples + header.dataAt, samples + bytes.size());
  *image = std::move(out);
  return true;
}

namespace {

std::string PamHeaderText(const HostImage& image)
{
  std::ostringstream out;
  out << "P7\nWIDTH " << image.width << "\nHEIGHT " << image.height << "\nDEPTH " << image.Planes()
      << "\nMAXVAL 255\nTUPLTYPE " << TupleName(image) << "\nENDHDR\n";
  return out.str();
}

// The image's rows as the imaging library's writers take them: grey rows
// as they are, colour rows turned from R,G,B into B,G,R one at a time in a
// row of its own, so that writing makes no copy of the whole picture; a
// writer that wants R,G,B takes the image's rows as they are.
class HostRows final : public imaging::RowSource {
public:
  explicit HostRows(const HostImage& image)
      : RowSource(image.width, image.height, image.mode == plugInModeGrayScale ? 8 : 24), image_(image),
        row_(bitsPerPixel == 24 ? image.RowBytes() : 0)
  {
  }

  const uint8_t* Row(int32_t y) override
  {
    const uint8_t* source = image_.At(0, y);
    if (bitsPerPixel == 8)
      return source;
    imaging::SwapRedBlue(source, row_.data(), static_cast<size_t>(width));
    return row_.data();
  }

  // The image's own row: host order is R,G,B already.
  const uint8_t* RgbRow(int32_t y) override { return bitsPerPixel == 24 ? image_.At(0, y) : nullptr; }

private:
  const HostImage& image_;
  std::vector<uint8_t> row_;
};

} // namespace

std::string FormatPam(const HostImage& image)
{
  std::string bytes = PamHeaderText(image);
  bytes.append(image.pixels.begin(), image.pixels.end());
  return bytes;
}

bool ReadImage(const std::string& path, HostImage* image, lvxtext::Error* error)
{
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file)
    return Fail(error, "cannot open " + path);
  char magic[2] = {};
  if (std::fread(magic, 1, 2, file.get()) != 2 || magic[0] != 'P' || magic[1] != '7')
    return ReadFromLibrary(path, image, error);
  std::rewind(file.get());
  lvxtext::Error why;
  if (!ReadPam(file.get(), image, &why))
    return Fail(error, path + ": " + why.message);
  return true;
}

bool CanWrite(const std::string& path, const HostImage& image, lvxtext::Error* error)
{
  struct stat st;
  if ((!path.empty() && path.back() == '/') || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
    return Fail(error, path + ": is a directory; give the output a file name");
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

bool WriteImageTo(standin::ReplacementFile* file, const std::string& path, const HostImage& image,
                  lvxtext::Error* error, int jpegQuality)
{
  if (!CanWrite(path, image, error))
    return false;
  imaging::FileFormat format;
  std::string why;
  if (!LibraryFormat(Extension(path), &format)) {
    // The header, then the samples straight from the image.
    const std::string_view samples(reinterpret_cast<const char*>(image.pixels.data()), image.pixels.size());
    if (file->Write(PamHeaderText(image)) && file->Write(samples) && file->Finish(&why))
      return true;
    file->Finish(&why);
    return Fail(error, "cannot write " + path + ": " + why);
  }
  HostRows rows(image);
  if (imaging::SaveRowsToFile(file, &rows, format, jpegQuality, &why) != imaging::kSuccess)
    return Fail(error, "cannot write " + path + ": " + why);
  return true;
}

bool WriteImage(const std::string& path, const HostImage& image, lvxtext::Error* error, int jpegQuality)
{
  standin::ReplacementFile file(path);
  std::string why;
  if (!CanWrite(path, image, error))
    return false;
  if (!file.Open(&why))
    return Fail(error, "cannot write " + path + ": " + why);
  if (!WriteImageTo(&file, path, image, error, jpegQuality))
    return false;
  return file.Commit(&why) || Fail(error, "cannot write " + path + ": " + why);
}

} // namespace lvhost
