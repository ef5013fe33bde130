// QVDevice and QVPaintDevice drawing into surface windows, read back pixel
// by pixel, and QVImage::Display.
#include "lvxtest/testenv.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvpaintdevice.h"
#include "win32/automation.h"
#include "win32/drawing.h"
#include "win32/gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0;
constexpr COLORREF kGrey = 0x808080;
constexpr COLORREF kRed = RGB(255, 0, 0);

// A device over a context it did not take, so that what its destruction
// leaves behind can be looked at; its fields are open to the tests.
class Borrowed : public QVDevice {
public:
  explicit Borrowed(HDC dc) { hdc = dc; }
  HFONT Font() const { return font; }
};

class Device : public ::testing::Test {
protected:
  void SetUp() override { window = standin::CreateSurfaceWindow(16, 12); }
  void TearDown() override { standin::DestroySurfaceWindow(window); }
  COLORREF At(int x, int y) const { return standin::ReadPixel(window, x, y); }
  static void Fill(QVDevice& device, const QVColor& colour)
  {
    device.SetDeviceBrush(&colour);
    device.PaintRect(QVRect(0, 0, 16, 12));
    device.DestroyBrush();
  }

  HWND window = nullptr;
};

// A 3 x 2 colour image whose pixel (x, y) is RGB(10 + x, 20 + y, 30 + x + y),
// or, with grey, a 1-byte image whose pixel is 10 * (x + 1) + 100 * y.
std::unique_ptr<QVImage> Pattern(bool grey)
{
  auto image = std::make_unique<QVImage>(3, 2, grey ? 1 : 3, nullptr);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      unsigned char* p = image->pixels + y * image->rowBytes + x * image->bytesPerPixel;
      if (grey) {
        p[0] = static_cast<unsigned char>(10 * (x + 1) + 100 * y);
      } else {
        p[0] = static_cast<unsigned char>(30 + x + y);
        p[1] = static_cast<unsigned char>(20 + y);
        p[2] = static_cast<unsigned char>(10 + x);
      }
    }
  return image;
}

COLORREF PatternAt(bool grey, int x, int y)
{
  const BYTE v = BYTE(10 * (x + 1) + 100 * y);
  return grey ? RGB(v, v, v) : RGB(BYTE(10 + x), BYTE(20 + y), BYTE(30 + x + y));
}

TEST_F(Device, DestructionPutsBackObjectsAndTextState)
{
  HDC dc = GetDC(window);
  HFONT first = nullptr, second = nullptr;
  {
    Borrowed device(dc);
    const QVColor red(255, 0, 0);
    device.SetDevicePen(3, &red);
    device.SetDeviceBrush(&red);
    device.SetFontFace(QVDevice::qvdArial, 0, true, false);
    first = device.Font();
    SIZE cell{};
    GetTextExtentPoint32A(dc, "A", 1, &cell);
    EXPECT_EQ(cell.cy, 12) << "height 0 asks for 12";
    device.SetFontFace(QVDevice::qvdArial, 20, false, true);
    second = device.Font();
    EXPECT_FALSE(DeleteObject(first)) << "the first font is already gone";
    EXPECT_EQ(device.SetFontFace(static_cast<QVDevice::qvdTextFace>(7), 0, false, false), -1);
    EXPECT_NE(device.Font(), nullptr) << "an unknown face changes nothing";

    device.RestoreBkMode(); // no Set yet: nothing happens
    device.SetBkMode(TRANSPARENT);
    device.SetBkMode(OPAQUE);
    device.RestoreBkMode();
    EXPECT_EQ(::SetBkMode(dc, TRANSPARENT), TRANSPARENT) << "the value the second Set replaced";
    device.SetTextColor(red);
    device.SetTextAlign(QVDevice::qvdRight);
    device.SetTextAlign(static_cast<QVDevice::qvdTextAlign>(5));
    EXPECT_EQ(::SetTextAlign(dc, TA_LEFT), TA_LEFT) << "an unknown alignment aligns left";
    // Left now to the destructor: the alignment the second Set replaced.
    device.SetROP();
  }
  // Every object back to the context's own, the device's own deleted, and
  // every state its Set replaced put back.
  EXPECT_FALSE(DeleteObject(second));
  EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_PEN)), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT)), GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(::SetTextColor(dc, 0), kBlack);
  EXPECT_EQ(::SetTextAlign(dc, TA_LEFT), TA_RIGHT);
  EXPECT_EQ(SetROP2(dc, R2_COPYPEN), R2_COPYPEN);
  ReleaseDC(window, dc);
}

