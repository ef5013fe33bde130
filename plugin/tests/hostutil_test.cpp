// The host-interface utility layer against hand-made host suites.
#include "hostutil.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

using namespace hostif;

namespace {

// A host handle suite that counts its calls; handles are heap blocks.
struct FakeHost {
  static inline std::map<Handle, size_t> live;
  static inline int disposes = 0;
  static inline int closes = 0;
  static inline int16_t closeResult = 0;
  static inline Handle written = nullptr;

  static Handle New(int32_t size)
  {
    auto* h = new Ptr(new char[size > 0 ? size : 1]());
    live[h] = static_cast<size_t>(size);
    return h;
  }
  static void Dispose(Handle h)
  {
    ++disposes;
    if (live.erase(h)) {
      delete[] h[0];
      delete h;
    }
  }
  static int32_t Size(Handle h) { return live.count(h) ? static_cast<int32_t>(live[h]) : 0; }
  static int16_t SetSize(Handle, int32_t) { return 0; }
  static Ptr Lock(Handle h, uint8_t) { return *h; }
  static void Unlock(Handle) {}

  static int16_t Unused() { return -1; }
  static PIReadDescriptor OpenRead(Handle, const uint32_t*) { return reinterpret_cast<PIReadDescriptor>(1); }
  static int16_t CloseRead(PIReadDescriptor) { return ++closes, closeResult; }
  static uint8_t GetKey(PIReadDescriptor, uint32_t*, uint32_t*, int32_t*) { return 0; }
  static int16_t GetInteger(PIReadDescriptor, int32_t*) { return 0; }
  static int16_t GetFloat(PIReadDescriptor, double*) { return 0; }
  static int16_t GetBoolean(PIReadDescriptor, uint8_t*) { return 0; }
  static PIWriteDescriptor OpenWrite() { return reinterpret_cast<PIWriteDescriptor>(2); }
  static int16_t CloseWrite(PIWriteDescriptor, Handle* out)
  {
    ++closes;
    *out = written = New(4);
    return closeResult;
  }
  static int16_t PutInteger(PIWriteDescriptor, uint32_t, int32_t) { return 0; }
  static int16_t PutFloat(PIWriteDescriptor, uint32_t, const double*) { return 0; }
  static int16_t PutBoolean(PIWriteDescriptor, uint32_t, uint8_t) { return 0; }
};

class HostUtil : public ::testing::Test {
protected:
  void SetUp() override
  {
    // Laid out by hand: the suites as the host fills them.
    // clang-format off
    handles = {1, 7, FakeHost::New, FakeHost::Dispose, FakeHost::Size, FakeHost::SetSize,
               FakeHost::Lock, FakeHost::Unlock, nullptr};
    read = {0, 18, FakeHost::OpenRead, FakeHost::CloseRead, FakeHost::GetKey, FakeHost::GetInteger,
            FakeHost::GetFloat, FakeHost::GetBoolean, {}};
    write = {0, 16, FakeHost::OpenWrite, FakeHost::CloseWrite, FakeHost::PutInteger, FakeHost::PutFloat,
             FakeHost::PutBoolean, {}};
    // clang-format on
    for (auto& slot : read.unusedProcs)
      slot = FakeHost::Unused;
    for (auto& slot : write.unusedProcs)
      slot = FakeHost::Unused;
    parameters = {0, 0, 0, nullptr, &write, &read};
    FakeHost::disposes = FakeHost::closes = FakeHost::closeResult = 0;
  }
  void TearDown() override
  {
    while (!FakeHost::live.empty())
      FakeHost::Dispose(FakeHost::live.begin()->first);
  }

  HandleProcs handles{};
  ReadDescriptorProcs read{};
  WriteDescriptorProcs write{};
  PIDescriptorParameters parameters{};
};

} // namespace

