#pragma once
// The subset of the Windows API that Lumivex calls, for a headless Linux
// process. Declarations are ours and carry the Win32 names and values the
// system relies on. Every name is a real function: there are no
// function-name macros (no LoadString for LoadStringA, no min/max).
#include <cstddef>
#include <cstdint>

#define LVX_WIN32_API __attribute__((visibility("default")))
#define WINAPI
#define CALLBACK

extern "C" {

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef uint32_t UINT;
typedef int32_t BOOL;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t SHORT;
typedef char CHAR;
typedef size_t SIZE_T;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Handles are distinct opaque pointer types.
#define LVX_DECLARE_HANDLE(name) \
  struct name##__ { int unused; }; \
  typedef struct name##__* name
typedef void* HANDLE;
typedef HANDLE* PHANDLE;
typedef uint32_t COLORREF;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
typedef WORD ATOM;

LVX_DECLARE_HANDLE(HWND);
LVX_DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
LVX_DECLARE_HANDLE(HKEY);
typedef HKEY* PHKEY;
LVX_DECLARE_HANDLE(HRSRC);
LVX_DECLARE_HANDLE(HICON);
typedef HICON HCURSOR;
LVX_DECLARE_HANDLE(HDC);
typedef HANDLE HGLOBAL;

// An invalid file or search handle (all bits set), distinct from null.
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)

// ---- Last error -------------------------------------------------------------
// Every call that fails records its reason here.
enum : DWORD {
  ERROR_SUCCESS = 0,
  NO_ERROR = 0,
  ERROR_FILE_NOT_FOUND = 2,
  ERROR_PATH_NOT_FOUND = 3,
  ERROR_ACCESS_DENIED = 5,
  ERROR_INVALID_HANDLE = 6,
  ERROR_NOT_ENOUGH_MEMORY = 8,
  ERROR_OUTOFMEMORY = 14,
  ERROR_NO_MORE_FILES = 18,
  ERROR_WRITE_FAULT = 29,
  ERROR_GEN_FAILURE = 31,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_DISK_FULL = 112,
  ERROR_INSUFFICIENT_BUFFER = 122,
  ERROR_NOT_LOCKED = 158,
  ERROR_MORE_DATA = 234,
  ERROR_NO_MORE_ITEMS = 259,
  ERROR_REGISTRY_CORRUPT = 1015,
  ERROR_KEY_DELETED = 1018,
  ERROR_INVALID_CURSOR_HANDLE = 1402,
  ERROR_RESOURCE_DATA_NOT_FOUND = 1812,
  ERROR_RESOURCE_TYPE_NOT_FOUND = 1813,
  ERROR_RESOURCE_NAME_NOT_FOUND = 1814,
};

LVX_WIN32_API DWORD GetLastError(void);
LVX_WIN32_API void SetLastError(DWORD code);

// ---- Rectangles -------------------------------------------------------------
typedef struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT;
typedef RECT* LPRECT;
typedef struct POINT {
  LONG x;
  LONG y;
} POINT;

// The common part of two rectangles; an empty result (or an empty input)
// clears `dst` and returns FALSE. Edges that only touch give an empty result.
LVX_WIN32_API BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b);

// ---- Message boxes ----------------------------------------------------------
enum : UINT {
  MB_OK = 0x00000000u,
  MB_OKCANCEL = 0x00000001u,
  MB_YESNOCANCEL = 0x00000003u,
  MB_YESNO = 0x00000004u,
  MB_ICONERROR = 0x00000010u,
  MB_ICONQUESTION = 0x00000020u,
  MB_ICONWARNING = 0x00000030u,
  MB_ICONINFORMATION = 0x00000040u,
  MB_TASKMODAL = 0x00002000u,
  MB_TOPMOST = 0x00040000u,
};
enum : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDYES = 6,
  IDNO = 7,
};

