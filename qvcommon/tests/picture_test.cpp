// QVPicture from resource art of every depth, drawn plain, scaled and
// transparent; rows, rotation and capture; QVUtil and QVBitmap palettes and
// pixels; damaged bitmap resources.
#include "lvxtest/testenv.h"
#include "qvcommon/qvbitmap.h"
#include "qvcommon/qvdevice.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvutil.h"
#include "win32/automation.h"
#include "win32/drawing.h"
#include "win32/gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr int kDepths[] = {1, 4, 8, 24};
constexpr int kArtWidth = 16, kArtHeight = 12;

// The test art (pictures.res, id 200 + depth): a red square at (1..4, 1..4),
// a blue column at x 13, y 1..6, a green row at y 10, x 1..14, on white; at
// 1 bit everything but white is black.
COLORREF Art(int depth, int x, int y)
{
  COLORREF c = kWhite;
  if (x >= 1 && x <= 4 && y >= 1 && y <= 4)
    c = kRed;
  else if (y == 10 && x >= 1 && x <= 14)
    c = kGreen;
  else if (x == 13 && y >= 1 && y <= 6)
    c = kBlue;
  return depth == 1 && c != kWhite ? RGB(0, 0, 0) : c;
}

COLORREF Bgr(const unsigned char* p) { return RGB(p[2], p[1], p[0]); }

// Hand-made DIBs: a 2 x 2, 4-bit one with the 12-byte core header (entry 1
// red, entry 2 blue; seen: blue, red over red, blue), and damaged ones.
Bytes CoreDib()
{
  Bytes b = {12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 4, 0};
  for (int i = 0; i < 16; ++i) {
    const uint8_t entry[3] = {uint8_t(i == 2 ? 255 : 0), 0, uint8_t(i == 1 ? 255 : 0)}; // B, G, R
    b.insert(b.end(), entry, entry + 3);
  }
  const uint8_t rows[8] = {0x12, 0, 0, 0, 0x21, 0, 0, 0}; // bottom row first
  b.insert(b.end(), rows, rows + 8);
  return b;
}
Bytes InfoDib(uint32_t compression, uint32_t coloursUsed)
{
  BITMAPINFOHEADER h{sizeof h, 2, 2, 1, 8, compression, 0, 0, 0, coloursUsed, 0};
  Bytes b(sizeof h + 4 * 16 + 8, 0);
  std::memcpy(b.data(), &h, sizeof h);
  return b;
}
const Bytes kCore = CoreDib();
const Bytes kTruncated(kCore.begin(), kCore.begin() + 40); // table past the end
const Bytes kManyColours = InfoDib(BI_RGB, 300);
const Bytes kRle = InfoDib(1, 16);
const standin::ResourceEntry kEntries[] = {
    {nullptr, 2, nullptr, 300, kCore.data(), kCore.size(), 0, 0},
    {nullptr, 2, nullptr, 301, kTruncated.data(), kTruncated.size(), 0, 0},
    {nullptr, 2, nullptr, 302, kManyColours.data(), kManyColours.size(), 0, 0},
    {nullptr, 2, nullptr, 303, kRle.data(), kRle.size(), 0, 0},
};
const standin::ResourceTable kTable = {kEntries, 4};

class Pictures : public ::testing::Test {
protected:
  void SetUp() override
  {
    standin::RegisterResources(standin::MainModule(), &kTable);
    window = standin::CreateSurfaceWindow(150, 60);
  }
  void TearDown() override
  {
    standin::DestroySurfaceWindow(window);
    standin::UnregisterResources(standin::MainModule(), &kTable);
  }
  COLORREF At(int x, int y) const { return standin::ReadPixel(window, x, y); }

  QVResourceFile resources{standin::MainModule()};
  HWND window = nullptr;
};

TEST_F(Pictures, ArtOfEveryDepthBecomesUpright24Bit)
{
  for (const int depth : kDepths) {
    QVPicture picture(200 + depth, &resources);
    ASSERT_TRUE(picture.ValidPicture()) << depth;
    EXPECT_EQ(picture.GetPictureID(), 200 + depth);
    EXPECT_TRUE(picture.Width() == kArtWidth && picture.Height() == kArtHeight);
    EXPECT_TRUE(picture.GetPictureDepth() == 24 && picture.GetPictureRowBytes() == 48);
    for (int y = 0; y < kArtHeight; ++y) {
      const unsigned char* row = picture.GetPictureRow(y);
      for (int x = 0; x < kArtWidth; ++x)
        ASSERT_EQ(Bgr(row + 3 * x), Art(depth, x, y)) << depth << " bits at " << x << "," << y;
    }
    EXPECT_EQ(picture.GetPictureRow(0), picture.GetPictureRow(5)) << "one buffer";
    EXPECT_TRUE(picture.GetPictureRow(kArtHeight) == nullptr && picture.GetPictureRow(-1) == nullptr);
    EXPECT_TRUE(QVPicture(picture).ValidPicture());
  }
  // The core header's 3-byte colour entries.
  QVPicture core(300, &resources);
  ASSERT_TRUE(core.ValidPicture());
  EXPECT_EQ(Bgr(core.GetPictureRow(0)), kBlue);
  EXPECT_EQ(Bgr(core.GetPictureRow(1)), kRed);
}

