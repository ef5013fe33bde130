// The registry store on a fuzzed file: load, enumerate, write, reload, and
// the value written must read back; a damaged file must stay as it was.
#include "fuzzinput.h"
#include "win32/automation.h"
#include "win32/registry.h"

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Enumerate(HKEY key)
{
  for (DWORD i = 0;; ++i) {
    char name[256];
    unsigned char value[512];
    DWORD nameLength = sizeof name, size = sizeof value, type = 0;
    const LONG result = RegEnumValueA(key, i, name, &nameLength, nullptr, &type, value, &size);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
      return;
  }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  setenv("LUMIVEX_REGISTRY", (lvxfuzz::ScratchFolder() + "/registry").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string path = standin::RegistryPath();
  lvxfuzz::WriteFile(path, data, size);
  standin::RegistryReload();
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    Enumerate(root);
    HKEY software = nullptr;
    if (RegOpenKeyExA(root, "Software", 0, KEY_READ, &software) == ERROR_SUCCESS) {
      Enumerate(software);
      RegCloseKey(software);
    }
  }

  // A value made of the input's first bytes, written and read back anew.
  const std::string probe(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
  HKEY key = nullptr;
  const LONG created = RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Fuzz", &key);
  LONG written = created;
  if (created == ERROR_SUCCESS) {
    written = RegSetValueExA(key, "Probe", 0, REG_BINARY, reinterpret_cast<const BYTE*>(probe.data()),
                             static_cast<DWORD>(probe.size()));
    if (written == ERROR_SUCCESS) {
      standin::RegistryReload();
      unsigned char back[64];
      DWORD type = 0, length = sizeof back;
      if (RegQueryValueExA(key, "probe", nullptr, &type, back, &length) != ERROR_SUCCESS || type != REG_BINARY ||
          std::string(reinterpret_cast<char*>(back), length) != probe)
        std::abort();
    }
    RegCloseKey(key);
  }
  if (written == ERROR_REGISTRY_CORRUPT && ReadFile(path) != std::string(reinterpret_cast<const char*>(data), size))
    std::abort(); // a damaged store is never overwritten
  return 0;
}
