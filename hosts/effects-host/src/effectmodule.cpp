#include "effectmodule.h"

#include "win32/automation.h"

namespace lvfx {
namespace {

template <class Proc>
bool Resolve(HMODULE module, const char* name, Proc* proc)
{
  *proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  return *proc != nullptr;
}

} // namespace

std::string ModulePath(const std::string& pathOrName)
{
  if (pathOrName.find('/') != std::string::npos)
    return pathOrName;
  char exe[4096] = "";
  const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string dir = n > 0 && n < sizeof exe ? std::string(exe, n) : std::string();
  dir.erase(dir.find_last_of('/') + 1);
  return dir + "../lib/" + pathOrName + ".so";
}

EffectModule::~EffectModule() { Unload(); }

bool EffectModule::Load(const std::string& pathOrName, lvxtext::Error* error)
{
  Unload();
  path_ = ModulePath(pathOrName);
  HMODULE module = LoadLibraryA(path_.c_str());
  if (!module)
    return lvxtext::Fail(error, path_ + ": the module cannot be loaded: " + standin::LastLoadError());
  EffectExports e;
  // Resolving stops at the first export missing, so the linker's reason is
  // that export's.
  const char* missing = nullptr;
  const auto get = [&](const char* name, auto* proc) {
    if (!missing && !Resolve(module, name, proc))
      missing = name;
  };
  get("AddInstance", &e.AddInstance);
  get("DeleteInstance", &e.DeleteInstance);
  get("ClearInstances", &e.ClearInstances);
  get("GetInfo", &e.GetInfo);
  get("Initialize", &e.Initialize);
  get("Cleanup", &e.Cleanup);
  get("SetImageInfo", &e.SetImageInfo);
  get("ReadPref", &e.ReadPref);
  get("WritePref", &e.WritePref);
  get("EffectRect", &e.EffectRect);
  get("EffectPrep", &e.EffectPrep);
  get("EffectDo", &e.EffectDo);
  get("EffectCleanup", &e.EffectCleanup);
  get("Undo", &e.Undo);
  get("Revert", &e.Revert);
  get("Control_Event", &e.Control_Event);
  get("Preview_Event", &e.Preview_Event);
  if (missing) {
    FreeLibrary(module);
    return lvxtext::Fail(error,
                         path_ + ": the module does not export " + missing + " (" + standin::LastLoadError() + ")");
  }
  module_ = module;
  exports_ = e;
  return true;
}

bool EffectModule::Unload()
{
  if (!module_)
    return true;
  const bool freed = FreeLibrary(module_) != FALSE;
  module_ = nullptr;
  exports_ = EffectExports{};
  return freed;
}

} // namespace lvfx
