// effects-host's windows: snapshots of the panels and the preview, the
// scripted scenario against its batch equivalent, and how a script ends.
#include "hosttest.h"

#include "imaging/imaging.h"

#include <filesystem>

using namespace hosttest;

namespace {

using Windows = Host;

// A PNG read back: colour at (x, y) of the whole window, as 0x00BBGGRR.
struct Png {
  explicit Png(const std::string& path) { ok = imaging::LoadFile(path.c_str(), &bitmap, 24) == imaging::kSuccess; }
  COLORREF At(int x, int y) const
  {
    const uint8_t* p = bitmap.PictureRow(y) + x * 3;
    return RGB(p[2], p[1], p[0]);
  }
  imaging::Bitmap bitmap;
  bool ok = false;
};

// Where a captioned window's client area starts in its whole-window picture.
POINT ClientOffset()
{
  RECT r{0, 0, 100, 100};
  AdjustWindowRectEx(&r, 0x90C80000, FALSE, 0);
  return POINT{-r.left, -r.top};
}

std::string Sample() { return lvxtest::Source("samples/coffee.png"); }

lvfx::ProgramOptions Scripted(const char* module, const std::string& script, const std::string& out)
{
  lvfx::ProgramOptions options = Options(module, Sample(), out);
  const std::string path = Temp(out + ".ui");
  Write(path, script);
  options.uiScript = path;
  return options;
}

constexpr COLORREF kAccent = RGB(249, 229, 0);

} // namespace

TEST_F(Windows, EachPanelAndThePreviewWithItsMarkersAreSnapshotted)
{
  const POINT c = ClientOffset();
  for (const auto& [path, name] : {std::pair{DESPECKLE_PATH, "despeckle"}, std::pair{DESCREEN_PATH, "descreen"}}) {
    SCOPED_TRACE(name);
    const std::string folder = std::string(SNAPSHOT_DIR) + "/" + name;
    const std::string input = Picture(std::string(name) + ".png", 120, 80, Smooth);
    lvfx::ProgramOptions options = Options(path, input, std::string(name) + "-out.png");
    options.events = {Event("--marker", "30,20"), Event("--marker", "90,60")};
    options.snapshotDir = folder;
    ASSERT_EQ(lvfx::RunProgram(options), lvfx::kExitDone);
    const Png panel(folder + "/panel.png"), preview(folder + "/preview.png");
    ASSERT_TRUE(panel.ok && preview.ok);
    EXPECT_EQ(panel.bitmap.width - 2 * c.x, 280);
    EXPECT_EQ(panel.bitmap.height - c.y - c.x, 170);
    // The tile (control grey) where no control is, the first slider's track
    // groove at its middle row, the popup's face.
    EXPECT_EQ(panel.At(c.x + 270, c.y + 120), RGB(187, 187, 187));
    EXPECT_EQ(panel.At(c.x + 85 + 12, c.y + 50 + 10), RGB(24, 24, 24)) << "the slider's track";
    EXPECT_EQ(panel.At(c.x + 85 + 40, c.y + 8 + 20), RGB(40, 40, 40)) << "the menu's background";
    // The preview shows the picture, and the markers' rings at their points.
    EXPECT_EQ(preview.bitmap.width - 2 * c.x, 120);
    uint8_t field[3];
    Smooth(60, 10, field);
    EXPECT_EQ(preview.At(c.x + 60, c.y + 10), RGB(field[2], field[1], field[0]));
    EXPECT_EQ(preview.At(c.x + 30 - 5 + 2, c.y + 20), kAccent);
    EXPECT_EQ(preview.At(c.x + 90 - 5 + 2, c.y + 60), kAccent);
  }
}