TEST_F(HostUtil, DescriptorSuitesNeedEveryProcedure)
{
  bool tooNew = false;
  EXPECT_TRUE(CheckDescriptorSuites(&parameters, &tooNew));
  EXPECT_FALSE(CheckDescriptorSuites(nullptr, &tooNew));

  // Each of the 18 read and 16 write slots, one at a time.
  auto* readSlots = reinterpret_cast<UnusedDescriptorProc*>(&read.openReadDescriptorProc);
  auto* writeSlots = reinterpret_cast<UnusedDescriptorProc*>(&write.openWriteDescriptorProc);
  for (auto [slots, count] : {std::pair{readSlots, 18}, std::pair{writeSlots, 16}}) {
    for (int i = 0; i < count; ++i) {
      const UnusedDescriptorProc kept = slots[i];
      slots[i] = nullptr;
      EXPECT_FALSE(CheckDescriptorSuites(&parameters, nullptr)) << i;
      slots[i] = kept;
    }
  }
  ASSERT_TRUE(CheckDescriptorSuites(&parameters, nullptr));

  // Short or negative counts, versions above (too new) and below.
  read.numReadDescriptorProcs = 17;
  EXPECT_FALSE(CheckDescriptorSuites(&parameters, nullptr));
  read.numReadDescriptorProcs = -18;
  EXPECT_FALSE(CheckDescriptorSuites(&parameters, nullptr));
  read.numReadDescriptorProcs = 18;
  write.writeDescriptorProcsVersion = -1;
  EXPECT_FALSE(CheckDescriptorSuites(&parameters, &tooNew));
  EXPECT_FALSE(tooNew);
  write.writeDescriptorProcsVersion = 1;
  EXPECT_FALSE(CheckDescriptorSuites(&parameters, &tooNew));
  EXPECT_TRUE(tooNew);
  write.writeDescriptorProcsVersion = 0;
  parameters.readDescriptorProcs = nullptr;
  EXPECT_FALSE(CheckDescriptorSuites(&parameters, nullptr));
}

TEST_F(HostUtil, HandleSuiteChecksAndEachWrapperChecksItsProcedure)
{
  bool tooNew = false;
  EXPECT_TRUE(CheckHandleProcs(&handles, &tooNew));
  for (int16_t count : {6, -7, -1}) {
    handles.numHandleProcs = count;
    EXPECT_FALSE(CheckHandleProcs(&handles, nullptr)) << count;
  }
  handles.numHandleProcs = 7;
  handles.handleProcsVersion = 2;
  EXPECT_FALSE(CheckHandleProcs(&handles, &tooNew));
  EXPECT_TRUE(tooNew);
  handles.handleProcsVersion = 1;
  handles.getSizeProc = nullptr;
  EXPECT_FALSE(CheckHandleProcs(&handles, nullptr));
  handles.getSizeProc = FakeHost::Size;

  // Lock and unlock are not part of the check; with them missing the
  // wrappers must not call through null, and the plug-in's fallback
  // refuses the host's handle.
  handles.lockProc = nullptr;
  handles.unlockProc = nullptr;
  Handle host = NewHandleWithSuite(&handles, 6);
  ASSERT_EQ(FakeHost::live.count(host), 1u);
  EXPECT_EQ(LockHandleWithSuite(&handles, host, false), nullptr);
  UnlockHandleWithSuite(&handles, host);
  handles.lockProc = FakeHost::Lock;
  EXPECT_EQ(LockHandleWithSuite(&handles, host, false), *host);
  EXPECT_EQ(GetHandleSizeWithSuite(&handles, host), 6);
  DisposeHandleWithSuite(&handles, host);
  EXPECT_EQ(FakeHost::disposes, 1);
}

