// The controls the effects describe and what their events and undo steps
// do, seen from the host's side of the callbacks.
#include "fxtest.h"

#include "lumivexdespeckle.h"
#include "qvcommon/qvresourcefile.h"

#include <cstring>

using fxtest::ModuleTest;

namespace {

class Despeckle : public ModuleTest {
protected:
  void SetUp() override
  {
    Load(DESPECKLE_PATH);
    image = fxtest::Flat(8, 8, 3, 100);
    Open(image.get());
  }
  // An undo item of the kind with a payload in both blocks.
  static QVUndo_Item Item(int32_t kind, int32_t newValue, int32_t oldValue)
  {
    unsigned char n[256] = {}, o[256] = {};
    std::memcpy(n, &newValue, 4);
    std::memcpy(o, &oldValue, 4);
    return QVUndo_Item(31, 0, kind, 0, 0, n, o);
  }
  int32_t Undo(QVUndo_Item item, int32_t isUndo) { return X().Undo(Index(), &item, isUndo); }
  size_t Pushed() const { return session->UndoStack().size(); }
  size_t Redraws() const { return session->Redraws().size(); }
  std::string LastRedraw() const { return lvfx::Session::Describe(session->Redraws().back()); }
  std::unique_ptr<QVImage> image;
};

constexpr const char* kCommonRedraw = "redraw(null, 0, 1, 0, 0, 0, 1)";

} // namespace

TEST_F(Despeckle, InitializeDescribesTwoSlidersAndThePresetsPopupWithEveryField)
{
  const std::vector<std::string> created = Entries("create-control");
  ASSERT_EQ(created.size(), 3u);
  EXPECT_EQ(created[0], "create-control id 7 kind 1 at (5, 50) host 1 effect 31 flag 0 bitmap 0 label 4 \"Size\" "
                        "values {4, 1, 15, 1, 0} count 5 zero 0 0 redraw-now 1 instance 0");
  EXPECT_EQ(created[1], "create-control id 8 kind 1 at (5, 85) host 1 effect 31 flag 0 bitmap 0 label 9 "
                        "\"Threshold\" values {7, 0, 100, 5, 0} count 5 zero 0 0 redraw-now 1 instance 0");
  const lvfx::Control* popup = session->Controls().Find(11);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->Kind(), kEffectPopup);
  EXPECT_EQ(popup->record.x * 100 + popup->record.y, 508);
  EXPECT_EQ(popup->record.labelId, 15);
  EXPECT_EQ(popup->label, "Type");
  EXPECT_EQ(popup->codes, (std::vector<int32_t>{12, 13, 14, 15}));
  EXPECT_EQ(popup->labels, (std::vector<int32_t>{10, 11, 12, 13}));
  EXPECT_EQ(popup->itemTexts, (std::vector<std::string>{"Auto", "Coarse", "Medium", "Fine"}));
  EXPECT_EQ(popup->arrow, 102);
  EXPECT_EQ(popup->values[0], 4);
  // Every resource id refers to the module's own resources.
  ASSERT_NE(popup->record.resources, nullptr);
  EXPECT_EQ(popup->record.resources->GetResFile(), module.Handle());
  EXPECT_EQ(lvfx::ModuleString(popup->record.resources, 3), "Despeckle");
}

TEST_F(Despeckle, ASecondInitializeDescribesAgainAndLeavesNothingBehind)
{
  const long before = standin::LiveBlocks();
  ASSERT_EQ(X().Initialize(Index(), nullptr, nullptr, nullptr, 1, nullptr, nullptr, 0), 1);
  ASSERT_EQ(X().Initialize(Index(), nullptr, nullptr, nullptr, 1, nullptr, nullptr, 0), 1);
  EXPECT_EQ(standin::LiveBlocks(), before);
  // Without callbacks the effect still works and calls nothing.
  int32_t value = 3;
  EffectControlEvent event{};
  event.controlId = 7;
  event.newValue = &value;
  const size_t logged = session->Log().size();
  EXPECT_EQ(X().Control_Event(Index(), &event), 1);
  EXPECT_EQ(session->Log().size(), logged);
}

