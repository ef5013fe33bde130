// Loading modules at run time, enumerating their resources, module file
// names and the executable's version information.
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> Names(HMODULE module, LPCSTR type, int stopAfter = 100)
{
  struct State {
    std::vector<std::string> names;
    int stopAfter;
  } state{{}, stopAfter};
  EnumResourceNamesA(
      module, type,
      [](HMODULE, LPCSTR, LPSTR name, LONG_PTR param) -> BOOL {
        auto* s = reinterpret_cast<State*>(param);
        s->names.push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name)) : name);
        return static_cast<int>(s->names.size()) < s->stopAfter;
      },
      reinterpret_cast<LONG_PTR>(&state));
  return state.names;
}

std::string ExecutablePath()
{
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
  return std::string(path, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string Query(const std::vector<char>& block, const char* path)
{
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), path, &value, &length))
    return "<none>";
  return std::string(static_cast<const char*>(value), length);
}

std::vector<char> VersionBlock(DWORD cut = 0)
{
  const DWORD size = GetFileVersionInfoSizeA(ExecutablePath().c_str(), nullptr);
  std::vector<char> block(size ? size : 1, '\x55');
  if (size && !GetFileVersionInfoA(ExecutablePath().c_str(), 0, cut ? cut : size, block.data()))
    block.clear();
  return block;
}

} // namespace

TEST(Modules, LoadedModuleIsItsResourceBaseUntilTheLastFree)
{
  HMODULE module = LoadLibraryA(RESMODULE_PATH);
  ASSERT_NE(module, nullptr) << standin::LastLoadError();
  EXPECT_EQ(LoadLibraryA(RESMODULE_PATH), module); // a second reference

  // The handle is the base under which the module registered its table.
  char text[32] = {};
  EXPECT_EQ(LoadStringA(module, 1, text, sizeof text), 13);
  EXPECT_STREQ(text, "module string");
  FARPROC anchor = GetProcAddress(module, "ResModuleAnchor");
  ASSERT_NE(anchor, nullptr);
  Dl_info info{};
  ASSERT_TRUE(dladdr(reinterpret_cast<void*>(anchor), &info));
  EXPECT_EQ(info.dli_fbase, static_cast<void*>(module));

  // Names in table order, ids as MAKEINTRESOURCEA; a callback can stop early.
  EXPECT_EQ(Names(module, "MPRO"), std::vector<std::string>{"#1"});
  EXPECT_EQ(Names(module, RT_STRING), (std::vector<std::string>{"#1", "#2"}));
  EXPECT_EQ(Names(module, RT_STRING, 1).size(), 1u);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_ENUM_USER_STOP);
  EXPECT_EQ(Names(module, RT_RCDATA), std::vector<std::string>{"Named"});
  EXPECT_TRUE(Names(module, "PIPL").empty());
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);

  char path[4096];
  ASSERT_GT(GetModuleFileNameA(module, path, sizeof path), 0u);
  char expected[4096];
  EXPECT_STREQ(path, realpath(RESMODULE_PATH, expected));

  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(LoadStringA(module, 1, text, sizeof text), 13); // still one reference
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(LoadStringA(module, 1, text, sizeof text), 0);
  EXPECT_FALSE(FreeLibrary(module));
}

TEST(Modules, FailuresKeepTheLinkersReason)
{
  EXPECT_EQ(LoadLibraryA("/no/such/module.so"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_NE(standin::LastLoadError().find("/no/such/module.so"), std::string::npos);

  HMODULE module = LoadLibraryA(RESMODULE_PATH);
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(standin::LastLoadError().empty());
  EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_NE(standin::LastLoadError().find("NoSuchExport"), std::string::npos);
  FreeLibrary(module);
}

TEST(Modules, ExecutableNameIsCutAsWindowsDoes)
{
  const std::string exe = ExecutablePath();
  char path[4096];
  EXPECT_EQ(GetModuleFileNameA(nullptr, path, sizeof path), exe.size());
  EXPECT_EQ(path, exe);
  char small[6] = "xxxxx";
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, 5), 5u); // 4 characters and the terminator
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(small), exe.substr(0, 4));
}

TEST(VersionInfo, ExecutableRecordAnswersFixedPartAndStrings)
{
  const std::vector<char> block = VersionBlock();
  ASSERT_GT(block.size(), sizeof(VS_FIXEDFILEINFO));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileOS, VOS_NT_WINDOWS32);
  EXPECT_EQ(fixed->dwFileFlags, VS_FF_PRERELEASE);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020005u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000007u);

  // Strings carry their terminator; the path ignores case.
  EXPECT_EQ(Query(block, "\\StringFileInfo\\040904E4\\InternalName"), std::string("modules test", 13));
  EXPECT_EQ(Query(block, "\\stringfileinfo\\040904e4\\fileversion"), std::string("2.5.0.7", 8));
  EXPECT_EQ(Query(block, "\\StringFileInfo\\040904E4\\CompanyName"), "<none>");
  EXPECT_EQ(Query(block, "\\StringFileInfo\\04090000\\InternalName"), "<none>");
  EXPECT_EQ(Query(block, "\\VarFileInfo\\Translation"), "<none>");

  // A copy cut inside the strings answers only what it holds whole.
  const std::vector<char> cut =
      VersionBlock(static_cast<DWORD>(8 + sizeof(VS_FIXEDFILEINFO) + 30)); // the first pair is 26 bytes;
  EXPECT_NE(Query(cut, "\\"), "<none>");
  EXPECT_EQ(Query(cut, "\\StringFileInfo\\040904E4\\InternalName"), std::string("modules test", 13));
  EXPECT_EQ(Query(cut, "\\StringFileInfo\\040904E4\\FileVersion"), "<none>");
}

TEST(VersionInfo, HookReplacesOrRemovesTheRecord)
{
  standin::SetVersionRecord("InternalName=PHOTOSHP\nFileVersion= 5.5\r\n");
  EXPECT_EQ(Query(VersionBlock(), "\\StringFileInfo\\040904E4\\FileVersion"), std::string(" 5.5", 5));
  standin::SetVersionRecord("InternalName=x\nCompanyName=y\n"); // not a line of the form
  EXPECT_EQ(GetFileVersionInfoSizeA(ExecutablePath().c_str(), nullptr), 0u);
  standin::SetVersionRecord(nullptr);
  EXPECT_EQ(GetFileVersionInfoSizeA(ExecutablePath().c_str(), nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  standin::ResetVersionRecord();
  EXPECT_GT(GetFileVersionInfoSizeA(ExecutablePath().c_str(), nullptr), 0u);
  // Only the executable has version information.
  EXPECT_EQ(GetFileVersionInfoSizeA(RESMODULE_PATH, nullptr), 0u);
  EXPECT_EQ(GetFileVersionInfoSizeA("/no/such/file", nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}
