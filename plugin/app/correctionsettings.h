#pragma once
// The correction settings in one table: for each setting the user can change
// (and the automatic flag the host records beside them), its command ids,
// its scripting key and type, its row on the control panel, its field in a
// preset record, its ranges and default, and where the main window keeps
// it. The panel's slider rows, the preset clamps and defaults, the replay
// limits, the scripting read and write and the main window's slider and
// check-box commands are all made from this table, so a new setting is one
// row here (and the places that show or store it).
//
// The ranges differ from place to place on purpose: a slider offers the
// range the panel shows, a preset is held to what its control can show, and
// a replayed value is held to what the correction can take (a recording may
// hold more than the slider offers).
#include "filterhost/filterhost.h"
#include "filterhost/scriptingkeys.h"
#include "lumivex.h"
#include "presetrecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

namespace correctionsettings {

// Where the main window keeps a setting apart from the engine record.
enum class Place : uint8_t {
  kEngineRecord, // the engine record's field (`engineField`)
  kTonalGamma,   // the engine record's tonal gamma, set from a Tonal Range index
  kEnhance,
  kSaturation,
  kBrightness,
  kRed,
  kGreen,
  kBlue,
  kDespeckle,
  kDescreen,
  kSubDetail,
  kSubDetailAmount,
  kAutomatic,
};

// A closed range; `low > high` means there is none.
struct Range {
  int32_t low = 1, high = 0;
  constexpr bool Present() const { return low <= high; }
};

// A slider's row on the control panel: its place (in tenths of a row, see
// the panel), its label string, its label inset, its range and step, and
// its off value when the slider can be switched off by Enhance.
struct SliderRow {
  int32_t rowTenths = 0;
  int32_t stringId = 0;
  int32_t inset = 0;
  Range range;
  int32_t step = 1;
  bool leftOff = false;
  int32_t offValue = 0;
};

// How a preset's field is brought into its control's range.
enum class PresetRule : uint8_t { kNone, kClamp, kSwitch /* 0 for zero, else 1 */ };

struct Setting {
  const char* name;
  // The main window's command and its second id (0: none). A setting with
  // `plainCommand` is stored from its command's value and the preview run
  // again; the others have handlers of their own.
  int32_t command;
  int32_t alias;
  bool plainCommand;
  // The command's value is first held to this range (sharpening is never
  // asked for below 2, and the panel passes at most 12).
  Range commandRange;
  // The scripting key and its type (0: not recorded).
  uint32_t scriptKey;
  uint32_t scriptType;
  // The panel's control id: slider 111..120 or a check box (0: none).
  int32_t control;
  SliderRow slider;     // present when the control is a slider
  bool startsAtSetting; // the slider starts at the window's setting, else at `start`
  int32_t start;
  // The field in a stored preset (null: none) and its rule.
  int32_t PresetRecord::*presetField;
  PresetRule presetRule;
  Range presetRange;
  // What a replayed value is held to (none: taken as it is).
  Range replayRange;
  // The main window's default and the built-in "Default" preset's value.
  int32_t defaultValue;
  Place place;
  int16_t AdjustParams::*engineField; // with Place::kEngineRecord
};

inline constexpr Range kNoRange{};
inline constexpr SliderRow kNoSlider{};

// In the order of a preset record's fields (after its version word).
// Laid out by hand: one setting to a row.
// clang-format off
inline constexpr Setting kSettings[] = {
    {"Enhance", 0, 0, false, kNoRange, 0, 0, 106, kNoSlider, false, 0, &PresetRecord::enhance, PresetRule::kSwitch,
     kNoRange, kNoRange, 1, Place::kEnhance, nullptr},
    {"Colors", 111, 16010, true, kNoRange, FourCC("lvCL"), typeInteger, 111, {35, 9, 105, {1, 13}, 1, true, 7}, true,
     0, &PresetRecord::colors, PresetRule::kClamp, {1, 13}, {1, 13}, 7, Place::kEngineRecord,
     &AdjustParams::colorLevel},
    {"Saturate", 112, 16013, true, kNoRange, FourCC("lvST"), typeInteger, 112,
     {45, 10, 105, {-100, 100}, 1, true, 0}, false, 0, &PresetRecord::saturate, PresetRule::kClamp, {-100, 100},
     {-255, 255}, 0, Place::kSaturation, nullptr},
    {"Contrast", 113, 16011, true, kNoRange, FourCC("lvCT"), typeInteger, 113, {55, 11, 105, {1, 13}, 1, true, 7},
     true, 0, &PresetRecord::contrast, PresetRule::kClamp, {1, 13}, {1, 13}, 7, Place::kEngineRecord,
     &AdjustParams::contrastLevel},
    {"Sharpen", 114, 16012, true, {2, 12}, FourCC("lvSH"), typeInteger, 114, {65, 12, 105, {1, 11}, 1, true, 7}, true,
     0, &PresetRecord::sharpen, PresetRule::kClamp, {1, 11}, {1, 13}, 6, Place::kEngineRecord,
     &AdjustParams::sharpenLevel},
    // The slider's own value (0..40) is kept; the engine's record converts it.
    {"Anti-Noise", 115, 0, true, kNoRange, FourCC("lvAN"), typeInteger, 115, {75, 13, 105, {0, 40}, 5, true, 0},
     false, 20, &PresetRecord::antiNoise, PresetRule::kClamp, {0, 40}, {0, 40}, 20, Place::kEngineRecord,
     &AdjustParams::noiseLevel},
    {"Brightness", 116, 16014, true, kNoRange, FourCC("lvBR"), typeInteger, 116, {85, 14, 105, {-25, 25}, 1, true, 0},
     false, 0, &PresetRecord::brightness, PresetRule::kClamp, {-25, 25}, {-255, 255}, 0, Place::kBrightness,
     nullptr},
    // An index into the gamma table; the host records the gamma itself.
    {"Tonal Range", 117, 16015, true, kNoRange, FourCC("lvGA"), typeFloat, 117, {95, 15, 105, {0, 12}, 1, true, 7},
     false, 6, &PresetRecord::tonalRange, PresetRule::kClamp, {0, 12}, kNoRange, 6, Place::kTonalGamma, nullptr},
    {"Red", 118, 0, true, kNoRange, FourCC("lvRD"), typeInteger, 118, {110, 16, 80, {-40, 40}, 1, false, 0}, false, 0,
     &PresetRecord::red, PresetRule::kClamp, {-40, 40}, {-255, 255}, 0, Place::kRed, nullptr},
    {"Green", 119, 0, true, kNoRange, FourCC("lvGN"), typeInteger, 119, {120, 17, 80, {-40, 40}, 1, false, 0}, false,
     0, &PresetRecord::green, PresetRule::kClamp, {-40, 40}, {-255, 255}, 0, Place::kGreen, nullptr},
    {"Blue", 120, 0, true, kNoRange, FourCC("lvBL"), typeInteger, 120, {130, 18, 80, {-40, 40}, 1, false, 0}, false, 0,
     &PresetRecord::blue, PresetRule::kClamp, {-40, 40}, {-255, 255}, 0, Place::kBlue, nullptr},
    {"Despeckle", 121, 16036, true, kNoRange, FourCC("lvDS"), typeBoolean, 121, kNoSlider, false, 0,
     &PresetRecord::despeckle, PresetRule::kSwitch, kNoRange, {0, 1}, 0, Place::kDespeckle, nullptr},
    {"Anti-Moire", 122, 16035, true, kNoRange, FourCC("lvAM"), typeBoolean, 122, kNoSlider, false, 0,
     &PresetRecord::antiMoire, PresetRule::kSwitch, kNoRange, {0, 1}, 0, Place::kDescreen, nullptr},
    {"Sub-Detail", 107, 0, false, kNoRange, FourCC("lvSO"), typeBoolean, 107, kNoSlider, false, 0,
     &PresetRecord::subDetail, PresetRule::kSwitch, kNoRange, {0, 1}, 0, Place::kSubDetail, nullptr},
    // The amount menu's item number + 1.
    {"Sub-Detail Amount", 109, 0, false, kNoRange, FourCC("lvSA"), typeInteger, 0, kNoSlider, false, 0,
     &PresetRecord::subDetailAmount, PresetRule::kClamp, {1, 6}, {1, 6}, 2, Place::kSubDetailAmount, nullptr},
    // Not a correction: which road the run took, recorded with the settings.
    {"Automatic", 0, 0, false, kNoRange, FourCC("lvAU"), typeBoolean, 0, kNoSlider, false, 0, nullptr,
     PresetRule::kNone, kNoRange, {0, 1}, 0, Place::kAutomatic, nullptr},
};
// clang-format on

inline constexpr size_t kSettingCount = std::size(kSettings);

// The index in kSettings of the setting whose command or alias is
// `command`, or of the one recorded under `key`; kSettingCount for none.
// The checks below use the index rather than a pointer, since a build with
// the undefined-behaviour sanitizer cannot fold a pointer test in a constant.
constexpr size_t IndexOfCommand(int32_t command)
{
  size_t i = 0;
  while (i < kSettingCount && !(command != 0 && (kSettings[i].command == command || kSettings[i].alias == command)))
    ++i;
  return i;
}
constexpr size_t IndexOfScriptKey(uint32_t key)
{
  size_t i = 0;
  while (i < kSettingCount && !(key != 0 && kSettings[i].scriptKey == key))
    ++i;
  return i;
}

// The setting whose command or alias is `command`; null for none.
constexpr const Setting* ByCommand(int32_t command)
{
  const size_t i = IndexOfCommand(command);
  return i < kSettingCount ? &kSettings[i] : nullptr;
}

// Whether a setting answers `command` (or its alias) as a plain command.
constexpr bool AnswersPlainCommand(int32_t command)
{
  const size_t i = IndexOfCommand(command);
  return i < kSettingCount && kSettings[i].plainCommand;
}

// The setting recorded under `key`; null for none.
constexpr const Setting* ByScriptKey(uint32_t key)
{
  const size_t i = IndexOfScriptKey(key);
  return i < kSettingCount ? &kSettings[i] : nullptr;
}

// The settings with a slider, in the panel's slider order (ids 111..120).
inline constexpr size_t kSliderCount = [] {
  size_t n = 0;
  for (const Setting& s : kSettings)
    n += s.slider.range.Present() ? 1 : 0;
  return n;
}();
inline constexpr std::array<const Setting*, kSliderCount> kSliders = [] {
  std::array<const Setting*, kSliderCount> sliders{};
  size_t n = 0;
  for (const Setting& s : kSettings)
    if (s.slider.range.Present())
      sliders[n++] = &s;
  return sliders;
}();

// The table agrees with the host's terminology and with the panel's ids.
constexpr bool AgreesWithScriptingKeys()
{
  for (const ScriptingKey& k : kScriptingKeys) {
    const size_t i = IndexOfScriptKey(k.key);
    if (i == kSettingCount || kSettings[i].scriptType != k.type)
      return false;
  }
  size_t recorded = 0;
  for (const Setting& s : kSettings)
    recorded += s.scriptKey != 0 ? 1 : 0;
  return recorded == kScriptingKeyCount;
}
static_assert(AgreesWithScriptingKeys());
static_assert(kSliderCount == 10);
static_assert([] {
  for (size_t i = 0; i < kSliderCount; ++i)
    if (kSliders[i]->control != static_cast<int32_t>(111 + i))
      return false;
  return true;
}());
static_assert([] {
  size_t stored = 0;
  for (const Setting& s : kSettings)
    stored += s.presetField ? 1 : 0;
  return stored + 1 == PresetRecord::kFieldCount; // and the version word
}());

} // namespace correctionsettings
