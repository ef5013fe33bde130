// Finding and loading a filter plug-in (see plugin.h).
#include "plugin.h"

#include "win32/automation.h"

#include <vector>

namespace lvhost {
namespace {

using lvxtext::Fail;

std::string Named(LPCSTR name)
{
  return IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<uintptr_t>(name)) : std::string(name);
}

} // namespace

bool LoadPlugin(const std::string& path, int16_t mode, LoadedPlugin* plugin, lvxtext::Error* error)
{
  HMODULE module = LoadLibraryA(path.c_str());
  if (!module)
    return Fail(error, "cannot load the plug-in " + path + ": " + standin::LastLoadError());
  std::vector<LPCSTR> names;
  EnumResourceNamesA(
      module, "PIPL",
      [](HMODULE, LPCSTR, LPSTR name, LONG_PTR list) -> BOOL {
        reinterpret_cast<std::vector<LPCSTR>*>(list)->push_back(name);
        return TRUE;
      },
      reinterpret_cast<LONG_PTR>(&names));
  if (names.empty())
    return Fail(error, path + " has no property list (PIPL resource): not a plug-in");
  std::string problems;
  for (LPCSTR name : names) {
    HRSRC resource = FindResourceA(module, name, "PIPL");
    const void* bytes = resource ? LockResource(LoadResource(module, resource)) : nullptr;
    filterhost::Pipl pipl;
    std::string why;
    if (!bytes || !pipl.Parse(bytes, SizeofResource(module, resource), &why)) {
      problems += "; PIPL " + Named(name) + " is malformed (" + why + ")";
      continue;
    }
    if (pipl.Kind() != FourCC("8BFM"))
      continue;
    const uint32_t version = pipl.Version().value_or(0);
    if (version >> 16 != 4)
      return Fail(error, "the plug-in's interface version is " + std::to_string(version >> 16) + "." +
                             std::to_string(version & 0xFFFF) + "; this host speaks 4");
    if (mode != 0 && !pipl.SupportsMode(mode))
      return Fail(error, "the plug-in does not work on images of mode " + std::to_string(mode));
    const auto entryName = pipl.EntryName();
    if (!entryName)
      return Fail(error, "the plug-in's property list names no entry point ('wx86')");
    // Through void (*)(), the function type that converts to any other.
    auto entry =
        reinterpret_cast<FilterEntryProc>(reinterpret_cast<void (*)()>(GetProcAddress(module, entryName->c_str())));
    if (!entry)
      return Fail(error, "the plug-in does not export " + *entryName + ": " + standin::LastLoadError());
    plugin->module = module;
    plugin->pipl = pipl;
    plugin->entryName = *entryName;
    plugin->entry = entry;
    return true;
  }
  return Fail(error, path + " has no filter property list (kind '8BFM')" + problems);
}

} // namespace lvhost
