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
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

std::string PathOf(const QVFileSpec& spec)
{
  char path[QVFileSpec::kPathSize];
  spec.GetFullPath(path, sizeof path);
  return path;
}

// A smooth gradient, which JPEG keeps closely.
std::unique_ptr<QVImage> Gradient(int32_t w, int32_t h, int32_t n)
{
  auto image = std::make_unique<QVImage>(w, h, n, nullptr);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w * n; ++x)
      image->pixels[y * image->rowBytes + x] = static_cast<uint8_t>(60 + 8 * y + 4 * x);
  return image;
}

// The largest difference of the pixel bytes; -1 for different sizes.
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

// An owner window wrapped, not created: only its handle matters.
class Owner : public QVWindow {
public:
  Owner() : QVWindow(reinterpret_cast<HWND>(uintptr_t{0x5151})) {}
};

TEST(QVImageFile, SavedFilesReloadAsTheyWere)
{
  // Odd widths exercise the row padding; JPEG is lossy.
  for (const auto& [extension, tolerance] :
       std::initializer_list<std::pair<const char*, int>>{{".bmp", 0}, {".TIF", 0}, {".jpg", 8}})
    for (const int32_t n : {1, 3}) {
      QVFileSpec file(Temp("saved" + std::to_string(n) + extension).c_str());
      const std::unique_ptr<QVImage> image = Gradient(7, 5, n);
      ASSERT_EQ(image->Save(&file, 0), 1) << extension;
      QVImage reloaded(file, 0, false);
      EXPECT_TRUE(reloaded.ready);
      const int difference = MaxDifference(*image, reloaded);
      EXPECT_TRUE(difference >= 0 && difference <= tolerance) << extension << " " << n << ": " << difference;
    }

  // Kinds without a writer, a missing folder and a bad depth write nothing
  // and say so; a name of no known kind saves as BMP.
  const std::unique_ptr<QVImage> image = Gradient(4, 4, 3);
  for (const char* name : {"a.gif", "a.pcx", "a.tga", "a.cmp", "a.psd", "no/such/a.bmp"}) {
    QVFileSpec file(Temp(name).c_str());
    EXPECT_EQ(image->Save(&file, 0), 0) << name;
    EXPECT_FALSE(std::ifstream(Temp(name)).good()) << name;
  }
  QVFileSpec png(Temp("a.png").c_str());
  EXPECT_EQ(image->Save(&png, 16), 0);
  ASSERT_EQ(image->Save(&png, 8), 1);
  char magic[3] = {};
  std::ifstream(Temp("a.png"), std::ios::binary).read(magic, 2);
  EXPECT_STREQ(magic, "BM");
  EXPECT_EQ(QVImage(png, 0, false).bytesPerPixel, 1) << "saved as grey";
}

