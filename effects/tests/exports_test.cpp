// The modules' exports and instance tables: exactly the seventeen entry
// functions, one table per module, slots never reused, and unusable indices
// answered with 0 and nothing else.
#include "fxtest.h"
#include "testmodule.h"

#include "qvcommon/qvrect.h"
#include "qvcommon/qvundo_item.h"

#include <cstdio>
#include <set>
#include <tuple>

namespace {

// The defined dynamic symbols of a shared object, as nm lists them.
std::set<std::string> DynamicSymbols(const char* path)
{
  std::set<std::string> names;
  FILE* pipe = popen((std::string("nm -D --defined-only ") + path).c_str(), "r");
  char line[512];
  while (pipe && std::fgets(line, sizeof line, pipe)) {
    std::string text(line);
    text.erase(text.find_last_not_of("\r\n") + 1);
    names.insert(text.substr(text.find_last_of(' ') + 1));
  }
  if (pipe)
    pclose(pipe);
  return names;
}

std::set<std::string> EntryNames() { return {std::begin(kEffectExportNames), std::end(kEffectExportNames)}; }

int g_callbacks = 0;
int32_t CountingCreate(EffectControlRecord*) { return ++g_callbacks; }
int32_t CountingRedraw(QVRect*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return ++g_callbacks; }
int32_t CountingPush(QVUndo_Item*) { return ++g_callbacks; }

class ConstantMouse : public HostMouseEvent {
public:
  int32_t Kind() const override { return kMouseDown; }
};

} // namespace

TEST(Exports, EachModuleExportsExactlyTheSeventeenEntryFunctions)
{
  EXPECT_EQ(DynamicSymbols(DESPECKLE_PATH), EntryNames());
  EXPECT_EQ(DynamicSymbols(DESCREEN_PATH), EntryNames());
  std::set<std::string> test = EntryNames();
  test.insert({"TestFailNextCreation", "TestCacheKeys", "TestCachedMask", "TestGetBrushState", "TestSetFilterResult"});
  EXPECT_EQ(DynamicSymbols(TESTMODULE_PATH), test);
}

TEST(Exports, AModuleWithoutAnEntryFunctionIsRefusedByName)
{
  lvfx::EffectModule module;
  lvxtext::Error error;
  EXPECT_FALSE(module.Load(LUMIVEXPI_PATH, &error));
  EXPECT_NE(error.message.find("does not export AddInstance"), std::string::npos) << error.message;
  EXPECT_EQ(module.Handle(), nullptr);
}

TEST(Exports, TwoModulesInOneProcessKeepTablesOfTheirOwnAndDescribeTheirEffects)
{
  lvfx::EffectModule despeckle, descreen;
  fxtest::LoadModule(despeckle, DESPECKLE_PATH);
  fxtest::LoadModule(descreen, DESCREEN_PATH);
  int32_t index = -1;
  for (int32_t i = 0; i < 3; ++i) {
    ASSERT_EQ(despeckle.Exports().AddInstance(&index), 1);
    EXPECT_EQ(index, i);
  }
  ASSERT_EQ(descreen.Exports().AddInstance(&index), 1);
  EXPECT_EQ(index, 0);
  // GetInfo fills every field of the record, and refuses a null one.
  for (const auto& [module, slot, id] : {std::tuple{&descreen, 0, 30}, std::tuple{&despeckle, 2, 31}}) {
    SCOPED_TRACE(id);
    EffectInfo info{-1, -1, -1, -1, -1, -1, -1};
    ASSERT_EQ(module->Exports().GetInfo(slot, &info), 1);
    EXPECT_EQ(info.version, 1);
    EXPECT_EQ(info.reserved1, 0);
    EXPECT_EQ(info.effectId, id);
    EXPECT_EQ(info.iconId, 101);
    EXPECT_EQ(info.reserved2, 0);
    EXPECT_EQ(info.one, 1);
    EXPECT_EQ(info.reserved3, 0);
    EXPECT_EQ(module->Exports().GetInfo(slot, nullptr), 0);
  }
  EffectInfo info{};
  EXPECT_EQ(descreen.Exports().GetInfo(1, &info), 0) << "index 1 exists only in Despeckle's table";
  despeckle.Exports().ClearInstances();
  descreen.Exports().ClearInstances();
}

