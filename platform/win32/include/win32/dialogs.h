#pragma once
// Dialog boxes, the standard controls and the common file and colour
// dialogs, with the message boxes of win32/messagebox.h. Controls and dialogs
// are windows: see win32/windowing.h.

#include "win32/messagebox.h"
#include "win32/windowing.h"

extern "C" {

// ---- Types ------------------------------------------------------------------
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// ---- Dialog boxes -----------------------------------------------------------
// Runs the module's dialog template (RT_DIALOG) as a modal box: -1 when the
// template is missing, else the value given to EndDialog. Dialog units are
// 6 x 13 base units (x * 6 / 4, y * 13 / 8, rounded).
LVX_WIN32_API INT_PTR DialogBoxParamA(HINSTANCE module, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param);
// Ends the box's loop after the current dispatch.
LVX_WIN32_API BOOL EndDialog(HWND dialog, INT_PTR result);
LVX_WIN32_API HWND GetDlgItem(HWND dialog, int id);
LVX_WIN32_API int GetDlgCtrlID(HWND window);
LVX_WIN32_API BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
LVX_WIN32_API UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);
LVX_WIN32_API BOOL CheckDlgButton(HWND dialog, int id, UINT check);
LVX_WIN32_API UINT IsDlgButtonChecked(HWND dialog, int id);
LVX_WIN32_API BOOL MapDialogRect(HWND dialog, RECT* rect);

// ---- Standard controls ------------------------------------------------------
enum : DWORD {
  BS_PUSHBUTTON = 0x0,
  BS_DEFPUSHBUTTON = 0x1,
  SS_LEFT = 0x0,
  ES_AUTOHSCROLL = 0x80,
  // LISTBOX: LBN_SELCHANGE and LBN_DBLCLK are sent only with LBS_NOTIFY;
  // WS_VSCROLL gives it a scroll bar inside its client area's right edge.
  LBS_NOTIFY = 0x0001,
  // COMBOBOX: only the drop-down list kind exists.
  CBS_DROPDOWNLIST = 0x0003,
};
// WM_GETDLGCODE's answer: the keys a control keeps from its dialog box.
enum : LRESULT {
  DLGC_WANTARROWS = 0x0001,
  DLGC_WANTTAB = 0x0002,
  DLGC_WANTALLKEYS = 0x0004,
  DLGC_WANTCHARS = 0x0080,
};
enum : int { LB_ERR = -1, CB_ERR = -1 };
enum : UINT {
  LB_ADDSTRING = 0x0180,
  LB_RESETCONTENT = 0x0184,
  LB_SETCURSEL = 0x0186,
  LB_GETCURSEL = 0x0188,
  LB_GETTEXT = 0x0189,
  LB_GETTEXTLEN = 0x018A,
  LB_GETCOUNT = 0x018B,
  LB_GETTOPINDEX = 0x018E,
  LB_SETTOPINDEX = 0x0197,
  LB_GETITEMDATA = 0x0199,
  LB_SETITEMDATA = 0x019A,
  LB_GETITEMHEIGHT = 0x01A1,
  LBN_SELCHANGE = 1,
  LBN_DBLCLK = 2,
  CB_ADDSTRING = 0x0143,
  CB_GETCOUNT = 0x0146,
  CB_GETCURSEL = 0x0147,
  CB_GETLBTEXT = 0x0148,
  CB_GETLBTEXTLEN = 0x0149,
  CB_RESETCONTENT = 0x014B,
  CB_SETCURSEL = 0x014E,
  CB_SHOWDROPDOWN = 0x014F,
  CB_GETDROPPEDSTATE = 0x0157,
  CBN_SELCHANGE = 1,
  CBN_DROPDOWN = 7,
  CBN_CLOSEUP = 8,
};
enum : UINT {
  BN_CLICKED = 0,
  BM_GETCHECK = 0x00F0,
  BM_SETCHECK = 0x00F1,
  BST_UNCHECKED = 0,
  BST_CHECKED = 1,
  EM_GETSEL = 0x00B0,
  EM_SETSEL = 0x00B1,
  EM_LIMITTEXT = 0x00C5,
  EN_SETFOCUS = 0x0100,
  EN_KILLFOCUS = 0x0200,
  EN_CHANGE = 0x0300,
  EN_UPDATE = 0x0400,
  EN_MAXTEXT = 0x0501,
};

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

} // extern "C"