TEST(QVImageFile, LoadsAtTheRequestedDepthAndRefusesBadFiles)
{
  // The sample through the file constructor is the library's decoding:
  // upright, B,G,R.
  const std::string sample = lvxtest::Source("samples/astronaut.png");
  QVFileSpec sampleFile(sample.c_str());
  QVImage astronaut(sampleFile, 0, false);
  imaging::Bitmap decoded;
  ASSERT_EQ(imaging::LoadFile(sample.c_str(), &decoded, 24), imaging::kSuccess);
  ASSERT_EQ(astronaut.bytesPerPixel, 3);
  ASSERT_EQ(astronaut.height, decoded.height);
  for (int32_t y = 0; y < decoded.height; y += 37)
    EXPECT_TRUE(
        std::equal(decoded.Row(y), decoded.Row(y) + decoded.width * 3, astronaut.pixels + y * astronaut.rowBytes));
  EXPECT_EQ(QVImage(sampleFile, 8, false).bytesPerPixel, 1);
  EXPECT_TRUE(QVImage(sampleFile, 16, false).error);

  // Missing, truncated and foreign files: error, not ready, no block left.
  const long blocks = standin::LiveBlocks();
  std::ofstream(Temp("cut.bmp")) << "BM\x36";
  std::ofstream(Temp("text.bmp")) << "not an image";
  for (const char* name : {"missing.bmp", "cut.bmp", "text.bmp"}) {
    QVFileSpec file(Temp(name).c_str());
    QVImage image(file, 0, false);
    EXPECT_TRUE(image.error && !image.ready && !image.pixels) << name;
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
  const std::unique_ptr<QVImage> owned(image);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(MaxDifference(*original, *image), 0);
  EXPECT_EQ(PathOf(spec), Temp("chosen.bmp"));
  EXPECT_EQ(standin::DialogLog().at(0).kind, "open-image");
  EXPECT_EQ(standin::DialogLog().at(0).style, 0x161u);
  EXPECT_EQ(standin::DialogLog().at(0).owner, owner.GetWnd());

  // A chosen file that does not load fails the prompt.
  std::ofstream(Temp("notes.bmp")) << "text";
  standin::QueueFileDialogAnswer(Temp("notes.bmp").c_str());
  EXPECT_FALSE(spec.PromptForOpenFileName(QVFileSpec(), "Open", nullptr, 1, nullptr, false, &image));
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(PathOf(spec), "");

  // A loaded file whose image cannot be built: true and the path, no image.
  const long blocks = standin::LiveBlocks();
  standin::QueueFileDialogAnswer(Temp("chosen.bmp").c_str());
  standin::FailAllocations(0, 1);
  EXPECT_TRUE(spec.PromptForOpenFileName(QVFileSpec(), "Open", nullptr, 1, nullptr, false, &image));
  standin::ResetAllocationFaults();
  EXPECT_EQ(image, nullptr);
  EXPECT_EQ(PathOf(spec), Temp("chosen.bmp"));
  EXPECT_EQ(standin::LiveBlocks(), blocks);
}

TEST(QVImageFile, TheOpenPromptsRealDialogListsTheImagesOfItsFilterAndLoadsTheOneTyped)
{
  const std::unique_ptr<QVImage> original = Gradient(5, 3, 3);
  const std::string folder = Temp("pictures");
  std::filesystem::create_directories(folder);
  QVFileSpec saved((folder + "/shot.bmp").c_str());
  ASSERT_EQ(original->Save(&saved, 0), 1);
  std::ofstream(folder + "/readme.txt") << "text";
  standin::ClearDialogLog();
  standin::ShowRealDialogs(true);
  std::vector<std::string> rows;
  standin::SetIdleScript({[&] {
    for (const standin::TopLevelWindow& w : standin::TopLevelWindows())
      if (w.visible && w.title == "Open Image") {
        const HWND list = GetDlgItem(w.handle, standin::kFileDialogList);
        for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
          char row[64] = "";
          SendMessageA(list, LB_GETTEXT, WPARAM(i), LPARAM(row));
          rows.emplace_back(row);
        }
      }
    standin::Type("shot.bmp\n");
  }});
  QVImage* image = nullptr;
  QVFileSpec spec;
  const bool chosen =
      spec.PromptForOpenFileName(QVFileSpec(folder.c_str()), "Open Image", nullptr, 1, nullptr, false, &image);
  standin::ShowRealDialogs(false);
  const std::unique_ptr<QVImage> owned(image);
  // The first filter, "Windows Bitmap (*.dib,*.bmp)": no readme.txt.
  EXPECT_EQ(rows, std::vector<std::string>{"shot.bmp"});
  ASSERT_TRUE(chosen);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(MaxDifference(*original, *image), 0);
  EXPECT_EQ(PathOf(spec), folder + "/shot.bmp");
  ASSERT_FALSE(standin::DialogLog().empty());
  EXPECT_EQ(standin::DialogLog().back().kind, "open-image");
  EXPECT_FALSE(standin::DialogLog().back().scripted);
}

TEST(QVTwain, ThereIsNoSourceToAcquireFrom)
{
  standin::ClearDialogLog();
  Owner owner;
  QVTwain twain;
  twain.SelectSource(&owner);
  EXPECT_EQ(twain.Acquire(&owner), nullptr);
  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].kind, "twain-select");
  EXPECT_EQ(log[1].kind, "twain-acquire");
  EXPECT_EQ(log[1].owner, owner.GetWnd());
}

} // namespace
