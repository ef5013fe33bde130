// The mask brush and its mask cache, enabled by the test module's effect:
// its four controls, strokes rendered black into the cached mask of the
// current key, and the cache's lookup, purge, eviction and emptying.
#include "fxtest.h"
#include "testmodule.h"

#include <cstring>

using fxtest::ModuleTest;

namespace {

class MaskBrush : public ModuleTest {
protected:
  void SetUp() override
  {
    Load(TESTMODULE_PATH);
    cacheKeys = fxtest::Export<decltype(cacheKeys)>(module, "TestCacheKeys");
    cachedMask = fxtest::Export<decltype(cachedMask)>(module, "TestCachedMask");
    brushState = fxtest::Export<decltype(brushState)>(module, "TestGetBrushState");
    ASSERT_TRUE(cacheKeys && cachedMask && brushState);
    image = fxtest::Flat(40, 30, 3, 120);
    Open(image.get());
  }
  TestBrushState State() const
  {
    TestBrushState s{};
    EXPECT_EQ(brushState(Index(), &s), 1);
    return s;
  }
  std::vector<int32_t> Keys() const
  {
    int32_t keys[32];
    const int32_t n = cacheKeys(Index(), keys, 32);
    return std::vector<int32_t>(keys, keys + std::max(n, 0));
  }
  // Brush mode, then a one-point stroke for the key on the view.
  void Stroke(QVViewImage* view, int32_t key, int32_t x = 10, int32_t y = 10)
  {
    ASSERT_TRUE(session->Prepare(image.get(), view, 0, key));
    ASSERT_TRUE(session->PreviewEvent(kMouseDown, x, y, nullptr, view));
    ASSERT_TRUE(session->PreviewEvent(kMouseUp, x, y, nullptr, view));
  }
  std::string LastPush() const { return lvfx::Session::Describe(session->UndoStack().back()); }
  std::string LastRedraw() const { return lvfx::Session::Describe(session->Redraws().back()); }

  int32_t (*cacheKeys)(int32_t, int32_t*, int32_t) = nullptr;
  QVViewImage* (*cachedMask)(int32_t, int32_t) = nullptr;
  int32_t (*brushState)(int32_t, TestBrushState*) = nullptr;
  std::unique_ptr<QVImage> image;
};

} // namespace

TEST_F(MaskBrush, InitializeAddsTheFourBrushControlsAfterTheEffectsOwn)
{
  const std::vector<std::string> created = Entries("create-control");
  ASSERT_EQ(created.size(), 7u);
  EXPECT_EQ(created[3], "create-control id 300 kind 7 at (7, 150) host 1 effect 77 flag 0 bitmap 105 label 0 \"\" "
                        "values {0, 0, 1, 1, 0} count 5 zero 0 0 redraw-now 1 instance 0");
  EXPECT_EQ(created[4], "create-control id 301 kind 5 at (132, 150) host 1 effect 77 flag 0 bitmap 109 label 0 \"\" "
                        "values {0, 0, 1, 1, 0} count 5 zero 0 0 redraw-now 1 instance 0");
  EXPECT_EQ(created[5], "create-control id 302 kind 6 at (85, 144) host 1 effect 77 flag 0 bitmap 111 label 0 \"\" "
                        "values {655362, 2, 100, 1, 0} count 5 zero 0 0 redraw-now 1 instance 0");
  const lvfx::Control* shapes = session->Controls().Find(199);
  ASSERT_NE(shapes, nullptr);
  EXPECT_EQ(shapes->record.x * 100 + shapes->record.y, 3006);
  EXPECT_EQ(shapes->label, "Type");
  EXPECT_EQ(shapes->codes, (std::vector<int32_t>{200, 201, 202}));
  EXPECT_EQ(shapes->itemTexts, (std::vector<std::string>{"Round", "Soft", "Hard"}));
  EXPECT_EQ(shapes->arrow, 102);
  const TestBrushState s = State();
  EXPECT_EQ(s.showMask + s.brushMode + s.shape, 0);
  EXPECT_EQ(s.size * 100 + s.blur, 1002);
  EXPECT_EQ(s.strokePoints, -1);
}

TEST_F(MaskBrush, ShowMaskRedrawsItsOwnWayAndShapesRelabelTheirPopup)
{
  ASSERT_TRUE(session->ControlEvent(300, 0));
  EXPECT_EQ(LastRedraw(), "redraw(null, 0, 1, 0, 0, 1, 1)");
  EXPECT_EQ(session->Redraws().size(), 1u) << "instead of the common redraw, not beside it";
  EXPECT_EQ(State().showMask, 1);
  ASSERT_TRUE(session->ControlEvent(201, 201));
  EXPECT_EQ(State().shape, 1);
  EXPECT_EQ(session->Controls().Find(199)->label, "Soft");
  EXPECT_EQ(LastRedraw(), "redraw(null, 0, 1, 0, 0, 0, 1)");
  const size_t redraws = session->Redraws().size();
  ASSERT_TRUE(session->ControlEvent(203, 0)); // only three shapes
  EXPECT_EQ(session->Redraws().size(), redraws);
  EXPECT_EQ(State().shape, 1);
}

