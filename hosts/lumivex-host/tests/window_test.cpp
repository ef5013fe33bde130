// The host's document window: the picture it hands the plug-in, reduced to
// fit the client area (never enlarged) and centred on a dark backdrop, in
// every mode the host reads.
#include "host.h"
#include "lvxtest/testenv.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace lvhost;

namespace {

HostImage Solid(int32_t width, int32_t height, int16_t mode, std::vector<uint8_t> pixel, bool alpha = false)
{
  HostImage image;
  image.width = width;
  image.height = height;
  image.mode = mode;
  image.alpha = alpha;
  for (int32_t i = 0; i < width * height; ++i)
    image.pixels.insert(image.pixels.end(), pixel.begin(), pixel.end());
  return image;
}

// B, G, R of a picture's pixel.
std::vector<int> At(const Picture& p, int x, int y)
{
  const uint8_t* b = p.bgr.data() + size_t(y) * size_t(p.stride) + size_t(x) * 3;
  return {b[0], b[1], b[2]};
}

} // namespace

TEST(DocumentPicture, FitsTheAreaKeepingItsShapeAndNeverGrows)
{
  int w = 0, h = 0;
  FitPicture(400, 300, 200, 200, &w, &h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 150);
  FitPicture(300, 600, 632, 453, &w, &h); // the height decides: 300 x 453 / 600 = 226.5
  EXPECT_EQ(w, 227);
  EXPECT_EQ(h, 453);
  FitPicture(600, 400, 632, 453, &w, &h); // fits already
  EXPECT_EQ(w, 600);
  EXPECT_EQ(h, 400);
  FitPicture(30000, 1, 100, 100, &w, &h); // a sliver keeps a row
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 1);
  FitPicture(400, 300, 0, 200, &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
}

TEST(DocumentPicture, EachPixelIsTheMeanOfWhatItCoversInEveryMode)
{
  // RGB, 4 x 2: the left half black, the right half (200, 100, 50).
  HostImage rgb = Solid(4, 2, plugInModeRGBColor, {0, 0, 0});
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 2; x < 4; ++x) {
      rgb.At(x, y)[0] = 200;
      rgb.At(x, y)[1] = 100;
      rgb.At(x, y)[2] = 50;
    }
  const Picture halves = ReducePicture(rgb, 2, 1);
  ASSERT_EQ(halves.stride, 8) << "rows padded to 4 bytes";
  EXPECT_EQ(At(halves, 0, 0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(At(halves, 1, 0), (std::vector<int>{50, 100, 200}));
  const Picture one = ReducePicture(rgb, 1, 1);
  EXPECT_EQ(At(one, 0, 0), (std::vector<int>{25, 50, 100}));

  EXPECT_EQ(At(ReducePicture(Solid(3, 3, plugInModeGrayScale, {77}), 2, 2), 1, 1), (std::vector<int>{77, 77, 77}));
  // CMYK as the host's colour services convert it: no ink is white, full
  // black ink is black.
  EXPECT_EQ(At(ReducePicture(Solid(2, 2, plugInModeCMYKColor, {0, 0, 0, 0}), 1, 1), 0, 0),
            (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(At(ReducePicture(Solid(2, 2, plugInModeCMYKColor, {0, 0, 0, 255}), 1, 1), 0, 0),
            (std::vector<int>{0, 0, 0}));
  // Transparency shows white through.
  EXPECT_EQ(At(ReducePicture(Solid(1, 1, plugInModeRGBColor, {0, 0, 0, 0}, true), 1, 1), 0, 0),
            (std::vector<int>{255, 255, 255}));
  EXPECT_TRUE(ReducePicture(rgb, 0, 5).bgr.empty());
}

TEST(DocumentWindow, ShowsThePictureCentredOnTheBackdrop)
{
  // A picture larger than the 632 x 453 client area: a red left half and
  // a blue right half, 1264 x 600, shown at 632 x 300.
  HostImage image = Solid(1264, 600, plugInModeRGBColor, {255, 0, 0});
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = image.width / 2; x < image.width; ++x) {
      image.At(x, y)[0] = 0;
      image.At(x, y)[2] = 255;
    }
  HWND window = CreateHostWindow(&image);
  ASSERT_NE(window, nullptr);
  UpdateWindow(window);
  RECT client{};
  GetClientRect(window, &client);
  ASSERT_EQ(client.right, 632);
  ASSERT_EQ(client.bottom, 453);
  const standin::SurfaceTarget target(window);
  const int top = (453 - 300) / 2;
  EXPECT_EQ(standin::ReadPixel(target, 10, top - 1), RGB(64, 64, 64)) << "the backdrop above";
  EXPECT_EQ(standin::ReadPixel(target, 10, top), RGB(255, 0, 0));
  EXPECT_EQ(standin::ReadPixel(target, 621, top + 299), RGB(0, 0, 255));
  EXPECT_EQ(standin::ReadPixel(target, 621, top + 300), RGB(64, 64, 64)) << "the backdrop below";
  const std::string folder = lvxtest::BuildDir() + "/snapshots/lumivex-host";
  std::filesystem::create_directories(folder);
  EXPECT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Whole(window), (folder + "/document-window.png").c_str()));

  // A larger window shows the picture larger, up to its own size.
  SetWindowPos(window, nullptr, 0, 0, 1400, 800, SWP_NOMOVE | SWP_NOZORDER);
  UpdateWindow(window);
  GetClientRect(window, &client);
  const int left = (int(client.right) - 1264) / 2;
  EXPECT_EQ(standin::ReadPixel(target, left - 1, int(client.bottom) / 2), RGB(64, 64, 64));
  EXPECT_EQ(standin::ReadPixel(target, left, int(client.bottom) / 2), RGB(255, 0, 0));
  DestroyHostWindow(window);

  // Without a picture (an About run) only the backdrop shows.
  window = CreateHostWindow(nullptr);
  UpdateWindow(window);
  EXPECT_EQ(standin::ReadPixel(standin::SurfaceTarget(window), 316, 226), RGB(64, 64, 64));
  DestroyHostWindow(window);
}
