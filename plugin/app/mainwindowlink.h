#pragma once
// What the main window's child windows ask of it: the control panel hands
// it every control notification as one of the application's commands, and
// asks it to take the settings from the controls, to run the preview again
// and to follow Enhance; the panel and the popups find the plug-in's art
// through PlugInResourceFile. LumivexWindow implements the link, so the
// children include this header and never the main window's, and the main
// window's header includes none of theirs.
#include "qvcommon/qvevent.h"

#include <cstdint>

class QVResourceFile;

// The main window's defaults for the panel's controls, in slider order.
struct PanelDefaults {
  int16_t colour = 7;
  int16_t saturation = 0;
  int16_t contrast = 7;
  int16_t sharpen = 6;
  int16_t noise = 20;
  int16_t brightness = 0;
  int16_t tonalRange = 6;
};

class MainWindowLink {
public:
  // The commands of the application.
  enum eCommand : int32_t {
    kDefaultPreset = 32,   // the preset menu's "Default"
    kSeparator = 33,       // the preset menu's separator (does nothing)
    kSubDetailCheck = 107, // "Enhance SubDetail", with the amount as the extra value
    kReset = 108,
    kSubDetailAmount = 109,
    kColors = 111,
    kSaturate = 112,
    kContrast = 113,
    kSharpen = 114,
    kAntiNoise = 115,
    kBrightness = 116,
    kTonalRange = 117,
    kRed = 118,
    kGreen = 119,
    kBlue = 120,
    kDespeckle = 121,
    kAntiMoire = 122,
    kApplyKeepOpen = 130, // correct, hand back and go on
    kTwainAcquire = 131,
    kTwainSelect = 132,
    kPresetChosen = 1006, // the preset menu's registry items
    kCustom = 16001,
    kAutomatic = 16002,
    kFullSizeView = 16007,
    kFittedView = 16008,
    kColorsAlias = 16010,
    kContrastAlias = 16011,
    kSharpenAlias = 16012,
    kSaturateAlias = 16013,
    kBrightnessAlias = 16014,
    kTonalRangeAlias = 16015,
    kDragEnded = 16032,
    kAntiMoireAlias = 16035,
    kDespeckleAlias = 16036,
    kApply = 16040,
    kCancel = 16041,
    kHelp = 16100,
    kWebHome = 16101,
    kAbout = 16103,
    kPreferences = 16104,
    kFileAttributes = 16105,
    kOnlineFAQ = 16106,
  };

  // The command in the event: the setting stored, the operation run. True.
  virtual bool HandleCommand(QVEvent& event) = 0;
  // The panel was closed: the run is cancelled. True.
  virtual bool HandleDestroyEvent(QVEvent& event) = 0;
  // Enhance on or off, then a preview run.
  virtual void SetEnhance(bool on) = 0;
  // Every setting from its control (a missing control keeps its setting).
  virtual void SettingsFromControls() = 0;
  // Recomputes and redraws the preview.
  virtual void RefreshPreview() = 0;

protected:
  ~MainWindowLink() = default;
};

// The plug-in's own resource file: one process-wide QVResourceFile on the
// module the host bridge handed the framework (GetHostInstance), pointed at
// it afresh at every call. Windows that are given no resource file of their
// own find the application's art, strings and cursor through it; nothing
// owns or deletes it.
QVResourceFile* PlugInResourceFile();
