// Loading and saving image files: exact round trips, grey handling, the
// PNG variants libpng expands for us, and damaged or hostile files.
#include "imaging/imaging.h"
#include "lvxtest/testenv.h"
#include "randombitmap.h"
#include "lvxtest/tinyfs.h"
#include "win32/automation.h"
#include "win32/replacementfile.h"

#include <gtest/gtest.h>

#include <png.h>

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <jpeglib.h>
#include <random>
#include <sys/stat.h>

namespace {

using imaging::Bitmap;
using imaging::FileFormat;

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

std::vector<unsigned char> ReadBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const void* data, size_t size)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void WriteBytes(const std::string& path, const std::string& text) { WriteBytes(path, text.data(), text.size()); }

// A bitmap of random pixels; padding stays zero as Create made it.
Bitmap Random(int32_t width, int32_t height, int32_t bits, unsigned seed)
{
  return RandomBitmap(width, height, bits, seed);
}

// Every byte of every row, padding included.
std::vector<uint8_t> AllBytes(const Bitmap& b)
{
  return {b.data, b.data + static_cast<size_t>(b.bytesPerLine) * b.height};
}

bool PaddingIsZero(const Bitmap& b)
{
  for (int32_t y = 0; y < b.height; ++y)
    for (int32_t i = b.width * b.bitsPerPixel / 8; i < b.bytesPerLine; ++i)
      if (b.Row(y)[i] != 0)
        return false;
  return true;
}

// Writes a PNG straight through libpng, samples in file order (R,G,B[,A] or
// grey[,A], or palette indices), `bitDepth`-bit packed or 16-bit big-endian.
void WritePngDirect(const std::string& path, uint32_t w, uint32_t h, int colorType, int bitDepth,
                    const std::vector<std::vector<uint8_t>>& rows, const std::vector<png_color>& palette = {},
                    bool interlaced = false, bool headerOnly = false)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
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

// ---- Exact round trips --------------------------------------------------------

TEST(ImagingRoundTrip, PngAndPnmAreExactWithZeroPadding)
{
  // Widths 1..5 give every padding length for 8 and 24 bits: 24-bit rows of
  // 3, 6, 9, 12, 15 bytes pad to 4, 8, 12, 12, 16.
  for (FileFormat format : {FileFormat::kPng, FileFormat::kPnm})
    for (int32_t bits : {8, 24})
      for (int32_t width = 1; width <= 5; ++width) {
        SCOPED_TRACE(testing::Message() << "format " << int(format) << " bits " << bits << " width " << width);
        Bitmap in = Random(width, 3, bits, static_cast<unsigned>(width * bits));
        const std::string path = Temp("rt.img");
        ASSERT_EQ(imaging::SaveFile(path.c_str(), &in, format, 0), imaging::kSuccess);
        Bitmap out;
        ASSERT_EQ(imaging::LoadFile(path.c_str(), &out, 0), imaging::kSuccess);
        EXPECT_EQ(out.width, width);
        EXPECT_EQ(out.height, 3);
        EXPECT_EQ(out.bitsPerPixel, bits);
        EXPECT_EQ(out.bytesPerLine, (width * bits / 8 + 3) / 4 * 4);
        EXPECT_EQ(AllBytes(out), AllBytes(in));
        EXPECT_TRUE(PaddingIsZero(out));
      }
}

TEST(ImagingRoundTrip, JpegIsCloseAndKeepsChannelOrder)
{
  // A smooth B,G,R gradient survives quality 95 within a few levels.
  Bitmap in;
  ASSERT_EQ(imaging::Create(&in, 37, 29, 24), imaging::kSuccess);
  for (int32_t y = 0; y < in.height; ++y)
    for (int32_t x = 0; x < in.width; ++x) {
      uint8_t* p = in.Row(y) + 3 * x;
      p[0] = static_cast<uint8_t>(40 + 4 * x); // blue grows to the right
      p[1] = static_cast<uint8_t>(200 - 3 * y); // green falls downwards
      p[2] = 30;                                // red flat and low
    }
  const std::string path = Temp("rt.jpg");
  ASSERT_EQ(imaging::SaveFile(path.c_str(), &in, FileFormat::kJpeg, 95), imaging::kSuccess);
  Bitmap out;
  ASSERT_EQ(imaging::LoadFile(path.c_str(), &out, 0), imaging::kSuccess);
  ASSERT_EQ(out.bitsPerPixel, 24);
  ASSERT_EQ(out.width, in.width);
  ASSERT_EQ(out.height, in.height);
  int worst = 0;
  for (int32_t y = 0; y < in.height; ++y)
    for (int32_t i = 0; i < in.width * 3; ++i)
      worst = std::max(worst, std::abs(int(in.Row(y)[i]) - int(out.Row(y)[i])));
  EXPECT_LE(worst, 8);
  EXPECT_TRUE(PaddingIsZero(out));
}

