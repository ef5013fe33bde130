#pragma once
// Internal to the stand-in: the message box and the common file and colour
// dialogs as real modal windows, drawn by the stand-in with its standard
// controls as a Windows system draws its own. dialogs.cpp decides when one
// is shown (a display is presented, or the automation API asks for them,
// and no scripted answer waits) and logs every request either way.
#include "wm.h"

#include <optional>
#include <string>

namespace standin::detail {

// Whether a dialog that no scripted answer waits for opens as a real window.
bool ShowsRealDialogs();

// A child control of a dialog box at client (x, y), in the box's font.
HWND AddControl(HWND box, const char* className, const char* text, DWORD style, int x, int y, int width, int height,
                int id, DWORD exStyle = 0);
// The width of one line of text in the default GUI font.
int GuiTextWidth(const std::string& text);
// The object a stand-in dialog keeps in its box's GWL_USERDATA.
template <class T>
T* DialogObject(HWND box)
{
  return reinterpret_cast<T*>(GetWindowLongA(box, GWL_USERDATA));
}

// ---- The message box (messagebox.cpp) -------------------------------------------
// The buttons of a message box type, left to right; an unknown type has OK.
std::vector<int> MessageBoxButtons(UINT type);
// The answer a box gives when it is closed without a choice: Cancel where it
// has one, OK for an OK box, No for Yes/No, Abort for Abort/Retry/Ignore.
int MessageBoxCancelAnswer(UINT type);
// Shows the box, owned by and centred on `owner`'s top-level window (the
// screen without one), and returns the id of the button pressed; the
// cancel answer when the box ends without one (the display was lost).
int RunMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// ---- The file dialogs (filedialog.cpp) -------------------------------------------
// Runs the open (or save) dialog on the record. The path chosen, with the
// default extension added and the record's flags honoured (the folder and
// file must exist, an existing file is replaced only after a Yes), in the
// form CreateFileA maps; nothing when it was cancelled. *filterIndex gets
// the filter chosen (1-based).
std::optional<std::string> RunFileDialogWindow(const OPENFILENAMEA& ofn, bool save, DWORD* filterIndex);

// ---- The colour dialog (colordialog.cpp) -------------------------------------------
// Runs the colour dialog on the record; the colour chosen (0x00BBGGRR), or
// nothing when it was cancelled. On OK the custom colours, which "Add to
// Custom Colors" may have changed, are written back to lpCustColors.
std::optional<COLORREF> RunColorDialogWindow(CHOOSECOLORA& cc);

} // namespace standin::detail
