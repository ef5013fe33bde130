// Writing a picture handed over row by row: the same file as the bitmap
// it stands for in every format, refusals, and an interrupted write.
#include "imaging/imaging.h"
#include "lvxtest/testenv.h"
#include "randombitmap.h"
#include "win32/automation.h"
#include "win32/replacementfile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using imaging::Bitmap;
using imaging::FileFormat;

const FileFormat kFormats[] = {FileFormat::kPng, FileFormat::kJpeg, FileFormat::kPnm, FileFormat::kBmp,
                               FileFormat::kTiff};

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

std::string ReadBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Bitmap Random(int32_t width, int32_t height, int32_t bits, unsigned seed)
{
  return RandomBitmap(width, height, bits, seed);
}

// A bitmap's rows handed out through one row of its own, which is spoiled
// before each copy so that a writer reading a row after asking for the next
// one writes the wrong bytes; the bytes past the picture's row are never
// meant to be read and hold rubbish.
class ScratchRows final : public imaging::RowSource {
public:
  explicit ScratchRows(const Bitmap& bitmap)
      : RowSource(bitmap.width, bitmap.height, bitmap.bitsPerPixel), bitmap_(bitmap),
        row_(static_cast<size_t>(bytesPerLine), 0xA5)
  {
  }
  const uint8_t* Row(int32_t y) override
  {
    std::fill(row_.begin(), row_.end(), static_cast<uint8_t>(0x5A + y));
    std::copy_n(bitmap_.Row(y), width * bitsPerPixel / 8, row_.begin());
    ++asked;
    return row_.data();
  }
  int asked = 0;

private:
  const Bitmap& bitmap_;
  std::vector<uint8_t> row_;
};

// The same rows, also offered in R,G,B order through a scratch row of
// their own, spoiled the same way.
class RgbScratchRows final : public imaging::RowSource {
public:
  explicit RgbScratchRows(const Bitmap& bitmap)
      : RowSource(bitmap.width, bitmap.height, bitmap.bitsPerPixel), bitmap_(bitmap), bgr_(bitmap),
        row_(static_cast<size_t>(bytesPerLine), 0xA5)
  {
  }
  const uint8_t* Row(int32_t y) override { return bgr_.Row(y); }
  const uint8_t* RgbRow(int32_t y) override
  {
    std::fill(row_.begin(), row_.end(), static_cast<uint8_t>(0x3C + y));
    const uint8_t* bgr = bitmap_.Row(y);
    for (int32_t x = 0; x < width; ++x)
      for (int32_t i = 0; i < 3; ++i)
        row_[static_cast<size_t>(x * 3 + i)] = bgr[x * 3 + 2 - i];
    ++askedRgb;
    return row_.data();
  }
  int asked() const { return bgr_.asked; }
  int askedRgb = 0;

private:
  const Bitmap& bitmap_;
  ScratchRows bgr_;
  std::vector<uint8_t> row_;
};

// Writes through SaveRowsToFile and commits; the file's bytes, or "" when
// the save failed.
std::string SaveRows(imaging::RowSource* rows, FileFormat format, const std::string& target, int32_t* status,
                     std::string* why)
{
  standin::ReplacementFile file(target);
  if (!file.Open(why))
    return "";
  *status = imaging::SaveRowsToFile(&file, rows, format, 90, why);
  if (*status != imaging::kSuccess || !file.Commit(why))
    return "";
  return ReadBytes(target);
}

TEST(ImagingSaveRows, EveryFormatWritesTheSameFileAsTheBitmap)
{
  // Widths with and without row padding, a single column and a single row.
  const std::pair<int32_t, int32_t> sizes[] = {{37, 21}, {40, 3}, {1, 9}, {13, 1}};
  for (const int32_t bits : {8, 24}) {
    for (const auto& [width, height] : sizes) {
      const Bitmap picture = Random(width, height, bits, static_cast<unsigned>(width * bits + height));
      for (const FileFormat format : kFormats) {
        SCOPED_TRACE(std::to_string(bits) + " bits " + std::to_string(width) + "x" + std::to_string(height) +
                     " format " + std::to_string(static_cast<int>(format)));
        ASSERT_EQ(imaging::SaveFile(Temp("bitmap.img").c_str(), &picture, format, 90), imaging::kSuccess);
        ScratchRows rows(picture);
        int32_t status = 0;
        std::string why;
        const std::string written = SaveRows(&rows, format, Temp("rows.img"), &status, &why);
        ASSERT_EQ(status, imaging::kSuccess) << why;
        EXPECT_EQ(written, ReadBytes(Temp("bitmap.img")));
        EXPECT_GE(rows.asked, height);
      }
    }
  }
}

