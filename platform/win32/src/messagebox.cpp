// The message box as a real window: its icon, its text wrapped to a
// readable width, and the buttons of its type with the default one of
// MB_DEFBUTTONn. Enter presses the button with the focus (at first the
// default one); Esc and the close box answer Cancel where the box has one
// and OK in a box that has only OK.
#include "commondialogs.h"

#include "win32/drawing.h"

#include <algorithm>

namespace {

using namespace standin::detail;

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kWrapWidth = 360; // the text's widest line
constexpr int kButtonWidth = 75, kButtonHeight = 23, kButtonGap = 6;
constexpr int kTextId = 0xFFFF;

struct Box {
  UINT type = MB_OK;
  std::vector<int> buttons;
};

const char* ButtonText(int id)
{
  switch (id) {
  case IDOK: return "OK";
  case IDCANCEL: return "Cancel";
  case IDABORT: return "Abort";
  case IDRETRY: return "Retry";
  case IDIGNORE: return "Ignore";
  case IDYES: return "Yes";
  case IDNO: return "No";
  default: return "";
  }
}

UINT IconOf(UINT type) { return type & 0xF0u; }

// A filled shape of one colour with a bold white sign on it: a circle for
// information, questions and errors, a yellow triangle for warnings.
void PaintIcon(HDC dc, UINT icon, int x, int y)
{
  const char* sign = icon == MB_ICONERROR ? "X" : icon == MB_ICONQUESTION ? "?" : icon == MB_ICONWARNING ? "!" : "i";
  COLORREF face = RGB(0, 64, 200), ink = 0xFFFFFF;
  if (icon == MB_ICONWARNING) {
    face = RGB(250, 210, 0);
    ink = 0;
    // The triangle, row by row, with a dark outline.
    for (int row = 0; row < kIconSize - 2; ++row) {
      const int half = (row * (kIconSize / 2)) / (kIconSize - 2);
      const int cx = x + kIconSize / 2;
      FillSolid(dc, RECT{cx - half - 1, y + 1 + row, cx + half + 1, y + 2 + row}, RGB(96, 80, 0));
      if (half > 0)
        FillSolid(dc, RECT{cx - half, y + 1 + row, cx + half, y + 2 + row}, face);
    }
    FillSolid(dc, RECT{x, y + kIconSize - 1, x + kIconSize, y + kIconSize}, RGB(96, 80, 0));
  } else {
    if (icon == MB_ICONERROR)
      face = RGB(200, 0, 0);
    HBRUSH brush = CreateSolidBrush(face);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(GetRValue(face) / 2, GetGValue(face) / 2, GetBValue(face) / 2));
    const HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
    Ellipse(dc, x, y, x + kIconSize, y + kIconSize);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
  }
  HFONT font = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  const HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ink);
  SetTextAlign(dc, TA_CENTER | TA_TOP);
  SIZE size{};
  GetTextExtentPoint32A(dc, sign, 1, &size);
  const int top = icon == MB_ICONWARNING ? y + kIconSize - size.cy - 2 : y + (kIconSize - size.cy) / 2;
  TextOutA(dc, x + kIconSize / 2, top, sign, 1);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

INT_PTR CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM)
{
  const Box* b = DialogObject<Box>(box);
  if (!b)
    return FALSE;
  switch (message) {
  case WM_COMMAND: {
    int id = LOWORD(wParam);
    const bool has = std::find(b->buttons.begin(), b->buttons.end(), id) != b->buttons.end();
    if (id == IDCANCEL && !has)
      id = b->buttons == std::vector<int>{IDOK} ? IDOK : 0; // Esc in an OK box; else nothing
    else if (!has)
      id = 0;
    if (id)
      EndDialog(box, id);
    return TRUE;
  }
  case WM_PAINT: {
    if (!IconOf(b->type))
      return FALSE;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(box, &paint);
    PaintIcon(dc, IconOf(b->type), kMargin, kMargin);
    EndPaint(box, &paint);
    return TRUE;
  }
  default: return FALSE;
  }
}

} // namespace

namespace standin::detail {

std::vector<int> MessageBoxButtons(UINT type)
{
  switch (type & 0xFu) {
  case MB_OKCANCEL: return {IDOK, IDCANCEL};
  case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
  case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
  case MB_YESNO: return {IDYES, IDNO};
  case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
  default: return {IDOK};
  }
}

int MessageBoxCancelAnswer(UINT type)
{
  const std::vector<int> buttons = MessageBoxButtons(type);
  if (std::find(buttons.begin(), buttons.end(), IDCANCEL) != buttons.end())
    return IDCANCEL;
  if (std::find(buttons.begin(), buttons.end(), IDNO) != buttons.end())
    return IDNO;
  return buttons.front(); // OK, or Abort
}

int RunMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type)
{
  Box box;
  box.type = type;
  box.buttons = MessageBoxButtons(type);

  // The text's lines at the wrap width, measured in the dialog's font.
  HDC screen = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
  int textWidth = 0;
  SIZE cell{};
  GetTextExtentPoint32A(screen, "Xg", 2, &cell);
  const auto lines = WrapLines(screen, text, kWrapWidth);
  for (const auto& [start, length] : lines) {
    SIZE size{};
    GetTextExtentPoint32A(screen, text.c_str() + start, int(length), &size);
    textWidth = std::max<int>(textWidth, size.cx);
  }
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  const int textHeight = std::max(1, int(lines.size())) * int(cell.cy);

  const bool icon = IconOf(type) != 0;
  const int textLeft = icon ? kMargin + kIconSize + kMargin : kMargin;
  const int count = int(box.buttons.size());
  const int buttonsWidth = count * kButtonWidth + (count - 1) * kButtonGap;
  // Wide enough for the caption too, with room for the close box.
  const int width =
      std::max({textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin, GuiTextWidth(caption) + 40, 160});
  const int body = std::max(textHeight, icon ? kIconSize : 0);
  const int height = kMargin + body + kMargin + kButtonHeight + kMargin;

  const HWND handle = CreateModalBox(owner, caption, width, height, BoxProc, (type & MB_TOPMOST) != 0);
  if (!handle)
    return MessageBoxCancelAnswer(type);
  SetWindowLongA(handle, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&box));
  AddControl(handle, "STATIC", text.c_str(), WS_VISIBLE, textLeft, kMargin + (body - textHeight) / 2, textWidth + 1,
             textHeight, kTextId);
  const int chosen = int((type >> 8) & 0xFu);
  const int defaultIndex = chosen < count ? chosen : 0;
  HWND defaultButton = nullptr;
  int x = (width - buttonsWidth) / 2;
  for (int i = 0; i < count; ++i) {
    const DWORD style = WS_VISIBLE | WS_TABSTOP | (i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    const HWND button =
        AddControl(handle, "BUTTON", ButtonText(box.buttons[size_t(i)]), style, x, height - kMargin - kButtonHeight,
                   kButtonWidth, kButtonHeight, box.buttons[size_t(i)]);
    if (i == defaultIndex)
      defaultButton = button;
    x += kButtonWidth + kButtonGap;
  }
  const HWND ownerTop = TopLevelOf(owner);
  SetFocus(defaultButton);
  const INT_PTR answer = RunModalLoop(handle, ownerTop, MessageBoxCancelAnswer(type));
  DestroyWindow(handle);
  return int(answer);
}

} // namespace standin::detail
