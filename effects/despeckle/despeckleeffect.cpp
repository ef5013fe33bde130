#include "despeckleeffect.h"

#include "lumivexdespeckle.h"
#include "qvcommon/qvviewimage.h"

#include <new>

using namespace effectids;

namespace {

constexpr SliderSpec kSize{kSliderA, 5, 50, 4, 1, 15, 1};
constexpr SliderSpec kThreshold{kSliderB, 5, 85, 9, 0, 100, 5};
// Size and Threshold of Auto (the Medium values), Coarse, Medium and Fine.
constexpr PresetTable kPresets = {{7, 37}, {12, 60}, {7, 37}, {2, 25}};

} // namespace

DespeckleEffect::DespeckleEffect() : Effect(31, "Despeckle.dll", kSize, kThreshold) {}

void DespeckleEffect::ResetParameters()
{
  parameterA_ = 4;
  parameterB_ = 7;
  toggle_ = 1;
}

int32_t DespeckleEffect::Prepare(QVImage* document, QVViewImage*)
{
  if (IsNewImage(document)) {
    TakePreset(kMedium, kPresets);
    RememberImage(document);
  }
  TakePreset(presetCode_, kPresets);
  UpdateSliders();
  return 1;
}

int32_t DespeckleEffect::Filter(QVViewImage* image)
{
  LumivexDespeckle(parameterA_, parameterB_).Apply(image, image->zoomX);
  return 1;
}

bool DespeckleEffect::OwnControl(int32_t controlId, int32_t)
{
  if (controlId != 6)
    return false;
  PutValues(!toggle_, toggle_);
  toggle_ = !toggle_;
  PushUndo(kUndoToggle);
  return true;
}

void DespeckleEffect::PresetChosen(int32_t code)
{
  if (code != kAuto)
    TakePreset(code, kPresets);
}

Effect* CreateModuleEffect() { return new (std::nothrow) DespeckleEffect; }
