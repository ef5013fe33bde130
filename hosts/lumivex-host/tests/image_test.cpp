// The host's images: PAM in every mode, the library formats, and refusals.
#include "filterhost/filterhost.h"
#include "hosttest.h"
#include "image.h"
#include "imaging/imaging.h"
#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace lvhost;

namespace {

HostImage Gradient(int16_t mode, bool alpha, int32_t width = 5, int32_t height = 3)
{
  return TestImage(mode, alpha, width, height);
}

std::string Path(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool Same(const HostImage& a, const HostImage& b)
{
  return a.width == b.width && a.height == b.height && a.mode == b.mode && a.alpha == b.alpha && a.pixels == b.pixels;
}

} // namespace

TEST(HostImages, PamRoundTripsEveryModeThroughAFile)
{
  for (int16_t mode : {plugInModeGrayScale, plugInModeRGBColor, plugInModeCMYKColor}) {
    for (bool alpha : {false, true}) {
      const HostImage image = Gradient(mode, alpha);
      lvxtext::Error error;
      ASSERT_TRUE(WriteImage(Path("round.pam"), image, &error)) << error.message;
      HostImage back;
      ASSERT_TRUE(ReadImage(Path("round.pam"), &back, &error)) << error.message;
      EXPECT_TRUE(Same(image, back)) << mode << alpha;
    }
  }
  // Grey and RGB also through the imaging library, in host order.
  for (int16_t mode : {plugInModeGrayScale, plugInModeRGBColor}) {
    for (const char* name : {"round.png", "round.bmp", "round.tif", "round.ppm"}) {
      const HostImage image = Gradient(mode, false);
      lvxtext::Error error;
      if (mode == plugInModeGrayScale && std::string(name) == "round.ppm")
        continue;
      ASSERT_TRUE(WriteImage(Path(name), image, &error)) << name << error.message;
      HostImage back;
      ASSERT_TRUE(ReadImage(Path(name), &back, &error)) << name << error.message;
      EXPECT_TRUE(Same(image, back)) << name << mode;
    }
  }
}

// Every format is written straight from the image's rows: the same file as
// the imaging library writes from a bitmap holding the same picture, and PAM
// as FormatPam gives it.
TEST(HostImages, WritesTheSameFilesAsTheLibraryWritesFromABitmap)
{
  auto contents = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  for (int16_t mode : {plugInModeGrayScale, plugInModeRGBColor}) {
    const HostImage image = Gradient(mode, false, 37, 11);
    const bool grey = mode == plugInModeGrayScale;
    imaging::Bitmap bitmap;
    ASSERT_EQ(imaging::Create(&bitmap, image.width, image.height, grey ? 8 : 24), imaging::kSuccess);
    for (int32_t y = 0; y < image.height; ++y)
      for (int32_t x = 0; x < image.width; ++x)
        for (int c = 0; c < image.Planes(); ++c)
          bitmap.Row(y)[x * image.Planes() + c] = image.At(x, y)[grey ? 0 : 2 - c];
    const std::pair<const char*, imaging::FileFormat> formats[] = {
        {"same.png", imaging::FileFormat::kPng},
        {"same.jpg", imaging::FileFormat::kJpeg},
        {"same.bmp", imaging::FileFormat::kBmp},
        {"same.tif", imaging::FileFormat::kTiff},
        {grey ? "same.pgm" : "same.ppm", imaging::FileFormat::kPnm}};
    for (const auto& [name, format] : formats) {
      lvxtext::Error error;
      ASSERT_TRUE(WriteImage(Path(name), image, &error, 77)) << name << error.message;
      ASSERT_EQ(imaging::SaveFile(Path("bitmap.img").c_str(), &bitmap, format, 77), imaging::kSuccess);
      EXPECT_EQ(contents(Path(name)), contents(Path("bitmap.img"))) << name;
    }
    lvxtext::Error error;
    ASSERT_TRUE(WriteImage(Path("same.pam"), image, &error)) << error.message;
    EXPECT_EQ(contents(Path("same.pam")), FormatPam(image));
  }
}

TEST(HostImages, MalformedPamIsRefused)
{
  const std::string good = FormatPam(Gradient(plugInModeRGBColor, true, 2, 2));
  const std::string header = good.substr(0, good.size() - 16);
  HostImage image;
  lvxtext::Error error;
  ASSERT_TRUE(ParsePam(good, &image, &error)) << error.message;
  auto swap = [&](const std::string& from, const std::string& to) {
    std::string bytes = good;
    bytes.replace(bytes.find(from), from.size(), to);
    return bytes;
  };
  const std::string bad[] = {
      good.substr(0, good.size() - 1),     // truncated data
      good + "x",                          // data beyond WIDTH x HEIGHT x DEPTH
      swap("MAXVAL 255", "MAXVAL 65535"),  // 16-bit samples
      swap("DEPTH 4", "DEPTH 3"),          // depth against the tuple type
      swap("RGB_ALPHA", "RGBA"),           // unknown tuple type
      swap("ENDHDR", "ENDHEADER"),         // no end of header
      swap("WIDTH 2", "WIDTH 2\nWIDTH 2"), // a field twice
      swap("WIDTH 2", "WIDTH 40000"),      // beyond 16-bit coordinates
      swap("HEIGHT 2", "HEIGHT 0"),        // no pixels
      swap("WIDTH 2", "WIDTH -2"),         // not a number
      swap("P7", "P8"),                    // not a PAM file
      header,                              // header alone
  };
  for (const std::string& bytes : bad) {
    EXPECT_FALSE(ParsePam(bytes, &image, &error)) << bytes.substr(0, 60);
    EXPECT_FALSE(error.message.empty());
  }
  WriteBytes(Path("bad.pam"), bad[0]);
  EXPECT_FALSE(ReadImage(Path("bad.pam"), &image, &error));
  EXPECT_NE(error.message.find("bad.pam"), std::string::npos);
  EXPECT_FALSE(ReadImage(Path("missing.png"), &image, &error));

  // A field that is not a number says which.
  EXPECT_FALSE(ParsePam(swap("WIDTH 2", "WIDTH +2"), &image, &error));
  EXPECT_EQ(error.message, "PAM header field WIDTH is not a number ('+2')");
  EXPECT_FALSE(ParsePam(swap("MAXVAL 255", "MAXVAL 0x10"), &image, &error));
  EXPECT_EQ(error.message, "PAM header field MAXVAL is not a number ('0x10')");
}

TEST(HostImages, PamHeadersWithCarriageReturnsRead)
{
  const HostImage original = Gradient(plugInModeRGBColor, true, 2, 2);
  const std::string good = FormatPam(original);
  const size_t data = good.size() - original.pixels.size();
  std::string crlf;
  for (size_t i = 0; i < data; ++i)
    crlf += good[i] == '\n' ? std::string("\r\n") : std::string(1, good[i]);
  HostImage image;
  lvxtext::Error error;
  ASSERT_TRUE(ParsePam(crlf + good.substr(data), &image, &error)) << error.message;
  EXPECT_EQ(image.pixels, original.pixels);
}

TEST(HostImages, LibraryFilesNameThePathOnceAndTellTheirDepth)
{
  WriteBytes(Path("x.ppm"), std::string("P6\nx"));
  HostImage image;
  lvxtext::Error error;
  ASSERT_FALSE(ReadImage(Path("x.ppm"), &image, &error));
  const size_t first = error.message.find(Path("x.ppm"));
  ASSERT_NE(first, std::string::npos) << error.message;
  EXPECT_EQ(error.message.find(Path("x.ppm"), first + 1), std::string::npos) << error.message;

  WriteBytes(Path("g16.pgm"), std::string("P5\n1 1\n65535\n\x80\x80", 15));
  ASSERT_TRUE(ReadImage(Path("g16.pgm"), &image, &error)) << error.message;
  EXPECT_EQ(image.fileBitsPerSample, 16);
  EXPECT_EQ(image.pixels, (std::vector<uint8_t>{128}));
}

TEST(HostImages, OutputFormatMustCarryTheMode)
{
  lvxtext::Error error;
  EXPECT_TRUE(CanWrite("x.PAM", Gradient(plugInModeCMYKColor, true), &error));
  EXPECT_TRUE(CanWrite("x.jpeg", Gradient(plugInModeRGBColor, false), &error));
  EXPECT_FALSE(CanWrite("x.png", Gradient(plugInModeCMYKColor, false), &error));
  EXPECT_FALSE(CanWrite("x.tif", Gradient(plugInModeGrayScale, true), &error));
  EXPECT_FALSE(CanWrite("x.pgm", Gradient(plugInModeRGBColor, false), &error));
  EXPECT_FALSE(CanWrite("x.gif", Gradient(plugInModeRGBColor, false), &error));
  EXPECT_FALSE(CanWrite("dir.v2/x", Gradient(plugInModeRGBColor, false), &error));
  // A refused write leaves no file behind.
  EXPECT_FALSE(WriteImage(Path("refused.png"), Gradient(plugInModeCMYKColor, false), &error));
  EXPECT_FALSE(std::ifstream(Path("refused.png")).good());
}