TEST(Exports, TheHundredAndFirstInstanceIsRefusedEvenAfterClearing)
{
  lvfx::EffectModule module;
  fxtest::LoadModule(module, DESPECKLE_PATH);
  const lvfx::EffectExports& x = module.Exports();
  int32_t index = -1;
  for (int32_t i = 0; i < 100; ++i)
    ASSERT_EQ(x.AddInstance(&index), 1) << i;
  EXPECT_EQ(index, 99);
  index = -7;
  EXPECT_EQ(x.AddInstance(&index), 0);
  EXPECT_EQ(index, -7) << "a refusal writes no index";
  EXPECT_EQ(x.ClearInstances(), 1);
  EXPECT_EQ(x.AddInstance(&index), 0);
  EXPECT_EQ(index, -7);
  EffectInfo info{};
  EXPECT_EQ(x.GetInfo(0, &info), 0) << "cleared slots stay empty";
}

TEST(Exports, EveryEntryOnADeletedSlotOrBadIndexGivesZeroAndNoCallback)
{
  lvfx::EffectModule module;
  fxtest::LoadModule(module, DESPECKLE_PATH);
  const lvfx::EffectExports& x = module.Exports();
  int32_t index = -1;
  ASSERT_EQ(x.AddInstance(&index), 1);
  ASSERT_EQ(x.Initialize(index, CountingCreate, CountingRedraw, nullptr, 1, CountingPush, nullptr, 0), 1);
  EXPECT_EQ(x.DeleteInstance(index), 0);
  EXPECT_EQ(x.DeleteInstance(index), 0) << "a second delete finds nothing";
  g_callbacks = 0;
  QVImage image(4, 4, 3, nullptr);
  QVVirtualImage source(&image);
  QVViewImage view(4, 4, 1.0, 0, 0, &source);
  QVRect a(0, 0, 1, 1), b;
  QVUndo_Item item;
  int32_t value = 9;
  EffectControlEvent control{1, 31, 7, 0, 0, 1, 0, 0, 4, &value};
  ConstantMouse mouse;
  EffectPreviewEvent preview{&mouse, nullptr, nullptr, &view};
  EffectInfo info{};
  for (int32_t i : {index, -1, 1, 100, INT32_MIN}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(x.GetInfo(i, &info), 0);
    EXPECT_EQ(x.Initialize(i, CountingCreate, CountingRedraw, nullptr, 1, CountingPush, nullptr, 0), 0);
    EXPECT_EQ(x.Cleanup(i), 0);
    EXPECT_EQ(x.SetImageInfo(i, &image), 0);
    EXPECT_EQ(x.ReadPref(i, nullptr), 0);
    EXPECT_EQ(x.WritePref(i, nullptr), 0);
    EXPECT_EQ(x.EffectRect(i, &a, &b), 0);
    EXPECT_EQ(x.EffectPrep(i, &image, &view, 0, 0), 0);
    EXPECT_EQ(x.EffectDo(i, &view, nullptr, 0, 0), 0);
    EXPECT_EQ(x.EffectCleanup(i), 0);
    EXPECT_EQ(x.Undo(i, &item, 1), 0);
    EXPECT_EQ(x.Revert(i), 0);
    EXPECT_EQ(x.Control_Event(i, &control), 0);
    EXPECT_EQ(x.Preview_Event(i, &preview), 0);
    EXPECT_EQ(x.DeleteInstance(i), 0);
  }
  EXPECT_EQ(g_callbacks, 0);
}

TEST(Exports, AFailedCreationLeavesTheCountAsItWas)
{
  lvfx::EffectModule module;
  fxtest::LoadModule(module, TESTMODULE_PATH);
  auto failNext = fxtest::Export<int32_t (*)()>(module, "TestFailNextCreation");
  ASSERT_NE(failNext, nullptr);
  int32_t index = -5;
  failNext();
  EXPECT_EQ(module.Exports().AddInstance(&index), 0);
  EXPECT_EQ(index, -5);
  EXPECT_EQ(module.Exports().AddInstance(nullptr), 0) << "no place for the index";
  ASSERT_EQ(module.Exports().AddInstance(&index), 1);
  EXPECT_EQ(index, 0) << "neither refusal used a slot";
  module.Exports().ClearInstances();
}
