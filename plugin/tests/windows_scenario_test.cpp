// The windows in a real host run on a photograph, driven by injected input
// only: the start window's buttons and preset menu, the panel with the
// fitted photo, a slider, Enhance, the Sub-Detail amount, a preset saved,
// the about window, and File -> Exit; and the automatic button's road.
#include "lumivextoolbar.h"
#include "lumivexutils.h"
#include "lvxtest/testenv.h"
#include "presetrecord.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvmenuitem.h"
#include "qvcommon/qvslider.h"
#include "windowsrun.h"

using namespace wintest;

namespace {

const char* const kPresetsKey = "Software\\Tarnwell\\Lumivex\\Presets";

// Clicks the menu open, and in the next step its item.
void ChooseSteps(std::function<QVMenu*(TestWindow&)> menu, int32_t item,
                 const std::function<void(std::function<void(TestWindow&)>)>& step)
{
  step([menu](TestWindow& w) { ClickAt(menu(w)->GetWnd(), 5, 5); });
  step([menu, item](TestWindow& w) { ClickAt(menu(w)->GetItem(item)->GetWnd(), 10, 10); });
}

} // namespace

TEST_F(HostRun, ThePanelIsDrivenByInjectedInputFromTheStartWindowToExit)
{
  const PresetRecord stored = apptest::DistinctRecord();
  apptest::PutBytes(kPresetsKey, "Portrait", stored.Bytes());
  apptest::PutBytes(kPresetsKey, "Landscape", stored.Bytes());
  auto step = [this](std::function<void(TestWindow&)> s) { Step(std::move(s)); };
  std::vector<int32_t> hints;
  auto noteHint = [&](TestWindow& w) {
    for (int32_t id : {134, 135, 136})
      if (PixelsUnlike(w.m_HintPane->GetWnd(), id) == 0)
        hints.push_back(id);
  };

  // The start window: hover both buttons, choose "Landscape", click Custom.
  step([](TestWindow& w) {
    standin::Move(w.m_CustomButton->GetWnd(), 40, 17);
    standin::Move(w.m_CustomButton->GetWnd(), 40, 17);
  });
  step(noteHint);
  step([](TestWindow& w) {
    standin::Move(w.m_AutomaticButton->GetWnd(), 60, 17);
    standin::Move(w.m_AutomaticButton->GetWnd(), 60, 17);
  });
  step(noteHint);
  ChooseSteps([](TestWindow& w) { return w.m_PresetMenu; }, 3, step);
  step([](TestWindow& w) { ClickAt(w.m_CustomButton->GetWnd(), 40, 17); });
  step(noteHint);

  int paneMatches = -1;
  step([&](TestWindow& w) {
    ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Screen(), SnapshotPath("panel.png").c_str()));
    // The pane shows the fitted photo at its own size, centred.
    const PreviewPane* pane = w.m_ControlPanel->GetPreviewPane();
    const HWND paneWnd = pane->GetWnd();
    QVImage* fitted = w.m_CorrectedPreview;
    paneMatches = 0;
    for (int y = 0; y < fitted->height; y += 7)
      for (int x = 0; x < fitted->width; x += 7) {
        const unsigned char* px = fitted->pixels + y * fitted->rowBytes + x * 3;
        paneMatches += standin::ReadPixel(paneWnd, x, y) != RGB(px[2], px[1], px[0]);
      }
    EXPECT_EQ(standin::ReadPixel(w.m_ControlPanel->GetWnd(), 150, 480), kFace) << "the panel's face";
    EXPECT_EQ(PixelsUnlike(w.m_ControlPanel->GetTopBar()->GetWnd(), 163, 10, 3), 0) << "the logo";
  });

  // Drag the Colors slider to the right, uncheck Enhance, choose amount 4.
  int32_t dragged = 0;
  step([](TestWindow& w) { DragSlider(w, 111, 30); });
  step([&](TestWindow& w) { dragged = w.m_ControlPanel->GetSlider(111)->GetValue(); });
  step([](TestWindow& w) { ClickAt(w.m_ControlPanel->GetEnhanceBox()->GetWnd(), 5, 10); });
  ChooseSteps([](TestWindow& w) { return w.m_ControlPanel->GetAmountMenu(); }, 3, step);

  // Save the settings as "Mine" through the Presets menu and the name
  // dialog (which runs its own loop, served by the next step).
  ChooseSteps([](TestWindow& w) { return w.m_ControlPanel->GetPresetsMenu(); }, 0, step);
  QueueName("Mine");

  // Help -> About, clicked away; then File -> Exit.
  ChooseSteps([](TestWindow& w) { return w.m_ControlPanel->GetTopBar()->GetMenu(103); }, 3, step);
  HWND about = nullptr;
  step([&](TestWindow&) {
    about = GetActiveWindow();
    ClickAt(about, 100, 100);
  });
  bool aboutGone = false;
  step([&](TestWindow&) { aboutGone = about && !IsWindow(about); });
  ChooseSteps([](TestWindow& w) { return w.m_ControlPanel->GetTopBar()->GetMenu(101); }, 1, step);

  AdjustParams settings{};
  uint8_t enhanceOn = 0;
  std::pair<uint8_t, int32_t> subDetail;
  std::string remembered;
  bool subDetailChecked = false, enhanceChecked = true;
  application.atEnd = [&](TestWindow& w) {
    settings = w.m_Settings;
    enhanceOn = w.m_EnhanceOn;
    subDetail = {w.m_SubDetailOn, w.m_SubDetailAmount};
    remembered = CurrentPreset(w);
    subDetailChecked = w.m_ControlPanel->GetSubDetailBox()->ButtonOn();
    enhanceChecked = w.m_ControlPanel->GetEnhanceBox()->ButtonOn();
  };
  lvhost::HostImage image = SampleImage("coffee.png");
  const lvhost::HostImage before = image;
  const lvhost::RunResult run = Run(image);

  EXPECT_EQ(run.result, userCanceledErr) << "File -> Exit cancels";
  EXPECT_FALSE(run.committed);
  EXPECT_EQ(image.pixels, before.pixels);
  EXPECT_EQ(hints, (std::vector<int32_t>{135, 134, 136}));
  EXPECT_EQ(paneMatches, 0);
  EXPECT_TRUE(aboutGone);
  // The window's settings: Colors as dragged, Enhance off, Sub-Detail on
  // with the amount chosen, the rest as they started.
  EXPECT_NE(dragged, 7);
  EXPECT_EQ(settings.colorLevel, dragged);
  EXPECT_EQ(settings.contrastLevel, 7);
  EXPECT_EQ(settings.sharpenLevel, 6);
  EXPECT_EQ(enhanceOn, 0);
  EXPECT_EQ(subDetail, std::make_pair(uint8_t{1}, int32_t{4}));
  EXPECT_FALSE(enhanceChecked);
  EXPECT_TRUE(subDetailChecked);
  EXPECT_EQ(remembered, "Landscape") << "the preset chosen in the start window";
  // The preset saved: the panel's settings of the moment.
  PresetRecord mine;
  const std::vector<uint8_t> bytes = apptest::GetBytes(kPresetsKey, "Mine");
  ASSERT_TRUE(PresetRecord::Decode(bytes.data(), bytes.size(), mine));
  PresetRecord expected;
  expected.version = 1;
  expected.enhance = 0;
  expected.colors = dragged;
  expected.contrast = 7;
  expected.sharpen = 6;
  expected.antiNoise = 20;
  expected.tonalRange = 6;
  expected.subDetail = 1;
  expected.subDetailAmount = 4;
  EXPECT_EQ(mine, expected);
  EXPECT_EQ(apptest::ValueNames(kPresetsKey), (std::vector<std::string>{"Portrait", "Landscape", "Mine"}));
  EXPECT_EQ(standin::DumpWindowTree(), "(no windows)\n");
  EXPECT_EQ(QVWindow::m_HotKeyWindow, nullptr);
}

TEST_F(HostRun, TheAutomaticButtonFinishesAndQuitsWithZero)
{
  Step([](TestWindow& w) { ClickAt(w.m_AutomaticButton->GetWnd(), 60, 17); });
  lvhost::HostImage image = TestImage(plugInModeRGBColor, false, 12, 8);
  const lvhost::RunResult run = Run(image);
  EXPECT_EQ(run.result, noErr) << "Quit (0): the run counts as applied";
  EXPECT_TRUE(run.committed) << "the corrected image went back to the host";
  ASSERT_TRUE(run.recorded.has_value());
  ASSERT_EQ(run.recorded->size(), 1u) << "the automatic road records its flag alone";
  EXPECT_EQ((*run.recorded)[0].key, FourCC("lvAU"));
  EXPECT_TRUE((*run.recorded)[0].boolean);
  EXPECT_EQ(standin::DumpWindowTree(), "(no windows)\n");
}
