#pragma once
// Files, paths and drives.

#include "win32/types.h"

extern "C" {

// ---- Files, paths and drives ------------------------------------------------
// Windows-style paths map onto the host file system: "X:" followed by a
// separator (or nothing) maps to the root configured for that drive (by
// default only C:, mapped to "/"), every backslash becomes '/', and names are
// resolved without regard to letter case as on Windows.
typedef struct OVERLAPPED OVERLAPPED;

enum : DWORD {
  GENERIC_READ = 0x80000000u,
  GENERIC_WRITE = 0x40000000u,
  FILE_SHARE_READ = 0x00000001u,
  FILE_SHARE_WRITE = 0x00000002u,
  CREATE_NEW = 1,
  CREATE_ALWAYS = 2,
  OPEN_EXISTING = 3,
  OPEN_ALWAYS = 4,
  TRUNCATE_EXISTING = 5,
  FILE_ATTRIBUTE_READONLY = 0x00000001u,
  FILE_ATTRIBUTE_DIRECTORY = 0x00000010u,
  FILE_ATTRIBUTE_NORMAL = 0x00000080u,
  INVALID_FILE_SIZE = 0xFFFFFFFFu,
};
enum : int { MAX_PATH = 260 };

// Fails with INVALID_HANDLE_VALUE; GetLastError then tells why
// (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
// ERROR_DISK_FULL, else ERROR_GEN_FAILURE). The share mode is ignored.
LVX_WIN32_API HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                                 DWORD disposition, DWORD flags, HANDLE templateFile);
// TRUE with the bytes read (0 at the end of the file).
LVX_WIN32_API BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes, LPDWORD read, OVERLAPPED* overlapped);
// Writes every byte or fails.
LVX_WIN32_API BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes, LPDWORD written, OVERLAPPED* overlapped);
LVX_WIN32_API BOOL CloseHandle(HANDLE object);
// The low 32 bits of the size (the high ones in *high when asked).
LVX_WIN32_API DWORD GetFileSize(HANDLE file, LPDWORD high);

typedef struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes; // FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  CHAR cFileName[MAX_PATH];
} WIN32_FIND_DATAA;

// Wildcards '*' and '?', matched without regard to case; "*.*" matches every
// name, with or without a dot. The entries come in a fixed order: "." and ".."
// first, then the names sorted without regard to case. No match gives
// INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND.
LVX_WIN32_API HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data);
// FALSE with ERROR_NO_MORE_FILES after the last entry.
LVX_WIN32_API BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
LVX_WIN32_API BOOL FindClose(HANDLE search);

enum : UINT {
  DRIVE_UNKNOWN = 0,
  DRIVE_NO_ROOT_DIR = 1,
  DRIVE_REMOVABLE = 2,
  DRIVE_FIXED = 3,
  DRIVE_REMOTE = 4,
  DRIVE_CDROM = 5,
  DRIVE_RAMDISK = 6,
};
// The type of a drive root ("C:\", "C:/" or "C:"); DRIVE_NO_ROOT_DIR for an
// unconfigured letter or anything that is not a drive root.
LVX_WIN32_API UINT GetDriveTypeA(LPCSTR root);
// The length copied (without the terminator), or the size needed (with it)
// when the buffer is too small.
LVX_WIN32_API UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
// Removes a regular file (the path is mapped as by CreateFileA). A folder, a
// device or anything else that is not a regular file is left alone: FALSE
// with ERROR_ACCESS_DENIED. A missing file: FALSE with ERROR_FILE_NOT_FOUND.
LVX_WIN32_API BOOL DeleteFileA(LPCSTR path);

} // extern "C"
