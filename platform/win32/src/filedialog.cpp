// The open and save dialogs as real windows: the folder shown, its
// sub-folders and the files that match the chosen filter, a parent-folder
// button, the file-name field (which has the focus at first and takes a
// name, a relative or an absolute path, Windows-style or with '/'), the
// filter drop-down, and Open or Save and Cancel.
//
// Paths keep the form they were given in: a Windows-style folder
// ("C:\Photos") stays Windows-style, a native one ("/home/me") native, so
// that what the dialog returns maps through CreateFileA to what was shown.
#include "commondialogs.h"
#include "win32/files.h"
#include "win32/paths.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace standin::detail;

// Control ids (see standin::kFileDialog* in win32/automation.h).
constexpr int kFolderId = standin::kFileDialogFolder, kUpId = standin::kFileDialogUp;
constexpr int kListId = standin::kFileDialogList, kNameId = standin::kFileDialogName;
constexpr int kTypesId = standin::kFileDialogTypes;
constexpr int kWidth = 440, kHeight = 298;

// ---- Paths ----------------------------------------------------------------------

// A path as its root ("C:\", "/") and the names below it.
struct Path {
  std::string root;
  std::vector<std::string> names;

  bool Windows() const { return root.size() >= 2 && root[1] == ':'; }
  char Separator() const { return Windows() ? '\\' : '/'; }
  std::string Text() const
  {
    std::string text = root;
    for (size_t i = 0; i < names.size(); ++i)
      text += (i ? std::string(1, Separator()) : std::string()) + names[i];
    return text;
  }
  Path Child(const std::string& name) const
  {
    Path child = *this;
    child.names.push_back(name);
    return child;
  }
};

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// `text` resolved against `base`: "X:..." is absolute on drive X, "/..." a
// native absolute path, "\..." the root of the base's drive, anything else
// lies below the base. "." is dropped and ".." goes up (never above a root).
Path Resolve(const std::string& text, const Path& base)
{
  Path path;
  std::string rest = text;
  if (text.size() >= 2 && IsLetter(text[0]) && text[1] == ':') {
    path.root = std::string(1, char(text[0] & ~0x20)) + ":\\";
    rest = text.substr(2);
  } else if (!text.empty() && text[0] == '/') {
    path.root = "/";
  } else if (!text.empty() && text[0] == '\\') {
    path.root = base.root;
  } else {
    path = base;
  }
  size_t at = 0;
  while (at <= rest.size()) {
    const size_t end = std::min(rest.find_first_of("\\/", at), rest.size());
    const std::string name = rest.substr(at, end - at);
    if (name == "..") {
      if (!path.names.empty())
        path.names.pop_back();
    } else if (!name.empty() && name != ".") {
      path.names.push_back(name);
    }
    at = end + 1;
  }
  return path;
}

Path CurrentFolder()
{
  char cwd[PATH_MAX];
  return Resolve(getcwd(cwd, sizeof cwd) ? cwd : "/", Path{"/", {}});
}

// 0: missing, 1: a file, 2: a folder.
int Kind(const Path& path)
{
  std::string native;
  struct stat st;
  if (!standin::MapPath(path.Text().c_str(), native) || stat(native.c_str(), &st) != 0)
    return 0;
  return S_ISDIR(st.st_mode) ? 2 : 1;
}

std::string Trim(const std::string& text)
{
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return "";
  std::string trimmed = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  if (trimmed.size() >= 2 && trimmed.front() == '"' && trimmed.back() == '"')
    trimmed = trimmed.substr(1, trimmed.size() - 2);
  return trimmed;
}

std::vector<std::string> Patterns(const std::string& list)
{
  std::vector<std::string> patterns;
  size_t at = 0;
  while (at <= list.size()) {
    const size_t end = std::min(list.find(';', at), list.size());
    const std::string pattern = Trim(list.substr(at, end - at));
    if (!pattern.empty())
      patterns.push_back(pattern);
    at = end + 1;
  }
  return patterns;
}