TEST(ImagingSaveRows, RowsOfferedAsRgbWriteTheSameFile)
{
  const Bitmap picture = Random(37, 21, 24, 11);
  for (const FileFormat format : kFormats) {
    SCOPED_TRACE("format " + std::to_string(static_cast<int>(format)));
    ASSERT_EQ(imaging::SaveFile(Temp("bitmap.img").c_str(), &picture, format, 90), imaging::kSuccess);
    RgbScratchRows rows(picture);
    int32_t status = 0;
    std::string why;
    const std::string written = SaveRows(&rows, format, Temp("rgbrows.img"), &status, &why);
    ASSERT_EQ(status, imaging::kSuccess) << why;
    EXPECT_EQ(written, ReadBytes(Temp("bitmap.img")));
    // Each row is taken one way: PPM holds R,G,B and takes that order, the
    // others take B,G,R.
    const bool rgb = format == FileFormat::kPnm;
    EXPECT_EQ(rows.askedRgb, rgb ? 21 : 0);
    EXPECT_EQ(rows.asked() == 0, rgb);
  }
}

// A source whose fields say nothing writable; its rows are never asked for.
class EmptyRows final : public imaging::RowSource {
public:
  EmptyRows(int32_t width, int32_t height, int32_t bits) : RowSource(width, height, bits) {}
  const uint8_t* Row(int32_t) override
  {
    ADD_FAILURE() << "a refused source was read";
    return nullptr;
  }
};

TEST(ImagingSaveRows, RefusedSourcesAndArgumentsWriteNothing)
{
  EmptyRows noWidth(0, 5, 24), noHeight(5, 0, 8), badDepth(5, 5, 32), tooLarge(30000, 30000, 24);
  const Bitmap picture = Random(4, 4, 24, 1);
  ScratchRows good(picture);
  struct Case {
    imaging::RowSource* rows;
    FileFormat format;
    int32_t quality;
  };
  const Case cases[] = {{&noWidth, FileFormat::kPng, 90},        {&noHeight, FileFormat::kPng, 90},
                        {&badDepth, FileFormat::kBmp, 90},       {&tooLarge, FileFormat::kPnm, 90},
                        {&good, static_cast<FileFormat>(9), 90}, {&good, FileFormat::kJpeg, 0},
                        {nullptr, FileFormat::kPng, 90}};
  const std::string target = Temp("refused.img");
  for (const Case& c : cases) {
    standin::ReplacementFile file(target);
    std::string why;
    ASSERT_TRUE(file.Open(&why)) << why;
    EXPECT_EQ(imaging::SaveRowsToFile(&file, c.rows, c.format, c.quality, &why), imaging::kErrorBadArgument);
    EXPECT_FALSE(why.empty());
  }
  EXPECT_EQ(good.asked, 0);
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(ImagingSaveRows, AnInterruptStopsTheWriteAndKeepsTheOldFile)
{
  const std::string dir = Temp("rows-stopped");
  std::filesystem::create_directory(dir);
  const std::string target = dir + "/out.img";
  std::ofstream(target, std::ios::binary) << "precious";
  const Bitmap picture = Random(300, 200, 24, 5);
  standin::SetInterruptSignal(SIGINT);
  for (const FileFormat format : kFormats) {
    ScratchRows rows(picture);
    int32_t status = 0;
    std::string why;
    EXPECT_EQ(SaveRows(&rows, format, target, &status, &why), "");
    EXPECT_EQ(status, imaging::kErrorInterrupted) << static_cast<int>(format) << why;
  }
  standin::SetInterruptSignal(0);
  EXPECT_EQ(ReadBytes(target), "precious");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "no temporary file left";
}

} // namespace