TEST(ImagingFormats, FilesHoldRgbOrderAndRowsComeBackBgr)
{
  // The file stores R,G,B; the bitmap B,G,R. Written and read by libpng and
  // by hand, so a swap in both our reader and writer cannot hide.
  WritePngDirect(Temp("rgb.png"), 2, 1, PNG_COLOR_TYPE_RGB, 8, {{10, 20, 30, 40, 50, 60}});
  Bitmap png;
  ASSERT_EQ(imaging::LoadFile(Temp("rgb.png").c_str(), &png, 0), imaging::kSuccess);
  EXPECT_EQ(std::vector<uint8_t>(png.data, png.data + 8), (std::vector<uint8_t>{30, 20, 10, 60, 50, 40, 0, 0}));

  ASSERT_EQ(imaging::SaveFile(Temp("o.ppm").c_str(), &png, FileFormat::kPnm, 0), imaging::kSuccess);
  const auto bytes = ReadBytes(Temp("o.ppm"));
  const std::string header = "P6\n2 1\n255\n";
  ASSERT_EQ(bytes.size(), header.size() + 6);
  EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 6, bytes.end()), (std::vector<uint8_t>{10, 20, 30, 40, 50, 60}));
}

TEST(ImagingFormats, TypeComesFromContentNotName)
{
  Bitmap in = Random(4, 4, 24, 7);
  ASSERT_EQ(imaging::SaveFile(Temp("really-png.jpg").c_str(), &in, FileFormat::kPng, 0), imaging::kSuccess);
  ASSERT_EQ(imaging::SaveFile(Temp("really-ppm.png").c_str(), &in, FileFormat::kPnm, 0), imaging::kSuccess);
  for (const char* name : {"really-png.jpg", "really-ppm.png"}) {
    Bitmap out;
    ASSERT_EQ(imaging::LoadFile(Temp(name).c_str(), &out, 0), imaging::kSuccess) << name;
    EXPECT_EQ(AllBytes(out), AllBytes(in)) << name;
  }
}

// ---- Grey ---------------------------------------------------------------------

TEST(ImagingGrey, StaysGreyOrBecomesEqualBgr)
{
  // Smooth, so JPEG keeps it within a few levels.
  Bitmap grey;
  ASSERT_EQ(imaging::Create(&grey, 5, 2, 8), imaging::kSuccess);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 5; ++x)
      grey.Row(y)[x] = static_cast<uint8_t>(100 + 10 * x + 5 * y);
  struct Case {
    const char* name;
    FileFormat format;
    int tolerance;
  };
  for (const Case& c : {Case{"g.png", FileFormat::kPng, 0}, Case{"g.pgm", FileFormat::kPnm, 0},
                        Case{"g.jpg", FileFormat::kJpeg, 6}}) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(imaging::SaveFile(Temp(c.name).c_str(), &grey, c.format, 90), imaging::kSuccess);
    Bitmap asStored, asColour, asGrey;
    ASSERT_EQ(imaging::LoadFile(Temp(c.name).c_str(), &asStored, 0), imaging::kSuccess);
    ASSERT_EQ(imaging::LoadFile(Temp(c.name).c_str(), &asColour, 24), imaging::kSuccess);
    ASSERT_EQ(imaging::LoadFile(Temp(c.name).c_str(), &asGrey, 8), imaging::kSuccess);
    EXPECT_EQ(imaging::LoadFile(Temp(c.name).c_str(), &asColour, 16), imaging::kErrorBadArgument);
    EXPECT_EQ(asStored.bitsPerPixel, 8);
    EXPECT_EQ(AllBytes(asGrey), AllBytes(asStored));
    ASSERT_EQ(asColour.bitsPerPixel, 24);
    EXPECT_EQ(asColour.bytesPerLine, 16); // 5 pixels x 3 bytes, padded
    EXPECT_TRUE(PaddingIsZero(asStored));
    EXPECT_TRUE(PaddingIsZero(asColour));
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 5; ++x) {
        const uint8_t* p = asColour.Row(y) + 3 * x;
        const uint8_t v = asStored.Row(y)[x];
        EXPECT_TRUE(p[0] == v && p[1] == v && p[2] == v) << x << "," << y;
        EXPECT_LE(std::abs(int(v) - int(grey.Row(y)[x])), c.tolerance);
      }
  }
}

