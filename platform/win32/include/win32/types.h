#pragma once
// The subset of the Windows API that Lumivex calls, for a headless Linux
// process. Declarations are ours and carry the Win32 names and values the
// system relies on. Every name is a real function: there are no
// function-name macros (no LoadString for LoadStringA, no min/max).
//
// This header holds the basic types, handles, the last error, rectangles,
// colours and the packing helpers; every other header of the stand-in builds
// on it. win32/win32.h includes every area.
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
#define LVX_DECLARE_HANDLE(name)                                                                                       \
  struct name##__ {                                                                                                    \
    int unused;                                                                                                        \
  };                                                                                                                   \
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
// Opaque: the calls that take one ignore it.
typedef struct SECURITY_ATTRIBUTES SECURITY_ATTRIBUTES;

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

} // extern "C"

// ---- Colours ----------------------------------------------------------------
// A COLORREF is 0x00BBGGRR.
#define CLR_INVALID ((COLORREF)0xFFFFFFFFu)

inline constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
inline constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
inline constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
inline constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

// ---- Packing helpers ----------------------------------------------------------
inline constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
inline constexpr LPARAM MAKELPARAM(int low, int high)
{
  return static_cast<LPARAM>(static_cast<DWORD>((static_cast<DWORD>(high & 0xFFFF) << 16) | (low & 0xFFFF)));
}
inline constexpr WPARAM MAKEWPARAM(int low, int high)
{
  return static_cast<WPARAM>(static_cast<DWORD>(MAKELPARAM(low, high)));
}
inline constexpr LONG MAKELONG(int low, int high) { return static_cast<LONG>(MAKELPARAM(low, high)); }
// Signed client coordinates of a mouse message.
inline constexpr int GET_X_LPARAM(LPARAM v) { return static_cast<SHORT>(v & 0xFFFF); }
inline constexpr int GET_Y_LPARAM(LPARAM v) { return static_cast<SHORT>((v >> 16) & 0xFFFF); }
