// The skin model: loading from the library's resource, from another module
// and from model files (with their error boxes), and the likelihood lookup
// against a reference written straight from the cell rules.
#include "testkit.h"

#include "alloc.h"
#include "module.h"
#include "skinmodel.h"
#include "status.h"

#include "lvxtest/testenv.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

using namespace lvx;
using namespace lvxtest;

namespace {

std::vector<uint8_t> FileBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WriteModel(const std::string& name, const std::vector<uint8_t>& bytes)
{
  const std::string path = TempDir() + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

SkinSettings WithPath(const std::string& path)
{
  SkinSettings s = Module().skin;
  std::snprintf(s.modelPath, sizeof s.modelPath, "%s", path.c_str());
  return s;
}

std::vector<uint8_t> Loaded()
{
  const SkinModel& m = LoadedSkinModel();
  return m.table ? std::vector<uint8_t>(m.table, m.table + (m.bits == 5 ? 32768 : 4096)) : std::vector<uint8_t>{};
}

// The one error box a failed load shows.
void ExpectBox(const std::string& text)
{
  ASSERT_EQ(standin::DialogLog().size(), 1u);
  const standin::DialogRequest& box = standin::DialogLog()[0];
  EXPECT_EQ(box.kind, "MessageBox");
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.caption, "Skin");
  EXPECT_EQ(box.style, UINT(MB_TASKMODAL | MB_ICONERROR));
}

// After a failure: no table, no block, no box beyond the expected one.
void ExpectNothingHeld()
{
  EXPECT_EQ(LoadedSkinModel().table, nullptr);
  EXPECT_EQ(LoadedSkinModel().bits, 0);
  EXPECT_EQ(LiveAllocations(), 0);
}

size_t ShortRead(void* buffer, size_t bytes, std::FILE* file) { return std::fread(buffer, 1, bytes - 1, file); }

// The lookup as the cell rules state it, for k = 4 or 5 bits per channel:
// centres at c + 2c i (c = 8 or 4), lower cell (v - c) >> (8 - k) (0 below
// the first centre), upper (v + c) >> (8 - k) (the last cell beyond the last
// centre), fraction (v - c) mod 2c; corners blended blue, green, red.
int Reference(const std::vector<uint8_t>& t, int k, int r, int g, int b)
{
  const int c = k == 4 ? 8 : 4, s = 2 * c, last = (1 << k) - 1;
  auto lo = [&](int v) { return v < c ? 0 : (v - c) >> (8 - k); };
  auto hi = [&](int v) { return v >= 256 - c ? last : (v + c) >> (8 - k); };
  auto at = [&](int i, int j, int l) { return int(t[size_t((i << (2 * k)) | (j << k) | l)]); };
  const int fr = (r - c) & (s - 1), fg = (g - c) & (s - 1), fb = (b - c) & (s - 1);
  int plane[2];
  for (int x = 0; x < 2; ++x) {
    const int i = x ? hi(r) : lo(r);
    const int low = at(i, lo(g), lo(b)) * s + fb * (at(i, lo(g), hi(b)) - at(i, lo(g), lo(b)));
    const int high = at(i, hi(g), lo(b)) * s + fb * (at(i, hi(g), hi(b)) - at(i, hi(g), lo(b)));
    plane[x] = low * s + fg * (high - low);
  }
  return (plane[0] * s + fr * (plane[1] - plane[0])) >> (k == 4 ? 12 : 9);
}

} // namespace

