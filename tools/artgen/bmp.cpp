#include "bmp.h"

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

} // namespace

std::vector<uint8_t> EncodeBmp24(const Canvas& canvas)
{
  const uint32_t width = uint32_t(canvas.Width()), height = uint32_t(canvas.Height());
  if (width == 0 || height == 0)
    return {};
  const uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
  const uint32_t headers = 14 + 40, imageBytes = rowBytes * height;
  std::vector<uint8_t> out;
  out.reserve(headers + imageBytes);
  // File header: "BM", file size, two reserved words, offset of the pixels.
  out.push_back('B');
  out.push_back('M');
  Put32(out, headers + imageBytes);
  Put32(out, 0);
  Put32(out, headers);
  // Info header: its size, width, height (positive: bottom-up), one plane,
  // 24 bits, BI_RGB, the image size, no resolution, no colour table.
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, imageBytes);
  for (int i = 0; i < 4; ++i)
    Put32(out, 0);
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

bool WriteBmp24(const std::string& path, const Canvas& canvas, lvxtext::Error* error)
{
  const std::vector<uint8_t> bytes = EncodeBmp24(canvas);
  if (bytes.empty())
    return lvxtext::Fail(error, path + ": the picture is empty");
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  file.close();
  return file || lvxtext::Fail(error, path + ": cannot be written");
}

} // namespace artgen