TEST_F(HostUtil, FallbackNeverFreesAHostHandle)
{
  Handle host = FakeHost::New(5);
  handles.handleProcsVersion = 3; // the suite fails its check
  DisposeHandleWithSuite(&handles, host);
  EXPECT_EQ(FakeHost::disposes, 0);
  EXPECT_EQ(FakeHost::live.count(host), 1u);
  EXPECT_EQ(MemError(), nilHandleErr);
  EXPECT_EQ(SetHandleSizeWithSuite(&handles, host, 50), nilHandleErr);
  EXPECT_EQ(GetHandleSizeWithSuite(&handles, host), 0);

  // The plug-in's own handles: locked for life.
  Handle own = NewHandleWithSuite(&handles, 3);
  ASSERT_TRUE(IsOwnHandle(own));
  EXPECT_EQ(LockHandleWithSuite(&handles, own, true), *own);
  EXPECT_EQ(SetHandleSizeWithSuite(&handles, own, 9), noErr);
  EXPECT_EQ(GetHandleSizeWithSuite(&handles, own), 9);
  DisposeHandleWithSuite(&handles, own);
  EXPECT_FALSE(IsOwnHandle(own));
}

TEST_F(HostUtil, CloseHelpersDisposeThroughTheHostOnce)
{
  parameters.descriptor = FakeHost::New(8);
  PIReadDescriptor token = FakeHost::OpenRead(parameters.descriptor, nullptr);
  FakeHost::closeResult = -5;
  EXPECT_EQ(CloseReadDescriptor(&parameters, &handles, &token), -5);
  EXPECT_EQ(FakeHost::closes, 1);
  EXPECT_EQ(FakeHost::disposes, 1);
  EXPECT_EQ(parameters.descriptor, nullptr);
  EXPECT_EQ(token, nullptr);
  // A null token is not handed to the host.
  EXPECT_EQ(CloseReadDescriptor(&parameters, &handles, &token), noErr);
  EXPECT_EQ(FakeHost::closes, 1);

  // Writing: the old descriptor goes, the new one is kept only on success.
  parameters.descriptor = FakeHost::New(8);
  parameters.recordInfo = 3;
  PIWriteDescriptor writer = FakeHost::OpenWrite();
  FakeHost::closeResult = 0;
  EXPECT_EQ(CloseWriteDescriptor(&parameters, &handles, &writer), noErr);
  EXPECT_EQ(FakeHost::disposes, 2);
  EXPECT_EQ(parameters.descriptor, FakeHost::written);
  EXPECT_EQ(parameters.recordInfo, 0);
  EXPECT_EQ(writer, nullptr);

  writer = FakeHost::OpenWrite();
  FakeHost::closeResult = -108;
  EXPECT_EQ(CloseWriteDescriptor(&parameters, &handles, &writer), -108);
  EXPECT_EQ(FakeHost::disposes, 3);
  EXPECT_EQ(parameters.descriptor, nullptr);

  // Unusable suites: nothing is called.
  parameters.descriptorParametersVersion = 1;
  EXPECT_EQ(CloseWriteDescriptor(&parameters, &handles, &writer), filterBadParameters);
  EXPECT_EQ(FakeHost::closes, 3);
  EXPECT_FALSE(PlayInfoIsDisplay(&parameters));
  parameters.playInfo = playInfoDisplay;
  EXPECT_TRUE(PlayInfoIsDisplay(&parameters));
}