TEST(SkinModel, DefaultComesFromTheLibrarysResource)
{
  const SkinSettings& s = Module().skin;
  EXPECT_EQ(s.modelPath[0], '\0');
  EXPECT_EQ(s.interpolate, 1);
  ASSERT_EQ(LoadSkinModel(s), 0);
  EXPECT_EQ(LoadedSkinModel().bits, 4);
  EXPECT_EQ(Loaded(), FileBytes(SKIN_TABLE_FILE));
  // The table's peak (216, 152, 120) held as B, G, R bytes: red and blue
  // must not trade places on the way into the index.
  uint8_t pixel[3] = {120, 152, 216};
  uint8_t likelihood = 0;
  ImageDesc plane = Plane8View(&likelihood, 1, 1, RowLayout::Contiguous);
  ASSERT_EQ(LikelihoodPlane(CallerImage(pixel, 1, 1, 3, 3), plane, LoadedSkinModel().table, 4, s, NoProgress), 0);
  EXPECT_EQ(likelihood, 97);
  ReleaseSkinModel();
  ExpectNothingHeld();
}

TEST(SkinModel, ModelFiles)
{
  // Either size loads; entries above 100 are limited to 100. A Windows-style
  // path reaches the same file.
  std::vector<uint8_t> big(32768);
  for (size_t i = 0; i < big.size(); ++i)
    big[i] = uint8_t(i);
  ASSERT_EQ(LoadSkinModel(WithPath(WriteModel("big.bin", big))), 0);
  EXPECT_EQ(LoadedSkinModel().bits, 5);
  for (size_t i = 0; i < big.size(); ++i)
    ASSERT_EQ(Loaded()[i], std::min<int>(big[i], 100)) << i;
  std::string windows = "C:" + WriteModel("small.bin", std::vector<uint8_t>(4096, 7));
  std::replace(windows.begin(), windows.end(), '/', '\\');
  ASSERT_EQ(LoadSkinModel(WithPath(windows)), 0);
  EXPECT_EQ(LoadedSkinModel().bits, 4);
  EXPECT_EQ(Loaded(), std::vector<uint8_t>(4096, 7));
  ReleaseSkinModel();
  EXPECT_TRUE(standin::DialogLog().empty());

  const std::string odd = WriteModel("odd.bin", std::vector<uint8_t>(4097));
  EXPECT_EQ(LoadSkinModel(WithPath(odd)), -200);
  ExpectBox("Size of file " + odd + " is not correct!");
  ExpectNothingHeld();

  standin::ClearDialogLog();
  const std::string missing = TempDir() + "/missing.bin";
  EXPECT_EQ(LoadSkinModel(WithPath(missing)), -23);
  ExpectBox("Error opening file " + missing + "!");
  ExpectNothingHeld();

  standin::ClearDialogLog();
  const std::string small = TempDir() + "/small.bin";
  EXPECT_EQ(LoadSkinModel(WithPath(small), Module().handle, ShortRead), -19);
  ExpectBox("Error reading file " + small + "!");
  ExpectNothingHeld();
}

TEST(SkinModel, LongPathsStayWithinTheMessage)
{
  // A path field filled to its last byte, without a terminator: at most 259
  // characters are used, and the message shortens the path to keep its words.
  SkinSettings s = Module().skin;
  std::memset(s.modelPath, 'a', sizeof s.modelPath);
  s.modelPath[0] = '/';
  EXPECT_EQ(LoadSkinModel(s), -23);
  ASSERT_EQ(standin::DialogLog().size(), 1u);
  const std::string& text = standin::DialogLog()[0].text;
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.rfind("Error opening file /aaa", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 4), "...!");
  ExpectNothingHeld();
}

TEST(SkinModel, ResourceOfAnotherModule)
{
  // The resource must be "MPRO" #1 of the module asked, of either table size.
  const HINSTANCE fake = reinterpret_cast<HINSTANCE>(uintptr_t(0x5eed0000));
  static const unsigned char bytes[32768] = {};
  const standin::ResourceEntry entries[] = {{nullptr, 10, nullptr, 1, bytes, 4096, 0, 0},
                                            {"MPRO", 0, nullptr, 1, bytes, 100, 0, 0},
                                            {"MPRO", 0, nullptr, 1, bytes, 32768, 0, 0}};
  const SkinSettings& s = Module().skin;
  EXPECT_EQ(LoadSkinModel(s, fake), -108);
  const int expected[] = {-108, -200, 0};
  for (int i = 0; i < 3; ++i) {
    const standin::ResourceTable table{&entries[i], 1};
    standin::RegisterResources(fake, &table);
    EXPECT_EQ(LoadSkinModel(s, fake), expected[i]) << i;
    EXPECT_EQ(LoadedSkinModel().bits, expected[i] == 0 ? 5 : 0) << i;
    standin::UnregisterResources(fake, &table);
    ReleaseSkinModel();
  }
  EXPECT_TRUE(standin::DialogLog().empty());
  ExpectNothingHeld();
}

