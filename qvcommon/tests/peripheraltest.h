#pragma once
// Helpers for the tests of the ring, nudge and level controls: their art as
// resources of the test executable, input as a pointer gives it, and the
// snapshot folder.
#include "windowtest.h"

#include "artwork/peripheralart.h"
#include "lvxtest/testenv.h"

#include <filesystem>
#include <string>

// The test art (peripheralart.h): the ring and both arrows as drawn for the
// framework, and flat pictures in colours of their own.
constexpr int32_t kTestRing = 400;         // 81 x 81, the framework's ring
constexpr int32_t kTestDial = 401;         // 9 x 9, kDialColor
constexpr int32_t kTestKnob = 402;         // 7 x 7, kKnobColor
constexpr int32_t kTestLevelBackground = 403; // 64 x 60, kLevelColor
constexpr int32_t kTestArrow = 404;        // 16 x 12, the up arrow
constexpr int32_t kTestHotArrow = 405;     // 16 x 12, the hot up arrow

constexpr art::Rgb kDialColor{0, 120, 255};
constexpr art::Rgb kKnobColor{220, 0, 0};
constexpr art::Rgb kLevelColor{120, 200, 120};

inline COLORREF Ref(art::Rgb c) { return RGB(c.r, c.g, c.b); }

// Registers the test art with the executable's resources (once).
inline void RegisterTestArt()
{
  static const std::vector<std::pair<WORD, std::vector<uint8_t>>> dibs = {
      {kTestRing, art::PackedDib(art::RingPicture())},
      {kTestDial, art::PackedDib(art::FlatPicture(9, 9, kDialColor))},
      {kTestKnob, art::PackedDib(art::FlatPicture(7, 7, kKnobColor))},
      {kTestLevelBackground, art::PackedDib(art::FlatPicture(64, 60, kLevelColor))},
      {kTestArrow, art::PackedDib(art::NudgeArrowPicture())},
      {kTestHotArrow, art::PackedDib(art::HotNudgeArrowPicture())},
  };
  static const std::vector<standin::ResourceEntry> entries = [] {
    std::vector<standin::ResourceEntry> list;
    for (const auto& [id, dib] : dibs)
      list.push_back({nullptr, 2 /* RT_BITMAP */, nullptr, id, dib.data(), dib.size(), 0, 0});
    return list;
  }();
  static const standin::ResourceTable table{entries.data(), entries.size()};
  static const bool registered = [] {
    standin::RegisterResources(standin::MainModule(), &table);
    return true;
  }();
  (void)registered;
}

// Two moves onto the point, so that the window there sees the pointer
// enter even when another window held the capture and took the first.
inline void Hover(HWND window, int x, int y)
{
  standin::Move(window, x, y);
  standin::Move(window, x, y);
  standin::Pump();
}

inline std::string SnapshotPath(const std::string& name)
{
  const std::string folder = lvxtest::BuildDir() + "/snapshots/controls";
  std::filesystem::create_directories(folder);
  return folder + "/" + name;
}

class PeripheralControls : public WindowLayer {
protected:
  void SetUp() override { RegisterTestArt(); }
};

constexpr COLORREF kGrey = RGB(187, 187, 187);
