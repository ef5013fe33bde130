// The software GDI: surfaces and window records, device contexts, their
// state and objects, and the exact pixel rules of the shapes.
#include "drawing.h"
#include "win32/internal/surfacedc.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

TEST(Surfaces, WindowRecordsAreWhiteAndTheirHandlesNeverReturn)
{
  HWND a = standin::CreateSurfaceWindow(30, 20);
  RECT client;
  ASSERT_TRUE(GetClientRect(a, &client));
  EXPECT_EQ(client.right * 100 + client.bottom, 3020);
  EXPECT_EQ(standin::ReadPixel(a, 29, 19), kWhite);
  EXPECT_EQ(standin::ReadPixel(a, 30, 0), CLR_INVALID);
  HDC dc = GetDC(a);
  EXPECT_TRUE(standin::DestroySurfaceWindow(a));
  EXPECT_FALSE(IsWindow(a));
  EXPECT_EQ(GetDC(a), nullptr);
  // A context left on a destroyed window draws nothing and can still go.
  EXPECT_EQ(SetPixel(dc, 1, 1, kRed), CLR_INVALID);
  EXPECT_EQ(ReleaseDC(a, dc), 1);
  EXPECT_NE(standin::CreateSurfaceWindow(30, 20), a);
  EXPECT_EQ(standin::CreateSurfaceWindow(0, 5), nullptr);
  EXPECT_EQ(standin::CreateSurfaceWindow(100000, 100000), nullptr); // 40 GB
}
TEST_F(Drawing, ANewContextStartsInTheDocumentedStateAndSettersReturnWhatTheyReplace)
{
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT)), GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkColor(dc, kRed), kWhite);
  EXPECT_EQ(SetTextColor(dc, kBlue), kBlack);
  EXPECT_EQ(SetTextAlign(dc, TA_RIGHT | TA_BASELINE), UINT(TA_LEFT | TA_TOP));
  EXPECT_EQ(SetROP2(dc, R2_NOTXORPEN), R2_COPYPEN);
  EXPECT_EQ(SetStretchBltMode(dc, HALFTONE), COLORONCOLOR);
  POINT previous{-1, -1};
  EXPECT_TRUE(MoveToEx(dc, 5, 6, &previous));
  EXPECT_EQ(previous.x + previous.y, 0);

  EXPECT_EQ(SetBkColor(dc, kWhite), kRed);
  EXPECT_EQ(SetTextAlign(dc, TA_LEFT), UINT(TA_RIGHT | TA_BASELINE));
  MoveToEx(dc, 0, 0, &previous);
  EXPECT_EQ(previous.y, 6);
  // Modes we cannot draw with are refused and change nothing.
  EXPECT_EQ(SetROP2(dc, 7), 0);
  EXPECT_EQ(SetBkMode(dc, 3), 0);
  EXPECT_EQ(SetROP2(dc, R2_COPYPEN), R2_NOTXORPEN);
}

TEST_F(Drawing, SelectionReturnsThePreviousObjectAndBlocksDeletion)
{
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  EXPECT_EQ(SelectObject(dc, pen), pen);
  EXPECT_FALSE(DeleteObject(pen));
  // Selected into a second context too: free only once both let go.
  HDC other = GetDC(window);
  SelectObject(other, pen);
  EXPECT_EQ(SelectObject(dc, oldPen), pen);
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(ReleaseDC(window, other), 1);
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_FALSE(DeleteObject(pen));
  EXPECT_EQ(SelectObject(dc, pen), nullptr);

  // Stock objects survive deletion; palettes are not for SelectObject.
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
  LOGPALETTE palette{0x300, 1, {{1, 2, 3, 0}}};
  EXPECT_EQ(SelectObject(dc, CreatePalette(&palette)), nullptr);
}
TEST_F(Drawing, LinesLeaveOutTheirEndPoint)
{
  struct Case {
    int x0, y0, x1, y1;
  };
  for (const Case c :
       {Case{5, 5, 25, 5}, Case{30, 40, 30, 10}, Case{2, 2, 12, 12}, Case{40, 10, 3, 20}, Case{10, 40, 14, 2}}) {
    SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1);
    Clear();
    MoveToEx(dc, c.x0, c.y0, nullptr);
    EXPECT_TRUE(LineTo(dc, c.x1, c.y1));
    const int dx = std::abs(c.x1 - c.x0), dy = std::abs(c.y1 - c.y0);
    const PixelSet ink = Ink();
    // One pixel per step along the longer axis, the start but not the end.
    EXPECT_EQ(ink.size(), size_t(std::max(dx, dy)));
    EXPECT_TRUE(ink.count({c.x0, c.y0}));
    EXPECT_FALSE(ink.count({c.x1, c.y1}));
    std::set<int> majors;
    for (const auto& [x, y] : ink)
      majors.insert(dx >= dy ? x : y);
    EXPECT_EQ(majors.size(), ink.size()) << "a pixel per column (or row), no more";
    POINT at;
    MoveToEx(dc, 0, 0, &at);
    EXPECT_EQ(at.x, c.x1);
    EXPECT_EQ(at.y, c.y1);
  }
  // A line to where the pen already is draws nothing.
  MoveToEx(dc, 7, 7, nullptr);
  Clear();
  LineTo(dc, 7, 7);
  EXPECT_TRUE(Ink().empty());
}

