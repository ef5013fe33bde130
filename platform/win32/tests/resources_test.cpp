// Module resources compiled with lvx_add_resources: a module loaded with
// dlopen and the test executable each see their own table; cursors.
#include "win32/automation.h"

#include "win32/memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>

namespace {

std::string FileBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type)
{
  HRSRC found = FindResourceA(module, name, type);
  if (!found)
    return "<missing>";
  const void* data = LockResource(LoadResource(module, found));
  return std::string(static_cast<const char*>(data), SizeofResource(module, found));
}

std::string String(HINSTANCE module, UINT id)
{
  char text[64] = "untouched";
  const int n = LoadStringA(module, id, text, sizeof text);
  return n ? std::string(text, n) : std::string(text);
}

class LoadedModule {
public:
  LoadedModule() : handle(dlopen(RESMODULE_PATH, RTLD_NOW | RTLD_LOCAL))
  {
    if (!handle)
      return;
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(dlsym(handle, "ResModuleAnchor"), &info, sizeof info))
      instance = static_cast<HINSTANCE>(info.AllocationBase);
  }
  ~LoadedModule() { Close(); }
  void Close()
  {
    if (handle)
      dlclose(handle);
    handle = nullptr;
  }
  void* handle = nullptr;
  HINSTANCE instance = nullptr;
};

} // namespace