TEST_F(Despeckle, SlidersPushTheirKindSetPresetSixteenAndRedraw)
{
  ASSERT_TRUE(session->Prepare(image.get(), nullptr, 0, 0) == false) << "a null view is refused";
  fxtest::View v(image.get(), 1);
  ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 0));
  EXPECT_EQ(SliderValue(7), 7) << "a new image takes the Medium values";
  ASSERT_TRUE(session->ControlEvent(7, 9));
  ASSERT_EQ(Pushed(), 1u);
  EXPECT_EQ(lvfx::Session::Describe(session->UndoStack().back()), "kind 7 module 31 instance 0 new {9, 0} old {7, 0}");
  EXPECT_EQ(LastRedraw(), kCommonRedraw);
  ASSERT_TRUE(session->ControlEvent(8, 55));
  EXPECT_EQ(lvfx::Session::Describe(session->UndoStack().back()),
            "kind 8 module 31 instance 0 new {55, 0} old {37, 0}");
  // Code 16: the same image prepared again keeps the hand-set values.
  ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 0));
  EXPECT_EQ(SliderValue(7), 9);
  EXPECT_EQ(SliderValue(8), 55);
  // A different image replaces them by the Medium values.
  QVImage other(image.get());
  ASSERT_TRUE(session->Prepare(&other, &v.view, 0, 0));
  EXPECT_EQ(SliderValue(7), 7);
  EXPECT_EQ(SliderValue(8), 37);
}

TEST_F(Despeckle, SliderValuesAreKeptToTheSlidersRanges)
{
  ASSERT_TRUE(session->ControlEvent(7, 0)); // a left-off slider's 0
  EXPECT_EQ(lvfx::Session::Describe(session->UndoStack().back()), "kind 7 module 31 instance 0 new {1, 0} old {4, 0}");
  EXPECT_EQ(SliderValue(7), 1) << "the kept value is shown";
  ASSERT_TRUE(session->ControlEvent(8, INT32_MAX));
  EXPECT_EQ(SliderValue(8), 100);
  // Undo payloads are limited the same way; a preset code outside 12..16 is 16.
  EXPECT_EQ(Undo(Item(7, 500, -500), 1), 1);
  EXPECT_EQ(SliderValue(7), 1);
  EXPECT_EQ(Undo(Item(7, 500, -500), 0), 1);
  EXPECT_EQ(SliderValue(7), 15);
  ASSERT_TRUE(session->Choose(13));
  EXPECT_EQ(Undo(Item(11, 99, 99), 1), 1);
  fxtest::View v(image.get(), 1);
  ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 0));
  ASSERT_TRUE(session->ControlEvent(7, 3));
  ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 0));
  EXPECT_EQ(SliderValue(7), 3) << "code 16 keeps the values";
}

TEST_F(Despeckle, PresetChoicesRelabelThePopupAndPushKindEleven)
{
  ASSERT_TRUE(session->Choose(13));
  EXPECT_EQ(lvfx::Session::Describe(session->UndoStack().back()),
            "kind 11 module 31 instance 0 new {13, 0} old {12, 0}");
  EXPECT_EQ(session->Controls().Find(11)->label, "Coarse");
  EXPECT_EQ(LastRedraw(), kCommonRedraw);
  // Coarse set Size and Threshold at once, without a slider update.
  EXPECT_EQ(SliderValue(7), 4);
  fxtest::View v(image.get(), 1);
  QVImage copy(&v.view);
  fxtest::At(v.view, 4, 4)[0] = 0; // one speck for the filter to find
  fxtest::At(copy, 4, 4)[0] = 0;
  ASSERT_TRUE(session->Run(&v.view, nullptr));
  LumivexDespeckle(12, 60).Apply(&copy, 1.0);
  EXPECT_EQ(fxtest::Pixels(v.view), fxtest::Pixels(copy));
  // Undo of kind 11 puts the code back and the label to string 15.
  bool done = false;
  ASSERT_TRUE(session->UndoLast(&done));
  EXPECT_TRUE(done);
  EXPECT_EQ(session->Controls().Find(11)->label, "Type");
  ASSERT_TRUE(session->RedoLast(&done));
  EXPECT_EQ(session->Controls().Find(11)->record.labelId, 15) << "redo too resets the label";
  for (int32_t code : {12, 13, 14, 15}) {
    ASSERT_TRUE(session->Choose(code));
    ASSERT_TRUE(session->Prepare(image.get(), &v.view, 0, 0));
    const int32_t expected[][2] = {{7, 37}, {12, 60}, {7, 37}, {2, 25}};
    EXPECT_EQ(SliderValue(7), expected[code - 12][0]) << code;
    EXPECT_EQ(SliderValue(8), expected[code - 12][1]) << code;
  }
}

