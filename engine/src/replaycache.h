#pragma once
// The colour cache of the replay. The chain of queued point operations is a
// pure function of the 24-bit colour: each operation reads only the four
// bytes of its own pixel (B, G, R, 0 on entry) and process-wide tables that
// stay fixed while the queue is replayed, never the pixel's position or its
// neighbours. So the chain is evaluated once per distinct colour and its
// result looked up for every other pixel of that colour.
//
// The cache is two-way set-associative: 2^19 sets of two 4-byte slots
// (4 MiB). A colour's set is the bit-interleaved low bits of its three
// channels (the low seven of blue and green, six of red), so colours that
// are close share pages and cache lines; a slot keeps the colour's
// remaining top bits as a tag beside the 24-bit result, so a hit is always
// the whole colour's own result. The first slot of a set holds the colour
// used last; a colour found in the second moves to the first, and a new
// colour pushes the second out. The slots come zeroed from the allocator,
// and the block is freed with the cache at the end of the replay.
#include "alloc.h"
#include "pipeline.h"

#include <cstddef>
#include <cstdint>

namespace lvx {

class ReplayCache {
public:
  static constexpr int kSetBits = 19;
  static constexpr size_t kSlots = size_t(2) << kSetBits;
  static constexpr size_t kBytes = kSlots * sizeof(uint32_t);
  // The longest chain: a full queue and the converter back to colour.
  static constexpr int kMaxOperations = kQueueCapacity + 1;

  // The chain: the first `count` operations of `ops`, in order (null
  // entries are skipped; a count above kMaxOperations keeps the first
  // kMaxOperations).
  ReplayCache(const PixelOp* ops, int count);
  ReplayCache(const ReplayCache&) = delete;
  ReplayCache& operator=(const ReplayCache&) = delete;

  // Allocates the slots, all empty; false when memory is short, and the
  // cache must then not be used.
  bool Allocate();
  // The chain's result for a colour (blue in the low byte, then green and
  // red; bits above 23 are ignored), from the cache when the colour is
  // there, else evaluated and kept. Needs Allocate.
  uint32_t Map(uint32_t bgr);
  // Rewrites the first three bytes (B, G, R) of each of `columns` pixels
  // `pixelStride` bytes apart by the chain's result; other bytes are never
  // touched. Needs Allocate.
  void MapRow(uint8_t* row, int32_t columns, ptrdiff_t pixelStride);
  // The chain evaluated directly on a colour, without the cache.
  uint32_t Evaluate(uint32_t bgr) const;

private:
  uint32_t Fill(uint32_t& slot, uint32_t tag, uint32_t bgr) const;

  PixelOp ops_[kMaxOperations] = {};
  int count_ = 0;
  Buffer<uint32_t> slots_;
};

} // namespace lvx
