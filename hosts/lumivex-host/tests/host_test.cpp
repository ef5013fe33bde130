// The host's selector sequence, request serving, commit rules and
// procedures, driven by plug-ins written here as plain functions.
#include "host.h"
#include "hosttest.h"
#include "plugin.h"
#include "procs.h"
#include "win32/automation.h"
#include "win32/gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace lvhost;

namespace {

// The plug-in under test: what each selector does.
std::function<void(int16_t selector, FilterRecord* r, int16_t* result)> g_plugin;

void Entry(int16_t selector, FilterRecord* record, intptr_t*, int16_t* result)
{
  *result = noErr;
  g_plugin(selector, record, result);
}

int32_t Width(const Rect16& r) { return r.right - r.left; }
int32_t Height(const Rect16& r) { return r.bottom - r.top; }

// Start as a filter does it: one input and one output request for the whole
// filterRect, colour planes inverted and alpha kept, rectangles emptied
// before returning. The buffers it was given go to `inData` and `outData`
// when those are given.
void InvertOnStart(FilterRecord* r, int16_t* result, const void** inData = nullptr, const void** outData = nullptr)
{
  const int planes = r->planes, colour = planes - (r->inTransparencyMask ? 1 : 0);
  r->inRect = r->filterRect;
  r->inLoPlane = 0;
  r->inHiPlane = static_cast<int16_t>(planes - 1);
  if ((*result = r->advanceState()) != noErr)
    return;
  if (inData)
    *inData = r->inData;
  const int32_t w = Width(r->filterRect), h = Height(r->filterRect);
  std::vector<uint8_t> in;
  for (int32_t y = 0; y < h; ++y) {
    const auto* row = static_cast<const uint8_t*>(r->inData) + y * r->inRowBytes;
    in.insert(in.end(), row, row + w * planes);
  }
  r->inRect = Rect16{};
  r->outRect = r->filterRect;
  r->outLoPlane = 0;
  r->outHiPlane = static_cast<int16_t>(planes - 1);
  if ((*result = r->advanceState()) != noErr)
    return;
  if (outData)
    *outData = r->outData;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t i = 0; i < w * planes; ++i)
      static_cast<uint8_t*>(r->outData)[y * r->outRowBytes + i] =
          i % planes < colour ? static_cast<uint8_t>(255 - in[static_cast<size_t>(y * w * planes + i)])
                              : in[static_cast<size_t>(y * w * planes + i)];
  r->outRect = Rect16{};
}

void Filter(int16_t selector, FilterRecord* r, int16_t* result)
{
  if (selector == filterSelectorStart)
    InvertOnStart(r, result);
}

std::vector<std::string> Selectors(const Host& host)
{
  std::vector<std::string> calls;
  for (const std::string& entry : host.Log())
    if (entry.rfind("ENTRYPOINT", 0) == 0)
      calls.push_back(entry);
  return calls;
}

class HostRun : public ::testing::Test {
protected:
  void SetUp() override { g_plugin = Filter; }
  RunResult Run(HostImage& image, RunOptions options = {}) { return host.Run(Entry, image, options); }
  Host host;
};

} // namespace

TEST_F(HostRun, CommitsTheLastOutputIntoItsRectangleOnly)
{
  HostImage image = TestImage(plugInModeRGBColor, true, 6, 4);
  const HostImage before = image;
  host.Controls().rowPadding = 3;
  host.Controls().sentinelPrefill = true; // every owned byte must be written
  RunOptions options;
  options.filterRect = Rect16{1, 2, 3, 5}; // top, left, bottom, right
  const RunResult result = Run(image, options);
  EXPECT_EQ(result.result, noErr);
  EXPECT_TRUE(result.committed);
  EXPECT_TRUE(host.OutputPaddingIntact());
  EXPECT_EQ(Selectors(host), (std::vector<std::string>{"ENTRYPOINT(1) = 0", "ENTRYPOINT(2) = 0", "ENTRYPOINT(3) = 0",
                                                       "ENTRYPOINT(5) = 0"}));
  EXPECT_EQ(host.Count("advanceState("), 2);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x)
      for (int p = 0; p < 4; ++p) {
        const bool inside = y >= 1 && y < 3 && x >= 2 && x < 5 && p < 3;
        const uint8_t was = before.At(x, y)[p];
        EXPECT_EQ(image.At(x, y)[p], inside ? 255 - was : was) << x << "," << y << "," << p;
      }
}

