// The application object and its three roads in real host runs: the start-up
// checks, replay and recording, the dialog and unusable suites, the
// automatic road with its preset, the about windows.
#include "approads.h"

#include "aboutwindow.h"

#include "presetrecord.h"

#include <cmath>
#include <limits>

using namespace roadtest;
using lvhost::Descriptor;

TEST_F(Roads, TheScreenCheckAtItsEdges)
{
  struct Case {
    int width, height, depth;
    int16_t result;
    int boxes;
  };
  // A good run follows each refused one in the same process.
  const Case cases[] = {{800, 599, 32, userCanceledErr, 1}, {800, 600, 32, noErr, 0},
                        {799, 600, 32, userCanceledErr, 1}, {1024, 768, 16, noErr, 0},
                        {1024, 768, 8, userCanceledErr, 0}, {1024, 768, 32, noErr, 0}};
  for (const Case& c : cases) {
    standin::SetScreen(c.width, c.height, c.depth);
    standin::ClearDialogLog();
    lvhost::HostImage image = Picture();
    const lvhost::RunResult run = Replay(image, {Boolean("lvAU", true)});
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.depth);
    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(run.committed, c.result == noErr);
    ASSERT_EQ(apptest::Messages().size(), size_t(c.boxes));
    if (c.boxes) {
      EXPECT_EQ(standin::DialogLog()[0].text, "Lumivex requires a minimum 800x600 resolution.");
      EXPECT_EQ(standin::DialogLog()[0].caption, "Alert!");
    }
    EXPECT_EQ(standin::DumpWindowTree(), "(no windows)\n");
  }
}

TEST_F(Roads, ARefusedHostRequestEndsTheRunWithTheHostsCodeAndRecordsNothing)
{
  // The input request (the first call), then the output request.
  for (const int failCall : {1, 2}) {
    SCOPED_TRACE(failCall);
    host.Controls().failCall = failCall;
    host.Controls().failCode = -30;
    lvhost::HostImage image = Picture();
    const lvhost::RunResult run = Replay(image, {Boolean("lvAU", true)});
    EXPECT_EQ(run.result, -30);
    EXPECT_FALSE(run.committed);
    EXPECT_FALSE(run.recorded.has_value()) << "a run the host never served is not recorded";
    if (failCall == 1) {
      EXPECT_FALSE(run.outputRequested);
    }
    EXPECT_EQ(standin::DumpWindowTree(), "(no windows)\n");
    EXPECT_EQ(LumivexApp::Current(), nullptr);
  }
}

TEST_F(Roads, AReplayRecordsItsFifteenKeysAndReplaysToTheSameBytes)
{
  const Descriptor warm = {Boolean("lvAU", false), Boolean("lvSO", true),  Integer("lvSA", 2),   Integer("lvCL", 9),
                           Integer("lvST", 30),    Integer("lvCT", 5),     Integer("lvSH", 8),   Integer("lvAN", 15),
                           Integer("lvBR", -6),    Float("lvGA", 2.1),     Integer("lvRD", 12),  Integer("lvGN", -4),
                           Integer("lvBL", 3),     Boolean("lvAM", false), Boolean("lvDS", true)};
  lvhost::HostImage image = Picture();
  const lvhost::RunResult first = Replay(image, warm);
  ASSERT_EQ(first.result, noErr);
  EXPECT_EQ(host.Count("disposeProc("), 1) << "the passed descriptor, once";
  ASSERT_TRUE(first.recorded.has_value());
  EXPECT_EQ(*first.recorded, warm) << "all fifteen, in order";
  const double gamma = (*first.recorded)[9].number, expected = 2.1;
  EXPECT_EQ(std::memcmp(&gamma, &expected, sizeof gamma), 0) << "bit-exact";
  // Another run in between leaves nothing behind that a replay would see.
  Replayed({Boolean("lvAU", true)});
  lvhost::HostImage again = Picture();
  const lvhost::RunResult second = Replay(again, *first.recorded);
  EXPECT_EQ(again.pixels, image.pixels);
  EXPECT_EQ(second.recorded, first.recorded);
  EXPECT_NE(image.pixels, Picture().pixels);
}

