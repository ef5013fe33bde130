#pragma once
// Where the stage operations join the module's control block. Each stage
// lives in its own source file and is installed by InstallStages at load.
#include "pipeline.h"

namespace lvx {

// Fills the stage slots, the border pre-pass, the final display-gamma step
// and the sharpening marker of the module's control block.
void InstallStages(EngineControl& control);

} // namespace lvx
