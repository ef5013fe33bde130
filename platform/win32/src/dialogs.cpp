// Message boxes and the common file and colour dialogs: every request is
// logged and answered from the script when an answer waits; else, while
// windows are presented (or the automation API asks for it), the dialog
// opens as a real window (messagebox.cpp, filedialog.cpp, colordialog.cpp);
// else it takes its default (a message box's first button, a file or
// colour dialog's Cancel).
#include "commondialogs.h"
#include "win32/automation.h"
#include "win32/drawing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <sys/stat.h>

namespace {

std::vector<standin::DialogRequest>& Log()
{
  static auto* log = new std::vector<standin::DialogRequest>;
  return *log;
}
std::deque<int>& BoxAnswers()
{
  static auto* answers = new std::deque<int>;
  return *answers;
}
// A file answer, or nothing for Cancel.
std::deque<std::optional<std::string>>& FileAnswers()
{
  static auto* answers = new std::deque<std::optional<std::string>>;
  return *answers;
}
// A colour answer, or nothing for Cancel.
std::deque<std::optional<COLORREF>>& ColorAnswers()
{
  static auto* answers = new std::deque<std::optional<COLORREF>>;
  return *answers;
}
bool g_echo = false;
bool g_realDialogs = false;
long g_beeps = 0;
DWORD g_commDlgError = 0;

using standin::detail::MessageBoxButtons;

// Whether a box of the given type can answer `id`.
bool CanAnswer(UINT type, int id)
{
  const std::vector<int> buttons = MessageBoxButtons(type);
  return std::find(buttons.begin(), buttons.end(), id) != buttons.end();
}

size_t NameOffset(const std::string& path)
{
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? 0 : slash + 1;
}

bool IsFolder(const std::string& path)
{
  std::string native;
  struct stat st;
  return standin::MapPath(path.c_str(), native) && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path)
{
  std::string native;
  struct stat st;
  return standin::MapPath(path.c_str(), native) && stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// Whether the dialog would accept `path` under its flags.
bool CanChoose(const std::string& path, DWORD flags)
{
  if (path.empty() || NameOffset(path) == path.size())
    return false;
  if ((flags & OFN_FILEMUSTEXIST) && !IsFile(path))
    return false;
  const size_t offset = NameOffset(path);
  if ((flags & OFN_PATHMUSTEXIST) && offset > 0 && !IsFolder(path.substr(0, offset)))
    return false;
  return true;
}

std::string Text(const char* text) { return text ? text : ""; }

BOOL AnswerFileDialog(OPENFILENAMEA* ofn, const char* kind, UINT style)
{
  g_commDlgError = 0;
  if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEA)) {
    g_commDlgError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
    g_commDlgError = CDERR_INITIALIZATION;
    return FALSE;
  }
  standin::DialogRequest request;
  request.kind = kind;
  request.owner = ofn->hwndOwner;
  request.caption = Text(ofn->lpstrTitle);
  request.style = style;
  request.instance = ofn->hInstance;
  for (const char* entry = ofn->lpstrFilter; entry && *entry;) {
    const std::string label = entry;
    entry += label.size() + 1;
    const std::string pattern = entry;
    entry += pattern.size() + 1;
    request.filters.emplace_back(label, pattern);
  }
  request.filterIndex = ofn->nFilterIndex;
  request.initialDir = Text(ofn->lpstrInitialDir);
  request.fileName.assign(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
  request.defaultExt = Text(ofn->lpstrDefExt);
  request.answer = IDCANCEL;

  const bool save = std::strcmp(kind, "GetSaveFileName") == 0;
  if (FileAnswers().empty() && standin::detail::ShowsRealDialogs()) {
    DWORD filterIndex = ofn->nFilterIndex;
    if (const std::optional<std::string> chosen = standin::detail::RunFileDialogWindow(*ofn, save, &filterIndex)) {
      request.answer = IDOK;
      request.chosenPath = *chosen;
      ofn->nFilterIndex = filterIndex;
    }
  } else if (!FileAnswers().empty()) {
    std::optional<std::string> scripted = FileAnswers().front();
    FileAnswers().pop_front();
    if (scripted) {
      std::string path = *scripted;
      const size_t offset = NameOffset(path);
      if (!request.defaultExt.empty() && offset < path.size() && path.find('.', offset) == std::string::npos)
        path += "." + request.defaultExt;
      if (CanChoose(path, ofn->Flags)) {
        request.answer = IDOK;
        request.chosenPath = path;
        request.scripted = true;
      } else {
        request.scriptError = true;
      }
    } else {
      request.scripted = true;
    }
  }

  BOOL result = FALSE;
  if (request.answer == IDOK) {
    const std::string& path = request.chosenPath;
    if (path.size() + 1 > ofn->nMaxFile) {
      g_commDlgError = FNERR_BUFFERTOOSMALL;
      // As on Windows, the first two bytes tell the size needed.
      if (ofn->nMaxFile >= 2) {
        const size_t needed = path.size() + 1;
        ofn->lpstrFile[0] = static_cast<char>(needed & 0xFF);
        ofn->lpstrFile[1] = static_cast<char>((needed >> 8) & 0xFF);
      }
    } else {
      std::memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
      const size_t offset = NameOffset(path);
      const size_t dot = path.find_last_of('.');
      ofn->nFileOffset = static_cast<WORD>(offset);
      ofn->nFileExtension = static_cast<WORD>(dot != std::string::npos && dot >= offset ? dot + 1 : path.size());
      const std::string name = path.substr(offset);
      if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > name.size())
        std::memcpy(ofn->lpstrFileTitle, name.c_str(), name.size() + 1);
      result = TRUE;
    }
  }
  if (g_echo)
    std::fprintf(stderr, "%s \"%s\": %s\n", kind, request.caption.c_str(),
                 request.answer == IDOK ? request.chosenPath.c_str() : "(cancelled)");
  Log().push_back(request);
  return result;
}

} // namespace

