// The dialog-box manager: templates, the modal loop with its keyboard
// handling (Enter, Esc, Tab), the dialog class and the dialog-item calls.
//
// Templates are compiled by the resource tool (rescomp's "dialog" and
// "control" lines) into this little-endian form:
//   "LVXDLG1\0", u32 style, u32 exStyle, i16 x, y, cx, cy (dialog units),
//   u16 point size, u16 control count, caption\0, font face\0,
//   then per control: u32 style, u32 exStyle, i16 x, y, cx, cy, u16 id,
//   class\0, text\0.
#include "wm.h"

#include "win32/drawing.h"

#include <algorithm>
#include <cstring>

namespace {

using namespace standin::detail;

struct ControlTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  int id = 0;
  std::string className;
  std::string text;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  int pointSize = 0;
  std::string caption;
  std::string font;
  std::vector<ControlTemplate> controls;
};

class Reader {
public:
  Reader(const BYTE* data, size_t size) : data_(data), size_(size) {}
  bool ok = true;
  uint32_t U32() { return Take(4); }
  int I16() { return int16_t(Take(2)); }
  int U16() { return int(Take(2)); }
  std::string Text()
  {
    const void* end = at_ < size_ ? std::memchr(data_ + at_, 0, size_ - at_) : nullptr;
    if (!end) {
      ok = false;
      return {};
    }
    std::string text(reinterpret_cast<const char*>(data_ + at_));
    at_ += text.size() + 1;
    return text;
  }

private:
  uint32_t Take(size_t bytes)
  {
    if (size_ - at_ < bytes || at_ > size_) {
      ok = false;
      return 0;
    }
    uint32_t v = 0;
    for (size_t i = 0; i < bytes; ++i)
      v |= uint32_t(data_[at_ + i]) << (8 * i);
    at_ += bytes;
    return v;
  }
  const BYTE* data_;
  size_t size_;
  size_t at_ = 0;
};

bool LoadTemplate(HINSTANCE module, LPCSTR name, DialogTemplate* t)
{
  HRSRC resource = FindResourceA(module, name, RT_DIALOG);
  if (!resource)
    return false;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
  const size_t size = SizeofResource(module, resource);
  if (!data || size < 8 || std::memcmp(data, "LVXDLG1", 8) != 0)
    return false;
  Reader in(data + 8, size - 8);
  t->style = in.U32();
  t->exStyle = in.U32();
  t->x = in.I16();
  t->y = in.I16();
  t->cx = in.I16();
  t->cy = in.I16();
  t->pointSize = in.U16();
  const int count = in.U16();
  t->caption = in.Text();
  t->font = in.Text();
  for (int i = 0; i < count && in.ok; ++i) {
    ControlTemplate c;
    c.style = in.U32();
    c.exStyle = in.U32();
    c.x = in.I16();
    c.y = in.I16();
    c.cx = in.I16();
    c.cy = in.I16();
    c.id = in.U16();
    c.className = in.Text();
    c.text = in.Text();
    t->controls.push_back(c);
  }
  return in.ok;
}

// Dialog units to pixels with the fixed base units 6 x 13, rounded.
int MapX(int x) { return x >= 0 ? (x * 6 + 2) / 4 : -((-x * 6 + 2) / 4); }
int MapY(int y) { return y >= 0 ? (y * 13 + 4) / 8 : -((-y * 13 + 4) / 8); }

bool IsClass(HWND window, const char* name)
{
  const WindowRecord* w = Find(window);
  return w && EqualNoCase(w->cls->name, name);
}

// Shown (judged on the control alone: the box may still be hidden) and enabled.
bool Ready(HWND window)
{
  const WindowRecord* w = Find(window);
  return w && w->Visible() && UsableForInput(window);
}

bool IsPushButton(HWND window)
{
  const WindowRecord* w = Find(window);
  return IsClass(window, "BUTTON") && (w->style & 0xF) <= BS_DEFPUSHBUTTON;
}

// The tab stops of the box in template order.
std::vector<HWND> TabStops(HWND box)
{
  std::vector<HWND> stops;
  if (const WindowRecord* w = Find(box))
    for (HWND child : w->children)
      if ((Find(child)->style & WS_TABSTOP) && Ready(child))
        stops.push_back(child);
  return stops;
}

