// Painting through the window manager: exact update regions, erasing,
// paint order, surfaces of their own, redraw flags, the runaway guard,
// timers and snapshots.
#include "lvxtest/testenv.h"
#include "wintest.h"

#include <png.h>

using Painting = WindowTest;

namespace {

long Area(const std::vector<RECT>& region)
{
  long area = 0;
  for (const RECT& r : region)
    area += long(r.right - r.left) * (r.bottom - r.top);
  return area;
}

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

} // namespace

TEST_F(Painting, ShadowStripsAroundAChildRepaintExactlyAndLeaveItAlone)
{
  HWND parent = Top(0, 0, 100, 100);
  HWND child = Child(parent, 20, 20, 40, 40);
  PaintColors()[child] = kBlue;
  UpdateWindow(parent);
  PaintColors()[parent] = kRed;
  // The child's right and bottom shadow strips, 10 pixels wide.
  const RECT right{60, 20, 70, 70}, bottom{20, 60, 70, 70};
  InvalidateRect(parent, &right, TRUE);
  InvalidateRect(parent, &bottom, TRUE);
  EXPECT_EQ(Area(standin::UpdateRegion(parent)), 10 * 50 + 40 * 10) << "a region, not a bounding box";
  EXPECT_TRUE(standin::UpdateRegion(child).empty());
  UpdateWindow(parent);
  EXPECT_EQ(standin::ReadPixel(parent, 65, 65), kRed);
  EXPECT_EQ(standin::ReadPixel(parent, 30, 30), kBlue) << "the parent did not paint over its child";
  EXPECT_EQ(standin::ReadPixel(parent, 65, 10), RGB(255, 255, 255));
}

TEST_F(Painting, InvalidatingAParentReachesTheChildrenButNeverTheOtherWay)
{
  HWND parent = Top(0, 0, 100, 100);
  HWND child = Child(parent, 20, 20, 40, 40, WS_CHILD | WS_VISIBLE | WS_BORDER);
  HWND hidden = Child(parent, 0, 0, 30, 30, WS_CHILD);
  standin::Pump();
  const RECT corner{0, 0, 30, 30};
  InvalidateRect(parent, &corner, FALSE);
  // The child's client starts at (21, 21): the overlap is (0, 0, 9, 9).
  const std::vector<RECT> region = standin::UpdateRegion(child);
  ASSERT_EQ(region.size(), 1u);
  EXPECT_EQ((std::vector<LONG>{region[0].left, region[0].top, region[0].right, region[0].bottom}),
            (std::vector<LONG>{0, 0, 9, 9}));
  EXPECT_FALSE(standin::ErasePending(child));
  EXPECT_TRUE(standin::UpdateRegion(hidden).empty());
  standin::Pump();
  InvalidateRect(child, nullptr, TRUE);
  EXPECT_TRUE(standin::UpdateRegion(parent).empty());
  EXPECT_TRUE(standin::ErasePending(child));
}

TEST_F(Painting, UpdateWindowPaintsAtOnceInPaintOrderAndTheLaterSiblingShows)
{
  HWND parent = Top(0, 0, 100, 100);
  HWND first = Child(parent, 10, 10, 40, 40);
  HWND second = Child(parent, 30, 30, 40, 40);
  PaintColors()[parent] = kGreen;
  PaintColors()[first] = kRed;
  PaintColors()[second] = kBlue;
  standin::ClearMessageTrace();
  UpdateWindow(parent);
  EXPECT_EQ(Sequence({WM_PAINT}),
            (std::vector<std::pair<HWND, UINT>>{{parent, WM_PAINT}, {first, WM_PAINT}, {second, WM_PAINT}}));
  EXPECT_EQ(standin::ReadPixel(parent, 40, 40), kBlue);
  EXPECT_EQ(standin::PaintCount(first), 1);
  // Hit-testing picks the first-created sibling where they overlap.
  standin::Click(parent, 40, 40);
  standin::Pump();
  EXPECT_EQ(MessagesTo(first, {WM_LBUTTONDOWN}).size(), 1u);
  EXPECT_TRUE(MessagesTo(second, {WM_LBUTTONDOWN}).empty());
}

TEST_F(Painting, EraseUsesTheClassBrushAndBeginPaintReportsTheRegion)
{
  HWND w = Top(0, 0, 60, 40);
  standin::Pump();
  PAINTSTRUCT paint{};
  const RECT a{5, 5, 10, 10}, b{20, 20, 30, 25};
  Handlers()[w] = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_PAINT)
      return std::nullopt;
    BeginPaint(h, &paint);
    // Invalidations made while painting wait for the next paint.
    InvalidateRect(h, &a, FALSE);
    EndPaint(h, &paint);
    return 0;
  };
  HDC dc = GetDC(w);
  FillClient(dc, w, kRed);
  ReleaseDC(w, dc);
  InvalidateRect(w, &a, TRUE);
  InvalidateRect(w, &b, TRUE);
  UpdateWindow(w);
  EXPECT_EQ((std::vector<LONG>{paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom}),
            (std::vector<LONG>{5, 5, 30, 25}));
  EXPECT_FALSE(paint.fErase) << "the class brush erased it";
  EXPECT_EQ(standin::ReadPixel(w, 7, 7), RGB(255, 255, 255));
  EXPECT_EQ(standin::ReadPixel(w, 15, 15), kRed) << "inside the bounding box, outside the region";
  EXPECT_EQ(Area(standin::UpdateRegion(w)), 25);
  // A class without a brush leaves erasing to the window.
  HWND plain = Top(100, 0, 20, 20, WS_POPUP | WS_VISIBLE, nullptr, 0, "Plain");
  Handlers()[plain] = Handlers()[w];
  UpdateWindow(plain);
  EXPECT_TRUE(paint.fErase);
}

