// Menus: the popup's place and growth, items, separators, selection and
// dropdown text, the marker, filling from the registry, the table's bounds,
// and choosing by the mouse.
#include "controlstest.h"

#include "qvcommon/qvmenu.h"
#include "qvcommon/qvmenuitem.h"
#include "qvcommon/qvmenuwnd.h"
#include "win32/registry.h"

#include <memory>
#include <string>

using Menus = WindowLayer;
using MenuChoosing = WindowLayer;

namespace {

// A main window with a free menu of three items (messages 201..203) on it.
struct MenuWindow {
  MenuWindow() : parent(QVRect(100, 80, 500, 380), QVWindow::eQVWindowStyleStaticMainCaption)
  {
    QVRect rect(10, 10, 110, 35);
    menu = std::make_unique<QVMenu>(&parent, rect, &TestResources(), 200, 0, 120);
    for (const char* name : {"Auto", "Coarse", "Fine"})
      menu->AddMenuItem(201 + menu->GetItemCount(), name, false);
    standin::Pump();
  }
  QVMenuWnd* Popup() { return menu->GetMenuItemWnd(); }
  HWND Item(int i) { return menu->GetItem(i)->GetWnd(); }
  void ClickButton()
  {
    Hover(menu->GetWnd(), 20, 10);
    standin::Click(menu->GetWnd(), 20, 10);
    standin::Pump();
  }
  void ClickItem(int i)
  {
    Hover(Item(i), 30, 10);
    standin::Click(Item(i), 30, 10);
    standin::Pump();
  }

  Probe parent;
  std::unique_ptr<QVMenu> menu;
};

QVPoint Corner(QVRect r) { return QVPoint(r.Left(), r.Top()); }

// How many pixels of the window's client area have exactly the colour.
int Count(HWND window, COLORREF colour)
{
  const standin::PixelView view = standin::ViewPixels(window);
  int n = 0;
  for (int y = 0; y < view.height; ++y)
    for (int x = 0; x < view.width; ++x)
      n += view.At(x, y) == colour;
  return n;
}

void SetValue(HKEY key, const std::string& name)
{
  const DWORD one = 1;
  ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one),
            ERROR_SUCCESS);
}

} // namespace

TEST_F(Menus, ThePopupOpensUnderTheButtonEveryTimeAndGrowsARowPerItem)
{
  MenuWindow w;
  QVMenuWnd* popup = w.Popup();
  ASSERT_NE(popup, nullptr);
  EXPECT_FALSE(popup->Visible());
  // Three rows of 25 + 1: 78 high, 120 wide; items 3 pixels in, 25 apart.
  EXPECT_EQ(popup->GetWindowRect().Width() * 1000 + popup->GetWindowRect().Height(), 120078);
  for (int i = 0; i < 3; ++i) {
    QVRect item = w.menu->GetItem(i)->GetWindowRect();
    popup->GetClientRectFromScreenRect(item);
    EXPECT_EQ(item.Left() * 1000 + item.Top(), 3000 + 2 + 25 * i) << i;
    EXPECT_EQ(item.Width() * 1000 + item.Height(), 114023) << i;
    EXPECT_EQ(w.menu->GetItem(i)->GetItemNum(), i);
  }
  w.ClickButton();
  ASSERT_TRUE(popup->Visible());
  EXPECT_EQ(GetActiveWindow(), popup->GetWnd());
  const QVPoint anchor = w.menu->GetWindowRect().GetLeftBottom();
  EXPECT_TRUE(Corner(popup->GetWindowRect()).EqualsPt(&anchor));
  // Closed by a click elsewhere, the window moved, opened again: under the
  // button's new place.
  standin::Click(w.parent.GetWnd(), 300, 200);
  standin::Pump();
  EXPECT_FALSE(popup->Visible());
  w.parent.SetWindowPos(400, 300, 400, 300, 1);
  w.ClickButton();
  ASSERT_TRUE(popup->Visible());
  const QVPoint moved = w.menu->GetWindowRect().GetLeftBottom();
  EXPECT_EQ(moved.X() * 1000 + moved.Y(), anchor.X() * 1000 + anchor.Y() + 300 * 1000 + 220);
  EXPECT_TRUE(Corner(popup->GetWindowRect()).EqualsPt(&moved));
}

