// The native ".twl" reader on files built here byte by byte: header byte
// order, the embedded image, both preview forms, and every failure road
// closing its file and releasing its blocks.
#include "lvxtest/testenv.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvtwlfile.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

void PutBig(Bytes& file, size_t at, uint32_t value, int bytes)
{
  for (int i = 0; i < bytes; ++i)
    file[at + i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
}

// Header, preview block (from byte 1024) and embedded image, with the data
// offset and length pointing at the image.
Bytes Twl(uint16_t version, const Bytes& preview, const Bytes& image)
{
  Bytes file(1024, 0);
  file.insert(file.end(), preview.begin(), preview.end());
  const auto offset = static_cast<uint32_t>(file.size());
  file.insert(file.end(), image.begin(), image.end());
  PutBig(file, 22, version, 2);
  PutBig(file, 284, offset, 4);
  PutBig(file, 288, static_cast<uint32_t>(image.size()), 4);
  return file;
}

std::string Write(const std::string& name, const Bytes& bytes)
{
  const std::string path = Temp(name);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

Bytes ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A 5 x 3 colour BMP whose pixel (x, y) is B = 10x, G = 20y, R = 7.
Bytes EmbeddedBmp(imaging::Bitmap* picture)
{
  EXPECT_EQ(imaging::Create(picture, 5, 3, 24), imaging::kSuccess);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      picture->Row(y)[x * 3] = static_cast<uint8_t>(10 * x);
      picture->Row(y)[x * 3 + 1] = static_cast<uint8_t>(20 * y);
      picture->Row(y)[x * 3 + 2] = 7;
    }
  const std::string path = Temp("embedded.bmp");
  EXPECT_EQ(imaging::SaveFile(path.c_str(), picture, imaging::FileFormat::kBmp, 0), imaging::kSuccess);
  return ReadAll(path);
}

// A colour preview block (header + 64 rows of 192 bytes, bottom row first):
// stored row k, pixel x holds B = k, G = x, R = 200.
Bytes ColourPreview()
{
  Bytes block(40 + 12288, 0);
  for (int k = 0; k < 64; ++k)
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = &block[40 + k * 192 + x * 3];
      p[0] = static_cast<uint8_t>(k);
      p[1] = static_cast<uint8_t>(x);
      p[2] = 200;
    }
  return block;
}

// A grey preview block of exactly 40 + 1024 + 4096 bytes: stored row k,
// pixel x holds k + x.
Bytes GreyPreview()
{
  Bytes block(40 + 1024 + 4096, 0xAA);
  for (int k = 0; k < 64; ++k)
    for (int x = 0; x < 64; ++x)
      block[40 + 1024 + k * 64 + x] = static_cast<uint8_t>(k + x);
  return block;
}

int OpenFiles()
{
  int count = 0;
  DIR* dir = opendir("/proc/self/fd");
  while (readdir(dir))
    ++count;
  closedir(dir);
  return count;
}

TEST(TWLFile, HeaderFieldsAreBigEndian)
{
  Bytes file = Twl(16, {}, Bytes(10, 1));
  file[0] = 'T';
  PutBig(file, 12, 0x01020304, 4);
  PutBig(file, 16, 0xA0B0C0D0, 4);
  PutBig(file, 20, 0x0506, 2);
  PutBig(file, 24, 0x0708, 2);
  TWLHeaderDataRecord header;
  ASSERT_EQ(ReadTWLHeader(Write("h.twl", file).c_str(), &header), kTWLSuccess);
  EXPECT_EQ(header.unused0[0], 'T');
  EXPECT_EQ(header.value12, 0x01020304u);
  EXPECT_EQ(header.value16, 0xA0B0C0D0u);
  EXPECT_EQ(header.value20, 0x0506);
  EXPECT_EQ(header.version, 16);
  EXPECT_EQ(header.value24, 0x0708);
  EXPECT_EQ(header.dataOffset, 1024u) << "bytes 00 00 04 00";
  EXPECT_EQ(header.dataLength, 10u);

  // Shorter than a header: every reader fails.
  const std::string cut = Write("cut.twl", Bytes(file.begin(), file.begin() + 1000));
  EXPECT_EQ(ReadTWLHeader(cut.c_str(), &header), kTWLError);
  EXPECT_EQ(ReadTWLHeader(cut.c_str(), nullptr), kTWLError);
  imaging::Bitmap preview;
  EXPECT_EQ(ReadTWLPreview(cut.c_str(), &preview), kTWLError);
  QVFileSpec spec(cut.c_str());
  EXPECT_TRUE(QVImage(spec, 0, false).error);
}

