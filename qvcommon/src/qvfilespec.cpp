#include "qvcommon/qvfilespec.h"

#include "qvcommon/qvassert.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvwindow.h"
#include "qvimage_internal.h"
#include "win32/dialogs.h"
#include "win32/registry.h"
#include "win32/windowing.h"

#include <cstring>

namespace {

const char* const kLastPathKey = "Software\\Tarnwell\\Obrella\\1.0";
const char* const kEffectsKey = "Software\\Tarnwell\\Obrella\\Effects";
// How the open-image dialog presents itself.
const uint32_t kImageDialogFlags = 0x160;
// Registry names and data are read into 256-byte buffers (plus a terminator).
const DWORD kRegistryText = 256;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The last '\' or '/' of text, or null.
const char* LastSeparator(const char* text)
{
  const char* found = nullptr;
  for (const char* c = text; *c; ++c)
    if (IsSeparator(*c))
      found = c;
  return found;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

void LowerInPlace(char* text)
{
  for (; *text; ++text)
    *text = Lower(*text);
}

// Copies text into a buffer of `size` bytes; false (buffer untouched) when
// it does not fit.
bool CopyBounded(char* to, size_t size, const char* from)
{
  const size_t length = std::strlen(from);
  if (length >= size)
    return false;
  std::memmove(to, from, length + 1);
  return true;
}

// Appends "\" unless the text is non-empty and ends in a separator; false
// when there is no room.
bool AppendSeparator(char* text, size_t size)
{
  const size_t length = std::strlen(text);
  if (length > 0 && IsSeparator(text[length - 1]))
    return true;
  if (length + 1 >= size)
    return false;
  text[length] = '\\';
  text[length + 1] = '\0';
  return true;
}

// text + separator + name into `out` (kPathSize bytes); false when too long.
bool JoinPath(char* out, const char* text, const char* name)
{
  if (!CopyBounded(out, QVFileSpec::kPathSize, text) || !AppendSeparator(out, QVFileSpec::kPathSize) ||
      std::strlen(out) + std::strlen(name) >= QVFileSpec::kPathSize)
    return false;
  std::strcat(out, name);
  return true;
}

bool DriveMatches(QVFileSpec::eDriveType wanted, UINT type)
{
  switch (wanted) {
  case QVFileSpec::eFixedDrive: return type == DRIVE_FIXED;
  case QVFileSpec::eCDRomDrive: return type == DRIVE_CDROM;
  case QVFileSpec::eNetworkDrive: return type == DRIVE_REMOTE;
  case QVFileSpec::eAnyDrive: return type != DRIVE_NO_ROOT_DIR;
  default: return false;
  }
}

// The image dialog's filter list: label, NUL, pattern, NUL for each entry
// that the flag bits choose, and a final NUL.
void BuildImageFilter(int16_t bits, bool save, char* out, size_t size)
{
  struct Entry {
    int bit; // 0: only when no bit is set and not saving
    const char* label;
    const char* pattern;
  };
  static const Entry kEntries[] = {
      {0, "All", "*.*"},
      {0, "All Files (*.*)", "*.*"},
      {8, "Tarnwell (*.twl)", "*.TWL"},
      {4, "Tarnwell Pref(*.ini)", "*.INI"},
      {1, "Windows Bitmap (*.dib,*.bmp)", "*.BMP;*.DIB"},
      {1, "JPEG (*.jpg)", "*.JPG"},
      {1, "Adobe Photoshop (*.psd)", "*.PSD"},
      {1, "TIFF (*.tif)", "*.TIF"},
      {1, "Kodak Photo CD (*.pcd)", "*.PCD"},
      {2, "Windows Bitmap (*.dib,*.bmp)", "Untitled.BMP;*.DIB"},
      {2, "JPEG (*.jpg)", "Untitled.JPG"},
      {2, "Adobe Photoshop (*.psd)", "Untitled.PSD"},
      {2, "TIFF (*.tif)", "Untitled.TIF"},
      {2, "Kodak Photo CD (*.pcd)", "Untitled.PCD"},
  };
  size_t used = 0;
  for (const Entry& entry : kEntries) {
    const bool chosen = entry.bit == 0 ? (bits == 0 && !save) : (bits & entry.bit) != 0;
    const size_t label = std::strlen(entry.label) + 1;
    const size_t pattern = std::strlen(entry.pattern) + 1;
    if (!chosen || used + label + pattern + 1 > size)
      continue;
    std::memcpy(out + used, entry.label, label);
    std::memcpy(out + used + label, entry.pattern, pattern);
    used += label + pattern;
  }
  out[used] = '\0';
}

// The dialog's starting name: the default when it fits, else empty.
void StartName(char* name, const char* defaultName)
{
  name[0] = '\0';
  if (defaultName)
    CopyBounded(name, MAX_PATH, defaultName);
}

// Calls visit (name, name length, data, data length) for every value of the
// key HKEY_LOCAL_MACHINE\keyPath whose name and data fit 256 bytes, with the
// data NUL-terminated, until visit returns false.
template <class Visit>
void ForEachValue(const char* keyPath, Visit visit)
{
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return;
  for (DWORD index = 0;; ++index) {
    char name[kRegistryText];
    char data[kRegistryText + 1];
    DWORD nameLength = kRegistryText;
    DWORD dataLength = kRegistryText;
    const LONG result =
        RegEnumValueA(key, index, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &dataLength);
    if (result == ERROR_MORE_DATA)
      continue;
    if (result != ERROR_SUCCESS)
      break;
    data[dataLength] = '\0';
    if (!visit(name, nameLength, data, dataLength))
      break;
  }
  RegCloseKey(key);
}

} // namespace

QVFileSpec::QVFileSpec()
{
  Initialize();
  PathChanged();
}

QVFileSpec::QVFileSpec(const char* text)
{
  Initialize();
  if (text)
    CopyBounded(path, kPathSize, text);
}

QVFileSpec::QVFileSpec(const QVFileSpec& other)
{
  Initialize();
  QVFileSpec::operator=(other);
}

QVFileSpec& QVFileSpec::operator=(const QVFileSpec& other)
{
  if (&other == this)
    return *this;
  PathChanged();
  std::memcpy(path, other.path, kPathSize);
  return *this;
}

QVFileSpec::~QVFileSpec() { EndFileFind(); }

void QVFileSpec::Initialize()
{
  std::memset(path, 0, kPathSize);
  findHandle = nullptr;
}

void QVFileSpec::PathChanged() { EndFileFind(); }

void QVFileSpec::EndFileFind()
{
  if (findHandle) {
    FindClose(findHandle);
    findHandle = nullptr;
  }
}

int16_t QVFileSpec::GetFullPath(char* out, uint16_t size) const
{
  if (!out || std::strlen(path) >= size)
    return -1;
  std::memcpy(out, path, std::strlen(path) + 1);
  return 0;
}

int16_t QVFileSpec::SetFullPath(const char* text)
{
  if (!text || !CopyBounded(path, kPathSize, text))
    return -1;
  PathChanged();
  return 0;
}

int16_t QVFileSpec::GetSystemDrive()
{
  char folder[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder)
    return -1;
  for (char* c = folder; *c; ++c) {
    if (IsSeparator(*c)) {
      c[1] = '\0';
      break;
    }
  }
  return SetFullPath(folder);
}

int16_t QVFileSpec::GetCDRomDrive()
{
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_CDROM)
      return SetFullPath(root);
  }
  return -1;
}