TEST_F(Drawing, AWidePenStampsASquareOnEachPoint)
{
  SelectObject(dc, CreatePen(PS_SOLID, 3, kBlue));
  MoveToEx(dc, 10, 10, nullptr);
  LineTo(dc, 20, 10);
  // Points x = 10..19 on row 10, each a 3 x 3 square centred on it.
  EXPECT_EQ(Where(kBlue), Box(9, 9, 21, 12));
}
TEST_F(Drawing, BezierCurvesDrawBothEndsAndStayInTheirControlBox)
{
  struct Case {
    std::vector<POINT> points;
    int penWidth;
  };
  const std::vector<Case> cases = {
      {{{4, 40}, {10, 2}, {50, 2}, {60, 40}}, 1},                               // an arch
      {{{5, 5}, {60, 45}, {5, 45}, {58, 6}}, 1},                                // an S that crosses itself
      {{{10, 30}, {10, 30}, {10, 30}, {11, 31}}, 1},                            // all but one point equal
      {{{3, 24}, {20, 4}, {30, 44}, {32, 24}, {40, 4}, {52, 44}, {61, 20}}, 3}, // two segments
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "first point " << c.points[0].x << "," << c.points[0].y);
    Clear();
    SelectObject(dc, CreatePen(PS_SOLID, c.penWidth, kBlue));
    MoveToEx(dc, 1, 1, nullptr);
    ASSERT_TRUE(PolyBezier(dc, c.points.data(), DWORD(c.points.size())));
    const PixelSet ink = Ink();
    EXPECT_TRUE(ink.count({c.points.front().x, c.points.front().y}));
    EXPECT_TRUE(ink.count({c.points.back().x, c.points.back().y}));
    EXPECT_FALSE(ink.count({1, 1})) << "the current position is not a start";
    int left = c.points[0].x, right = left, top = c.points[0].y, bottom = top;
    for (const POINT& p : c.points) {
      left = std::min(left, int(p.x)), right = std::max(right, int(p.x));
      top = std::min(top, int(p.y)), bottom = std::max(bottom, int(p.y));
    }
    for (const auto& [x, y] : ink)
      EXPECT_TRUE(x >= left - c.penWidth && x <= right + c.penWidth && y >= top - c.penWidth &&
                  y <= bottom + c.penWidth)
          << x << "," << y;
    POINT at;
    MoveToEx(dc, 0, 0, &at);
    EXPECT_EQ(at.x * 100 + at.y, 101) << "the current position is not moved";
    // The same curve again gives the same pixels.
    Clear();
    PolyBezier(dc, c.points.data(), DWORD(c.points.size()));
    EXPECT_EQ(Ink(), ink);
    DeleteObject(SelectObject(dc, GetStockObject(BLACK_PEN)));
  }
}

