// Hostile headers and decompression bombs: every reader checks the pixel
// limit and, for raw formats, the bytes the file holds before it allocates
// anything sized by the header. Each load runs in a child process whose
// address space is capped, so an allocation sized by the header would fail
// there (out of memory) instead of being refused.
#include "imaging/imaging.h"
#include "lvxtest/childrun.h"
#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using imaging::Bitmap;
using Bytes = std::vector<uint8_t>;

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

void WriteBytes(const std::string& path, const Bytes& bytes)
{
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Writes `header` and makes the file `total` bytes long; the rest is a hole
// that reads as zeros and takes no space.
void WriteSparse(const std::string& path, const Bytes& header, uint64_t total)
{
  WriteBytes(path, header);
  ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(total)), 0);
}

void Put16(Bytes& b, uint32_t v)
{
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& b, uint32_t v)
{
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

void PutBig32(Bytes& b, uint32_t v)
{
  for (int shift = 24; shift >= 0; shift -= 8)
    b.push_back(static_cast<uint8_t>(v >> shift));
}

// A PNG chunk: length, type, data and checksum.
void PutChunk(Bytes& png, const char* type, const Bytes& data)
{
  PutBig32(png, static_cast<uint32_t>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  PutBig32(png, static_cast<uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

// A grey PNG of the given depth whose image data is `data` (compressed
// rows, each with its filter byte); complete with its end chunk when asked.
Bytes Png(uint32_t width, uint32_t height, uint8_t depth, const Bytes& data, bool complete)
{
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBig32(header, width);
  PutBig32(header, height);
  header.insert(header.end(), {depth, 0, 0, 0, 0}); // grey, deflate, no filter, not interlaced
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", data);
  if (complete)
    PutChunk(png, "IEND", {});
  return png;
}

// The header chunk of an 8-bit grey PNG and the start of its image data.
Bytes PngHeader(uint32_t width, uint32_t height) { return Png(width, height, 8, {0x78, 0x9C}, false); }

// A baseline grey JPEG frame header and scan header, tables left out.
Bytes JpegHeader(uint16_t width, uint16_t height)
{
  // Laid out by hand: the header bytes as they lie in the file.
  // clang-format off
  return {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8),
          uint8_t(width), 0x01, 0x01, 0x11, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00};
  // clang-format on
}

// A little-endian TIFF directory of one uncompressed strip.
Bytes TiffHeader(uint32_t width, uint32_t height, uint16_t samples = 1, uint16_t bits = 8)
{
  Bytes b = {'I', 'I', 42, 0};
  Put32(b, 8);
  const std::vector<std::array<uint32_t, 3>> entries = {
      {256, 4, width}, {257, 4, height},  {258, 3, bits},   {259, 3, 1},          {262, 3, samples >= 3 ? 2u : 1u},
      {273, 4, 200},   {277, 3, samples}, {278, 4, height}, {279, 4, 0x7FFFFFFF},
  };
  Put16(b, static_cast<uint32_t>(entries.size()));
  for (const auto& [tag, type, value] : entries) {
    Put16(b, tag);
    Put16(b, type);
    Put32(b, 1);
    Put32(b, value); // a SHORT sits in the low half
  }
  Put32(b, 0);
  return b;
}

// A BMP file header and 40-byte info header of an 8-bit picture (the grey
// colour table follows when the file holds it).
Bytes BmpHeader(int32_t width, int32_t height)
{
  Bytes b = {'B', 'M'};
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 14 + 40 + 1024);
  Put32(b, 40);
  Put32(b, static_cast<uint32_t>(width));
  Put32(b, static_cast<uint32_t>(height));
  Put16(b, 1);
  Put16(b, 8);
  for (int i = 0; i < 6; ++i)
    Put32(b, 0);
  for (uint32_t i = 0; i < 256; ++i)
    Put32(b, i * 0x010101u);
  return b;
}

// A 24-bit picture of random pixels.
Bitmap Noise(int32_t width, int32_t height, unsigned seed)
{
  Bitmap b;
  EXPECT_EQ(imaging::Create(&b, width, height, 24), imaging::kSuccess);
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t i = 0; i < 3 * width; ++i)
      b.Row(y)[i] = static_cast<uint8_t>(rng());
  return b;
}

// Loads the file (and its bytes from memory) in a child process whose
// address space may grow by 128 MB only, and expects both loads to end with
// `status` and a message holding `says`, having used little memory.
void ExpectRefusedCheaply(const std::string& path, int32_t status, const std::string& says)
{
  SCOPED_TRACE(path);
  std::string why;
  const lvxtest::ChildRun run = lvxtest::RunInChild(
      [&] {
        Bitmap bitmap;
        std::string error;
        if (imaging::LoadFile(path.c_str(), &bitmap, 0, &error) != status || error.find(says) == std::string::npos)
          return 1;
        struct stat st;
        if (stat(path.c_str(), &st) != 0 || st.st_size > (off_t{16} << 20))
          return 0; // a hole too large to hold in memory: the file's load alone
        const std::string bytes = lvxtest::FileContents(path);
        if (imaging::LoadMemory(bytes.data(), bytes.size(), &bitmap, 0, &error) != status)
          return 2;
        return 0;
      },
      128);
  ASSERT_TRUE(run.exited);
  EXPECT_EQ(run.result, 0) << "1: the file's load, 2: the memory load ended otherwise";
  EXPECT_LT(run.peakGrowthKb, 64 * 1024);
  // The same in this process, to see the message.
  Bitmap bitmap;
  EXPECT_EQ(imaging::LoadFile(path.c_str(), &bitmap, 0, &why), status);
  EXPECT_NE(why.find(says), std::string::npos) << why;
  EXPECT_EQ(bitmap.data, nullptr);
}

// The limit set in a test is the default again afterwards.
class ImagingLimits : public testing::Test {
protected:
  void TearDown() override
  {
    imaging::SetMaxPixels(0);
    unsetenv(imaging::kMaxPixelsVariable);
  }
};

TEST_F(ImagingLimits, RawHeadersClaimingMoreThanTheFileHoldsAreRefusedBeforeAllocating)
{
  // The reproducers: 4.29 GB and 3.2 GB of 16-bit samples claimed by 21 and
  // 19 bytes. Whatever the limit, the byte count refuses them.
  WriteBytes(Temp("a.ppm"), Text("P6 715000000\n1\n65535\n"));
  WriteBytes(Temp("b.ppm"), Text("P6 535643663\n\n1 534"));
  WriteBytes(Temp("c.pgm"), Text("P5\n30000 30000\n65535\n1234"));
  Bytes bmp = BmpHeader(20000, 20000);
  bmp.resize(bmp.size() + 100);
  WriteBytes(Temp("d.bmp"), bmp);
  for (const int64_t limit : {int64_t{0}, int64_t{1000000000000}}) {
    ASSERT_EQ(imaging::SetMaxPixels(limit), imaging::kSuccess);
    ExpectRefusedCheaply(Temp("a.ppm"), imaging::kErrorCorrupt, "1 rows of 4290000000 bytes, the file holds 0");
    ExpectRefusedCheaply(Temp("b.ppm"), imaging::kErrorCorrupt, "truncated PPM/PGM data");
    ExpectRefusedCheaply(Temp("c.pgm"), imaging::kErrorCorrupt, "truncated PPM/PGM data");
    ExpectRefusedCheaply(Temp("d.bmp"), imaging::kErrorCorrupt, "truncated BMP pixel data");
  }
}

TEST_F(ImagingLimits, EveryFormatRefusesAHeaderOverTheLimitBeforeAllocating)
{
  // 20000 x 20000 is 400 million pixels: over the default limit, yet its
  // bitmap (400 MB grey) would fit the 2 GiB cap. The raw files hold every
  // byte they claim (as a hole), so only the limit refuses them.
  const std::string says = "400000000 pixels (20000 x 20000) is more than the limit of 250000000 (raise it with "
                           "--max-pixels N or LUMIVEX_MAX_PIXELS)";
  WriteBytes(Temp("big.png"), PngHeader(20000, 20000));
  WriteBytes(Temp("big.jpg"), JpegHeader(20000, 20000));
  WriteBytes(Temp("big.tif"), TiffHeader(20000, 20000));
  WriteSparse(Temp("big.pgm"), Text("P5 20000 20000 255\n"), 19 + uint64_t{20000} * 20000);
  WriteSparse(Temp("big.bmp"), BmpHeader(20000, -20000), 14 + 40 + 1024 + uint64_t{20000} * 20000);
  for (const char* name : {"big.png", "big.jpg", "big.tif", "big.pgm", "big.bmp"})
    ExpectRefusedCheaply(Temp(name), imaging::kErrorTooLarge, says);

  // A TIFF of few pixels with thousands of samples each is held to the
  // memory the limit allows at eight bytes a pixel.
  ASSERT_EQ(imaging::SetMaxPixels(100000), imaging::kSuccess);
  WriteBytes(Temp("deep.tif"), TiffHeader(100, 100, 3000, 16));
  ExpectRefusedCheaply(Temp("deep.tif"), imaging::kErrorTooLarge, "3000 samples of 16 bits");
}

TEST_F(ImagingLimits, TheLimitComesFromTheCallThenTheEnvironmentThenTheDefault)
{
  const Bitmap picture = Noise(40, 30, 5);
  const std::pair<const char*, imaging::FileFormat> formats[] = {{"p.png", imaging::FileFormat::kPng},
                                                                 {"p.jpg", imaging::FileFormat::kJpeg},
                                                                 {"p.tif", imaging::FileFormat::kTiff},
                                                                 {"p.bmp", imaging::FileFormat::kBmp},
                                                                 {"p.ppm", imaging::FileFormat::kPnm}};
  for (const auto& [name, format] : formats) {
    SCOPED_TRACE(name);
    const std::string path = Temp(name);
    ASSERT_EQ(imaging::SaveFile(path.c_str(), &picture, format, 90), imaging::kSuccess);
    const std::string bytes = lvxtest::FileContents(path);
    Bitmap out;
    std::string why;
    ASSERT_EQ(imaging::SetMaxPixels(1199), imaging::kSuccess);
    EXPECT_EQ(imaging::LoadFile(path.c_str(), &out, 0, &why), imaging::kErrorTooLarge);
    EXPECT_NE(why.find("1200 pixels (40 x 30) is more than the limit of 1199"), std::string::npos) << why;
    EXPECT_EQ(imaging::LoadMemory(bytes.data(), bytes.size(), &out, 24), imaging::kErrorTooLarge);
    ASSERT_EQ(imaging::SetMaxPixels(1200), imaging::kSuccess);
    EXPECT_EQ(imaging::LoadFile(path.c_str(), &out, 0), imaging::kSuccess);

    // Without a call the environment decides; a call overrides it.
    ASSERT_EQ(imaging::SetMaxPixels(0), imaging::kSuccess);
    setenv(imaging::kMaxPixelsVariable, "1000", 1);
    EXPECT_EQ(imaging::MaxPixels(), 1000);
    EXPECT_EQ(imaging::LoadFile(path.c_str(), &out, 0), imaging::kErrorTooLarge);
    ASSERT_EQ(imaging::SetMaxPixels(5000), imaging::kSuccess);
    EXPECT_EQ(imaging::LoadFile(path.c_str(), &out, 0), imaging::kSuccess);
    ASSERT_EQ(imaging::SetMaxPixels(0), imaging::kSuccess);
    unsetenv(imaging::kMaxPixelsVariable);
  }

  // A variable that is not a count fails every load and says so.
  EXPECT_EQ(imaging::MaxPixels(), imaging::kDefaultMaxPixels);
  setenv(imaging::kMaxPixelsVariable, "12e6", 1);
  EXPECT_EQ(imaging::MaxPixels(), -1);
  Bitmap out;
  std::string why;
  EXPECT_EQ(imaging::LoadFile(Temp("p.png").c_str(), &out, 0, &why), imaging::kErrorBadArgument);
  EXPECT_NE(why.find("LUMIVEX_MAX_PIXELS must be a whole number of pixels"), std::string::npos) << why;
  EXPECT_NE(why.find("'12e6'"), std::string::npos) << why;

  int64_t n = 7;
  for (const char* bad : {"", "0", "-5", "+5", "5 ", "1000000000000001", "99999999999999999999"})
    EXPECT_FALSE(imaging::ParseMaxPixels(bad, &n)) << bad;
  EXPECT_EQ(n, 7);
  EXPECT_TRUE(imaging::ParseMaxPixels("1000000000000000", &n));
  EXPECT_EQ(n, 1000000000000000);
  EXPECT_EQ(imaging::SetMaxPixels(-1), imaging::kErrorBadArgument);
}

// Writes a 1-bit grey PNG of zeros: a few hundred bytes of file per million
// pixels.
void WriteZeroBomb(const std::string& path, uint32_t side)
{
  z_stream z{};
  ASSERT_EQ(deflateInit(&z, 9), Z_OK);
  const Bytes zeros(1 + (side + 7) / 8, 0); // a row: its filter byte and packed pixels
  Bytes data(1 << 20);
  size_t used = 0;
  for (uint32_t y = 0; y <= side; ++y) {
    const bool last = y == side;
    z.next_in = const_cast<Bytef*>(zeros.data());
    z.avail_in = last ? 0 : static_cast<uInt>(zeros.size());
    int result = Z_OK;
    do {
      if (used == data.size())
        data.resize(2 * data.size());
      z.next_out = data.data() + used;
      z.avail_out = static_cast<uInt>(data.size() - used);
      result = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
      used = data.size() - z.avail_out;
    } while (z.avail_in > 0 || (last && result != Z_STREAM_END));
  }
  deflateEnd(&z);
  data.resize(used);
  WriteBytes(path, Png(side, side, 1, data, true));
}

TEST_F(ImagingLimits, APngBombIsRefusedByTheLimitAndLoadsWhenItIsRaised)
{
  // 20000 x 20000 zeros: under 100 kB on disk, 400 MB as a bitmap.
  WriteZeroBomb(Temp("bomb.png"), 20000);
  EXPECT_LT(lvxtest::FileContents(Temp("bomb.png")).size(), 100000u);
  ExpectRefusedCheaply(Temp("bomb.png"), imaging::kErrorTooLarge,
                       "bomb.png': 400000000 pixels (20000 x 20000) is more than the limit of 250000000");

  // A smaller one with a lowered limit: refused, then loaded in full once
  // the limit (by call or by the environment) allows it.
  WriteZeroBomb(Temp("small-bomb.png"), 3000);
  Bitmap out;
  ASSERT_EQ(imaging::SetMaxPixels(8999999), imaging::kSuccess);
  EXPECT_EQ(imaging::LoadFile(Temp("small-bomb.png").c_str(), &out, 0), imaging::kErrorTooLarge);
  ASSERT_EQ(imaging::SetMaxPixels(0), imaging::kSuccess);
  setenv(imaging::kMaxPixelsVariable, "9000000", 1);
  ASSERT_EQ(imaging::LoadFile(Temp("small-bomb.png").c_str(), &out, 0), imaging::kSuccess);
  EXPECT_EQ(out.width, 3000);
  EXPECT_EQ(out.height, 3000);
  EXPECT_EQ(out.bitsPerPixel, 8);
  EXPECT_EQ(out.Row(2999)[2999], 0);
}

TEST_F(ImagingLimits, AWriteThatRunsOutOfRoomGivesTheSystemsReason)
{
  // A file size limit stands in for a full disk: the writers' failing
  // writes say what the system said, not their library's "Write Error".
  const Bitmap noise = Noise(600, 600, 3);
  const std::string reason = std::strerror(EFBIG);
  for (const imaging::FileFormat format :
       {imaging::FileFormat::kPng, imaging::FileFormat::kJpeg, imaging::FileFormat::kTiff, imaging::FileFormat::kBmp,
        imaging::FileFormat::kPnm}) {
    SCOPED_TRACE(static_cast<int>(format));
    const std::string path = Temp("full.out");
    const lvxtest::ChildRun run = lvxtest::RunInChild([&] {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{64 * 1024, 64 * 1024};
      setrlimit(RLIMIT_FSIZE, &limit);
      std::string why;
      if (imaging::SaveFile(path.c_str(), &noise, format, 90, &why) != imaging::kErrorWrite)
        return 1;
      return why.find(reason) != std::string::npos && why.find("Write Error") == std::string::npos ? 0 : 2;
    });
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.result, 0) << "1: the save did not fail as a write, 2: the reason is not the system's";
  }
}

} // namespace