TEST_F(Menus, SelectionMarksOneItemInTheAccentAndTheDropdownShowsItsText)
{
  MenuWindow w;
  EXPECT_EQ(w.menu->GetSelectedNum(), -1) << "nothing selected yet";
  EXPECT_EQ(w.menu->GetItemName(w.menu->GetSelectedNum()), nullptr);
  w.menu->SetDropdownList();
  w.menu->SetSelectedNum(1);
  EXPECT_EQ(w.menu->GetSelectedNum(), 1);
  EXPECT_STREQ(w.menu->GetControlText(), "Coarse");
  w.menu->AddMenuItem(209, nullptr, true);
  w.menu->AddMenuItem(210, "Custom", false);
  w.ClickButton();
  // The chosen row's text in the accent, the others' in white.
  EXPECT_GT(Count(w.Item(1), kAccent), 20);
  EXPECT_EQ(Count(w.Item(1), kWhite), 0);
  EXPECT_EQ(Count(w.Item(0), kAccent), 0);
  EXPECT_GT(Count(w.Item(0), kWhite), 20);
  ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Screen(), SnapshotPath("menu-open.png").c_str()));
  w.ClickItem(2);
  EXPECT_FALSE(w.Popup()->Visible());
  EXPECT_EQ(w.menu->GetSelectedNum(), 2);
  EXPECT_STREQ(w.menu->GetControlText(), "Fine");
  EXPECT_EQ(w.menu->GetItem(1)->IsSelected(), 0);
  EXPECT_EQ(w.menu->GetItem(2)->IsSelected(), 1);
  // Case matters; a miss changes nothing.
  w.menu->SetSelectedItem("auto");
  EXPECT_EQ(w.menu->GetSelectedNum(), 2);
  w.menu->SetSelectedItem(nullptr);
  w.menu->SetSelectedItem("Auto");
  EXPECT_EQ(w.menu->GetSelectedNum(), 0);
  EXPECT_STREQ(w.menu->GetControlText(), "Auto");
}

