// Scripted file dialogs sharing the request log with message boxes, and the
// display queries.
#include "lvxtest/testenv.h"
#include "win32/automation.h"
#include "win32/gdi.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Dialog {
  char file[32] = "start.jpg";
  OPENFILENAMEA ofn{};
  Dialog()
  {
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = reinterpret_cast<HWND>(uintptr_t{0x55});
    ofn.lpstrFilter = "Pictures\0*.JPG;*.BMP\0All\0*.*\0";
    ofn.nFilterIndex = 2;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = "C:\\Start";
    ofn.lpstrTitle = "Pick one";
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;
    ofn.lpstrDefExt = "jpg";
  }
};

} // namespace

TEST(FileDialogs, EmptyScriptCancelsAndEveryFieldIsLogged)
{
  standin::ClearDialogLog();
  Dialog d;
  EXPECT_FALSE(GetOpenFileNameA(&d.ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_STREQ(d.file, "start.jpg");
  MessageBoxA(nullptr, "text", "Alert!", MB_OK);

  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 2u);
  const standin::DialogRequest& r = log[0];
  EXPECT_EQ(r.kind, "GetOpenFileName");
  EXPECT_EQ(r.owner, d.ofn.hwndOwner);
  EXPECT_EQ(r.caption, "Pick one");
  EXPECT_EQ(r.style, DWORD(OFN_EXPLORER | OFN_OVERWRITEPROMPT));
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(r.filters, (std::vector<P>{P{"Pictures", "*.JPG;*.BMP"}, P{"All", "*.*"}}));
  EXPECT_EQ(r.filterIndex, 2u);
  EXPECT_EQ(r.initialDir, "C:\\Start");
  EXPECT_EQ(r.fileName, "start.jpg");
  EXPECT_EQ(r.defaultExt, "jpg");
  EXPECT_EQ(r.answer, IDCANCEL);
  EXPECT_FALSE(r.scripted);
  EXPECT_EQ(log[1].kind, "MessageBox");
}

TEST(FileDialogs, ScriptedAnswersGetTheDefaultExtensionAndOffsets)
{
  standin::ClearDialogLog();
  standin::QueueFileDialogAnswer("C:\\Out\\photo");
  standin::QueueFileDialogAnswer("C:\\Out\\x.tif");
  standin::QueueFileDialogCancel();
  Dialog d;
  char title[16] = {};
  d.ofn.lpstrFileTitle = title;
  d.ofn.nMaxFileTitle = sizeof title;
  ASSERT_TRUE(GetSaveFileNameA(&d.ofn));
  EXPECT_STREQ(d.file, "C:\\Out\\photo.jpg");
  EXPECT_EQ(d.ofn.nFileOffset, 7);
  EXPECT_EQ(d.ofn.nFileExtension, 13);
  EXPECT_STREQ(title, "photo.jpg");
  ASSERT_TRUE(GetOpenFileNameA(&d.ofn));
  EXPECT_STREQ(d.file, "C:\\Out\\x.tif");
  EXPECT_FALSE(GetSaveFileNameA(&d.ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].chosenPath, "C:\\Out\\photo.jpg");
  EXPECT_TRUE(log[0].scripted);
  EXPECT_EQ(log[2].answer, IDCANCEL);
  EXPECT_TRUE(log[2].scripted);
}

TEST(FileDialogs, AnswersTheRequestCannotGive)
{
  standin::ClearDialogLog();
  // Too long for the 32-byte buffer: FALSE with FNERR_BUFFERTOOSMALL and the
  // size needed in the first two bytes.
  standin::QueueFileDialogAnswer("C:\\a\\very\\long\\folder\\name\\file.jpg");
  Dialog d;
  EXPECT_FALSE(GetSaveFileNameA(&d.ofn));
  EXPECT_EQ(CommDlgExtendedError(), DWORD(FNERR_BUFFERTOOSMALL));
  EXPECT_EQ(static_cast<unsigned char>(d.file[0]), 36); // 35 characters and the terminator

  // A missing file where it must exist is a script error: the dialog cancels.
  standin::QueueFileDialogAnswer((lvxtest::TempDir() + "/absent.jpg").c_str());
  Dialog open;
  open.ofn.Flags |= OFN_FILEMUSTEXIST;
  EXPECT_FALSE(GetOpenFileNameA(&open.ofn));
  EXPECT_TRUE(standin::DialogLog().back().scriptError);
  EXPECT_EQ(standin::DialogLog().back().answer, IDCANCEL);

  Dialog bad;
  bad.ofn.lStructSize = 76;
  EXPECT_FALSE(GetOpenFileNameA(&bad.ofn));
  EXPECT_EQ(CommDlgExtendedError(), DWORD(CDERR_STRUCTSIZE));
}

TEST(Display, ScreenSizeAndDepth)
{
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  standin::SetScreen(800, 600, 8);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 800);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 600);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 8);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 0);
  EXPECT_EQ(CreateDCA("PRINTER", nullptr, nullptr, nullptr), nullptr);
  standin::SetScreen(1280, 1024, 32);
}

TEST(Display, IntersectRectNeedsACommonArea)
{
  const RECT a{0, 0, 10, 10}, b{5, 5, 20, 20}, touching{10, 0, 20, 10};
  RECT out{1, 1, 1, 1};
  EXPECT_TRUE(IntersectRect(&out, &a, &b));
  EXPECT_EQ(out.left, 5);
  EXPECT_EQ(out.right, 10);
  EXPECT_FALSE(IntersectRect(&out, &a, &touching));
  EXPECT_EQ(out.left + out.top + out.right + out.bottom, 0);
}