// ---- PNG variants ---------------------------------------------------------------

TEST(ImagingPngVariants, PaletteSixteenBitAlphaAndLowDepthGrey)
{
  // 4-bit palette: indices 2, 0, 1 packed as 0x20 0x10.
  const std::vector<png_color> palette = {{255, 0, 0}, {0, 255, 0}, {1, 2, 3}};
  WritePngDirect(Temp("pal.png"), 3, 1, PNG_COLOR_TYPE_PALETTE, 4, {{0x20, 0x10}}, palette);
  Bitmap pal;
  ASSERT_EQ(imaging::LoadFile(Temp("pal.png").c_str(), &pal, 0), imaging::kSuccess);
  EXPECT_EQ(pal.bitsPerPixel, 24);
  EXPECT_EQ(AllBytes(pal), (std::vector<uint8_t>{3, 2, 1, 0, 0, 255, 0, 255, 0, 0, 0, 0}));

  // 16-bit RGBA, big-endian samples: R 0xFFFF, G 0x8080, B 0x0101 (scaled
  // to 8 bits: 65535 -> 255, 32896 -> 128, 257 -> 1), alpha dropped.
  WritePngDirect(Temp("rgba16.png"), 1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16,
                 {{0xFF, 0xFF, 0x80, 0x80, 0x01, 0x01, 0x12, 0x34}});
  Bitmap rgba;
  ASSERT_EQ(imaging::LoadFile(Temp("rgba16.png").c_str(), &rgba, 0), imaging::kSuccess);
  EXPECT_EQ(AllBytes(rgba), (std::vector<uint8_t>{1, 128, 255, 0}));

  // 2-bit grey 0,1,2,3 expands to 0, 85, 170, 255 and stays 8-bit grey.
  WritePngDirect(Temp("grey2.png"), 4, 1, PNG_COLOR_TYPE_GRAY, 2, {{0x1B}});
  Bitmap g2;
  ASSERT_EQ(imaging::LoadFile(Temp("grey2.png").c_str(), &g2, 0), imaging::kSuccess);
  EXPECT_EQ(g2.bitsPerPixel, 8);
  EXPECT_EQ(AllBytes(g2), (std::vector<uint8_t>{0, 85, 170, 255}));

  // Grey + alpha drops the alpha; asked for colour it gives B = G = R.
  WritePngDirect(Temp("ga.png"), 2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{7, 0, 200, 255}});
  Bitmap ga, ga24;
  ASSERT_EQ(imaging::LoadFile(Temp("ga.png").c_str(), &ga, 0), imaging::kSuccess);
  EXPECT_EQ(AllBytes(ga), (std::vector<uint8_t>{7, 200, 0, 0}));
  ASSERT_EQ(imaging::LoadFile(Temp("ga.png").c_str(), &ga24, 24), imaging::kSuccess);
  EXPECT_EQ(AllBytes(ga24), (std::vector<uint8_t>{7, 7, 7, 200, 200, 200, 0, 0}));
}

TEST(ImagingPngVariants, InterlacedReadsLikePlain)
{
  std::vector<std::vector<uint8_t>> rows(9, std::vector<uint8_t>(27));
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t i = 0; i < 27; ++i)
      rows[y][i] = static_cast<uint8_t>(y * 31 + i * 7);
  WritePngDirect(Temp("plain.png"), 9, 9, PNG_COLOR_TYPE_RGB, 8, rows);
  WritePngDirect(Temp("adam7.png"), 9, 9, PNG_COLOR_TYPE_RGB, 8, rows, {}, true);
  Bitmap plain, adam7;
  ASSERT_EQ(imaging::LoadFile(Temp("plain.png").c_str(), &plain, 0), imaging::kSuccess);
  ASSERT_EQ(imaging::LoadFile(Temp("adam7.png").c_str(), &adam7, 0), imaging::kSuccess);
  EXPECT_EQ(AllBytes(adam7), AllBytes(plain));
}

