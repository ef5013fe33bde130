#pragma once
// Helpers for the controls tests: the ids and colours of their resources
// (controls.res, the flat test art of tools/artgen) and snapshot paths.
#include "windowtest.h"

#include "lvxtest/testenv.h"
#include "qvcommon/qvtoolbar.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

// Pictures, each one flat colour: three-state faces and toggle faces 24 x 24,
// a 60 x 3 track, an 8 x 15 thumb, a 9 x 6 marker, a 16 x 16 tile (white,
// its top row and left column navy) and a 40 x 30 splash (blue in a 2-pixel
// accent frame).
constexpr int32_t kStateOne = 300, kStateTwo = 301, kStateThree = 302;
constexpr int32_t kToggleA = 310, kToggleB = 311;
constexpr int32_t kTrack = 320, kThumb = 321, kMarker = 330, kTile = 340, kSplash = 350;
// For vertical sliders: a 3 x 60 track and a 15 x 8 thumb in the colours of
// the horizontal ones.
constexpr int32_t kVerticalTrack = 410, kVerticalThumb = 411;
constexpr COLORREF kStateOneColour = RGB(60, 60, 180), kStateTwoColour = RGB(180, 180, 60),
                   kStateThreeColour = RGB(60, 180, 180);
constexpr COLORREF kToggleAColour = RGB(200, 60, 60), kToggleBColour = RGB(60, 160, 60);
constexpr COLORREF kTrackColour = RGB(30, 30, 200), kThumbColour = RGB(230, 120, 0), kMarkerColour = RGB(200, 0, 200);
constexpr COLORREF kTileColour = RGB(255, 255, 255), kTileSeamColour = RGB(0, 0, 128);
constexpr COLORREF kSplashColour = RGB(30, 90, 160), kSplashFrameColour = RGB(249, 229, 0);
// Strings.
constexpr int32_t kResetString = 600, kPresetsString = 601, kCoarseString = 602;

// The framework's colours: a selected menu item's text and the others'.
constexpr COLORREF kAccent = RGB(249, 229, 0), kWhite = RGB(255, 255, 255);

// The colour with d added to each channel, clamped to 0..255 (a bevel step).
inline COLORREF Shift(COLORREF c, int d)
{
  const auto channel = [d](int v) { return std::clamp(v + d, 0, 255); };
  return RGB(channel(GetRValue(c)), channel(GetGValue(c)), channel(GetBValue(c)));
}

// build/snapshots/controls/NAME, its folder made.
inline std::string SnapshotPath(const char* name)
{
  const std::string folder = lvxtest::BuildDir() + "/snapshots/controls";
  std::filesystem::create_directories(folder);
  return folder + "/" + name;
}

// A menu bar that logs every command reaching ProcessMenuEvent as
// command * 1000 + value.
class LoggingToolbar : public QVToolbar {
public:
  LoggingToolbar(QVWindow* parent, QVRect rect) : QVToolbar(parent, rect, &TestResources()) {}
  void ProcessMenuEvent(QVEvent& event) override { log.push_back(int64_t(event.m_Command) * 1000 + event.m_Value); }
  std::vector<int64_t> log;
};