TEST_F(HostRun, FailuresAndMissingOutputChangeNothing)
{
  HostImage image = TestImage(plugInModeGrayScale, false, 3, 3);
  const HostImage before = image;
  // The plug-in fails after writing its output.
  g_plugin = [](int16_t selector, FilterRecord* r, int16_t* result) {
    Filter(selector, r, result);
    if (selector == filterSelectorStart)
      *result = userCanceledErr;
  };
  RunResult result = Run(image);
  EXPECT_EQ(result.result, userCanceledErr);
  EXPECT_FALSE(result.committed);
  EXPECT_EQ(host.Count("ENTRYPOINT(5)"), 0);
  EXPECT_EQ(image.pixels, before.pixels);

  // The host fails the second request; the plug-in passes the code on.
  g_plugin = Filter;
  host.ClearLog();
  host.Controls().failCall = 2;
  host.Controls().failCode = -5;
  result = Run(image);
  EXPECT_EQ(result.result, -5);
  EXPECT_FALSE(result.committed);
  EXPECT_EQ(image.pixels, before.pixels);

  // Success without any output request: nothing to commit.
  g_plugin = [](int16_t, FilterRecord*, int16_t*) {};
  host.Controls().failCall = 0;
  result = Run(image);
  EXPECT_EQ(result.result, noErr);
  EXPECT_FALSE(result.outputRequested);
  EXPECT_FALSE(result.committed);
  EXPECT_EQ(image.pixels, before.pixels);
}

// Where each request's pixels live: an input of every plane without
// padding is the image itself, an output only when the caller asks for it
// and the request holds no input; every other request gets a buffer of its
// own. Whichever it is, the filtered image comes out the same in every mode
// and on odd rectangles, and padding keeps its marker.
TEST_F(HostRun, ServesInPlaceOrInItsOwnBufferWithTheSameResult)
{
  const struct {
    int16_t mode;
    bool alpha;
  } modes[] = {{plugInModeGrayScale, false}, {plugInModeGrayScale, true},  {plugInModeRGBColor, false},
               {plugInModeRGBColor, true},   {plugInModeCMYKColor, false}, {plugInModeCMYKColor, true}};
  // Top, left, bottom, right on a 7 x 5 image: all of it, an odd middle, the
  // last pixel, one row, one column.
  const Rect16 rects[] = {{0, 0, 5, 7}, {1, 2, 4, 5}, {4, 6, 5, 7}, {2, 0, 3, 7}, {0, 3, 5, 4}};
  for (const auto& m : modes)
    for (const Rect16& rect : rects)
      for (const bool inPlace : {false, true})
        for (const int32_t padding : {0, 3}) {
          const std::string what = "mode " + std::to_string(m.mode) + (m.alpha ? " alpha" : "") + " rect " +
                                   RectText(rect) + (inPlace ? " in place" : "") + " padding " +
                                   std::to_string(padding);
          HostImage image = TestImage(m.mode, m.alpha, 7, 5);
          const HostImage before = image;
          const void *in = nullptr, *out = nullptr;
          g_plugin = [&](int16_t selector, FilterRecord* r, int16_t* result) {
            if (selector == filterSelectorStart)
              InvertOnStart(r, result, &in, &out);
          };
          host.Controls().rowPadding = padding;
          RunOptions options;
          options.filterRect = rect;
          options.outputInPlace = inPlace;
          const RunResult result = Run(image, options);
          ASSERT_EQ(result.result, noErr) << what;
          EXPECT_TRUE(result.committed) << what;
          EXPECT_TRUE(host.OutputPaddingIntact()) << what;
          const void* corner = image.At(rect.left, rect.top);
          EXPECT_EQ(in == corner, padding == 0) << what;
          EXPECT_EQ(out == corner, inPlace && padding == 0) << what;
          const int colour = image.ColorPlanes();
          for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < 7; ++x)
              for (int p = 0; p < image.Planes(); ++p) {
                const bool inside = y >= rect.top && y < rect.bottom && x >= rect.left && x < rect.right && p < colour;
                const uint8_t was = before.At(x, y)[p];
                ASSERT_EQ(image.At(x, y)[p], inside ? 255 - was : was) << what << " at " << x << "," << y << "," << p;
              }
        }
}