// ---- Damaged, hostile and unsupported files -------------------------------------

// Loading must fail with the given status and leave the target untouched.
void ExpectRefused(const std::string& path, int32_t status)
{
  Bitmap keep = Random(2, 2, 24, 1);
  const auto before = AllBytes(keep);
  std::string error;
  EXPECT_EQ(imaging::LoadFile(path.c_str(), &keep, 0, &error), status) << path;
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(keep.width, 2);
  EXPECT_EQ(AllBytes(keep), before);
}

TEST(ImagingDamaged, EveryTruncationOfPngAndJpegIsAnError)
{
  Bitmap img = Random(24, 16, 24, 11);
  for (auto [name, format] : {std::pair{"t.png", FileFormat::kPng}, std::pair{"t.jpg", FileFormat::kJpeg}}) {
    const std::string full = Temp(name);
    ASSERT_EQ(imaging::SaveFile(full.c_str(), &img, format, 80), imaging::kSuccess);
    const auto bytes = ReadBytes(full);
    // Every cut keeps the signature (shorter cuts are "not an image") and
    // loses at least the final byte: all must fail, none may crash.
    const std::string cut = Temp(std::string("cut-") + name);
    for (size_t n = 8; n < bytes.size(); n += (n < 64 || n + 64 > bytes.size()) ? 1 : 13) {
      WriteBytes(cut, bytes.data(), n);
      Bitmap out;
      std::string error;
      const int32_t status = imaging::LoadFile(cut.c_str(), &out, 0, &error);
      ASSERT_LT(status, 0) << name << " cut at " << n;
      EXPECT_EQ(out.data, nullptr);
    }
  }
}

TEST(ImagingDamaged, FlippedBytesNeverCrash)
{
  // A flipped bit in PNG data breaks a CRC; in JPEG entropy data it may
  // decode to other pixels. Either way: a status, no crash, no leak (ASan).
  Bitmap img = Random(16, 16, 24, 12);
  for (auto [name, format] : {std::pair{"f.png", FileFormat::kPng}, std::pair{"f.jpg", FileFormat::kJpeg}}) {
    ASSERT_EQ(imaging::SaveFile(Temp(name).c_str(), &img, format, 80), imaging::kSuccess);
    const auto bytes = ReadBytes(Temp(name));
    for (size_t at = 3; at < bytes.size(); at += 5) {
      auto damaged = bytes;
      damaged[at] ^= 0x5A;
      WriteBytes(Temp("damaged"), damaged.data(), damaged.size());
      Bitmap out;
      const int32_t status = imaging::LoadFile(Temp("damaged").c_str(), &out, 0);
      EXPECT_TRUE(status == imaging::kSuccess || status < 0);
      if (format == FileFormat::kPng && at >= 8) {
        EXPECT_LT(status, 0) << "PNG damage at " << at << " went unnoticed";
      }
    }
  }
}

TEST(ImagingDamaged, CmykJpegIsRefused)
{
  const std::string path = Temp("cmyk.jpg");
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = 2;
  c.image_height = 2;
  c.input_components = 4;
  c.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_start_compress(&c, TRUE);
  unsigned char row[8] = {0, 50, 100, 150, 200, 250, 25, 75};
  JSAMPROW rows[1] = {row};
  for (int i = 0; i < 2; ++i)
    jpeg_write_scanlines(&c, rows, 1);
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
  ExpectRefused(path, imaging::kErrorUnsupported);
}

