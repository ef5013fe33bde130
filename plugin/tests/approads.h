#pragma once
// What the tests of the application object and its roads share: runs of
// this executable's own ENTRYPOINT with LumivexPI's application installed,
// the engine's own result to compare with, and descriptors.
#include "bridgetest.h"
#include "engineparams.h"
#include "lumivexapp.h"
#include "windowstest.h"

#include <cstring>

namespace roadtest {

inline lvhost::DescriptorEntry Integer(const char (&key)[5], int32_t v)
{
  return {FourCC(key), typeInteger, false, v, 0};
}
inline lvhost::DescriptorEntry Boolean(const char (&key)[5], bool v) { return {FourCC(key), typeBoolean, v, 0, 0}; }
inline lvhost::DescriptorEntry Float(const char (&key)[5], double v) { return {FourCC(key), typeFloat, false, 0, v}; }

// The window's defaults as the engine takes them.
inline AdjustParams DefaultRecord()
{
  AdjustParams p{};
  p.contrastLevel = p.colorLevel = 7;
  p.sharpenLevel = 6;
  p.noiseLevel = 20;
  p.tonalGamma = p.targetGamma = 1.8;
  p.skinColor[0] = 229;
  p.skinColor[1] = 190;
  p.skinColor[2] = 168;
  return engineparams::EngineRecord(p);
}

// The RGB image corrected by the engine alone with the record (null: the
// engine's own defaults), as the plug-in's full run does with every other
// step neutral.
inline std::vector<uint8_t> EngineOutput(const lvhost::HostImage& image, const AdjustParams* record)
{
  const int32_t rowBytes = (image.width * 3 + 3) & ~3;
  std::vector<uint8_t> bgr(static_cast<size_t>(rowBytes) * image.height);
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x)
      for (int c = 0; c < 3; ++c)
        bgr[y * rowBytes + x * 3 + c] = image.At(x, y)[2 - c];
  SetParams(record);
  EXPECT_EQ(DoAdjustments(bgr.data(), image.height, image.width, rowBytes, 3, nullptr, nullptr), 0);
  std::vector<uint8_t> rgb(image.pixels.size());
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x)
      for (int c = 0; c < 3; ++c)
        rgb[(static_cast<size_t>(y) * image.width + x) * 3 + c] = bgr[y * rowBytes + x * 3 + 2 - c];
  return rgb;
}

// Every test: a fresh registry, a 1024 x 768 screen, LumivexPI's
// application behind this executable's ENTRYPOINT.
class Roads : public ::testing::Test {
protected:
  void SetUp() override
  {
    apptest::FreshRegistry();
    standin::SetScreen(1024, 768, 32);
    standin::ClearDialogLog();
    InstallApplicationHooks(&hooks);
  }
  void TearDown() override
  {
    InstallApplicationHooks(nullptr);
    standin::Reset();
  }
  static lvhost::HostImage Picture() { return TestImage(plugInModeRGBColor, false, 48, 40); }
  // A run without the dialog, given the recorded settings.
  lvhost::RunResult Replay(lvhost::HostImage& image, const lvhost::Descriptor& recorded,
                           int16_t playInfo = playInfoDontDisplay)
  {
    lvhost::RunOptions options;
    options.playInfo = playInfo;
    options.descriptor = recorded;
    return host.Run(ENTRYPOINT, image, options);
  }
  // The output of a replay of the settings on the test picture.
  std::vector<uint8_t> Replayed(const lvhost::Descriptor& recorded, int16_t playInfo = playInfoDontDisplay)
  {
    lvhost::HostImage image = Picture();
    const lvhost::RunResult run = Replay(image, recorded, playInfo);
    EXPECT_TRUE(run.committed);
    return {image.pixels.begin(), image.pixels.end()};
  }
  // An interactive run whose window gets `command` at the first idle point.
  lvhost::RunResult Interactive(lvhost::HostImage& image, int32_t command, const lvhost::Descriptor* recorded = nullptr)
  {
    standin::AddIdleStep([command] {
      if (LumivexApp* app = LumivexApp::Current())
        if (LumivexWindow* window = app->GetMainWindow())
          SendMessageA(window->GetWnd(), WM_COMMAND, static_cast<WPARAM>(command), 0);
    });
    lvhost::RunOptions options;
    if (recorded)
      options.descriptor = *recorded;
    return host.Run(ENTRYPOINT, image, options);
  }
  LumivexAppHooks hooks;
  lvhost::Host host;
};

} // namespace roadtest