// An output asked for together with its input, or for some planes only,
// is the plug-in's own buffer even when outputs may be served in place.
TEST_F(HostRun, AnOutputWithItsInputOrOfSomePlanesHasItsOwnBuffer)
{
  HostImage image = TestImage(plugInModeRGBColor, true, 4, 3);
  const HostImage before = image;
  const void *in = nullptr, *out = nullptr;
  g_plugin = [&](int16_t selector, FilterRecord* r, int16_t* result) {
    if (selector != filterSelectorStart)
      return;
    r->inRect = r->outRect = r->filterRect;
    r->inHiPlane = r->outHiPlane = 3;
    if ((*result = r->advanceState()) != noErr)
      return;
    in = r->inData;
    out = r->outData;
    // The output is written from the input: the input must not change.
    for (int32_t y = 0; y < Height(r->filterRect); ++y)
      for (int32_t i = 0; i < 4 * Width(r->filterRect); ++i)
        static_cast<uint8_t*>(r->outData)[y * r->outRowBytes + i] =
            static_cast<uint8_t>(static_cast<const uint8_t*>(r->inData)[y * r->inRowBytes + (i + 1) % 16] + 1);
    r->inRect = r->outRect = Rect16{};
  };
  RunOptions options;
  options.outputInPlace = true;
  ASSERT_TRUE(Run(image, options).committed);
  EXPECT_EQ(in, static_cast<const void*>(image.At(0, 0)));
  EXPECT_NE(out, static_cast<const void*>(image.At(0, 0)));
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t i = 0; i < 16; ++i)
      EXPECT_EQ(image.At(0, y)[i], static_cast<uint8_t>(before.At(0, y)[(i + 1) % 16] + 1)) << y << " " << i;

  // Output of the colour planes only: the alpha plane stays.
  image = before;
  g_plugin = [&](int16_t selector, FilterRecord* r, int16_t* result) {
    if (selector != filterSelectorStart)
      return;
    r->outRect = r->filterRect;
    r->outHiPlane = 2;
    if ((*result = r->advanceState()) != noErr)
      return;
    out = r->outData;
    for (int32_t y = 0; y < 3; ++y)
      std::fill_n(static_cast<uint8_t*>(r->outData) + y * r->outRowBytes, 12, uint8_t{7});
    r->outRect = Rect16{};
  };
  ASSERT_TRUE(Run(image, options).committed);
  EXPECT_NE(out, static_cast<const void*>(image.At(0, 0)));
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x)
      EXPECT_EQ(std::vector<uint8_t>(image.At(x, y), image.At(x, y) + 4),
                (std::vector<uint8_t>{7, 7, 7, before.At(x, y)[3]}));
}

TEST_F(HostRun, OpenRequestsAreServedBeforeEachContinueAndBounded)
{
  // Requests left open by Start are served, then Continue is called.
  g_plugin = [](int16_t selector, FilterRecord* r, int16_t*) {
    if (selector == filterSelectorStart) {
      r->outRect = r->filterRect;
      r->outHiPlane = static_cast<int16_t>(r->planes - 1);
    } else if (selector == filterSelectorContinue) {
      ASSERT_NE(r->outData, nullptr);
      std::fill_n(static_cast<uint8_t*>(r->outData), r->outRowBytes * Height(r->outRect), 9);
      r->outRect = Rect16{};
    }
  };
  HostImage image = TestImage(plugInModeCMYKColor, false, 2, 2);
  RunResult result = Run(image);
  EXPECT_TRUE(result.committed);
  EXPECT_EQ(image.pixels, std::vector<uint8_t>(16, 9));
  EXPECT_EQ(host.Count("ENTRYPOINT(4)"), 1);

  // A plug-in that never closes its request is stopped.
  g_plugin = [](int16_t, FilterRecord* r, int16_t*) { r->inRect = Rect16{0, 0, 1, 1}; };
  host.ClearLog();
  host.Controls().continueLimit = 5;
  result = Run(image);
  EXPECT_TRUE(result.continueLimit);
  EXPECT_FALSE(result.committed);
  EXPECT_EQ(host.Count("ENTRYPOINT(4)"), 5);
  EXPECT_EQ(host.Count("ENTRYPOINT(5)"), 0);
}

