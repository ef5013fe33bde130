#include "stages.h"

#include "border.h"
#include "contrast.h"
#include "gamma.h"
#include "levels.h"
#include "sharpen.h"
#include "skintone.h"

namespace lvx {

void InstallStages(EngineControl& control)
{
  control.stages[kSlotLevels] = LevelsStage;
  control.stages[kSlotGamma] = GammaStage;
  control.stages[kSlotContrast] = ContrastStage;
  control.stages[kSlotSkin] = SkinToneStage;
  control.stages[kSlotSharpen] = control.sharpening = SharpenStage;
  control.borderFlag = 1;
  control.borderPrePass = BorderPrePass;
  control.finalFlag = 1;
  control.finalStep = DisplayGammaStep;
}

} // namespace lvx