TEST_F(MaskBrush, TheBrushSizePairPacksLimitsAndPushesKind302)
{
  ASSERT_TRUE(session->ControlEvent(302, 50 * 65536 + 7));
  EXPECT_EQ(LastPush(), "kind 302 module 77 instance 0 new {3276807, 0} old {655362, 0}");
  EXPECT_EQ(LastRedraw(), "redraw(null, 0, 1, 0, 0, 0, 1)");
  ASSERT_TRUE(session->ControlEvent(302, 1 * 65536 + 500));
  EXPECT_EQ(State().size * 1000 + State().blur, 2100);
  ASSERT_TRUE(session->ControlEvent(302, static_cast<int32_t>(0xFFFF0003u)));
  EXPECT_EQ(State().size * 1000 + State().blur, 100003);
  // Undo of kinds 301 and 302 changes nothing.
  bool done = false;
  ASSERT_TRUE(session->UndoLast(&done));
  EXPECT_EQ(State().size * 1000 + State().blur, 100003);
}

TEST_F(MaskBrush, AStrokeIsRenderedBlackWhereTheViewShowsItsPointsAtZoomsOneAndTwo)
{
  ASSERT_TRUE(session->ControlEvent(301, 0));
  for (double zoom : {1.0, 2.0}) {
    SCOPED_TRACE(zoom);
    fxtest::View v(image.get(), zoom);
    const int32_t key = static_cast<int32_t>(zoom);
    ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, key));
    const size_t pushed = session->UndoStack().size();
    ASSERT_TRUE(session->PreviewEvent(kMouseDown, 15, 12, nullptr, &v.view));
    EXPECT_EQ(session->UndoStack().size(), pushed) << "a stroke is no marker";
    EXPECT_EQ(LastRedraw(), "redraw((3, 0, 27, 24), 0, 0, 0, 0, 0, 0)") << "size 10 + blur 2 around the point";
    const QVViewImage* mask = cachedMask(Index(), key);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->width * 1000 + mask->height, v.view.width * 1000 + v.view.height);
    EXPECT_EQ(mask->bytesPerPixel, 1);
    const int z = key;
    EXPECT_EQ(*fxtest::At(*mask, 15 * z, 12 * z), 0) << "under the point";
    EXPECT_EQ(*fxtest::At(*mask, 15 * z + 3 * z, 12 * z), 0) << "inside the brush's solid part";
    EXPECT_EQ(*fxtest::At(*mask, 15 * z + 14 * z, 12 * z), 255) << "beyond the brush";
    EXPECT_EQ(*fxtest::At(*mask, 0, 29 * z), 255);
    // Moves of 2 pixels add nothing; more than 2 add a point.
    ASSERT_TRUE(session->PreviewEvent(kMouseDrag, 17, 14, nullptr, &v.view));
    EXPECT_EQ(State().strokePoints, 1);
    ASSERT_TRUE(session->PreviewEvent(kMouseDrag, 18, 12, nullptr, &v.view));
    EXPECT_EQ(State().strokePoints, 2);
    EXPECT_EQ(*fxtest::At(*mask, 24 * z, 12 * z), 0) << "the second point's stamp";
    ASSERT_TRUE(session->PreviewEvent(kMouseUp, 18, 12, nullptr, &v.view));
    EXPECT_EQ(LastPush(), "kind 301 module 77 instance 0 new {" + std::to_string(key) + ", 2} old {0, 0}");
    EXPECT_EQ(State().strokePoints, -1);
  }
}

TEST_F(MaskBrush, AStrokeStopsAtThreeHundredPoints)
{
  fxtest::View v(image.get(), 1);
  ASSERT_TRUE(session->ControlEvent(301, 0));
  ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 0));
  ASSERT_TRUE(session->PreviewEvent(kMouseDown, 0, 0, nullptr, &v.view));
  for (int i = 1; i < 300; ++i)
    ASSERT_TRUE(session->PreviewEvent(kMouseDrag, (i * 3) % 40, i * 3, nullptr, &v.view));
  EXPECT_EQ(State().strokePoints, 300);
  const size_t redraws = session->Redraws().size();
  ASSERT_TRUE(session->PreviewEvent(kMouseDrag, 0, 2000, nullptr, &v.view));
  EXPECT_EQ(State().strokePoints, 300);
  EXPECT_EQ(session->Redraws().size(), redraws);
  ASSERT_TRUE(session->PreviewEvent(kMouseUp, 0, 0, nullptr, &v.view));
  EXPECT_EQ(LastPush(), "kind 301 module 77 instance 0 new {0, 300} old {0, 0}");
}

