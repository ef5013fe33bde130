// The test effect and the test module's extra exports (see testmodule.h).
#include "testmodule.h"

#include "effect.h"
#include "qvcommon/qvstroke.h"
#include "qvcommon/qvviewimage.h"

#include <cstdlib>
#include <new>

using namespace effectids;

namespace {

constexpr SliderSpec kFirst{kSliderA, 5, 50, 4, 1, 15, 1};
constexpr SliderSpec kSecond{kSliderB, 5, 85, 9, 0, 100, 5};
constexpr int32_t kShapeLabels[3] = {20, 21, 22};

bool g_failNextCreation = false;

class TestEffect : public Effect {
public:
  // TESTEFFECT_FILTER_FAILS in the environment makes the filter fail, for
  // tests that run effects-host as a program.
  TestEffect() : Effect(77, "testmodule.dll", kFirst, kSecond)
  {
    EnableMaskBrush(kShapeLabels, 3);
    filterResult = std::getenv("TESTEFFECT_FILTER_FAILS") ? 0 : 1;
  }

  void State(TestBrushState* s) const
  {
    // Laid out by hand: the fields in the order of the record.
    // clang-format off
    *s = TestBrushState{showMask_, brushMode_, brushSize_, brushBlur_, shape_, currentKey_,
                        stroke_ ? stroke_->GetNumPoints() : -1, MarkerCount(), parameterA_, parameterB_, presetCode_};
    // clang-format on
  }
  const MaskCache& Cache() const { return cache_; }
  QVViewImage* Mask(int32_t key) const { return CachedMask(key); }
  int32_t filterResult = 1;

protected:
  void ResetParameters() override
  {
    parameterA_ = 3;
    parameterB_ = 10;
  }
  int32_t Prepare(QVImage*, QVViewImage*) override { return 1; }
  int32_t Filter(QVViewImage* image) override
  {
    if (!filterResult)
      return 0;
    image->Invert();
    return 1;
  }
};

TestEffect* Find(int32_t index) { return static_cast<TestEffect*>(FindInstance(index)); }

} // namespace

Effect* CreateModuleEffect()
{
  if (g_failNextCreation) {
    g_failNextCreation = false;
    return nullptr;
  }
  return new (std::nothrow) TestEffect;
}

extern "C" {

EFFECT_EXPORT int32_t TestFailNextCreation()
{
  g_failNextCreation = true;
  return 1;
}

EFFECT_EXPORT int32_t TestCacheKeys(int32_t index, int32_t* keys, int32_t capacity)
{
  const TestEffect* effect = Find(index);
  if (!effect)
    return -1;
  for (int32_t i = 0; i < effect->Cache().Count() && i < capacity; ++i)
    keys[i] = effect->Cache().KeyAt(i);
  return effect->Cache().Count();
}

EFFECT_EXPORT QVViewImage* TestCachedMask(int32_t index, int32_t key)
{
  const TestEffect* effect = Find(index);
  return effect ? effect->Mask(key) : nullptr;
}

EFFECT_EXPORT int32_t TestGetBrushState(int32_t index, TestBrushState* state)
{
  const TestEffect* effect = Find(index);
  if (!effect || !state)
    return 0;
  effect->State(state);
  return 1;
}

EFFECT_EXPORT int32_t TestSetFilterResult(int32_t index, int32_t result)
{
  TestEffect* effect = Find(index);
  if (!effect)
    return 0;
  effect->filterResult = result;
  return 1;
}

} // extern "C"
