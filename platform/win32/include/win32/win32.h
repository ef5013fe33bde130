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
LVX_DECLARE_HANDLE(HWND);
LVX_DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;

// ---- Message boxes ----------------------------------------------------------
enum : UINT {
  MB_OK = 0x00000000u,
  MB_OKCANCEL = 0x00000001u,
  MB_YESNOCANCEL = 0x00000003u,
  MB_YESNO = 0x00000004u,
  MB_ICONERROR = 0x00000010u,
  MB_TASKMODAL = 0x00002000u,
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

} // extern "C"
