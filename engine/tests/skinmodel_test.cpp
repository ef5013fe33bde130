// The skin model: loading from the library's resource, from another module
// and from model files (with their error boxes), and the likelihood lookup
// against a reference written straight from the cell rules.
#include "testkit.h"

#include "alloc.h"
#include "module.h"
#include "skinmodel.h"

#include "lvxtest/testenv.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <tuple>

using namespace lvx;
using namespace lvxtest;

namespace {

std::string WriteModel(const std::string& name, const std::vector<uint8_t>& bytes)
{
  const std::string path = TempDir() + "/" + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

int Load(const std::string& path, ModelReader read = nullptr)
{
  SkinSettings s = Module().skin;
  std::snprintf(s.modelPath, sizeof s.modelPath, "%s", path.c_str());
  return LoadSkinModel(s, Module().handle, read);
}

std::vector<uint8_t> Loaded()
{
  const SkinModel& m = LoadedSkinModel();
  return m.table ? std::vector<uint8_t>(m.table, m.table + (m.bits == 5 ? 32768 : 4096)) : std::vector<uint8_t>{};
}

// After a failure: the one error box named, no table and no block held.
void ExpectFailure(const std::string& text)
{
  const std::vector<standin::DialogRequest>& log = standin::DialogLog();
  ASSERT_EQ(log.size(), text.empty() ? 0u : 1u);
  if (!text.empty()) {
    EXPECT_EQ(std::tie(log[0].kind, log[0].owner, log[0].text, log[0].caption, log[0].style),
              std::make_tuple(std::string("MessageBox"), HWND(nullptr), text, std::string("Skin"),
                              UINT(MB_TASKMODAL | MB_ICONERROR)));
  }
  standin::ClearDialogLog();
  EXPECT_EQ(LoadedSkinModel().table, nullptr);
  EXPECT_EQ(LoadedSkinModel().bits, 0);
  EXPECT_EQ(LiveAllocations(), 0);
}

// The lookup as the cell rules state it, for k = 4 or 5 bits per channel:
// centres at c + 2c i (c = 8 or 4), lower cell (v - c) >> (8 - k) (0 below
// the first centre), upper (v + c) >> (8 - k) (the last cell beyond the last
// centre), fraction (v - c) mod 2c; corners blended blue, green, red.
int Reference(const std::vector<uint8_t>& t, int k, int r, int g, int b)
{
  const int c = k == 4 ? 8 : 4, s = 2 * c;
  auto lo = [&](int v) { return v < c ? 0 : (v - c) >> (8 - k); };
  auto hi = [&](int v) { return v >= 256 - c ? (1 << k) - 1 : (v + c) >> (8 - k); };
  auto at = [&](int i, int j, int l) { return int(t[size_t((i << (2 * k)) | (j << k) | l)]); };
  auto mix = [s](int a, int z, int v) { return a * s + ((v - s / 2) & (s - 1)) * (z - a); };
  auto blue = [&](int i, int j) { return mix(at(i, j, lo(b)), at(i, j, hi(b)), b); };
  auto green = [&](int i) { return mix(blue(i, lo(g)), blue(i, hi(g)), g); };
  return mix(green(lo(r)), green(hi(r)), r) >> (k == 4 ? 12 : 9);
}

} // namespace

TEST(SkinModel, DefaultComesFromTheLibrarysResource)
{
  EXPECT_EQ(Module().skin.modelPath[0], '\0');
  EXPECT_EQ(Module().skin.interpolate, 1);
  ASSERT_EQ(LoadSkinModel(Module().skin), 0);
  EXPECT_EQ(LoadedSkinModel().bits, 4);
  std::ifstream in(SKIN_TABLE_FILE, std::ios::binary);
  EXPECT_EQ(Loaded(), std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  ReleaseSkinModel();
  ExpectFailure("");
}

TEST(SkinModel, ModelFiles)
{
  // Either size loads, entries above 100 limited to 100.
  std::vector<uint8_t> big(32768);
  for (size_t i = 0; i < big.size(); ++i)
    big[i] = uint8_t(i);
  ASSERT_EQ(Load(WriteModel("big.bin", big)), 0);
  EXPECT_EQ(LoadedSkinModel().bits, 5);
  for (uint8_t& e : big)
    e = std::min<uint8_t>(e, 100);
  EXPECT_EQ(Loaded(), big);
  const std::string small = WriteModel("small.bin", std::vector<uint8_t>(4096, 7));
  ASSERT_EQ(Load(small), 0);
  EXPECT_EQ(Loaded(), std::vector<uint8_t>(4096, 7));
  ReleaseSkinModel();
  ExpectFailure("");

  const std::string odd = WriteModel("odd.bin", std::vector<uint8_t>(4097));
  EXPECT_EQ(Load(odd), -200);
  ExpectFailure("Size of file " + odd + " is not correct!");
  EXPECT_EQ(Load(TempDir() + "/none.bin"), -23);
  ExpectFailure("Error opening file " + TempDir() + "/none.bin!");
  auto shortRead = [](void* buffer, size_t bytes, std::FILE* file) { return std::fread(buffer, 1, bytes - 1, file); };
  EXPECT_EQ(Load(small, shortRead), -19);
  ExpectFailure("Error reading file " + small + "!");

  // A path field filled to its last byte, without a terminator: 259
  // characters are used, and the 255-character message keeps its words (19 +
  // 1) and the first 232 of them, marked "...".
  SkinSettings s = Module().skin;
  std::memset(s.modelPath, 'a', sizeof s.modelPath);
  s.modelPath[0] = '/';
  EXPECT_EQ(LoadSkinModel(s), -23);
  const std::string text = standin::DialogLog().at(0).text;
  EXPECT_EQ(text, "Error opening file /" + std::string(231, 'a') + "...!");
  ExpectFailure(text);
}

TEST(SkinModel, ResourceOfAnotherModule)
{
  // "MPRO" #1 of the module asked, of either size: none (or another type)
  // is -108, a wrong size -200.
  const HINSTANCE fake = reinterpret_cast<HINSTANCE>(uintptr_t(0x5eed0000));
  static const unsigned char bytes[32768] = {};
  const standin::ResourceEntry entries[] = {{nullptr, 10, nullptr, 1, bytes, 4096, 0, 0},
                                            {"MPRO", 0, nullptr, 1, bytes, 100, 0, 0},
                                            {"MPRO", 0, nullptr, 1, bytes, 32768, 0, 0}};
  EXPECT_EQ(LoadSkinModel(Module().skin, fake), -108);
  const int expected[] = {-108, -200, 0};
  for (int i = 0; i < 3; ++i) {
    const standin::ResourceTable table{&entries[i], 1};
    standin::RegisterResources(fake, &table);
    EXPECT_EQ(LoadSkinModel(Module().skin, fake), expected[i]) << i;
    EXPECT_EQ(LoadedSkinModel().bits, expected[i] == 0 ? 5 : 0) << i;
    standin::UnregisterResources(fake, &table);
    ReleaseSkinModel();
  }
  ExpectFailure("");
}

TEST(SkinLookup, TrilinearEqualsTheCellRulesInBothLayouts)
{
  std::mt19937 rng(5);
  for (int k : {4, 5}) {
    std::vector<uint8_t> t(size_t(1) << (3 * k));
    for (uint8_t& e : t)
      e = uint8_t(rng() % 101);
    // Every value of each channel, the others at random.
    for (int i = 0; i < 3 * 256 * 4; ++i) {
      int c[3] = {int(rng() % 256), int(rng() % 256), int(rng() % 256)};
      c[i / 1024] = i / 4 % 256;
      ASSERT_EQ(SkinLikelihood(t.data(), k, true, uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2])),
                Reference(t, k, c[0], c[1], c[2]))
          << k << " bits: " << c[0] << ", " << c[1] << ", " << c[2];
    }
    // Cell centres give their entry exactly, nearest or interpolated; so do
    // values beyond the outermost centres, which use the edge cells.
    const int width = 256 >> k, last = (1 << k) - 1;
    auto centre = [&](int cell) { return uint8_t(width / 2 + width * cell); };
    for (size_t i = 0; i < t.size(); i += 3) {
      const int r = int(i >> (2 * k)), g = int(i >> k) & last, b = int(i) & last;
      const uint8_t red = r == 0 ? uint8_t(i % 4) : (r == last ? uint8_t(255 - i % 4) : centre(r));
      for (bool interpolate : {false, true})
        ASSERT_EQ(SkinLikelihood(t.data(), k, interpolate, red, centre(g), centre(b)), t[i]) << k << " bits, " << i;
    }
  }
}

TEST(SkinLookup, NearestAgainstInterpolatedPlanes)
{
  // Only cell (13, 9, 7) holds 100, and the pixels are B, G, R bytes. Red
  // 215 lies in that cell, 15/16 of the way from centre 200 to 216: 93. Red
  // 224 lies in cell 14, halfway between the centres 216 and 232: 50.
  std::vector<uint8_t> t(4096, 0);
  t[13 << 8 | 9 << 4 | 7] = 100;
  uint8_t pixels[9] = {120, 152, 216, 120, 152, 215, 120, 152, 224}, out[3];
  SkinSettings s = Module().skin;
  for (int interpolate : {0, 1}) {
    s.interpolate = interpolate;
    ImageDesc plane = Plane8View(out, 1, 3, RowLayout::Contiguous);
    ASSERT_EQ(LikelihoodPlane(CallerImage(pixels, 1, 3, 9, 3), plane, t.data(), 4, s, NoProgress), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 3),
              interpolate ? (std::vector<uint8_t>{100, 93, 50}) : (std::vector<uint8_t>{100, 100, 0}));
    EXPECT_EQ(LikelihoodPlane(CallerImage(pixels, 1, 3, 9, 3), plane, t.data(), 3, s, NoProgress), -200);
  }
}
