// The main window's roads under an application object: the remembered
// preset, the scanner, the stand-alone saving rules, the views, a failed
// correction and a failed preview copy; snapshots for a person to open.
#include "approads.h"

#include "aboutwindow.h"
#include "appshell.h"
#include "filterpluginshell.h"
#include "imaging/imaging.h"
#include "lvxtest/testenv.h"
#include "qvcommon/qvpicturedisplay.h"

#include <filesystem>
#include <fstream>

using namespace wintest;

namespace {

const char* const kProduct = "Software\\Tarnwell\\Lumivex";

class WindowRoads : public Windows {
protected:
  static std::string Snapshot(const char* name) { return SnapshotPath(name, "app-roads"); }
  static bool Same(const QVImage& a, const QVImage& b)
  {
    return a.width == b.width && a.height == b.height &&
           std::equal(a.pixels, a.pixels + a.height * a.rowBytes, b.pixels);
  }
};

std::string Folder(const std::string& name)
{
  const std::string folder = apptest::TempPath(name);
  std::filesystem::create_directories(folder);
  return folder;
}

} // namespace

TEST_F(WindowRoads, TheRememberedPresetRoundTripsAndNeverCreatesItsKey)
{
  TestWindow window;
  // No product key: nothing stored, the open's error returned.
  EXPECT_EQ(window.SetCurrentPreset("Warm"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(CurrentPreset(window), "(none)");
  EXPECT_TRUE(apptest::ValueNames(kProduct).empty());
  apptest::PutValue(kProduct, "Other", REG_SZ, "", 1);
  const std::string longest(255, 'p');
  EXPECT_EQ(window.SetCurrentPreset(longest.c_str()), ERROR_SUCCESS);
  EXPECT_EQ(CurrentPreset(window), longest);
  // Stored under the key with its trailing separator, read without it.
  EXPECT_EQ(apptest::GetBytes(kProduct, "Current Preset").size(), 256u);
  EXPECT_EQ(window.SetCurrentPreset(nullptr), ERROR_SUCCESS);
  EXPECT_EQ(CurrentPreset(window), longest) << "a null name stores nothing";
  // A value stored without its terminator still reads as a whole string.
  apptest::PutValue(kProduct, "Current Preset", REG_SZ, "Cold", 4);
  EXPECT_EQ(CurrentPreset(window), "Cold");
}

TEST_F(WindowRoads, AScannedImageBecomesTheCurrentOneOrIsReleased)
{
  const std::string photo = lvxtest::Source("samples/coffee.png");
  // Stand-alone, the shell takes the scan and the preview shows it.
  {
    StandaloneAppShell shell(standin::MainModule());
    LumivexApp app(&shell);
    TestWindow window;
    window.CreateControls();
    imaging::QueueTwainImage(photo.c_str());
    window.Send(LumivexWindow::kTwainAcquire);
    ASSERT_NE(shell.GetImage(), nullptr);
    EXPECT_EQ(window.m_CurrentImage, shell.GetImage());
    EXPECT_TRUE(window.PreviewRan());
    EXPECT_TRUE(window.m_PreviewPane->DisplayOn());
  }
  // The filter plug-in's shell does not take it: it is released (the leak
  // checker would see it otherwise) and the host's image stays.
  FilterPlugInShell shell(standin::MainModule());
  LumivexApp app(&shell);
  TestWindow window;
  window.CreateControls();
  imaging::QueueTwainImage(photo.c_str());
  window.Send(LumivexWindow::kTwainAcquire);
  EXPECT_EQ(window.m_CurrentImage, nullptr);
  EXPECT_EQ(standin::DialogLog().size(), 2u) << "one acquisition each";
}

TEST_F(WindowRoads, StandAloneTheAutomaticRoadSavesByThePreferences)
{
  const std::string folder = Folder("Shots");
  const std::string original = folder + "/Photo.BMP";
  auto source = Image(30, 20, QVColor(200, 90, 40));
  QVFileSpec spec(original.c_str());
  ASSERT_EQ(source->Save(&spec, 0), 1);
  const auto size = [](const std::string& p) { return std::filesystem::exists(p) ? std::filesystem::file_size(p) : 0; };
  struct Case {
    uint32_t autoSave, autoOverwrite;
    std::string written; // empty: through the save dialog
  };
  const Case cases[] = {{1, 1, original}, {1, 0, folder + "/lmvphoto.bmp"}, {0, 0, ""}};
  for (const Case& c : cases) {
    std::filesystem::remove(folder + "/lmvphoto.bmp");
    StandaloneAppShell shell(standin::MainModule());
    LumivexApp app(&shell);
    app.GetPreferences()->AutoSave = c.autoSave;
    app.GetPreferences()->AutoOverwrite = c.autoOverwrite;
    standin::ClearDialogLog();
    standin::QueueFileDialogAnswer(original.c_str());
    ASSERT_TRUE(shell.AcquireImage(0, nullptr));
    TestWindow window;
    window.CreateControls();
    window.SetImage(shell.GetImage(), false);
    EXPECT_TRUE(window.FinishAutomatic());
    const bool dialog = standin::DialogLog().size() == 2; // the open, then the save
    EXPECT_EQ(dialog, c.written.empty()) << c.autoSave << c.autoOverwrite;
    if (!c.written.empty()) {
      EXPECT_GT(size(c.written), 0u) << c.written;
    }
    EXPECT_EQ(std::filesystem::exists(folder + "/lmvphoto.bmp"), c.written == folder + "/lmvphoto.bmp");
  }
  // A folder too long for its 260 characters: the save dialog instead.
  std::string deep = folder;
  while (deep.size() < 300)
    deep += "/" + std::string(60, 'd');
  std::filesystem::create_directories(deep);
  const std::string far = deep + "/far.bmp";
  QVFileSpec farSpec(far.c_str());
  ASSERT_EQ(source->Save(&farSpec, 0), 1);
  StandaloneAppShell shell(standin::MainModule());
  LumivexApp app(&shell);
  standin::ClearDialogLog();
  standin::QueueFileDialogAnswer(far.c_str());
  ASSERT_TRUE(shell.AcquireImage(0, nullptr));
  TestWindow window;
  window.SetImage(shell.GetImage(), false);
  EXPECT_TRUE(window.FinishAutomatic());
  ASSERT_EQ(standin::DialogLog().size(), 2u);
  EXPECT_EQ(standin::DialogLog()[1].kind, "GetSaveFileName");
  EXPECT_FALSE(std::filesystem::exists(deep + "/lmvfar.bmp"));
}

TEST_F(WindowRoads, TheCustomViewCentresItsPicturesInAnyPreviewArea)
{
  TestWindow window;
  window.CreateControls();
  ControlPanel* panel = window.m_ControlPanel;
  // Without an image: the no-image picture, centred in the preview area.
  window.ShowCustomView();
  EXPECT_TRUE(Shown(window.m_EmptyPicture));
  EXPECT_FALSE(Shown(window.m_PreviewPane));
  EXPECT_FALSE(window.Visible());
  EXPECT_TRUE(panel->Visible());
  standin::Pump();
  ASSERT_TRUE(
      standin::SnapshotPng(standin::SurfaceTarget::Whole(panel->GetWnd()), Snapshot("custom-empty.png").c_str()));
  EXPECT_EQ(PixelsUnlike(window.m_EmptyPicture->GetWnd(), 186), 0);
  // An area smaller than the pictures: they overhang it equally.
  panel->GetPreviewArea()->SetLTRB(275, 50, 575, 250);
  window.ShowCustomView();
  for (QVPictureDisplay* picture : {window.m_BusyPicture, window.m_EmptyPicture}) {
    RECT r{};
    GetWindowRect(picture->GetWnd(), &r);
    POINT corner{r.left, r.top};
    ScreenToClient(panel->GetWnd(), &corner);
    EXPECT_EQ(corner.x, 275 + (300 - 400) / 2);
    EXPECT_EQ(corner.y, 50 + (200 - 292) / 2);
    EXPECT_EQ(r.right - r.left, 400);
  }

  // With an image the normal view: the pane shows the corrected preview.
  QVFileSpec coffee(lvxtest::Source("samples/coffee.png").c_str());
  auto image = std::make_unique<QVImage>(coffee, 24, false);
  ASSERT_TRUE(image->HasPixels());
  window.SetImage(image.get(), true);
  panel->LayoutPreview(); // as the view commands do; the panel was shown before the image came
  EXPECT_TRUE(Shown(window.m_PreviewPane));
  EXPECT_FALSE(Shown(window.m_EmptyPicture));
  EXPECT_EQ(window.m_PreviewPane->GetImage(), window.m_CorrectedPreview);
  standin::Pump();
  ASSERT_TRUE(
      standin::SnapshotPng(standin::SurfaceTarget::Whole(panel->GetWnd()), Snapshot("custom-image.png").c_str()));
  const uint8_t* corrected = window.m_CorrectedPreview->pixels;
  EXPECT_EQ(standin::ReadPixel(window.m_PreviewPane->GetWnd(), 0, 0), RGB(corrected[2], corrected[1], corrected[0]));
}

// The start window itself is pictured by the popups' start window snapshots.
TEST_F(WindowRoads, TheBusyStripAndTheAboutWindowOverThePanelAsAPersonSeesThem)
{
  TestWindow window;
  window.CreateControls();
  // The busy strip: the title strip over black, 347 x 49.
  StandaloneAppShell shell(standin::MainModule());
  LumivexApp app(&shell);
  window.m_DialogWanted = 0;
  window.ApplyAndDeliver(false);
  standin::Pump();
  ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Whole(window.GetWnd()), Snapshot("busy-strip.png").c_str()));
  EXPECT_EQ(window.GetClientRect().Height(), 49);
  EXPECT_EQ(standin::ReadPixel(window.GetWnd(), 10, 40), kBlack);
  EXPECT_EQ(PixelsUnlike(window.m_TitleStrip->GetWnd(), 109), 0);
  // The about window over the panel.
  QVSplashWin* about = ShowAboutWindow(window.m_ControlPanel, nullptr);
  ASSERT_NE(about, nullptr);
  standin::Pump();
  ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Whole(about->GetWnd()), Snapshot("about.png").c_str()));
  EXPECT_EQ(PixelsUnlike(about->GetWnd(), 144), 0);
  delete about;
}