TEST(ImagingDamaged, PnmHeadersAndSamples)
{
  // maxval 15: 15 -> 255, 7 -> round(7 * 255 / 15) = 119, 0 -> 0.
  WriteBytes(Temp("m15.pgm"), std::string("P5 # comment\n3 1\n15\n") + char(15) + char(7) + char(0));
  Bitmap m15;
  ASSERT_EQ(imaging::LoadFile(Temp("m15.pgm").c_str(), &m15, 0), imaging::kSuccess);
  EXPECT_EQ(AllBytes(m15), (std::vector<uint8_t>{255, 119, 0, 0}));

  struct Case {
    std::string content;
    int32_t status;
  };
  const Case cases[] = {
      {"P3\n1 1\n255\n0 0 0\n", imaging::kErrorUnsupported},   // ASCII PPM
      {"P6\n1 1\n65535\n\1\2\3\4\5", imaging::kErrorCorrupt}, // 16-bit samples, 5 of 6 bytes
      {std::string("P5\n1 1\n1000\n\x03\xe9", 14), imaging::kErrorCorrupt}, // 1001 > maxval
      {"P6\n1 1\n0\n", imaging::kErrorCorrupt},          // maxval 0
      {"P6\n0 1\n255\n", imaging::kErrorCorrupt},              // no width
      {"P6\n2 1\n255\nabc", imaging::kErrorCorrupt},           // 3 of 6 bytes
      {"P5\n1 1\n15\n\x10", imaging::kErrorCorrupt},           // 16 > maxval
      {"P6\n1x 1\n255\n", imaging::kErrorCorrupt},             // junk in a number
      {"P6\n99999999999 1\n255\n", imaging::kErrorCorrupt},    // beyond int32
      {"P6\n50000 50000\n255\n", imaging::kErrorCorrupt},      // 7.5e9 bytes claimed, none held
      {"hello", imaging::kErrorFormat},
      {"", imaging::kErrorFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    WriteBytes(Temp("bad.pnm"), c.content);
    ExpectRefused(Temp("bad.pnm"), c.status);
  }
}

TEST(ImagingSixteenBit, PnmSamplesAreRoundedToEightBitsAndTheLoadSaysSo)
{
  // maxval 65535: v * 255 / 65535 + 1/2 rounded down; 128 -> 0 (0.998),
  // 129 -> 1 (1.002), 32767 -> 127, 32896 -> 128, 65535 -> 255.
  const uint16_t grey[] = {0, 128, 129, 32767, 32896, 65535};
  std::string pgm = "P5\n6 1\n65535\n";
  for (const uint16_t v : grey)
    pgm += std::string{char(v >> 8), char(v & 0xFF)};
  WriteBytes(Temp("g16.pgm"), pgm);
  Bitmap g16;
  imaging::LoadInfo info;
  ASSERT_EQ(imaging::LoadFile(Temp("g16.pgm").c_str(), &g16, 0, nullptr, &info), imaging::kSuccess);
  EXPECT_EQ(g16.bitsPerPixel, 8);
  EXPECT_EQ(AllBytes(g16), (std::vector<uint8_t>{0, 0, 1, 127, 128, 255, 0, 0}));
  EXPECT_TRUE(info.Reduced());

  // maxval 1000 in colour: R 1000 -> 255, G 2 -> 1 (1.01), B 1 -> 0 (0.755);
  // rows come back B,G,R.
  WriteBytes(Temp("c16.ppm"), std::string("P6\n1 1\n1000\n\x03\xe8\x00\x02\x00\x01", 18));
  Bitmap c16;
  ASSERT_EQ(imaging::LoadFile(Temp("c16.ppm").c_str(), &c16, 24, nullptr, &info), imaging::kSuccess);
  EXPECT_EQ(AllBytes(c16), (std::vector<uint8_t>{0, 1, 255, 0}));

  // Eight-bit files say so, PNG ones included; a failed load leaves the
  // information as it was.
  WriteBytes(Temp("g8.pgm"), std::string("P5\n1 1\n255\n\x07", 12));
  ASSERT_EQ(imaging::LoadFile(Temp("g8.pgm").c_str(), &g16, 0, nullptr, &info), imaging::kSuccess);
  EXPECT_FALSE(info.Reduced());
  WritePngDirect(Temp("g16.png"), 1, 1, PNG_COLOR_TYPE_GRAY, 16, {{0x80, 0x80}});
  ASSERT_EQ(imaging::LoadFile(Temp("g16.png").c_str(), &g16, 0, nullptr, &info), imaging::kSuccess);
  EXPECT_EQ(info.fileBitsPerSample, 16);
  EXPECT_NE(imaging::LoadFile(Temp("missing.pgm").c_str(), &g16, 0, nullptr, &info), imaging::kSuccess);
  EXPECT_EQ(info.fileBitsPerSample, 16);
}

TEST(ImagingPnm, LargeFilesOfEveryKindDecodeSampleBySample)
{
  // Pictures of a few hundred kilobytes to nearly two megabytes, read in
  // several batches whose last one is partly filled, with an odd width
  // (padded rows): every sample lands where the plain rule puts it, from a
  // file and from memory alike, for PPM and PGM, 8-bit and 16-bit samples,
  // maxval 255 (taken as it is) and others (scaled).
  const int32_t width = 613, height = 457;
  std::mt19937 rng(7);
  struct Kind {
    bool grey;
    int32_t maxval;
    int32_t wantBits;
  };
  for (const Kind k : {Kind{false, 255, 24}, Kind{false, 200, 24}, Kind{false, 1000, 24}, Kind{false, 65535, 24},
                       Kind{true, 255, 0}, Kind{true, 255, 24}, Kind{true, 77, 0}, Kind{true, 65535, 24},
                       Kind{true, 4095, 0}}) {
    SCOPED_TRACE(std::to_string(k.grey) + " " + std::to_string(k.maxval) + " " + std::to_string(k.wantBits));
    const int channels = k.grey ? 1 : 3;
    std::vector<uint32_t> samples(static_cast<size_t>(width) * height * channels);
    for (uint32_t& v : samples)
      v = rng() % (static_cast<uint32_t>(k.maxval) + 1);
    const std::string header = (k.grey ? "P5\n" : "P6\n") + std::to_string(width) + " " + std::to_string(height) +
                               "\n" + std::to_string(k.maxval) + "\n";
    std::string file = header;
    file.reserve(header.size() + samples.size() * 2);
    for (const uint32_t v : samples) {
      if (k.maxval > 255)
        file.push_back(static_cast<char>(v >> 8));
      file.push_back(static_cast<char>(v & 0xFF));
    }
    WriteBytes(Temp("big.pnm"), file);

    const int32_t bits = k.grey && k.wantBits == 0 ? 8 : 24;
    Bitmap expected;
    ASSERT_EQ(imaging::Create(&expected, width, height, bits), imaging::kSuccess);
    const auto level = [&](uint32_t v) { return static_cast<uint8_t>((v * 255 * 2 + k.maxval) / (2 * k.maxval)); };
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t* s = &samples[(static_cast<size_t>(y) * width + x) * channels];
        uint8_t* p = expected.Row(y) + x * bits / 8;
        if (bits == 8)
          p[0] = level(s[0]);
        else if (k.grey)
          p[0] = p[1] = p[2] = level(s[0]);
        else
          p[0] = level(s[2]), p[1] = level(s[1]), p[2] = level(s[0]);
      }

    Bitmap fromFile, fromMemory;
    ASSERT_EQ(imaging::LoadFile(Temp("big.pnm").c_str(), &fromFile, k.wantBits), imaging::kSuccess);
    EXPECT_EQ(AllBytes(fromFile), AllBytes(expected));
    ASSERT_EQ(imaging::LoadMemory(file.data(), file.size(), &fromMemory, k.wantBits), imaging::kSuccess);
    EXPECT_EQ(AllBytes(fromMemory), AllBytes(expected));

    // Cut inside the first, a middle and the last batch, and one byte short
    // of the whole: refused as damaged, from a file and from memory, and the
    // bitmap handed in is left as it was.
    const size_t data = file.size() - header.size();
    for (const size_t cut : {data / 5, data / 2 + 1, data - data / 7, data - 1}) {
      const std::string shorter = file.substr(0, header.size() + cut);
      WriteBytes(Temp("short.pnm"), shorter);
      ExpectRefused(Temp("short.pnm"), imaging::kErrorCorrupt);
      Bitmap keep = Random(3, 2, 8, 4);
      const auto before = AllBytes(keep);
      EXPECT_EQ(imaging::LoadMemory(shorter.data(), shorter.size(), &keep, k.wantBits), imaging::kErrorCorrupt);
      EXPECT_EQ(AllBytes(keep), before) << cut;
    }

    // A sample above maxval in the last row, after the first batches were
    // converted, still refuses the file.
    if (k.maxval != 255 && k.maxval != 65535) {
      file[file.size() - 1] = char(0xFF);
      if (k.maxval > 255)
        file[file.size() - 2] = char(0xFF);
      WriteBytes(Temp("big.pnm"), file);
      ExpectRefused(Temp("big.pnm"), imaging::kErrorCorrupt);
    }
  }
}

