// The art generator: its files are well-formed 24-bit BMPs of the listed
// sizes, byte-identical from run to run, and the framework's check boxes
// keep to their drawing rules.
#include "artset.h"
#include "lvxtest/commandrun.h"
#include "lvxtest/testenv.h"
#include "palette.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace artgen;

namespace {

// Runs the tool with stderr joined to stdout.
lvxtest::CommandRun Artgen(const std::string& arguments)
{
  return lvxtest::RunCommand(std::string(ARTGEN_TOOL) + " " + arguments + " 2>&1");
}

std::vector<uint8_t> Bytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

// A BMP file read back by its own headers; row 0 is the top row.
struct Bmp {
  explicit Bmp(const std::vector<uint8_t>& b) : bytes(b)
  {
    if (bytes.size() < 54)
      return;
    width = int(U32(bytes, 18));
    height = int(U32(bytes, 22));
    offset = U32(bytes, 10);
    bits = U16(bytes, 28);
    rowBytes = (size_t(width) * bits / 8 + 3) / 4 * 4;
  }
  Rgb At(int x, int y) const
  {
    const size_t at = offset + size_t(height - 1 - y) * rowBytes + size_t(x) * bits / 8;
    // An 8-bit pixel is an index into the colour table after the headers.
    const size_t colour = bits == 8 ? 54 + 4 * size_t(bytes[at]) : at;
    return Rgb{bytes[colour + 2], bytes[colour + 1], bytes[colour]};
  }
  std::vector<uint8_t> bytes;
  int width = 0, height = 0, bits = 0;
  size_t offset = 0, rowBytes = 0;
};

} // namespace

TEST(Artgen, EverySetIsWrittenByteIdenticalAsWellFormedBmpsOfTheListedSizes)
{
  for (const ArtSet& set : ArtSets()) {
    const std::string first = lvxtest::TempDir() + "/first-" + set.name;
    const std::string second = lvxtest::TempDir() + "/second-" + set.name;
    ASSERT_EQ(Artgen(std::string("--set ") + set.name + " " + first).status, 0) << set.name;
    ASSERT_EQ(Artgen(std::string("--set ") + set.name + " " + second).status, 0) << set.name;
    for (const ArtPicture& picture : set.pictures) {
      SCOPED_TRACE(picture.file);
      const std::vector<uint8_t> bytes = Bytes(first + "/" + picture.file);
      ASSERT_GE(bytes.size(), 54u);
      EXPECT_EQ(bytes, Bytes(second + "/" + picture.file));
      const Bmp bmp(bytes);
      EXPECT_EQ(bytes[0] * 256 + bytes[1], 'B' * 256 + 'M');
      EXPECT_EQ(U32(bytes, 2), bytes.size());
      // 24 bits without a colour table, or 8 with all 256 entries.
      const size_t table = picture.bitsPerPixel == 8 ? 256 : 0;
      EXPECT_EQ(bmp.offset, 54 + 4 * table);
      EXPECT_EQ(U32(bytes, 46), table) << "colours used";
      EXPECT_EQ(U32(bytes, 14), 40u) << "BITMAPINFOHEADER";
      EXPECT_EQ(bmp.width * 1000 + bmp.height, picture.width * 1000 + picture.height);
      EXPECT_EQ(U16(bytes, 26), 1) << "planes";
      EXPECT_EQ(bmp.bits, picture.bitsPerPixel) << "bits per pixel";
      EXPECT_EQ(U32(bytes, 30), 0u) << "BI_RGB";
      // Rows padded to 4 bytes with zeros, and nothing after the last.
      ASSERT_EQ(bytes.size(), bmp.offset + bmp.rowBytes * size_t(bmp.height));
      for (int row = 0; row < bmp.height; ++row)
        for (size_t pad = size_t(bmp.width) * bmp.bits / 8; pad < bmp.rowBytes; ++pad)
          EXPECT_EQ(bytes[bmp.offset + size_t(row) * bmp.rowBytes + pad], 0) << row;
    }
  }
}

TEST(Artgen, TheBuildsFrameworkArtIsWhatTheToolWrites)
{
  const std::string folder = lvxtest::TempDir() + "/framework";
  ASSERT_EQ(Artgen("--set framework " + folder).status, 0);
  for (const ArtPicture& picture : FrameworkArt())
    EXPECT_EQ(Bytes(std::string(FRAMEWORK_ART_DIR) + "/" + picture.file), Bytes(folder + "/" + picture.file))
        << picture.file;
}

