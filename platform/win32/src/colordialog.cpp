// The colour dialog as a real window: a grid of 48 basic colours, the 16
// custom colours of the record, a swatch of the colour chosen so far, its
// red, green and blue fields (0 to 255), "Add to Custom Colors", OK and
// Cancel. A click on a cell takes its colour; typing in a field changes the
// one channel.
#include "commondialogs.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using namespace standin::detail;

using standin::kColorCellGap;
using standin::kColorCellHeight;
using standin::kColorCellWidth;
constexpr int kColumns = 8, kBasicRows = 6, kCustomRows = 2;
constexpr int kGridLeft = standin::kColorGridLeft, kBasicTop = standin::kColorBasicTop;
constexpr int kCustomTop = standin::kColorCustomTop;
constexpr int kSwatchLeft = 215, kSwatchTop = 26, kSwatchWidth = 150, kSwatchHeight = 76;
constexpr int kWidth = 375, kHeight = 266;
constexpr int kFieldIds[3] = {standin::kColorDialogRed, standin::kColorDialogGreen, standin::kColorDialogBlue};

// Eight hues (red, orange, yellow, green, cyan, azure, blue, magenta) from
// light to dark in five rows, and a row of greys from black to white.
COLORREF BasicColor(int index)
{
  const int row = index / kColumns, column = index % kColumns;
  if (row == kBasicRows - 1) {
    const int grey = column * 255 / (kColumns - 1);
    return RGB(BYTE(grey), BYTE(grey), BYTE(grey));
  }
  static constexpr double kHues[kColumns] = {0, 30, 60, 120, 180, 210, 240, 300};
  static constexpr double kLightness[kBasicRows - 1] = {0.8, 0.5, 0.38, 0.25, 0.13};
  const double l = kLightness[row], chroma = (1 - std::fabs(2 * l - 1));
  const double h = kHues[column] / 60, x = chroma * (1 - std::fabs(std::fmod(h, 2) - 1));
  double r = 0, g = 0, b = 0;
  switch (int(h)) {
  case 0: r = chroma, g = x; break;
  case 1: r = x, g = chroma; break;
  case 2: g = chroma, b = x; break;
  case 3: g = x, b = chroma; break;
  case 4: r = x, b = chroma; break;
  default: r = chroma, b = x; break;
  }
  const double m = l - chroma / 2;
  auto channel = [m](double v) { return BYTE(std::lround((v + m) * 255)); };
  return RGB(channel(r), channel(g), channel(b));
}

RECT CellRect(int top, int index)
{
  const int x = kGridLeft + (index % kColumns) * (kColorCellWidth + kColorCellGap);
  const int y = top + (index / kColumns) * (kColorCellHeight + kColorCellGap);
  return RECT{x, y, x + kColorCellWidth, y + kColorCellHeight};
}

struct ColorDialog {
  HWND box = nullptr;
  COLORREF color = 0;
  COLORREF custom[16] = {};
  int nextCustom = 0;
  bool updating = false; // the fields are being set from `color`

  void ShowColor()
  {
    updating = true;
    const BYTE channels[3] = {GetRValue(color), GetGValue(color), GetBValue(color)};
    for (int i = 0; i < 3; ++i)
      SetDlgItemTextA(box, kFieldIds[i], std::to_string(channels[i]).c_str());
    updating = false;
    InvalidateRect(box, nullptr, TRUE);
  }
  // A field changed: its digits (at most 255) become the channel.
  void FieldChanged(int field)
  {
    if (updating)
      return;
    char text[16] = "";
    GetDlgItemTextA(box, kFieldIds[field], text, sizeof text);
    long value = 0;
    for (const char* c = text; *c >= '0' && *c <= '9' && value <= 255; ++c)
      value = value * 10 + (*c - '0');
    value = std::min(value, 255L);
    BYTE channels[3] = {GetRValue(color), GetGValue(color), GetBValue(color)};
    channels[field] = BYTE(value);
    color = RGB(channels[0], channels[1], channels[2]);
    InvalidateRect(box, nullptr, TRUE);
  }
  void Paint(HDC dc) const
  {
    auto cell = [&](const RECT& r, COLORREF fill) {
      const bool current = fill == color;
      FillSolid(dc, RECT{r.left - 2, r.top - 2, r.right + 2, r.bottom + 2}, current ? 0 : kFaceGrey);
      DrawEdge(dc, r, 0x808080, 0xFFFFFF);
      FillSolid(dc, RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, fill);
    };
    for (int i = 0; i < kColumns * kBasicRows; ++i)
      cell(CellRect(kBasicTop, i), BasicColor(i));
    for (int i = 0; i < kColumns * kCustomRows; ++i)
      cell(CellRect(kCustomTop, i), custom[i]);
    const RECT swatch{kSwatchLeft, kSwatchTop, kSwatchLeft + kSwatchWidth, kSwatchTop + kSwatchHeight};
    DrawEdge(dc, swatch, 0x808080, 0xFFFFFF);
    FillSolid(dc, RECT{swatch.left + 1, swatch.top + 1, swatch.right - 1, swatch.bottom - 1}, color);
  }
  // A press on a cell takes its colour.
  void Pressed(int x, int y)
  {
    auto hit = [&](int top, int count, auto colorOf) {
      for (int i = 0; i < count; ++i) {
        const RECT r = CellRect(top, i);
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
          color = colorOf(i);
          ShowColor();
          return true;
        }
      }
      return false;
    };
    if (!hit(kBasicTop, kColumns * kBasicRows, BasicColor))
      hit(kCustomTop, kColumns * kCustomRows, [this](int i) { return custom[i]; });
  }
};

