// The native ".twl" reader on files built here byte by byte: header byte
// order, the embedded image, both preview forms, and failure roads that
// close their file and release their blocks.
#include "imaging/imaging.h"
#include "lvxtest/childrun.h"
#include "lvxtest/testenv.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvtwlfile.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void PutBig(Bytes& file, size_t at, uint32_t value, int bytes)
{
  for (int i = 0; i < bytes; ++i)
    file[at + i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
}

// Header, preview block from byte 1024, then the embedded image.
Bytes Twl(uint16_t version, const Bytes& preview, const Bytes& image)
{
  Bytes file(1024, 0);
  // A known GCC 12 false positive at -O3: -Warray-bounds and
  // -Wstringop-overread on vector::insert.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wstringop-overread"
  file.insert(file.end(), preview.begin(), preview.end());
#pragma GCC diagnostic pop
  PutBig(file, 22, version, 2);
  PutBig(file, 284, static_cast<uint32_t>(file.size()), 4);
  PutBig(file, 288, static_cast<uint32_t>(image.size()), 4);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

std::string Write(const std::string& name, const Bytes& bytes)
{
  const std::string path = lvxtest::TempDir() + "/" + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

// A 2 x 1 colour PPM file: pixels (R 1, G 2, B 3) and (R 4, G 5, B 6).
const Bytes kEmbedded = {'P', '6', ' ', '2', ' ', '1', ' ', '2', '5', '5', '\n', 1, 2, 3, 4, 5, 6};

// Preview blocks, rows stored bottom first. Colour: a 40-byte header, then
// stored row k, pixel x = (B k, G x, R 200). Grey: exactly 5160 bytes with
// the palette first, stored row k, pixel x = k + x.
Bytes Preview(bool grey)
{
  Bytes block(grey ? 40 + 1024 + 4096 : 40 + 12288, 200);
  for (int k = 0; k < 64; ++k)
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = grey ? &block[40 + 1024 + k * 64 + x] : &block[40 + k * 192 + x * 3];
      p[0] = uint8_t(grey ? k + x : k);
      if (!grey)
        p[1] = uint8_t(x);
    }
  return block;
}

size_t OpenFiles()
{
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<size_t>(std::distance(begin(fds), end(fds)));
}

TEST(TWLFile, HeaderIsBigEndianAndTheImageLoadsInColour)
{
  Bytes file = Twl(14, Preview(false), kEmbedded);
  PutBig(file, 12, 0x01020304, 4);
  const std::string path = Write("photo.TWL", file);
  TWLHeaderDataRecord header;
  ASSERT_EQ(ReadTWLHeader(path.c_str(), &header), kTWLSuccess);
  EXPECT_EQ(header.value12, 0x01020304u);
  EXPECT_EQ(header.version, 14);
  EXPECT_EQ(header.dataOffset, 1024u + 40 + 12288);

  // Version 14 is no obstacle on this road, and the capital extension
  // routes here (as a plain image file the header would not load). The
  // caller's depth applies: colour stays colour, 8 gives grey.
  QVFileSpec spec(path.c_str());
  QVImage image(spec, 0, false);
  ASSERT_TRUE(image.ready);
  EXPECT_EQ(Bytes(image.pixels, image.pixels + image.rowBytes), (Bytes{3, 2, 1, 6, 5, 4, 0, 0}));
  EXPECT_EQ(QVImage(spec, 8, false).bytesPerPixel, 1);

  // Shorter than a header: every reader fails.
  const std::string cut = Write("cut.twl", Bytes(file.begin(), file.begin() + 1000));
  imaging::Bitmap preview;
  EXPECT_EQ(ReadTWLHeader(cut.c_str(), &header), kTWLError);
  EXPECT_EQ(ReadTWLPreview(cut.c_str(), &preview), kTWLError);
}

TEST(TWLFile, PreviewsAreUprightAndGreyLevelsExpand)
{
  // Stored row k becomes picture row 63 - k.
  QVFileSpec colour(Write("c.twl", Twl(16, Preview(false), kEmbedded)).c_str());
  QVImage preview(colour, 0, true);
  ASSERT_EQ(preview.width * preview.height * preview.bytesPerPixel, 64 * 64 * 3);
  EXPECT_EQ(preview.pixels[5 * 3], 63);
  EXPECT_EQ(preview.pixels[5 * 3 + 1], 5);
  EXPECT_EQ(preview.pixels[5 * 3 + 2], 200);

  // 5160 bytes: grey, each level in B, G and R. Row 10 is stored row 53.
  QVFileSpec grey(Write("g.twl", Twl(15, Preview(true), kEmbedded)).c_str());
  QVImage greyPreview(grey, 0, true);
  ASSERT_TRUE(greyPreview.ready);
  const uint8_t* p = greyPreview.pixels + 10 * greyPreview.rowBytes + 4 * 3;
  EXPECT_EQ(Bytes(p, p + 3), Bytes(3, 53 + 4));

  // One byte more is the colour form, read from byte 1064 (the stored
  // bottom row, marked here), not from 2088.
  Bytes larger = Preview(true);
  larger.push_back(0);
  std::fill(larger.begin() + 40, larger.begin() + 40 + 192, 0x22);
  Bytes padded = kEmbedded;
  padded.resize(8000, 0);
  QVFileSpec boundary(Write("b.twl", Twl(16, larger, padded)).c_str());
  EXPECT_EQ(QVImage(boundary, 0, true).pixels[63 * 64 * 3 + 100], 0x22);

  // Wrong versions, no preview block, and a colour form past the file's end.
  imaging::Bitmap out;
  EXPECT_EQ(ReadTWLPreview(Write("v17.twl", Twl(17, Preview(false), kEmbedded)).c_str(), &out), kTWLError);
  EXPECT_EQ(ReadTWLPreview(Write("none.twl", Twl(16, {}, kEmbedded)).c_str(), &out), kTWLError);
  EXPECT_EQ(ReadTWLPreview(Write("short.twl", Twl(16, larger, kEmbedded)).c_str(), &out), kTWLError);
  EXPECT_EQ(out.data, nullptr);
}

TEST(TWLFile, BadOffsetsAndLengthsFailBeforeAllocatingTheData)
{
  const Bytes good = Twl(16, Preview(false), kEmbedded);
  const long blocks = standin::LiveBlocks();
  const size_t files = OpenFiles();
  // Offset inside the header, no data, data or offset past the end.
  for (const auto& [at, value] : std::vector<std::pair<size_t, uint32_t>>{
           {284, 500}, {288, 0}, {288, static_cast<uint32_t>(good.size())}, {288, 0xFFFFFFF0u}, {284, 0xFFFFFF00u}}) {
    Bytes bad = good;
    PutBig(bad, at, value, 4);
    QVFileSpec spec(Write("bad.twl", bad).c_str());
    TWLHeaderDataRecord* header = nullptr;
    unsigned char* data = nullptr;
    standin::ResetAllocationFaults();
    EXPECT_EQ(QVImage().ReadTWLFile(spec, &header, &data), kTWLError) << at << " " << value;
    EXPECT_EQ(standin::AllocationRequests(), 1) << "only the header block";
    EXPECT_TRUE(!header && !data);
    EXPECT_TRUE(QVImage(spec, 0, false).error);
  }
  EXPECT_EQ(standin::LiveBlocks(), blocks);
  EXPECT_EQ(OpenFiles(), files);
}

TEST(TWLFile, EmbeddedImagesAreHeldToThePixelLimitAndTheirOwnBytes)
{
  // The data block is bounded by the file; the embedded image's header is
  // then judged before its pixels are allocated. A 21-byte PPM claiming
  // 4.29 GB of samples fails in a child whose address space may grow by
  // 128 MB only, whatever the limit.
  const Bytes claim = {'P', '6',  ' ', '7',  '1', '5', '0', '0', '0', '0', '0',
                       '0', '\n', '1', '\n', '6', '5', '5', '3', '5', '\n'};
  QVFileSpec hostile(Write("claim.twl", Twl(16, Preview(false), claim)).c_str());
  for (const int64_t limit : {int64_t{0}, int64_t{1000000000000}}) {
    imaging::SetMaxPixels(limit);
    const lvxtest::ChildRun run = lvxtest::RunInChild([&] { return QVImage(hostile, 0, false).error ? 0 : 1; }, 128);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.result, 0);
    EXPECT_LT(run.peakGrowthKb, 64 * 1024);
  }

  // A sound embedded image of 2 pixels against limits of 1 and 2.
  QVFileSpec small(Write("small.twl", Twl(16, Preview(false), kEmbedded)).c_str());
  imaging::SetMaxPixels(1);
  EXPECT_TRUE(QVImage(small, 0, false).error);
  EXPECT_FALSE(QVImage(small, 0, true).error) << "the 64 x 64 preview is not the embedded image";
  imaging::SetMaxPixels(2);
  EXPECT_FALSE(QVImage(small, 0, false).error);
  imaging::SetMaxPixels(0);
}

TEST(TWLFile, AllocationFailuresLeaveNothingBehind)
{
  const std::string path = Write("f.twl", Twl(16, Preview(false), kEmbedded));
  QVFileSpec spec(path.c_str());
  const long blocks = standin::LiveBlocks();
  const size_t files = OpenFiles();
  // Fail each allocation of a full load in turn (header, data, pixels)
  // until the load needs none of the failures.
  int failures = 0;
  for (;; ++failures) {
    standin::FailAllocations(failures, 1);
    const bool failed = QVImage(spec, 0, false).error;
    standin::ResetAllocationFaults();
    EXPECT_EQ(standin::LiveBlocks(), blocks) << failures;
    if (!failed)
      break;
  }
  EXPECT_EQ(failures, 3);
  // The preview's header and pixel blocks.
  imaging::Bitmap preview;
  for (long skip : {0, 1}) {
    standin::FailAllocations(skip, 1);
    EXPECT_EQ(ReadTWLPreview(path.c_str(), &preview), kTWLNoMemory);
  }
  standin::ResetAllocationFaults();
  EXPECT_EQ(standin::LiveBlocks(), blocks);
  EXPECT_EQ(OpenFiles(), files);
}

} // namespace