TEST(HostUtilSuites, OtherSuitesAndTheLargestBuffer)
{
  static int32_t space = 1000;
  static int32_t largest = 0;
  static int allocations = 0;
  BufferProcs buffers{2,
                      5,
                      [](int32_t size, BufferID* id) -> int16_t {
                        ++allocations;
                        if (size > largest)
                          return memFullErr;
                        *id = reinterpret_cast<BufferID>(static_cast<intptr_t>(size));
                        return noErr;
                      },
                      [](BufferID, uint8_t) -> Ptr { return nullptr; },
                      [](BufferID) {},
                      [](BufferID) {},
                      []() { return space; }};
  // 1000 bytes of rows of 10 x 2 planes: 50 fit, at most 40 wanted, 30 can be had.
  BufferID id = nullptr;
  largest = 30 * 20;
  EXPECT_EQ(AllocateLargestBuffer(&buffers, 10, 2, 5, 40, &id), 30);
  EXPECT_EQ(allocations, 11); // 40, 39, ..., 30
  EXPECT_EQ(reinterpret_cast<intptr_t>(id), 600);
  largest = 0;
  EXPECT_EQ(AllocateLargestBuffer(&buffers, 10, 2, 5, 40, &id), 0);
  EXPECT_EQ(id, nullptr);

  buffers.spaceProc = nullptr; // the suite fails its check: nothing is called
  EXPECT_EQ(AllocateBuffer(&buffers, 4, &id), memFullErr);
  EXPECT_EQ(AllocateLargestBuffer(&buffers, 10, 2, 5, 40, &id), 0);
}

TEST(HostUtilAlerts, MessagesComeFromThePluginStrings)
{
  standin::ClearDialogLog();
  AlertWithValues(ThisModule(), nullptr, kMessageIntegerRange, "1", "10");
  EXPECT_FALSE(CheckSuiteWithAlert(kPropertySuiteRule, SuiteState{1, 1, true})); // one procedure short
  EXPECT_FALSE(CheckSuiteWithAlert(kThreeProcedureSuiteRule, SuiteState{2, 3, true}));
  EXPECT_FALSE(CheckProcedureWithAlert(false, RequiredHost::k2502));
  EXPECT_TRUE(CheckProcedureWithAlert(true, RequiredHost::k25));
  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].text, "An integer is required between 1 and 10.");
  EXPECT_EQ(log[0].style, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(log[1].text, "This plug-in requires Adobe Photoshop\xAE 2.5 or later functionality.");
  EXPECT_EQ(log[2].text, "This plug-in is incompatible with this version of the host program.");
  EXPECT_EQ(log[3].text, "This plug-in requires Adobe Photoshop\xAE 2.50. or later functionality.");
  AlertWithValues(ThisModule(), nullptr, kMessageDecimalRange, "0.5", "2", 1);
  EXPECT_EQ(log.back().style, static_cast<UINT>(MB_ICONERROR));
}

TEST(HostUtilText, StringsAndNumbers)
{
  Str255 s = {0};
  AppendCString(s, "Tarnwell.");
  AppendChar(s, 'x');
  Str255 pattern = {4, 'W', 'E', 'L', 'L'};
  EXPECT_EQ(FindPString(s, pattern, true), 4);
  EXPECT_EQ(FindPString(s, pattern, false), -1);
  Str255 before, after;
  EXPECT_TRUE(SplitAtLastDot(s, before, after));
  EXPECT_EQ(PStringToString(before), "Tarnwell");
  EXPECT_EQ(PStringToString(after), "x");
  const std::string long300(300, 'a');
  AppendText(s, long300.c_str(), 300);
  EXPECT_EQ(s[0], 255); // capped

  EXPECT_EQ(TextToInteger("  -12  "), -12);
  EXPECT_EQ(TextToInteger("--1"), 0);
  EXPECT_EQ(TextToInteger("1 2"), 0);
  EXPECT_EQ(TextToInteger("1234567890"), 0x7fffffff);
  EXPECT_EQ(DoubleToText(2.502, 3), "2.502");
  EXPECT_EQ(ReplacePlaceholders("^0 < ^1 < ^2 ^3^", "a", "b", nullptr), "a < b < ^2 ^3^");

  EXPECT_EQ(ModeToPlanes(7, 9), 9); // the one mode inside the table without planes
  uint8_t bytes[4];
  CodeToBytes(FourCC("FOTO"), bytes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 4), "OTOF");
  EXPECT_EQ(BytesToCode(bytes), FourCC("FOTO"));

  static int16_t answer = 0;
  int16_t components[4] = {1, 2, 3, 4};
  auto services = [](ColorServicesInfo* info) -> int16_t {
    info->colorComponents[0] = 99;
    return answer;
  };
  answer = -1;
  EXPECT_EQ(ConvertColor(services, colorSpaceRGB, colorSpaceCMYK, components), -1);
  EXPECT_EQ(components[0], 1);
  answer = 0;
  EXPECT_EQ(ConvertColor(services, colorSpaceRGB, colorSpaceCMYK, components), 0);
  EXPECT_EQ(components[0], 99);
}

