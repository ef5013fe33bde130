// The sharpening's one-pass corrections against the four whole-picture
// passes they replace, on pictures of every small size and layout, and their
// progress, cancel and failure paths.
#include "testkit.h"

#include "binomial.h"
#include "colorspace.h"
#include "instructionset.h"
#include "sharpen.h"
#include "status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace lvx;
using lvxtest::ProtocolError;
using lvxtest::RecordProgress;
using lvxtest::ResetProgress;
using lvxtest::TestImage;
using lvxtest::TestPlane;

namespace {

HalfKernel Kernel(double x)
{
  HalfKernel kernel;
  EXPECT_EQ(KernelFromParameter(x, kernel), 0);
  return kernel;
}

// The four passes the one-pass form replaces, one after the other over the
// whole picture.
void FourPasses(TestImage& image, double preBlur, double mask, const ImageDesc& strength, int16_t amount)
{
  ASSERT_EQ(BlurColourInPlace(image.Desc(), preBlur, NoProgress), 0);
  ImageDesc Y;
  ASSERT_EQ(ExtractLuminance(image.Desc(), Y, NoProgress), 0);
  ASSERT_EQ(UnsharpMaskWithKernel(Y, strength, Kernel(mask), amount, NoProgress), 0);
  ASSERT_EQ(MergeLuminance(image.Desc(), Y, NoProgress), 0);
  FreeImage(Y);
}

} // namespace

TEST(SharpenApply, EqualsTheFourPassesAtEverySizeAndLayout)
{
  // In each instruction set the processor has, the baseline included: heights
  // and widths 1..7 and wider, 3- and 4-byte pixels with padded rows,
  // pre-blurs and masks from none to the widest, amounts of both signs and
  // beyond 32 bits' reach, with and without a strength plane.
  const double preBlurs[] = {0.0, 0.3, 1.0, 2.7, 6.0}, masks[] = {0.0, 0.5, 1.0, 2.55, 6.0};
  const int16_t amounts[] = {133, -100, 267, 0, 32767, -32768, 1};
  uint32_t run = 0;
  for (InstructionSet set : {InstructionSet::kAvx512, InstructionSet::kAvx2, InstructionSet::kBaseline})
    for (int32_t rows : {1, 2, 3, 4, 5, 6, 7, 23})
      for (int32_t columns : {1, 2, 3, 5, 7, 31})
        for (int variant = 0; variant < 4; ++variant, ++run) {
          const int32_t pixelBytes = 3 + int32_t(run % 2);
          const double preBlur = preBlurs[run % 5], mask = masks[(run / 5) % 5];
          const int16_t amount = amounts[run % 7];
          LimitInstructionSet(set);
          TestImage image(rows, columns, pixelBytes, int32_t(run % 3));
          image.FillRandom(run);
          TestPlane strength(rows, columns, run % 3 == 0 ? TestPlane::kChannel : TestPlane::kContiguous);
          strength.FillRandom(run + 1);
          const ImageDesc m = run % 4 == 1 ? EmptyImage() : strength.desc;
          TestImage expected = image;
          FourPasses(expected, preBlur, mask, m, amount);
          ASSERT_EQ(SharpenApply(image.Desc(), Kernel(preBlur), Kernel(mask), m, amount, NoProgress), 0);
          LimitInstructionSet(InstructionSet::kAvx512);
          EXPECT_EQ(image.bytes, expected.bytes) << int(set) << " " << rows << "x" << columns << " pre-blur " << preBlur
                                                 << " mask " << mask << " amount " << amount;
          EXPECT_TRUE(image.CanariesIntact());
        }
  // Bottom-up rows.
  TestImage image(9, 13);
  image.FillRandom(3);
  TestImage expected = image;
  const ImageDesc up = CallerImage(image.Pixel(8, 0), 9, 13, -image.rowBytes, 3);
  const ImageDesc upExpected = CallerImage(expected.Pixel(8, 0), 9, 13, -expected.rowBytes, 3);
  ASSERT_EQ(BlurColourInPlace(upExpected, 1.3, NoProgress), 0);
  ImageDesc Y;
  ASSERT_EQ(ExtractLuminance(upExpected, Y, NoProgress), 0);
  ASSERT_EQ(UnsharpMask(Y, EmptyImage(), 2.0, 150, NoProgress), 0);
  ASSERT_EQ(MergeLuminance(upExpected, Y, NoProgress), 0);
  FreeImage(Y);
  ASSERT_EQ(SharpenApply(up, Kernel(1.3), Kernel(2.0), EmptyImage(), 150, NoProgress), 0);
  EXPECT_EQ(image.bytes, expected.bytes);
}