TEST_F(HostRun, RequestsOutsideTheImageOrPlanesAreRefused)
{
  HostImage image = TestImage(plugInModeRGBColor, false, 4, 4);
  std::vector<int16_t> codes;
  g_plugin = [&codes](int16_t selector, FilterRecord* r, int16_t*) {
    if (selector != filterSelectorStart)
      return;
    const auto ask = [&](Rect16 in, int16_t lo, int16_t hi, Rect16 mask) {
      r->inRect = in;
      r->inLoPlane = lo;
      r->inHiPlane = hi;
      r->maskRect = mask;
      codes.push_back(r->advanceState());
    };
    ask(Rect16{0, 0, 4, 4}, 0, 2, Rect16{});           // the whole image: fine
    ask(Rect16{0, 0, 0, 0}, 0, 9, Rect16{});           // an empty request: nothing to serve
    ask(Rect16{0, 0, 5, 4}, 0, 2, Rect16{});           // one row too many
    ask(Rect16{-1, 0, 2, 2}, 0, 2, Rect16{});          // above the image
    ask(Rect16{0, 0, 2, 2}, 0, 3, Rect16{});           // a fourth plane of three
    ask(Rect16{0, 0, 2, 2}, 2, 1, Rect16{});           // lo above hi
    ask(Rect16{0, 2, 2, 1}, 0, 0, Rect16{});           // right before left
    ask(Rect16{0, 0, 2, 2}, 0, 2, Rect16{0, 0, 1, 1}); // a mask request
    r->inRect = r->maskRect = Rect16{};
  };
  Run(image);
  EXPECT_EQ(codes, (std::vector<int16_t>{0, 0, -30100, -30100, -30100, -30100, -30100, -30100}));
}

TEST_F(HostRun, ColorServicesConvertBothWaysAndRefuseTheRest)
{
  // RGB -> CMYK -> RGB is exact.
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 17)
      for (int b = 0; b < 256; b += 51) {
        const int16_t rgb[3] = {int16_t(r), int16_t(g), int16_t(b)};
        int16_t cmyk[4], back[3];
        RgbToCmyk(rgb, cmyk);
        CmykToRgb(cmyk, back);
        ASSERT_EQ(std::vector<int16_t>(back, back + 3), std::vector<int16_t>(rgb, rgb + 3));
      }
  // CMYK -> RGB: R = 255 - min(255, C + K); out-of-range components clamp.
  const int16_t cmyk[4] = {10, 300, -4, 20};
  int16_t rgb[3];
  CmykToRgb(cmyk, rgb);
  EXPECT_EQ(std::vector<int16_t>(rgb, rgb + 3), (std::vector<int16_t>{225, 0, 235}));

  ColorServicesInfo info{};
  info.infoSize = sizeof info;
  info.selector = colorServicesConvertColor;
  info.sourceSpace = colorSpaceRGB;
  info.resultSpace = colorSpaceCMYK;
  info.colorComponents[0] = 255;
  EXPECT_EQ(host.ColorServices(&info), noErr);
  EXPECT_EQ(std::vector<int16_t>(info.colorComponents, info.colorComponents + 4),
            (std::vector<int16_t>{0, 255, 255, 0}));
  host.Controls().colorFailure = -7;
  EXPECT_EQ(host.ColorServices(&info), -7);
  host.Controls().colorFailure = 0;
  info.resultSpace = colorSpaceRGB; // RGB to RGB
  EXPECT_NE(host.ColorServices(&info), noErr);
  info.resultSpace = colorSpaceCMYK;
  info.infoSize = 20;
  EXPECT_NE(host.ColorServices(&info), noErr);
  info.infoSize = sizeof info;
  info.reserved = &info;
  host.ColorServices(&info);
  EXPECT_NE(host.Log().back().find("reserved!=0"), std::string::npos);
}

