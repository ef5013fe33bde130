// Headless dialogs: message boxes and the common file dialogs. Nothing is
// shown; every request is logged and answered from a script, else with the
// dialog's default (a message box's first button, a file dialog's Cancel).
#include "handles.h"
#include "win32/automation.h"

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
long g_beeps = 0;
DWORD g_commDlgError = 0;

// Whether a box of the given button set can answer `id`.
bool CanAnswer(UINT buttons, int id)
{
  switch (buttons) {
  case MB_OK: return id == IDOK;
  case MB_OKCANCEL: return id == IDOK || id == IDCANCEL;
  case MB_YESNOCANCEL: return id == IDYES || id == IDNO || id == IDCANCEL;
  case MB_YESNO: return id == IDYES || id == IDNO;
  default: return false;
  }
}

int DefaultAnswer(UINT buttons)
{
  return (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) ? IDYES : IDOK;
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

BOOL ScriptedFileDialog(OPENFILENAMEA* ofn, const char* kind, UINT style)
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

  if (!FileAnswers().empty()) {
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

namespace standin {

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
  return ScriptedFileDialog(ofn, kind ? kind : "", style);
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
  const UINT buttons = type & 0xFu;
  request.answer = DefaultAnswer(buttons);
  if (!BoxAnswers().empty()) {
    const int id = BoxAnswers().front();
    BoxAnswers().pop_front();
    if (CanAnswer(buttons, id)) {
      request.answer = id;
      request.scripted = true;
    } else {
      request.scriptError = true;
    }
  }
  if (g_echo)
    std::fprintf(stderr, "%s: %s\n", request.caption.c_str(), request.text.c_str());
  Log().push_back(request);
  return request.answer;
}

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) { return ScriptedFileDialog(ofn, "GetOpenFileName", ofn ? ofn->Flags : 0); }
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn) { return ScriptedFileDialog(ofn, "GetSaveFileName", ofn ? ofn->Flags : 0); }
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