TEST_F(Drawing, ABezierWithCollinearControlPointsIsTheStraightLine)
{
  const POINT points[] = {{5, 10}, {20, 16}, {35, 22}, {55, 30}};
  PolyBezier(dc, points, 4);
  const PixelSet curve = Ink();
  Clear();
  MoveToEx(dc, 5, 10, nullptr);
  LineTo(dc, 55, 30);
  SetPixel(dc, 55, 30, kBlack);
  const PixelSet line = Ink();
  // Every pixel of either lies within 1 px of a pixel of the other, and the
  // curve has one pixel per column, as the line does.
  auto near = [](const PixelSet& set, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (set.count({x + dx, y + dy}))
          return true;
    return false;
  };
  for (const auto& [x, y] : curve)
    EXPECT_TRUE(near(line, x, y)) << x << "," << y;
  for (const auto& [x, y] : line)
    EXPECT_TRUE(near(curve, x, y)) << x << "," << y;
  std::set<int> columns;
  for (const auto& [x, y] : curve)
    columns.insert(x);
  EXPECT_EQ(columns.size(), curve.size());
  EXPECT_EQ(curve.size(), size_t(55 - 5 + 1));
}

TEST_F(Drawing, ABezierDrawsEachPixelOnceAndRefusesBadCounts)
{
  // Drawn twice in R2_NOTXORPEN, every pixel is back: none was drawn twice
  // by one call, not even where the curve crosses itself.
  const std::vector<COLORREF> before = Snapshot();
  const POINT loop[] = {{5, 5}, {60, 45}, {5, 45}, {58, 6}, {30, 0}, {2, 30}, {40, 40}};
  SetROP2(dc, R2_NOTXORPEN);
  for (int width : {1, 4}) {
    SelectObject(dc, CreatePen(PS_SOLID, width, RGB(12, 34, 56)));
    PolyBezier(dc, loop, 7);
    EXPECT_EQ(At(5, 5), RGB(12, 34, 56));
    PolyBezier(dc, loop, 7);
    EXPECT_EQ(Snapshot(), before) << "pen width " << width;
    DeleteObject(SelectObject(dc, GetStockObject(BLACK_PEN)));
  }
  SetROP2(dc, R2_COPYPEN);
  for (DWORD count : {0u, 1u, 3u, 5u, 6u}) {
    SetLastError(0);
    EXPECT_FALSE(PolyBezier(dc, loop, count)) << count;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  EXPECT_FALSE(PolyBezier(dc, nullptr, 4));
  EXPECT_FALSE(PolyBezier(reinterpret_cast<HDC>(uintptr_t(0x5151)), loop, 4));
  EXPECT_TRUE(Ink().empty());
  // Extreme coordinates finish quickly and draw only what the surface shows.
  const POINT huge[] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MAX}};
  EXPECT_TRUE(PolyBezier(dc, huge, 4));
}