TEST_F(Device, FillsFramesAndEdges)
{
  QVDevice device(window);
  EXPECT_TRUE(device.Width() == 16 && device.Height() == 12);
  EXPECT_EQ(QVDevice().Width() + QVDevice().Height(), 0) << "no window, no size";
  Fill(device, QVColor());
  device.PaintRect(QVRect(0, 0, 16, 12));
  EXPECT_EQ(At(5, 5), kBlack) << "no brush, no fill";

  // Sunken (2, 2)-(10, 8): grey left and top, white right and bottom; each
  // line leaves out its end point, so the bottom-left corner stays black.
  device.DrawSunkenEdge(QVRect(2, 2, 10, 8));
  EXPECT_EQ((std::vector{At(2, 5), At(5, 2), At(10, 5), At(5, 8), At(10, 8), At(2, 8)}),
            (std::vector{kGrey, kGrey, kWhite, kWhite, kWhite, kBlack}));
  device.DrawRaisedEdge(QVRect(2, 2, 10, 8));
  EXPECT_EQ((std::vector{At(2, 5), At(10, 5)}), (std::vector{kWhite, kGrey}));
}

TEST_F(Device, BitBltSkipsWhiteAndShowsTheBitmapsBottomRows)
{
  // A 3 x 3 bitmap, rows top-down: row r, column c is RGB(r * 50 + c, 1, 2),
  // except (0, 0), pure white, and (1, 0), (255, 255, 254).
  BYTE dib[3][12] = {};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      dib[r][3 * c] = 2, dib[r][3 * c + 1] = 1, dib[r][3 * c + 2] = BYTE(r * 50 + c);
  dib[1][0] = dib[1][1] = dib[1][2] = 255;
  dib[2][0] = 254, dib[2][1] = dib[2][2] = 255;
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 3, -3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  HBITMAP bitmap = CreateDIBitmap(nullptr, &info.bmiHeader, CBM_INIT, dib, &info, DIB_RGB_COLORS);
  ASSERT_NE(bitmap, nullptr);

  QVDevice device(window);
  Fill(device, QVColor());
  EXPECT_EQ(device.QVBitBlt(0, 0, 4, 2, bitmap, 0, 0, 0), 0) << "wider than the bitmap";
  EXPECT_EQ(At(0, 0), kBlack);
  // Two rows of one column: the bitmap's rows 1 and 2, stepping by its own
  // row length (12 bytes), not by that of a 1-pixel row.
  ASSERT_EQ(device.QVBitBlt(4, 4, 1, 2, bitmap, 0, 0, 0), 1);
  EXPECT_EQ(At(4, 4), kBlack) << "pure white is not drawn";
  EXPECT_EQ(At(4, 5), RGB(255, 255, 254)) << "almost white is";
  ASSERT_EQ(device.QVBitBlt(8, 4, 3, 2, bitmap, 0, 0, 0), 1);
  EXPECT_EQ(At(10, 5), RGB(102, 1, 2));
  DeleteObject(bitmap);
}