TEST_F(Roads, ReplayedValuesAreHeldToTheirRangesAndBadEntriesStoreNothing)
{
  // Missing keys keep the window's defaults (see OnlyTheInteractiveRoadMakesThePreview).
  const std::vector<uint8_t> defaults = Replayed({});
  EXPECT_EQ(Replayed({}, playInfoSilent), defaults) << "playInfo 2 replays as 0";
  // Entries that are not the table's, or not of its type, store nothing.
  EXPECT_EQ(Replayed({Integer("zzzz", 3), Boolean("lvCT", true), Integer("lvGA", 3), Float("lvST", 90.0)}), defaults);
  struct Case {
    Descriptor given, held;
  };
  const Case cases[] = {
      {{Integer("lvCT", 40000)}, {Integer("lvCT", 13)}},
      {{Integer("lvCL", -7)}, {Integer("lvCL", 1)}},
      {{Boolean("lvSO", true), Integer("lvSA", 1000000000)}, {Boolean("lvSO", true), Integer("lvSA", 6)}},
      {{Integer("lvST", 99999)}, {Integer("lvST", 255)}},
      {{Integer("lvBR", INT32_MIN)}, {Integer("lvBR", -255)}},
      {{Integer("lvRD", INT32_MAX)}, {Integer("lvRD", 255)}},
      {{Integer("lvAN", 400)}, {Integer("lvAN", 40)}},
      {{Float("lvGA", std::nan(""))}, {}},
      {{Float("lvGA", -1.0)}, {}},
      {{Float("lvGA", std::numeric_limits<double>::infinity())}, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Replayed(c.given), Replayed(c.held)) << lvhost::CodeText(c.given.back().key);
}

TEST_F(Roads, WithTheDialogWantedTheRecordingIsNeitherReadNorDisposed)
{
  const Descriptor recorded = {Integer("lvCT", 1), Integer("lvRD", 200)};
  // Applied from the window: the defaults, not the recording.
  lvhost::HostImage image = Picture();
  const lvhost::RunResult applied = Interactive(image, LumivexWindow::kApply, &recorded);
  EXPECT_EQ(applied.result, noErr);
  EXPECT_EQ(host.Count("getKey("), 0);
  EXPECT_EQ(image.pixels, Replayed({}));
  // Cancelled: the host keeps what it passed.
  lvhost::HostImage cancelled = Picture();
  host.ClearLog();
  EXPECT_EQ(Interactive(cancelled, LumivexWindow::kCancel, &recorded).result, userCanceledErr);
  EXPECT_EQ(host.Count("closeReadDescriptor("), 1);
  EXPECT_EQ(host.Count("disposeProc("), 0);
}

TEST_F(Roads, UnusableDescriptorParametersGiveTheWindowWithoutADescriptorCall)
{
  using D = lvhost::HostControls::Descriptors;
  for (const D kind : {D::None, D::NullSuite, D::ShortCount, D::WrongVersion}) {
    host.Controls().descriptors = kind;
    host.ClearLog();
    lvhost::HostImage image = Picture();
    const Descriptor automatic = {Boolean("lvAU", true)};
    // Asked for no dialog, but the window opens; Cancel ends it.
    lvhost::RunOptions options;
    options.playInfo = playInfoDontDisplay;
    options.descriptor = automatic;
    standin::AddIdleStep([] { SendMessageA(LumivexApp::Current()->GetMainWindow()->GetWnd(), WM_COMMAND, 16041, 0); });
    EXPECT_EQ(host.Run(ENTRYPOINT, image, options).result, userCanceledErr) << static_cast<int>(kind);
    for (const char* call : {"openReadDescriptor(", "openWriteDescriptor(", "getKey("})
      EXPECT_EQ(host.Count(call), 0) << call << " " << static_cast<int>(kind);
  }
}

TEST_F(Roads, TheAutomaticRoadCorrectsWithTheSelectedPreset)
{
  const char* const presets = "Software\\Tarnwell\\Lumivex\\Presets";
  const char* const product = "Software\\Tarnwell\\Lumivex";
  // A fresh machine: the built-in "Default", the window's defaults (their
  // pixels are checked with the other roads' below).
  lvhost::HostImage image = Picture();
  const lvhost::RunResult run = Replay(image, {Boolean("lvAU", true)});
  ASSERT_TRUE(run.recorded.has_value());
  EXPECT_EQ(*run.recorded, (Descriptor{Boolean("lvAU", true)}));
  // Its recording takes the automatic road again.
  lvhost::HostImage again = Picture();
  EXPECT_EQ(Replay(again, *run.recorded).recorded, run.recorded);
  EXPECT_EQ(again.pixels, image.pixels);

  // A stored preset, remembered: the same as a replay of its settings, and
  // it stays the current preset.
  PresetRecord warm;
  warm.enhance = 1;
  warm.colors = 9, warm.saturate = 20, warm.contrast = 5, warm.sharpen = 8, warm.antiNoise = 10;
  warm.brightness = 5, warm.tonalRange = 8, warm.red = 10, warm.green = -5, warm.blue = 0;
  warm.subDetail = 1, warm.subDetailAmount = 3;
  apptest::PutBytes(presets, "Warm", warm.Bytes());
  apptest::PutValue(product, "Current Preset", REG_SZ, "Warm", 5);
  const std::vector<uint8_t> preset = Replayed({Boolean("lvAU", true)});
  EXPECT_EQ(preset, Replayed({Boolean("lvSO", true), Integer("lvSA", 3), Integer("lvCL", 9), Integer("lvST", 20),
                              Integer("lvCT", 5), Integer("lvSH", 8), Integer("lvAN", 10), Integer("lvBR", 5),
                              Float("lvGA", 2.0), Integer("lvRD", 10), Integer("lvGN", -5)}));
  EXPECT_EQ(apptest::GetBytes(product, "Current Preset"), (std::vector<uint8_t>{'W', 'a', 'r', 'm', 0}));

  // A remembered preset that cannot be read: the engine's own defaults.
  apptest::PutBytes(presets, "Broken", {1, 2, 3});
  apptest::PutValue(product, "Current Preset", REG_SZ, "Broken", 7);
  EXPECT_EQ(Replayed({Boolean("lvAU", true)}), EngineOutput(Picture(), nullptr));

  // Without an image: nothing to correct, no output asked for, success.
  lvhost::RunOptions none;
  none.playInfo = playInfoDontDisplay;
  none.descriptor = Descriptor{Boolean("lvAU", true)};
  none.filterRect = Rect16{0, 0, 0, 0};
  lvhost::HostImage empty = Picture();
  const lvhost::RunResult nothing = host.Run(ENTRYPOINT, empty, none);
  EXPECT_EQ(nothing.result, noErr);
  EXPECT_FALSE(nothing.outputRequested);
}

namespace {

// The main window's corrected preview, for a road's last look at it.
struct PreviewOf : LumivexWindow {
  static QVImage* LumivexWindow::*Corrected() { return &PreviewOf::m_CorrectedPreview; }
};

// LumivexPI's application, telling whether the window had a preview when
// the run ended.
class PreviewWatch : public LumivexAppHooks {
public:
  void EndApplication() override
  {
    const LumivexApp* app = LumivexApp::Current();
    const LumivexWindow* window = app ? app->GetMainWindow() : nullptr;
    previewed = window && window->*PreviewOf::Corrected() != nullptr;
    LumivexAppHooks::EndApplication();
  }
  bool previewed = false;
};

} // namespace

// The first preview is made for the interactive road's panel only; the
// roads without a dialog never show it and never make it, and correct the
// same: with the window's defaults (the automatic road's built-in "Default",
// a replay without keys), as the engine alone does.
TEST_F(Roads, OnlyTheInteractiveRoadMakesThePreview)
{
  PreviewWatch watch;
  InstallApplicationHooks(&watch);
  lvhost::HostImage automatic = Picture(), replayed = Picture(), interactive = Picture();
  EXPECT_TRUE(Replay(automatic, {Boolean("lvAU", true)}).committed);
  EXPECT_FALSE(watch.previewed) << "automatic road";
  EXPECT_TRUE(Replay(replayed, {}).committed);
  EXPECT_FALSE(watch.previewed) << "replay road";
  EXPECT_TRUE(Interactive(interactive, LumivexWindow::kApply).committed);
  EXPECT_TRUE(watch.previewed) << "interactive road";
  const AdjustParams defaults = DefaultRecord();
  const std::vector<uint8_t> expected = EngineOutput(Picture(), &defaults);
  EXPECT_EQ(automatic.pixels, expected);
  EXPECT_EQ(replayed.pixels, expected);
  EXPECT_EQ(interactive.pixels, expected);
}

TEST_F(Roads, AboutWindowsOfTheHelpMenuNeitherEndTheRunNorOutliveIt)
{
  // One clicked away, one left open when Apply ends the run.
  standin::AddIdleStep([] { SendMessageA(LumivexApp::Current()->GetMainWindow()->GetWnd(), WM_COMMAND, 16103, 0); });
  standin::AddIdleStep([] { standin::Click(GetActiveWindow(), 100, 100); });
  standin::AddIdleStep([] { SendMessageA(LumivexApp::Current()->GetMainWindow()->GetWnd(), WM_COMMAND, 16103, 0); });
  standin::AddIdleStep([] {
    EXPECT_EQ(AboutWindow::OpenWindows().size(), 1u) << "the first one went with its click";
    SendMessageA(LumivexApp::Current()->GetMainWindow()->GetWnd(), WM_COMMAND, 16040, 0);
  });
  lvhost::HostImage image = Picture();
  const lvhost::RunResult run = host.Run(ENTRYPOINT, image, {});
  EXPECT_EQ(run.result, noErr);
  EXPECT_TRUE(run.committed);
  EXPECT_TRUE(AboutWindow::OpenWindows().empty());
  EXPECT_EQ(standin::DumpWindowTree(), "(no windows)\n");

  // The About selector returns once its window is clicked.
  bool clicked = false;
  standin::AddIdleStep([&] {
    clicked = true;
    standin::Click(GetActiveWindow(), 10, 10);
  });
  lvhost::HostImage none;
  lvhost::RunOptions about;
  about.about = true;
  EXPECT_EQ(host.Run(ENTRYPOINT, none, about).result, noErr);
  EXPECT_TRUE(clicked);
  EXPECT_EQ(standin::DumpWindowTree(), "(no windows)\n");
}
