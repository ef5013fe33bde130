#include "descreeneffect.h"

#include "lumivexdescreen.h"
#include "qvcommon/qvviewimage.h"

#include <new>

using namespace effectids;

namespace {

constexpr SliderSpec kAmount{kSliderA, 5, 50, 4, 0, 25, 1};
constexpr SliderSpec kSharpen{kSliderB, 5, 85, 9, 0, 10, 1};

} // namespace

DescreenEffect::DescreenEffect() : Effect(30, "descreen.dll", kAmount, kSharpen) {}

void DescreenEffect::ResetParameters()
{
  parameterA_ = 1;
  parameterB_ = 2;
  ForgetImage();
  autoAmount_ = autoSharpen_ = 0;
}

int32_t DescreenEffect::Prepare(QVImage* document, QVViewImage*)
{
  if (IsNewImage(document)) {
    LumivexDescreen analysis;
    if (!analysis.Analyze(document, DescreenRules::Effect))
      return 0;
    autoAmount_ = analysis.BlurAmount();
    autoSharpen_ = analysis.SharpenAmount();
    RememberImage(document);
    presetCode_ = kAuto;
  }
  // Amount and Sharpen of Auto (the analysis's), Coarse, Medium and Fine.
  const PresetTable presets = {{autoAmount_, autoSharpen_}, {20, 5}, {15, 4}, {9, 2}};
  TakePreset(presetCode_, presets);
  UpdateSliders();
  return 1;
}

int32_t DescreenEffect::Filter(QVViewImage* image)
{
  int32_t amount = parameterA_, sharpen = parameterB_;
  LumivexDescreen::ZoomAmounts(image->zoomX, amount, sharpen);
  LumivexDescreen filter;
  filter.SetAmounts(amount, sharpen);
  return filter.Apply(image);
}

Effect* CreateModuleEffect() { return new (std::nothrow) DescreenEffect; }