TEST_F(Menus, IndicesOutsideTheTableSelectAndNameNothing)
{
  MenuWindow w;
  w.menu->HasSelectedItem(1);
  w.menu->SetSelectedNum(-1);
  w.menu->SetSelectedNum(200);
  EXPECT_EQ(w.menu->GetSelectedNum(), -1);
  // Beyond the items but inside the table: stored, nothing marked; the item
  // added at that index later comes marked.
  w.menu->SetSelectedNum(3);
  EXPECT_EQ(w.menu->GetSelectedNum(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(w.menu->GetItem(i)->IsSelected(), 0);
  w.menu->AddMenuItem(204, "Medium", false);
  EXPECT_EQ(w.menu->GetItem(3)->IsSelected(), 1);
  EXPECT_EQ(w.menu->GetItemName(-1), nullptr);
  EXPECT_EQ(w.menu->GetItemName(4), nullptr);
  EXPECT_STREQ(w.menu->GetItemName(3), "Medium");
  // A missing string gives an empty item; the 201st item is refused.
  EXPECT_NE(w.menu->AddMenuItem(205, kCoarseString, false), nullptr);
  EXPECT_STREQ(w.menu->GetItemName(4), "Coarse");
  EXPECT_NE(w.menu->AddMenuItem(206, 9999, false), nullptr);
  EXPECT_STREQ(w.menu->GetItemName(5), "");
  while (w.menu->GetItemCount() < QVMenu::kMaxItems)
    ASSERT_NE(w.menu->AddMenuItem(300, "x", false), nullptr);
  const std::string before = standin::DumpWindowTree();
  EXPECT_EQ(w.menu->AddMenuItem(300, "one too many", false), nullptr);
  EXPECT_EQ(w.menu->GetItemCount(), QVMenu::kMaxItems);
  EXPECT_EQ(standin::DumpWindowTree(), before) << "no window made for it";
  EXPECT_EQ(w.Popup()->GetWindowRect().Height(), 1024 - 25) << "grown, and kept on the screen";
}

TEST_F(Menus, SeparatorsAreEtchedLinesThatChooseNothingButCloseThePopup)
{
  MenuWindow w;
  w.menu->SetDropdownList();
  w.menu->SetSelectedNum(0);
  ASSERT_NE(w.menu->AddMenuItem(209, nullptr, true), nullptr);
  EXPECT_STREQ(w.menu->GetItemName(3), "");
  w.ClickButton();
  const HWND separator = w.Item(3);
  for (int x : {0, 50, 113}) {
    EXPECT_EQ(standin::ReadPixel(separator, x, 11), RGB(128, 128, 128)) << x;
    EXPECT_EQ(standin::ReadPixel(separator, x, 12), kWhite) << x;
    EXPECT_EQ(standin::ReadPixel(separator, x, 13), kClassGrey) << x;
  }
  Hover(separator, 30, 5);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(separator, 0, 0), kClassGrey) << "flat: no hover frame";
  standin::Click(separator, 30, 5);
  standin::Pump();
  EXPECT_FALSE(w.Popup()->Visible());
  ASSERT_EQ(w.parent.commands.size(), 2u);
  EXPECT_EQ(w.parent.commands[1].m_Command * 1000 + w.parent.commands[1].m_Value, 209003u);
  EXPECT_EQ(w.menu->GetSelectedNum(), 0);
  EXPECT_STREQ(w.menu->GetControlText(), "Auto");
}

TEST_F(Menus, TheMarkerSitsAtTheRightOrWithMarkFirstAtTheLeft)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect right(10, 10, 110, 35), left(10, 50, 110, 75);
  QVMenu atRight(&parent, right, &TestResources(), 1, kMarker, 100);
  QVMenu atLeft(&parent, left, &TestResources(), 2, kMarker, 100);
  atLeft.SetMarkFirst();
  standin::Pump();
  // 9 x 6, 3 pixels above the bottom: rows 16..21; columns 100 - 9 - 4 = 87
  // .. 95, or 2..10.
  EXPECT_EQ(standin::ReadPixel(atRight.GetWnd(), 87, 16), kMarkerColour);
  EXPECT_EQ(standin::ReadPixel(atRight.GetWnd(), 95, 21), kMarkerColour);
  EXPECT_EQ(standin::ReadPixel(atRight.GetWnd(), 96, 21), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(atRight.GetWnd(), 87, 22), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(atRight.GetWnd(), 86, 16), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(atLeft.GetWnd(), 2, 16), kMarkerColour);
  EXPECT_EQ(standin::ReadPixel(atLeft.GetWnd(), 10, 21), kMarkerColour);
  EXPECT_EQ(standin::ReadPixel(atLeft.GetWnd(), 1, 16), kClassGrey);
  EXPECT_EQ(standin::ReadPixel(atLeft.GetWnd(), 11, 16), kClassGrey);
}

TEST_F(Menus, RegistryValueNamesBecomeItemsAfterTheOthersSkippingOverlongOnes)
{
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Lumivex\\Test Presets", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  SetValue(key, "Portrait");
  SetValue(key, std::string(300, 'L'));
  SetValue(key, std::string(255, 'M')); // fits the 256-byte buffer exactly
  SetValue(key, std::string(256, 'N'));
  SetValue(key, "Landscape");
  RegCloseKey(key);
  MenuWindow w;
  w.menu->InitFromRegistry("Software\\Lumivex\\Test Presets");
  ASSERT_EQ(w.menu->GetItemCount(), 6);
  EXPECT_STREQ(w.menu->GetItemName(2), "Fine");
  EXPECT_STREQ(w.menu->GetItemName(3), "Portrait");
  EXPECT_EQ(std::string(w.menu->GetItemName(4)), std::string(255, 'M'));
  EXPECT_STREQ(w.menu->GetItemName(5), "Landscape");
  EXPECT_EQ(w.menu->GetItem(5)->GetControlMessage(), 200) << "the menu's own message";
  w.menu->InitFromRegistry("Software\\Lumivex\\No Such Key");
  EXPECT_EQ(w.menu->GetItemCount(), 6);
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Lumivex\\Empty", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  w.menu->InitFromRegistry("Software\\Lumivex\\Empty");
  EXPECT_EQ(w.menu->GetItemCount(), 6);
}

