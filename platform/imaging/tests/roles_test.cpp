// The bitmap record's roles (copies, rows in storage order, depth, quarter
// turns, the transparent key) and the BMP and TIFF files. BMP test files are
// written byte by byte here, so the reader is checked against the format and
// not against our own writer.
#include "imaging/imaging.h"
#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <tiffio.h>

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

using imaging::Bitmap;
using imaging::FileFormat;
using Bytes = std::vector<uint8_t>;
using Rows = std::vector<Bytes>;

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

Bytes ReadBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Little-endian, n bytes (zeros past the fourth).
void Put(Bytes& b, uint32_t v, int n)
{
  for (int i = 0; i < n; ++i)
    b.push_back(i < 4 ? static_cast<uint8_t>(v >> (8 * i)) : 0);
}

// A picture given as rows top first (bytes per row / width = bytes per
// pixel), stored in the given row order.
Bitmap Make(const Rows& rows, int32_t bits, int32_t order = imaging::kRowsTopDown)
{
  Bitmap b;
  const auto h = static_cast<int32_t>(rows.size());
  EXPECT_EQ(imaging::Create(&b, static_cast<int32_t>(rows[0].size()) * 8 / bits, h, bits), imaging::kSuccess);
  b.rowOrder = order;
  for (int32_t y = 0; y < h; ++y)
    std::copy(rows[y].begin(), rows[y].end(), b.Row(b.BottomUp() ? h - 1 - y : y));
  return b;
}

// The picture as seen, top row first, without padding.
Rows Seen(const Bitmap& b)
{
  Rows rows;
  for (int32_t y = 0; y < b.height; ++y)
    rows.emplace_back(b.PictureRow(y), b.PictureRow(y) + b.width * b.bitsPerPixel / 8);
  return rows;
}

// Loads from memory; a failure must leave the target as it was.
int32_t Load(const Bytes& bytes, Bitmap* out, int32_t wantBits = 0)
{
  const uint8_t* before = out->data;
  std::string error;
  const int32_t status = imaging::LoadMemory(bytes.data(), bytes.size(), out, wantBits, &error);
  if (status != imaging::kSuccess) {
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(out->data, before);
  }
  return status;
}

// ---- The record ---------------------------------------------------------------------

TEST(ImagingBitmap, CopyIsDeepAndKeepsEveryCode)
{
  Bitmap src;
  ASSERT_EQ(imaging::Create(&src, 2, 3, 2, 8, 0), imaging::kSuccess); // memory kind 2, colour order 0
  EXPECT_EQ(src.rowOrder, imaging::kRowsTopDown);
  src.rowOrder = imaging::kRowsBottomUp;
  src.Row(0)[0] = 4;
  ASSERT_EQ(imaging::SetTransparent(&src, 0x00102030, imaging::kTransparentColour), imaging::kSuccess);
  EXPECT_EQ(imaging::SetTransparent(&src, 0x00ABCDEF, 5), imaging::kErrorBadArgument); // mode 6 only
  Bitmap dst = Make({{9}}, 8);
  ASSERT_EQ(imaging::Copy(&dst, &src), imaging::kSuccess);
  EXPECT_EQ(dst.rowOrder, imaging::kRowsBottomUp);
  EXPECT_EQ(dst.colourOrder, 0);
  EXPECT_EQ(dst.transparentColour, 0x00102030u);
  EXPECT_EQ(dst.transparentMode, imaging::kTransparentColour);
  EXPECT_NE(dst.data, src.data);
  EXPECT_EQ(Bytes(dst.data, dst.data + 8), Bytes(src.data, src.data + 8)); // 2 rows of 4
  dst.Row(0)[0] = 99;
  EXPECT_EQ(src.Row(0)[0], 4);

  Bitmap empty;
  EXPECT_EQ(imaging::Copy(&dst, &empty), imaging::kErrorBadArgument);
  EXPECT_EQ(dst.Row(0)[0], 99);
  ASSERT_EQ(imaging::ClearTransparent(&dst), imaging::kSuccess);
  EXPECT_EQ(dst.transparentMode, 0);
  imaging::Free(&dst);
  EXPECT_EQ(dst.rowOrder | dst.colourOrder | dst.transparentMode | dst.width | dst.bytesPerLine, 0);
  EXPECT_EQ(dst.data, nullptr);
}

