#pragma once
// A preset: the control panel's correction settings as a stored record. The
// same 64 bytes are a preset's registry value (REG_BINARY) and the whole of a
// ".cxp" file: sixteen little-endian signed 32-bit integers in the order of
// the fields below, with no header beyond the version word and no padding.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct PresetRecord {
  enum : size_t { kFieldCount = 16, kSize = 64 };

  int32_t version = 1;         // always 1 when written; never examined when read
  int32_t enhance = 0;         // check box 106 "Enhance", 0 or 1
  int32_t colors = 0;          // slider 111
  int32_t saturate = 0;        // slider 112
  int32_t contrast = 0;        // slider 113
  int32_t sharpen = 0;         // slider 114
  int32_t antiNoise = 0;       // slider 115, the slider's value (0..40), not an engine level
  int32_t brightness = 0;      // slider 116
  int32_t tonalRange = 0;      // slider 117, an index into the 13-entry gamma table
  int32_t red = 0;             // slider 118
  int32_t green = 0;           // slider 119
  int32_t blue = 0;            // slider 120
  int32_t despeckle = 0;       // check box 121
  int32_t antiMoire = 0;       // check box 122
  int32_t subDetail = 0;       // check box 107 "Enhance SubDetail"
  int32_t subDetailAmount = 0; // the Sub-Detail amount menu's item number + 1

  // The built-in "Default" preset, used when no installed one exists: the
  // main window's defaults (Enhance on, Colors 7, Saturate 0, Contrast 7,
  // Sharpen 6, Anti-Noise 20, Brightness 0, Tonal Range 6, no colour shift,
  // no filters, Sub-Detail off with amount 2).
  static PresetRecord Defaults();

  // The 64 stored bytes, the fields in order, little-endian.
  std::array<uint8_t, kSize> Encode() const;
  std::vector<uint8_t> Bytes() const;
  // The record stored in `data`; false (out untouched) unless size is
  // exactly 64 bytes and data is not null.
  static bool Decode(const uint8_t* data, size_t size, PresetRecord& out);

  // The record with every field brought into its control's range, so that
  // no value from a file or the registry can index past a table: Colors and
  // Contrast 1..13, Saturate -100..100, Sharpen 1..11, Anti-Noise 0..40,
  // Brightness -25..25, Tonal Range 0..12, Red, Green and Blue -40..40,
  // Sub-Detail amount 1..6, and the on/off fields 0 for zero, else 1. The
  // version is kept. Nothing is snapped to a slider's step.
  PresetRecord Clamped() const;

  bool operator==(const PresetRecord&) const = default;
};

// The record field operations: copy `count` bytes (1 to 4) of a
// little-endian integer between a record buffer of `size` bytes and a
// variable at a running offset. Both return the offset advanced by count;
// when the field would not fit in the buffer (or count is not 1 to 4)
// nothing is copied and the offset comes back unchanged. Reading extends
// the sign of a field shorter than 4 bytes.
size_t ReadPresetField(const uint8_t* buffer, size_t size, size_t offset, int32_t& value, size_t count = 4);
size_t WritePresetField(uint8_t* buffer, size_t size, size_t offset, int32_t value, size_t count = 4);
