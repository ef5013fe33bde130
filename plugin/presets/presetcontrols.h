#pragma once
// The control panel's side of the presets: what a preset reads from and sets
// on the panel. The panel fills a PresetControls from its own members and
// forwards its preset commands to the operations below; a null control
// skips its field and an empty hook is not called.
#include "presetrecord.h"

#include <functional>

class QVButton;
class QVMenu;
class QVResourceFile;
class QVSlider;
class QVWindow;

struct PresetControls {
  enum { kFirstSlider = 111, kSliderCount = 10, kEnhancementSliders = 7 };

  QVWindow* owner = nullptr;           // the dialogs' parent
  QVResourceFile* resources = nullptr; // the panel's resource file
  QVButton* enhance = nullptr;         // check box 106 "Enhance"
  QVButton* subDetail = nullptr;       // check box 107 "Enhance SubDetail"
  QVButton* despeckle = nullptr;       // check box 121 "Despeckle"
  QVButton* antiMoire = nullptr;       // check box 122 "Anti-Moire"
  // Sliders 111 to 120 in id order: Colors, Saturate, Contrast, Sharpen,
  // Anti-Noise, Brightness, Tonal Range (the seven enhancement sliders),
  // then Red, Green and Blue.
  QVSlider* sliders[kSliderCount] = {};
  QVMenu* subDetailAmount = nullptr; // the Sub-Detail amount menu

  // The panel's EnableEnhance: enables or disables sliders 111-117 and sets
  // the main window's enhance flag.
  std::function<void(bool)> enableEnhance;
  // The main window rebuilds its correction settings from the controls.
  std::function<void()> settingsFromControls;
  // The main window recomputes and redraws the preview.
  std::function<void()> refreshPreview;
};

// The record of the controls' current settings: version 1, check boxes as
// 0/1, the sliders' values, the amount menu's item number + 1. A null
// control leaves its field 0.
PresetRecord BuildPresetRecord(const PresetControls& controls);

// Sets the controls from the record, each field first brought into its
// control's range (PresetRecord::Clamped): the Enhance box; the seven
// enhancement sliders only when Enhance is on; Red, Green and Blue, the
// Despeckle and Anti-Moire boxes always; the Sub-Detail box only when
// Enhance is on; the amount menu only when the record's Sub-Detail is on.
// Then enableEnhance (Enhance on) and settingsFromControls. A null record
// does nothing.
void ApplyPresetRecord(const PresetControls& controls, const PresetRecord* record);

// Saves the current settings as a new preset whose name the user types
// (the store loop). True when it was written.
bool SavePresetFromControls(const PresetControls& controls);

// The Preset Manager in apply mode; the chosen preset, when Apply was
// pressed, is applied. The preview is refreshed in every case.
void LoadPresetIntoControls(const PresetControls& controls);

// The Preset Manager in manage mode; nothing is applied.
void ManagePresets(const PresetControls& controls);

// Applies the preset of that name (the automatic road's remembered one).
// True only when a record was read and applied; an unknown name or a value
// that is not a record leaves the controls unchanged.
bool ApplyPresetByName(const PresetControls& controls, const char* name);