TEST(ImagingBitmap, RowsMoveInStorageOrderAndStayInRange)
{
  // Bottom-up: storage row 0 is the bottom row of the picture.
  Bitmap b = Make({{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}, 8, imaging::kRowsBottomUp); // 8 bytes a row
  uint8_t buf[12] = {};
  EXPECT_EQ(imaging::BeginRows(&b), imaging::kSuccess);
  EXPECT_EQ(imaging::GetRow(&b, buf, 0, 12), 8); // at most bytes-per-line
  EXPECT_EQ(Bytes(buf, buf + 8), (Bytes{6, 7, 8, 9, 10, 0, 0, 0}));
  const uint8_t up[3] = {70, 71, 72};
  EXPECT_EQ(imaging::PutRow(&b, up, 0, 3), 3);
  EXPECT_EQ(Seen(b)[1], (Bytes{70, 71, 72, 9, 10}));
  EXPECT_EQ(imaging::EndRows(&b), imaging::kSuccess);
  EXPECT_EQ(imaging::GetRow(&b, buf, -1, 8) + imaging::GetRow(&b, buf, 2, 8) + imaging::PutRow(&b, up, 2, 3) +
                imaging::GetRow(&b, buf, 0, 0),
            0);
}

TEST(ImagingBitmap, ChangeBppExpandsGreyAndWeighsColour)
{
  Bitmap b = Make({{0, 7, 255}}, 8, imaging::kRowsBottomUp);
  ASSERT_EQ(imaging::ChangeBpp(&b, 24), imaging::kSuccess);
  EXPECT_EQ(b.bytesPerLine, 12);
  EXPECT_EQ(b.rowOrder, imaging::kRowsBottomUp);
  EXPECT_EQ(Seen(b)[0], (Bytes{0, 0, 0, 7, 7, 7, 255, 255, 255}));
  // Back to grey with 0.1 B + 0.6 G + 0.3 R truncated: pure blue 25.5 -> 25.
  b.Row(0)[0] = 255;
  ASSERT_EQ(imaging::ChangeBpp(&b, 8), imaging::kSuccess);
  EXPECT_EQ(Seen(b)[0], (Bytes{25, 7, 255}));
  EXPECT_EQ(imaging::ChangeBpp(&b, 16), imaging::kErrorBadArgument);
}

TEST(ImagingBitmap, RotationTurnsClockwiseAsSeenAndSwapsSizes)
{
  // An arrow 3 wide and 5 high pointing up: tip 9 at the top, shaft of 1s.
  const Rows up = {{0, 9, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}};
  const Rows right = {{0, 0, 0, 0, 0}, {1, 1, 1, 1, 9}, {0, 0, 0, 0, 0}};
  const Rows left = {{0, 0, 0, 0, 0}, {9, 1, 1, 1, 1}, {0, 0, 0, 0, 0}};
  const Rows down = {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 1, 0}, {0, 9, 0}};
  const std::pair<int32_t, const Rows*> cases[] = {{90, &right}, {-90, &left},  {180, &down}, {-270, &right},
                                                   {270, &left}, {450, &right}, {360, &up}};
  for (int32_t order : {imaging::kRowsTopDown, imaging::kRowsBottomUp})
    for (auto [angle, seen] : cases) {
      SCOPED_TRACE(testing::Message() << "order " << order << " angle " << angle);
      Bitmap b = Make(up, 8, order);
      ASSERT_EQ(imaging::Rotate(&b, angle, true), imaging::kSuccess);
      EXPECT_EQ(b.bytesPerLine, (b.width + 3) / 4 * 4);
      EXPECT_EQ(b.rowOrder, order);
      EXPECT_EQ(Seen(b), *seen);
    }

  // Colour pixels move as whole triples; 45 degrees is refused.
  Bitmap colour = Make({{1, 2, 3, 4, 5, 6}}, 24);
  EXPECT_EQ(imaging::Rotate(&colour, 45, false), imaging::kErrorBadArgument);
  EXPECT_EQ(colour.width, 2);
  ASSERT_EQ(imaging::Rotate(&colour, 90, false), imaging::kSuccess); // the left pixel goes on top
  EXPECT_EQ(Seen(colour), (Rows{{1, 2, 3}, {4, 5, 6}}));
}

// ---- BMP ------------------------------------------------------------------------------