TEST_F(Windows, TheScriptedScenarioWritesWhatItsBatchEquivalentWrites)
{
  lvfx::ProgramOptions ui = Options(DESPECKLE_PATH, Sample(), "ui.png");
  ui.uiScript = std::string(EXAMPLES_DIR) + "/edit.ui";
  std::filesystem::create_directories("out/fx"); // where the script's snapshot goes
  ui.report = Temp("ui-report.txt");
  ASSERT_EQ(lvfx::RunProgram(ui), lvfx::kExitDone);
  const std::string report = Read(Temp("ui-report.txt"));
  // The drag set the first slider to some value v: the first undo item's.
  const size_t at = report.find("kind 7 module 31 instance 0 new {");
  ASSERT_NE(at, std::string::npos) << report;
  const int v = std::stoi(report.substr(at + 33));
  EXPECT_GT(v, 7) << "the thumb moved right";

  lvfx::ProgramOptions batch = Options(DESPECKLE_PATH, Sample(), "batch.png");
  batch.events = {Event("--a", std::to_string(v)), Event("--preset", "coarse"), Event("--marker", "100,80"),
                  Event("--marker", "250,150"), Event("--undo")};
  batch.report = Temp("batch-report.txt");
  ASSERT_EQ(lvfx::RunProgram(batch), lvfx::kExitDone);
  EXPECT_EQ(Stacks(report), Stacks(Read(Temp("batch-report.txt"))));
  EXPECT_EQ(Read(Temp("ui.png")), Read(Temp("batch.png")));
  EXPECT_NE(report.find("sliders: Size 12 Threshold 60"), std::string::npos);
}

TEST_F(Windows, CancelAndTheCloseBoxesWriteNothing)
{
  EXPECT_EQ(lvfx::RunProgram(Scripted(DESPECKLE_PATH, "click panel 220 153\n", "cancel.png")), lvfx::kExitCancelled);
  EXPECT_EQ(lvfx::RunProgram(Scripted(DESCREEN_PATH, "close panel\n", "close.png")), lvfx::kExitCancelled);
  EXPECT_EQ(lvfx::RunProgram(Scripted(DESCREEN_PATH, "close \"Preview\"\n", "close2.png")), lvfx::kExitCancelled);
  EXPECT_FALSE(Exists(Temp("cancel.png")));
  EXPECT_FALSE(Exists(Temp("close.png")));
  EXPECT_FALSE(Exists(Temp("close2.png")));
}

TEST_F(Windows, KeysUndoAndRedoAndTheButtonsToo)
{
  const std::string script = "click preview 10 10\nclick preview 20 20\nkey down Ctrl\nkey press Z\nkey press Z\n"
                             "key press Y\nkey up Ctrl\nclick panel 30 153\nclick panel 70 153\nclick panel 170 153\n";
  lvfx::ProgramOptions options = Scripted(DESPECKLE_PATH, script, "keys.png");
  options.report = Temp("keys.txt");
  ASSERT_EQ(lvfx::RunProgram(options), lvfx::kExitDone);
  // Two markers, both undone, one redone; then the Undo and Redo buttons.
  EXPECT_EQ(Stacks(Read(Temp("keys.txt"))), "undo stack, oldest first:\n"
                                            "  kind 1 module 31 instance 0 new {10, 10} old {0, 0}\n"
                                            "redo stack, oldest first:\n"
                                            "  kind 1 module 31 instance 0 new {20, 20} old {0, 0}\n");
}

TEST_F(Windows, AScriptThatFailsOrRunsOutEndsTheRunWithTwo)
{
  // No menu is open, so the step finds no window.
  EXPECT_EQ(lvfx::RunProgram(Scripted(DESPECKLE_PATH, "click menu 5 5\n", "missing.png")), lvfx::kExitEffectFailed);
  // The script ends while the windows wait for Apply.
  EXPECT_EQ(lvfx::RunProgram(Scripted(DESPECKLE_PATH, "click preview 5 5\n", "waits.png")), lvfx::kExitEffectFailed);
  // A script that cannot be read runs nothing.
  EXPECT_EQ(lvfx::RunProgram(Scripted(DESPECKLE_PATH, "click panel 5\n", "bad.png")), lvfx::kExitHostError);
  EXPECT_FALSE(Exists(Temp("missing.png")) || Exists(Temp("waits.png")) || Exists(Temp("bad.png")));
  EXPECT_TRUE(standin::Failures().empty()) << "the host reported the deadlock itself";
}