TEST(ImagingDamaged, JpegBeyondTheDecodersSizeIsTooLargeNotCorrupt)
{
  // Start of image, a baseline frame of 65535 x 65535 grey pixels, a scan.
  const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0x01,
                                0x01, 0x11, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};
  Bitmap bitmap;
  std::string why;
  EXPECT_EQ(imaging::LoadMemory(jpeg, sizeof jpeg, &bitmap, 0, &why), imaging::kErrorTooLarge);
  EXPECT_NE(why.find("65535 x 65535"), std::string::npos) << why;
  EXPECT_EQ(bitmap.data, nullptr);
}

TEST(ImagingDamaged, OversizedPngIsRefusedBeforeAllocating)
{
  // 30000 x 30000 x 3 bytes = 2.7e9 >= 2^31: refused from the header alone.
  // The header and the start of an image data chunk are all it takes.
  WritePngDirect(Temp("huge.png"), 30000, 30000, PNG_COLOR_TYPE_RGB, 8, {}, {}, false, true);
  auto bytes = ReadBytes(Temp("huge.png"));
  for (int c : {0, 0, 0, 16, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C}) // length 16, "IDAT", zlib header
    bytes.push_back(static_cast<unsigned char>(c));
  WriteBytes(Temp("huge.png"), bytes.data(), bytes.size());
  ExpectRefused(Temp("huge.png"), imaging::kErrorTooLarge);
}

