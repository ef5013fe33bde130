#include "presetrecord.h"

namespace {

// The record's fields in their stored order.
template <class Record, class Visit>
void EachField(Record& r, Visit visit)
{
  for (auto* field : {&r.version, &r.enhance, &r.colors, &r.saturate, &r.contrast, &r.sharpen, &r.antiNoise,
                      &r.brightness, &r.tonalRange, &r.red, &r.green, &r.blue, &r.despeckle, &r.antiMoire,
                      &r.subDetail, &r.subDetailAmount})
    visit(*field);
}

int32_t Clamp(int32_t value, int32_t low, int32_t high) { return value < low ? low : (value > high ? high : value); }

int32_t Switch(int32_t value) { return value != 0 ? 1 : 0; }

} // namespace

PresetRecord PresetRecord::Defaults()
{
  PresetRecord r;
  r.version = 1;
  r.enhance = 1;
  r.colors = 7;
  r.saturate = 0;
  r.contrast = 7;
  r.sharpen = 6;
  r.antiNoise = 20;
  r.brightness = 0;
  r.tonalRange = 6;
  r.subDetailAmount = 2;
  return r;
}

std::array<uint8_t, PresetRecord::kSize> PresetRecord::Encode() const
{
  std::array<uint8_t, kSize> bytes{};
  size_t offset = 0;
  EachField(*this, [&](const int32_t& field) { offset = WritePresetField(bytes.data(), bytes.size(), offset, field); });
  return bytes;
}

std::vector<uint8_t> PresetRecord::Bytes() const
{
  const std::array<uint8_t, kSize> bytes = Encode();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool PresetRecord::Decode(const uint8_t* data, size_t size, PresetRecord& out)
{
  if (!data || size != kSize)
    return false;
  PresetRecord r;
  size_t offset = 0;
  EachField(r, [&](int32_t& field) { offset = ReadPresetField(data, size, offset, field); });
  out = r;
  return true;
}

PresetRecord PresetRecord::Clamped() const
{
  PresetRecord r = *this;
  r.enhance = Switch(enhance);
  r.colors = Clamp(colors, 1, 13);
  r.saturate = Clamp(saturate, -100, 100);
  r.contrast = Clamp(contrast, 1, 13);
  r.sharpen = Clamp(sharpen, 1, 11);
  r.antiNoise = Clamp(antiNoise, 0, 40);
  r.brightness = Clamp(brightness, -25, 25);
  r.tonalRange = Clamp(tonalRange, 0, 12);
  r.red = Clamp(red, -40, 40);
  r.green = Clamp(green, -40, 40);
  r.blue = Clamp(blue, -40, 40);
  r.despeckle = Switch(despeckle);
  r.antiMoire = Switch(antiMoire);
  r.subDetail = Switch(subDetail);
  r.subDetailAmount = Clamp(subDetailAmount, 1, 6);
  return r;
}

size_t ReadPresetField(const uint8_t* buffer, size_t size, size_t offset, int32_t& value, size_t count)
{
  if (!buffer || count < 1 || count > 4 || offset > size || size - offset < count)
    return offset;
  uint32_t bits = 0;
  for (size_t i = 0; i < count; ++i)
    bits |= static_cast<uint32_t>(buffer[offset + i]) << (8 * i);
  // A shorter field's top bit is its sign.
  const unsigned shift = static_cast<unsigned>(32 - 8 * count);
  value = static_cast<int32_t>(bits << shift) >> shift;
  return offset + count;
}

size_t WritePresetField(uint8_t* buffer, size_t size, size_t offset, int32_t value, size_t count)
{
  if (!buffer || count < 1 || count > 4 || offset > size || size - offset < count)
    return offset;
  const uint32_t bits = static_cast<uint32_t>(value);
  for (size_t i = 0; i < count; ++i)
    buffer[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
  return offset + count;
}
