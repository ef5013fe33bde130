// The plug-in's generated property list and terminology, and its art,
// cursor and strings, as a host finds them: in a module loaded with
// LoadLibraryA.
#include "filterhost/pipl.h"
#include "filterhost/scriptingkeys.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvresourcefile.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Block {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

Block Resource(HMODULE module, LPCSTR type)
{
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(16000), type);
  if (!found)
    return {};
  return {static_cast<const uint8_t*>(LockResource(LoadResource(module, found))), SizeofResource(module, found)};
}

class PluginResources : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_NE(module, nullptr) << standin::LastLoadError(); }
  void TearDown() override { FreeLibrary(module); }
  HMODULE module = LoadLibraryA(STUBMODULE_PATH);
};

std::string Bytes(const filterhost::PiplProperty* p)
{
  return p ? std::string(reinterpret_cast<const char*>(p->data), p->length) : "<missing>";
}

} // namespace

TEST_F(PluginResources, PropertyListIsFoundParsedAndResolved)
{
  const Block block = Resource(module, "PIPL");
  ASSERT_EQ(block.size, 334u);
  // Header: int16 1, int32 version 0, int32 9 properties.
  EXPECT_EQ(std::memcmp(block.data, "\1\0\0\0\0\0\11\0\0\0", 10), 0);
  filterhost::Pipl pipl;
  std::string error;
  ASSERT_TRUE(pipl.Parse(block.data, block.size, &error)) << error;
  ASSERT_EQ(pipl.Properties().size(), 9u);
  std::vector<std::string> keys;
  for (const auto& p : pipl.Properties()) {
    EXPECT_EQ(p.vendor, FourCC("8BIM"));
    EXPECT_EQ(p.length % 4, 0u);
    const char key[5] = {char(p.key >> 24), char(p.key >> 16), char(p.key >> 8), char(p.key), 0};
    keys.push_back(key);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"kind", "name", "catg", "vers", "wx86", "hstm", "mode", "enbl", "fici"}));
  EXPECT_EQ(std::memcmp(block.data + 10, "MIB8dnik", 8), 0); // codes stored little-endian

  EXPECT_EQ(pipl.Kind(), FourCC("8BFM"));
  EXPECT_EQ(pipl.Version(), 0x00040000u);
  std::vector<int> modes;
  for (int m = 0; m < 32; ++m)
    if (pipl.SupportsMode(m))
      modes.push_back(m);
  EXPECT_EQ(modes, (std::vector<int>{1, 3, 4}));
  ASSERT_EQ(pipl.EntryName(), "ENTRYPOINT");
  EXPECT_NE(GetProcAddress(module, pipl.EntryName()->c_str()), nullptr);

  EXPECT_EQ(Bytes(pipl.Find(FourCC("name"))), std::string("\12Lumivex...\0", 12));
  EXPECT_EQ(Bytes(pipl.Find(FourCC("catg"))), std::string("\10Tarnwell\0\0\0", 12));
  // 'hstm': version 0, class and event as the bytes "Lumx", id 16000, scope.
  const std::string hstm = Bytes(pipl.Find(FourCC("hstm")));
  ASSERT_EQ(hstm.size(), 48u);
  EXPECT_EQ(hstm.substr(0, 16), std::string("\0\0\0\0LumxLumx\x80\x3e\0\0", 16));
  EXPECT_EQ(hstm.substr(16), std::string("Tarnwell Corporation Lumivex\0\0\0\0", 32));
  const std::string enbl = Bytes(pipl.Find(FourCC("enbl")));
  EXPECT_EQ(enbl, std::string("in (PSHOP_ImageMode, GrayScaleMode, RGBMode, CMYKMode)\0\0", 56));
  std::string fici;
  for (int i = 0; i < 7; ++i)
    fici += std::string("\4\1\7\0", 4);
  EXPECT_EQ(Bytes(pipl.Find(FourCC("fici"))), fici);
}