// A BMP file: a 12-byte core header or a 40-byte (or longer, with the masks
// inside) header, masks after a 40-byte header, a colour table of 0x00RRGGBB
// entries, then `stored` rows as they lie in the file, each padded to 4.
struct BmpSpec {
  uint32_t headerSize = 40;
  int32_t width = 3, height = 2; // negative height: top-down
  uint32_t bits = 24, compression = 0;
  std::vector<uint32_t> table, masks;
  Rows stored;
};

Bytes MakeBmp(const BmpSpec& s)
{
  const bool core = s.headerSize == 12;
  const auto maskBytes = static_cast<uint32_t>(s.headerSize == 40 ? 4 * s.masks.size() : 0);
  const auto offset = static_cast<uint32_t>(14 + s.headerSize + maskBytes + s.table.size() * (core ? 3 : 4));
  Bytes b = {'B', 'M'};
  Put(b, 0, 8); // file size (not read) and two reserved words
  Put(b, offset, 4);
  Put(b, s.headerSize, 4);
  const int n = core ? 2 : 4;
  Put(b, static_cast<uint32_t>(s.width), n);
  Put(b, static_cast<uint32_t>(s.height), n);
  Put(b, 1, 2);
  Put(b, s.bits, 2);
  if (!core) {
    Put(b, s.compression, 4);
    Put(b, 0, 12);
    Put(b, static_cast<uint32_t>(s.bits <= 8 && s.table.size() == (1u << s.bits) ? 0 : s.table.size()), 4);
    Put(b, 0, 4);
    for (uint32_t m : s.masks) // inside a longer header, or right after a 40-byte one
      Put(b, m, 4);
    b.resize(14 + s.headerSize + maskBytes, 0);
  }
  for (uint32_t c : s.table)
    Put(b, c, core ? 3 : 4);
  for (const Bytes& row : s.stored) {
    b.insert(b.end(), row.begin(), row.end());
    b.resize(b.size() + (4 - row.size() % 4) % 4, 0);
  }
  return b;
}

TEST(ImagingBmp, EveryDepthAndBothRowOrdersGiveThePictureUpright)
{
  // Every depth encodes this 3 x 2 picture (so every row needs padding):
  //   top A B A, bottom B B A, with A = B,G,R 10, 20, 30 and B = 200, 150, 100.
  const Rows picture = {{10, 20, 30, 200, 150, 100, 10, 20, 30}, {200, 150, 100, 200, 150, 100, 10, 20, 30}};
  const uint32_t a = 0x1E140A, b = 0x6496C8;
  std::vector<uint32_t> table16(16, 0xFF00FF), table256(256, 0xFF00FF);
  table16[5] = a, table16[12] = b;
  table256[7] = a, table256[250] = b;
  // Laid out by hand: one case to a row.
  // clang-format off
  const std::pair<const char*, BmpSpec> cases[] = {
      {"1-bit", {40, 3, 2, 1, 0, {a, b}, {}, {{0x40}, {0xC0}}}}, // 0 1 0 / 1 1 0 from the high bit
      {"4-bit", {40, 3, 2, 4, 0, table16, {}, {{0x5C, 0x50}, {0xCC, 0x50}}}}, // 5 12 5 / 12 12 5
      {"8-bit", {40, 3, 2, 8, 0, table256, {}, {{7, 250, 7}, {250, 250, 7}}}},
      {"8-bit core", {12, 3, 2, 8, 0, table256, {}, {{7, 250, 7}, {250, 250, 7}}}},
      {"24-bit", {40, 3, 2, 24, 0, {}, {}, picture}},
      {"32-bit", {40, 3, 2, 32, 0, {}, {}, // B,G,R and an unused byte
                  {{10, 20, 30, 99, 200, 150, 100, 99, 10, 20, 30, 99},
                   {200, 150, 100, 99, 200, 150, 100, 99, 10, 20, 30, 99}}}},
      {"32-bit masks", {108, 3, 2, 32, 3, {}, {0xFF, 0xFF00, 0xFF0000}, // in the header; red low: R,G,B,X
                        {{30, 20, 10, 0, 100, 150, 200, 0, 30, 20, 10, 0},
                         {100, 150, 200, 0, 100, 150, 200, 0, 30, 20, 10, 0}}}},
  };
  // clang-format on
  for (const auto& [name, spec] : cases)
    for (bool topDown : {false, true}) {
      if (topDown && spec.headerSize == 12)
        continue; // the core header has no top-down form
      SCOPED_TRACE(testing::Message() << name << (topDown ? " top-down" : " bottom-up"));
      BmpSpec s = spec;
      if (topDown)
        s.height = -s.height;
      else
        std::reverse(s.stored.begin(), s.stored.end());
      Bitmap out;
      ASSERT_EQ(Load(MakeBmp(s), &out), imaging::kSuccess);
      EXPECT_EQ(out.bitsPerPixel, 24);
      EXPECT_EQ(out.rowOrder, imaging::kRowsTopDown);
      EXPECT_EQ(Seen(out), picture);
    }
}