TEST(ImagingDamaged, MissingFilesAndFolders)
{
  ExpectRefused(Temp("no-such-file.png"), imaging::kErrorOpen);
  ExpectRefused(lvxtest::TempDir(), imaging::kErrorOpen);
}

TEST(ImagingPaths, WindowsPathsGoThroughTheDriveMapping)
{
  // By default drive C: is the host root, so "C:\\tmp\\x.png" names /tmp/x.png;
  // the names match case-insensitively, as on Windows.
  imaging::Bitmap bmp;
  ASSERT_EQ(imaging::Create(&bmp, 5, 3, 24), imaging::kSuccess);
  bmp.Row(1)[2] = 77;
  std::string windows = "C:" + Temp("Mapped.PNG");
  for (char& c : windows)
    if (c == '/')
      c = '\\';
  ASSERT_EQ(imaging::SaveFile(windows.c_str(), &bmp, imaging::FileFormat::kPng, 90), imaging::kSuccess);
  imaging::Bitmap back;
  ASSERT_EQ(imaging::LoadFile(Temp("Mapped.PNG").c_str(), &back, 0), imaging::kSuccess);
  EXPECT_EQ(back.Row(1)[2], 77);
  std::string lower = windows;
  lower.replace(lower.size() - 10, 10, "mapped.png");
  imaging::Bitmap again;
  EXPECT_EQ(imaging::LoadFile(lower.c_str(), &again, 0), imaging::kSuccess);
  // A drive that is not configured does not exist.
  EXPECT_EQ(imaging::SaveFile("Q:\\x.png", &bmp, imaging::FileFormat::kPng, 90), imaging::kErrorOpen);
  EXPECT_EQ(imaging::LoadFile("Q:\\x.png", &again, 0), imaging::kErrorOpen);
}

// ---- The record and saving --------------------------------------------------------

TEST(ImagingRecord, SizeLimitsAndMoves)
{
  Bitmap b;
  // 8192 x 262144 grey needs exactly 2^31 bytes: refused, like anything larger
  // and like a 24-bit row longer than int32 can count.
  EXPECT_EQ(imaging::Create(&b, 8192, 262144, 8), imaging::kErrorTooLarge);
  EXPECT_EQ(imaging::Create(&b, INT32_MAX, 1, 24), imaging::kErrorTooLarge);
  EXPECT_EQ(imaging::Create(&b, 0, 5, 8), imaging::kErrorBadArgument);
  EXPECT_EQ(imaging::Create(&b, 5, -1, 8), imaging::kErrorBadArgument);
  EXPECT_EQ(imaging::Create(&b, 5, 5, 16), imaging::kErrorBadArgument);
  EXPECT_EQ(b.data, nullptr);

  Bitmap a = Random(3, 2, 24, 9);
  const auto bytes = AllBytes(a);
  Bitmap moved(std::move(a));
  EXPECT_EQ(a.data, nullptr);
  EXPECT_EQ(a.width, 0);
  EXPECT_EQ(AllBytes(moved), bytes);
  b = std::move(moved);
  EXPECT_EQ(AllBytes(b), bytes);
  imaging::Free(&b);
  EXPECT_EQ(b.data, nullptr);
  EXPECT_EQ(b.bytesPerLine, 0);
}