TEST(Resources, DlopenedModuleResolvesItsOwnTable)
{
  LoadedModule module;
  ASSERT_NE(module.instance, nullptr) << dlerror();
  ASSERT_NE(module.instance, standin::MainModule());

  EXPECT_EQ(String(module.instance, 1), "module string");
  EXPECT_EQ(String(module.instance, 2), "tab\there \"quoted\" A\\");
  // A packed DIB: the BMP file without its 14-byte file header.
  const std::string tiles = FileBytes(ART_DIR "/tiles8.bmp");
  EXPECT_EQ(ResourceBytes(module.instance, MAKEINTRESOURCEA(100), RT_BITMAP), tiles.substr(14));
  EXPECT_EQ(ResourceBytes(module.instance, "#100", RT_BITMAP), tiles.substr(14));
  EXPECT_EQ(FindResourceA(module.instance, "#100", RT_BITMAP),
            FindResourceA(module.instance, MAKEINTRESOURCEA(100), RT_BITMAP));
  // Custom types and names match without regard to case; one file came from
  // the SEARCH folder.
  EXPECT_EQ(ResourceBytes(module.instance, MAKEINTRESOURCEA(1), "mpro"), "skin table stand-in");
  EXPECT_EQ(ResourceBytes(module.instance, "#1", "MPRO"), "skin table stand-in");
  EXPECT_EQ(ResourceBytes(module.instance, "NAMED", RT_RCDATA), FileBytes(ART_DIR "/swatch24.bmp"));

  SetLastError(0);
  EXPECT_EQ(FindResourceA(module.instance, MAKEINTRESOURCEA(99), RT_BITMAP), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(FindResourceA(module.instance, MAKEINTRESOURCEA(1), "PIPL"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);

  // The same ids in the executable's table stay separate.
  EXPECT_EQ(String(nullptr, 1), "executable string");
  EXPECT_EQ(String(standin::MainModule(), 1), "executable string");
  EXPECT_EQ(ResourceBytes(nullptr, MAKEINTRESOURCEA(100), RT_BITMAP), FileBytes(ART_DIR "/swatch24.bmp").substr(14));
  EXPECT_EQ(ResourceBytes(nullptr, MAKEINTRESOURCEA(1), "MPRO"), tiles);
  const HCURSOR moduleCursor = LoadCursorA(module.instance, MAKEINTRESOURCEA(103));
  ASSERT_NE(moduleCursor, nullptr);
  EXPECT_EQ(LoadCursorA(module.instance, MAKEINTRESOURCEA(103)), moduleCursor) << "same module and id, same handle";
  EXPECT_NE(LoadCursorA(standin::MainModule(), MAKEINTRESOURCEA(103)), moduleCursor);
  EXPECT_NE(LoadIconA(module.instance, MAKEINTRESOURCEA(104)), nullptr);
  EXPECT_EQ(LoadIconA(module.instance, MAKEINTRESOURCEA(103)), nullptr) << "a cursor is no icon";

  // Unloading removes the table; its handles become stale.
  HRSRC bitmap = FindResourceA(module.instance, MAKEINTRESOURCEA(100), RT_BITMAP);
  const HINSTANCE gone = module.instance;
  module.Close();
  EXPECT_EQ(FindResourceA(gone, MAKEINTRESOURCEA(100), RT_BITMAP), nullptr);
  EXPECT_EQ(LockResource(HGLOBAL(bitmap)), nullptr);
  EXPECT_EQ(SizeofResource(gone, bitmap), 0u);
  EXPECT_FALSE(DestroyCursor(moduleCursor));
  EXPECT_EQ(String(gone, 1), "untouched");
}

TEST(Resources, LoadStringTruncatesAndLeavesMissingUntouched)
{
  char text[8];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(LoadStringA(nullptr, 1, text, 5), 4);
  EXPECT_STREQ(text, "exec");
  EXPECT_EQ(text[5], 'x');
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(LoadStringA(nullptr, 77, text, sizeof text), 0);
  EXPECT_EQ(text[0], 'x');
  EXPECT_EQ(LoadStringA(nullptr, 1, text, 0), 0);
  EXPECT_EQ(text[0], 'x');
}

TEST(Resources, TablesRegisteredByHand)
{
  static const unsigned char bytes[] = {1, 2, 3};
  static const standin::ResourceEntry entries[] = {
      {"AETE", 0, "#7", 0, bytes, sizeof bytes, 0, 0},
      {nullptr, 6, nullptr, 5, reinterpret_cast<const unsigned char*>("hand"), 4, 0, 0},
  };
  static const standin::ResourceTable table = {entries, 2};
  const HINSTANCE fake = reinterpret_cast<HINSTANCE>(uintptr_t{0x7000});
  standin::RegisterResources(fake, &table);
  EXPECT_EQ(ResourceBytes(fake, MAKEINTRESOURCEA(7), "aete"), std::string("\1\2\3"));
  EXPECT_EQ(String(fake, 5), "hand");
  standin::UnregisterResources(fake, &table);
  EXPECT_EQ(String(fake, 5), "untouched");
  SetLastError(0);
  EXPECT_EQ(FindResourceA(fake, "#7", "AETE"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
}

TEST(Cursors, SystemCursorsAndTheCurrentCursor)
{
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  for (LPCSTR id : {IDC_ARROW, IDC_IBEAM, IDC_WAIT, IDC_CROSS, IDC_HAND})
    EXPECT_NE(LoadCursorA(nullptr, id), nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  EXPECT_NE(arrow, wait);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(103)), nullptr) << "not a system cursor";
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);

  SetCursor(nullptr);
  EXPECT_EQ(SetCursor(arrow), nullptr);
  EXPECT_EQ(SetCursor(wait), arrow);
  standin::CursorInfo current = standin::CurrentCursor();
  EXPECT_EQ(current.handle, wait);
  EXPECT_EQ(current.module, nullptr);
  EXPECT_EQ(current.id, 32514);

  const HCURSOR own = LoadCursorA(standin::MainModule(), MAKEINTRESOURCEA(103));
  SetCursor(own);
  current = standin::CurrentCursor();
  EXPECT_EQ(current.module, standin::MainModule());
  EXPECT_EQ(current.id, 103);
  EXPECT_TRUE(DestroyCursor(own)) << "shared cursors: destroying is a no-op";
  EXPECT_EQ(LoadCursorA(standin::MainModule(), MAKEINTRESOURCEA(103)), own);

  EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(uintptr_t{0x77})), nullptr) << "a foreign handle is refused";
  EXPECT_EQ(standin::CurrentCursor().handle, own);
}
