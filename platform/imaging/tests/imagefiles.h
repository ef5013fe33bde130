#pragma once
// Helpers of the image file tests: temporary paths, raw file bytes, random
// bitmaps and PNG files written straight through libpng.
#include "imaging/imaging.h"
#include "lvxtest/testenv.h"
#include "randombitmap.h"

#include <gtest/gtest.h>

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

inline std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

inline std::vector<unsigned char> ReadBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const void* data, size_t size)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline void WriteBytes(const std::string& path, const std::string& text) { WriteBytes(path, text.data(), text.size()); }

// A bitmap of random pixels; padding stays zero as Create made it.
inline imaging::Bitmap Random(int32_t width, int32_t height, int32_t bits, unsigned seed)
{
  return RandomBitmap(width, height, bits, seed);
}

// Every byte of every row, padding included.
inline std::vector<uint8_t> AllBytes(const imaging::Bitmap& b)
{
  return {b.data, b.data + static_cast<size_t>(b.bytesPerLine) * b.height};
}

inline bool PaddingIsZero(const imaging::Bitmap& b)
{
  for (int32_t y = 0; y < b.height; ++y)
    for (int32_t i = b.width * b.bitsPerPixel / 8; i < b.bytesPerLine; ++i)
      if (b.Row(y)[i] != 0)
        return false;
  return true;
}

// Writes a PNG straight through libpng, samples in file order (R,G,B[,A] or
// grey[,A], or palette indices), `bitDepth`-bit packed or 16-bit big-endian.
inline void WritePngDirect(const std::string& path, uint32_t w, uint32_t h, int colorType, int bitDepth,
                           const std::vector<std::vector<uint8_t>>& rows, const std::vector<png_color>& palette = {},
                           bool interlaced = false, bool headerOnly = false)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, bitDepth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
      png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_write_info(png, info);
    if (!headerOnly) {
      std::vector<png_bytep> pointers;
      for (auto& row : rows)
        pointers.push_back(const_cast<png_bytep>(row.data()));
      png_write_image(png, pointers.data());
      png_write_end(png, nullptr);
    }
  } else {
    ADD_FAILURE() << "libpng refused the test image";
  }
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}