TEST_F(PluginResources, TerminologyNamesTheFifteenParametersInItsOrder)
{
  const Block block = Resource(module, "AETE");
  ASSERT_EQ(block.size, 433u);
  filterhost::Aete aete;
  std::string error;
  ASSERT_TRUE(filterhost::ReadAete(block.data, block.size, &aete, &error)) << error;
  EXPECT_EQ(aete.end, 433u);
  EXPECT_EQ(aete.format, 1);
  EXPECT_EQ(aete.major, 1);
  EXPECT_EQ(aete.minor, 0);
  ASSERT_EQ(aete.suites.size(), 1u);
  const filterhost::AeteSuite& suite = aete.suites[0];
  EXPECT_EQ(suite.name, "Tarnwell Corporation");
  EXPECT_EQ(suite.description, "Lumivex Filter Plug-In");
  EXPECT_EQ(suite.id, FourCC("Lumx"));
  ASSERT_EQ(suite.events.size(), 1u);
  const filterhost::AeteEvent& event = suite.events[0];
  EXPECT_EQ(event.name, "Lumivex");
  EXPECT_EQ(event.eventClass, FourCC("Lumx"));
  EXPECT_EQ(event.id, FourCC("Lumx"));
  EXPECT_EQ(event.replyType, FourCC("null"));
  EXPECT_EQ(event.directType, FourCC("#ImR"));
  EXPECT_EQ(event.directFlags, 0x000d);

  const char* order[] = {"Automatic",  "Sub-Detail", "Sub-Detail Amount", "Contrast",     "Color", "Sharpen",
                         "Saturation", "Anti-Noise", "Brightness",        "Tonal Rangle", "Red",   "Green",
                         "Blue",       "AntiMoire",  "Despeckle"};
  ASSERT_EQ(event.parameters.size(), 15u);
  for (size_t i = 0; i < 15; ++i) {
    const filterhost::AeteParameter& p = event.parameters[i];
    EXPECT_EQ(p.name, order[i]);
    const ScriptingKey* key = nullptr;
    for (const ScriptingKey& k : kScriptingKeys)
      if (p.name == k.name)
        key = &k;
    ASSERT_NE(key, nullptr) << p.name;
    EXPECT_EQ(p.key, key->key);
    EXPECT_EQ(p.type, key->type);
    EXPECT_EQ(p.flags, 0);
    EXPECT_TRUE(p.description.empty());
  }
  EXPECT_EQ(event.parameters[9].type, FourCC("doub"));
  EXPECT_EQ(event.parameters[0].key, FourCC("lvAU"));
}

TEST(PluginArt, LumivexPICarriesEveryPictureAtItsSizeTheHandAndEveryString)
{
  HMODULE module = LoadLibraryA(LUMIVEXPI_PATH);
  ASSERT_NE(module, nullptr) << standin::LastLoadError();
  QVResourceFile resources(module);
  struct Size {
    int32_t id, width, height;
  };
  const Size pictures[] = {{108, 61, 36},   {109, 161, 36},  {126, 87, 34},  {110, 87, 34}, {114, 87, 34},
                           {111, 128, 34},  {127, 128, 34},  {128, 128, 34}, {156, 26, 25}, {157, 26, 25},
                           {158, 26, 25},   {153, 58, 25},   {154, 58, 25},  {155, 58, 25}, {136, 347, 211},
                           {135, 347, 211}, {134, 347, 211}, {179, 15, 20},  {181, 9, 7},   {184, 400, 292},
                           {186, 400, 292}, {144, 331, 486}, {160, 32, 32},  {162, 8, 8},   {163, 139, 22},
                           {164, 28, 28},   {165, 28, 28},   {169, 15, 15},  {168, 15, 15}, {170, 9, 7},
                           {171, 8, 15},    {172, 8, 15},    {173, 32, 4},   {138, 64, 64}, {182, 15, 9},
                           {183, 15, 9},    {143, 15, 15},   {142, 15, 15}};
  for (const Size& s : pictures) {
    const QVPicture picture(s.id, &resources);
    ASSERT_TRUE(picture.ValidPicture()) << s.id;
    EXPECT_EQ(picture.Width() * 1000 + picture.Height(), s.width * 1000 + s.height) << s.id;
  }
  // The face tiles from any origin: one colour throughout.
  QVPicture face(160, &resources);
  const unsigned char* first = face.GetPictureRow(0);
  ASSERT_NE(first, nullptr);
  const std::vector<unsigned char> row(first, first + 3 * 32);
  for (int y = 1; y < 32; ++y)
    EXPECT_EQ(std::vector<unsigned char>(face.GetPictureRow(y), face.GetPictureRow(y) + 3 * 32), row) << y;
  EXPECT_EQ(std::vector<unsigned char>(first, first + 3), (std::vector<unsigned char>{40, 40, 40}));

  // The hand, its hot spot on the fingertip.
  const HCURSOR hand = LoadCursorA(module, MAKEINTRESOURCEA(270));
  ASSERT_NE(hand, nullptr);
  SetCursor(hand);
  EXPECT_EQ(standin::CurrentCursor().module, module);
  EXPECT_EQ(standin::CurrentCursor().id, 270);
  SetCursor(nullptr);

  const std::pair<int32_t, const char*> strings[] = {
      {2, "Cancel"},       {4, "File"},         {6, "Help"},         {7, "Enhance"},  {8, "Enhance SubDetail"},
      {9, "Colors"},       {10, "Saturate"},    {11, "Contrast"},    {12, "Sharpen"}, {13, "Anti-Noise"},
      {14, "Brightness"},  {15, "Tonal Range"}, {16, "Red"},         {17, "Green"},   {18, "Blue"},
      {19, "Despeckle"},   {20, "Anti-Moire"},  {21, "Reset"},       {22, "1"},       {23, "2"},
      {24, "3"},           {25, "4"},           {26, "5"},           {27, "6"},       {28, "Presets"},
      {29, "Save Preset"}, {30, "Load Preset"}, {31, "Edit Preset"}, {32, "Default"}, {33, "Sep"}};
  for (const auto& [id, text] : strings) {
    char buffer[64] = "";
    EXPECT_EQ(resources.LoadStringA(id, buffer, sizeof buffer), 0) << id;
    EXPECT_STREQ(buffer, text);
  }
  FreeLibrary(module);
}