TEST_F(HostRun, SuitesCheckEveryHandleAndToken)
{
  std::vector<int> checks;
  g_plugin = [&checks](int16_t selector, FilterRecord* r, int16_t*) {
    if (selector != filterSelectorStart)
      return;
    const HandleProcs* h = r->handleProcs;
    const ReadDescriptorProcs* rd = r->descriptorParameters->readDescriptorProcs;
    const WriteDescriptorProcs* wr = r->descriptorParameters->writeDescriptorProcs;
    const auto check = [&](bool ok) { checks.push_back(ok ? 1 : 0); };

    // Reading the given descriptor: entries in order, types checked.
    PIReadDescriptor token = rd->openReadDescriptorProc(r->descriptorParameters->descriptor, nullptr);
    check(token != nullptr);
    uint32_t key = 0, type = 0;
    int32_t flags = -1;
    check(rd->getKeyProc(token, &key, &type, &flags) && key == FourCC("lvAU") && type == typeBoolean && flags == 0);
    double number = 42;
    check(rd->getFloatProc(token, &number) != noErr && number == 42); // wrong type: untouched
    uint8_t flag = 0;
    check(rd->getBooleanProc(token, &flag) == noErr && flag == 1);
    check(rd->getKeyProc(token, &key, &type, &flags) && rd->getFloatProc(token, &number) == noErr && number == 1.8);
    check(!rd->getKeyProc(token, &key, &type, &flags) && rd->getFloatProc(token, &number) != noErr);
    check(rd->closeReadDescriptorProc(token) == noErr);
    check(rd->closeReadDescriptorProc(token) != noErr && !rd->getKeyProc(token, &key, &type, &flags));
    check(rd->openReadDescriptorProc(nullptr, nullptr) == nullptr);
    char data[4] = {};
    Ptr pointer = data;
    check(rd->openReadDescriptorProc(&pointer, nullptr) == nullptr); // not the host's handle
    check(rd->unusedProcs[0]() != noErr && wr->unusedProcs[10]() != noErr);

    // Handles: growth keeps the content and zero-fills; unknown ones are refused.
    Handle handle = h->newProc(2);
    h->lockProc(handle, 0)[0] = 'a';
    check(h->setSizeProc(handle, 6) == noErr && h->getSizeProc(handle) == 6 && (*handle)[0] == 'a' &&
          (*handle)[5] == 0);
    h->disposeProc(handle);
    h->disposeProc(handle);
    check(h->setSizeProc(handle, 1) == nilHandleErr && h->getSizeProc(&pointer) == 0);
    h->newProc(100); // never disposed: the host frees it

    // Writing: a bad or closed token is refused and never followed.
    PIWriteDescriptor writer = wr->openWriteDescriptorProc();
    const double gamma = 2.2;
    check(wr->putBooleanProc(writer, FourCC("lvAU"), 0) == noErr &&
          wr->putFloatProc(writer, FourCC("lvGA"), &gamma) == noErr &&
          wr->putIntegerProc(writer, FourCC("lvCT"), -3) == noErr);
    Handle written = nullptr;
    check(wr->closeWriteDescriptorProc(writer, &written) == noErr && written != nullptr);
    Handle untouched = &pointer;
    check(wr->closeWriteDescriptorProc(writer, &untouched) != noErr && untouched == &pointer);
    check(wr->putIntegerProc(reinterpret_cast<PIWriteDescriptor>(0x40), 1, 1) != noErr);
    h->disposeProc(r->descriptorParameters->descriptor);
    r->descriptorParameters->descriptor = written;
  };
  HostImage image = TestImage(plugInModeRGBColor, false, 2, 2);
  RunOptions options;
  options.playInfo = playInfoDontDisplay;
  options.descriptor = Descriptor{DescriptorEntry{FourCC("lvAU"), typeBoolean, true, 0, 0},
                                  DescriptorEntry{FourCC("lvGA"), typeFloat, false, 0, 1.8}};
  const RunResult result = Run(image, options);
  EXPECT_EQ(checks, std::vector<int>(checks.size(), 1));
  EXPECT_EQ(checks.size(), 17u);
  EXPECT_EQ(host.Count("disposeProc() error"), 1);
  EXPECT_EQ(host.Count("readDescriptorProcs slot 7 (unused)"), 1);
  EXPECT_EQ(host.Count("writeDescriptorProcs slot 16 (unused)"), 1);
  ASSERT_TRUE(result.recorded);
  EXPECT_EQ(*result.recorded, (Descriptor{DescriptorEntry{FourCC("lvAU"), typeBoolean, false, 0, 0},
                                          DescriptorEntry{FourCC("lvGA"), typeFloat, false, 0, 2.2},
                                          DescriptorEntry{FourCC("lvCT"), typeInteger, false, -3, 0}}));
}

