// Dialog items, centring and numeric fields of the utility layer, on
// windows of the window layer.
#include "hostutil.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

using namespace hostif;

namespace {

constexpr int kEdit = 10, kBox = 11;

HWND Window(const char* type, int x, int y, int width, int height, HWND parent, int id = 0)
{
  const DWORD style = (id ? WS_CHILD : WS_POPUP) | WS_VISIBLE;
  return CreateWindowExA(0, type, "", style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
}

LONG Left(HWND window)
{
  RECT r{};
  GetWindowRect(window, &r);
  return r.left;
}

} // namespace

TEST(HostDialogs, ItemsCentringAndNumericFields)
{
  HWND dialog = Window("STATIC", 0, 0, 200, 100, nullptr);
  HWND edit = Window("EDIT", 5, 5, 80, 20, dialog, kEdit);
  Window("BUTTON", 5, 30, 80, 20, dialog, kBox);
  SetCheckBox(dialog, kBox, true);
  EXPECT_FALSE(ToggleCheckBox(dialog, kBox));
  HideDialogItem(dialog, kEdit);
  DisableDialogItem(dialog, kEdit);
  EXPECT_FALSE(IsWindowVisible(edit) || IsWindowEnabled(edit));
  ShowDialogItem(dialog, kEdit);
  EnableDialogItem(dialog, kEdit);

  // Over the 1280-pixel screen, then over an owner 401 wide at x = 100.
  CenterDialog(dialog);
  EXPECT_EQ(Left(dialog), (1280 - 200) / 2);
  HWND owned = Window("STATIC", 0, 0, 100, 50, Window("STATIC", 100, 50, 401, 301, nullptr));
  CenterDialog(owned);
  EXPECT_EQ(Left(owned), 100 + (401 - 100) / 2);

  // Out of bounds: a beep, the nearest bound, selected, and the message.
  int32_t integer = 0;
  SetItemText(dialog, kEdit, " 42 ");
  EXPECT_TRUE(FetchIntegerItem(dialog, kEdit, 0, 100, &integer));
  EXPECT_EQ(integer, 42);
  SetItemText(dialog, kEdit, "250");
  EXPECT_FALSE(FetchIntegerItem(dialog, kEdit, 0, 100, &integer));
  EXPECT_EQ(integer, 100);
  EXPECT_EQ(GetItemText(dialog, kEdit), "100");
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELPARAM(0, 3));
  EXPECT_EQ(standin::BeepCount(), 1);
  EXPECT_EQ(standin::DialogLog().back().text, "An integer is required between 0 and 100.");
  double number = 0;
  SetItemText(dialog, kEdit, "0.25");
  EXPECT_FALSE(FetchNumberItem(dialog, kEdit, 0.5, 2, 1, &number));
  EXPECT_EQ(GetItemText(dialog, kEdit), "0.5");
  EXPECT_EQ(standin::DialogLog().back().text, "A decimal number is required between 0.5 and 2.0.");
  SetItemText(dialog, kEdit, "nan"); // no number: 0
  EXPECT_TRUE(FetchNumberItem(dialog, kEdit, -1, 1, 2, &number));
  EXPECT_EQ(number, 0);
}