TEST(SkinLookup, TrilinearEqualsTheCellRulesInBothLayouts)
{
  std::mt19937 rng(5);
  for (int k : {4, 5}) {
    std::vector<uint8_t> t(size_t(1) << (3 * k));
    for (uint8_t& e : t)
      e = uint8_t(rng() % 101);
    // Every value of each channel, the others at random.
    for (int channel = 0; channel < 3; ++channel)
      for (int v = 0; v < 256; ++v)
        for (int n = 0; n < 4; ++n) {
          int c[3] = {int(rng() % 256), int(rng() % 256), int(rng() % 256)};
          c[channel] = v;
          ASSERT_EQ(SkinLikelihood(t.data(), k, true, uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2])),
                    Reference(t, k, c[0], c[1], c[2]))
              << k << " bits: " << c[0] << ", " << c[1] << ", " << c[2];
        }
    // Cell centres give their entry exactly; so do values beyond the
    // outermost centres, which use the edge cells.
    const int width = 256 >> k, last = (1 << k) - 1;
    for (size_t i = 0; i < t.size(); i += 3) {
      const int r = int(i >> (2 * k)), g = int(i >> k) & last, b = int(i) & last;
      auto centre = [&](int cell) { return uint8_t(width / 2 + width * cell); };
      const uint8_t red = r == 0 ? uint8_t(i % 4) : (r == last ? uint8_t(255 - i % 4) : centre(r));
      ASSERT_EQ(SkinLikelihood(t.data(), k, true, red, centre(g), centre(b)), t[i]) << k << " bits, cell " << i;
      ASSERT_EQ(SkinLikelihood(t.data(), k, false, red, centre(g), centre(b)), t[i]) << k << " bits, cell " << i;
    }
  }
}

TEST(SkinLookup, NearestAgainstInterpolatedPlanes)
{
  // One cell, (13, 9, 7), holds 100. Red 215 lies in it but between the
  // centres 200 and 216 (fraction 15/16): 100 x 15 / 16 -> 93. Red 224 lies
  // in cell 14, halfway between the centres 216 and 232: 50.
  std::vector<uint8_t> t(4096, 0);
  t[13 << 8 | 9 << 4 | 7] = 100;
  TestImage image(1, 3);
  const uint8_t reds[3] = {216, 215, 224};
  for (int x = 0; x < 3; ++x)
    image.Pixel(0, x)[0] = 120, image.Pixel(0, x)[1] = 152, image.Pixel(0, x)[2] = reds[x];
  SkinSettings s = Module().skin;
  for (int interpolate : {0, 1}) {
    s.interpolate = interpolate;
    ImageDesc plane;
    ASSERT_EQ(LikelihoodPlane(image.Desc(), plane, t.data(), 4, s, NoProgress), 0);
    const std::vector<uint8_t> got(plane.data, plane.data + 3);
    EXPECT_EQ(got, interpolate ? (std::vector<uint8_t>{100, 93, 50}) : (std::vector<uint8_t>{100, 100, 0}));
    FreeImage(plane);
  }
  ImageDesc plane;
  EXPECT_EQ(LikelihoodPlane(image.Desc(), plane, t.data(), 3, s, NoProgress), -200);
  EXPECT_FALSE(plane.Allocated());
}