TEST(HostUtilText, ResourcesIntoHandles)
{
  // No handle suite: the plug-in's own handles.
  Handle text = LoadResourceToHandle(nullptr, ThisModule(), FourCC("STR "), 16993);
  ASSERT_NE(text, nullptr);
  Str255 s;
  HandleToPString(nullptr, text, s);
  // The handle holds the string with its length byte; the text copy takes both.
  ASSERT_EQ(s[0], GetHandleSize(text));
  EXPECT_EQ(s[1], s[0] - 1);
  EXPECT_EQ(PStringToString(s).substr(1), "This plug-in is incompatible with this version of the host program.");
  Handle pipl = LoadResourceToHandle(nullptr, ThisModule(), FourCC("PIPL"), 16000);
  ASSERT_NE(pipl, nullptr);
  EXPECT_EQ(GetHandleSize(pipl), 334);
  EXPECT_EQ(AppendHandle(nullptr, text, pipl), noErr);
  EXPECT_EQ(GetHandleSize(text), 334 + s[0]);
  EXPECT_EQ(LoadResourceToHandle(nullptr, ThisModule(), FourCC("AETE"), 1), nullptr);
  EXPECT_FALSE(LoadStringResource(ThisModule(), 17000, s));
  DisposeHandle(text);
  DisposeHandle(pipl);
}

TEST(HostIdentification, OnlyTheWholeNameInAnyCase)
{
  standin::SetVersionRecord("InternalName=PHOTOSHP\nFileVersion= 5. 5\nFileOS=0x40004\n");
  EXPECT_EQ(HostVersion(FourCC("8BIM")), (5u << 24) | (5u << 16) | 12u);
  EXPECT_TRUE(HostIdentified(FourCC("8BIM")));
  for (const char* name : {"Photoshp ", "Photosh", "XPhotoshp", "Photoshp Extended"}) {
    standin::SetVersionRecord((std::string("InternalName=") + name + "\nFileVersion=5.0\n").c_str());
    EXPECT_FALSE(HostIdentified(FourCC("8BIM"))) << name;
  }
  // The system code follows FileOS: 1 gives 11, 0x40000 gives 10.
  standin::SetVersionRecord("InternalName=photoshp\nFileVersion=4.0\nFileOS=0x40000\n");
  EXPECT_EQ(HostVersion(FourCC("8BIM")), (4u << 24) | 10u);
  // A later member of a group answers for the earlier ones, not the reverse.
  standin::SetVersionRecord("InternalName=PM65\nFileVersion=6.5\nFileOS=1\n");
  EXPECT_EQ(HostVersion(FourCC("PM5 ")) & 0xFF, 11u);
  standin::SetVersionRecord("InternalName=PM5\nFileVersion=5.0\n");
  EXPECT_EQ(HostVersion(FourCC("PM65")), 0u);
  // No record, a record without the name, or one over 1024 bytes.
  standin::SetVersionRecord(nullptr);
  EXPECT_FALSE(HostIdentified(FourCC("8BIM")));
  standin::SetVersionRecord("FileVersion=5.0\n");
  EXPECT_FALSE(HostIdentified(FourCC("8BIM")));
  standin::SetVersionRecord(("InternalName=Photoshp\nFileVersion=5." + std::string(1000, '0') + "\n").c_str());
  EXPECT_FALSE(HostIdentified(FourCC("8BIM")));
  standin::ResetVersionRecord();
}
