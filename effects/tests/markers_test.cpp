// Markers: a mouse-down adds one (pushed and redrawn around it), paint draws
// picture 106 where the view shows each, the cursor event sets cursor 103,
// and the list holds 0 to 256 points whatever undo, redo and Revert do.
#include "fxtest.h"

#include "qvcommon/qvwindow.h"
#include "win32/drawing.h"
#include "win32/gdi.h"

using fxtest::ModuleTest;

namespace {

class Markers : public ModuleTest {
protected:
  void SetUp() override
  {
    Load(DESPECKLE_PATH);
    image = fxtest::Flat(40, 30, 3, 90);
    Open(image.get());
  }
  bool Down(int32_t x, int32_t y) { return session->PreviewEvent(kMouseDown, x, y, nullptr, nullptr); }
  // A black headless window of the size, and the paint event on it.
  HWND BlackWindow(int w, int h)
  {
    HWND hwnd = standin::CreateSurfaceWindow(w, h);
    HDC dc = GetDC(hwnd);
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    const RECT all{0, 0, w, h};
    FillRect(dc, &all, black);
    DeleteObject(black);
    ReleaseDC(hwnd, dc);
    return hwnd;
  }
  // Marker pixels drawn with their picture's top left at (x, y): the ring's
  // accent at (2, 5), the outline at (0, 5), the white key at (5, 5) left
  // undrawn.
  void ExpectMarkerAt(HWND hwnd, int x, int y)
  {
    EXPECT_EQ(standin::ReadPixel(hwnd, x + 2, y + 5), RGB(249, 229, 0)) << x << "," << y;
    EXPECT_EQ(standin::ReadPixel(hwnd, x + 0, y + 5), RGB(24, 24, 24)) << x << "," << y;
    EXPECT_EQ(standin::ReadPixel(hwnd, x + 5, y + 5), RGB(0, 0, 0)) << x << "," << y;
  }
  size_t Pushed() const { return session->UndoStack().size(); }
  std::unique_ptr<QVImage> image;
};

} // namespace

TEST_F(Markers, AMouseDownAddsAMarkerPushesItAndRedrawsTwentyAroundIt)
{
  ASSERT_TRUE(Down(12, 7));
  ASSERT_EQ(Pushed(), 1u);
  EXPECT_EQ(lvfx::Session::Describe(session->UndoStack()[0]).substr(0, 34), "kind 1 module 31 instance 0 new {1");
  EXPECT_EQ(lvfx::Session::Describe(session->Redraws().back()), "redraw((-8, -13, 32, 27), 0, 0, 0, 0, 0, 0)");
  // Other kinds add nothing.
  ASSERT_TRUE(session->PreviewEvent(kMouseDrag, 1, 1, nullptr, nullptr));
  ASSERT_TRUE(session->PreviewEvent(kMouseUp, 1, 1, nullptr, nullptr));
  ASSERT_TRUE(session->PreviewEvent(42, 1, 1, nullptr, nullptr));
  EXPECT_EQ(Pushed(), 1u);
}

TEST_F(Markers, PaintDrawsPicture106WhereTheViewShowsEachMarkerAtZoomsOneAndTwo)
{
  for (double zoom : {1.0, 2.0}) {
    SCOPED_TRACE(zoom);
    fxtest::View v(image.get(), zoom);
    HWND hwnd = BlackWindow(v.view.width, v.view.height);
    QVWindow window(hwnd);
    ASSERT_TRUE(Down(10, 7));
    ASSERT_TRUE(Down(30, 20));
    ASSERT_TRUE(session->PreviewEvent(kMousePaint, 0, 0, &window, &v.view));
    const int z = static_cast<int>(zoom);
    ExpectMarkerAt(hwnd, 10 * z - 5, 7 * z - 5);
    ExpectMarkerAt(hwnd, 30 * z - 5, 20 * z - 5);
    ASSERT_EQ(X().Revert(Index()), 1);
  }
}

TEST_F(Markers, PaintWithoutAWindowOrViewDrawsNothing)
{
  fxtest::View v(image.get(), 1);
  HWND hwnd = BlackWindow(40, 30);
  QVWindow window(hwnd);
  ASSERT_TRUE(Down(10, 10));
  ASSERT_TRUE(session->PreviewEvent(kMousePaint, 0, 0, nullptr, &v.view));
  ASSERT_TRUE(session->PreviewEvent(kMousePaint, 0, 0, &window, nullptr));
  EXPECT_EQ(standin::ReadPixel(hwnd, 7, 10), RGB(0, 0, 0));
}

TEST_F(Markers, TheCursorEventSetsTheModulesCursor103)
{
  ASSERT_TRUE(session->PreviewEvent(kMouseSetCursor, 0, 0, nullptr, nullptr));
  const standin::CursorInfo cursor = standin::CurrentCursor();
  EXPECT_EQ(cursor.module, module.Handle());
  EXPECT_EQ(cursor.id, 103);
}

TEST_F(Markers, TheListHoldsNoLessThanNoneAndNoMoreThan256)
{
  fxtest::View v(image.get(), 1);
  HWND hwnd = BlackWindow(40, 30);
  QVWindow window(hwnd);
  // Undo of a marker with none there (Despeckle's control 1 pushes kind 1
  // too) removes nothing, and the next marker is the list's first.
  ASSERT_TRUE(session->ControlEvent(1, 0));
  bool done = false;
  ASSERT_TRUE(session->UndoLast(&done));
  ASSERT_TRUE(session->UndoLast(&done) && !done);
  ASSERT_TRUE(Down(20, 15));
  ASSERT_TRUE(session->PreviewEvent(kMousePaint, 0, 0, &window, &v.view));
  ExpectMarkerAt(hwnd, 15, 10);

  for (int i = 1; i < 256; ++i)
    ASSERT_TRUE(Down(i % 40, 3));
  EXPECT_EQ(Pushed(), 256u);
  const size_t redraws = session->Redraws().size();
  ASSERT_TRUE(Down(5, 5));
  EXPECT_EQ(Pushed(), 256u) << "a full list takes no 257th marker";
  EXPECT_EQ(session->Redraws().size(), redraws);
  // A redo of kind 1 at 256 adds nothing either: undo one, add one, redo.
  ASSERT_TRUE(session->UndoLast(&done));
  const QVUndo_Item undone = session->RedoStack().back();
  ASSERT_TRUE(Down(39, 29));
  QVUndo_Item again(&undone);
  ASSERT_EQ(X().Undo(Index(), &again, 0), 1);
  ASSERT_TRUE(session->PreviewEvent(kMousePaint, 0, 0, &window, &v.view));
  EXPECT_EQ(standin::ReadPixel(hwnd, 34 + 2, 24 + 5), RGB(249, 229, 0)) << "the 256th marker is drawn";

  // Revert empties the list: paint draws nothing more, and a new marker is
  // the first again.
  ASSERT_EQ(X().Revert(Index()), 1);
  HWND fresh = BlackWindow(40, 30);
  QVWindow freshWindow(fresh);
  ASSERT_TRUE(session->PreviewEvent(kMousePaint, 0, 0, &freshWindow, &v.view));
  EXPECT_EQ(standin::ReadPixel(fresh, 17, 15), RGB(0, 0, 0));
  ASSERT_TRUE(Down(20, 15));
  ASSERT_TRUE(session->PreviewEvent(kMousePaint, 0, 0, &freshWindow, &v.view));
  ExpectMarkerAt(fresh, 15, 10);
}