TEST_F(HostRun, DisplayPixelsDrawsTheClippedSourceAtItsDestination)
{
  // A 4 x 3 image stored B, G, R as the plug-in keeps it, read R, G, B
  // from baseAddr + 2 with planeBytes -1.
  const int32_t w = 4, h = 3;
  std::vector<uint8_t> bgr(static_cast<size_t>(w * h * 3));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint8_t* p = &bgr[static_cast<size_t>((y * w + x) * 3)];
      p[0] = static_cast<uint8_t>(10 * x), p[1] = static_cast<uint8_t>(10 * y), p[2] = 200;
    }
  std::vector<uint8_t> mask(static_cast<size_t>(w * h), 255);
  mask[static_cast<size_t>(1 * w + 2)] = 0; // pixel (2, 1) fully transparent: white
  PSPixelMask pixelMask{nullptr, mask.data(), w, 1, 0};
  PSPixelMap map{1, Rect32{0, 0, h, w}, plugInModeRGBColor, w * 3, 3, -1, bgr.data() + 2, nullptr, &pixelMask, 0, 0};

  HWND window = standin::CreateSurfaceWindow(8, 8);
  HDC dc = GetDC(window);
  // The source (1, 1)-(3, 5) is clipped to the map's bounds (1, 1)-(3, 4);
  // its top left lands at (-1, -1), so image pixel (x, y) shows at (x - 2, y - 2).
  const Rect32 source{1, 1, 3, 5};
  EXPECT_EQ(host.DisplayPixels(&map, &source, -1, -1, dc), noErr);
  EXPECT_EQ(standin::ReadPixel(window, 0, 0), RGB(200, 20, 20));   // image (2, 2)
  EXPECT_EQ(standin::ReadPixel(window, 1, 0), RGB(200, 20, 30));   // image (3, 2)
  EXPECT_EQ(standin::ReadPixel(window, 2, 0), RGB(255, 255, 255)); // beyond the bounds: not drawn
  EXPECT_EQ(standin::ReadPixel(window, 0, 1), RGB(255, 255, 255)); // below the image: not drawn
  EXPECT_EQ(host.DisplayPixels(&map, &source, 2, 2, dc), noErr);
  EXPECT_EQ(standin::ReadPixel(window, 3, 2), RGB(255, 255, 255)); // image (2, 1) behind an empty mask
  EXPECT_EQ(standin::ReadPixel(window, 4, 2), RGB(200, 10, 30));   // image (3, 1)

  EXPECT_NE(host.DisplayPixels(&map, &source, 0, 0, nullptr), noErr);
  map.imageMode = plugInModeGrayScale;
  EXPECT_NE(host.DisplayPixels(&map, &source, 0, 0, dc), noErr);
  map.imageMode = plugInModeRGBColor;
  map.colBytes = 0;
  EXPECT_NE(host.DisplayPixels(&map, &source, 0, 0, dc), noErr);
  ReleaseDC(window, dc);
  standin::DestroySurfaceWindow(window);
}

TEST(HostLoading, FindsTheFilterAndChecksTheMode)
{
  LoadedPlugin plugin;
  lvxtext::Error error;
  ASSERT_TRUE(LoadPlugin(STUBMODULE_PATH, plugInModeCMYKColor, &plugin, &error)) << error.message;
  EXPECT_EQ(plugin.entryName, "ENTRYPOINT");
  EXPECT_NE(plugin.entry, nullptr);
  EXPECT_FALSE(LoadPlugin(STUBMODULE_PATH, 2, &plugin, &error)); // indexed colour
  EXPECT_NE(error.message.find("mode 2"), std::string::npos);
  EXPECT_FALSE(LoadPlugin("/no/such/plugin.so", 0, &plugin, &error));
  EXPECT_NE(error.message.find("/no/such/plugin.so"), std::string::npos);
  // A module without a property list.
  const std::string stub = STUBMODULE_PATH;
  EXPECT_FALSE(LoadPlugin(stub.substr(0, stub.rfind('/')) + "/libLvxWin32.so", 0, &plugin, &error));
  EXPECT_NE(error.message.find("no property list"), std::string::npos);
}
