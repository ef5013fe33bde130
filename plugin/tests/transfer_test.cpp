// Pixels between the host and the shell's image: every mode, padded rows,
// sub-rectangles, transparency, colour services, failures and the
// host-drawn preview.
#include "bridgetest.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvpaintdevice.h"
#include "qvcommon/qvpoint.h"
#include "qvcommon/qvrect.h"
#include "win32/automation.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace lvhost;

namespace {

int CountIn(const Host& host, const std::string& text)
{
  const auto& log = host.Log();
  return static_cast<int>(
      std::count_if(log.begin(), log.end(), [&](const std::string& e) { return e.find(text) != std::string::npos; }));
}

// progressProc that checks, for each row, that the row is not written yet
// and the row before it is.
const FilterRecord* g_record = nullptr;
std::vector<int32_t> g_rows;
bool g_inOrder = true;
void CheckRows(int32_t done, int32_t total)
{
  const FilterRecord& r = *g_record;
  const int32_t bytes = (r.outRect.right - r.outRect.left) * r.planes;
  auto untouched = [&](int32_t y) {
    const auto* row = static_cast<const uint8_t*>(r.outData) + y * r.outRowBytes;
    return std::all_of(row, row + bytes, [](uint8_t b) { return b == HostControls{}.sentinel; });
  };
  g_inOrder =
      g_inOrder && total == r.outRect.bottom - r.outRect.top && untouched(done) && (done == 0 || !untouched(done - 1));
  g_rows.push_back(done);
}

// A pixel map handed to displayPixels, and where it was to go.
PSPixelMap g_map{};
PSPixelMask g_mask{};
int32_t g_row = 0, g_column = 0;
int16_t CaptureMap(const PSPixelMap* map, const Rect32* source, int32_t row, int32_t column, void*)
{
  g_map = *map;
  if (map->masks)
    g_mask = *map->masks;
  g_row = row, g_column = column;
  return std::memcmp(source, &map->bounds, sizeof *source) == 0 ? noErr : -1;
}

} // namespace

TEST_F(Bridge, EveryModeRoundTripsThroughPaddedBuffers)
{
  // One Start after another, each with another size, mode or alpha: every
  // byte the plug-in owns is written (the sentinel pre-fill is gone), row
  // padding is never touched, and nothing comes back changed.
  host.Controls().rowPadding = 3;
  host.Controls().sentinelPrefill = true;
  bool maskMatches = true;
  bool alpha = false;
  app.start = [&](AppShell& shell) {
    EXPECT_TRUE(shell.AcquireImage(0, nullptr));
    maskMatches = maskMatches && (PlugIn(shell).MaskBuffer() != nullptr) == alpha;
    EXPECT_TRUE(shell.DeliverImage(nullptr, nullptr, nullptr));
    return shell.Quit(0), true;
  };
  int size = 3;
  for (const int16_t mode : {plugInModeRGBColor, plugInModeGrayScale, plugInModeCMYKColor})
    for (const bool withAlpha : {true, false}) {
      alpha = withAlpha;
      HostImage image = TestImage(mode, alpha, size, size - 1);
      if (mode == plugInModeCMYKColor) // inks the host's conversion gives back exactly
        for (int32_t y = 0; y < image.height; ++y)
          for (int32_t x = 0; x < image.width; ++x) {
            uint8_t* p = image.At(x, y);
            const int16_t rgb[3] = {p[0], p[1], p[2]};
            int16_t cmyk[4];
            RgbToCmyk(rgb, cmyk);
            std::copy(cmyk, cmyk + 4, p);
          }
      const HostImage before = image;
      host.ClearLog();
      const RunResult run = Run(image);
      SCOPED_TRACE(testing::Message() << "mode " << mode << (alpha ? " with alpha" : ""));
      EXPECT_EQ(run.result, noErr);
      EXPECT_TRUE(run.committed);
      EXPECT_TRUE(host.OutputPaddingIntact());
      EXPECT_EQ(image.pixels, before.pixels);
      EXPECT_EQ(host.Count("advanceState("), 2);
      EXPECT_EQ(host.Count("progressProc("), size - 1);
      // One conversion per pixel each way, reserved fields zero.
      EXPECT_EQ(host.Count("colorServices("), mode == plugInModeCMYKColor ? 2 * size * (size - 1) : 0);
      EXPECT_EQ(CountIn(host, "reserved!=0"), 0);
      size += 2;
    }
  EXPECT_TRUE(maskMatches);
}