int16_t QVFileSpec::GetFirstDrive(eDriveType type)
{
  SetFullPath("B:\\");
  return GetNextDrive(type);
}

// One round at most: it ends when the letter comes back to the start or once
// every letter from C to Z has been probed (starting from A or B the start
// letter never comes back).
int16_t QVFileSpec::GetNextDrive(eDriveType type)
{
  char letter = Lower(path[0]) - 'a' + 'A';
  if (letter < 'A' || letter > 'Z')
    return -1;
  const char start = letter;
  const uint32_t everyLetter = (1u << 24) - 1; // C..Z
  uint32_t probed = 0;
  for (;;) {
    letter = letter == 'Z' ? 'C' : static_cast<char>(letter + 1);
    if (letter == start)
      return -1;
    const char root[] = {letter, ':', '\\', '\0'};
    if (DriveMatches(type, GetDriveTypeA(root))) {
      path[0] = letter;
      PathChanged();
      return 0;
    }
    if (letter >= 'C')
      probed |= 1u << (letter - 'C');
    if (probed == everyLetter)
      return -1;
  }
}

void QVFileSpec::AddSeparator(char* text)
{
  if (text) {
    const size_t length = std::strlen(text);
    if (length == 0 || !IsSeparator(text[length - 1]))
      std::strcpy(text + length, "\\");
    return;
  }
  AppendSeparator(path, kPathSize);
  PathChanged();
}