TEST(SharpenApply, ProgressCancelFailuresAndArguments)
{
  // 20 rows, a pre-blur of half width 1 and a mask of half width 3: 27
  // passes, one poll each.
  const HalfKernel pre = Kernel(1.0), mask = Kernel(2.55);
  ASSERT_EQ(pre.n, 1);
  ASSERT_EQ(mask.n, 3);
  TestImage original(20, 11, 4, 1);
  original.FillRandom(4);
  TestPlane strength(20, 11);
  strength.FillRandom(5);
  TestImage finished = original;
  ResetProgress();
  ASSERT_EQ(SharpenApply(finished.Desc(), pre, mask, strength.desc, 133, RecordProgress), 0);
  EXPECT_EQ(ProtocolError(lvxtest::Progress().calls), "");
  EXPECT_EQ(lvxtest::Progress().calls.front(), -27);
  EXPECT_EQ(lvxtest::Progress().polls, 27);

  // A cancel at poll k (after pass k - 1): rows up to k - 1 - 1 - 6 are
  // finished, rows after k - 1 - 1 untouched.
  for (int k = 1; k <= 27; ++k) {
    TestImage image = original;
    ResetProgress(k);
    ASSERT_EQ(SharpenApply(image.Desc(), pre, mask, strength.desc, 133, RecordProgress), kStatusCancelled);
    EXPECT_EQ(ProtocolError(lvxtest::Progress().calls), "") << k;
    for (int32_t y = 0; y < 20; ++y) {
      const auto row = [&](const TestImage& t) {
        return std::vector<uint8_t>(t.bytes.begin() + y * t.rowBytes, t.bytes.begin() + (y + 1) * t.rowBytes);
      };
      if (y <= k - 8) {
        EXPECT_EQ(row(image), row(finished)) << k << " " << y;
      } else if (y > k - 2) {
        EXPECT_EQ(row(image), row(original)) << k << " " << y;
      }
    }
  }

  TestImage image = original;
  lvxtest::ExpectEachAllocationFailureReported([&](AdjustProgressProc cb) {
    image = original;
    const int status = SharpenApply(image.Desc(), pre, mask, strength.desc, 133, cb);
    EXPECT_EQ(image.bytes, status ? original.bytes : finished.bytes);
    return status;
  });

  // Refused with the picture untouched: weights that do not sum to a power
  // of two, a grey plane for the picture, a strength plane of another size.
  image = original;
  HalfKernel odd = mask;
  odd.w[0] += 1;
  TestPlane small(19, 11);
  EXPECT_EQ(SharpenApply(image.Desc(), odd, mask, EmptyImage(), 133, NoProgress), kStatusBadArgument);
  EXPECT_EQ(SharpenApply(image.Desc(), pre, odd, EmptyImage(), 133, NoProgress), kStatusBadArgument);
  EXPECT_EQ(SharpenApply(strength.desc, pre, mask, EmptyImage(), 133, NoProgress), kStatusBadArgument);
  EXPECT_EQ(SharpenApply(image.Desc(), pre, mask, small.desc, 133, NoProgress), kStatusBadArgument);
  EXPECT_EQ(image.bytes, original.bytes);
  // Nothing to do: no pre-blur, and a mask without width or amount.
  EXPECT_EQ(SharpenApply(image.Desc(), Kernel(0.0), Kernel(0.0), EmptyImage(), 133, NoProgress), 0);
  EXPECT_EQ(SharpenApply(image.Desc(), Kernel(0.0), mask, EmptyImage(), 0, NoProgress), 0);
  EXPECT_EQ(image.bytes, original.bytes);
}
