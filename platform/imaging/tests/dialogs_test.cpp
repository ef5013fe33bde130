// The open-image dialog's results on the stand-in's file-dialog script, and
// the scanner roles on a machine without scanners.
#include "imaging/imaging.h"
#include "lvxtest/testenv.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

struct Dialog {
  char name[MAX_PATH] = {};
  OPENFILENAMEA ofn{};
  Dialog()
  {
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = name;
    ofn.nMaxFile = sizeof name;
  }
};

TEST(OpenDialog, ResultsForChoiceCancelAndFailedLoad)
{
  const std::string good = lvxtest::TempDir() + "/one.ppm";
  std::ofstream(good, std::ios::binary) << "P6 1 1 255\n" << std::string("\x01\x02\x03", 3);
  const std::string bad = lvxtest::TempDir() + "/bad.png";
  std::ofstream(bad) << "text";
  standin::ClearDialogLog();

  imaging::Bitmap bitmap;
  imaging::OpenDialogParams params;
  params.flags = 0x160 | imaging::kOpenDialogLoad;
  params.bitmap = &bitmap;
  Dialog cancelled;
  EXPECT_EQ(imaging::OpenDialog(&cancelled.ofn, &params), imaging::kErrorCancelled) << "nothing scripted";

  Dialog chosen;
  standin::QueueFileDialogAnswer(good.c_str());
  ASSERT_EQ(imaging::OpenDialog(&chosen.ofn, &params), imaging::kSuccess);
  EXPECT_EQ(std::string(chosen.name), good);
  EXPECT_EQ(bitmap.bitsPerPixel, 24) << "natural depth of a colour file";
  EXPECT_EQ(bitmap.Row(0)[0], 3) << "B,G,R";

  // A file that does not load: its status, and the bitmap as it was.
  Dialog failed;
  standin::QueueFileDialogAnswer(bad.c_str());
  EXPECT_EQ(imaging::OpenDialog(&failed.ofn, &params), imaging::kErrorFormat);
  EXPECT_EQ(bitmap.width, 1);

  // Without the load flag only the name is chosen; loading needs a bitmap.
  params.flags = 0x160;
  params.bitmap = nullptr;
  Dialog nameOnly;
  standin::QueueFileDialogAnswer(bad.c_str());
  EXPECT_EQ(imaging::OpenDialog(&nameOnly.ofn, &params), imaging::kSuccess);
  params.flags |= imaging::kOpenDialogLoad;
  EXPECT_EQ(imaging::OpenDialog(&nameOnly.ofn, &params), imaging::kErrorBadArgument);

  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 4u) << "a refused call shows no dialog";
  EXPECT_EQ(log[0].kind, "open-image");
  EXPECT_EQ(log[0].style, 0x161u);
  EXPECT_EQ(log[3].style, 0x160u);
}

TEST(Twain, NoSourceAndNothingAcquired)
{
  standin::ClearDialogLog();
  const HWND owner = reinterpret_cast<HWND>(uintptr_t{0x77});
  EXPECT_EQ(imaging::TwainSelect(owner), imaging::kErrorNoSource);
  imaging::Bitmap bitmap;
  EXPECT_EQ(imaging::TwainAcquire(owner, &bitmap), imaging::kErrorNoSource);
  EXPECT_EQ(bitmap.data, nullptr);
  ASSERT_EQ(standin::DialogLog().size(), 2u);
  EXPECT_EQ(standin::DialogLog()[0].kind, "twain-select");
  EXPECT_EQ(standin::DialogLog()[1].kind, "twain-acquire");
  EXPECT_EQ(standin::DialogLog()[1].owner, owner);
}

} // namespace
