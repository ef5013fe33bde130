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
LVX_DECLARE_HANDLE(HPEN);
LVX_DECLARE_HANDLE(HBRUSH);
LVX_DECLARE_HANDLE(HFONT);
LVX_DECLARE_HANDLE(HBITMAP);
LVX_DECLARE_HANDLE(HPALETTE);
LVX_DECLARE_HANDLE(HMENU);
// Any drawing object: a pen, brush, font, bitmap or palette.
typedef void* HGDIOBJ;

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
  MB_ABORTRETRYIGNORE = 0x00000002u,
  MB_YESNOCANCEL = 0x00000003u,
  MB_YESNO = 0x00000004u,
  MB_RETRYCANCEL = 0x00000005u,
  MB_ICONERROR = 0x00000010u,
  MB_ICONHAND = 0x00000010u,
  MB_ICONQUESTION = 0x00000020u,
  MB_ICONWARNING = 0x00000030u,
  MB_ICONEXCLAMATION = 0x00000030u,
  MB_ICONINFORMATION = 0x00000040u,
  MB_DEFBUTTON1 = 0x00000000u,
  MB_DEFBUTTON2 = 0x00000100u,
  MB_DEFBUTTON3 = 0x00000200u,
  MB_TASKMODAL = 0x00002000u,
  MB_TOPMOST = 0x00040000u,
};
enum : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
};

// The button pressed: from the dialog script when an answer waits (one the
// box has), else from the real box while windows are presented (see
// standin::ShowRealDialogs): the text wrapped, the buttons of the type
// (MB_OK when unknown) with the default of MB_DEFBUTTONn, owned by and
// centred on the owner's top-level window. Enter presses the button with
// the focus; Esc and the close box answer IDCANCEL where there is a Cancel
// button and IDOK in an MB_OK box. A box that ends without a press (the
// display was lost) answers IDCANCEL, IDNO, IDOK or IDABORT, whichever it
// has first in that order. Headless, without an answer: the first button.
// A null caption is "Error".
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
// Removes a regular file (the path is mapped as by CreateFileA). A folder, a
// device or anything else that is not a regular file is left alone: FALSE
// with ERROR_ACCESS_DENIED. A missing file: FALSE with ERROR_FILE_NOT_FOUND.
LVX_WIN32_API BOOL DeleteFileA(LPCSTR path);

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
// Limits as Windows has them: a key's name with its whole path from the root
// key ("HKEY_CURRENT_USER\Software\...") at most 255 characters, at most 512
// levels, a value name at most 16,383 characters; RegCreateKeyExA and
// RegSetValueExA refuse more with ERROR_INVALID_PARAMETER and change nothing.
// Changes are shared with other processes using the same store: a change
// that cannot take the store's lock within 10 seconds, or cannot be saved,
// fails with ERROR_WRITE_FAULT and changes nothing; a damaged store refuses
// every change with ERROR_REGISTRY_CORRUPT.
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

// The answer comes from the dialog script when one waits, else from the
// real dialog while windows are presented (see standin::ShowRealDialogs),
// else the dialog cancels (FALSE with CommDlgExtendedError 0). The real
// dialog starts in the folder of lpstrFile's path, else lpstrInitialDir,
// else the current folder; lists the sub-folders and the files matching
// the chosen filter; takes a name or a relative or absolute path
// (Windows-style or '/') and returns it in the form it was given, as
// CreateFileA maps it. lpstrDefExt is added to a name without an
// extension; OFN_PATHMUSTEXIST, OFN_FILEMUSTEXIST and (saving)
// OFN_OVERWRITEPROMPT are asked about in message boxes; nFilterIndex gets
// the filter chosen. A path longer than nMaxFile - 1: FALSE with
// FNERR_BUFFERTOOSMALL and the size needed in the first two bytes.
LVX_WIN32_API BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);
LVX_WIN32_API BOOL GetSaveFileNameA(OPENFILENAMEA* ofn);
LVX_WIN32_API DWORD CommDlgExtendedError(void);

// ---- Colour dialog ----------------------------------------------------------
typedef UINT_PTR(CALLBACK* LPCCHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

// The fields of the classic 36-byte record, in order; pointer-sized where
// they hold pointers. lStructSize must be sizeof(CHOOSECOLORA).
typedef struct CHOOSECOLORA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  COLORREF rgbResult;     // the initial colour with CC_RGBINIT; the chosen one on OK
  COLORREF* lpCustColors; // 16 custom colours
  DWORD Flags;
  LPARAM lCustData;
  LPCCHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
} CHOOSECOLORA;