TEST_F(Painting, OverlappingTopLevelWindowsKeepTheirOwnSurfaces)
{
  HWND below = Top(0, 0, 100, 100);
  HWND above = Top(50, 50, 100, 100);
  PaintColors()[below] = kRed;
  PaintColors()[above] = kBlue;
  standin::Pump();
  SetWindowPos(above, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  standin::Pump();
  const standin::PixelView view = standin::ViewPixels(below);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x)
      ASSERT_EQ(view.At(x, y), kRed) << x << "," << y;
  const standin::SurfaceTarget screen = standin::SurfaceTarget::Screen();
  EXPECT_EQ(standin::ReadPixel(screen, 60, 60), kBlue);
  EXPECT_EQ(standin::ReadPixel(screen, 30, 30), kRed);
  EXPECT_EQ(standin::ReadPixel(screen, 300, 300), RGB(0, 128, 128)) << "the desktop";
  SetActiveWindow(below);
  EXPECT_EQ(standin::ReadPixel(screen, 60, 60), kRed) << "activation raised it";
  ShowWindow(below, SW_SHOWMINIMIZED);
  EXPECT_EQ(standin::ReadPixel(screen, 30, 30), RGB(0, 128, 128)) << "a minimised window draws nothing";
}

TEST_F(Painting, NoRedrawInvalidatesNothingAndAMoveRepaintsWhereTheWindowWas)
{
  HWND parent = Top(0, 0, 100, 100);
  HWND child = Child(parent, 0, 0, 20, 20);
  standin::Pump();
  standin::ClearMessageTrace();
  SetWindowPos(child, nullptr, 10, 0, 20, 20, SWP_NOZORDER | SWP_NOREDRAW);
  EXPECT_TRUE(standin::UpdateRegion(parent).empty());
  EXPECT_TRUE(standin::UpdateRegion(child).empty());
  EXPECT_EQ(MessagesTo(child, {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_SIZE, WM_MOVE}));
  SetWindowPos(child, nullptr, 20, 0, 20, 20, SWP_NOZORDER);
  EXPECT_EQ(Area(standin::UpdateRegion(child)), 400);
  EXPECT_EQ(Area(standin::UpdateRegion(parent)), 10 * 20) << "the strip it left";
  EXPECT_TRUE(standin::ErasePending(parent));
}

TEST_F(Painting, APaintThatNeverValidatesEndsTheLoopWithAFailure)
{
  HWND w = Top(0, 0, 20, 20);
  Handlers()[w] = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    return m == WM_PAINT ? std::optional<LRESULT>(0) : std::nullopt;
  };
  MSG msg;
  int paints = 0;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    paints += msg.message == WM_PAINT;
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(paints, 99);
  EXPECT_EQ(msg.wParam, WPARAM(-1));
  ASSERT_EQ(standin::Failures().size(), 1u);
  EXPECT_NE(standin::Failures()[0].find("100 times"), std::string::npos);
  EXPECT_TRUE(standin::UpdateRegion(w).empty()) << "validated";
  standin::ClearFailures();
}

TEST_F(Painting, TimersTickOnTheVirtualClock)
{
  HWND w = Top(0, 0, 20, 20);
  standin::Pump();
  EXPECT_EQ(SetTimer(w, 4, 30, nullptr), 4u);
  SetTimer(w, 5, 1, nullptr); // at least 10 ms
  standin::AdvanceClock(9);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  standin::AdvanceClock(21);
  std::vector<WPARAM> ticks;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    EXPECT_EQ(msg.message, UINT(WM_TIMER));
    EXPECT_EQ(msg.lParam, 0);
    ticks.push_back(msg.wParam);
  }
  EXPECT_EQ(ticks, (std::vector<WPARAM>{5, 4})) << "one pending tick each, the earliest first";
  standin::AdvanceClock(10);
  EXPECT_TRUE(KillTimer(w, 5));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "its pending tick went with it";
  EXPECT_FALSE(KillTimer(w, 5));
  EXPECT_EQ(GetTickCount(), 40u);
}

TEST_F(Painting, SnapshotsDecodeToTheWindowsPixels)
{
  HWND w = CreateWindowExA(0, "Probe", "Snap", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 10, 10, 80, 60, nullptr,
                           nullptr, nullptr, nullptr);
  PaintColors()[w] = kRed;
  standin::Pump();
  auto decode = [](const std::string& path, int* width) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<BYTE> rgb;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
      return rgb;
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
    *width = int(image.width);
    return rgb;
  };
  const std::string client = lvxtest::TempDir() + "/client.png";
  const std::string whole = lvxtest::TempDir() + "/whole.png";
  const std::string screen = lvxtest::TempDir() + "/screen.png";
  ASSERT_TRUE(standin::SnapshotPng(w, client.c_str()));
  ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Whole(w), whole.c_str()));
  ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Screen(), screen.c_str()));
  int width = 0;
  auto at = [&](const std::vector<BYTE>& rgb, int x, int y) {
    const BYTE* p = rgb.data() + (size_t(y) * width + x) * 3;
    return RGB(p[0], p[1], p[2]);
  };
  std::vector<BYTE> rgb = decode(client, &width);
  EXPECT_EQ(width, 74);
  EXPECT_EQ(at(rgb, 0, 0), kRed);
  rgb = decode(whole, &width);
  EXPECT_EQ(width, 80);
  EXPECT_EQ(at(rgb, 10, 5), RGB(0, 0, 128)) << "the active caption";
  rgb = decode(screen, &width);
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(at(rgb, 0, 0), RGB(0, 128, 128));
  EXPECT_EQ(at(rgb, 10 + 3, 10 + 22), kRed);
}
