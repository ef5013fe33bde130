#include "module.h"

#include "colorspace.h"
#include "stages.h"

#include "win32/memory.h"

namespace lvx {

// Constant-initialised with the load-time values, so it is ready before any
// load-time code runs.
constinit EngineModule g_engine;

EngineModule& Module() { return g_engine; }

void ApplyParams(const AdjustParams* params)
{
  AdjustParams p = SanitiseParams(params ? *params : DefaultParams());
  SetControlParams(p, g_engine.control);
  SetGammaParams(p, g_engine.gamma);
  SetLevelsParams(p, g_engine.levels);
  SetContrastParams(p, g_engine.contrast);
  SetSharpenParams(p, g_engine.sharpen);
  SetSkinParams(p, g_engine.skin);
}

void LoadModule()
{
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<const void*>(&LoadModule), &info, sizeof info))
    g_engine.handle = info.AllocationBase;
  // The fixed tables are plain arrays filled in place: loading cannot fail.
  BuildFixedTables();
  InstallStages(g_engine.control);
  ApplyParams(nullptr);
}

namespace {
__attribute__((constructor)) void OnLoad() { LoadModule(); }
} // namespace

namespace {
template <class T>
T& InUse(EngineControl& control, T* EngineControl::*slot, T EngineModule::*settings)
{
  if (!(control.*slot))
    control.*slot = &(g_engine.*settings);
  return *(control.*slot);
}
} // namespace

BorderSettings& BorderSettingsOf(EngineControl& c) { return InUse(c, &EngineControl::border, &EngineModule::border); }
GammaSettings& GammaSettingsOf(EngineControl& c) { return InUse(c, &EngineControl::gamma, &EngineModule::gamma); }
LevelsSettings& LevelsSettingsOf(EngineControl& c) { return InUse(c, &EngineControl::levels, &EngineModule::levels); }
ContrastSettings& ContrastSettingsOf(EngineControl& c)
{
  return InUse(c, &EngineControl::contrast, &EngineModule::contrast);
}
SkinSettings& SkinSettingsOf(EngineControl& c) { return InUse(c, &EngineControl::skin, &EngineModule::skin); }
SharpenSettings& SharpenSettingsOf(EngineControl& c)
{
  return InUse(c, &EngineControl::sharpen, &EngineModule::sharpen);
}

} // namespace lvx