TEST_F(Bridge, RequestsProgressAndSubRectangles)
{
  HostImage image = TestImage(plugInModeRGBColor, true, 6, 5);
  const HostImage before = image;
  host.Controls().sentinelPrefill = true;
  FilterRecord afterInput{}, afterOutput{};
  bool clearMask = false;
  app.start = [&](AppShell& shell) {
    FilterRecord& r = *PlugIn(shell).Record();
    r.inTransparencyMask = clearMask ? 0 : r.inTransparencyMask; // the fourth plane becomes one not ours
    shell.AcquireImage(0, nullptr);
    afterInput = r;
    shell.GetImage()->Invert();
    g_record = &r;
    r.progressProc = CheckRows;
    shell.DeliverImage(nullptr, nullptr, nullptr);
    afterOutput = r;
    return shell.Quit(0), true;
  };
  RunOptions options;
  options.filterRect = Rect16{1, 2, 4, 5}; // rows 1..3, columns 2..4
  ASSERT_TRUE(Run(image, options).committed);
  EXPECT_EQ(host.Log()[2], "advanceState(in=(1,2,4,5) 0..3 out=(0,0,0,0) 0..0 mask=(0,0,0,0)) = 0");
  EXPECT_EQ(host.Log()[3], "advanceState(in=(0,0,0,0) 0..0 out=(1,2,4,5) 0..3 mask=(0,0,0,0)) = 0");
  EXPECT_EQ(afterInput.inputRate, 0x10000);
  EXPECT_EQ(afterInput.maskRate, 0);
  EXPECT_EQ(afterInput.inputPadding, 0);
  EXPECT_EQ(afterOutput.inputRate, 0);
  EXPECT_EQ(afterOutput.outputPadding, 0);
  EXPECT_EQ(g_rows, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_TRUE(g_inOrder);
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 6; ++x)
      for (int p = 0; p < 4; ++p) {
        const bool inside = y >= 1 && y < 4 && x >= 2 && x < 5;
        const uint8_t was = before.At(x, y)[p];
        EXPECT_EQ(image.At(x, y)[p], inside && p < 3 ? 255 - was : was) << x << "," << y << "," << p;
      }

  // Without transparency the fourth plane is never written: it keeps the
  // host's pre-fill.
  clearMask = true;
  image = before;
  ASSERT_TRUE(Run(image, options).committed);
  EXPECT_EQ(image.At(3, 2)[3], HostControls{}.sentinel);
  EXPECT_EQ(image.At(3, 2)[0], 255 - before.At(3, 2)[0]);

  // A zero-width rectangle: an empty image, no pixel loop, success.
  image = before;
  options.filterRect = Rect16{1, 2, 3, 2};
  g_rows.clear();
  app.start = [](AppShell& shell) {
    EXPECT_TRUE(shell.AcquireImage(0, nullptr));
    EXPECT_EQ(shell.GetImage()->width, 0);
    EXPECT_EQ(shell.GetImage()->height, 2);
    EXPECT_TRUE(shell.DeliverImage(nullptr, nullptr, nullptr));
    return shell.Quit(0), true;
  };
  EXPECT_EQ(Run(image, options).result, noErr);
  EXPECT_EQ(host.Count("progressProc("), 0);
  EXPECT_EQ(image.pixels, before.pixels);
}

