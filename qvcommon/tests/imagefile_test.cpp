// QVImage and files: saving by file kind, loading at a requested depth, the
// open prompt that loads the chosen image, and scanner acquisition.
#include "lvxtest/testenv.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvtwain.h"
#include "qvcommon/qvwindow.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// A smooth w x h gradient of n bytes per pixel (JPEG keeps it closely).
std::unique_ptr<QVImage> Gradient(int32_t w, int32_t h, int32_t n)
{
  auto image = std::make_unique<QVImage>(w, h, n, nullptr);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w * n; ++x)
      image->pixels[y * image->rowBytes + x] = static_cast<uint8_t>(60 + 8 * y + 4 * x);
  return image;
}

// Largest difference between the pixel bytes (not the padding) of two
// images of equal size; -1 when the sizes differ.
int MaxDifference(const QVImage& a, const QVImage& b)
{
  if (a.width != b.width || a.height != b.height || a.bytesPerPixel != b.bytesPerPixel)
    return -1;
  int worst = 0;
  for (int32_t y = 0; y < a.height; ++y)
    for (int32_t x = 0; x < a.width * a.bytesPerPixel; ++x)
      worst = std::max(worst, std::abs(a.pixels[y * a.rowBytes + x] - b.pixels[y * b.rowBytes + x]));
  return worst;
}

class Owner : public QVWindow {
public:
  HWND GetWnd() const override { return reinterpret_cast<HWND>(uintptr_t{0x5151}); }
};

TEST(QVImageFile, SavedFilesReloadAsTheyWere)
{
  // BMP and TIFF are exact; JPEG stays close on a smooth gradient. Odd
  // widths exercise the row padding.
  for (const auto& [extension, tolerance] : std::vector<std::pair<std::string, int>>{
           {".bmp", 0}, {".TIF", 0}, {".jpg", 8}}) {
    for (const int32_t n : {1, 3}) {
      const std::unique_ptr<QVImage> image = Gradient(7, 5, n);
      QVFileSpec file(Temp("saved" + std::to_string(n) + extension).c_str());
      ASSERT_EQ(image->Save(&file, 0), 1) << extension;
      QVImage reloaded(file, 0, false);
      ASSERT_FALSE(reloaded.error) << extension;
      EXPECT_TRUE(reloaded.ready);
      const int difference = MaxDifference(*image, reloaded);
      EXPECT_GE(difference, 0) << extension << " " << n << ": same size and depth";
      EXPECT_LE(difference, tolerance) << extension << " " << n;
    }
  }
  // Saving a colour image at 8 bits writes grey.
  QVFileSpec file(Temp("grey.bmp").c_str());
  ASSERT_EQ(Gradient(3, 3, 3)->Save(&file, 8), 1);
  EXPECT_EQ(QVImage(file, 0, false).bytesPerPixel, 1);
}

TEST(QVImageFile, KindsWithoutAWriterAndFailedWritesReturnZero)
{
  const std::unique_ptr<QVImage> image = Gradient(4, 4, 3);
  for (const char* name : {"a.gif", "a.pcx", "a.tga", "a.cmp", "a.psd"}) {
    QVFileSpec file(Temp(name).c_str());
    EXPECT_EQ(image->Save(&file, 0), 0) << name;
    EXPECT_FALSE(Exists(Temp(name))) << name;
  }
  QVFileSpec missingFolder(Temp("no/such/folder/a.bmp").c_str());
  EXPECT_EQ(image->Save(&missingFolder, 0), 0);
  QVFileSpec file(Temp("a.bmp").c_str());
  EXPECT_EQ(image->Save(&file, 16), 0);
  EXPECT_EQ(QVImage().Save(&file, 0), 0) << "no pixels";
  EXPECT_FALSE(Exists(Temp("a.bmp")));

  // A name without a kind of its own saves as BMP.
  QVFileSpec png(Temp("a.png").c_str());
  ASSERT_EQ(image->Save(&png, 0), 1);
  std::ifstream in(Temp("a.png"), std::ios::binary);
  char magic[2] = {};
  in.read(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "BM");
}