int16_t QVFileSpec::AppendName(const char* name)
{
  char joined[kPathSize];
  if (!name || !JoinPath(joined, path, name))
    return -1;
  return SetFullPath(joined);
}

int16_t QVFileSpec::GetFirstFile(QVFileSpec& result, const char* pattern)
{
  EndFileFind();
  char text[kPathSize];
  if (!JoinPath(text, path, pattern ? pattern : "*.*"))
    return -1;
  WIN32_FIND_DATAA data;
  const HANDLE search = FindFirstFileA(text, &data);
  if (search == INVALID_HANDLE_VALUE)
    return -1;
  findHandle = search;
  return TakeEntry(result, data) ? 0 : GetNextFile(result, nullptr);
}

int16_t QVFileSpec::GetNextFile(QVFileSpec& result, const char* pattern)
{
  if (!findHandle)
    return GetFirstFile(result, pattern);
  WIN32_FIND_DATAA data;
  while (FindNextFileA(findHandle, &data))
    if (TakeEntry(result, data))
      return 0;
  return -1;
}

// Folders, and files whose full path would not fit, are passed over.
bool QVFileSpec::TakeEntry(QVFileSpec& result, const WIN32_FIND_DATAA& data)
{
  char joined[kPathSize];
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !JoinPath(joined, path, data.cFileName))
    return false;
  result = *this;
  result.AppendName(data.cFileName);
  return true;
}

int16_t QVFileSpec::GetLFileType() const
{
  static const struct {
    const char* extension;
    int16_t kind;
  } kKinds[] = {{".bmp", kBMP}, {".gif", kGIF}, {".tif", kTIFF}, {".tga", kTGA},
                {".pcx", kPCX}, {".cmp", kCMP}, {".jpg", kJPEG}, {".psd", kPSD}};
  char lower[kPathSize];
  std::memcpy(lower, path, kPathSize);
  lower[kPathSize - 1] = '\0';
  LowerInPlace(lower);
  for (const auto& kind : kKinds)
    if (std::strstr(lower, kind.extension))
      return kind.kind;
  return kBMP;
}

void QVFileSpec::ExtractPathOnly(QVFileSpec& dest) const
{
  char folder[kPathSize];
  std::memcpy(folder, path, kPathSize);
  const char* separator = LastSeparator(folder);
  folder[separator ? separator - folder : 0] = '\0';
  dest.SetFullPath(folder);
}

void QVFileSpec::ExtractNameOnly(char* out, bool withExtension, size_t outSize) const
{
  if (!out || outSize == 0)
    return;
  const char* separator = LastSeparator(path);
  const char* name = separator ? separator + 1 : path;
  size_t length = std::strlen(name);
  if (!withExtension) {
    const char* dot = std::strrchr(name, '.');
    if (dot)
      length = static_cast<size_t>(dot - name);
  }
  if (length >= outSize) {
    out[0] = '\0';
    return;
  }
  std::memmove(out, name, length);
  out[length] = '\0';
}

bool QVFileSpec::PromptForOpenFileName(const QVFileSpec& directory, const char* title, const QVWindow* owner,
                                       int16_t filterBits, const char* defaultName, bool save, QVImage** image)
{
  char filter[500];
  BuildImageFilter(filterBits, save, filter, sizeof filter);
  char name[MAX_PATH];
  StartName(name, defaultName);
  char folder[kPathSize];
  if (directory.GetFullPath(folder, sizeof folder) != 0)
    return false;
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner ? owner->GetWnd() : nullptr;
  ofn.hInstance = GetModuleInstance();
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = save ? 4 : 1;
  ofn.lpstrFile = name;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = folder;
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
  ofn.lpstrDefExt = "jpg";
  if (save) {
    if (!GetSaveFileNameA(&ofn))
      return false;
    SetFullPath(name);
    return true;
  }
  // Opening goes through the imaging library's dialog, which also loads the
  // chosen file when an image is asked for.
  imaging::Bitmap loaded;
  imaging::OpenDialogParams params;
  params.flags = kImageDialogFlags;
  if (image) {
    *image = nullptr;
    params.flags |= imaging::kOpenDialogLoad;
    params.bitmap = &loaded;
  }
  if (imaging::OpenDialog(&ofn, &params) != imaging::kSuccess) {
    SetFullPath("");
    return false;
  }
  if (image)
    *image = NewImageFromBitmap(&loaded);
  SetFullPath(name);
  return true;
}

