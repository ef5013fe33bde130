// Dialog items, centring and numeric fields of the utility layer, on
// windows of the window layer.
#include "hostutil.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

using namespace hostif;

namespace {

constexpr int kEdit = 10, kBox = 11;

HWND Popup(int x, int y, int width, int height, HWND owner)
{
  return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, x, y, width, height, owner, nullptr, nullptr,
                         nullptr);
}

HWND Item(HWND dialog, const char* type, int id)
{
  return CreateWindowExA(0, type, "", WS_CHILD | WS_VISIBLE, 5, 5, 80, 20, dialog,
                         reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
}

RECT WindowRect(HWND window)
{
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

} // namespace

TEST(HostDialogs, ItemsAndCentring)
{
  HWND dialog = Popup(0, 0, 200, 100, nullptr);
  HWND edit = Item(dialog, "EDIT", kEdit);
  Item(dialog, "BUTTON", kBox);
  SetCheckBox(dialog, kBox, true);
  EXPECT_TRUE(GetCheckBox(dialog, kBox));
  EXPECT_FALSE(ToggleCheckBox(dialog, kBox));
  EXPECT_FALSE(GetCheckBox(dialog, 99)); // no such item
  HideDialogItem(dialog, kEdit);
  EXPECT_FALSE(IsWindowVisible(edit));
  ShowDialogItem(dialog, kEdit);
  DisableDialogItem(dialog, kEdit);
  EXPECT_FALSE(IsWindowEnabled(edit));
  EnableDialogItem(dialog, kEdit);
  EXPECT_TRUE(IsWindowVisible(edit) && IsWindowEnabled(edit));
  SetItemText(dialog, kEdit, "hello");
  EXPECT_EQ(GetItemText(dialog, kEdit), "hello");
  SelectTextItem(dialog, kEdit);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELPARAM(0, 5));

  // Over the 1280 x 1024 screen, then over an owner at (100, 50).
  CenterDialog(dialog);
  EXPECT_EQ(WindowRect(dialog).left, (1280 - 200) / 2);
  EXPECT_EQ(WindowRect(dialog).top, (1024 - 100) / 2);
  HWND owner = Popup(100, 50, 401, 301, nullptr);
  HWND owned = Popup(0, 0, 100, 50, owner);
  CenterDialog(owned);
  EXPECT_EQ(WindowRect(owned).left, 100 + (401 - 100) / 2);
  EXPECT_EQ(WindowRect(owned).top, 50 + (301 - 50) / 2);
}

TEST(HostDialogs, NumericFieldsKeepToTheirBounds)
{
  HWND dialog = Popup(0, 0, 200, 100, nullptr);
  HWND edit = Item(dialog, "EDIT", kEdit);
  int32_t integer = 0;
  SetItemText(dialog, kEdit, " 42 ");
  EXPECT_TRUE(FetchIntegerItem(dialog, kEdit, 0, 100, &integer));
  EXPECT_EQ(integer, 42);
  EXPECT_EQ(standin::BeepCount(), 0);

  SetItemText(dialog, kEdit, "250");
  EXPECT_FALSE(FetchIntegerItem(dialog, kEdit, 0, 100, &integer));
  EXPECT_EQ(integer, 100);
  EXPECT_EQ(GetItemText(dialog, kEdit), "100");
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(standin::BeepCount(), 1);
  ASSERT_FALSE(standin::DialogLog().empty());
  EXPECT_EQ(standin::DialogLog().back().text, "An integer is required between 0 and 100.");

  double number = 0;
  SetItemText(dialog, kEdit, "0.25");
  EXPECT_FALSE(FetchNumberItem(dialog, kEdit, 0.5, 2, 1, &number));
  EXPECT_EQ(number, 0.5);
  EXPECT_EQ(GetItemText(dialog, kEdit), "0.5");
  EXPECT_EQ(standin::DialogLog().back().text, "A decimal number is required between 0.5 and 2.0.");
  // Text that is no number counts as 0.
  SetItemText(dialog, kEdit, "nan");
  EXPECT_TRUE(FetchNumberItem(dialog, kEdit, -1, 1, 2, &number));
  EXPECT_EQ(number, 0);
  EXPECT_EQ(standin::BeepCount(), 2);
}
