#include "replaycache.h"

#include "iterate.h"

namespace lvx {
namespace {

// Each byte's bits spread to every third bit: bit i moves to bit 3i.
struct SpreadTable {
  uint32_t bits[256] = {};
  constexpr SpreadTable()
  {
    for (uint32_t v = 0; v < 256; ++v)
      for (int i = 0; i < 8; ++i)
        bits[v] |= ((v >> i) & 1u) << (3 * i);
  }
};
constexpr SpreadTable kSpread;

constexpr uint32_t kSlotMask = uint32_t(ReplayCache::kSlots - 1);
// A filled slot's top byte: this flag and the colour's three top bits.
constexpr uint32_t kFilled = 0x80;
static_assert(ReplayCache::kSlotBits >= 17 && ReplayCache::kSlotBits <= 24,
              "the tag must fit beside the flag in the top byte");

// The colour's bits interleaved, blue lowest: bit 3i is bit i of blue, bit
// 3i + 1 of green, bit 3i + 2 of red.
inline uint32_t Interleave(uint32_t b, uint32_t g, uint32_t r)
{
  return kSpread.bits[b] | kSpread.bits[g] << 1 | kSpread.bits[r] << 2;
}

} // namespace

ReplayCache::ReplayCache(const PixelOp* ops, int count)
{
  for (int i = 0; i < count && count_ < kMaxOperations; ++i)
    if (ops[i])
      ops_[count_++] = ops[i];
}

bool ReplayCache::Allocate() { return slots_.AllocateZeroed(kSlots); }

uint32_t ReplayCache::Evaluate(uint32_t bgr) const
{
  uint8_t pixel[4] = {uint8_t(bgr), uint8_t(bgr >> 8), uint8_t(bgr >> 16), 0};
  for (int i = 0; i < count_; ++i)
    ops_[i](pixel);
  return uint32_t(pixel[0]) | uint32_t(pixel[1]) << 8 | uint32_t(pixel[2]) << 16;
}

// Kept out of line so that the lookup loop stays small.
[[gnu::noinline]] uint32_t ReplayCache::Fill(uint32_t& slot, uint32_t tag, uint32_t bgr) const
{
  slot = tag << 24 | Evaluate(bgr);
  return slot;
}

// The lookup shared by Map and MapRow: the slot's result when it holds
// this colour, else the chain evaluated and kept there.
inline uint32_t ReplayCache::Find(uint32_t b, uint32_t g, uint32_t r)
{
  const uint32_t code = Interleave(b, g, r);
  const uint32_t tag = kFilled | code >> kSlotBits;
  uint32_t& slot = slots_[code & kSlotMask];
  const uint32_t entry = slot;
  if (entry >> 24 == tag)
    return entry;
  return Fill(slot, tag, b | g << 8 | r << 16);
}

uint32_t ReplayCache::Map(uint32_t bgr) { return Find(bgr & 255, (bgr >> 8) & 255, (bgr >> 16) & 255) & 0xFFFFFFu; }

void ReplayCache::MapRow(uint8_t* row, int32_t columns, ptrdiff_t pixelStride)
{
  WithPixelStrideOf<3>(pixelStride, [&](auto step) {
    for (int32_t x = 0; x < columns; ++x) {
      uint8_t* p = row + x * step;
      const uint32_t v = Find(p[0], p[1], p[2]);
      p[0] = uint8_t(v);
      p[1] = uint8_t(v >> 8);
      p[2] = uint8_t(v >> 16);
    }
  });
}

} // namespace lvx