LVX_WIN32_API int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---- Memory queries ---------------------------------------------------------
typedef struct MEMORY_BASIC_INFORMATION {
  LPVOID BaseAddress;
  LPVOID AllocationBase;
  DWORD AllocationProtect;
  SIZE_T RegionSize;
  DWORD State;
  DWORD Protect;
  DWORD Type;
} MEMORY_BASIC_INFORMATION;

// For an address inside a loaded object, reports the object's load base as
// both BaseAddress and AllocationBase (that base is the module's HINSTANCE);
// returns 0 for any other address.
LVX_WIN32_API SIZE_T VirtualQuery(LPCVOID address, MEMORY_BASIC_INFORMATION* info, SIZE_T length);


// ---- Heaps ------------------------------------------------------------------
// Global blocks: a movable block is reached through a handle that is never
// reused; GlobalLock gives its address, which stays put until the block is
// reallocated or freed. As on Windows, a GMEM_FIXED block's handle is its
// address. Every allocation consults the allocation fault plan.
enum : UINT {
  GMEM_FIXED = 0x0000u,
  GMEM_MOVEABLE = 0x0002u,
  GMEM_ZEROINIT = 0x0040u,
  GHND = GMEM_MOVEABLE | GMEM_ZEROINIT,
  GPTR = GMEM_FIXED | GMEM_ZEROINIT,
};
LVX_WIN32_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Adds one lock and returns the block's address (null for an invalid handle).
LVX_WIN32_API LPVOID GlobalLock(HGLOBAL block);
// Removes one lock; non-zero while locks remain. 0 with NO_ERROR when the
// block became unlocked, 0 with ERROR_NOT_LOCKED when it was not locked.
LVX_WIN32_API BOOL GlobalUnlock(HGLOBAL block);
// Null on success, else the handle.
LVX_WIN32_API HGLOBAL GlobalFree(HGLOBAL block);
// Keeps the contents up to the smaller size and zero-fills growth under
// GMEM_ZEROINIT. A locked block is refused (null, ERROR_ACCESS_DENIED); a
// failed allocation leaves the block as it was.
LVX_WIN32_API HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
// The size asked for; 0 for an invalid handle.
LVX_WIN32_API SIZE_T GlobalSize(HGLOBAL block);
// The handle of the block whose address is `address`; null for any other.
LVX_WIN32_API HGLOBAL GlobalHandle(LPCVOID address);

// The general heap: plain addresses, checked on free and reallocation.
enum : DWORD {
  HEAP_ZERO_MEMORY = 0x00000008u,
};
LVX_WIN32_API HANDLE GetProcessHeap(void);
LVX_WIN32_API LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
// Null on failure, and then the old block stays allocated and unchanged.
LVX_WIN32_API LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
LVX_WIN32_API BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

// ---- Files, paths and drives ------------------------------------------------
// Windows-style paths map onto the host file system: "X:" followed by a
// separator (or nothing) maps to the root configured for that drive (by
// default only C:, mapped to "/"), every backslash becomes '/', and names are
// resolved without regard to letter case as on Windows.
typedef struct SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES;
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
  DWORD dwFileAttributes;  // FILE_ATTRIBUTE_DIRECTORY or FILE_ATTRIBUTE_NORMAL
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

// ---- Registry ---------------------------------------------------------------
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(uintptr_t)0x80000002u)

typedef DWORD REGSAM;
enum : DWORD {
  KEY_QUERY_VALUE = 0x0001u,
  KEY_SET_VALUE = 0x0002u,
  KEY_CREATE_SUB_KEY = 0x0004u,
  KEY_ENUMERATE_SUB_KEYS = 0x0008u,
  KEY_READ = 0x20019u,
  KEY_WRITE = 0x20006u,
  KEY_ALL_ACCESS = 0xF003Fu,
  REG_NONE = 0,
  REG_SZ = 1,
  REG_EXPAND_SZ = 2,
  REG_BINARY = 3,
  REG_DWORD = 4,
  REG_OPTION_NON_VOLATILE = 0,
  REG_CREATED_NEW_KEY = 1,
  REG_OPENED_EXISTING_KEY = 2,
};

