// The preset record: its stored bytes, the field helpers and the clamping
// that keeps stored values inside the controls' ranges.
#include "apptest.h"
#include "presetrecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

int32_t WordAt(const std::array<uint8_t, PresetRecord::kSize>& bytes, size_t offset)
{
  return static_cast<int32_t>(static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
                              (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
                              (static_cast<uint32_t>(bytes[offset + 3]) << 24));
}

} // namespace

TEST(PresetRecordBytes, SixteenLittleEndianWordsInTableOrder)
{
  const auto bytes = apptest::DistinctRecord().Encode();
  ASSERT_EQ(bytes.size(), 64u);
  // Offsets 0, 4, ... 60 hold version, Enhance, Colors, Saturate, Contrast,
  // Sharpen, Anti-Noise, Brightness, Tonal Range, Red, Green, Blue,
  // Despeckle, Anti-Moire, Enhance SubDetail, SubDetail amount.
  const int32_t expected[16] = {1, 1, 12, -100, 3, 11, 35, -25, 9, -40, 17, 40, 1, 1, 1, 5};
  for (size_t i = 0; i < 16; ++i)
    EXPECT_EQ(WordAt(bytes, 4 * i), expected[i]) << "offset " << 4 * i;
  // Little-endian whatever the machine: -100 is 9c ff ff ff, 12 is 0c 00 00 00.
  EXPECT_EQ(bytes[12], 0x9c);
  EXPECT_EQ(bytes[15], 0xff);
  EXPECT_EQ(bytes[8], 0x0c);
  EXPECT_EQ(bytes[11], 0x00);
}

TEST(PresetRecordBytes, DecodeTakesExactlySixtyFourBytes)
{
  const std::vector<uint8_t> bytes = apptest::DistinctRecord().Bytes();
  PresetRecord decoded;
  ASSERT_TRUE(PresetRecord::Decode(bytes.data(), bytes.size(), decoded));
  EXPECT_EQ(decoded, apptest::DistinctRecord());

  PresetRecord untouched = PresetRecord::Defaults();
  for (size_t size : {size_t{0}, size_t{63}, size_t{65}})
    EXPECT_FALSE(PresetRecord::Decode(bytes.data(), size, untouched)) << size;
  EXPECT_FALSE(PresetRecord::Decode(nullptr, 64, untouched));
  EXPECT_EQ(untouched, PresetRecord::Defaults());

  // The version word is not examined.
  std::vector<uint8_t> odd = bytes;
  odd[0] = 0x07;
  odd[3] = 0x80;
  ASSERT_TRUE(PresetRecord::Decode(odd.data(), odd.size(), decoded));
  EXPECT_EQ(decoded.version, static_cast<int32_t>(0x80000007u));
  EXPECT_EQ(decoded.colors, 12);
}

TEST(PresetRecordBytes, TheBuiltInDefaultIsTheMainWindowsDefaults)
{
  const auto bytes = PresetRecord::Defaults().Encode();
  const int32_t expected[16] = {1, 1, 7, 0, 7, 6, 20, 0, 6, 0, 0, 0, 0, 0, 0, 2};
  for (size_t i = 0; i < 16; ++i)
    EXPECT_EQ(WordAt(bytes, 4 * i), expected[i]) << "offset " << 4 * i;
}

TEST(PresetRecordFields, HelpersAdvanceTheOffsetAndStayInsideTheBuffer)
{
  uint8_t buffer[6] = {};
  size_t offset = WritePresetField(buffer, sizeof buffer, 0, -2);
  EXPECT_EQ(offset, 4u);
  offset = WritePresetField(buffer, sizeof buffer, offset, 0x1234, 2);
  EXPECT_EQ(offset, 6u);
  EXPECT_EQ(WritePresetField(buffer, sizeof buffer, offset, 9), 6u) << "no room: nothing written";
  EXPECT_EQ(WritePresetField(buffer, sizeof buffer, 5, 9, 2), 5u);
  EXPECT_EQ(WritePresetField(buffer, sizeof buffer, 0, 9, 5), 0u) << "more than four bytes";
  const uint8_t expected[6] = {0xfe, 0xff, 0xff, 0xff, 0x34, 0x12};
  EXPECT_EQ(std::memcmp(buffer, expected, 6), 0);

  int32_t value = 0;
  EXPECT_EQ(ReadPresetField(buffer, sizeof buffer, 0, value), 4u);
  EXPECT_EQ(value, -2);
  EXPECT_EQ(ReadPresetField(buffer, sizeof buffer, 4, value, 2), 6u);
  EXPECT_EQ(value, 0x1234);
  // One byte 0xfe is -2 once its sign is extended.
  EXPECT_EQ(ReadPresetField(buffer, sizeof buffer, 0, value, 1), 1u);
  EXPECT_EQ(value, -2);
  value = 77;
  EXPECT_EQ(ReadPresetField(buffer, sizeof buffer, 4, value), 4u) << "would run past the end";
  EXPECT_EQ(ReadPresetField(buffer, sizeof buffer, 7, value), 7u);
  EXPECT_EQ(value, 77);
}

TEST(PresetRecordClamp, EveryFieldIsKeptToItsControlsRange)
{
  PresetRecord wild;
  wild.version = -9;
  wild.enhance = -5;
  wild.colors = 14;
  wild.saturate = -101;
  wild.contrast = 0;
  wild.sharpen = 12;
  wild.antiNoise = 41;
  wild.brightness = -26;
  wild.tonalRange = 13; // one past the 13-entry gamma table
  wild.red = 1000;
  wild.green = -41;
  wild.blue = std::numeric_limits<int32_t>::min();
  wild.despeckle = 2;
  wild.antiMoire = std::numeric_limits<int32_t>::min();
  wild.subDetail = 0;
  wild.subDetailAmount = 0;
  const PresetRecord c = wild.Clamped();
  EXPECT_EQ(c.version, -9) << "kept, never examined";
  EXPECT_EQ(c.enhance, 1);
  EXPECT_EQ(c.colors, 13);
  EXPECT_EQ(c.saturate, -100);
  EXPECT_EQ(c.contrast, 1);
  EXPECT_EQ(c.sharpen, 11);
  EXPECT_EQ(c.antiNoise, 40);
  EXPECT_EQ(c.brightness, -25);
  EXPECT_EQ(c.tonalRange, 12);
  EXPECT_EQ(c.red, 40);
  EXPECT_EQ(c.green, -40);
  EXPECT_EQ(c.blue, -40);
  EXPECT_EQ(c.despeckle, 1);
  EXPECT_EQ(c.antiMoire, 1);
  EXPECT_EQ(c.subDetail, 0);
  EXPECT_EQ(c.subDetailAmount, 1);

  wild.tonalRange = -1;
  wild.subDetailAmount = 7;
  wild.antiNoise = 7; // between the slider's steps of 5: not snapped
  EXPECT_EQ(wild.Clamped().tonalRange, 0);
  EXPECT_EQ(wild.Clamped().subDetailAmount, 6);
  EXPECT_EQ(wild.Clamped().antiNoise, 7);
  EXPECT_EQ(apptest::DistinctRecord().Clamped(), apptest::DistinctRecord()) << "values in range stay as they are";
}