bool QVFileSpec::PromptForSaveFileName(const char* directory, const char* title, const QVWindow* owner,
                                       const char* defaultName, bool save)
{
  static const char kFilter[] = "Preset Files\0*.cxp\0"; // the literal adds the final NUL
  char name[MAX_PATH];
  StartName(name, defaultName);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner ? owner->GetWnd() : nullptr;
  ofn.hInstance = GetModuleInstance();
  ofn.lpstrFilter = kFilter;
  ofn.nFilterIndex = 0;
  ofn.lpstrFile = name;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = directory;
  ofn.lpstrTitle = title;
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;
  ofn.lpstrDefExt = "cxp";
  SetFullPath("");
  if (!(save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn)))
    return false;
  SetFullPath(name);
  return true;
}

void QVFileSpec::GetRegDLLPath(const char* moduleName)
{
  char wanted[kPathSize];
  if (!moduleName || !CopyBounded(wanted, sizeof wanted, moduleName))
    return;
  LowerInPlace(wanted); // a copy: the caller's name stays as it is
  char folder[kRegistryText + 1];
  bool found = false;
  ForEachValue(kEffectsKey, [&](const char*, DWORD nameLength, char* data, DWORD dataLength) {
    if (nameLength == 0 || dataLength == 0)
      return true;
    LowerInPlace(data);
    if (!std::strstr(data, wanted))
      return true;
    const char* separator = LastSeparator(data);
    data[separator ? separator - data : 0] = '\0';
    std::memcpy(folder, data, sizeof folder);
    found = true;
    return true; // later matches replace earlier ones
  });
  if (found)
    SetFullPath(folder);
}

void QVFileSpec::SaveToRegistry()
{
  // The value keeps its 256-byte form; longer paths would lose their end.
  if (std::strlen(path) >= kRegistryText)
    return;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLastPathKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
    return;
  char value[kRegistryText] = {};
  std::strcpy(value, path);
  RegSetValueExA(key, "lastpath", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
  RegCloseKey(key);
}

void QVFileSpec::GetFromRegistry()
{
  ForEachValue(kLastPathKey, [&](const char* name, DWORD, char* data, DWORD) {
    char lower[kRegistryText];
    std::memcpy(lower, name, sizeof lower);
    LowerInPlace(lower);
    if (std::strcmp(lower, "lastpath") != 0)
      return true;
    SetFullPath(data);
    return false;
  });
}

UINT_PTR CALLBACK QVFileSpec::OpenFileHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  constexpr int kFirstBox = 1003, kSecondBox = 1004;
  if (message == WM_INITDIALOG) {
    auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
    SetWindowLongA(dialog, GWL_USERDATA, lParam);
    CheckDlgButton(dialog, kFirstBox, BST_CHECKED);
    if (ofn && ofn->lCustData)
      reinterpret_cast<char*>(ofn->lCustData)[0] = 1;
    return 0;
  }
  const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(GetWindowLongA(dialog, GWL_USERDATA));
  QV_ASSERT(ofn != nullptr, "myOFNData");
  if (!ofn || message != WM_COMMAND)
    return 0;
  const int id = LOWORD(wParam);
  if (id != kFirstBox && id != kSecondBox)
    return 0;
  CheckDlgButton(dialog, id, IsDlgButtonChecked(dialog, id) ? BST_UNCHECKED : BST_CHECKED);
  if (ofn->lCustData) {
    char& flag = reinterpret_cast<char*>(ofn->lCustData)[id == kFirstBox ? 0 : 1];
    flag = !flag;
  }
  return 0;
}