enum : DWORD {
  CC_RGBINIT = 0x00000001u,
  CC_FULLOPEN = 0x00000002u,
  CC_ANYCOLOR = 0x00000100u,
};

// The answer comes from the dialog script, else from the real dialog while
// windows are presented (48 basic colours, the 16 custom ones, red, green
// and blue fields; the initial colour with CC_RGBINIT, else black; on OK
// the custom colours go back to lpCustColors), else the dialog cancels.
// FALSE (CDERR_STRUCTSIZE) for a wrong record size.
LVX_WIN32_API BOOL ChooseColorA(CHOOSECOLORA* cc);

// ---- Opening documents with the desktop -------------------------------------
// The desktop's viewer is the program named by the environment variable
// LUMIVEX_OPENER when it is set and not empty (a path, or a name searched on
// PATH); set but empty means there is none; unset, it is xdg-open found on
// PATH. The viewer gets exactly two arguments, its own name and the target,
// and is never waited for; no command string is ever given to a shell.
// Every request is logged (standin::ShellRequests).
enum : int {
  SE_ERR_NOASSOC = 31,
};
enum : UINT {
  HELP_QUIT = 2,
  HELP_CONTENTS = 3,
};

// Opens `file` with the viewer. The verb must be null or "open". A target
// that starts with a URL scheme ("scheme://", or "mailto:") is passed as it
// is; anything else is a path, mapped like CreateFileA's, that must exist
// and is passed made absolute. `parameters`, `directory` and `show` are
// logged and otherwise ignored. Returns a value above 32 when the viewer
// started; ERROR_FILE_NOT_FOUND (2) for a missing path; SE_ERR_NOASSOC for
// another verb, when there is no viewer or when it could not be started.
LVX_WIN32_API HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                      int show);
// HELP_CONTENTS opens the help file as ShellExecuteA "open" does: TRUE when
// the viewer started. HELP_QUIT does nothing and returns TRUE. Any other
// command: FALSE.
LVX_WIN32_API BOOL WinHelpA(HWND owner, LPCSTR helpFile, UINT command, ULONG_PTR data);

// ---- Sounds -----------------------------------------------------------------
// Nothing is heard; the automation API counts the beeps.
LVX_WIN32_API BOOL MessageBeep(UINT type);

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

// ---- Colours ----------------------------------------------------------------
// A COLORREF is 0x00BBGGRR.
#define CLR_INVALID ((COLORREF)0xFFFFFFFFu)
#define GDI_ERROR 0xFFFFFFFFu


// ---- GDI objects ------------------------------------------------------------
// Pens, brushes, fonts, bitmaps and palettes share one handle space.
// SelectObject gives back the object of the same kind that it replaced (null
// on failure); palettes go through SelectPalette instead. DeleteObject refuses
// an object selected into any device context (FALSE) and leaves stock objects
// alone (TRUE).
enum : int {
  WHITE_BRUSH = 0,
  BLACK_BRUSH = 4,
  NULL_BRUSH = 5,
  WHITE_PEN = 6,
  BLACK_PEN = 7,
  NULL_PEN = 8,
  DEFAULT_PALETTE = 15,
  DEFAULT_GUI_FONT = 17,
};
enum : int {
  PS_SOLID = 0,
  PS_NULL = 5,
};

LVX_WIN32_API HGDIOBJ GetStockObject(int index);
LVX_WIN32_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
LVX_WIN32_API BOOL DeleteObject(HGDIOBJ object);
// PS_NULL draws nothing; every other style draws solid. Width 0 counts as 1;
// a wider pen stamps a width x width square on each point it draws.
LVX_WIN32_API HPEN CreatePen(int style, int width, COLORREF color);
LVX_WIN32_API HBRUSH CreateSolidBrush(COLORREF color);

// ---- Device contexts --------------------------------------------------------
// A device context draws on a window's client area, the screen (GetDC(NULL),
// CreateDCA("DISPLAY")) or a surface, through an origin and a clip rectangle:
// nothing is ever written outside either.
//
// A new context holds the black 1-pixel pen, the white brush, the default GUI
// font and the default palette; OPAQUE background mode, white background,
// black text, TA_LEFT | TA_TOP, R2_COPYPEN, position (0, 0) and COLORONCOLOR.
// Every Set* call returns the value it replaced, or its failure value for an
// invalid context or value.
typedef struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT;

