#pragma once
// Modules and their resources: resource lookup and strings, loading modules,
// the command line and version information.

#include "win32/types.h"

extern "C" {

// ---- Module resources -------------------------------------------------------
// Names and types are integer ids (MAKEINTRESOURCEA) or strings; "#123" is
// the same as id 123. A null module means the main executable.
#define MAKEINTRESOURCEA(i) ((LPSTR)(uintptr_t)(WORD)(i))
#define IS_INTRESOURCE(p) ((((uintptr_t)(p)) >> 16) == 0)
#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_ACCELERATOR MAKEINTRESOURCEA(9)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_VERSION MAKEINTRESOURCEA(16)

LVX_WIN32_API HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
LVX_WIN32_API DWORD SizeofResource(HMODULE module, HRSRC resource);
LVX_WIN32_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// Read-only bytes, valid while the module stays loaded.
LVX_WIN32_API LPVOID LockResource(HGLOBAL resource);
// Nothing to release: always FALSE, as on Windows.
LVX_WIN32_API BOOL FreeResource(HGLOBAL resource);
// Copies at most size - 1 characters and a terminator; returns the number
// copied. A missing string gives 0 and leaves the buffer untouched.
LVX_WIN32_API int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size);

enum : DWORD {
  ERROR_MOD_NOT_FOUND = 126,
  ERROR_PROC_NOT_FOUND = 127,
  ERROR_RESOURCE_ENUM_USER_STOP = 15106,
};

// ---- Loading modules --------------------------------------------------------
typedef INT_PTR(WINAPI* FARPROC)();

// dlopen(RTLD_NOW | RTLD_LOCAL) of a native or Windows-style path (a bare
// name goes to the dynamic linker's search). The module is its load base,
// the HINSTANCE under which its resource table registered. Each call must be
// matched by one FreeLibrary; the last one unloads the module. On failure
// null, ERROR_MOD_NOT_FOUND, and standin::LastLoadError() tells why.
LVX_WIN32_API HMODULE LoadLibraryA(LPCSTR path);
// An exported symbol of any loaded module, by name (ordinals are not
// supported); null with ERROR_PROC_NOT_FOUND when there is none.
LVX_WIN32_API FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// FALSE (ERROR_INVALID_HANDLE) for a module that LoadLibraryA did not give.
LVX_WIN32_API BOOL FreeLibrary(HMODULE module);
// The module's full path; a null module means the executable. When the
// buffer is too small the path is cut to size - 1 characters and
// terminated, and the result is `size` with ERROR_INSUFFICIENT_BUFFER.
// 0 for an unknown module.
LVX_WIN32_API DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
// The process's arguments joined by blanks, each one that is empty or holds
// a blank or tab in double quotes (see standin::SetCommandLine).
LVX_WIN32_API LPSTR GetCommandLineA(void);

// Calls `proc` with each name of the module's resources of `type`, in table
// order, while it returns TRUE; a name is a string or MAKEINTRESOURCEA(id).
// FALSE with ERROR_RESOURCE_TYPE_NOT_FOUND when the module has none of that
// type, with ERROR_RESOURCE_ENUM_USER_STOP when `proc` stopped early.
typedef BOOL(CALLBACK* ENUMRESNAMEPROCA)(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param);
LVX_WIN32_API BOOL EnumResourceNamesA(HMODULE module, LPCSTR type, ENUMRESNAMEPROCA proc, LONG_PTR param);

// ---- Version information ----------------------------------------------------
// The executable's version record is its resource RT_VERSION 1, written in
// a small text form of our own, one "Name=value" per line ('#' comments and
// blank lines skipped): InternalName and FileVersion (strings, kept as
// written), FileOS, FileFlags and FileFlagsMask (decimal or 0x hex numbers).
// Any other line makes the record invalid, which counts as no record.
typedef struct VS_FIXEDFILEINFO {
  DWORD dwSignature; // 0xFEEF04BD
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;
enum : DWORD {
  VS_FF_DEBUG = 0x1u,
  VS_FF_PRERELEASE = 0x2u,
  VOS__WINDOWS16 = 0x1u,
  VOS__WINDOWS32 = 0x4u,
  VOS_NT = 0x40000u,
  VOS_NT_WINDOWS32 = 0x40004u,
  VFT_APP = 0x1u,
};

// The size of the version block of the file at `path`; only the running
// executable has one. 0 when there is none (ERROR_RESOURCE_TYPE_NOT_FOUND)
// or the file does not exist (ERROR_FILE_NOT_FOUND). *handle := 0.
LVX_WIN32_API DWORD GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle);
// Copies at most `size` bytes of the block; a cut block answers only what
// lies wholly inside the bytes copied.
LVX_WIN32_API BOOL GetFileVersionInfoA(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
// "\" gives the VS_FIXEDFILEINFO; "\StringFileInfo\040904E4\NAME" the string
// NAME with its terminator (*length counts it). Paths match without regard
// to case. Any other path, or a missing string: FALSE with *length 0.
LVX_WIN32_API BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length);

} // extern "C"
