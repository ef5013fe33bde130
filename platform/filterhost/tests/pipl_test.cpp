// The property-list and terminology readers on hand-made blocks: every
// length is checked against the block, so no block makes them read past it.
#include "filterhost/filterhost.h"
#include "filterhost/pipl.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using filterhost::Pipl;

void U32(Bytes& b, uint32_t v)
{
  for (int i = 0; i < 4; ++i)
    b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void Property(Bytes& b, const char (&key)[5], const Bytes& data)
{
  U32(b, FourCC("8BIM"));
  U32(b, FourCC(key));
  U32(b, 0);
  U32(b, static_cast<uint32_t>(data.size()));
  b.insert(b.end(), data.begin(), data.end()); // data lengths here are multiples of 4
}

// int16 1, version 0, 4 properties.
Bytes SmallPipl()
{
  Bytes b = {1, 0};
  U32(b, 0);
  U32(b, 4);
  Property(b, "kind", {'M', 'F', 'B', '8'});
  Property(b, "vers", {0, 0, 4, 0});
  Property(b, "mode", {0x58, 0x01, 0, 0}); // modes 1, 3, 4 and 15
  Property(b, "wx86", {'E', 'N', 'T', 0});
  return b;
}

// Parses a heap copy of exactly `size` bytes, so that a read past it is
// caught by the address sanitizer.
bool ParseExactly(Pipl& pipl, const Bytes& bytes, size_t size)
{
  auto copy = std::make_unique<uint8_t[]>(size ? size : 1);
  std::copy(bytes.begin(), bytes.begin() + static_cast<long>(size), copy.get());
  const bool ok = pipl.Parse(copy.get(), size);
  // Read every property through the helpers while the copy is alive.
  for (int m = 0; m < 40; ++m)
    pipl.SupportsMode(m);
  pipl.Kind();
  pipl.Version();
  pipl.EntryName();
  return ok;
}

} // namespace

TEST(Pipl, HelpersReadKindVersionModesAndEntry)
{
  Pipl pipl;
  const Bytes block = SmallPipl();
  ASSERT_TRUE(pipl.Parse(block.data(), block.size()));
  EXPECT_EQ(pipl.Properties().size(), 4u);
  EXPECT_EQ(pipl.Kind(), FourCC("8BFM"));
  EXPECT_EQ(pipl.Version(), 0x00040000u);
  // 0x58 = bits 6, 4 and 3 of byte 0 (modes 1, 3, 4); 0x01 = bit 0 of byte 1 (mode 15).
  std::vector<int> modes;
  for (int m = -1; m < 40; ++m)
    if (pipl.SupportsMode(m))
      modes.push_back(m);
  EXPECT_EQ(modes, (std::vector<int>{1, 3, 4, 15}));
  EXPECT_EQ(pipl.EntryName(), "ENT");
}

TEST(Pipl, EveryTruncationFailsWithoutReadingPastTheBlock)
{
  const Bytes block = SmallPipl();
  Pipl pipl;
  for (size_t size = 0; size < block.size(); ++size)
    EXPECT_FALSE(ParseExactly(pipl, block, size)) << size;
  EXPECT_TRUE(ParseExactly(pipl, block, block.size()));
  EXPECT_FALSE(pipl.Parse(nullptr, 100));
}

TEST(Pipl, MalformedListsAreRefused)
{
  Pipl pipl;
  Bytes huge = SmallPipl();
  huge[10 + 12] = 0xFF; // first property's length: 0xFFFFFF04
  huge[10 + 13] = 0xFF;
  huge[10 + 14] = 0xFF;
  std::string error;
  EXPECT_FALSE(pipl.Parse(huge.data(), huge.size(), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(pipl.Properties().empty());

  Bytes version = SmallPipl();
  version[0] = 2;
  EXPECT_FALSE(pipl.Parse(version.data(), version.size()));

  // An entry name without its terminator, and a mode byte the property
  // lacks, give nothing.
  Bytes b = {1, 0};
  U32(b, 0);
  U32(b, 2);
  Property(b, "wx86", {'A', 'B', 'C', 'D'});
  Property(b, "mode", {});
  ASSERT_TRUE(pipl.Parse(b.data(), b.size()));
  EXPECT_FALSE(pipl.EntryName());
  EXPECT_FALSE(pipl.SupportsMode(1));
  EXPECT_FALSE(pipl.Kind());
}

TEST(Aete, WalkStopsAtTheEndOfTheBlock)
{
  // Header, one suite "S" with one event "E" holding one parameter "P".
  Bytes b = {1, 0, 1, 0, 0, 0, 0, 0, 1, 0};
  auto pstring = [&](const std::string& s) {
    b.push_back(static_cast<uint8_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
  };
  auto i16 = [&](int v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
  };
  pstring("S"), pstring(""), U32(b, FourCC("Lumx")), i16(1), i16(1), i16(1);
  pstring("E"), pstring(""), U32(b, 1), U32(b, 2), U32(b, FourCC("null")), pstring(""), i16(0);
  U32(b, FourCC("#ImR")), pstring(""), i16(0x0d), i16(1);
  pstring("P"), U32(b, FourCC("lvAU")), U32(b, typeBoolean), pstring(""), i16(0);
  i16(0), i16(0), i16(0);

  filterhost::Aete aete;
  ASSERT_TRUE(filterhost::ReadAete(b.data(), b.size(), &aete));
  EXPECT_EQ(aete.end, b.size());
  ASSERT_EQ(aete.suites.size(), 1u);
  ASSERT_EQ(aete.suites[0].events.size(), 1u);
  const filterhost::AeteEvent& event = aete.suites[0].events[0];
  EXPECT_EQ(event.directFlags, 0x0d);
  ASSERT_EQ(event.parameters.size(), 1u);
  EXPECT_EQ(event.parameters[0].key, FourCC("lvAU"));

  for (size_t size = 0; size < b.size(); ++size) {
    auto copy = std::make_unique<uint8_t[]>(size ? size : 1);
    std::copy(b.begin(), b.begin() + static_cast<long>(size), copy.get());
    EXPECT_FALSE(filterhost::ReadAete(copy.get(), size, nullptr)) << size;
  }
  b[b.size() - 6] = 1; // one class: not walked
  EXPECT_FALSE(filterhost::ReadAete(b.data(), b.size(), nullptr));
}
