// Loading modules at run time over the dynamic linker, module file names and
// the command line.
#include "handles.h"
#include "win32/automation.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <link.h>
#include <map>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

using standin::detail::Fail;

// Load base -> one dynamic-linker handle per LoadLibraryA not yet freed.
std::map<HMODULE, std::vector<void*>>& Loaded()
{
  static auto* loaded = new std::map<HMODULE, std::vector<void*>>;
  return *loaded;
}

std::string& LoadError()
{
  static auto* text = new std::string;
  return *text;
}

void KeepLoadError(const char* fallback)
{
  const char* text = dlerror();
  LoadError() = text ? text : fallback;
}

// The base of the object the dynamic linker loaded for `handle`: the same
// address dladdr reports for any code or data of that object.
HMODULE LoadBase(void* handle)
{
  link_map* map = nullptr;
  Dl_info info{};
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map || !dladdr(map->l_ld, &info))
    return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

// The file a loaded object came from, when `module` is its base.
std::optional<std::string> ModulePath(HMODULE module)
{
  if (!module || module == standin::MainModule()) {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    return n > 0 && n < static_cast<ssize_t>(sizeof path) ? std::optional(std::string(path, static_cast<size_t>(n)))
                                                          : std::nullopt;
  }
  Dl_info info{};
  if (!dladdr(module, &info) || info.dli_fbase != module || !info.dli_fname)
    return std::nullopt;
  char resolved[PATH_MAX];
  return std::string(realpath(info.dli_fname, resolved) ? resolved : info.dli_fname);
}

// The process's arguments, quoted where Windows would need quotes.
std::string ProcessCommandLine()
{
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string line;
  size_t start = 0;
  while (start < raw.size()) {
    size_t end = raw.find('\0', start);
    if (end == std::string::npos)
      end = raw.size();
    const std::string argument = raw.substr(start, end - start);
    if (!line.empty())
      line += ' ';
    const bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
    line += quote ? "\"" + argument + "\"" : argument;
    start = end + 1;
  }
  return line;
}

// What GetCommandLineA returns: the same buffer on every call.
std::string& CommandLine()
{
  static auto* line = new std::string(ProcessCommandLine());
  return *line;
}

} // namespace

namespace standin {

const std::string& LastLoadError() { return LoadError(); }

void SetCommandLine(const char* line) { CommandLine() = line ? std::string(line) : ProcessCommandLine(); }

} // namespace standin

extern "C" {

HMODULE LoadLibraryA(LPCSTR path)
{
  if (!path || !*path) {
    LoadError() = "no module name given";
    return Fail(ERROR_MOD_NOT_FOUND, HMODULE(nullptr));
  }
  // A bare name is for the dynamic linker's search; anything with a folder
  // may be a Windows-style path.
  std::string native = path;
  if (std::strpbrk(path, "/\\") && !standin::MapPath(path, native))
    native = path;
  void* handle = dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    KeepLoadError("the module cannot be loaded");
    return Fail(ERROR_MOD_NOT_FOUND, HMODULE(nullptr));
  }
  const HMODULE base = LoadBase(handle);
  if (!base) {
    dlclose(handle);
    LoadError() = "the module's load address cannot be found";
    return Fail(ERROR_MOD_NOT_FOUND, HMODULE(nullptr));
  }
  Loaded()[base].push_back(handle);
  LoadError().clear();
  return base;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
  if (!module || !name || IS_INTRESOURCE(name)) {
    LoadError() = "a module and an exported name are needed";
    return Fail(ERROR_PROC_NOT_FOUND, FARPROC(nullptr));
  }
  // A module not loaded through LoadLibraryA is opened again only for the
  // lookup, never loaded anew.
  auto it = Loaded().find(module);
  void* handle = nullptr;
  if (it != Loaded().end()) {
    handle = it->second.front();
  } else if (module == standin::MainModule()) {
    handle = dlopen(nullptr, RTLD_NOW);
  } else if (auto path = ModulePath(module)) {
    handle = dlopen(path->c_str(), RTLD_NOW | RTLD_NOLOAD);
  }
  if (!handle) {
    LoadError() = "the module is not loaded";
    return Fail(ERROR_MOD_NOT_FOUND, FARPROC(nullptr));
  }
  dlerror();
  void* symbol = dlsym(handle, name);
  if (!symbol)
    KeepLoadError("the name is not exported");
  if (it == Loaded().end())
    dlclose(handle);
  if (!symbol)
    return Fail(ERROR_PROC_NOT_FOUND, FARPROC(nullptr));
  LoadError().clear();
  return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module)
{
  auto it = Loaded().find(module);
  if (it == Loaded().end())
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  void* handle = it->second.back();
  it->second.pop_back();
  if (it->second.empty())
    Loaded().erase(it);
  dlclose(handle);
  return TRUE;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
  const std::optional<std::string> path = ModulePath(module);
  if (!path)
    return Fail(ERROR_MOD_NOT_FOUND, DWORD(0));
  if (!buffer || size == 0)
    return Fail(ERROR_INSUFFICIENT_BUFFER, DWORD(0));
  const size_t copied = std::min<size_t>(path->size(), size - 1);
  std::memcpy(buffer, path->data(), copied);
  buffer[copied] = '\0';
  if (copied < path->size())
    return Fail(ERROR_INSUFFICIENT_BUFFER, size);
  return static_cast<DWORD>(copied);
}

LPSTR GetCommandLineA(void) { return CommandLine().data(); }

} // extern "C"
