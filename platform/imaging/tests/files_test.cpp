// Loading and saving image files: exact round trips, grey handling, the
// PNG variants libpng expands for us, Windows paths, the bitmap record and
// safe saving.
#include "imagefiles.h"
#include "imaging/imaging.h"
#include "lvxtest/tinyfs.h"
#include "win32/automation.h"
#include "win32/replacementfile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace {

using imaging::Bitmap;
using imaging::FileFormat;

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
      p[0] = static_cast<uint8_t>(40 + 4 * x);  // blue grows to the right
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

TEST(ImagingRoundTrip, DecodedJpegRowsArePaddedWithZeroOnReusedMemory)
{
  // The decoder writes the pixels over memory it does not clear first; a
  // freed block of the same size full of 0xFF is what it most likely gets.
  for (int32_t bits : {8, 24})
    for (int32_t width = 1; width <= 5; ++width) {
      SCOPED_TRACE(testing::Message() << "bits " << bits << " width " << width);
      Bitmap in = Random(width, 3, bits, static_cast<unsigned>(width + bits));
      const std::string path = Temp("pad.jpg");
      ASSERT_EQ(imaging::SaveFile(path.c_str(), &in, FileFormat::kJpeg, 90), imaging::kSuccess);
      const size_t bytes = static_cast<size_t>(in.bytesPerLine) * 3;
      void* dirty = std::malloc(bytes);
      ASSERT_NE(dirty, nullptr);
      std::memset(dirty, 0xFF, bytes);
      std::free(dirty);
      Bitmap out;
      ASSERT_EQ(imaging::LoadFile(path.c_str(), &out, 0), imaging::kSuccess);
      EXPECT_EQ(out.bytesPerLine, in.bytesPerLine);
      EXPECT_TRUE(PaddingIsZero(out));
    }
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
  for (const Case& c :
       {Case{"g.png", FileFormat::kPng, 0}, Case{"g.pgm", FileFormat::kPnm, 0}, Case{"g.jpg", FileFormat::kJpeg, 6}}) {
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
  EXPECT_EQ(imaging::SaveFile((dir + "/missing/x.png").c_str(), &small, FileFormat::kPng, 0), imaging::kErrorOpen);

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
