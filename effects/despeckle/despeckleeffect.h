#pragma once
// The Despeckle module's effect (effect id 31): the despeckle filter with a
// Size slider (7), a Threshold slider (8) and the presets popup.
#include "effect.h"

class DespeckleEffect : public Effect {
public:
  DespeckleEffect();

protected:
  // Size 4, Threshold 7, the toggle on.
  void ResetParameters() override;
  // A new image sets Size 7 and Threshold 37; then the preset code chooses
  // the values (by hand: kept) and both sliders are updated.
  int32_t Prepare(QVImage* document, QVViewImage* view) override;
  // The filter at the view's zoom. 1.
  int32_t Filter(QVViewImage* image) override;
  // Control 6 flips the toggle and pushes undo kind 6.
  bool OwnControl(int32_t controlId, int32_t value) override;
  // Coarse, Medium and Fine set Size and Threshold at once; Auto waits for
  // the next preparation.
  void PresetChosen(int32_t code) override;

private:
  int32_t toggle_ = 1;
};
