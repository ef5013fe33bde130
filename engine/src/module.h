#pragma once
// The engine's process-wide module state: the control block and every
// stage's settings, written at library load and by SetParams.
#include "pipeline.h"
#include "settings.h"

namespace lvx {

struct EngineModule {
  EngineControl control;
  GammaSettings gamma;
  LevelsSettings levels;
  ContrastSettings contrast;
  SharpenSettings sharpen;
  SkinSettings skin;
  BorderSettings border;
  void* handle = nullptr; // this library's module handle (its load base)
};

EngineModule& Module();

// What SetParams does: the record (null: the default record) made sane and
// passed to the six setters.
void ApplyParams(const AdjustParams* params);
// The library load: module handle, fixed tables, installed stages, defaults.
void LoadModule();

// The settings a stage uses: the control copy's pointer, or the module's
// settings, whose address is then stored in the copy.
BorderSettings& BorderSettingsOf(EngineControl& control);
GammaSettings& GammaSettingsOf(EngineControl& control);
LevelsSettings& LevelsSettingsOf(EngineControl& control);
ContrastSettings& ContrastSettingsOf(EngineControl& control);
SkinSettings& SkinSettingsOf(EngineControl& control);
SharpenSettings& SharpenSettingsOf(EngineControl& control);

} // namespace lvx
