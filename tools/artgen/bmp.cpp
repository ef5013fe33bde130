#include "bmp.h"

#include <algorithm>
#include <fstream>

namespace artgen {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// The file and info headers of a width x height picture of `bits` bits per
// pixel with `tableEntries` colour-table entries after them.
std::vector<uint8_t> Headers(uint32_t width, uint32_t height, uint32_t bits, uint32_t tableEntries)
{
  const uint32_t rowBytes = (width * bits / 8 + 3) / 4 * 4;
  const uint32_t headers = 14 + 40 + 4 * tableEntries, imageBytes = rowBytes * height;
  std::vector<uint8_t> out;
  out.reserve(headers + imageBytes);
  // File header: "BM", file size, two reserved words, offset of the pixels.
  out.push_back('B');
  out.push_back('M');
  Put32(out, headers + imageBytes);
  Put32(out, 0);
  Put32(out, headers);
  // Info header: its size, width, height (positive: bottom-up), one plane,
  // the depth, BI_RGB, the image size, no resolution, the table's entries
  // (all important).
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);
  Put16(out, bits);
  Put32(out, 0);
  Put32(out, imageBytes);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, tableEntries);
  Put32(out, 0);
  return out;
}

} // namespace

std::vector<uint8_t> EncodeBmp24(const Canvas& canvas)
{
  const uint32_t width = uint32_t(canvas.Width()), height = uint32_t(canvas.Height());
  if (width == 0 || height == 0)
    return {};
  std::vector<uint8_t> out = Headers(width, height, 24, 0);
  const uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
  for (int y = int(height) - 1; y >= 0; --y) {
    for (int x = 0; x < int(width); ++x) {
      const Rgb p = canvas.At(x, y);
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    for (uint32_t pad = width * 3; pad < rowBytes; ++pad)
      out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> EncodeBmp8(const Canvas& canvas)
{
  const uint32_t width = uint32_t(canvas.Width()), height = uint32_t(canvas.Height());
  if (width == 0 || height == 0)
    return {};
  std::vector<Rgb> table;
  std::vector<uint8_t> indices;
  for (int y = 0; y < int(height); ++y)
    for (int x = 0; x < int(width); ++x) {
      const Rgb p = canvas.At(x, y);
      auto at = std::find(table.begin(), table.end(), p);
      if (at == table.end()) {
        if (table.size() == 256)
          return {};
        table.push_back(p);
        at = table.end() - 1;
      }
      indices.push_back(uint8_t(at - table.begin()));
    }
  table.resize(256);
  std::vector<uint8_t> out = Headers(width, height, 8, 256);
  for (const Rgb& entry : table) {
    out.push_back(entry.b);
    out.push_back(entry.g);
    out.push_back(entry.r);
    out.push_back(0);
  }
  const uint32_t rowBytes = (width + 3) / 4 * 4;
  for (int y = int(height) - 1; y >= 0; --y) {
    out.insert(out.end(), indices.begin() + ptrdiff_t(y) * width, indices.begin() + ptrdiff_t(y + 1) * width);
    out.resize(out.size() + rowBytes - width, 0);
  }
  return out;
}

bool WriteBmp(const std::string& path, const Canvas& canvas, int bitsPerPixel, lvxtext::Error* error)
{
  const std::vector<uint8_t> bytes = bitsPerPixel == 8 ? EncodeBmp8(canvas) : EncodeBmp24(canvas);
  if (bytes.empty())
    return lvxtext::Fail(error, path + (bitsPerPixel == 8 ? ": the picture is empty or has more than 256 colours"
                                                          : ": the picture is empty"));
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  file.close();
  return file || lvxtext::Fail(error, path + ": cannot be written");
}

} // namespace artgen
