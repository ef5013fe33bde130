#pragma once
// Helpers for the drawing tests: a white window with a device context, and
// ways to look at what landed on it.
#include "win32/automation.h"
#include "win32/drawing.h"
#include "win32/gdi.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kBlue = 0xFF0000;

using PixelSet = std::set<std::pair<int, int>>; // (x, y)

class Drawing : public ::testing::Test {
protected:
  void SetUp() override
  {
    window = standin::CreateSurfaceWindow(kWidth, kHeight);
    ASSERT_NE(window, nullptr);
    dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
  }
  void TearDown() override
  {
    if (dc)
      ReleaseDC(window, dc);
    standin::DestroySurfaceWindow(window);
  }

  // Back to white.
  void Clear()
  {
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }

  COLORREF At(int x, int y) const { return standin::ReadPixel(window, x, y); }

  // Every pixel of the given colour (or, with `other`, of any other colour).
  PixelSet Where(COLORREF color, bool other = false) const
  {
    PixelSet found;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if ((At(x, y) == color) != other)
          found.insert({x, y});
    return found;
  }
  PixelSet Ink() const { return Where(kWhite, true); }

  // The pixels of [left, right) x [top, bottom).
  static PixelSet Box(int left, int top, int right, int bottom)
  {
    PixelSet box;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        box.insert({x, y});
    return box;
  }

  std::vector<COLORREF> Snapshot() const
  {
    std::vector<COLORREF> all;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        all.push_back(At(x, y));
    return all;
  }

  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;
  HWND window = nullptr;
  HDC dc = nullptr;
};