// All return a Win32 error code (ERROR_SUCCESS on success). Key paths use
// '\' between components; key and value names compare without regard to the
// case of ASCII letters and keep the case first given.
LVX_WIN32_API LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LVX_WIN32_API LONG RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result);
LVX_WIN32_API LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                                   REGSAM access, SECURITY_ATTRIBUTES* security, PHKEY result,
                                   LPDWORD disposition);
LVX_WIN32_API LONG RegCloseKey(HKEY key);
// Stores exactly the `size` bytes given.
LVX_WIN32_API LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                                  DWORD size);
// ERROR_MORE_DATA with the size needed in *size when the buffer is too small;
// the buffer is then left untouched.
LVX_WIN32_API LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                    LPDWORD size);
// Values in insertion order. *nameLength is the buffer size in, the name's
// length out. ERROR_NO_MORE_ITEMS past the end; ERROR_MORE_DATA when the
// name or the data does not fit (then *dataSize holds the size needed).
LVX_WIN32_API LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved,
                                 LPDWORD type, LPBYTE data, LPDWORD dataSize);
LVX_WIN32_API LONG RegDeleteValueA(HKEY key, LPCSTR name);

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

// ---- Cursors and icons ------------------------------------------------------
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_ERROR MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_WARNING MAKEINTRESOURCEA(32515)
#define IDI_INFORMATION MAKEINTRESOURCEA(32516)

// A null module gives the system cursors and icons. The same module and
// name always give the same handle.
LVX_WIN32_API HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name);
LVX_WIN32_API HICON LoadIconA(HINSTANCE module, LPCSTR name);
// Returns the previous cursor.
LVX_WIN32_API HCURSOR SetCursor(HCURSOR cursor);
// Cursors are shared: destroying one changes nothing.
LVX_WIN32_API BOOL DestroyCursor(HCURSOR cursor);

// ---- Common file dialogs ----------------------------------------------------
typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

// The fields of the classic 76-byte record, in order; pointer-sized where
// they hold pointers. lStructSize must be sizeof(OPENFILENAMEA).
typedef struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
} OPENFILENAMEA;

enum : DWORD {
  OFN_READONLY = 0x00000001u,
  OFN_OVERWRITEPROMPT = 0x00000002u,
  OFN_HIDEREADONLY = 0x00000004u,
  OFN_ENABLEHOOK = 0x00000020u,
  OFN_ENABLETEMPLATE = 0x00000040u,
  OFN_PATHMUSTEXIST = 0x00000800u,
  OFN_FILEMUSTEXIST = 0x00001000u,
  OFN_EXPLORER = 0x00080000u,
  CDERR_STRUCTSIZE = 0x0001u,
  CDERR_INITIALIZATION = 0x0002u,
  FNERR_BUFFERTOOSMALL = 0x3003u,
};

// Nothing is shown: the answer comes from the dialog script, else the
// dialog cancels (FALSE with CommDlgExtendedError 0).
LVX_WIN32_API BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);
LVX_WIN32_API BOOL GetSaveFileNameA(OPENFILENAMEA* ofn);
LVX_WIN32_API DWORD CommDlgExtendedError(void);

// ---- Display ----------------------------------------------------------------
enum : int {
  SM_CXSCREEN = 0,
  SM_CYSCREEN = 1,
  HORZRES = 8,
  VERTRES = 10,
  BITSPIXEL = 12,
  PLANES = 14,
};
typedef struct DEVMODEA DEVMODEA;

LVX_WIN32_API int GetSystemMetrics(int index);
// Only the "DISPLAY" driver is known.
LVX_WIN32_API HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* mode);
LVX_WIN32_API int GetDeviceCaps(HDC dc, int index);
LVX_WIN32_API BOOL DeleteDC(HDC dc);

} // extern "C"