TEST_F(WindowRoads, ControlStopsThePreviewButNeverTheFullRun)
{
  TestWindow window;
  window.CreateControls();
  auto image = Image(40, 30, QVColor(120, 80, 60));
  const auto before = Image(40, 30, QVColor(120, 80, 60));
  window.SetImage(image.get(), false);
  window.m_ControlDown = 1;
  window.RunPreviewCorrection(true, true);
  EXPECT_FALSE(window.PreviewRan());
  EXPECT_TRUE(window.RunFullCorrection(false));
  EXPECT_FALSE(Same(*image, *before)) << "the image was corrected";
  window.SetImage(nullptr, false);
}

TEST_F(WindowRoads, AFailedCorrectionIsNeitherDeliveredNorRecordedAndAFailedCopyShowsNothing)
{
  // The engine refuses a one-byte image: the run stops, nothing is saved,
  // the loop ends with 2; only the interactive road says so.
  for (const int dialog : {0, 1}) {
    StandaloneAppShell shell(standin::MainModule());
    LumivexApp app(&shell);
    TestWindow window(dialog != 0);
    window.CreateControls();
    QVColor grey(90, 90, 90);
    QVImage image(20, 10, 1, &grey);
    window.SetImage(&image, false);
    standin::ClearDialogLog();
    window.ApplyAndDeliver(true);
    MSG quit{};
    ASSERT_TRUE(PeekMessageA(&quit, reinterpret_cast<HWND>(intptr_t{-1}), WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 2u);
    ASSERT_EQ(standin::DialogLog().size(), dialog ? 1u : 0u) << "no save dialog";
    if (dialog) {
      EXPECT_EQ(standin::DialogLog()[0].text, "Lumivex could not correct the image.");
    }
    EXPECT_FALSE(window.FinishAutomatic());
    window.SetImage(nullptr, false);
  }
  // A preview copy that cannot be made: the pane keeps no image.
  TestWindow window;
  window.CreateControls();
  auto image = Image(40, 30);
  window.SetImage(image.get(), true);
  ASSERT_TRUE(window.PreviewRan());
  standin::FailAllocations(0, 1000);
  window.RunPreviewCorrection(true, true);
  standin::FailAllocations(0, 0);
  EXPECT_FALSE(window.PreviewRan());
  EXPECT_EQ(window.m_PreviewPane->GetImage(), nullptr);
  window.SetImage(nullptr, false);
}