void Press(HWND box, HWND button)
{
  SendMessageA(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), LPARAM(button));
}

// Enter, Esc and Tab for the box's windows; true when the key was used.
// A control that wants every key (a drop-down list that is down) keeps them.
bool DialogKey(HWND box, const MSG& msg)
{
  if (msg.message != WM_KEYDOWN || !(msg.hwnd == box || IsChild(box, msg.hwnd)))
    return false;
  if (msg.hwnd != box && (SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, 0) & DLGC_WANTALLKEYS))
    return false;
  switch (msg.wParam) {
  case VK_RETURN: {
    const HWND focus = GetFocus();
    if (IsChild(box, focus) && IsPushButton(focus)) {
      Press(box, focus);
      return true;
    }
    for (HWND child : std::vector<HWND>(Find(box)->children))
      if (IsPushButton(child) && (Find(child)->style & 0xF) == BS_DEFPUSHBUTTON && Ready(child)) {
        Press(box, child);
        break;
      }
    return true;
  }
  case VK_ESCAPE: SendMessageA(box, WM_COMMAND, IDCANCEL, LPARAM(GetDlgItem(box, IDCANCEL))); return true;
  case VK_TAB: {
    const std::vector<HWND> stops = TabStops(box);
    if (stops.empty())
      return true;
    const auto at = std::find(stops.begin(), stops.end(), GetFocus());
    const bool back = KeyIsDown(VK_SHIFT);
    size_t next = 0;
    if (at != stops.end()) {
      const size_t i = size_t(at - stops.begin());
      next = back ? (i + stops.size() - 1) % stops.size() : (i + 1) % stops.size();
    }
    SetFocus(stops[next]);
    return true;
  }
  default: return false;
  }
}

} // namespace