namespace standin::detail {

bool ShowsRealDialogs() { return g_realDialogs || standin::Presenting(); }

HWND AddControl(HWND box, const char* className, const char* text, DWORD style, int x, int y, int width, int height,
                int id, DWORD exStyle)
{
  const HWND control = CreateWindowExA(exStyle, className, text, style | WS_CHILD, x, y, width, height, box,
                                       reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
  if (control)
    SendMessageA(control, WM_SETFONT, WPARAM(SendMessageA(box, WM_GETFONT, 0, 0)), 0);
  return control;
}

int GuiTextWidth(const std::string& text)
{
  HDC screen = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  GetTextExtentPoint32A(screen, text.c_str(), int(text.size()), &size);
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  return int(size.cx);
}

} // namespace standin::detail

namespace standin {

void ShowRealDialogs(bool on) { g_realDialogs = on; }

void QueueMessageBoxAnswer(int id) { BoxAnswers().push_back(id); }
void QueueFileDialogAnswer(const char* path) { FileAnswers().push_back(std::string(path ? path : "")); }
void QueueFileDialogCancel() { FileAnswers().push_back(std::nullopt); }
void QueueColorDialogAnswer(COLORREF color) { ColorAnswers().push_back(color); }
void QueueColorDialogCancel() { ColorAnswers().push_back(std::nullopt); }
long BeepCount() { return g_beeps; }
const std::vector<DialogRequest>& DialogLog() { return Log(); }
void ClearDialogLog() { Log().clear(); }
void EchoDialogs(bool on) { g_echo = on; }
bool EchoingDialogs() { return g_echo; }

BOOL RunFileDialog(OPENFILENAMEA* ofn, const char* kind, UINT style)
{
  return AnswerFileDialog(ofn, kind ? kind : "", style);
}

void LogDialogRequest(const DialogRequest& request)
{
  if (g_echo)
    std::fprintf(stderr, "%s\n", request.kind.c_str());
  Log().push_back(request);
}

} // namespace standin

extern "C" {

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
  standin::DialogRequest request;
  request.kind = "MessageBox";
  request.owner = owner;
  request.text = Text(text);
  request.caption = caption ? caption : "Error";
  request.style = type;
  request.answer = MessageBoxButtons(type).front();
  if (g_echo)
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
  if (!BoxAnswers().empty()) {
    const int id = BoxAnswers().front();
    BoxAnswers().pop_front();
    if (CanAnswer(type, id)) {
      request.answer = id;
      request.scripted = true;
    } else {
      request.scriptError = true;
    }
  } else if (standin::detail::ShowsRealDialogs()) {
    request.answer = standin::detail::RunMessageBox(owner, request.text, request.caption, type);
  }
  Log().push_back(request);
  return request.answer;
}

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) { return AnswerFileDialog(ofn, "GetOpenFileName", ofn ? ofn->Flags : 0); }
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn) { return AnswerFileDialog(ofn, "GetSaveFileName", ofn ? ofn->Flags : 0); }
DWORD CommDlgExtendedError(void) { return g_commDlgError; }

BOOL ChooseColorA(CHOOSECOLORA* cc)
{
  g_commDlgError = 0;
  if (!cc || cc->lStructSize != sizeof(CHOOSECOLORA)) {
    g_commDlgError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  standin::DialogRequest request;
  request.kind = "ChooseColor";
  request.owner = cc->hwndOwner;
  request.style = cc->Flags;
  request.instance = cc->hInstance;
  request.initialColor = (cc->Flags & CC_RGBINIT) ? cc->rgbResult : 0;
  request.answer = IDCANCEL;
  if (!ColorAnswers().empty()) {
    const std::optional<COLORREF> scripted = ColorAnswers().front();
    ColorAnswers().pop_front();
    request.scripted = true;
    if (scripted) {
      request.answer = IDOK;
      request.chosenColor = *scripted & 0x00FFFFFFu;
      cc->rgbResult = request.chosenColor;
    }
  } else if (standin::detail::ShowsRealDialogs()) {
    if (const std::optional<COLORREF> chosen = standin::detail::RunColorDialogWindow(*cc)) {
      request.answer = IDOK;
      request.chosenColor = *chosen;
      cc->rgbResult = *chosen;
    }
  }
  if (g_echo)
    std::fprintf(stderr, "ChooseColor: %s\n", request.answer == IDOK ? "chosen" : "(cancelled)");
  Log().push_back(request);
  return request.answer == IDOK ? TRUE : FALSE;
}

BOOL MessageBeep(UINT)
{
  ++g_beeps;
  return TRUE;
}

} // extern "C"