TEST_F(MenuChoosing, PressDragReleaseChoosesNothingAndAClickOnAnItemChoosesIt)
{
  MenuWindow w;
  w.menu->HasSelectedItem(1);
  // Pressed on the button, released on an item: the button holds the
  // pointer, so the release is outside it and nothing is sent.
  Hover(w.menu->GetWnd(), 20, 10);
  standin::Press(w.menu->GetWnd(), 20, 10);
  standin::Pump();
  ASSERT_TRUE(w.Popup()->Visible());
  standin::Move(w.Item(1), 30, 10);
  standin::Release(w.Item(1), 30, 10);
  standin::Pump();
  EXPECT_TRUE(w.parent.commands.empty());
  EXPECT_TRUE(w.Popup()->Visible());
  EXPECT_EQ(w.menu->GetSelectedNum(), -1);
  // Then a click on the item chooses it: the item's message and index reach
  // the menu's parent through the popup.
  w.ClickItem(1);
  ASSERT_EQ(w.parent.commands.size(), 1u);
  EXPECT_EQ(w.parent.commands[0].m_Command * 1000 + w.parent.commands[0].m_Value, 202001u);
  EXPECT_FALSE(w.Popup()->Visible());
  EXPECT_EQ(w.menu->GetSelectedNum(), 1);
  EXPECT_EQ(GetActiveWindow(), w.parent.GetWnd()) << "the main window active again";
  // Dragging off an item before the release chooses nothing (and closes).
  w.ClickButton();
  ASSERT_EQ(w.parent.commands.size(), 2u);
  EXPECT_EQ(w.parent.commands[1].m_Command * 1000 + w.parent.commands[1].m_Value, 200000u)
      << "a click on the button itself: the menu's message with 0";
  Hover(w.Item(2), 30, 10);
  standin::Press(w.Item(2), 30, 10);
  standin::Move(w.Item(2), 30, 60);
  standin::Release(w.Item(2), 30, 60);
  standin::Pump();
  EXPECT_EQ(w.parent.commands.size(), 2u);
  EXPECT_EQ(w.menu->GetSelectedNum(), 1);
  EXPECT_FALSE(w.Popup()->Visible());
}

TEST_F(MenuChoosing, AMenuWithoutItemsDoesNotOpenOnAClickButSetActiveShowsItsEmptyPopup)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  QVRect rect(10, 10, 110, 35);
  QVMenu menu(&parent, rect, &TestResources(), 105, 0, 100);
  standin::Pump();
  Hover(menu.GetWnd(), 20, 10);
  standin::Click(menu.GetWnd(), 20, 10);
  standin::Pump();
  EXPECT_FALSE(menu.GetMenuItemWnd()->Visible());
  ASSERT_EQ(parent.commands.size(), 1u) << "the button still reports, as an Apply menu does";
  EXPECT_EQ(parent.commands[0].m_Command * 1000 + parent.commands[0].m_Value, 105000u);
  // "On shows the popup": the empty one too, which takes the activation.
  menu.SetActive(true);
  standin::Pump();
  EXPECT_TRUE(menu.GetMenuItemWnd()->Visible());
  EXPECT_EQ(GetActiveWindow(), menu.GetMenuItemWnd()->GetWnd());
  EXPECT_EQ(menu.GetMenuItemWnd()->GetWindowRect().Height(), 0) << "no rows: nothing to see";
  menu.SetActive(false);
  EXPECT_FALSE(menu.GetMenuItemWnd()->Visible());
}