TEST_F(Pictures, MissingDamagedAndCopiedInvalidPicturesDrawNothing)
{
  EXPECT_FALSE(QVPicture(0, &resources).ValidPicture());
  EXPECT_FALSE(QVPicture(999, &resources).ValidPicture());
  QVPicture picture(224, &resources);
  picture.SetPictureID(999, &resources);
  EXPECT_TRUE(picture.ValidPicture()) << "a missing resource changes nothing";
  for (const int32_t damaged : {301, 302, 303}) {
    picture.SetPictureID(224, &resources);
    picture.SetPictureID(damaged, &resources);
    EXPECT_FALSE(picture.ValidPicture()) << damaged;
    EXPECT_EQ(picture.Width(), 0) << "the old bitmap is gone";
  }
  const QVPicture copy(&picture);
  EXPECT_FALSE(copy.ValidPicture());
  QVDevice device(window);
  picture.Draw(&device);
  copy.Draw(&device);
  EXPECT_EQ(At(1, 1), kWhite);
  EXPECT_EQ(picture.RotatePicture(90, false), -1);
}

TEST_F(Pictures, DrawsPlainScaledAndTransparentUpright)
{
  QVDevice device(window);
  const QVColor yellow(255, 255, 0);
  device.SetDeviceBrush(&yellow);
  device.PaintRect(QVRect(0, 40, 150, 60));
  // One column of 36 pixels per depth: plain at y 0, doubled at y 14 (from
  // the source's left half only), transparent over yellow at y 42.
  for (int k = 0; k < 4; ++k) {
    QVPicture picture(200 + kDepths[k], &resources);
    const int x = 36 * k;
    picture.Draw(&device, x, 0);
    QVRect half(0, 0, 8, 12), doubled(x, 14, x + 16, 38);
    picture.Draw(&device, half, doubled);
    picture.DrawTransparent(&device, x, 42, 16, 12, 0, 0, nullptr);
    for (const auto& [px, py] : {std::pair{2, 2}, {13, 3}, {6, 10}, {0, 0}, {14, 11}}) {
      EXPECT_EQ(At(x + px, py), Art(kDepths[k], px, py)) << "plain " << kDepths[k];
      if (px < 8) {
        EXPECT_EQ(At(x + 2 * px, 14 + 2 * py + 1), Art(kDepths[k], px, py)) << "scaled " << kDepths[k];
      }
      const COLORREF art = Art(kDepths[k], px, py);
      EXPECT_EQ(At(x + px, 42 + py), art == kWhite ? kYellow : art) << "transparent " << kDepths[k];
    }
  }
  // A key other than white; afterwards the picture draws plainly again.
  QVPicture picture(224, &resources);
  const QVColor red(255, 0, 0);
  picture.DrawTransparent(&device, 130, 42, 8, 8, 0, 0, &red);
  EXPECT_EQ(At(132, 44), kYellow);
  EXPECT_EQ(At(130, 42), kWhite);
  picture.Draw(&device, 130, 42);
  EXPECT_EQ(At(132, 44), kRed);
  ASSERT_TRUE(standin::SnapshotPng(window, (lvxtest::TempDir() + "/pictures.png").c_str()));
}