TEST(ImagingBmp, SixteenBitPixelsScaleToFullRange)
{
  // 5-6-5 masks after a 40-byte header. 0x8410 holds 16/31, 32/63, 16/31:
  // round(16 * 255 / 31) = 132 and round(32 * 255 / 63) = 130.
  Bitmap out;
  ASSERT_EQ(
      Load(MakeBmp({40, 4, 1, 16, 3, {}, {0xF800, 0x07E0, 0x001F}, {{0, 0xF8, 0xE0, 7, 0x1F, 0, 0x10, 0x84}}}), &out),
      imaging::kSuccess);
  EXPECT_EQ(Seen(out)[0], (Bytes{0, 0, 255, 0, 255, 0, 255, 0, 0, 132, 130, 132}));
  // Without masks 16 bits are 5-5-5: 0x7FFF is white, 0x03E0 pure green.
  ASSERT_EQ(Load(MakeBmp({40, 2, 1, 16, 0, {}, {}, {{0xFF, 0x7F, 0xE0, 0x03}}}), &out), imaging::kSuccess);
  EXPECT_EQ(Seen(out)[0], (Bytes{255, 255, 255, 0, 255, 0}));
}

TEST(ImagingBmp, RleDamageAndTruncationAreRefusedSilently)
{
  testing::internal::CaptureStderr();
  Bitmap keep = Make({{1, 2, 3, 4}}, 8);
  const BmpSpec good{40, 4, 2, 24, 0, {}, {}, {Bytes(12, 1), Bytes(12, 2)}}; // rows without padding
  BmpSpec rle = good, twoBits = good, noWidth = good, huge = good;
  rle.compression = 1;
  twoBits.bits = 2;
  noWidth.width = 0;
  huge.width = huge.height = 1 << 30;
  const std::pair<BmpSpec, int32_t> cases[] = {
      {rle, imaging::kErrorUnsupported},
      {twoBits, imaging::kErrorUnsupported},
      {noWidth, imaging::kErrorCorrupt},
      {huge, imaging::kErrorCorrupt}, // the header promises far more than the file holds
      {{40, 1, 1, 8, 0, std::vector<uint32_t>(300, 0), {}, {{0}}}, imaging::kErrorCorrupt},      // 300 colours
      {{40, 1, 1, 32, 3, {}, {0xF0F000, 0xFF00, 0xFF}, {{0, 0, 0, 0}}}, imaging::kErrorCorrupt}, // split mask
      {{40, 1, 1, 16, 3, {}, {0x1F800, 0x7E0, 0x1F}, {{0, 0}}}, imaging::kErrorCorrupt},         // 17 bits
  };
  for (const auto& [spec, status] : cases)
    EXPECT_EQ(Load(MakeBmp(spec), &keep), status) << &spec - &cases[0].first;

  // Pixel offsets inside the header or past the end; every cut of the file.
  const Bytes bytes = MakeBmp(good);
  for (uint8_t offset : {0, 20, 200}) {
    Bytes bad = bytes;
    bad[10] = offset;
    EXPECT_EQ(Load(bad, &keep), imaging::kErrorCorrupt) << int(offset);
  }
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_LT(Load(Bytes(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n)), &keep), 0) << n;
  EXPECT_EQ(Seen(keep), (Rows{{1, 2, 3, 4}}));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(ImagingBmp, SavedFilesAreBottomUpWithAGreyTable)
{
  Bitmap grey = Make({{1, 2, 3}, {4, 5, 6}}, 8);
  ASSERT_EQ(imaging::SaveFile(Temp("g.bmp").c_str(), &grey, FileFormat::kBmp, 0), imaging::kSuccess);
  const Bytes bytes = ReadBytes(Temp("g.bmp"));
  // 14 + 40 + 256 x 4 = 1078 bytes before two rows of 4, the bottom row first.
  ASSERT_EQ(bytes.size(), 1078u + 8u);
  EXPECT_EQ(bytes[10] | bytes[11] << 8, 1078);
  EXPECT_EQ(bytes[22], 2); // a positive height: bottom-up
  EXPECT_EQ(bytes[28], 8);
  EXPECT_EQ(Bytes(bytes.begin() + 54 + 4 * 200, bytes.begin() + 54 + 4 * 201), (Bytes{200, 200, 200, 0}));
  EXPECT_EQ(Bytes(bytes.end() - 8, bytes.end()), (Bytes{4, 5, 6, 0, 1, 2, 3, 0}));
  Bitmap back;
  ASSERT_EQ(imaging::LoadFile(Temp("g.bmp").c_str(), &back, 0), imaging::kSuccess);
  EXPECT_EQ(back.bitsPerPixel, 8); // a grey table makes a grey file
  EXPECT_EQ(Seen(back), Seen(grey));
}