TEST_F(Device, ImageBltAndDeviceBitmapsDrawGreyAndColourUpright)
{
  QVDevice device(window);
  for (const bool grey : {false, true}) {
    const auto image = Pattern(grey);
    // The key is pixel (1, 0): it stays white.
    ASSERT_EQ(device.QVImageBlt(2, 3, image.get(), QVColor(static_cast<int32_t>(PatternAt(grey, 1, 0)))), 1);
    EXPECT_EQ((std::vector{At(2, 3), At(3, 3), At(4, 4)}),
              (std::vector{PatternAt(grey, 0, 0), kWhite, PatternAt(grey, 2, 1)}));

    HBITMAP bitmap = device.GetDeviceBitmap(image.get());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(standin::ReadPixel(bitmap, 2, 0), PatternAt(grey, 2, 0)) << "top row first";
    EXPECT_EQ(standin::ReadPixel(bitmap, 1, 1), PatternAt(grey, 1, 1));
    device.DeleteDeviceBitmap(bitmap);
  }
  const QVImage empty;
  EXPECT_EQ(device.QVImageBlt(0, 0, &empty, QVColor()), 0);
  EXPECT_EQ(device.GetDeviceBitmap(&empty), nullptr);
}

TEST_F(Device, PaintDeviceDrawsOnlyInTheUpdateRect)
{
  const RECT update{2, 2, 5, 4};
  standin::SetUpdateRect(window, &update);
  {
    QVPaintDevice paint(window);
    QVRect rect;
    paint.GetPaintRect(rect);
    EXPECT_EQ(rect.IsSame(QVRect(2, 2, 5, 4)), 1);
    Fill(paint, QVColor(255, 0, 0));
  }
  EXPECT_EQ((std::vector{At(2, 2), At(4, 3), At(5, 3), At(1, 1)}), (std::vector{kRed, kRed, kWhite, kWhite}));
  QVPaintDevice next(window);
  QVRect rect;
  next.GetPaintRect(rect);
  EXPECT_EQ(rect.IsSame(QVRect(0, 0, 0, 0)), 1) << "the first paint emptied the update region";
}

TEST_F(Device, DisplayPaintsGreyAndColourImagesUpright)
{
  QVDevice device(window);
  for (const bool grey : {false, true}) {
    const auto image = Pattern(grey);
    EXPECT_EQ(image->Display(&device, QVRect(0, 0, 3, 2), 0, 0), 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x)
        EXPECT_EQ(At(x, y), PatternAt(grey, x, y)) << x << "," << y;
    // Part of the image: the bottom row's last two pixels at (8, 8).
    EXPECT_EQ(image->Display(&device, QVRect(1, 1, 3, 2), 8, 8), 1);
    EXPECT_EQ((std::vector{At(8, 8), At(9, 8), At(8, 9)}),
              (std::vector{PatternAt(grey, 1, 1), PatternAt(grey, 2, 1), kWhite}));
  }
  EXPECT_EQ(QVImage().Display(&device, QVRect(0, 0, 3, 2), 0, 0), 0);
}

TEST_F(Device, SampleDisplaysExactlyAsDecoded)
{
  QVFileSpec file(lvxtest::Source("samples/astronaut.png").c_str());
  QVImage image(file, 0, false);
  ASSERT_FALSE(image.error);
  HWND big = standin::CreateSurfaceWindow(image.width, image.height);
  {
    QVDevice device(big);
    EXPECT_EQ(image.Display(&device, QVRect(0, 0, image.width, image.height), 0, 0), image.height);
  }
  const std::string snapshot = lvxtest::TempDir() + "/astronaut-displayed.png";
  ASSERT_TRUE(standin::SnapshotPng(big, snapshot.c_str()));
  standin::DestroySurfaceWindow(big);

  imaging::Bitmap original, shown;
  ASSERT_EQ(imaging::LoadFile(lvxtest::Source("samples/astronaut.png").c_str(), &original, 24), imaging::kSuccess);
  ASSERT_EQ(imaging::LoadFile(snapshot.c_str(), &shown, 24), imaging::kSuccess);
  ASSERT_TRUE(shown.width == original.width && shown.height == original.height);
  for (int32_t y = 0; y < original.height; ++y)
    ASSERT_EQ(std::memcmp(shown.Row(y), original.Row(y), static_cast<size_t>(original.bytesPerLine)), 0) << y;
}

} // namespace
