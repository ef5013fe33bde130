// Loads libLumivex.so the way a host does and inspects it from outside: the
// settings right after load must equal those after SetParams(NULL), the
// library must export exactly its three functions, and it must carry the
// skin model table as its resource.
#include "lumivex.h"

#include "win32/modules.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

struct ElfSymbol {
  std::string name;
  uint64_t value = 0, size = 0;
  unsigned char info = 0;
  uint16_t section = 0;
};

// The symbols of one symbol table section type (SHT_SYMTAB or SHT_DYNSYM).
std::vector<ElfSymbol> ReadSymbols(const std::string& path, uint32_t tableType)
{
  std::ifstream in(path, std::ios::binary);
  std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<ElfSymbol> out;
  if (file.size() < sizeof(Elf64_Ehdr))
    return out;
  Elf64_Ehdr header;
  std::memcpy(&header, file.data(), sizeof header);
  auto section = [&](size_t i) {
    Elf64_Shdr s;
    std::memcpy(&s, file.data() + header.e_shoff + i * header.e_shentsize, sizeof s);
    return s;
  };
  for (size_t i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr table = section(i);
    if (table.sh_type != tableType)
      continue;
    Elf64_Shdr strings = section(table.sh_link);
    for (size_t k = 0; k < table.sh_size / sizeof(Elf64_Sym); ++k) {
      Elf64_Sym sym;
      std::memcpy(&sym, file.data() + table.sh_offset + k * sizeof(Elf64_Sym), sizeof sym);
      out.push_back(
          {file.data() + strings.sh_offset + sym.st_name, sym.st_value, sym.st_size, sym.st_info, sym.st_shndx});
    }
  }
  return out;
}

class Loaded : public testing::Test {
protected:
  void SetUp() override
  {
    handle_ = dlopen(LUMIVEX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }
  void TearDown() override
  {
    if (handle_)
      dlclose(handle_);
  }
  void* handle_ = nullptr;
};

} // namespace

TEST_F(Loaded, StateAfterLoadEqualsStateAfterSetParamsNull)
{
  // The module state is a hidden symbol: find it in the file's own symbol
  // table and add the load base.
  const ElfSymbol* state = nullptr;
  std::vector<ElfSymbol> symbols = ReadSymbols(LUMIVEX_LIBRARY, SHT_SYMTAB);
  for (const ElfSymbol& s : symbols)
    if (s.name == "_ZN3lvx8g_engineE") // lvx::g_engine
      state = &s;
  ASSERT_NE(state, nullptr) << "module state symbol not found";
  ASSERT_GT(state->size, 100u);

  auto setParams = reinterpret_cast<int32_t (*)(const AdjustParams*)>(dlsym(handle_, "SetParams"));
  ASSERT_NE(setParams, nullptr);
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(setParams), &info), 0);
  const auto* bytes = static_cast<const uint8_t*>(info.dli_fbase) + state->value;
  const std::vector<uint8_t> afterLoad(bytes, bytes + state->size);

  AdjustParams other{};
  other.contrastLevel = 9, other.colorLevel = 12, other.sharpenLevel = 7, other.noiseLevel = 2;
  other.tonalGamma = 1.4, other.targetGamma = 1.9;
  other.skinColor[0] = 10;
  setParams(&other);
  EXPECT_NE(std::vector<uint8_t>(bytes, bytes + state->size), afterLoad) << "reading the wrong memory";
  EXPECT_EQ(setParams(nullptr), 0);
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + state->size), afterLoad);
}

TEST_F(Loaded, ExportsExactlyThreeFunctions)
{
  std::set<std::string> exported;
  for (const ElfSymbol& s : ReadSymbols(LUMIVEX_LIBRARY, SHT_DYNSYM)) {
    int binding = ELF64_ST_BIND(s.info);
    if (s.section != SHN_UNDEF && !s.name.empty() && (binding == STB_GLOBAL || binding == STB_WEAK))
      exported.insert(s.name);
  }
  EXPECT_EQ(exported, (std::set<std::string>{"DoAdjustments", "SetParams", "doAllAutoAdjustments"}));
  for (const char* name : {"DoAdjustments", "SetParams", "doAllAutoAdjustments"})
    EXPECT_NE(dlsym(handle_, name), nullptr) << name;
}

TEST_F(Loaded, CorrectsABufferThroughTheExports)
{
  auto correct = reinterpret_cast<int32_t (*)(uint8_t*, int32_t, int32_t, int32_t, int32_t, const AdjustRect*,
                                              AdjustProgressProc)>(dlsym(handle_, "DoAdjustments"));
  ASSERT_NE(correct, nullptr);
  std::vector<uint8_t> pixels(4 * 8, 77);
  // A grey picture is measured at the gamma limit 1.733, so the working gamma
  // becomes 2.2 / 1.2 (the largest step below the reference 2.2); the final
  // step brings it to the target 2.2 with the exponent (2.2 / 1.2) / 2.2. The two
  // padding bytes of each row stay as they were.
  EXPECT_EQ(correct(pixels.data(), 4, 2, 8, 3, nullptr, nullptr), 0);
  const uint8_t grey = uint8_t(std::floor(255.0 * std::pow(77 / 255.0, (2.2 / 1.2) / 2.2) + 0.5));
  for (size_t i = 0; i < pixels.size(); ++i)
    EXPECT_EQ(pixels[i], i % 8 < 6 ? grey : 77) << i;
  EXPECT_EQ(correct(pixels.data(), 4, 0, 8, 3, nullptr, nullptr), -200);
}

TEST_F(Loaded, CarriesTheGeneratedSkinModel)
{
  // Registered at load under the library's own handle, its load base.
  Dl_info info{};
  ASSERT_NE(dladdr(dlsym(handle_, "SetParams"), &info), 0);
  const HMODULE module = static_cast<HMODULE>(info.dli_fbase);
  const HRSRC found = FindResourceA(module, "#1", "MPRO");
  ASSERT_NE(found, nullptr);
  ASSERT_EQ(SizeofResource(module, found), 4096u);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  std::ifstream in(SKIN_TABLE_FILE, std::ios::binary);
  const std::vector<uint8_t> generated((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4096), generated);
}
