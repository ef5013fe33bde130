// Dialog items, centring and numeric fields of the host-interface utility
// layer (see hostutil.h).
#include "hostutil.h"

#include "win32/dialogs.h"
#include "win32/messagebox.h"
#include "win32/windowing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace hostif {
namespace {

void ShowItem(HWND dialog, int item, int command)
{
  if (HWND control = GetDlgItem(dialog, item))
    ShowWindow(control, command);
}

void EnableItem(HWND dialog, int item, bool enable)
{
  if (HWND control = GetDlgItem(dialog, item))
    EnableWindow(control, enable ? TRUE : FALSE);
}

// Blanks, a decimal number, blanks; anything else (also nan and infinity)
// counts as 0.
double TextToNumber(const std::string& text)
{
  const char* start = text.c_str();
  char* end = nullptr;
  const double value = std::strtod(start, &end);
  if (end == start || !std::isfinite(value))
    return 0;
  for (; *end; ++end)
    if (*end != ' ')
      return 0;
  return value;
}

// The out-of-range answer: a beep, the bound into the item, its text
// selected, and the message naming the bounds.
void RefuseValue(HWND dialog, int item, const std::string& bound, uint16_t message, const std::string& low,
                 const std::string& high)
{
  MessageBeep(MB_OK);
  SetItemText(dialog, item, bound);
  SelectTextItem(dialog, item);
  AlertWithValues(ThisModule(), nullptr, static_cast<int16_t>(message), low.c_str(), high.c_str());
}

} // namespace

bool GetCheckBox(HWND dialog, int item) { return IsDlgButtonChecked(dialog, item) == BST_CHECKED; }

void SetCheckBox(HWND dialog, int item, bool checked)
{
  CheckDlgButton(dialog, item, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool ToggleCheckBox(HWND dialog, int item)
{
  const bool checked = !GetCheckBox(dialog, item);
  SetCheckBox(dialog, item, checked);
  return GetCheckBox(dialog, item);
}

void SelectTextItem(HWND dialog, int item)
{
  if (HWND control = GetDlgItem(dialog, item)) {
    SendMessageA(control, EM_SETSEL, 0, -1);
    SetFocus(control);
  }
}

void ShowDialogItem(HWND dialog, int item) { ShowItem(dialog, item, SW_SHOW); }
void HideDialogItem(HWND dialog, int item) { ShowItem(dialog, item, SW_HIDE); }
void EnableDialogItem(HWND dialog, int item) { EnableItem(dialog, item, true); }
void DisableDialogItem(HWND dialog, int item) { EnableItem(dialog, item, false); }

std::string GetItemText(HWND dialog, int item)
{
  char text[256] = "";
  GetDlgItemTextA(dialog, item, text, sizeof text);
  return text;
}

void SetItemText(HWND dialog, int item, const std::string& text) { SetDlgItemTextA(dialog, item, text.c_str()); }

void CenterDialog(HWND dialog)
{
  RECT box{}, over{};
  if (!GetWindowRect(dialog, &box))
    return;
  HWND parent = GetParent(dialog);
  if (!parent || !GetWindowRect(parent, &over))
    GetWindowRect(GetDesktopWindow(), &over);
  const LONG width = box.right - box.left, height = box.bottom - box.top;
  const int x = static_cast<int>(over.left + (over.right - over.left - width) / 2);
  const int y = static_cast<int>(over.top + (over.bottom - over.top - height) / 2);
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool FetchIntegerItem(HWND dialog, int item, int32_t low, int32_t high, int32_t* value)
{
  const int32_t read = TextToInteger(GetItemText(dialog, item));
  const int32_t kept = std::min(std::max(read, low), high);
  if (value)
    *value = kept;
  if (kept == read)
    return true;
  RefuseValue(dialog, item, std::to_string(kept), kMessageIntegerRange, std::to_string(low), std::to_string(high));
  return false;
}

bool FetchNumberItem(HWND dialog, int item, double low, double high, int precision, double* value)
{
  const double read = TextToNumber(GetItemText(dialog, item));
  const double kept = std::min(std::max(read, low), high);
  if (value)
    *value = kept;
  if (kept == read)
    return true;
  RefuseValue(dialog, item, DoubleToText(kept, precision), kMessageDecimalRange, DoubleToText(low, precision),
              DoubleToText(high, precision));
  return false;
}

} // namespace hostif