TEST_F(MaskBrush, WithoutAViewOrBrushModeNoStrokeStarts)
{
  fxtest::View v(image.get(), 1);
  ASSERT_TRUE(session->PreviewEvent(kMouseDown, 5, 5, nullptr, &v.view));
  EXPECT_EQ(State().markers, 1) << "out of brush mode a mouse-down adds a marker";
  EXPECT_TRUE(Keys().empty());
  ASSERT_TRUE(session->ControlEvent(301, 0));
  ASSERT_TRUE(session->PreviewEvent(kMouseDown, 5, 5, nullptr, nullptr));
  ASSERT_TRUE(session->PreviewEvent(kMouseUp, 5, 5, nullptr, nullptr));
  EXPECT_EQ(State().strokePoints, -1);
  EXPECT_EQ(session->UndoStack().size(), 1u) << "only the marker was pushed";
  EXPECT_TRUE(Keys().empty());
}

TEST_F(MaskBrush, TheCacheLooksUpPurgesEvictsAndEmpties)
{
  fxtest::View v(image.get(), 1);
  ASSERT_TRUE(session->ControlEvent(301, 0));
  for (int32_t key = 1; key <= 20; ++key)
    Stroke(&v.view, key);
  ASSERT_EQ(Keys().size(), 20u);
  QVViewImage* second = cachedMask(Index(), 2);
  // A stroke for a key already cached paints into the same mask.
  Stroke(&v.view, 2, 30, 20);
  EXPECT_EQ(cachedMask(Index(), 2), second);
  EXPECT_EQ(*fxtest::At(*second, 10, 10) + *fxtest::At(*second, 30, 20), 0);
  // The 21st key evicts the oldest.
  Stroke(&v.view, 21);
  std::vector<int32_t> expected;
  for (int32_t key = 2; key <= 21; ++key)
    expected.push_back(key);
  EXPECT_EQ(Keys(), expected);
  // Preparing a key for a view of another size deletes its mask.
  fxtest::View smaller(image.get(), 0.5);
  ASSERT_TRUE(session->Prepare(image.get(), &smaller.view, 0, 5));
  EXPECT_EQ(cachedMask(Index(), 5), nullptr);
  EXPECT_EQ(Keys().size(), 19u);
  ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 6));
  EXPECT_NE(cachedMask(Index(), 6), nullptr) << "a key of the same size stays";
  // An undo with an item empties the cache, a null item does not.
  EXPECT_EQ(X().Undo(Index(), nullptr, 1), 0);
  EXPECT_EQ(Keys().size(), 19u);
  bool done = false;
  ASSERT_TRUE(session->UndoLast(&done));
  EXPECT_TRUE(Keys().empty());
  // So does every well-formed control event, known or not.
  Stroke(&v.view, 7);
  ASSERT_EQ(Keys().size(), 1u);
  EffectControlEvent noValue{};
  EXPECT_EQ(X().Control_Event(Index(), &noValue), 0);
  EXPECT_EQ(Keys().size(), 1u);
  ASSERT_TRUE(session->ControlEvent(9999, 0));
  EXPECT_TRUE(Keys().empty());
}

TEST_F(MaskBrush, FailedAllocationsStartNothingAndLeaveNothing)
{
  fxtest::View v(image.get(), 1);
  ASSERT_TRUE(session->ControlEvent(301, 0));
  ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 3));
  const long before = standin::LiveBlocks();
  for (long skip = 0; skip < 4; ++skip) {
    SCOPED_TRACE(skip);
    const size_t pushed = session->UndoStack().size();
    standin::FailAllocations(skip, 1);
    ASSERT_TRUE(session->PreviewEvent(kMouseDown, 10, 10, nullptr, &v.view));
    ASSERT_TRUE(session->PreviewEvent(kMouseDrag, 20, 10, nullptr, &v.view));
    ASSERT_TRUE(session->PreviewEvent(kMouseUp, 20, 10, nullptr, &v.view));
    standin::ResetAllocationFaults();
    const TestBrushState s = State();
    EXPECT_EQ(s.strokePoints, -1);
    // Either the stroke started and was pushed, or nothing was.
    if (session->UndoStack().size() > pushed) {
      EXPECT_EQ(LastPush().substr(0, 8), "kind 301");
    }
    ASSERT_TRUE(session->ControlEvent(9999, 0)); // empties the cache
    EXPECT_EQ(standin::LiveBlocks(), before);
  }
}
