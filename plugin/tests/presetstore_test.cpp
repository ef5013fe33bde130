// The presets in the registry: reading by name (with the product key's and
// the built-in "Default"), enumeration, deleting by name and the names that
// cannot be taken.
#include "apptest.h"
#include "presetrecord.h"
#include "presetstore.h"

#include <string>

using namespace presetstore;

namespace {

const char* const kPresets = "Software\\Tarnwell\\Lumivex\\Presets";
const char* const kProduct = "Software\\Tarnwell\\Lumivex";

class PresetRegistry : public apptest::Registry {
protected:
  void TearDown() override
  {
    if (key)
      RegCloseKey(key);
  }
  HKEY Open()
  {
    key = OpenPresetsKey(false);
    return key;
  }
  HKEY key = nullptr;
};

std::vector<std::string> Names(const std::vector<Entry>& entries)
{
  std::vector<std::string> names;
  for (const Entry& e : entries)
    names.push_back(e.name);
  return names;
}

} // namespace

TEST_F(PresetRegistry, TheKeyIsCreatedOnlyWhenAsked)
{
  EXPECT_EQ(OpenPresetsKey(false), nullptr);
  HKEY created = OpenPresetsKey(true);
  ASSERT_NE(created, nullptr);
  RegCloseKey(created);
  ASSERT_NE(Open(), nullptr) << "it exists now";
}

TEST_F(PresetRegistry, DefaultComesFromTheProductKeyElseTheBuiltInRecord)
{
  apptest::PutBytes(kPresets, "Default", apptest::Record(2));
  ASSERT_NE(Open(), nullptr);
  // No product "Default" yet: the built-in record, not the Presets key's.
  EXPECT_EQ(ReadPreset(key, "Default"), PresetRecord::Defaults().Bytes());
  EXPECT_EQ(ReadPreset(nullptr, "Default"), PresetRecord::Defaults().Bytes()) << "needs no Presets key";

  // The key "Software\Tarnwell\Lumivex\" is the same as without the
  // trailing separator.
  apptest::PutBytes(kProduct, "Default", apptest::Record(4));
  EXPECT_EQ(ReadPreset(key, "Default"), apptest::Record(4));
  // Any other spelling is a user's preset.
  apptest::PutBytes(kPresets, "default", apptest::Record(9));
  EXPECT_EQ(ReadPreset(key, "default"), apptest::Record(9));
  EXPECT_EQ(ReadPreset(key, "DEFAULT"), apptest::Record(9)) << "value names ignore letter case";
  EXPECT_EQ(ReadPreset(key, "Default"), apptest::Record(4));

  // An installed value of the wrong size is no data, not the built-in one.
  apptest::PutBytes(kProduct, "Default", std::vector<uint8_t>(63, 1));
  EXPECT_TRUE(ReadPreset(key, "Default").empty());
}

TEST_F(PresetRegistry, ValuesOfAnyOtherSizeYieldNoData)
{
  apptest::PutBytes(kPresets, "Warm", apptest::Record(10));
  for (size_t size : {size_t{0}, size_t{4}, size_t{63}, size_t{65}, size_t{1000}})
    apptest::PutBytes(kPresets, ("Size " + std::to_string(size)).c_str(), std::vector<uint8_t>(size, 7));
  ASSERT_NE(Open(), nullptr);
  EXPECT_EQ(ReadPreset(key, "warm"), apptest::Record(10));
  for (size_t size : {size_t{0}, size_t{4}, size_t{63}, size_t{65}, size_t{1000}})
    EXPECT_TRUE(ReadPreset(key, ("Size " + std::to_string(size)).c_str()).empty()) << size;
  EXPECT_TRUE(ReadPreset(key, "Missing").empty());
  EXPECT_TRUE(ReadPreset(nullptr, "Warm").empty());
  EXPECT_TRUE(ReadPreset(key, nullptr).empty());
}

TEST_F(PresetRegistry, EnumerationKeepsStoreOrderAndSkipsNamesThatDoNotFit)
{
  const std::string tooLong(260, 'x'); // 260 characters need 261 bytes
  const std::string longest(259, 'y');
  for (const std::string& name : {std::string("Warm"), tooLong, std::string("Cool"), longest, std::string("b")})
    apptest::PutBytes(kPresets, name.c_str(), apptest::Record(3));
  ASSERT_NE(Open(), nullptr);
  const std::vector<Entry> entries = EnumeratePresets(key);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"Warm", "Cool", longest, "b"}));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1].index, 2u) << "the enumeration index, counting the skipped name";
  EXPECT_TRUE(EnumeratePresets(nullptr).empty());
}

TEST_F(PresetRegistry, DeletingDefaultSparesAUsersDefault)
{
  apptest::PutBytes(kPresets, "default", apptest::Record(5));
  apptest::PutBytes(kProduct, "Default", apptest::Record(4));
  ASSERT_NE(Open(), nullptr);
  EXPECT_FALSE(DeletePreset(key, "Default"));
  EXPECT_EQ(apptest::ValueNames(kPresets), (std::vector<std::string>{"default"}));
  EXPECT_EQ(apptest::GetBytes(kProduct, "Default"), apptest::Record(4)) << "the product key is never touched";

  RegCloseKey(key);
  apptest::FreshRegistry();
  apptest::PutBytes(kPresets, "Default", apptest::Record(6));
  apptest::PutBytes(kPresets, "Other", apptest::Record(7));
  ASSERT_NE(Open(), nullptr);
  EXPECT_TRUE(DeletePreset(key, "Default"));
  EXPECT_EQ(apptest::ValueNames(kPresets), (std::vector<std::string>{"Other"}));
  EXPECT_TRUE(DeletePreset(key, "OTHER")) << "other names ignore letter case";
  EXPECT_TRUE(apptest::ValueNames(kPresets).empty());
  EXPECT_FALSE(DeletePreset(key, "Other"));
  EXPECT_FALSE(DeletePreset(nullptr, "Other"));
}

TEST_F(PresetRegistry, NamesThatCannotBeTaken)
{
  apptest::PutBytes(kPresets, "Warm", apptest::Record(1));
  ASSERT_NE(Open(), nullptr);
  EXPECT_TRUE(NameTaken(key, "Warm"));
  EXPECT_TRUE(NameTaken(key, "WARM")) << "a duplicate in any letter case";
  EXPECT_TRUE(NameTaken(key, ""));
  EXPECT_TRUE(NameTaken(key, nullptr));
  EXPECT_TRUE(NameTaken(key, "Default")) << "reading it would go to the product key";
  EXPECT_TRUE(NameTaken(key, std::string(256, 'n').c_str()));
  EXPECT_FALSE(NameTaken(key, std::string(255, 'n').c_str()));
  EXPECT_FALSE(NameTaken(key, "default")) << "another spelling stays usable";
  EXPECT_FALSE(NameTaken(key, "Cool"));
  EXPECT_FALSE(NameTaken(nullptr, "Cool"));
  EXPECT_TRUE(NameTaken(nullptr, "Default"));
}

TEST_F(PresetRegistry, WritingStoresABinaryValueAsGiven)
{
  HKEY created = OpenPresetsKey(true);
  ASSERT_NE(created, nullptr);
  key = created;
  EXPECT_TRUE(WritePreset(key, "Warm", apptest::Record(8).data(), 64));
  DWORD type = 0;
  EXPECT_EQ(apptest::GetBytes(kPresets, "Warm", &type), apptest::Record(8));
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_FALSE(WritePreset(nullptr, "Warm", apptest::Record(8).data(), 64));
  EXPECT_FALSE(WritePreset(key, nullptr, apptest::Record(8).data(), 64));
}
