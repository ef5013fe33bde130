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
  switch (presetCode_) {
  case kAuto:
    parameterA_ = autoAmount_, parameterB_ = autoSharpen_;
    break;
  case kCoarse:
    parameterA_ = 20, parameterB_ = 5;
    break;
  case kMedium:
    parameterA_ = 15, parameterB_ = 4;
    break;
  case kFine:
    parameterA_ = 9, parameterB_ = 2;
    break;
  default: // set by hand
    break;
  }
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