TEST(TWLFile, EmbeddedImageLoadsAtTheCallersDepthWhateverTheVersion)
{
  imaging::Bitmap picture;
  const Bytes bmp = EmbeddedBmp(&picture);
  // Version 14 is refused only by the preview reader; the capital extension
  // still routes here (as a plain image file the header would not load).
  QVFileSpec spec(Write("photo.TWL", Twl(14, ColourPreview(), bmp)).c_str());
  QVImage image(spec, 0, false);
  ASSERT_FALSE(image.error);
  ASSERT_EQ(image.bytesPerPixel, 3) << "a colour file stays in colour";
  ASSERT_EQ(image.width, 5);
  for (int y = 0; y < 3; ++y)
    EXPECT_TRUE(std::equal(picture.Row(y), picture.Row(y) + 15, image.pixels + y * image.rowBytes)) << y;
  EXPECT_EQ(QVImage(spec, 8, false).bytesPerPixel, 1);

  TWLHeaderDataRecord* header = nullptr;
  unsigned char* data = nullptr;
  ASSERT_EQ(image.ReadTWLFile(spec, &header, &data), kTWLSuccess);
  EXPECT_EQ(header->version, 14);
  EXPECT_TRUE(std::equal(bmp.begin(), bmp.end(), data));
  ReleaseTWLBlock(data);
  ReleaseTWLBlock(header);
}

TEST(TWLFile, PreviewsAreUprightAndGreyLevelsExpand)
{
  imaging::Bitmap picture;
  const Bytes bmp = EmbeddedBmp(&picture);

  // Stored row k becomes picture row 63 - k.
  QVFileSpec colour(Write("c.twl", Twl(16, ColourPreview(), bmp)).c_str());
  QVImage preview(colour, 0, true);
  ASSERT_FALSE(preview.error);
  ASSERT_EQ(preview.width, 64);
  ASSERT_EQ(preview.height, 64);
  ASSERT_EQ(preview.bytesPerPixel, 3);
  const uint8_t* topRowPixel5 = preview.pixels + 5 * 3;
  EXPECT_EQ(topRowPixel5[0], 63);
  EXPECT_EQ(topRowPixel5[1], 5);
  EXPECT_EQ(topRowPixel5[2], 200);
  EXPECT_EQ(preview.pixels[63 * preview.rowBytes], 0);

  // A block of exactly 5160 bytes is the grey form (the palette is skipped).
  QVFileSpec grey(Write("g.twl", Twl(15, GreyPreview(), bmp)).c_str());
  QVImage greyPreview(grey, 0, true);
  ASSERT_FALSE(greyPreview.error);
  const uint8_t* p = greyPreview.pixels + 10 * greyPreview.rowBytes + 4 * 3; // row 10 = stored row 53
  EXPECT_EQ(p[0], 53 + 4);
  EXPECT_EQ(p[1], 53 + 4);
  EXPECT_EQ(p[2], 53 + 4);

  // One byte more is the colour form, read from byte 1064: mark that stored
  // row (the picture's bottom row) to tell the forms apart.
  Bytes larger = GreyPreview();
  larger.push_back(0);
  std::fill(larger.begin() + 40, larger.begin() + 40 + 192, 0x22);
  Bytes longImage = bmp;
  longImage.resize(8000, 0);
  QVFileSpec boundary(Write("b.twl", Twl(16, larger, longImage)).c_str());
  QVImage colourForm(boundary, 0, true);
  ASSERT_FALSE(colourForm.error);
  EXPECT_EQ(colourForm.pixels[63 * colourForm.rowBytes + 100], 0x22);

  // Wrong versions, no preview block, and a colour form the file cannot hold.
  imaging::Bitmap out;
  EXPECT_EQ(ReadTWLPreview(Write("v17.twl", Twl(17, ColourPreview(), bmp)).c_str(), &out), kTWLError);
  EXPECT_EQ(ReadTWLPreview(Write("v14.twl", Twl(14, ColourPreview(), bmp)).c_str(), &out), kTWLError);
  EXPECT_EQ(ReadTWLPreview(Write("none.twl", Twl(16, {}, bmp)).c_str(), &out), kTWLError);
  EXPECT_EQ(ReadTWLPreview(Write("short.twl", Twl(16, larger, bmp)).c_str(), &out), kTWLError);
  EXPECT_EQ(out.data, nullptr);
}