TEST(QVImageFile, LoadsAtTheRequestedDepthAndRefusesBadFiles)
{
  // The sample through the file constructor matches the library's own
  // decoding: upright, B,G,R.
  const std::string sample = lvxtest::Source("samples/astronaut.png");
  QVFileSpec sampleFile(sample.c_str());
  QVImage astronaut(sampleFile, 0, false);
  imaging::Bitmap decoded;
  ASSERT_EQ(imaging::LoadFile(sample.c_str(), &decoded, 24), imaging::kSuccess);
  ASSERT_FALSE(astronaut.error);
  ASSERT_EQ(astronaut.bytesPerPixel, 3);
  ASSERT_EQ(astronaut.width, decoded.width);
  ASSERT_EQ(astronaut.height, decoded.height);
  for (int32_t y = 0; y < decoded.height; y += 37)
    EXPECT_TRUE(std::equal(decoded.Row(y), decoded.Row(y) + decoded.width * 3, astronaut.pixels + y * astronaut.rowBytes))
        << "row " << y;

  // 8 makes grey, 24 colour; 0 keeps the file's nature.
  QVFileSpec greyFile(Temp("grey.bmp").c_str());
  ASSERT_EQ(Gradient(5, 2, 1)->Save(&greyFile, 0), 1);
  EXPECT_EQ(QVImage(greyFile, 0, false).bytesPerPixel, 1);
  QVImage widened(greyFile, 24, false);
  EXPECT_EQ(widened.bytesPerPixel, 3);
  EXPECT_EQ(widened.pixels[3 * 3], widened.pixels[3 * 3 + 2]);
  EXPECT_EQ(QVImage(sampleFile, 8, false).bytesPerPixel, 1);
  EXPECT_TRUE(QVImage(sampleFile, 16, false).error);

  // Missing, truncated and foreign files: the error flag, not ready, no
  // pixels and no block left.
  const long blocks = standin::LiveBlocks();
  std::ifstream in(Temp("grey.bmp"), std::ios::binary);
  const Bytes bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(Temp("cut.bmp"), std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()), 60);
  std::ofstream(Temp("text.bmp")) << "not an image";
  for (const char* name : {"missing.bmp", "cut.bmp", "text.bmp"}) {
    QVFileSpec file(Temp(name).c_str());
    QVImage image(file, 0, false);
    EXPECT_TRUE(image.error) << name;
    EXPECT_FALSE(image.ready) << name;
    EXPECT_EQ(image.pixels, nullptr) << name;
  }
  EXPECT_EQ(standin::LiveBlocks(), blocks);
}

TEST(QVImageFile, OpenPromptLoadsTheChosenImage)
{
  const std::unique_ptr<QVImage> original = Gradient(6, 4, 3);
  QVFileSpec saved(Temp("chosen.bmp").c_str());
  ASSERT_EQ(original->Save(&saved, 0), 1);
  standin::ClearDialogLog();
  const Owner owner;

  QVImage* image = nullptr;
  QVFileSpec spec;
  standin::QueueFileDialogAnswer(Temp("chosen.bmp").c_str());
  ASSERT_TRUE(spec.PromptForOpenFileName(QVFileSpec(), "Open Image", &owner, 1, nullptr, false, &image));
  ASSERT_NE(image, nullptr);
  std::unique_ptr<QVImage> owned(image);
  EXPECT_EQ(MaxDifference(*original, *image), 0);
  EXPECT_TRUE(image->ready);
  char path[QVFileSpec::kPathSize];
  spec.GetFullPath(path, sizeof path);
  EXPECT_EQ(std::string(path), Temp("chosen.bmp"));
  const standin::DialogRequest& request = standin::DialogLog().at(0);
  EXPECT_EQ(request.kind, "open-image");
  EXPECT_EQ(request.style, 0x161u);
  EXPECT_EQ(request.owner, owner.GetWnd());
  EXPECT_EQ(request.caption, "Open Image");

  // A chosen file that does not load fails the prompt.
  std::ofstream(Temp("notes.bmp")) << "text";
  standin::QueueFileDialogAnswer(Temp("notes.bmp").c_str());
  EXPECT_FALSE(spec.PromptForOpenFileName(QVFileSpec(), "Open Image", nullptr, 1, nullptr, false, &image));
  EXPECT_EQ(image, nullptr);
  spec.GetFullPath(path, sizeof path);
  EXPECT_EQ(std::string(path), "");

  // A loaded file whose image cannot be built: true, the path, no image.
  const long blocks = standin::LiveBlocks();
  standin::QueueFileDialogAnswer(Temp("chosen.bmp").c_str());
  standin::FailAllocations(0, 1);
  EXPECT_TRUE(spec.PromptForOpenFileName(QVFileSpec(), "Open Image", nullptr, 1, nullptr, false, &image));
  standin::ResetAllocationFaults();
  EXPECT_EQ(image, nullptr);
  spec.GetFullPath(path, sizeof path);
  EXPECT_EQ(std::string(path), Temp("chosen.bmp"));
  EXPECT_EQ(standin::LiveBlocks(), blocks);
}

TEST(QVTwain, ThereIsNoSourceToAcquireFrom)
{
  standin::ClearDialogLog();
  Owner owner;
  QVTwain twain;
  twain.SelectSource(&owner);
  EXPECT_EQ(twain.Acquire(&owner), nullptr);
  EXPECT_EQ(twain.Acquire(nullptr), nullptr);
  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].kind, "twain-select");
  EXPECT_EQ(log[0].owner, owner.GetWnd());
  EXPECT_EQ(log[1].kind, "twain-acquire");
  EXPECT_EQ(log[2].owner, nullptr);
}

} // namespace
