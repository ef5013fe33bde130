// Device-independent bitmaps in and out: the source-row rule of
// SetDIBitsToDevice, stretching, memory bitmaps, palettes and snapshots.
#include "drawing.h"
#include "lvxtest/testenv.h"
#include "win32/dibs.h"

#include <cstring>
#include <png.h>

namespace {

// A packed DIB made from a top-down picture: header, colour table, rows.
struct Dib {
  std::vector<BYTE> header; // the header and its colour table
  std::vector<BYTE> bits;
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(header.data()); }
};

// The test picture: a colour per pixel, or for 1, 4 and 8 bits an index into
// `palette` (whose colours are then what must appear).
COLORREF Direct(int x, int y) { return RGB(BYTE(x * 19 + 3), BYTE(y * 37 + 5), BYTE((x + y) * 11)); }
int Index(int x, int y, size_t count) { return int((x * 3 + y * 5) % count); }
std::vector<COLORREF> Palette(int bits)
{
  std::vector<COLORREF> colors;
  for (int i = 0; i < (1 << bits); ++i)
    colors.push_back(RGB(BYTE(255 - i * 7), BYTE(i * 13), BYTE(i * 5 + 1)));
  return colors;
}
COLORREF Expected(int bits, int x, int y)
{
  if (bits > 8)
    return Direct(x, y);
  const std::vector<COLORREF> palette = Palette(bits);
  return palette[size_t(Index(x, y, palette.size()))];
}

Dib MakeDib(int width, int height, int bits, bool core, bool topDown)
{
  Dib dib;
  const std::vector<COLORREF> palette = bits <= 8 ? Palette(bits) : std::vector<COLORREF>{};
  if (core) {
    BITMAPCOREHEADER h{sizeof h, WORD(width), WORD(height), 1, WORD(bits)};
    dib.header.resize(sizeof h);
    std::memcpy(dib.header.data(), &h, sizeof h);
    for (COLORREF c : palette)
      dib.header.insert(dib.header.end(), {GetBValue(c), GetGValue(c), GetRValue(c)});
  } else {
    BITMAPINFOHEADER h{sizeof h, width, topDown ? -height : height, 1, WORD(bits), BI_RGB, 0, 0, 0, 0, 0};
    dib.header.resize(sizeof h);
    std::memcpy(dib.header.data(), &h, sizeof h);
    for (COLORREF c : palette)
      dib.header.insert(dib.header.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
  }
  const size_t stride = (size_t(width) * bits + 31) / 32 * 4;
  dib.bits.assign(stride * size_t(height), 0);
  for (int y = 0; y < height; ++y) {
    BYTE* row = dib.bits.data() + stride * size_t(topDown ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      if (bits <= 8) {
        const int index = Index(x, y, palette.size());
        const int perByte = 8 / bits;
        row[x / perByte] |= BYTE(index << ((perByte - 1 - x % perByte) * bits));
      } else {
        const COLORREF c = Direct(x, y);
        BYTE* p = row + size_t(x) * size_t(bits / 8);
        p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
      }
    }
  }
  return dib;
}

} // namespace