namespace standin::detail {

HWND CreateModalBox(HWND owner, const std::string& caption, int clientWidth, int clientHeight, DLGPROC proc,
                    bool topmost)
{
  const HWND ownerTop = TopLevelOf(owner);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | (topmost ? WS_EX_TOPMOST : 0u);
  const RECT insets = FrameOf(style, exStyle, true).Insets();
  const int width = clientWidth + insets.left + insets.right;
  const int height = clientHeight + insets.top + insets.bottom;
  RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (ownerTop)
    GetWindowRect(ownerTop, &around);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int x = std::max(0, std::min(int(around.left + around.right - width) / 2, screenWidth - width));
  const int y = std::max(0, std::min(int(around.top + around.bottom - height) / 2, screenHeight - height));
  const HWND box = CreateWindowExA(exStyle, kDialogClass, caption.c_str(), style, x, y, width, height, ownerTop,
                                   nullptr, nullptr, nullptr);
  if (WindowRecord* w = Find(box)) {
    w->dialog = std::make_unique<DialogState>();
    w->dialog->proc = proc;
  }
  return box;
}

INT_PTR RunModalLoop(HWND box, HWND ownerTop, INT_PTR ended)
{
  ShowWindow(box, SW_SHOW);
  if (ownerTop)
    EnableWindow(ownerTop, FALSE);
  MSG msg;
  for (;;) {
    const WindowRecord* w = Find(box);
    if (!w || !w->dialog || w->dialog->ended)
      break;
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      // Win32 passes a quit on to the loop outside; a loop that could never
      // get a message records its own deadlock instead.
      if (!LastRetrievalWasDeadlock())
        PostQuitMessage(int(msg.wParam));
      break;
    }
    if (!DialogKey(box, msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  const WindowRecord* w = Find(box);
  const INT_PTR result = w && w->dialog && w->dialog->ended ? w->dialog->result : ended;
  // The owner is enabled again first, so that activation can return to it.
  if (ownerTop && Find(ownerTop))
    EnableWindow(ownerTop, TRUE);
  return result;
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
  const WindowRecord* w = Find(window);
  if (w && w->dialog && w->dialog->proc) {
    if (const INT_PTR result = w->dialog->proc(window, message, wParam, lParam))
      return result;
    if (!Find(window))
      return 0;
  }
  if (message == WM_CLOSE) {
    PostMessageA(window, WM_COMMAND, IDCANCEL, LPARAM(GetDlgItem(window, IDCANCEL)));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace standin::detail

extern "C" {

INT_PTR DialogBoxParamA(HINSTANCE module, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param)
{
  DialogTemplate t;
  if (!LoadTemplate(module, name, &t))
    return Fail(ERROR_RESOURCE_NAME_NOT_FOUND, INT_PTR(-1));
  const HWND ownerTop = TopLevelOf(owner);
  // The box, hidden for now, placed relative to its owner's client area.
  const DWORD style = t.style & ~(WS_VISIBLE | WS_CHILD);
  const RECT insets = FrameOf(style, t.exStyle, true).Insets();
  POINT at{MapX(t.x), MapY(t.y)};
  if (ownerTop)
    ClientToScreen(ownerTop, &at);
  const HWND box = CreateWindowExA(t.exStyle, kDialogClass, t.caption.c_str(), style, at.x, at.y,
                                   MapX(t.cx) + insets.left + insets.right, MapY(t.cy) + insets.top + insets.bottom,
                                   ownerTop, nullptr, module, nullptr);
  if (!box)
    return INT_PTR(-1);
  HFONT font = nullptr;
  if ((t.style & DS_SETFONT) && !t.font.empty())
    font = CreateFontA(-(t.pointSize * 96 + 36) / 72, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, t.font.c_str());
  SendMessageA(box, WM_SETFONT, WPARAM(font), 0);
  for (const ControlTemplate& c : t.controls) {
    const HWND control =
        CreateWindowExA(c.exStyle, c.className.c_str(), c.text.c_str(), c.style | WS_CHILD, MapX(c.x), MapY(c.y),
                        MapX(c.cx), MapY(c.cy), box, reinterpret_cast<HMENU>(intptr_t(c.id)), module, nullptr);
    SendMessageA(control, WM_SETFONT, WPARAM(font), 0);
  }
  if (WindowRecord* w = Find(box)) {
    w->dialog = std::make_unique<DialogState>();
    w->dialog->proc = proc;
  }
  std::vector<HWND> stops = TabStops(box);
  const LRESULT init = SendMessageA(box, WM_INITDIALOG, WPARAM(stops.empty() ? nullptr : stops.front()), param);
  if (init && Find(box)) {
    // The default focus, judged after the procedure ran.
    stops = TabStops(box);
    if (!stops.empty())
      SetFocus(stops.front());
  }
  const INT_PTR result = RunModalLoop(box, ownerTop, -1);
  DestroyWindow(box);
  if (font)
    DeleteObject(font);
  return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
  WindowRecord* w = Find(dialog);
  if (!w || !w->dialog)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  w->dialog->ended = true;
  w->dialog->result = result;
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id)
{
  const WindowRecord* w = Find(dialog);
  if (!w)
    return Fail(ERROR_INVALID_HANDLE, HWND(nullptr));
  for (HWND child : w->children)
    if (Find(child)->id == id)
      return child;
  return nullptr;
}

int GetDlgCtrlID(HWND window)
{
  const WindowRecord* w = Find(window);
  return w && w->IsChild() ? int(w->id) : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
  const HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextA(item, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size)
{
  const HWND item = GetDlgItem(dialog, id);
  if (!item) {
    if (buffer && size > 0)
      buffer[0] = '\0';
    return 0;
  }
  return UINT(GetWindowTextA(item, buffer, size));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check)
{
  const HWND item = GetDlgItem(dialog, id);
  if (!item)
    return FALSE;
  SendMessageA(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id)
{
  const HWND item = GetDlgItem(dialog, id);
  return item ? UINT(SendMessageA(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL MapDialogRect(HWND dialog, RECT* rect)
{
  const WindowRecord* w = Find(dialog);
  if (!w || !w->dialog || !rect)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  *rect = RECT{MapX(rect->left), MapY(rect->top), MapX(rect->right), MapY(rect->bottom)};
  return TRUE;
}

} // extern "C"