TEST(Artgen, CheckBoxesDifferOnlyByATwoPixelAccentTickInsideTheFace)
{
  const std::string folder = lvxtest::TempDir() + "/boxes";
  ASSERT_EQ(Artgen("--set framework " + folder).status, 0);
  const Bmp on(Bytes(folder + "/206-checkbox-on.bmp")), off(Bytes(folder + "/207-checkbox-off.bmp"));
  ASSERT_EQ(on.width * 100 + on.height, 1515);
  ASSERT_EQ(off.width * 100 + off.height, 1515);
  int tick = 0;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x) {
      const bool edge = x == 0 || y == 0 || x == 14 || y == 14;
      SCOPED_TRACE(testing::Message() << x << "," << y);
      EXPECT_TRUE(off.At(x, y) == (edge ? palette::kFrame : palette::kFace));
      if (on.At(x, y) == off.At(x, y))
        continue;
      // A pixel that differs is a tick pixel inside the face, and lies in a
      // 2 x 2 block of tick pixels: the tick is 2 pixels thick everywhere.
      ++tick;
      EXPECT_FALSE(edge);
      EXPECT_TRUE(on.At(x, y) == palette::kAccent);
      bool inBlock = false;
      for (int dy = -1; dy <= 0; ++dy)
        for (int dx = -1; dx <= 0; ++dx) {
          bool all = true;
          for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i)
              all = all && on.At(x + dx + i, y + dy + j) == palette::kAccent;
          inBlock = inBlock || all;
        }
      EXPECT_TRUE(inBlock);
    }
  EXPECT_GE(tick, 20) << "a visible tick";
}

TEST(Artgen, TheRingIsSymmetricAboutItsCentreWithTicksOnTheAxes)
{
  const std::string folder = lvxtest::TempDir() + "/ring";
  ASSERT_EQ(Artgen("--set framework " + folder).status, 0);
  const Bmp ring(Bytes(folder + "/208-ring.bmp"));
  ASSERT_EQ(ring.width * 1000 + ring.height, 81081);
  // About column 39 (columns 0..78; 79 and 80 lie beyond the disc) and row 40.
  for (int y = 0; y < 81; ++y) {
    for (int x = 0; x <= 78; ++x) {
      ASSERT_TRUE(ring.At(x, y) == ring.At(78 - x, y)) << x << "," << y;
      ASSERT_TRUE(ring.At(x, y) == ring.At(x, 80 - y)) << x << "," << y;
    }
    EXPECT_TRUE(ring.At(79, y) == palette::kControlGrey && ring.At(80, y) == palette::kControlGrey) << y;
  }
  // Along the ray to the right: face, the track (the dial's circle, radius
  // 24, runs in it), face, the tick, face, the rim, grey beyond.
  const std::vector<std::pair<int, Rgb>> ray = {
      {0, palette::kFace},    {19, palette::kFace},  {20, palette::kShadow},     {24, palette::kShadow},
      {28, palette::kShadow}, {29, palette::kFace},  {31, palette::kAccent},     {34, palette::kAccent},
      {35, palette::kFace},   {36, palette::kFrame}, {37, palette::kControlGrey}};
  for (const auto& [r, colour] : ray) {
    EXPECT_TRUE(ring.At(39 + r, 40) == colour) << "right " << r;
    EXPECT_TRUE(ring.At(39, 40 - r) == colour) << "up " << r;
  }
  EXPECT_TRUE(ring.At(39 + 23, 40 - 23) == palette::kFace) << "no tick on a diagonal";
  EXPECT_TRUE(ring.At(0, 0) == palette::kControlGrey);
}

TEST(Artgen, TheNudgeArrowsAreOneUpwardTriangleNormalAndHot)
{
  const std::string folder = lvxtest::TempDir() + "/arrows";
  ASSERT_EQ(Artgen("--set framework " + folder).status, 0);
  const Bmp arrow(Bytes(folder + "/701-nudge-arrow.bmp")), hot(Bytes(folder + "/702-nudge-arrow-hot.bmp"));
  ASSERT_EQ(arrow.width * 100 + arrow.height, 1612);
  ASSERT_EQ(hot.width * 100 + hot.height, 1612);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      ASSERT_TRUE(arrow.At(x, y) == arrow.At(15 - x, y)) << "mirror-symmetric";
      ASSERT_TRUE(hot.At(x, y) == hot.At(15 - x, y));
      ASSERT_TRUE(arrow.At(x, y) == palette::kFace || arrow.At(x, y) == palette::kControlGrey);
      ASSERT_EQ(arrow.At(x, y) == palette::kControlGrey, hot.At(x, y) == palette::kControlGrey) << "one shape";
    }
  // The apex in columns 7-8 of row 1, the base along row 10 from 1 to 14,
  // and rows that widen in between.
  int previous = 0;
  for (int y = 0; y < 12; ++y) {
    int width = 0;
    for (int x = 0; x < 16; ++x) {
      const bool face = arrow.At(x, y) == palette::kFace;
      width += face;
      if (y == 1) {
        EXPECT_EQ(face, x == 7 || x == 8) << x;
      }
      if (y == 10) {
        EXPECT_EQ(face, x >= 1 && x <= 14) << x;
      }
    }
    if (y >= 1 && y <= 10)
      EXPECT_GE(width, previous) << y;
    else
      EXPECT_EQ(width, 0) << y;
    previous = width;
  }
  // Hot: the accent inside a 1-pixel face outline.
  EXPECT_TRUE(hot.At(7, 1) == palette::kFace);
  EXPECT_TRUE(hot.At(1, 10) == palette::kFace);
  EXPECT_TRUE(hot.At(2, 9) == palette::kFace) << "its left neighbour is outside";
  EXPECT_TRUE(hot.At(3, 9) == palette::kAccent);
  EXPECT_TRUE(hot.At(7, 8) == palette::kAccent);
}