INT_PTR CALLBACK ColorDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
  ColorDialog* d = DialogObject<ColorDialog>(box);
  if (!d)
    return FALSE;
  switch (message) {
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(box, &paint);
    d->Paint(dc);
    EndPaint(box, &paint);
    return TRUE;
  }
  case WM_LBUTTONDOWN: d->Pressed(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return TRUE;
  case WM_COMMAND:
    switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL: EndDialog(box, LOWORD(wParam)); break;
    case standin::kColorDialogAdd:
      d->custom[d->nextCustom] = d->color;
      d->nextCustom = (d->nextCustom + 1) % 16;
      InvalidateRect(box, nullptr, TRUE);
      break;
    default:
      for (int i = 0; i < 3; ++i)
        if (LOWORD(wParam) == kFieldIds[i] && HIWORD(wParam) == EN_CHANGE)
          d->FieldChanged(i);
      break;
    }
    return TRUE;
  default: return FALSE;
  }
}

} // namespace

namespace standin::detail {

std::optional<COLORREF> RunColorDialogWindow(CHOOSECOLORA& cc)
{
  ColorDialog d;
  d.color = (cc.Flags & CC_RGBINIT) ? cc.rgbResult & 0x00FFFFFFu : 0;
  for (int i = 0; i < 16; ++i)
    d.custom[i] = cc.lpCustColors ? cc.lpCustColors[i] & 0x00FFFFFFu : 0xFFFFFF;
  d.box = CreateModalBox(cc.hwndOwner, "Color", kWidth, kHeight, ColorDialogProc, false);
  if (!d.box)
    return std::nullopt;
  const HWND box = d.box;
  AddControl(box, "STATIC", "Basic colors:", WS_VISIBLE, kGridLeft, 6, 150, 16, -1);
  AddControl(box, "STATIC", "Custom colors:", WS_VISIBLE, kGridLeft, kCustomTop - 20, 150, 16, -1);
  const char* labels[3] = {"Red:", "Green:", "Blue:"};
  HWND first = nullptr;
  for (int i = 0; i < 3; ++i) {
    const int y = kSwatchTop + kSwatchHeight + 12 + 26 * i;
    AddControl(box, "STATIC", labels[i], WS_VISIBLE, kSwatchLeft, y + 3, 50, 16, -1);
    const HWND field = AddControl(box, "EDIT", "", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kSwatchLeft + 55, y, 50,
                                  22, kFieldIds[i], WS_EX_CLIENTEDGE);
    SendMessageA(field, EM_LIMITTEXT, 3, 0);
    first = first ? first : field;
  }
  AddControl(box, "BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, kGridLeft, kHeight - 33, 75, 23, IDOK);
  AddControl(box, "BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP, kGridLeft + 81, kHeight - 33, 75, 23, IDCANCEL);
  AddControl(box, "BUTTON", "Add to Custom Colors", WS_VISIBLE | WS_TABSTOP, kSwatchLeft, kHeight - 33, kSwatchWidth,
             23, kColorDialogAdd);
  SetWindowLongA(box, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&d));
  d.ShowColor();
  SetFocus(first);
  SendMessageA(first, EM_SETSEL, 0, -1);

  const INT_PTR answer = RunModalLoop(box, TopLevelOf(cc.hwndOwner), IDCANCEL);
  DestroyWindow(box);
  if (answer != IDOK)
    return std::nullopt;
  if (cc.lpCustColors)
    std::memcpy(cc.lpCustColors, d.custom, sizeof d.custom);
  return d.color;
}

} // namespace standin::detail
