// Fonts and text: deterministic extents, placement by alignment, drawing
// inside the text cell, and what happens without the font files.
#include "drawing.h"
#include "lvxtest/testenv.h"

#include <climits>
#include <string>

namespace {

SIZE Extent(HDC dc, const std::string& text)
{
  SIZE size{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size));
  return size;
}

HFONT Font(int height, int weight = FW_NORMAL, bool italic = false)
{
  return CreateFontA(height, 0, 0, 0, weight, italic, 0, 0, 0, 0, 0, 0, 0, "Arial");
}

// The bounding box of a set of pixels.
RECT Bounds(const PixelSet& pixels)
{
  RECT r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (const auto& [x, y] : pixels) {
    r.left = std::min<LONG>(r.left, x);
    r.top = std::min<LONG>(r.top, y);
    r.right = std::max<LONG>(r.right, x + 1);
    r.bottom = std::max<LONG>(r.bottom, y + 1);
  }
  return r;
}

} // namespace

TEST_F(Drawing, TextExtentsAreAdditiveAndUseTheCellHeight)
{
  // The initial font, the default GUI font and height 0 all have cell 13.
  const SIZE initial = Extent(dc, "Lumivex");
  EXPECT_EQ(initial.cy, 13);
  HGDIOBJ old = SelectObject(dc, Font(0));
  EXPECT_EQ(Extent(dc, "Lumivex").cx, initial.cx);

  for (const int height : {12, 16, 24}) {
    SelectObject(dc, Font(height));
    const SIZE whole = Extent(dc, "Tonal Range");
    EXPECT_EQ(whole.cy, height);
    // Whole-pixel advances without kerning: the parts add up exactly.
    EXPECT_EQ(Extent(dc, "Tonal").cx + Extent(dc, " Range").cx, whole.cx);
    EXPECT_EQ(Extent(dc, "AV").cx, Extent(dc, "A").cx + Extent(dc, "V").cx);
    SelectObject(dc, Font(height, FW_BOLD));
    EXPECT_GE(Extent(dc, "Tonal Range").cx, whole.cx);
    SelectObject(dc, Font(height, FW_NORMAL, true)); // slanted, not wider
    EXPECT_EQ(Extent(dc, "Tonal Range").cx, whole.cx);
  }
  // A negative height is the em: the cell around it is taller.
  SelectObject(dc, Font(-20));
  EXPECT_GT(Extent(dc, "x").cy, 20);
  SelectObject(dc, old);
  EXPECT_EQ(Font(100000), nullptr);
}
TEST_F(Drawing, TextIsDrawnInsideItsCellByTheAlignment)
{
  HFONT font = Font(20);
  SelectObject(dc, font);
  const SIZE cell = Extent(dc, "Wag");
  ASSERT_GT(cell.cx, 10);
  SetBkMode(dc, TRANSPARENT);

  struct Case {
    UINT align;
    int x, y;      // the reference point
    int left, top; // where the cell must start
  };
  const int w = cell.cx, h = cell.cy;
  for (const Case c : {Case{TA_LEFT | TA_TOP, 8, 30, 8, 30}, Case{TA_RIGHT | TA_TOP, 56, 30, 56 - w, 30},
                       Case{TA_CENTER | TA_TOP, 32, 30, 32 - w / 2, 30}, Case{TA_LEFT | TA_BOTTOM, 8, 30, 8, 30 - h}}) {
    SCOPED_TRACE(c.align);
    Clear();
    SetTextAlign(dc, c.align);
    ASSERT_TRUE(TextOutA(dc, c.x, c.y, "Wag", 3));
    const PixelSet ink = Ink();
    ASSERT_FALSE(ink.empty());
    const RECT box = Bounds(ink);
    EXPECT_GE(box.left, c.left);
    EXPECT_LE(box.right, c.left + cell.cx);
    EXPECT_GE(box.top, c.top);
    EXPECT_LE(box.bottom, c.top + cell.cy);
    // The glyphs fill most of the cell: 'W' starts near its left, 'g' goes
    // below the baseline.
    EXPECT_LE(box.left, c.left + 2);
    EXPECT_GE(box.bottom, c.top + cell.cy - 5);
  }
  // From the baseline, the cell rises above the reference point.
  Clear();
  SetTextAlign(dc, TA_LEFT | TA_BASELINE);
  TextOutA(dc, 10, 30, "W", 1);
  const RECT glyph = Bounds(Ink());
  EXPECT_EQ(glyph.bottom, 30) << "W sits on the baseline";
  EXPECT_GT(glyph.top, 30 - h);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DeleteObject(font);
}

TEST_F(Drawing, TextIsAntiAliasedInTheTextColourOverAnOpaqueCell)
{
  SetTextColor(dc, kRed);
  SetBkColor(dc, kBlue);
  const SIZE cell = Extent(dc, "Enhance");
  TextOutA(dc, 5, 6, "Enhance", 7);
  // OPAQUE: every pixel of the cell is background, glyph or a blend of
  // the two; nothing outside the cell changed.
  EXPECT_EQ(Ink(), Box(5, 6, 5 + cell.cx, 6 + cell.cy));
  int pure = 0, blended = 0;
  for (const auto& [x, y] : Ink()) {
    const COLORREF c = At(x, y);
    EXPECT_EQ(GetGValue(c), 0);
    // Coverage a mixes red over blue as R = a, B = 255 - a.
    EXPECT_EQ(GetRValue(c) + GetBValue(c), 255);
    pure += c == kRed;
    blended += c != kRed && c != kBlue;
  }
  EXPECT_GT(pure, 0);
  EXPECT_GT(blended, 0) << "edges are anti-aliased";

  // TRANSPARENT leaves the cell's background alone.
  Clear();
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 5, 6, "Enhance", 7);
  EXPECT_TRUE(Where(kBlue).empty());
  EXPECT_FALSE(Ink().empty());
  EXPECT_FALSE(Where(kWhite).empty());

  // Windows-1252: the euro sign (0x80) has a glyph.
  Clear();
  TextOutA(dc, 5, 6, "\x80", 1);
  EXPECT_FALSE(Ink().empty());
  EXPECT_GT(Extent(dc, "\x80").cx, 0);
}

TEST_F(Drawing, WithoutFontFilesTextDrawsNothingAndSaysWhichPackageOnce)
{
  standin::SetFontDirectory(lvxtest::TempDir().c_str());
  testing::internal::CaptureStderr();
  EXPECT_EQ(Extent(dc, "Lumivex").cx, 0);
  EXPECT_EQ(Extent(dc, "Lumivex").cy, 0);
  SetBkColor(dc, kBlue);
  EXPECT_TRUE(TextOutA(dc, 5, 5, "Lumivex", 7));
  HFONT bold = Font(16, FW_BOLD);
  SelectObject(dc, bold);
  TextOutA(dc, 5, 25, "Lumivex", 7);
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(Ink().empty());
  const size_t first = messages.find("fonts-liberation");
  EXPECT_NE(first, std::string::npos) << messages;
  EXPECT_EQ(messages.find("fonts-liberation", first + 1), std::string::npos) << "only once";
}
