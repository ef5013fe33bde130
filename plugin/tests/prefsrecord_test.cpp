// The preferences record: defaults, what loading takes from the registry
// and what saving writes there.
#include "apptest.h"
#include "prefsrecord.h"

#include <cstring>

namespace {

const char* const kProduct = "Software\\Tarnwell\\Lumivex";

void PutDword(const char* name, uint32_t value)
{
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  apptest::PutValue(kProduct, name, REG_DWORD, bytes, 4);
}

void PutText(const char* name, const std::string& text, bool terminated = true)
{
  apptest::PutValue(kProduct, name, REG_SZ, text.c_str(), text.size() + (terminated ? 1 : 0));
}

void ExpectDefaults(const PrefsRecord& p)
{
  EXPECT_EQ(p.AutoSave, 1u);
  EXPECT_STREQ(p.SaveNameExt, "LMV");
  EXPECT_EQ(p.AutoDragDrop, 1u);
  EXPECT_EQ(p.DrawBkg, 0u);
  EXPECT_EQ(p.AutoOverwrite, 0u);
}

using Prefs = apptest::Registry;

} // namespace

TEST_F(Prefs, WithoutTheKeyTheDefaultsStay)
{
  PrefsRecord p;
  p.AutoSave = 0;
  p.DrawBkg = 1;
  std::strcpy(p.SaveNameExt, "old");
  p.Load();
  ExpectDefaults(p);
}

TEST_F(Prefs, EachUsableValueReplacesItsField)
{
  PutDword("AutoDragDrop", 0);
  PutDword("AutoOverwrite", 1);
  PutDword("AutoSave", 0);
  PutDword("DrawBkg", 1);
  PutText("SaveNameExt", "Fixed");
  PrefsRecord p;
  p.Load();
  EXPECT_EQ(p.AutoDragDrop, 0u);
  EXPECT_EQ(p.AutoOverwrite, 1u);
  EXPECT_EQ(p.AutoSave, 0u);
  EXPECT_EQ(p.DrawBkg, 1u);
  EXPECT_STREQ(p.SaveNameExt, "Fixed");

  // A later load starts from the defaults again: values that went away do
  // not linger.
  apptest::FreshRegistry();
  PutDword("DrawBkg", 1);
  p.Load();
  EXPECT_EQ(p.DrawBkg, 1u);
  EXPECT_EQ(p.AutoSave, 1u);
  EXPECT_STREQ(p.SaveNameExt, "LMV");
}

TEST_F(Prefs, ValuesOfTheWrongTypeOrSizeAreIgnored)
{
  const uint8_t zero[4] = {0, 0, 0, 0};
  apptest::PutValue(kProduct, "AutoSave", REG_BINARY, zero, 4);    // not a DWORD
  apptest::PutValue(kProduct, "AutoDragDrop", REG_DWORD, zero, 2); // too short
  apptest::PutValue(kProduct, "DrawBkg", REG_SZ, "1", 2);          // text
  const uint8_t eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
  apptest::PutValue(kProduct, "AutoOverwrite", REG_DWORD, eight, 8); // too long
  const char prefix[] = "ABC";
  apptest::PutValue(kProduct, "SaveNameExt", REG_BINARY, prefix, sizeof prefix);
  PrefsRecord p;
  p.Load();
  ExpectDefaults(p);
}

TEST_F(Prefs, PrefixesOfNineCharactersAreTakenLongerOnesAndSeparatorsAreNot)
{
  PrefsRecord p;
  PutText("SaveNameExt", "NINECHARS");
  p.Load();
  EXPECT_STREQ(p.SaveNameExt, "NINECHARS");

  PutText("SaveNameExt", "NINECHARZ", false); // without its terminator
  p.Load();
  EXPECT_STREQ(p.SaveNameExt, "NINECHARZ");

  for (const char* bad : {"TENCHARSXX", "a much longer prefix than fits", "..\\up", "sub/dir"}) {
    PutText("SaveNameExt", bad);
    p.Load();
    EXPECT_STREQ(p.SaveNameExt, "LMV") << bad;
  }
  PutText("SaveNameExt", "TENCHARSXY", false);
  p.Load();
  EXPECT_STREQ(p.SaveNameExt, "LMV");
  EXPECT_EQ(p.SaveNameExt[11], '\0');
}

TEST_F(Prefs, SavingWritesTheFiveValuesInOrderAndTheyLoadBack)
{
  PrefsRecord p;
  p.AutoSave = 0;
  std::strcpy(p.SaveNameExt, "NINECHARS");
  p.AutoDragDrop = 1;
  p.DrawBkg = 1;
  p.AutoOverwrite = 1;
  p.Save();
  // The key did not exist: saving creates it. In the file each value is a
  // line: DWORDs as four little-endian bytes, the prefix with its
  // terminator counted but not shown.
  EXPECT_EQ(
      apptest::RegistryLinesUnder("key \"HKEY_LOCAL_MACHINE\" \"Software\" \"Tarnwell\" \"Lumivex\""),
      (std::vector<std::string>{"value \"AutoSave\" dword 00 00 00 00", "value \"SaveNameExt\" sz \"NINECHARS\\x00\"",
                                "value \"DrawBkg\" dword 01 00 00 00", "value \"AutoDragDrop\" dword 01 00 00 00",
                                "value \"AutoOverwrite\" dword 01 00 00 00"}));
  PrefsRecord loaded;
  loaded.Load();
  EXPECT_EQ(loaded.AutoSave, 0u);
  EXPECT_STREQ(loaded.SaveNameExt, "NINECHARS");
  EXPECT_EQ(loaded.DrawBkg, 1u);
  EXPECT_EQ(loaded.AutoOverwrite, 1u);
}

TEST(PrefsPrefix, SeparatorsAreDroppedAndTheTextIsCutToNine)
{
  PrefsRecord p;
  p.SetPrefix("a/b\\c");
  EXPECT_STREQ(p.SaveNameExt, "abc");
  p.SetPrefix("0123456789AB");
  EXPECT_STREQ(p.SaveNameExt, "012345678");
  p.SetPrefix("\\/\\");
  EXPECT_STREQ(p.SaveNameExt, "");
  p.SetPrefix(nullptr);
  EXPECT_STREQ(p.SaveNameExt, "");
}