// ---- TIFF --------------------------------------------------------------------------------

TEST(ImagingTiff, GreyAndColourRoundTripsAreExact)
{
  // Odd widths; 262145 wide makes the reader fetch 3 rows at a time (2^20
  // pixels / 262145 = 3), so 7 rows span three bands.
  const int32_t sizes[][3] = {{5, 3, 8}, {7, 4, 24}, {262145, 7, 8}};
  for (auto [width, height, bits] : sizes) {
    SCOPED_TRACE(testing::Message() << width << " x " << height << " x " << bits);
    Bitmap in;
    ASSERT_EQ(imaging::Create(&in, width, height, bits), imaging::kSuccess);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t i = 0; i < width * bits / 8; ++i)
        in.Row(y)[i] = static_cast<uint8_t>(i * 7 + y * 50);
    ASSERT_EQ(imaging::SaveFile(Temp("rt.tif").c_str(), &in, FileFormat::kTiff, 0), imaging::kSuccess);
    Bitmap out;
    ASSERT_EQ(imaging::LoadFile(Temp("rt.tif").c_str(), &out, 0), imaging::kSuccess);
    EXPECT_EQ(out.bitsPerPixel, bits);
    EXPECT_TRUE(Seen(out) == Seen(in));
  }
}

TEST(ImagingTiff, OtherLayoutsGoThroughTheRgbaReaderFirstPageOnly)
{
  // Page 1: 1-bit with white as zero (0 1 1 0 -> 255 0 0 255), grey.
  // Page 2: RGB, never read.
  TIFF* tif = TIFFOpen(Temp("two.tif").c_str(), "w");
  ASSERT_NE(tif, nullptr);
  uint8_t row[6] = {0x60, 2, 3, 4, 5, 6};
  for (int page = 0; page < 2; ++page) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page ? 2 : 4);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page ? 8 : 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, page ? 3 : 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, page ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE);
    TIFFWriteScanline(tif, row, 0, 0);
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  Bitmap out;
  ASSERT_EQ(imaging::LoadFile(Temp("two.tif").c_str(), &out, 0), imaging::kSuccess);
  EXPECT_EQ(out.bitsPerPixel, 8);
  EXPECT_EQ(Seen(out), (Rows{{255, 0, 0, 255}}));
}

TEST(ImagingTiff, TruncatedAndDamagedFilesFailSilently)
{
  Bitmap in;
  ASSERT_EQ(imaging::Create(&in, 40, 30, 24), imaging::kSuccess);
  for (int32_t y = 0; y < 30; ++y)
    for (int32_t i = 0; i < 120; ++i)
      in.Row(y)[i] = static_cast<uint8_t>(i * i + y);
  ASSERT_EQ(imaging::SaveFile(Temp("d.tif").c_str(), &in, FileFormat::kTiff, 0), imaging::kSuccess);
  const Bytes bytes = ReadBytes(Temp("d.tif"));

  testing::internal::CaptureStderr();
  Bitmap keep = Make({{1, 2, 3, 4}}, 8);
  // The directory comes last: every cut loses it or pixel data.
  for (size_t n = 4; n < bytes.size(); n += n < 64 || n + 64 > bytes.size() ? 1 : 37)
    EXPECT_LT(Load(Bytes(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n)), &keep), 0) << n;
  // Flipped bytes: success or a status, never a crash or a message.
  for (size_t at = 4; at < bytes.size(); at += 7) {
    Bytes bad = bytes;
    bad[at] ^= 0xA5;
    Bitmap out;
    const int32_t status = Load(bad, &out);
    EXPECT_TRUE(status == imaging::kSuccess || status < 0);
  }
  EXPECT_EQ(Seen(keep), (Rows{{1, 2, 3, 4}}));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// ---- Depths, memory and saving ----------------------------------------------------------

