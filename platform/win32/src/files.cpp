// Windows paths over the host file system: drive mapping, case-insensitive
// name resolution, file handles, directory search and drive queries.
#include "win32/files.h"
#include "handles.h"
#include "text.h"
#include "win32/automation.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using standin::detail::Fail;

struct Drive {
  std::string root;
  UINT type = DRIVE_FIXED;
};

std::map<char, Drive>& Drives()
{
  static auto* drives = new std::map<char, Drive>{{'C', Drive{"/", DRIVE_FIXED}}};
  return *drives;
}

const char* const kDefaultWindowsDirectory = "C:\\WINDOWS";
std::string& WindowsDirectory()
{
  static auto* text = new std::string(kDefaultWindowsDirectory);
  return *text;
}

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool Exists(const std::string& path)
{
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& folder, const std::string& name)
{
  if (folder.empty())
    return name;
  if (folder.back() == '/')
    return folder + name;
  return folder + "/" + name;
}

// The entry of `folder` that equals `name` without regard to case; the first
// such in byte order, or empty when there is none.
std::string FindNoCase(const std::string& folder, const std::string& name)
{
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir)
    return {};
  std::string best;
  while (const dirent* entry = readdir(dir)) {
    const std::string candidate = entry->d_name;
    if (standin::detail::EqualNoCase(candidate, name) && (best.empty() || candidate < best))
      best = candidate;
  }
  closedir(dir);
  return best;
}

// Resolves each '/'-separated component of `rest` below `base`. Once a
// component is found under no spelling, the rest is kept as given.
std::string Resolve(std::string base, const std::string& rest)
{
  bool resolving = true;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('/', start);
    if (end == std::string::npos)
      end = rest.size();
    const std::string component = rest.substr(start, end - start);
    start = end + 1;
    if (component.empty())
      continue;
    std::string next = Join(base, component);
    if (resolving && component != "." && component != ".." && !Exists(next)) {
      const std::string match = FindNoCase(base, component);
      if (match.empty())
        resolving = false;
      else
        next = Join(base, match);
    }
    base = next;
  }
  return base.empty() ? std::string(".") : base;
}

// Win32 error for a failed file-system call on `native`.
DWORD ErrorFromErrno(int error, const std::string& native)
{
  switch (error) {
  case ENOENT: {
    const size_t slash = native.find_last_of('/');
    const std::string parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : native.substr(0, slash));
    return Exists(parent) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  }
  case ENOTDIR:
  case ENAMETOOLONG: return ERROR_PATH_NOT_FOUND;
  case EACCES:
  case EPERM:
  case EROFS:
  case EISDIR:
  case ETXTBSY: return ERROR_ACCESS_DENIED;
  case ENOSPC:
  case EDQUOT: return ERROR_DISK_FULL;
  default: return ERROR_GEN_FAILURE;
  }
}

struct OpenFileObject {
  int fd = -1;
};
standin::detail::HandleTable<OpenFileObject>& Files()
{
  static auto* files = new standin::detail::HandleTable<OpenFileObject>;
  return *files;
}

struct Search {
  std::vector<WIN32_FIND_DATAA> entries;
  size_t next = 0;
};
standin::detail::HandleTable<Search>& Searches()
{
  static auto* searches = new standin::detail::HandleTable<Search>;
  return *searches;
}

// Windows wildcard match without regard to case: '*' any run, '?' one byte.
bool WildMatch(const char* pattern, const char* name)
{
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name) {
    if (*pattern == '?' ||
        (*pattern && *pattern != '*' && standin::detail::AsciiLower(*pattern) == standin::detail::AsciiLower(*name))) {
      ++pattern;
      ++name;
    } else if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*')
    ++pattern;
  return *pattern == '\0';
}

