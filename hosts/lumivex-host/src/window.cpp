// The host's use of the window layer: its document window, which shows the
// picture handed to the plug-in, and the failures the layer recorded.
#include "host.h"

#include "win32/automation.h"
#include "win32/dibs.h"
#include "win32/drawing.h"
#include "win32/gdi.h"

#include <algorithm>
#include <memory>

namespace lvhost {
namespace {

constexpr char kWindowClass[] = "LumivexHostWindow";
// The document window's backdrop around the picture.
constexpr COLORREF kBackdrop = RGB(64, 64, 64);

// What the document window shows: the picture, and its reduced copy at the
// size last painted.
struct Document {
  const HostImage* image = nullptr;
  Picture shown;
};

Document* DocumentOf(HWND window) { return reinterpret_cast<Document*>(GetWindowLongA(window, GWL_USERDATA)); }

// One pixel of the host's image as B, G, R over white (alpha taken into
// account).
void PixelBgr(const HostImage& image, int32_t x, int32_t y, int sum[3])
{
  const uint8_t* p = image.At(x, y);
  int r = 0, g = 0, b = 0;
  if (image.mode == plugInModeGrayScale) {
    r = g = b = p[0];
  } else if (image.mode == plugInModeCMYKColor) {
    const int16_t cmyk[4] = {p[0], p[1], p[2], p[3]};
    int16_t rgb[3] = {};
    CmykToRgb(cmyk, rgb);
    r = rgb[0];
    g = rgb[1];
    b = rgb[2];
  } else {
    r = p[0];
    g = p[1];
    b = p[2];
  }
  if (image.alpha) {
    const int a = p[image.ColorPlanes()];
    r = (r * a + 255 * (255 - a)) / 255;
    g = (g * a + 255 * (255 - a)) / 255;
    b = (b * a + 255 * (255 - a)) / 255;
  }
  sum[0] += b;
  sum[1] += g;
  sum[2] += r;
}

void Paint(HWND window)
{
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  if (!dc)
    return;
  RECT client{};
  GetClientRect(window, &client);
  Document* document = DocumentOf(window);
  RECT at{};
  if (document && document->image) {
    Picture& shown = document->shown;
    int width = 0, height = 0;
    FitPicture(document->image->width, document->image->height, client.right, client.bottom, &width, &height);
    if (shown.width != width || shown.height != height)
      shown = ReducePicture(*document->image, width, height);
    at = RECT{(client.right - width) / 2, (client.bottom - height) / 2, 0, 0};
    at.right = at.left + width;
    at.bottom = at.top + height;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = shown.width;
    info.bmiHeader.biHeight = -shown.height; // rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    if (!shown.bgr.empty())
      SetDIBitsToDevice(dc, int(at.left), int(at.top), DWORD(shown.width), DWORD(shown.height), 0, 0, 0,
                        UINT(shown.height), shown.bgr.data(), &info, DIB_RGB_COLORS);
  }
  // The backdrop around the picture.
  HBRUSH backdrop = CreateSolidBrush(kBackdrop);
  const RECT bands[4] = {{0, 0, client.right, at.top},
                         {0, at.top, at.left, at.bottom},
                         {at.right, at.top, client.right, at.bottom},
                         {0, at.bottom, client.right, client.bottom}};
  for (const RECT& band : bands)
    if (band.right > band.left && band.bottom > band.top)
      FillRect(dc, &band, backdrop);
  DeleteObject(backdrop);
  EndPaint(window, &paint);
}

LRESULT CALLBACK DocumentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message) {
  case WM_PAINT: Paint(window); return 0;
  case WM_ERASEBKGND: return 1; // painting covers the whole client area
  case WM_SIZE: InvalidateRect(window, nullptr, FALSE); return 0;
  case WM_NCDESTROY:
    delete DocumentOf(window);
    SetWindowLongA(window, GWL_USERDATA, 0);
    break;
  default: break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

void FitPicture(int32_t width, int32_t height, int32_t areaWidth, int32_t areaHeight, int* fitWidth, int* fitHeight)
{
  *fitWidth = *fitHeight = 0;
  if (width <= 0 || height <= 0 || areaWidth <= 0 || areaHeight <= 0)
    return;
  // The side that meets its edge first keeps the area's length (or its own
  // when that is shorter); the other follows, rounded.
  const auto scaled = [](int64_t side, int64_t to, int64_t from) {
    return int(std::max<int64_t>(1, (side * to + from / 2) / from));
  };
  if (int64_t(width) * areaHeight >= int64_t(height) * areaWidth) {
    *fitWidth = std::min(width, areaWidth);
    *fitHeight = scaled(height, *fitWidth, width);
  } else {
    *fitHeight = std::min(height, areaHeight);
    *fitWidth = scaled(width, *fitHeight, height);
  }
}

Picture ReducePicture(const HostImage& image, int width, int height)
{
  Picture picture;
  if (width <= 0 || height <= 0 || image.width <= 0 || image.height <= 0)
    return picture;
  picture.width = width;
  picture.height = height;
  picture.stride = (width * 3 + 3) & ~3;
  picture.bgr.assign(size_t(picture.stride) * size_t(height), 0);
  // Each pixel is the mean of the image's pixels that fall into it.
  for (int y = 0; y < height; ++y) {
    const int32_t top = int32_t(int64_t(y) * image.height / height);
    const int32_t bottom = std::max(top + 1, int32_t(int64_t(y + 1) * image.height / height));
    for (int x = 0; x < width; ++x) {
      const int32_t left = int32_t(int64_t(x) * image.width / width);
      const int32_t right = std::max(left + 1, int32_t(int64_t(x + 1) * image.width / width));
      int sum[3] = {0, 0, 0};
      for (int32_t sy = top; sy < bottom; ++sy)
        for (int32_t sx = left; sx < right; ++sx)
          PixelBgr(image, sx, sy, sum);
      const int count = int((bottom - top) * (right - left));
      uint8_t* out = picture.bgr.data() + size_t(y) * size_t(picture.stride) + size_t(x) * 3;
      for (int c = 0; c < 3; ++c)
        out[c] = uint8_t((sum[c] + count / 2) / count);
    }
  }
  return picture;
}

HWND CreateHostWindow(const HostImage* image)
{
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DocumentProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
  wc.lpszClassName = kWindowClass;
  WNDCLASSEXA known{};
  known.cbSize = sizeof known;
  if (!GetClassInfoExA(nullptr, kWindowClass, &known))
    RegisterClassExA(&wc);
  HWND window = CreateWindowExA(0, kWindowClass, "lumivex-host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480,
                                nullptr, nullptr, nullptr, nullptr);
  // Its first paint, which comes later, shows the picture.
  if (window)
    SetWindowLongA(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(new Document{image, {}}));
  return window;
}

void DestroyHostWindow(HWND window)
{
  if (window)
    DestroyWindow(window);
}

// A deadlocked message loop is one of them.
size_t RecordedWindowFailures() { return standin::Failures().size(); }

} // namespace lvhost