TEST_F(Drawing, RectangleFillRectAndFrameRectCoverExactlyTheirPixels)
{
  HPEN pen = CreatePen(PS_SOLID, 0, kRed); // width 0 counts as 1
  HBRUSH brush = CreateSolidBrush(kGreen);
  SelectObject(dc, pen);
  SelectObject(dc, brush);
  ASSERT_TRUE(Rectangle(dc, 30, 20, 10, 5)); // corners in either order
  // The pen on columns 10 and 29, rows 5 and 19; the brush inside them.
  PixelSet border = Box(10, 5, 30, 20);
  const PixelSet inside = Box(11, 6, 29, 19);
  for (const auto& p : inside)
    border.erase(p);
  EXPECT_EQ(Where(kRed), border);
  EXPECT_EQ(Where(kGreen), inside);
  EXPECT_EQ(Ink().size(), border.size() + inside.size());

  // NULL_BRUSH leaves the inside alone; NULL_PEN gives the brush the whole box.
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 40, 5, 45, 10);
  EXPECT_EQ(At(42, 7), kWhite);
  EXPECT_EQ(At(44, 9), kRed);
  SelectObject(dc, GetStockObject(NULL_PEN));
  SelectObject(dc, brush);
  Rectangle(dc, 50, 30, 54, 33);
  EXPECT_EQ(Where(kGreen).size(), inside.size() + Box(50, 30, 54, 33).size());
  EXPECT_EQ(At(53, 32), kGreen);

  // FillRect: [left, right) x [top, bottom). FrameRect: the ring just inside.
  RECT fill{2, 30, 6, 33}, frame{10, 30, 16, 36};
  EXPECT_EQ(FillRect(dc, &fill, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  EXPECT_EQ(FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 1);
  PixelSet ring = Box(10, 30, 16, 36);
  for (const auto& p : Box(11, 31, 15, 35))
    ring.erase(p);
  PixelSet black = Box(2, 30, 6, 33);
  black.insert(ring.begin(), ring.end());
  EXPECT_EQ(Where(kBlack), black);
  EXPECT_EQ(FillRect(dc, &fill, nullptr), 0);

  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(pen);
  DeleteObject(brush);
}

TEST_F(Drawing, EllipsesAreSymmetricAndStayInTheirBox)
{
  HBRUSH brush = CreateSolidBrush(kGreen);
  SelectObject(dc, brush);
  const RECT boxes[] = {{4, 4, 40, 30}, {5, 6, 16, 17}, {20, 2, 21, 12}, {1, 1, 63, 47}, {10, 10, 14, 12}};
  for (const RECT& b : boxes) {
    SCOPED_TRACE(testing::Message() << b.left << "," << b.top << "," << b.right << "," << b.bottom);
    Clear();
    ASSERT_TRUE(Ellipse(dc, b.left, b.top, b.right, b.bottom));
    const PixelSet ink = Ink();
    ASSERT_FALSE(ink.empty());
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    for (const auto& [x, y] : ink) {
      // Mirrored in the box's vertical and horizontal middle lines.
      EXPECT_TRUE(ink.count({b.left + b.right - 1 - x, y}));
      EXPECT_TRUE(ink.count({x, b.top + b.bottom - 1 - y}));
      EXPECT_EQ(At(x, y), At(b.left + b.right - 1 - x, b.top + b.bottom - 1 - y));
      minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    // Inside the box and touching all four of its sides.
    EXPECT_EQ(minX, b.left);
    EXPECT_EQ(maxX, b.right - 1);
    EXPECT_EQ(minY, b.top);
    EXPECT_EQ(maxY, b.bottom - 1);
    // The outline is the pen's, and a large ellipse has a filled inside.
    EXPECT_EQ(At((b.left + b.right) / 2, b.top), kBlack);
    if (b.right - b.left > 8 && b.bottom - b.top > 8) {
      EXPECT_EQ(At((b.left + b.right) / 2, (b.top + b.bottom) / 2), kGreen);
    }
  }
  // A circle is the same across its diagonal.
  Clear();
  Ellipse(dc, 3, 3, 33, 33);
  for (const auto& [x, y] : Ink())
    EXPECT_EQ(At(x, y), At(y, x));
  // A wide pen is cut at the box.
  Clear();
  SelectObject(dc, CreatePen(PS_SOLID, 5, kBlue));
  Ellipse(dc, 10, 10, 30, 25);
  for (const auto& [x, y] : Ink())
    EXPECT_TRUE(x >= 10 && x < 30 && y >= 10 && y < 25);
}

TEST_F(Drawing, NotXorDrawnTwiceRestoresTheSurface)
{
  HBRUSH brush = CreateSolidBrush(RGB(90, 180, 45));
  RECT under{8, 4, 40, 30};
  FillRect(dc, &under, brush); // something other than white underneath
  const std::vector<COLORREF> before = Snapshot();
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(12, 34, 56));
  HPEN wide = CreatePen(PS_SOLID, 4, RGB(200, 100, 50));
  SelectObject(dc, brush);
  SetROP2(dc, R2_NOTXORPEN);
  auto draw = [&] {
    SelectObject(dc, pen);
    MoveToEx(dc, 2, 3, nullptr);
    LineTo(dc, 60, 40);
    Ellipse(dc, 20, 10, 60, 45);
    SelectObject(dc, wide);
    LineTo(dc, 3, 44);
    Rectangle(dc, 30, 20, 50, 40);
  };
  draw();
  // NOT(white XOR c) = c, per channel.
  EXPECT_EQ(At(2, 3), RGB(12, 34, 56));
  draw();
  EXPECT_EQ(Snapshot(), before);

  // FillRect and SetPixel ignore the mix mode.
  RECT r{0, 40, 4, 44};
  FillRect(dc, &r, brush);
  EXPECT_EQ(At(1, 41), RGB(90, 180, 45));
}

TEST_F(Drawing, PaintingIsClippedToTheUpdateRectangle)
{
  ReleaseDC(window, dc);
  dc = nullptr;
  const RECT update{10, 8, 30, 20};
  ASSERT_TRUE(standin::SetUpdateRect(window, &update));
  PAINTSTRUCT paint;
  HDC pdc = BeginPaint(window, &paint);
  ASSERT_NE(pdc, nullptr);
  EXPECT_EQ(paint.hdc, pdc);
  EXPECT_EQ(paint.rcPaint.left, 10);
  EXPECT_EQ(paint.rcPaint.bottom, 20);

  SelectObject(pdc, CreatePen(PS_SOLID, 7, kBlue));
  SelectObject(pdc, GetStockObject(BLACK_BRUSH));
  RECT all{-100, -100, 1000, 1000};
  FillRect(pdc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  Rectangle(pdc, -5, -5, 200, 200);
  Ellipse(pdc, 0, 0, kWidth, kHeight);
  MoveToEx(pdc, INT_MIN, INT_MIN, nullptr); // extreme coordinates finish quickly
  LineTo(pdc, INT_MAX, INT_MAX);
  MoveToEx(pdc, INT_MIN, 15, nullptr);
  LineTo(pdc, INT_MAX, 16);
  Ellipse(pdc, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  Rectangle(pdc, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(SetPixel(pdc, 9, 8, kRed), CLR_INVALID);
  EXPECT_EQ(GetPixel(pdc, 30, 10), CLR_INVALID);
  EXPECT_EQ(SetPixel(pdc, 10, 8, kRed), kRed);
  EXPECT_EQ(GetPixel(pdc, 10, 8), kRed);
  SetBkColor(pdc, kRed);
  TextOutA(pdc, 0, 10, "Clipped text", 12);
  EXPECT_TRUE(EndPaint(window, &paint));

  for (const auto& [x, y] : Ink())
    EXPECT_TRUE(x >= 10 && x < 30 && y >= 8 && y < 20) << x << "," << y;
  EXPECT_EQ(Ink().size(), Box(10, 8, 30, 20).size());

  // BeginPaint emptied the update region: the next paint draws nothing.
  pdc = BeginPaint(window, &paint);
  EXPECT_EQ(paint.rcPaint.right, 0);
  EXPECT_EQ(SetPixel(pdc, 0, 0, kRed), CLR_INVALID);
  EXPECT_FALSE(EndPaint(nullptr, &paint));
  EXPECT_TRUE(EndPaint(window, &paint));
}

TEST(Screen, TheScreenIsDrawableAtTheConfiguredSize)
{
  standin::SetScreen(200, 100, 24);
  HDC screen = GetDC(nullptr);
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  SetPixel(screen, 199, 99, kRed);
  EXPECT_EQ(SetPixel(display, 200, 0, kRed), CLR_INVALID);
  EXPECT_EQ(GetPixel(display, 199, 99), kRed);
  EXPECT_EQ(standin::ReadPixel(standin::SurfaceTarget::Screen(), 199, 99), kRed);
  // A new size is a new screen in the desktop colour; contexts follow it.
  standin::SetScreen(300, 150, 32);
  EXPECT_EQ(GetPixel(display, 199, 99), RGB(0, 128, 128));
  EXPECT_EQ(SetPixel(screen, 299, 149, kBlue), kBlue);
  EXPECT_FALSE(DeleteDC(screen)); // GetDC contexts are released, not deleted
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_TRUE(DeleteDC(display));
}
TEST(Surfaces, SurfaceContextsDrawIntoTheCallersPixels)
{
  // 5 x 3 pixels in rows of 24 bytes: 4 bytes of padding each.
  std::vector<BYTE> pixels(24 * 3, 0x11);
  HDC dc = standin::CreateSurfaceDC(pixels.data(), 5, 3, 24);
  RECT all{-1, -1, 10, 10};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetPixel(dc, 4, 2, RGB(1, 2, 3));
  EXPECT_EQ(pixels[2 * 24 + 16] * 100 + pixels[2 * 24 + 18], 301); // B, G, R
  // Untouched: 4 padding bytes a row and the unused byte of 15 pixels.
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0x11), 3 * 4 + 15);
  standin::DCSurface surface;
  ASSERT_TRUE(standin::GetDCSurface(dc, &surface));
  EXPECT_EQ(surface.pixels, pixels.data());
  EXPECT_EQ(surface.clip.right, 5);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(standin::CreateSurfaceDC(pixels.data(), 7, 3, 24), nullptr); // rows too short
}