// A trailing ".*" also matches names without any extension, so "*.*" matches
// every name and "photo.*" matches "photo".
bool PatternMatches(const std::string& pattern, const std::string& name)
{
  if (WildMatch(pattern.c_str(), name.c_str()))
    return true;
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0)
    return WildMatch(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
  return false;
}

bool FillEntry(const std::string& folder, const std::string& name, WIN32_FIND_DATAA& data)
{
  if (name.size() >= sizeof data.cFileName)
    return false;
  data = WIN32_FIND_DATAA{};
  struct stat st;
  const std::string full = Join(folder, name);
  if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0)
    return false;
  const bool directory = S_ISDIR(st.st_mode);
  data.dwFileAttributes = directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  const uint64_t size = directory ? 0 : static_cast<uint64_t>(st.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size);
  std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
  return true;
}

} // namespace

namespace standin {

bool MapPath(const char* path, std::string& native)
{
  if (!path || !*path)
    return Fail(ERROR_PATH_NOT_FOUND, false);
  std::string text(path);
  std::replace(text.begin(), text.end(), '\\', '/');
  std::string base;
  std::string rest;
  if (text.size() >= 2 && IsLetter(text[0]) && text[1] == ':') {
    auto it = Drives().find(UpperLetter(text[0]));
    if (it == Drives().end())
      return Fail(ERROR_PATH_NOT_FOUND, false);
    base = it->second.root;
    rest = text.substr(2);
  } else if (text[0] == '/') {
    base = "/";
    rest = text.substr(1);
  } else {
    rest = text;
  }
  native = Resolve(base, rest);
  return true;
}

std::FILE* OpenFile(const char* path, const char* mode)
{
  std::string native;
  if (!mode || !MapPath(path, native)) {
    errno = ENOENT;
    return nullptr;
  }
  return std::fopen(native.c_str(), mode);
}

void SetDrive(char letter, const char* hostRoot, UINT driveType)
{
  if (!IsLetter(letter))
    return;
  letter = UpperLetter(letter);
  if (!hostRoot || !*hostRoot || driveType == DRIVE_NO_ROOT_DIR) {
    Drives().erase(letter);
    return;
  }
  std::string root(hostRoot);
  while (root.size() > 1 && root.back() == '/')
    root.pop_back();
  Drives()[letter] = Drive{root, driveType};
}

void SetWindowsDirectory(const char* text) { WindowsDirectory() = text ? text : kDefaultWindowsDirectory; }

} // namespace standin

extern "C" {

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, SECURITY_ATTRIBUTES*, DWORD disposition, DWORD, HANDLE)
{
  std::string native;
  if (!standin::MapPath(name, native))
    return INVALID_HANDLE_VALUE;
  const bool read = (access & GENERIC_READ) != 0;
  const bool write = (access & GENERIC_WRITE) != 0;
  int flags = O_CLOEXEC | (write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY);
  switch (disposition) {
  case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
  case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
  case OPEN_EXISTING: break;
  case OPEN_ALWAYS: flags |= O_CREAT; break;
  case TRUNCATE_EXISTING:
    if (!write)
      return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    flags |= O_TRUNC;
    break;
  default: return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  }
  const int fd = open(native.c_str(), flags, 0666);
  if (fd < 0)
    return Fail(ErrorFromErrno(errno, native), INVALID_HANDLE_VALUE);
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  }
  SetLastError(ERROR_SUCCESS);
  return reinterpret_cast<HANDLE>(Files().Add(OpenFileObject{fd}));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD read, OVERLAPPED*)
{
  OpenFileObject* object = Files().Find(file);
  if (!object)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!read || (!buffer && bytes > 0))
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  DWORD total = 0;
  while (total < bytes) {
    const ssize_t n = ::read(object->fd, static_cast<char*>(buffer) + total, bytes - total);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      *read = total;
      return Fail(ErrorFromErrno(errno, ""), FALSE);
    }
    if (n == 0)
      break;
    total += static_cast<DWORD>(n);
  }
  *read = total;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written, OVERLAPPED*)
{
  OpenFileObject* object = Files().Find(file);
  if (!object)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!buffer && bytes > 0)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  DWORD total = 0;
  while (total < bytes) {
    const ssize_t n = ::write(object->fd, static_cast<const char*>(buffer) + total, bytes - total);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      if (written)
        *written = total;
      return Fail(n < 0 ? ErrorFromErrno(errno, "") : ERROR_DISK_FULL, FALSE);
    }
    total += static_cast<DWORD>(n);
  }
  if (written)
    *written = total;
  return TRUE;
}