TEST(ImagingSave, FailuresLeaveTheOldFileAndNoLeftovers)
{
  const std::string dir = Temp("save");
  std::filesystem::create_directory(dir);
  const std::string target = dir + "/out.jpg";
  WriteBytes(target, "precious");
  chmod(target.c_str(), 0600);

  // libjpeg refuses widths above 65500 once the file is already open.
  Bitmap wide;
  ASSERT_EQ(imaging::Create(&wide, 70000, 1, 24), imaging::kSuccess);
  std::string error;
  EXPECT_EQ(imaging::SaveFile(target.c_str(), &wide, FileFormat::kJpeg, 90, &error), imaging::kErrorWrite);
  EXPECT_NE(error.find("out.jpg"), std::string::npos) << error;

  Bitmap empty;
  EXPECT_EQ(imaging::SaveFile(target.c_str(), &empty, FileFormat::kPng, 0), imaging::kErrorBadArgument);
  Bitmap small = Random(2, 2, 24, 2);
  EXPECT_EQ(imaging::SaveFile(target.c_str(), &small, FileFormat::kJpeg, 0), imaging::kErrorBadArgument);
  EXPECT_EQ(imaging::SaveFile(target.c_str(), &small, FileFormat::kJpeg, 101), imaging::kErrorBadArgument);
  EXPECT_EQ(imaging::SaveFile((dir + "/missing/x.png").c_str(), &small, FileFormat::kPng, 0),
            imaging::kErrorOpen);

  const auto left = ReadBytes(target);
  EXPECT_EQ(std::string(left.begin(), left.end()), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);

  // A successful save replaces the file and keeps its permissions.
  ASSERT_EQ(imaging::SaveFile(target.c_str(), &small, FileFormat::kJpeg, 90), imaging::kSuccess);
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
}

TEST(ImagingSave, AnInterruptOrAFullDiskStopsEveryFormatAndKeepsTheOldFile)
{
  const std::string dir = Temp("stopped");
  std::filesystem::create_directory(dir);
  const std::string target = dir + "/out.img";
  WriteBytes(target, "precious");
  const Bitmap picture = Random(300, 200, 24, 5);
  const FileFormat formats[] = {FileFormat::kPng, FileFormat::kJpeg, FileFormat::kPnm, FileFormat::kBmp,
                                FileFormat::kTiff};
  standin::SetInterruptSignal(SIGINT);
  for (const FileFormat format : formats) {
    std::string error;
    EXPECT_EQ(imaging::SaveFile(target.c_str(), &picture, format, 90, &error), imaging::kErrorInterrupted)
        << static_cast<int>(format);
    EXPECT_NE(error.find("interrupted"), std::string::npos) << error;
  }
  standin::SetInterruptSignal(0);
  const auto left = ReadBytes(target);
  EXPECT_EQ(std::string(left.begin(), left.end()), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "no temporary file left";

  // Written into a file the caller commits: nothing is at the target before.
  standin::ReplacementFile staged(target);
  std::string why;
  ASSERT_TRUE(staged.Open(&why)) << why;
  ASSERT_EQ(imaging::SaveToFile(&staged, &picture, FileFormat::kPng, 0, 0, &why), imaging::kSuccess) << why;
  EXPECT_EQ(ReadBytes(target), left);
  ASSERT_TRUE(staged.Commit(&why)) << why;
  Bitmap back;
  ASSERT_EQ(imaging::LoadFile(target.c_str(), &back, 24), imaging::kSuccess);
  EXPECT_EQ(AllBytes(back), AllBytes(picture));

  lvxtest::TinyFileSystem disk("images-" + std::to_string(getpid()), 64);
  if (!disk.Mounted())
    GTEST_SKIP() << disk.Problem();
  const std::string full = disk.Path("out.img");
  WriteBytes(full, "precious");
  ASSERT_TRUE(disk.Fill("filler"));
  for (const FileFormat format : formats) {
    std::string error;
    EXPECT_EQ(imaging::SaveFile(full.c_str(), &picture, format, 90, &error), imaging::kErrorWrite)
        << static_cast<int>(format);
    EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
  }
  const auto kept = ReadBytes(full);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "precious");
  EXPECT_EQ(lvxtest::FolderEntries(disk.Folder()), (std::set<std::string>{"out.img", "filler"}));
}

} // namespace