// GetDC(NULL) is the screen. Release with ReleaseDC (1 when released).
LVX_WIN32_API HDC GetDC(HWND window);
LVX_WIN32_API int ReleaseDC(HWND window, HDC dc);
// rcPaint is the window's update rectangle, or its whole client area when
// none is set; drawing is clipped to it. EndPaint clears the update rectangle.
LVX_WIN32_API HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
LVX_WIN32_API BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
// Only the "DISPLAY" driver is known: a context on the screen, ended with
// DeleteDC.
LVX_WIN32_API HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* mode);
LVX_WIN32_API BOOL DeleteDC(HDC dc);
// The screen size and depth (see standin::SetScreen), whatever the context.
LVX_WIN32_API int GetDeviceCaps(HDC dc, int index);

enum : int {
  TRANSPARENT = 1,
  OPAQUE = 2,
  R2_NOTXORPEN = 10, // new = NOT(destination XOR colour), per channel
  R2_COPYPEN = 13,
  BLACKONWHITE = 1,
  WHITEONBLACK = 2,
  COLORONCOLOR = 3,
  HALFTONE = 4,
};
enum : UINT {
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24,
};

// TRANSPARENT or OPAQUE; 0 on failure.
LVX_WIN32_API int SetBkMode(HDC dc, int mode);
// CLR_INVALID on failure.
LVX_WIN32_API COLORREF SetBkColor(HDC dc, COLORREF color);
LVX_WIN32_API COLORREF SetTextColor(HDC dc, COLORREF color);
// GDI_ERROR on failure.
LVX_WIN32_API UINT SetTextAlign(HDC dc, UINT align);
// R2_COPYPEN or R2_NOTXORPEN; 0 on failure. The mode applies to the pen and
// brush of LineTo, PolyBezier, Rectangle and Ellipse only.
LVX_WIN32_API int SetROP2(HDC dc, int mode);
// Any mode from BLACKONWHITE to HALFTONE is kept; stretching is always
// nearest-neighbour. 0 on failure.
LVX_WIN32_API int SetStretchBltMode(HDC dc, int mode);

// ---- Drawing ----------------------------------------------------------------
// Coordinates are the context's. The pen and brush are the selected ones.
LVX_WIN32_API BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
// A Bresenham line from the current position to (x, y), leaving out (x, y),
// which becomes the current position.
LVX_WIN32_API BOOL LineTo(HDC dc, int x, int y);
// Cubic Bezier segments through count = 3n + 1 points (n >= 1): each starts
// where the last ended and runs through two control points to its end. The
// curve is halved until its pieces are at most 2 px long, each piece drawn
// as LineTo draws it, then the last end point itself; both ends are drawn
// and no pixel is drawn twice. The current position is neither used nor
// moved. FALSE, drawing nothing, for another count, no points or an unknown
// context.
LVX_WIN32_API BOOL PolyBezier(HDC dc, const POINT* points, DWORD count);
// The pen draws columns left and right - 1 and rows top and bottom - 1; the
// brush fills what lies inside them (the whole rectangle under NULL_PEN).
LVX_WIN32_API BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// The ellipse inscribed in [left, right) x [top, bottom): a symmetric shape
// that never leaves that box, outlined by the pen and filled by the brush.
LVX_WIN32_API BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// [left, right) x [top, bottom) in the brush's colour (nothing for
// NULL_BRUSH). 0 on failure.
LVX_WIN32_API int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// The 1-pixel border just inside the rectangle, in the brush's colour.
LVX_WIN32_API int FrameRect(HDC dc, const RECT* rect, HBRUSH brush);
// The colour set, or CLR_INVALID outside the clip.
LVX_WIN32_API COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);
// CLR_INVALID outside the clip.
LVX_WIN32_API COLORREF GetPixel(HDC dc, int x, int y);

// ---- Text -------------------------------------------------------------------
// Every face ("Arial", "MS Sans Serif", the default GUI font) maps to
// Liberation Sans, whose advances match the widths the windows were laid
// out for (bold from weight 600, italic as a slanted outline). A missing
// font file is reported once on stderr and no text is drawn. A height above
// 0 is the cell height, below 0 the em height, 0 a cell height of 13 (as
// DEFAULT_GUI_FONT). Width, escapement, orientation,
// underline, strike-out, character set, precisions, quality and pitch are
// not used.
typedef struct SIZE {
  LONG cx;
  LONG cy;
} SIZE;
enum : int {
  FW_DONTCARE = 0,
  FW_NORMAL = 400,
  FW_SEMIBOLD = 600,
  FW_BOLD = 700,
};