BOOL CloseHandle(HANDLE object)
{
  OpenFileObject* file = Files().Find(object);
  if (!file)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  close(file->fd);
  Files().Remove(object);
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD high)
{
  OpenFileObject* object = Files().Find(file);
  struct stat st;
  if (!object)
    return Fail(ERROR_INVALID_HANDLE, DWORD(INVALID_FILE_SIZE));
  if (fstat(object->fd, &st) != 0)
    return Fail(ErrorFromErrno(errno, ""), DWORD(INVALID_FILE_SIZE));
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (high)
    *high = static_cast<DWORD>(size >> 32);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(size);
}

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data)
{
  if (!pattern || !data)
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  const std::string text(pattern);
  std::string folder;
  std::string names;
  const size_t slash = text.find_last_of("\\/");
  if (slash != std::string::npos) {
    folder = text.substr(0, slash + 1);
    names = text.substr(slash + 1);
  } else if (text.size() >= 2 && IsLetter(text[0]) && text[1] == ':') {
    folder = text.substr(0, 2);
    names = text.substr(2);
  } else {
    folder = ".";
    names = text;
  }
  std::string native;
  if (!standin::MapPath(folder.c_str(), native))
    return INVALID_HANDLE_VALUE;
  DIR* dir = opendir(native.c_str());
  if (!dir)
    return Fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno, native),
                INVALID_HANDLE_VALUE);
  std::vector<std::string> found;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != ".." && PatternMatches(names, name))
      found.push_back(name);
  }
  closedir(dir);
  std::sort(found.begin(), found.end(), standin::detail::LessNoCase);
  // The two folder entries come first, as on Windows.
  for (const char* dots : {"..", "."})
    if (PatternMatches(names, dots))
      found.insert(found.begin(), dots);
  Search search;
  for (const std::string& name : found) {
    WIN32_FIND_DATAA entry;
    if (FillEntry(native, name, entry))
      search.entries.push_back(entry);
  }
  if (search.entries.empty())
    return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  *data = search.entries[0];
  search.next = 1;
  SetLastError(ERROR_SUCCESS);
  return reinterpret_cast<HANDLE>(Searches().Add(std::move(search)));
}

BOOL FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data)
{
  Search* search = Searches().Find(handle);
  if (!search)
    return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!data)
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (search->next >= search->entries.size())
    return Fail(ERROR_NO_MORE_FILES, FALSE);
  *data = search->entries[search->next++];
  return TRUE;
}

BOOL FindClose(HANDLE handle) { return Searches().Remove(handle) ? TRUE : Fail(ERROR_INVALID_HANDLE, FALSE); }

UINT GetDriveTypeA(LPCSTR root)
{
  const std::string text = root ? root : "C:";
  const bool isRoot = text.size() >= 2 && IsLetter(text[0]) && text[1] == ':' &&
                      (text.size() == 2 || (text.size() == 3 && IsSeparator(text[2])));
  if (!isRoot)
    return DRIVE_NO_ROOT_DIR;
  auto it = Drives().find(UpperLetter(text[0]));
  return it == Drives().end() ? UINT(DRIVE_NO_ROOT_DIR) : it->second.type;
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
  const std::string& text = WindowsDirectory();
  if (!buffer || size < text.size() + 1)
    return static_cast<UINT>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<UINT>(text.size());
}

} // extern "C"
