#include "stages.h"

#include "border.h"
#include "contrast.h"
#include "gamma.h"
#include "levels.h"
#include "sharpen.h"

namespace lvx {

void InstallStages(EngineControl& control)
{
  control.stages[kSlotLevels] = LevelsStage;
  control.stages[kSlotGamma] = GammaStage;
  control.stages[kSlotContrast] = ContrastStage;
  control.stages[kSlotSharpen] = control.sharpening = SharpenStage;
  // The skin-tone and sharpening slots stay empty until those stages exist.
  control.borderFlag = 1;
  control.borderPrePass = BorderPrePass;
  control.finalFlag = 1;
  control.finalStep = DisplayGammaStep;
}

} // namespace lvx