LVX_WIN32_API HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                                DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                                DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR face);
// The sum of the characters' whole-pixel advances (no kerning) by the cell
// height of the selected font.
LVX_WIN32_API BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size);
// Windows-1252 text placed by the text alignment, anti-aliased in the text
// colour; in OPAQUE mode its cell is first filled with the background
// colour. Nothing is drawn outside the text's cell.
LVX_WIN32_API BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);

// ---- Device-independent bitmaps ---------------------------------------------
// A DIB is a header, a colour table and rows of pixels, each row padded to a
// multiple of 4 bytes. Headers: BITMAPINFOHEADER (biSize 40 or more) or the
// 12-byte BITMAPCOREHEADER. Depths 1, 4 and 8 through a colour table of
// biClrUsed entries (else 2^bits; RGBQUAD, or RGBTRIPLE for the core form), 24
// and 32 uncompressed. A positive height stores the rows bottom-up, a
// negative one top-down.
enum : DWORD {
  BI_RGB = 0,
  DIB_RGB_COLORS = 0,
  DIB_PAL_COLORS = 1,
  CBM_INIT = 4,
  SRCCOPY = 0x00CC0020u,
};

typedef struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER;
typedef struct BITMAPCOREHEADER {
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
} BITMAPCOREHEADER;
typedef struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD;
typedef struct RGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
} RGBTRIPLE;
typedef struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO;
typedef struct BITMAPCOREINFO {
  BITMAPCOREHEADER bmciHeader;
  RGBTRIPLE bmciColors[1];
} BITMAPCOREINFO;

// `bits` holds `lines` rows starting at scan line `startScan`. Destination row
// y + i (i = 0 .. height - 1) takes the source row whose top-down index is
// startScan + lines - ySrc - height + i: for a top-down DIB that is buffer
// row index, for a bottom-up one buffer row lines - 1 - index. Destination
// column x + j takes source column xSrc + j. Source rows outside
// 0 .. lines - 1, source columns outside the width and destination pixels
// outside the clip are skipped. Returns the number of destination rows that
// have a source row (clipped or not); 0 for an invalid context or header.
LVX_WIN32_API int SetDIBitsToDevice(HDC dc, int x, int y, DWORD width, DWORD height, int xSrc, int ySrc,
                                    UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                                    UINT usage);
// Scales the source rectangle into the destination by nearest neighbour.
// ySrc counts from the bottom row of a bottom-up DIB and from the top row of
// a top-down one. Only SRCCOPY; sizes must be positive. Returns destHeight,
// 0 on failure.
LVX_WIN32_API int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                                int ySrc, int srcWidth, int srcHeight, const void* bits,
                                const BITMAPINFO* info, UINT usage, DWORD rop);

// ---- Bitmaps ----------------------------------------------------------------
// Memory bitmaps are 32 bits per pixel whatever they were made from.
typedef struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP;

// A bitmap of the header's size, upright, from `bits` described by `info`
// under CBM_INIT, else black. The context is not needed.
LVX_WIN32_API HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                                     const BITMAPINFO* info, UINT usage);
// Copies scan lines startScan .. startScan + lines - 1 of the bitmap into
// 24- or 32-bit rows, bottom-up for a positive biHeight, top-down for a
// negative one (scan 0 is the first row stored). The header must give the
// bitmap's width and height. Returns the number of rows copied.
LVX_WIN32_API int GetDIBits(HDC dc, HBITMAP bitmap, UINT startScan, UINT lines, void* bits, BITMAPINFO* info,
                            UINT usage);
// A bitmap gives BITMAP {0, width, height, width x 4, 1, 32, null}; a palette
// its entry count (a WORD). Returns the bytes written, or the size needed
// when `out` is null; 0 on failure.
LVX_WIN32_API int GetObjectA(HANDLE object, int size, void* out);

// ---- Palettes ---------------------------------------------------------------
// Palettes keep their entries but change no colour: drawing is true colour.
typedef struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
} PALETTEENTRY;
typedef struct LOGPALETTE {
  WORD palVersion; // 0x300
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
} LOGPALETTE;

LVX_WIN32_API HPALETTE CreatePalette(const LOGPALETTE* palette);
// Returns the palette it replaced (the stock DEFAULT_PALETTE at first).
LVX_WIN32_API HPALETTE SelectPalette(HDC dc, HPALETTE palette, BOOL background);
// The selected palette's entry count; GDI_ERROR for an invalid context.
LVX_WIN32_API UINT RealizePalette(HDC dc);

} // extern "C"

inline constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
inline constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
inline constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
inline constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

// Windows, messages, input, painting and dialog boxes.
#include "win32/windowing.h"
// ==== Modules, the command line and version information ======================
extern "C" {

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
