// The small windows: the file-attributes popup's lines and closing, the
// about window's place, picture and deferred delete, and the snapshots of
// the start window, the about window and the file attributes.
#include "aboutwindow.h"
#include "appshell.h"
#include "infowindow.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvsplashwin.h"
#include "windowstest.h"

using namespace wintest;

namespace {

int g_infoDeletes = 0;

class CountedInfo : public InfoWindow {
public:
  using InfoWindow::InfoWindow;
  ~CountedInfo() override { ++g_infoDeletes; }
  HWND OKButton() const { return m_OK->GetWnd(); }
};

// Where the popups' parent stands.
const QVRect kParentRect(100, 50, 700, 450);

// Handles every waiting message as the application's loop does, except
// that the deferred deletes of the object are only counted.
int PumpCountingDeletes(const void* object)
{
  int count = 0;
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (!m.hwnd && m.message == WM_NULL) {
      count += m.lParam == reinterpret_cast<LPARAM>(object);
      continue;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return count;
}

class Popups : public Windows {
protected:
  void SetUp() override
  {
    Windows::SetUp();
    g_infoDeletes = 0;
  }
};

} // namespace

TEST(InfoLines, SizesResolutionsAndTheFileName)
{
  struct Case {
    FileInfoRecord record;
    const char* path; // null: no file spec
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {{1200, 800, 2048000, 300, 150},
       "C:\\Photos\\coffee.png",
       {"Filename: coffee.png", "Width: 1200 pixels, 4.00 inches", "Height: 800 pixels, 5.33 inches", "DPI: 300 x 150",
        "Size: 2000 KB"}},
      // No resolution: 0.00 inches, never a division by zero; 1023 bytes
      // are 0 KB.
      {{640, 480, 1023, 0, 0},
       "/tmp/a b.jpeg",
       {"Filename: a b.jpeg", "Width: 640 pixels, 0.00 inches", "Height: 480 pixels, 0.00 inches", "DPI: 0 x 0",
        "Size: 0 KB"}},
      // Past 2 GiB the size stays right: 3 GiB is 3 x 2^20 KB.
      {{1, 1, int64_t{3} << 30, 72, 0},
       nullptr,
       {"Filename: ", "Width: 1 pixels, 0.01 inches", "Height: 1 pixels, 0.00 inches", "DPI: 72 x 0",
        "Size: 3145728 KB"}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<QVFileSpec> file = c.path ? std::make_unique<QVFileSpec>(c.path) : nullptr;
    char lines[InfoWindow::kLineCount][InfoWindow::kLineSize];
    InfoWindow::Lines(c.record, file.get(), lines);
    EXPECT_EQ(std::vector<std::string>(std::begin(lines), std::end(lines)), c.lines);
  }
  // A name too long for a line is cut, never overrun.
  const std::string longName = "C:\\" + std::string(900, 'n') + ".png";
  QVFileSpec file(longName.c_str());
  char lines[InfoWindow::kLineCount][InfoWindow::kLineSize];
  InfoWindow::Lines(FileInfoRecord{}, &file, lines);
  EXPECT_EQ(std::strlen(lines[0]), InfoWindow::kLineSize - 1u);
}

TEST_F(Popups, TheInfoWindowShowsItsLinesOnlyWithARecordAndClosesOnce)
{
  RecordingWindow parent(kParentRect);
  FileInfoRecord record{1200, 800, 2048000, 300, 150};
  QVFileSpec file("C:\\Photos\\coffee.png");
  const RECT lineArea{15, 30, 200, 120};
  int blackWith = 0, blackWithout = 0;
  for (FileInfoRecord* shown : {&record, static_cast<FileInfoRecord*>(nullptr)}) {
    auto* info = new CountedInfo(&parent, shown, &file);
    info->CreateControls();
    standin::Pump();
    // Centred on the parent, which is disabled while it is open.
    const QVRect r = info->GetWindowRect();
    EXPECT_EQ(r.Left(), 100 + (600 - 260) / 2);
    EXPECT_EQ(r.Top(), 50 + (400 - 160) / 2);
    EXPECT_EQ(r.Width() * 1000 + r.Height(), 260160);
    EXPECT_FALSE(IsWindowEnabled(parent.GetWnd()));
    (shown ? blackWith : blackWithout) = Count(info->GetWnd(), lineArea, kBlack);
    if (shown) {
      ASSERT_TRUE(standin::SnapshotPng(info->GetWnd(), SnapshotPath("info.png").c_str()));
    }
    const int deletes = g_infoDeletes;
    ClickAt(info->OKButton(), 5, 5);
    EXPECT_EQ(PumpCountingDeletes(info), 1);
    EXPECT_TRUE(IsWindowEnabled(parent.GetWnd()));
    EXPECT_FALSE(info->Visible());
    EXPECT_EQ(g_infoDeletes, deletes) << "it never deletes itself";
    StandaloneAppShell shell(nullptr);
    shell.DeferredDelete(info);
    EXPECT_EQ(g_infoDeletes, deletes + 1);
  }
  EXPECT_GT(blackWith, 100) << "five lines of text";
  EXPECT_EQ(blackWithout, 0) << "only the frame, the title and OK";
}

TEST_F(Popups, TheAboutWindowIsCentredAndShowsPicture144)
{
  QVSplashWin* about = ShowAboutWindow(nullptr, nullptr);
  ASSERT_NE(about, nullptr);
  standin::Pump();
  QVRect r = about->GetWindowRect();
  // On a 1024 x 768 screen: ((1024 - 331) / 2, (768 - 486) / 2).
  EXPECT_EQ(std::vector<int>({r.Left(), r.Top(), r.Width(), r.Height()}), std::vector<int>({346, 141, 331, 486}));
  EXPECT_EQ(PixelsUnlike(about->GetWnd(), 144), 0) << "the plug-in's picture";
  ASSERT_TRUE(standin::SnapshotPng(about->GetWnd(), SnapshotPath("about.png").c_str()));
  EXPECT_EQ(standin::ReadPixel(about->GetWnd(), 0, 0), kYellow) << "its frame";
  EXPECT_EQ(standin::ReadPixel(about->GetWnd(), 165, 10), kBlack);
  delete about;

  // Over an owner's client area, with the owner as its parent.
  RecordingWindow parent(kParentRect);
  about = ShowAboutWindow(&parent, nullptr);
  ASSERT_NE(about, nullptr);
  const QVRect client = parent.GetClientRect();
  r = about->GetWindowRect();
  EXPECT_EQ(r.Left(), 100 + (client.Width() - 331) / 2);
  EXPECT_EQ(r.Top(), 50 + (client.Height() - 486) / 2);
  EXPECT_EQ(about->GetParentWnd(), &parent);
  delete about;
}

TEST_F(Popups, AClickOrADoubleClickHasTheLoopDeleteTheAboutWindowOnce)
{
  for (const bool twice : {false, true}) {
    QVSplashWin* about = ShowAboutWindow(nullptr, nullptr);
    ASSERT_NE(about, nullptr);
    const HWND window = about->GetWnd();
    bool goneAfterClick = false;
    standin::SetIdleScript({[&] {
                              if (twice)
                                standin::DoubleClick(window, 20, 20);
                              else
                                standin::Click(window, 20, 20);
                            },
                            [&] { goneAfterClick = !IsWindow(window); }, [] { PostQuitMessage(0); }});
    StandaloneAppShell shell(nullptr);
    EXPECT_EQ(shell.MessageLoop(), 0);
    EXPECT_TRUE(goneAfterClick) << (twice ? "double click" : "click");
    EXPECT_EQ(PumpCountingDeletes(about), 0) << "nothing left to delete it again";
  }
}

TEST_F(Popups, StartWindowSnapshots)
{
  TestWindow window;
  window.CreateControls();
  standin::Pump();
  const HWND w = window.GetWnd();
  struct Shot {
    const char* file;
    POINT pointer; // in the window's client area
    int32_t hint, custom, automatic;
  };
  const Shot shots[] = {
      {"start.png", {5, 5}, 136, 126, 111},
      {"start-custom-hover.png", {49 + 40, 252 + 17}, 135, 110, 111},
      {"start-automatic-hover.png", {175 + 60, 252 + 17}, 134, 126, 127},
  };
  for (const Shot& s : shots) {
    // Twice: the first move may go to the button that holds the capture.
    standin::Move(w, s.pointer.x, s.pointer.y);
    standin::Move(w, s.pointer.x, s.pointer.y);
    standin::Pump();
    ASSERT_TRUE(standin::SnapshotPng(w, SnapshotPath(s.file).c_str()));
    SCOPED_TRACE(s.file);
    EXPECT_EQ(PixelsUnlike(w, s.hint, 0, 38), 0);
    EXPECT_EQ(PixelsUnlike(w, 109, 183, 0), 0) << "the title strip";
    EXPECT_EQ(PixelsUnlike(w, s.custom, 49, 252), 0);
    EXPECT_EQ(PixelsUnlike(w, s.automatic, 175, 252), 0);
    EXPECT_EQ(standin::ReadPixel(w, 5, 5), kBlack) << "the window's own black";
    EXPECT_EQ(standin::ReadPixel(w, 310 + 12, 268 + 5), kFace) << "the preset menu's face";
    EXPECT_EQ(standin::ReadPixel(w, 310 + 2 + 4, 268 + 10 + 2), kAccent) << "its marker, drawn first";
  }
}