// The names in `folder` that match `pattern` and are (or are not) folders.
void Find(const Path& folder, const std::string& pattern, bool folders, std::vector<std::string>* names)
{
  WIN32_FIND_DATAA entry;
  const std::string query = folder.Child(pattern).Text();
  const HANDLE search = FindFirstFileA(query.c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE)
    return;
  do {
    const std::string name = entry.cFileName;
    const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Names that start with a dot are hidden, as on the host's desktops.
    if (folder == folders && name[0] != '.' && std::find(names->begin(), names->end(), name) == names->end())
      names->push_back(name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

// ---- The dialog ---------------------------------------------------------------

struct FileDialog {
  const OPENFILENAMEA* ofn = nullptr;
  bool save = false;
  std::string title;
  std::vector<std::pair<std::string, std::string>> filters; // (label, patterns)
  int filter = 0;
  std::string typedPattern; // a pattern typed into the name field, until the filter changes
  Path folder;
  std::optional<std::string> chosen;
  HWND box = nullptr;

  HWND Item(int id) const { return GetDlgItem(box, id); }
  std::string NameText() const
  {
    const HWND name = Item(kNameId);
    std::string text(size_t(GetWindowTextLengthA(name)) + 1, '\0');
    text.resize(size_t(GetWindowTextA(name, text.data(), int(text.size()))));
    return text;
  }
  void SetName(const std::string& text)
  {
    SetWindowTextA(Item(kNameId), text.c_str());
    SendMessageA(Item(kNameId), EM_SETSEL, 0, -1);
  }
  int Ask(const std::string& text, UINT type) const { return MessageBoxA(box, text.c_str(), title.c_str(), type); }

  void ShowFolder();
  void Fill();
  void Open(const Path& to);
  void RowChosen(bool twice);
  void Confirm();
};

// The folder's text in its field, its start cut off behind "..." when it
// is too long to show.
void FileDialog::ShowFolder()
{
  std::string text = folder.Text();
  RECT field;
  GetClientRect(Item(kFolderId), &field);
  while (text.size() > 4 && GuiTextWidth(text) > field.right) {
    text.erase(0, text.compare(0, 3, "...") == 0 ? 4 : 1);
    text.insert(0, "...");
  }
  SetWindowTextA(Item(kFolderId), text.c_str());
}

void FileDialog::Fill()
{
  const HWND list = Item(kListId);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  std::vector<std::string> folders, files;
  Find(folder, "*", true, &folders);
  std::string patterns = typedPattern;
  if (patterns.empty())
    patterns = filters.empty() ? "*.*" : filters[size_t(filter)].second;
  for (const std::string& pattern : Patterns(patterns))
    Find(folder, pattern, false, &files);
  std::sort(files.begin(), files.end(), LessNoCase);
  for (const std::string& name : folders) {
    const LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, LPARAM((name + folder.Separator()).c_str()));
    SendMessageA(list, LB_SETITEMDATA, WPARAM(row), 1);
  }
  for (const std::string& name : files)
    SendMessageA(list, LB_ADDSTRING, 0, LPARAM(name.c_str()));
}

void FileDialog::Open(const Path& to)
{
  folder = to;
  ShowFolder();
  Fill();
}

// A row of the list was selected (or double-clicked): a file's name goes to
// the name field; a double click opens a folder or chooses a file.
void FileDialog::RowChosen(bool twice)
{
  const HWND list = Item(kListId);
  const LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (row < 0)
    return;
  std::string text(size_t(SendMessageA(list, LB_GETTEXTLEN, WPARAM(row), 0)) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, WPARAM(row), LPARAM(text.data()));
  text.resize(std::strlen(text.c_str()));
  const bool isFolder = SendMessageA(list, LB_GETITEMDATA, WPARAM(row), 0) == 1;
  if (isFolder) {
    if (twice)
      Open(folder.Child(text.substr(0, text.size() - 1)));
    return;
  }
  SetName(text);
  if (twice)
    Confirm();
}

// Open or Save, or Enter: the name field's text becomes a folder to show, a
// pattern to list by, or the file chosen once the flags allow it.
void FileDialog::Confirm()
{
  const HWND list = Item(kListId);
  const LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
  const bool folderRow = row >= 0 && SendMessageA(list, LB_GETITEMDATA, WPARAM(row), 0) == 1;
  const std::string typed = Trim(NameText());
  if ((GetFocus() == list && folderRow) || (typed.empty() && folderRow)) {
    RowChosen(true);
    return;
  }
  if (typed.empty()) {
    MessageBeep(0);
    return;
  }
  const Path path = Resolve(typed, folder);
  if (typed.find_first_of("*?") != std::string::npos) {
    // A pattern lists by itself in its folder until another filter is chosen.
    Path in = path;
    typedPattern = in.names.empty() ? "*" : in.names.back();
    if (!in.names.empty())
      in.names.pop_back();
    if (Kind(in) == 2)
      Open(in);
    return;
  }
  if (Kind(path) == 2) {
    Open(path);
    SetName("");
    return;
  }
  Path file = path;
  if (file.names.empty()) {
    MessageBeep(0);
    return;
  }
  const std::string extension = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
  if (!extension.empty() && file.names.back().find('.') == std::string::npos)
    file.names.back() += "." + extension;
  Path parent = file;
  parent.names.pop_back();
  const std::string text = file.Text();
  if ((ofn->Flags & OFN_PATHMUSTEXIST) && Kind(parent) != 2) {
    Ask(text + "\nThe folder does not exist.\nCheck the path and try again.", MB_OK | MB_ICONWARNING);
    return;
  }
  const int kind = Kind(file);
  if ((ofn->Flags & OFN_FILEMUSTEXIST) && kind != 1) {
    Ask(text + "\nFile not found.\nCheck the file name and try again.", MB_OK | MB_ICONWARNING);
    return;
  }
  if (save && (ofn->Flags & OFN_OVERWRITEPROMPT) && kind == 1 &&
      Ask(text + " already exists.\nDo you want to replace it?", MB_YESNO | MB_ICONWARNING) != IDYES)
    return;
  chosen = text;
  EndDialog(box, IDOK);
}

INT_PTR CALLBACK FileDialogProc(HWND box, UINT message, WPARAM wParam, LPARAM)
{
  FileDialog* d = DialogObject<FileDialog>(box);
  if (!d || message != WM_COMMAND)
    return FALSE;
  switch (LOWORD(wParam)) {
  case IDOK: d->Confirm(); break;
  case IDCANCEL: EndDialog(box, IDCANCEL); break;
  case kUpId:
    if (!d->folder.names.empty()) {
      Path up = d->folder;
      up.names.pop_back();
      d->Open(up);
    }
    break;
  case kListId:
    if (HIWORD(wParam) == LBN_SELCHANGE || HIWORD(wParam) == LBN_DBLCLK)
      d->RowChosen(HIWORD(wParam) == LBN_DBLCLK);
    break;
  case kTypesId:
    if (HIWORD(wParam) == CBN_SELCHANGE) {
      d->filter = std::max(0, int(SendMessageA(d->Item(kTypesId), CB_GETCURSEL, 0, 0)));
      d->typedPattern.clear();
      d->Fill();
    }
    break;
  default: break;
  }
  return TRUE;
}

// The folder the dialog opens in: the one of the name it starts with, else
// the initial folder, else the current folder (each only when it exists).
Path StartFolder(const OPENFILENAMEA& ofn, std::string* name)
{
  const Path current = CurrentFolder();
  const std::string start(ofn.lpstrFile, strnlen(ofn.lpstrFile, ofn.nMaxFile));
  const size_t slash = start.find_last_of("\\/");
  *name = slash == std::string::npos ? start : start.substr(slash + 1);
  if (slash != std::string::npos) {
    const Path of = Resolve(start.substr(0, slash + 1), current);
    if (Kind(of) == 2)
      return of;
  }
  if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) {
    const Path initial = Resolve(ofn.lpstrInitialDir, current);
    if (Kind(initial) == 2)
      return initial;
  }
  return current;
}

} // namespace

