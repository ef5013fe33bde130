#include "stages.h"

#include "border.h"
#include "contrast.h"
#include "gamma.h"
#include "levels.h"
#include "skintone.h"

namespace lvx {

void InstallStages(EngineControl& control)
{
  control.stages[kSlotLevels] = LevelsStage;
  control.stages[kSlotGamma] = GammaStage;
  control.stages[kSlotContrast] = ContrastStage;
  control.stages[kSlotSkin] = SkinToneStage;
  // The skin-tone and sharpening slots stay empty until those stages exist.
  control.borderFlag = 1;
  control.borderPrePass = BorderPrePass;
  control.finalFlag = 1;
  control.finalStep = DisplayGammaStep;
}

} // namespace lvx