TEST(Artgen, ListNamesEveryPictureAndBadArgumentsExitWithTheUsage)
{
  const lvxtest::CommandRun list = Artgen("--list");
  EXPECT_EQ(list.status, 0);
  EXPECT_NE(list.output.find("framework    206  15x15  check box, checked"), std::string::npos) << list.output;
  EXPECT_NE(list.output.find("framework    207  15x15  check box, unchecked"), std::string::npos);
  EXPECT_NE(list.output.find("test         340  16x16  tile"), std::string::npos);
  EXPECT_NE(list.output.find("framework    208  81x81  ring control"), std::string::npos);
  EXPECT_NE(list.output.find("framework    701  16x12  nudge arrow, pointing up"), std::string::npos);
  EXPECT_NE(list.output.find("framework    702  16x12  nudge arrow, hot"), std::string::npos);
  EXPECT_NE(list.output.find("plugin       144 331x486 about window"), std::string::npos);
  EXPECT_NE(list.output.find("plugin       270  32x32  preview pane's hand cursor"), std::string::npos);
  for (const char* bad : {"", "--bogus", "--set nonsense /tmp/x", "--set framework", "--list extra"}) {
    const lvxtest::CommandRun run = Artgen(bad);
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_NE(run.output.find("usage: artgen"), std::string::npos) << bad;
  }
  EXPECT_EQ(FindArtSet("nonsense"), nullptr);
  EXPECT_EQ(Artgen("--set test /proc/not-writable").status, 1);
}

TEST(Artgen, TheEffectModulesShareAllButTheirIcons)
{
  const std::string despeckle = lvxtest::TempDir() + "/despeckle", descreen = lvxtest::TempDir() + "/descreen";
  ASSERT_EQ(Artgen("--set despeckle " + despeckle).status, 0);
  ASSERT_EQ(Artgen("--set descreen " + descreen).status, 0);
  for (const ArtPicture& picture : DespeckleArt()) {
    const bool same = Bytes(despeckle + "/" + picture.file) == Bytes(descreen + "/" + picture.file);
    EXPECT_EQ(same, picture.id != 101) << picture.file;
  }
}

TEST(Artgen, TheMarkerIsAnAccentRingInADarkOutlineOnTheWhiteKey)
{
  const std::string folder = lvxtest::TempDir() + "/marker";
  ASSERT_EQ(Artgen("--set despeckle " + folder).status, 0);
  const Bmp marker(Bytes(folder + "/106-marker.bmp"));
  ASSERT_EQ(marker.width * 100 + marker.height, 1111);
  const Rgb white{255, 255, 255};
  // The corners and the middle let the picture under the marker show.
  EXPECT_TRUE(marker.At(0, 0) == white);
  EXPECT_TRUE(marker.At(10, 10) == white);
  EXPECT_TRUE(marker.At(5, 5) == white);
  // Along the middle row from the left: outline, ring, outline, then the key.
  EXPECT_TRUE(marker.At(0, 5) == palette::kShadow);
  EXPECT_TRUE(marker.At(2, 5) == palette::kAccent);
  EXPECT_TRUE(marker.At(3, 5) == palette::kShadow);
  EXPECT_TRUE(marker.At(4, 5) == white);
  int ring = 0;
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) {
      const Rgb p = marker.At(x, y);
      EXPECT_TRUE(p == white || p == palette::kAccent || p == palette::kShadow) << x << "," << y;
      ring += p == palette::kAccent;
    }
  EXPECT_GT(ring, 20);
}
