// Loading what is not a plain round trip: damaged, hostile and unsupported
// files, 16-bit samples and large PNM files of every kind.
#include "imagefiles.h"
#include "imaging/imaging.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <jpeglib.h>
#include <random>
#include <sys/stat.h>

namespace {

using imaging::Bitmap;
using imaging::FileFormat;

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
      {"P3\n1 1\n255\n0 0 0\n", imaging::kErrorUnsupported},                // ASCII PPM
      {"P6\n1 1\n65535\n\1\2\3\4\5", imaging::kErrorCorrupt},               // 16-bit samples, 5 of 6 bytes
      {std::string("P5\n1 1\n1000\n\x03\xe9", 14), imaging::kErrorCorrupt}, // 1001 > maxval
      {"P6\n1 1\n0\n", imaging::kErrorCorrupt},                             // maxval 0
      {"P6\n0 1\n255\n", imaging::kErrorCorrupt},                           // no width
      {"P6\n2 1\n255\nabc", imaging::kErrorCorrupt},                        // 3 of 6 bytes
      {"P5\n1 1\n15\n\x10", imaging::kErrorCorrupt},                        // 16 > maxval
      {"P6\n1x 1\n255\n", imaging::kErrorCorrupt},                          // junk in a number
      {"P6\n99999999999 1\n255\n", imaging::kErrorCorrupt},                 // beyond int32
      {"P6\n50000 50000\n255\n", imaging::kErrorCorrupt},                   // 7.5e9 bytes claimed, none held
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
  for (const Kind k :
       {Kind{false, 255, 24}, Kind{false, 200, 24}, Kind{false, 1000, 24}, Kind{false, 65535, 24}, Kind{true, 255, 0},
        Kind{true, 255, 24}, Kind{true, 77, 0}, Kind{true, 65535, 24}, Kind{true, 4095, 0}}) {
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
  const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x01,
                                0x11, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};
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

} // namespace
