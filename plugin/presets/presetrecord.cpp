#include "presetrecord.h"

#include "correctionsettings.h"

#include <algorithm>

namespace {

// The record's fields in their stored order.
template <class Record, class Visit>
void EachField(Record& r, Visit visit)
{
  for (auto* field :
       {&r.version, &r.enhance, &r.colors, &r.saturate, &r.contrast, &r.sharpen, &r.antiNoise, &r.brightness,
        &r.tonalRange, &r.red, &r.green, &r.blue, &r.despeckle, &r.antiMoire, &r.subDetail, &r.subDetailAmount})
    visit(*field);
}

} // namespace

PresetRecord PresetRecord::Defaults()
{
  PresetRecord r;
  r.version = 1;
  for (const correctionsettings::Setting& s : correctionsettings::kSettings)
    if (s.presetField)
      r.*s.presetField = s.defaultValue;
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
  using correctionsettings::PresetRule;
  PresetRecord r = *this;
  for (const correctionsettings::Setting& s : correctionsettings::kSettings) {
    if (!s.presetField)
      continue;
    int32_t& field = r.*s.presetField;
    if (s.presetRule == PresetRule::kSwitch)
      field = field != 0 ? 1 : 0;
    else if (s.presetRule == PresetRule::kClamp)
      field = std::clamp(field, s.presetRange.low, s.presetRange.high);
  }
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
