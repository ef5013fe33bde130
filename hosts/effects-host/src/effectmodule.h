#pragma once
// Loading an effect module and resolving its seventeen exports by name.
#include "effects/effectapi.h"
#include "lvxtext/error.h"

#include <string>

namespace lvfx {

// The exports, typed as the interface header declares them.
struct EffectExports {
  decltype(&::AddInstance) AddInstance = nullptr;
  decltype(&::DeleteInstance) DeleteInstance = nullptr;
  decltype(&::ClearInstances) ClearInstances = nullptr;
  decltype(&::GetInfo) GetInfo = nullptr;
  decltype(&::Initialize) Initialize = nullptr;
  decltype(&::Cleanup) Cleanup = nullptr;
  decltype(&::SetImageInfo) SetImageInfo = nullptr;
  decltype(&::ReadPref) ReadPref = nullptr;
  decltype(&::WritePref) WritePref = nullptr;
  decltype(&::EffectRect) EffectRect = nullptr;
  decltype(&::EffectPrep) EffectPrep = nullptr;
  decltype(&::EffectDo) EffectDo = nullptr;
  decltype(&::EffectCleanup) EffectCleanup = nullptr;
  decltype(&::Undo) Undo = nullptr;
  decltype(&::Revert) Revert = nullptr;
  decltype(&::Control_Event) Control_Event = nullptr;
  decltype(&::Preview_Event) Preview_Event = nullptr;
};

// A loaded effect module; FreeLibrary on destruction.
class EffectModule {
public:
  EffectModule() = default;
  EffectModule(const EffectModule&) = delete;
  EffectModule& operator=(const EffectModule&) = delete;
  ~EffectModule();

  // Loads the module (see ModulePath) and resolves every export. False,
  // with nothing kept loaded, naming the module and the export that is
  // missing (with the dynamic linker's reason).
  bool Load(const std::string& pathOrName, lvxtext::Error* error);
  // FreeLibrary; true when there was nothing to free or it succeeded.
  bool Unload();

  HMODULE Handle() const { return module_; }
  const EffectExports& Exports() const { return exports_; }
  const std::string& Path() const { return path_; }

private:
  HMODULE module_ = nullptr;
  EffectExports exports_;
  std::string path_;
};

// A bare name (no '/', such as Despeckle) names NAME.so in ../lib/ beside
// the executable; anything else is a path.
std::string ModulePath(const std::string& pathOrName);

} // namespace lvfx
