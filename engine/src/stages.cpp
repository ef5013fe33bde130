#include "stages.h"

namespace lvx {

void InstallStages(EngineControl& control)
{
  // No stage is built yet: every slot stays empty and the runner skips it.
  // A stage joins with one line here, for example
  //   control.stages[kSlotLevels] = LevelsStage;
  //   control.stages[kSlotSharpen] = control.sharpening = SharpenStage;
  //   control.borderPrePass = BorderPrePass;
  //   control.finalStep = DisplayGammaStep;
  (void)control;
}

} // namespace lvx