TEST_F(Despeckle, UnknownIdsAndMalformedEventsChangeNothing)
{
  const size_t redraws = Redraws();
  for (int32_t id : {0, 2, 9, 16, 199, 200, 300, 301, 302})
    ASSERT_TRUE(session->ControlEvent(id, 1)) << id;
  EXPECT_EQ(Redraws(), redraws) << "the mask brush is not enabled here";
  EXPECT_EQ(Pushed(), 0u);
  EffectControlEvent noValue{};
  noValue.controlId = 7;
  EXPECT_EQ(X().Control_Event(Index(), nullptr), 0);
  EXPECT_EQ(X().Control_Event(Index(), &noValue), 0);
  EffectPreviewEvent noMouse{nullptr, nullptr, nullptr, nullptr};
  EXPECT_EQ(X().Preview_Event(Index(), nullptr), 0);
  EXPECT_EQ(X().Preview_Event(Index(), &noMouse), 0);
  EXPECT_EQ(X().Undo(Index(), nullptr, 1), 0);
  QVRect r;
  EXPECT_EQ(X().EffectRect(Index(), nullptr, &r), 0);
  EXPECT_EQ(X().EffectRect(Index(), &r, nullptr), 0);
  EXPECT_EQ(X().EffectDo(Index(), nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(X().EffectPrep(Index(), nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(Redraws(), redraws);
}

TEST_F(Despeckle, ToggleSixPushesItsKindWhichUndoLeavesAlone)
{
  ASSERT_TRUE(session->ControlEvent(6, 0));
  EXPECT_EQ(lvfx::Session::Describe(session->UndoStack().back()), "kind 6 module 31 instance 0 new {0, 0} old {1, 0}");
  ASSERT_TRUE(session->ControlEvent(6, 0));
  EXPECT_EQ(lvfx::Session::Describe(session->UndoStack().back()), "kind 6 module 31 instance 0 new {1, 0} old {0, 0}");
  const size_t updates = Entries("create-control").size();
  bool done = false;
  ASSERT_TRUE(session->UndoLast(&done));
  EXPECT_EQ(Entries("create-control").size(), updates) << "kind 6 changes nothing";
  EXPECT_EQ(LastRedraw(), kCommonRedraw) << "but Undo still redraws";
}

TEST_F(Despeckle, UndoAndRedoOfTheSlidersUpdateThemWithoutRedrawNow)
{
  ASSERT_TRUE(session->ControlEvent(7, 11));
  ASSERT_TRUE(session->ControlEvent(8, 20));
  bool done = false;
  ASSERT_TRUE(session->UndoLast(&done));
  EXPECT_EQ(SliderValue(8), 7);
  EXPECT_EQ(Entries("create-control").back().substr(0, 22), "create-control id 8 ki");
  EXPECT_NE(Entries("create-control").back().find("redraw-now 0"), std::string::npos);
  ASSERT_TRUE(session->UndoLast(&done));
  EXPECT_EQ(SliderValue(7), 4);
  ASSERT_TRUE(session->UndoLast(&done));
  EXPECT_FALSE(done) << "the stack is empty";
  ASSERT_TRUE(session->RedoLast(&done));
  EXPECT_EQ(SliderValue(7), 11);
  EXPECT_EQ(session->RedoStack().size(), 1u);
  ASSERT_TRUE(session->ControlEvent(7, 2));
  EXPECT_TRUE(session->RedoStack().empty()) << "a new step clears the redo stack";
}