TEST_F(Drawing, TopDownImagesLandUprightWholeOrInPart)
{
  const Dib dib = MakeDib(8, 6, 32, false, true);
  EXPECT_EQ(SetDIBitsToDevice(dc, 3, 4, 8, 6, 0, 0, 0, 6, dib.bits.data(), dib.Info(), DIB_RGB_COLORS), 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(At(3 + x, 4 + y), Direct(x, y)) << x << "," << y;
  EXPECT_EQ(Ink().size(), 48u);

  // The source rectangle (2, 1)-(6, 5) painted at (20, 20): the source y
  // counts from the bottom (6 - 5), and the rows still come out upright.
  Clear();
  EXPECT_EQ(SetDIBitsToDevice(dc, 20, 20, 4, 4, 2, 1, 0, 6, dib.bits.data(), dib.Info(), DIB_RGB_COLORS), 4);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      ASSERT_EQ(At(20 + j, 20 + i), Direct(2 + j, 1 + i)) << j << "," << i;
  EXPECT_EQ(Ink(), Box(20, 20, 24, 24));
}

TEST_F(Drawing, BottomUpImagesOfEveryDepthAndHeaderDrawUpright)
{
  const int w = 13, h = 5; // an odd width exercises the row padding
  for (const int bits : {1, 4, 8, 24, 32}) {
    for (const bool core : {false, true}) {
      if (core && bits == 32)
        continue;
      SCOPED_TRACE(testing::Message() << bits << " bits, " << (core ? "core" : "info") << " header");
      const Dib dib = MakeDib(w, h, bits, core, false);
      Clear();
      // The call pictures make at their own size: source y = H - 0 - H.
      EXPECT_EQ(SetDIBitsToDevice(dc, 1, 2, w, h, 0, 0, 0, h, dib.bits.data(), dib.Info(), DIB_RGB_COLORS), h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          ASSERT_EQ(At(1 + x, 2 + y), Expected(bits, x, y)) << x << "," << y;

      // A memory bitmap made from it is upright too.
      HBITMAP bitmap =
          CreateDIBitmap(dc, &dib.Info()->bmiHeader, CBM_INIT, dib.bits.data(), dib.Info(), DIB_RGB_COLORS);
      ASSERT_NE(bitmap, nullptr);
      EXPECT_EQ(standin::ReadPixel(bitmap, 0, 0), Expected(bits, 0, 0));
      EXPECT_EQ(standin::ReadPixel(bitmap, w - 1, h - 1), Expected(bits, w - 1, h - 1));
      EXPECT_TRUE(DeleteObject(bitmap));

      // Scaled to twice the size, each pixel becomes a 2 x 2 block.
      Clear();
      EXPECT_EQ(
          StretchDIBits(dc, 0, 20, 2 * w, 2 * h, 0, 0, w, h, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY),
          2 * h);
      for (int y = 0; y < 2 * h; ++y)
        for (int x = 0; x < 2 * w; ++x)
          ASSERT_EQ(At(x, 20 + y), Expected(bits, x / 2, y / 2)) << x << "," << y;
    }
  }
}

TEST_F(Drawing, AFirstScanPicksTheBandAtTheImageBottom)
{
  // The shadow's pieces: (x, y, width, height, source x, source y, first
  // scan) with 64 scan lines. Destination row i takes top-down row
  // first + 64 - sourceY - height + i. Each row's green is distinct.
  for (const bool topDown : {true, false}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    const Dib dib = MakeDib(64, 64, 24, false, topDown);
    Clear();
    auto piece = [&](int x, int y, int width, int height, int sx, int sy, int first) {
      return SetDIBitsToDevice(dc, x, y, DWORD(width), DWORD(height), sx, sy, UINT(first), 64, dib.bits.data(),
                               dib.Info(), DIB_RGB_COLORS);
    };
    EXPECT_EQ(piece(0, 0, 14, 10, 4, 64 - 14, 64 - 14), 10);   // bottom strip: rows 54..63
    EXPECT_EQ(piece(20, 0, 10, 16, 54, 64 - 16, 64 - 16), 16); // corner: rows 48..63
    EXPECT_EQ(piece(40, 0, 10, 32, 54, 16, 0), 32);            // right strip: rows 16..47
    for (int i = 0; i < 10; ++i)
      EXPECT_EQ(At(5, i), Direct(9, 54 + i));
    for (int i = 0; i < 16; ++i)
      EXPECT_EQ(At(25, i), Direct(59, 48 + i));
    for (int i = 0; i < 32; ++i)
      EXPECT_EQ(At(45, i), Direct(59, 16 + i));
  }
}

TEST_F(Drawing, SourceRowsAndColumnsThatDoNotExistAreSkipped)
{
  const Dib dib = MakeDib(8, 6, 24, false, true);
  // Ten rows asked of six: rows i take index 6 - 10 + i, so the first four
  // have no source and stay white. From source x 5, only three columns exist.
  EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 8, 10, 5, 0, 0, 6, dib.bits.data(), dib.Info(), DIB_RGB_COLORS), 6);
  EXPECT_EQ(Ink(), Box(0, 4, 3, 10));
  EXPECT_EQ(At(0, 4), Direct(5, 0));
  EXPECT_EQ(At(2, 9), Direct(7, 5));

  // Unreadable headers and contexts draw nothing and give 0.
  auto header = [](Dib& d) { return reinterpret_cast<BITMAPINFOHEADER*>(d.header.data()); };
  Dib depth = dib, packed = dib, small = dib, many = MakeDib(8, 6, 8, false, false);
  header(depth)->biBitCount = 16;
  header(packed)->biCompression = 1;
  header(small)->biSize = 20;
  header(many)->biClrUsed = 300;
  for (const Dib* bad : {&depth, &packed, &small, &many})
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 8, 6, 0, 0, 0, 6, bad->bits.data(), bad->Info(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(SetDIBitsToDevice(nullptr, 0, 0, 8, 6, 0, 0, 0, 6, dib.bits.data(), dib.Info(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(Ink(), Box(0, 4, 3, 10));
}

TEST_F(Drawing, StretchCountsTheSourceYByRowOrder)
{
  // One source row scaled over four destination rows: y 0 is the bottom row
  // of a bottom-up DIB and the top row of a top-down one.
  for (const bool topDown : {true, false}) {
    const Dib dib = MakeDib(3, 2, 24, false, topDown);
    Clear();
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 6, 4, 0, 0, 3, 1, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY), 4);
    const int row = topDown ? 0 : 1;
    EXPECT_EQ(At(0, 0), Direct(0, row));
    EXPECT_EQ(At(5, 3), Direct(2, row));
    EXPECT_EQ(Ink(), Box(0, 0, 6, 4));
  }
  const Dib dib = MakeDib(3, 2, 24, false, true);
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 6, 4, 0, 0, 3, 2, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, 0x00EE0086), 0);
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 0, 4, 0, 0, 3, 2, dib.bits.data(), dib.Info(), DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST(Bitmaps, GetDIBitsGivesBackWhatCreateDIBitmapTook)
{
  // 7 pixels of 3 bytes: 21 bytes, padded to 24.
  const Dib dib = MakeDib(7, 5, 24, false, false);
  HBITMAP bitmap =
      CreateDIBitmap(nullptr, &dib.Info()->bmiHeader, CBM_INIT, dib.bits.data(), dib.Info(), DIB_RGB_COLORS);
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  EXPECT_EQ(GetObjectA(bitmap, sizeof info, &info), int(sizeof info));
  EXPECT_EQ(info.bmType + info.bmWidth * 10 + info.bmHeight * 100, 570);
  EXPECT_EQ(info.bmWidthBytes, 28);
  EXPECT_EQ(info.bmPlanes * 100 + info.bmBitsPixel, 132);
  EXPECT_EQ(info.bmBits, nullptr);

  BITMAPINFO out{};
  out.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 7, 5, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<BYTE> bits(dib.bits.size(), 0xAA);
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 5, bits.data(), &out, DIB_RGB_COLORS), 5);
  EXPECT_EQ(bits, dib.bits) << "same rows, same order, zero padding";

  // Two scan lines from scan 1 of a top-down 32-bit copy: picture rows 1, 2.
  out.bmiHeader.biHeight = -5;
  out.bmiHeader.biBitCount = 32;
  std::vector<BYTE> rows(7 * 4 * 2);
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 1, 2, rows.data(), &out, DIB_RGB_COLORS), 2);
  EXPECT_EQ(RGB(rows[2], rows[1], rows[0]), Direct(0, 1));
  EXPECT_EQ(rows[3], 0);
  EXPECT_EQ(RGB(rows[28 + 26], rows[28 + 25], rows[28 + 24]), Direct(6, 2));
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 4, 9, rows.data(), &out, DIB_RGB_COLORS), 1); // only scan 4 exists

  out.bmiHeader.biWidth = 8; // not the bitmap's size
  EXPECT_EQ(GetDIBits(nullptr, bitmap, 0, 5, bits.data(), &out, DIB_RGB_COLORS), 0);
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(GetObjectA(bitmap, sizeof info, &info), 0);

  // Without CBM_INIT the bitmap is black.
  HBITMAP black = CreateDIBitmap(nullptr, &dib.Info()->bmiHeader, 0, nullptr, nullptr, DIB_RGB_COLORS);
  ASSERT_NE(black, nullptr);
  EXPECT_EQ(standin::ReadPixel(black, 6, 4), kBlack);
  DeleteObject(black);
}

