#pragma once
// The Descreen module's effect (effect id 30): the descreen filter with an
// Amount slider (7, the blur in eighths of a pixel), a Sharpen slider (8)
// and the presets popup. Both amounts follow the view's zoom.
#include "effect.h"

class DescreenEffect : public Effect {
public:
  DescreenEffect();

protected:
  // Amount 1, Sharpen 2, no image analysed.
  void ResetParameters() override;
  // A new image is analysed (the effect's rules) and the preset code set
  // to Auto; then the preset code chooses the amounts (by hand: kept) and
  // both sliders are updated. 0, with the cached image kept, when the
  // analysis fails: the next preparation tries again.
  int32_t Prepare(QVImage* document, QVViewImage* view) override;
  // The blur and sharpening with the amounts zoomed to the view. The
  // filter's result.
  int32_t Filter(QVViewImage* image) override;

private:
  int32_t autoAmount_ = 0; // the amounts the last analysis gives Auto
  int32_t autoSharpen_ = 0;
};