namespace standin::detail {

std::optional<std::string> RunFileDialogWindow(const OPENFILENAMEA& ofn, bool save, DWORD* filterIndex)
{
  FileDialog d;
  d.ofn = &ofn;
  d.save = save;
  d.title = ofn.lpstrTitle && *ofn.lpstrTitle ? ofn.lpstrTitle : save ? "Save As" : "Open";
  for (const char* entry = ofn.lpstrFilter; entry && *entry;) {
    const std::string label = entry;
    entry += label.size() + 1;
    const std::string pattern = entry;
    entry += pattern.size() + 1;
    d.filters.emplace_back(label, pattern);
  }
  if (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= d.filters.size())
    d.filter = int(ofn.nFilterIndex) - 1;
  std::string name;
  d.folder = StartFolder(ofn, &name);

  d.box = CreateModalBox(ofn.hwndOwner, d.title, kWidth, kHeight, FileDialogProc, false);
  if (!d.box)
    return std::nullopt;
  const HWND box = d.box;
  AddControl(box, "STATIC", save ? "Save in:" : "Look in:", WS_VISIBLE, 10, 12, 60, 16, -1);
  AddControl(box, "STATIC", "", WS_VISIBLE, 70, 12, 300, 16, kFolderId);
  AddControl(box, "BUTTON", "Up", WS_VISIBLE | WS_TABSTOP, 380, 7, 50, 23, kUpId);
  AddControl(box, "LISTBOX", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY, 10, 36, 420, 190, kListId,
             WS_EX_CLIENTEDGE);
  AddControl(box, "STATIC", "File name:", WS_VISIBLE, 10, 240, 80, 16, -1);
  const HWND field = AddControl(box, "EDIT", name.c_str(), WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 95, 236, 250, 22,
                                kNameId, WS_EX_CLIENTEDGE);
  AddControl(box, "STATIC", "Files of type:", WS_VISIBLE, 10, 269, 80, 16, -1);
  const HWND types = AddControl(box, "COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 95, 265, 250, 22,
                                kTypesId, WS_EX_CLIENTEDGE);
  AddControl(box, "BUTTON", save ? "Save" : "Open", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 355, 235, 75, 23, IDOK);
  AddControl(box, "BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP, 355, 264, 75, 23, IDCANCEL);
  SetWindowLongA(box, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&d));
  for (const auto& [label, pattern] : d.filters)
    SendMessageA(types, CB_ADDSTRING, 0, LPARAM(label.c_str()));
  SendMessageA(types, CB_SETCURSEL, WPARAM(d.filters.empty() ? -1 : d.filter), 0);
  if (d.filters.empty())
    EnableWindow(types, FALSE);
  d.Open(d.folder);
  SetFocus(field);
  SendMessageA(field, EM_SETSEL, 0, -1);

  const INT_PTR answer = RunModalLoop(box, TopLevelOf(ofn.hwndOwner), IDCANCEL);
  DestroyWindow(box);
  if (answer != IDOK || !d.chosen)
    return std::nullopt;
  *filterIndex = DWORD(d.filter + 1);
  return d.chosen;
}

} // namespace standin::detail