TEST(Palettes, KeepTheirEntryCountsAndFollowTheSelectionRules)
{
  std::vector<BYTE> block(sizeof(LOGPALETTE) + 15 * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = 16;
  HPALETTE palette = CreatePalette(log);
  ASSERT_NE(palette, nullptr);
  WORD count = 0;
  EXPECT_EQ(GetObjectA(palette, sizeof count, &count), 2);
  EXPECT_EQ(count, 16);

  HDC dc = GetDC(nullptr);
  HPALETTE initial = SelectPalette(dc, palette, FALSE);
  EXPECT_EQ(initial, GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(dc), 16u);
  EXPECT_FALSE(DeleteObject(palette));
  EXPECT_EQ(SelectPalette(dc, initial, TRUE), palette);
  EXPECT_TRUE(DeleteObject(palette));
  ReleaseDC(nullptr, dc);

  log->palVersion = 0x200;
  EXPECT_EQ(CreatePalette(log), nullptr);
}

TEST_F(Drawing, SnapshotsAreReadablePngFilesOfTheTarget)
{
  const Dib dib = MakeDib(8, 6, 24, false, true);
  SetDIBitsToDevice(dc, 10, 10, 8, 6, 0, 0, 0, 6, dib.bits.data(), dib.Info(), DIB_RGB_COLORS);
  const std::string path = lvxtest::TempDir() + "/window.png";
  ASSERT_TRUE(standin::SnapshotPng(window, path.c_str()));

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
  EXPECT_EQ(image.width, png_uint_32(kWidth));
  EXPECT_EQ(image.height, png_uint_32(kHeight));
  image.format = PNG_FORMAT_RGB;
  std::vector<BYTE> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const BYTE* p = rgb.data() + (y * kWidth + x) * 3;
      ASSERT_EQ(RGB(p[0], p[1], p[2]), At(x, y)) << x << "," << y;
    }

  HBITMAP bitmap =
      CreateDIBitmap(nullptr, &dib.Info()->bmiHeader, CBM_INIT, dib.bits.data(), dib.Info(), DIB_RGB_COLORS);
  EXPECT_TRUE(standin::SnapshotPng(bitmap, (lvxtest::TempDir() + "/bitmap.png").c_str()));
  standin::SetScreen(40, 30, 32);
  EXPECT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Screen(), (lvxtest::TempDir() + "/s.png").c_str()));
  DeleteObject(bitmap);
  EXPECT_FALSE(standin::SnapshotPng(bitmap, (lvxtest::TempDir() + "/gone.png").c_str()));
  EXPECT_FALSE(standin::SnapshotPng(window, (lvxtest::TempDir() + "/no/such/folder/w.png").c_str()));
}