TEST(TWLFile, BadOffsetsAndLengthsFailBeforeAllocatingTheData)
{
  imaging::Bitmap picture;
  const Bytes good = Twl(16, ColourPreview(), EmbeddedBmp(&picture));
  const auto withField = [&](size_t at, uint32_t value) {
    Bytes file = good;
    PutBig(file, at, value, 4);
    return file;
  };
  const long blocks = standin::LiveBlocks();
  const int files = OpenFiles();
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"offset inside the header", withField(284, 500)},
      {"empty data", withField(288, 0)},
      {"data past the end", withField(288, static_cast<uint32_t>(good.size()))},
      {"huge length", withField(288, 0xFFFFFFF0u)},
      {"offset past the end", withField(284, 0xFFFFFF00u)},
  };
  QVImage image;
  for (const auto& [what, bytes] : cases) {
    QVFileSpec spec(Write("bad.twl", bytes).c_str());
    TWLHeaderDataRecord* header = reinterpret_cast<TWLHeaderDataRecord*>(&image);
    unsigned char* data = reinterpret_cast<unsigned char*>(&image);
    standin::ResetAllocationFaults();
    EXPECT_EQ(image.ReadTWLFile(spec, &header, &data), kTWLError) << what;
    EXPECT_EQ(standin::AllocationRequests(), 1) << what << ": only the header block";
    EXPECT_EQ(header, nullptr) << what;
    EXPECT_EQ(data, nullptr) << what;
    EXPECT_TRUE(QVImage(spec, 0, false).error) << what;
  }
  QVFileSpec missing(Temp("missing.twl").c_str());
  TWLHeaderDataRecord* header = nullptr;
  unsigned char* data = nullptr;
  EXPECT_EQ(image.ReadTWLFile(missing, &header, &data), kTWLError);
  EXPECT_EQ(standin::LiveBlocks(), blocks);
  EXPECT_EQ(OpenFiles(), files);
}

TEST(TWLFile, AllocationFailuresLeaveNothingBehind)
{
  imaging::Bitmap picture;
  QVFileSpec spec(Write("f.twl", Twl(16, ColourPreview(), EmbeddedBmp(&picture))).c_str());
  const long blocks = standin::LiveBlocks();
  const int files = OpenFiles();

  // Fail each allocation of a full load in turn (header, data, pixels)
  // until the load needs none of the failures.
  int failures = 0;
  for (long skip = 0;; ++skip) {
    standin::FailAllocations(skip, 1);
    bool failed = false;
    {
      QVImage image(spec, 0, false);
      failed = image.error;
      EXPECT_EQ(failed, image.pixels == nullptr);
    }
    standin::ResetAllocationFaults();
    EXPECT_EQ(standin::LiveBlocks(), blocks) << "failing allocation " << skip;
    if (!failed)
      break;
    ++failures;
  }
  EXPECT_EQ(failures, 3);

  // The preview's header and pixel blocks.
  imaging::Bitmap preview;
  for (long skip : {0, 1}) {
    standin::FailAllocations(skip, 1);
    EXPECT_EQ(ReadTWLPreview(Temp("f.twl").c_str(), &preview), kTWLNoMemory) << skip;
    standin::ResetAllocationFaults();
  }
  EXPECT_EQ(preview.data, nullptr);
  EXPECT_EQ(standin::LiveBlocks(), blocks);
  EXPECT_EQ(OpenFiles(), files);
}

} // namespace
