// The replay's colour cache against the chain of operations run directly on
// each colour: random samples, edge colours, greys and colours that share a
// slot, by single colours and by rows.
#include "testkit.h"

#include "alloc.h"
#include "colorspace.h"
#include "replaycache.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace lvx;
using namespace lvxtest;

namespace {

uint32_t Direct(const std::vector<PixelOp>& chain, uint32_t bgr)
{
  uint8_t p[4] = {uint8_t(bgr), uint8_t(bgr >> 8), uint8_t(bgr >> 16), 0};
  for (PixelOp op : chain)
    op(p);
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

// Edge colours: each channel at 0 and 255 in every combination, each
// channel alone at every level, and every grey.
std::vector<uint32_t> EdgeColours()
{
  std::vector<uint32_t> colours;
  for (uint32_t corner = 0; corner < 8; ++corner)
    colours.push_back((corner & 1 ? 0xFFu : 0) | (corner & 2 ? 0xFF00u : 0) | (corner & 4 ? 0xFF0000u : 0));
  for (uint32_t v = 0; v < 256; ++v) {
    colours.push_back(v);
    colours.push_back(v << 8);
    colours.push_back(v << 16);
    colours.push_back(v * 0x010101u);
  }
  return colours;
}

// Random colours; some are followed by colours of their slot (128 apart in
// one or more channels) that alternate with them and evict each other.
std::vector<uint32_t> SampledColours(uint32_t seed, int count)
{
  std::mt19937 random(seed);
  std::vector<uint32_t> colours;
  for (int i = 0; i < count; ++i) {
    const uint32_t c = random() & 0xFFFFFFu;
    colours.push_back(c);
    if (i % 4 == 0)
      for (uint32_t flip : {0x80u, 0u, 0x80u, 0x8000u, 0x800000u, 0x808080u, 0u})
        colours.push_back(c ^ flip);
  }
  return colours;
}

struct Chain {
  const char* name;
  double gamma;
  std::vector<PixelOp> ops;
};

std::vector<Chain> Chains()
{
  return {{"plain", 1.0, {LookupOp, ColourToWorkingPlainOp, HueOp, WorkingToColourPlainOp, LookupOp}},
          {"gamma 1.8", 1.8, {ColourToWorkingGammaOp, HueOp, WorkingToColourGammaOp, LookupOp}},
          {"gamma 0.45", 0.45, {LookupOp, ColourToWorkingGammaOp, WorkingToColourGammaOp}},
          {"empty", 1.0, {}}};
}

} // namespace

TEST(ReplayCache, MapsEveryColourAsTheChainDoes)
{
  std::vector<uint32_t> colours = EdgeColours();
  const std::vector<uint32_t> sampled = SampledColours(27, 40000);
  colours.insert(colours.end(), sampled.begin(), sampled.end());
  for (const Chain& chain : Chains()) {
    SCOPED_TRACE(chain.name);
    PrepareGammaTables(chain.gamma);
    ReplayCache cache(chain.ops.data(), int(chain.ops.size()));
    ASSERT_TRUE(cache.Allocate());
    // Twice: the second pass meets both kept and evicted colours.
    for (int pass = 0; pass < 2; ++pass)
      for (uint32_t c : colours) {
        const uint32_t expected = Direct(chain.ops, c);
        ASSERT_EQ(cache.Map(c), expected) << std::hex << "colour " << c << " pass " << pass;
        ASSERT_EQ(cache.Evaluate(c), expected) << std::hex << "colour " << c;
      }
    // Bits above the colour are ignored.
    EXPECT_EQ(cache.Map(0xFF000000u | colours[42]), Direct(chain.ops, colours[42]));
  }
}

TEST(ReplayCache, RowsAreRewrittenInPlaceAndPaddingIsNeverTouched)
{
  PrepareGammaTables(1.8);
  const std::vector<PixelOp> ops{nullptr, ColourToWorkingGammaOp, HueOp, nullptr, WorkingToColourGammaOp};
  const std::vector<PixelOp> chain{ColourToWorkingGammaOp, HueOp, WorkingToColourGammaOp};
  for (int pixelBytes : {3, 4}) {
    SCOPED_TRACE(pixelBytes);
    TestImage image(7, 301, pixelBytes, 5);
    image.FillRandom(uint32_t(pixelBytes));
    // A run of one colour and its slot neighbours in the first row.
    for (int32_t x = 0; x < 12; ++x) {
      uint8_t* p = image.Pixel(0, x);
      p[0] = uint8_t(x % 2 ? 0x91 : 0x11), p[1] = 0x22, p[2] = uint8_t(x % 3 ? 0x33 : 0xB3);
    }
    const TestImage original = image;
    ReplayCache cache(ops.data(), int(ops.size()));
    ASSERT_TRUE(cache.Allocate());
    for (int32_t y = 0; y < image.rows; ++y)
      cache.MapRow(image.Pixel(y, 0), image.columns, pixelBytes);
    EXPECT_TRUE(image.CanariesIntact());
    TestImage expected = original;
    for (int32_t y = 0; y < image.rows; ++y)
      for (int32_t x = 0; x < image.columns; ++x) {
        uint8_t* p = expected.Pixel(y, x);
        const uint32_t v = Direct(chain, uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
        p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16);
      }
    EXPECT_EQ(image.bytes, expected.bytes);
  }
}

TEST(ReplayCache, AllocationFailureIsReportedAndLeavesNothing)
{
  const long live = LiveAllocations();
  const PixelOp op = LookupOp;
  {
    ReplayCache cache(&op, 1);
    standin::ResetAllocationFaults();
    standin::FailAllocations(0, 1);
    EXPECT_FALSE(cache.Allocate());
    standin::ResetAllocationFaults();
    EXPECT_EQ(LiveAllocations(), live);
    ASSERT_TRUE(cache.Allocate());
    EXPECT_EQ(cache.Map(0x123456u), Direct({LookupOp}, 0x123456u));
  }
  EXPECT_EQ(LiveAllocations(), live);
}
