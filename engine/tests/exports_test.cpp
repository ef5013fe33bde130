// The three exports: argument checks, status sign extension, defaults,
// rectangle clipping and the equivalence of the two correcting exports.
#include "testkit.h"

#include "module.h"
#include "rect.h"
#include "status.h"

#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace lvx;
using namespace lvxtest;

namespace {

// Puts stub stages into the module's control block for one test, without
// the border pre-pass and the final step.
class ModuleStages {
public:
  explicit ModuleStages(std::vector<StageFn> slots) : saved_(Module().control)
  {
    EngineControl& control = Module().control;
    for (size_t i = 0; i < kStageSlots; ++i)
      control.stages[i] = i < slots.size() ? slots[i] : nullptr;
    control.sharpening = SharpenStage;
    control.borderPrePass = nullptr;
    control.finalStep = nullptr;
  }
  ~ModuleStages() { Module().control = saved_; }

private:
  EngineControl saved_;
};

int Correct(TestImage& image, const AdjustRect* rect, AdjustProgressProc cb)
{
  ResetProgress();
  Trace().clear();
  return DoAdjustments(image.bytes.data(), image.rows, image.columns, image.rowBytes, image.pixelBytes, rect, cb);
}

} // namespace

TEST(Exports, BadBuffersAreRefusedBeforeAnythingIsTouched)
{
  // One byte of memory: any read or write beyond it trips AddressSanitizer.
  uint8_t* byte = static_cast<uint8_t*>(std::malloc(1));
  struct Case {
    uint8_t* pixels;
    int32_t rows, columns, rowBytes, pixelBytes;
  };
  // Laid out by hand: the cases in columns.
  // clang-format off
  const Case cases[] = {
      {nullptr, 4, 4, 12, 3},   {byte, 0, 4, 12, 3},      {byte, -1, 4, 12, 3},  {byte, 4, 0, 12, 3},
      {byte, 4, -3, 12, 3},     {byte, 4, 4, 12, 2},      {byte, 4, 4, 11, 3},   {byte, 4, 4, -11, 3},
      {byte, 4, 4, 0, 3},       {byte, 4, 4, 14, 4},      // (4 - 1) * 4 + 3 = 15 bytes needed
      {byte, 1, 0x40000000, 0x7fffffff, 4},             // needs 2^32 + 3 bytes: 64-bit arithmetic
  };
  // clang-format on
  ModuleStages stages({LookupStage});
  for (const Case& c : cases) {
    ResetProgress();
    AdjustRect rect{0, 0, 1, 1};
    EXPECT_EQ(DoAdjustments(c.pixels, c.rows, c.columns, c.rowBytes, c.pixelBytes, &rect, RecordProgress),
              kStatusBadArgument);
    if (c.pixelBytes == 3) {
      uint8_t* pp = c.pixels;
      EXPECT_EQ(doAllAutoAdjustments(&pp, c.rows, c.columns, rect, c.rowBytes, RecordProgress), kStatusBadArgument);
    }
    EXPECT_TRUE(Progress().calls.empty());
  }
  uint8_t* none = nullptr;
  EXPECT_EQ(doAllAutoAdjustments(nullptr, 1, 1, AdjustRect{0, 0, 1, 1}, 3, RecordProgress), kStatusBadArgument);
  EXPECT_EQ(doAllAutoAdjustments(&none, 1, 1, AdjustRect{0, 0, 1, 1}, 3, RecordProgress), kStatusBadArgument);
  EXPECT_TRUE(Progress().calls.empty());
  // The smallest acceptable buffer: one 3-byte pixel.
  byte = static_cast<uint8_t*>(std::realloc(byte, 3));
  EXPECT_EQ(DoAdjustments(byte, 1, 1, 3, 3, nullptr, nullptr), 0);
  std::free(byte);
}

TEST(Exports, StatusesAreSignExtended)
{
  ModuleStages stages({LookupStage});
  TestImage image(6, 6);
  standin::ResetAllocationFaults();
  standin::FailAllocations(0, 1);
  int32_t status = Correct(image, nullptr, RecordProgress);
  standin::ResetAllocationFaults();
  EXPECT_EQ(status, int32_t(-108));
  EXPECT_EQ(ProtocolError(Progress().calls), "");
}

TEST(Exports, NullCallbackAndRectangleTakeTheirDefaultsAndRectanglesAreClipped)
{
  ModuleStages stages({LookupStage, WorkingStage, nullptr, nullptr, SharpenStage});
  TestImage reference(9, 14, 4, 1);
  reference.FillRandom(21);
  const TestImage original = reference;
  ASSERT_EQ(Correct(reference, nullptr, NoProgress), 0);
  EXPECT_EQ(SharpenRect(), WholeRect(9, 14));

  TestImage withNull = original;
  AdjustRect whole = WholeRect(9, 14);
  ASSERT_EQ(Correct(withNull, &whole, nullptr), 0);
  EXPECT_EQ(withNull.bytes, reference.bytes);

  TestImage oversized = original;
  AdjustRect big{-5, -7, 100, 90};
  ASSERT_EQ(Correct(oversized, &big, RecordProgress), 0);
  EXPECT_EQ(SharpenRect(), whole);
  EXPECT_EQ(oversized.bytes, reference.bytes);
  EXPECT_TRUE(oversized.CanariesIntact());

  // Partly outside: the intersection; wholly outside: the empty rectangle.
  TestImage part = original;
  AdjustRect overlap{10, -3, 20, 4};
  ASSERT_EQ(Correct(part, &overlap, RecordProgress), 0);
  EXPECT_EQ(SharpenRect(), (AdjustRect{10, 0, 14, 4}));
  AdjustRect outside{20, 20, 30, 30};
  ASSERT_EQ(Correct(part, &outside, RecordProgress), 0);
  EXPECT_EQ(SharpenRect(), EmptyRect());
}

TEST(Exports, DoAllAutoAdjustmentsMatchesDoAdjustments)
{
  ModuleStages stages({LookupStage, WorkingStage, PollingStage});
  Module().control.passCallback = 1;
  for (AdjustRect rect : {AdjustRect{1, 2, 8, 9}, AdjustRect{0, 0, 0, 0}, AdjustRect{-4, 0, 50, 50}}) {
    TestImage a(12, 11, 3, 3);
    a.FillRandom(22);
    TestImage b = a;
    ASSERT_EQ(Correct(a, &rect, RecordProgress), 0);
    std::vector<int> callsA = Progress().calls;
    std::vector<std::string> traceA = Trace();

    ResetProgress();
    Trace().clear();
    uint8_t* pixels = b.bytes.data();
    uint8_t* pp = pixels;
    ASSERT_EQ(doAllAutoAdjustments(&pp, b.rows, b.columns, rect, b.rowBytes, RecordProgress), 0);
    EXPECT_EQ(pp, pixels);
    EXPECT_EQ(b.bytes, a.bytes);
    EXPECT_EQ(Progress().calls, callsA);
    EXPECT_EQ(Trace(), traceA);
  }
}

TEST(Exports, SetParamsReturnsZero) { EXPECT_EQ(SetParams(nullptr), 0); }
