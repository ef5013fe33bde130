// Descreen's preparation: new images are analysed (and set Auto), the same
// image keeps a chosen preset, every preset code gives its amounts, and a
// failed analysis is tried again.
#include "fxtest.h"

#include "lumivexdescreen.h"

using fxtest::ModuleTest;

namespace {

class Descreen : public ModuleTest {
protected:
  void SetUp() override
  {
    Load(DESCREEN_PATH);
    flat = fxtest::Flat(32, 32, 3, 128);
    Open(flat.get());
  }
  // Prepares the document and gives the amounts the sliders show.
  std::pair<int32_t, int32_t> Prepared(QVImage* document)
  {
    fxtest::View v(document, 1);
    EXPECT_TRUE(session->Prepare(document, &v.view, 0, 0)) << session->Failure();
    return {SliderValue(7), SliderValue(8)};
  }
  // 8 x 8 blocks of 28 and 228: a texture the one- and two-pixel blurs
  // leave mostly in place.
  static std::unique_ptr<QVImage> Blocks()
  {
    auto image = fxtest::Flat(64, 64, 3, 0);
    for (int32_t y = 0; y < 64; ++y)
      for (int32_t x = 0; x < 64; ++x)
        std::fill_n(fxtest::At(*image, x, y), 3, ((x / 8 + y / 8) % 2) ? 228 : 28);
    return image;
  }
  std::unique_ptr<QVImage> flat;
};

using Amounts = std::pair<int32_t, int32_t>;

} // namespace

TEST_F(Descreen, InitializeStartsAtAmountOneAndSharpenTwo)
{
  EXPECT_EQ(SliderValue(7), 1);
  EXPECT_EQ(SliderValue(8), 2);
  const lvfx::Control* amount = session->Controls().Find(7);
  EXPECT_EQ(amount->label, "Amount");
  EXPECT_EQ(amount->values[2], 25);
  EXPECT_EQ(session->Controls().Find(8)->label, "Sharpen");
  EXPECT_EQ(session->Controls().Find(8)->values[2], 10);
  EXPECT_EQ(lvfx::ModuleString(amount->record.resources, 8), "Enhnace Edges");
}

TEST_F(Descreen, AutoFollowsTheAnalysis)
{
  // A flat image: the texture is 0, below 10, so k = 1: Amount 8, Sharpen 2.
  EXPECT_EQ(Prepared(flat.get()), (Amounts{8, 2}));
  // A faint texture is below 10 too.
  auto faint = fxtest::Flat(32, 32, 3, 128);
  for (int32_t y = 0; y < 32; ++y)
    for (int32_t x = 0; x < 32; ++x)
      fxtest::At(*faint, x, y)[1] = static_cast<uint8_t>(128 + (x + y) % 2 * 6);
  EXPECT_EQ(Prepared(faint.get()), (Amounts{8, 2}));
  // Blocks keep more than a quarter of their texture after both blurs: k is
  // 2.2, so Amount trunc(17.6) = 17 and Sharpen -trunc(-5.4) = 5.
  auto blocks = Blocks();
  LumivexDescreen analysis;
  ASSERT_EQ(analysis.Analyze(blocks.get(), DescreenRules::Effect), 1);
  ASSERT_GE(analysis.Texture(), 10.0);
  ASSERT_DOUBLE_EQ(analysis.BlurFactor(), 2.2);
  EXPECT_EQ(Prepared(blocks.get()), (Amounts{17, 5}));
}

TEST_F(Descreen, OnlyANewImageIsAnalysedAndAChosenPresetIsKept)
{
  EXPECT_EQ(Prepared(flat.get()), (Amounts{8, 2}));
  ASSERT_TRUE(session->Choose(14));
  EXPECT_EQ(SliderValue(7), 8) << "a choice only records the code";
  EXPECT_EQ(Prepared(flat.get()), (Amounts{15, 4}));
  EXPECT_EQ(Prepared(flat.get()), (Amounts{15, 4}));
  // Another image sets Auto again.
  auto blocks = Blocks();
  EXPECT_EQ(Prepared(blocks.get()), (Amounts{17, 5}));
}

TEST_F(Descreen, EveryPresetCodeGivesItsAmounts)
{
  Prepared(flat.get());
  const std::pair<int32_t, Amounts> table[] = {{13, {20, 5}}, {14, {15, 4}}, {15, {9, 2}}, {12, {8, 2}}};
  for (const auto& [code, amounts] : table) {
    ASSERT_TRUE(session->Choose(code));
    EXPECT_EQ(Prepared(flat.get()), amounts) << code;
  }
  // Moving a slider sets code 16, which keeps the amounts.
  ASSERT_TRUE(session->ControlEvent(7, 21));
  EXPECT_EQ(Prepared(flat.get()), (Amounts{21, 2}));
}

TEST_F(Descreen, AFailedAnalysisFailsThePreparationAndIsTriedAgain)
{
  auto blocks = Blocks();
  fxtest::View v(blocks.get(), 1);
  const long before = standin::LiveBlocks();
  standin::FailAllocations(0, 1);
  EXPECT_EQ(X().EffectPrep(Index(), blocks.get(), &v.view, 0, 0), 0);
  standin::ResetAllocationFaults();
  EXPECT_EQ(standin::LiveBlocks(), before);
  EXPECT_EQ(SliderValue(7), 1) << "nothing was set from the failed analysis";
  // The image was not taken as analysed: the next preparation analyses it.
  EXPECT_EQ(Prepared(blocks.get()), (Amounts{17, 5}));
}