TEST_F(Bridge, FailedTransfersAreReportedAndNothingIsCommitted)
{
  HostImage image = TestImage(plugInModeCMYKColor, true, 3, 2);
  const HostImage before = image;
  struct Case {
    const char* what;
    int failCall;
    int16_t failCode;
    int16_t colorFailure;
    long skipAllocations; // -1: none fail
    bool acquire;
    int16_t expected;
    int requests;
  };
  const Case cases[] = {
      {"input request", 1, -7, 0, -1, true, -7, 1},
      {"output request", 2, -9, 0, -1, true, -9, 2},
      {"colour services", 0, 0, -3, -1, true, -3, 1},
      {"image memory", 0, 0, 0, 0, true, memFullErr, 1},
      {"mask memory", 0, 0, 0, 1, true, memFullErr, 1},
      {"nothing acquired", 0, 0, 0, -1, false, filterBadParameters, 0},
  };
  for (const Case& c : cases) {
    host.ClearLog();
    host.Controls().failCall = c.failCall;
    host.Controls().failCode = c.failCode;
    host.Controls().colorFailure = c.colorFailure;
    bool delivered = true;
    app.start = [&](AppShell& shell) {
      if (c.skipAllocations >= 0)
        standin::FailAllocations(c.skipAllocations, 1);
      if (c.acquire)
        shell.AcquireImage(0, nullptr);
      standin::ResetAllocationFaults();
      delivered = shell.DeliverImage(nullptr, nullptr, nullptr);
      return shell.Quit(0), true; // the application goes on as if it had applied
    };
    const RunResult run = Run(image);
    EXPECT_EQ(run.result, c.expected) << c.what;
    EXPECT_FALSE(run.committed) << c.what;
    EXPECT_FALSE(delivered) << c.what;
    EXPECT_EQ(host.Count("advanceState("), c.requests) << c.what;
    EXPECT_EQ(image.pixels, before.pixels) << c.what;
  }
}

TEST_F(Bridge, PreviewGoesThroughAnIdentifiedHostOnly)
{
  HostImage image = TestImage(plugInModeRGBColor, false, 4, 3);
  HWND window = standin::CreateSurfaceWindow(8, 8);
  app.start = [&](AppShell& s) {
    FilterPlugInShell& shell = PlugIn(s);
    shell.AcquireImage(0, nullptr);
    QVImage* picture = shell.GetImage();
    QVPaintDevice device(window);
    const QVRect whole(0, 0, 4, 3);
    EXPECT_FALSE(shell.DisplayPixels(device, whole, QVPoint(0, 0), picture, nullptr)); // not identified
    standin::SetVersionRecord(kDisplayingHostRecord);

    FilterRecord& r = *shell.Record();
    const DisplayPixelsProc hostDisplay = r.displayPixels;
    r.displayPixels = CaptureMap;
    // The source reaches 2 left of and 1 above the image: only its part
    // inside is drawn, where it would have landed.
    QVImage mask(4, 3, 1, nullptr);
    EXPECT_TRUE(shell.DisplayPixels(device, QVRect(-2, -1, 3, 3), QVPoint(5, 6), picture, &mask));
    const Rect32 clipped{0, 0, 3, 3};
    EXPECT_EQ(std::memcmp(&g_map.bounds, &clipped, sizeof clipped), 0);
    EXPECT_EQ((std::vector<int32_t>{g_map.version, g_map.imageMode, g_map.rowBytes, g_map.colBytes, g_map.planeBytes}),
              (std::vector<int32_t>{1, plugInModeRGBColor, picture->rowBytes, 3, -1}));
    EXPECT_EQ(g_map.baseAddr, picture->pixels + 2); // read backwards: R, G, B
    EXPECT_EQ(g_map.mat, nullptr);
    EXPECT_EQ((std::vector<int32_t>{g_mask.rowBytes, g_mask.colBytes}), (std::vector<int32_t>{mask.rowBytes, 1}));
    EXPECT_EQ(g_mask.maskData, mask.pixels);
    EXPECT_EQ(g_row, 6 + 1);
    EXPECT_EQ(g_column, 5 + 2);
    QVImage grey(4, 3, 1, nullptr);
    EXPECT_FALSE(shell.DisplayPixels(device, whole, QVPoint(0, 0), &grey, nullptr));

    // The host draws it, one pixel up and left of the window's corner.
    r.displayPixels = hostDisplay;
    EXPECT_TRUE(shell.DisplayPixels(device, whole, QVPoint(-1, -1), picture, nullptr));
    return shell.Quit(0), true;
  };
  ASSERT_EQ(Run(image).result, noErr);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 3; ++x) {
      const uint8_t* p = image.At(x + 1, y + 1);
      EXPECT_EQ(standin::ReadPixel(window, x, y), RGB(p[0], p[1], p[2])) << x << "," << y;
    }
  standin::DestroySurfaceWindow(window);
}