TEST_F(Pictures, RowsFollowRotationAndCapture)
{
  QVPicture picture(224, &resources);
  ASSERT_EQ(picture.RotatePicture(90, false), 0);
  EXPECT_TRUE(picture.Width() == 12 && picture.Height() == 16);
  // Clockwise: seen (x, y) comes from (y, 11 - x); the red square's (1, 1)
  // lands at (10, 1) and the blue column's (13, 6) at (5, 13).
  EXPECT_EQ(Bgr(picture.GetPictureRow(1) + 3 * 10), kRed);
  EXPECT_EQ(Bgr(picture.GetPictureRow(13) + 3 * 5), kBlue);
  // Back by -90: the rows are longer again and the buffer must follow.
  ASSERT_EQ(picture.RotatePicture(-90, false), 0);
  const unsigned char* green = picture.GetPictureRow(10);
  EXPECT_EQ(Bgr(green + 3 * 14), kGreen);
  ASSERT_EQ(picture.RotatePicture(180, false), 0);
  // Half a turn: seen (x, y) comes from (15 - x, 11 - y).
  EXPECT_EQ(Bgr(picture.GetPictureRow(1) + 3 * 1), kGreen) << "the green row near the top";
  EXPECT_EQ(Bgr(picture.GetPictureRow(10) + 3 * 14), kRed) << "the square at the bottom right";
  EXPECT_EQ(picture.RotatePicture(45, false), -1);

  // A row written back shows when drawn.
  unsigned char* row = picture.GetPictureRow(0);
  row[0] = 0, row[1] = 255, row[2] = 0;
  picture.SetPictureRow(0);
  picture.SetPictureRow(99); // out of range: nothing
  QVDevice device(window);
  picture.Draw(&device);
  EXPECT_EQ(At(0, 0), RGB(0, 255, 0));

  // A capture counts its rows from the bottom, is black off the surface and
  // draws upright.
  SetPixel(device.GetDevice(), 148, 7, kRed);
  SetPixel(device.GetDevice(), 149, 8, kBlue);
  QVPicture captured(QVRect(148, 7, 151, 9), &device);
  EXPECT_EQ((std::vector{Bgr(captured.GetPictureRow(0) + 3), Bgr(captured.GetPictureRow(0) + 6)}),
            (std::vector{kBlue, RGB(0, 0, 0)}));
  EXPECT_EQ(Bgr(captured.GetPictureRow(1)), kRed);
  captured.Draw(&device, 20, 20);
  EXPECT_EQ(At(20, 20), kRed);
  EXPECT_FALSE(QVPicture(QVRect(5, 5, 5, 9), &device).ValidPicture()) << "empty area";
}

TEST_F(Pictures, ResourceBitmapsComeWithTheirPalettes)
{
  QVUtil util(standin::MainModule());
  const auto entries = [](HPALETTE palette) {
    WORD count = 0;
    return GetObjectA(palette, sizeof count, &count) ? int(count) : -1;
  };
  // 8 bits with 16 colours used: a 16-entry palette, pixels after 16 entries.
  HPALETTE palette = nullptr;
  HBITMAP bitmap = util.LoadResourceBitmap(standin::MainModule(), MAKEINTRESOURCEA(208), &palette);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(entries(palette), 16);
  EXPECT_EQ(standin::ReadPixel(bitmap, 13, 2), kBlue);
  EXPECT_EQ(standin::ReadPixel(bitmap, 2, 10), kGreen);
  DeleteObject(palette);
  DeleteObject(bitmap);
  // 24 bits: no palette, pixels right after the header.
  bitmap = util.LoadResourceBitmap(standin::MainModule(), MAKEINTRESOURCEA(224), &palette);
  EXPECT_TRUE(palette == nullptr && standin::ReadPixel(bitmap, 2, 2) == kRed);
  DeleteObject(bitmap);
  // The core header: 16 entries of 3 bytes.
  bitmap = util.LoadResourceBitmap(standin::MainModule(), MAKEINTRESOURCEA(300), &palette);
  EXPECT_TRUE(entries(palette) == 16 && standin::ReadPixel(bitmap, 1, 0) == kRed);
  // Missing or damaged: no bitmap, the palette untouched.
  const HPALETTE untouched = reinterpret_cast<HPALETTE>(uintptr_t{0x1234});
  for (const int id : {999, 301, 302, 303}) {
    palette = untouched;
    EXPECT_EQ(util.LoadResourceBitmap(standin::MainModule(), MAKEINTRESOURCEA(id), &palette), nullptr) << id;
    EXPECT_EQ(palette, untouched);
  }

  QVBitmap art;
  EXPECT_EQ(art.Initialize(standin::MainModule()), 0) << "id 0";
  art.SetBitmapID(204);
  ASSERT_EQ(art.Initialize(standin::MainModule()), 1);
  EXPECT_TRUE(art.Width() == kArtWidth && art.Height() == kArtHeight);
  EXPECT_EQ(standin::ReadPixel(art.GethBit(), 1, 4), kRed);
  art.SetBitmapID(301);
  EXPECT_EQ(art.Initialize(standin::MainModule()), 0) << "damaged";
  EXPECT_EQ(art.GethBit(), nullptr);
}

} // namespace