TEST(ImagingDepth, LoadMemoryEqualsLoadFileAndEightBitsAreWeighed)
{
  // Grey is 0.1 B + 0.6 G + 0.3 R, truncated: blue 25.5 -> 25, green 153,
  // red 76.5 -> 76, (10, 20, 30) -> 1 + 12 + 9 = 22.
  Bitmap in = Make({{255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}}, 24);
  for (FileFormat format :
       {FileFormat::kPng, FileFormat::kJpeg, FileFormat::kPnm, FileFormat::kBmp, FileFormat::kTiff}) {
    const std::string path = Temp("m.img");
    ASSERT_EQ(imaging::SaveFile(path.c_str(), &in, format, 90), imaging::kSuccess);
    const Bytes bytes = ReadBytes(path);
    for (int32_t want : {0, 8, 24}) {
      SCOPED_TRACE(testing::Message() << "format " << int(format) << " want " << want);
      Bitmap fromFile, fromMemory;
      ASSERT_EQ(imaging::LoadFile(path.c_str(), &fromFile, want), imaging::kSuccess);
      ASSERT_EQ(Load(bytes, &fromMemory, want), imaging::kSuccess);
      EXPECT_EQ(fromMemory.bitsPerPixel, want == 8 ? 8 : 24);
      EXPECT_EQ(Seen(fromMemory), Seen(fromFile));
      if (want == 8 && format != FileFormat::kJpeg) {
        EXPECT_EQ(Seen(fromMemory), (Rows{{25, 153, 76, 22}}));
      }
    }
  }
  Bitmap out;
  EXPECT_EQ(Load(ReadBytes(Temp("m.img")), &out, 32), imaging::kErrorBadArgument);
}

TEST(ImagingDepth, SaveConvertsDepthAndWritesBottomUpBitmapsUpright)
{
  // Grey asked as 24 bits: the BMP holds 24-bit pixels v, v, v.
  Bitmap grey = Make({{50, 60, 70}}, 8), back;
  ASSERT_EQ(imaging::SaveFile(Temp("g24.bmp").c_str(), &grey, FileFormat::kBmp, 24, 0), imaging::kSuccess);
  EXPECT_EQ(ReadBytes(Temp("g24.bmp"))[28], 24);
  ASSERT_EQ(imaging::LoadFile(Temp("g24.bmp").c_str(), &back, 0), imaging::kSuccess);
  EXPECT_EQ(Seen(back), (Rows{{50, 50, 50, 60, 60, 60, 70, 70, 70}}));

  // Colour asked as 8 bits is weighed as on loading; 16 bits is refused.
  Bitmap colour = Make({{255, 0, 0, 10, 20, 30}}, 24);
  ASSERT_EQ(imaging::SaveFile(Temp("c8.png").c_str(), &colour, FileFormat::kPng, 8, 0), imaging::kSuccess);
  ASSERT_EQ(imaging::LoadFile(Temp("c8.png").c_str(), &back, 0), imaging::kSuccess);
  EXPECT_EQ(Seen(back), (Rows{{25, 22}}));
  EXPECT_EQ(imaging::SaveFile(Temp("x.png").c_str(), &colour, FileFormat::kPng, 16, 0), imaging::kErrorBadArgument);

  // A bottom-up bitmap (row order 3 reads as 2) is written upright.
  Bitmap captured = Make({{1, 2}, {3, 4}}, 8, imaging::kRowsBottomUpAlt);
  for (FileFormat format : {FileFormat::kPng, FileFormat::kBmp, FileFormat::kTiff}) {
    ASSERT_EQ(imaging::SaveFile(Temp("bu.img").c_str(), &captured, format, 0), imaging::kSuccess);
    ASSERT_EQ(imaging::LoadFile(Temp("bu.img").c_str(), &back, 0), imaging::kSuccess);
    EXPECT_EQ(Seen(back), (Rows{{1, 2}, {3, 4}})) << int(format);
    EXPECT_EQ(back.rowOrder, imaging::kRowsTopDown);
  }
}

} // namespace
