// The toolbar: menus by id, menu-bar switching, right-anchored menus on
// resize, the 20-menu limit, commands to ProcessMenuEvent, and deletion.
#include "controlstest.h"

#include "qvcommon/qvmenu.h"
#include "qvcommon/qvmenuitem.h"
#include "qvcommon/qvmenuwnd.h"

#include <algorithm>
#include <memory>
#include <string>

using Toolbars = WindowLayer;

namespace {

// A main window with a bar of three menus (File 1, Edit 2, View 3), each
// with two items (messages 10 m + 1 and 10 m + 2).
struct BarWindow {
  BarWindow() : parent(QVRect(50, 50, 550, 350), QVWindow::eQVWindowStyleStaticMainCaption)
  {
    standin::Pump();
    bar = std::make_unique<LoggingToolbar>(&parent, QVRect(0, 0, 480, 30));
    const char* titles[] = {"File", "Edit", "View"};
    for (int m = 1; m <= 3; ++m) {
      QVRect rect(10 + 70 * (m - 1), 2, 70, 27);
      EXPECT_NE(bar->AddMenu(rect, m, titles[m - 1], 0, 0, 0), nullptr);
      bar->AddMenuItem(m, 10 * m + 1, "First");
      bar->AddMenuItem(m, 10 * m + 2, "Second");
    }
    standin::Pump();
  }
  QVMenu* Menu(int m) { return bar->GetMenu(m); }
  bool Open(int m) { return Menu(m)->GetMenuItemWnd()->Visible(); }
  int OpenMenus() { return Open(1) * 100 + Open(2) * 10 + Open(3); }
  void Enter(int m)
  {
    Hover(Menu(m)->GetWnd(), 8, 8);
    standin::Pump();
  }
  void ClickMenu(int m)
  {
    Enter(m);
    standin::Click(Menu(m)->GetWnd(), 8, 8);
    standin::Pump();
  }
  void ClickItem(int m, int i)
  {
    const HWND item = Menu(m)->GetItem(i)->GetWnd();
    Hover(item, 20, 10);
    standin::Click(item, 20, 10);
    standin::Pump();
  }

  Probe parent;
  std::unique_ptr<LoggingToolbar> bar;
};

} // namespace

TEST_F(Toolbars, MenusAreFoundByIdAndUnknownIdsDoNothing)
{
  BarWindow w;
  EXPECT_STREQ(w.Menu(2)->GetControlText(), "Edit");
  // Titles fit the GUI default font: text width + 5 + 5.
  EXPECT_EQ(w.bar->GetMenuWidth(1), TextSize("File").cx + 10);
  w.bar->SetMenuText(1, kPresetsString);
  EXPECT_STREQ(w.Menu(1)->GetControlText(), "Presets");
  EXPECT_EQ(w.bar->GetMenuWidth(1), TextSize("Presets").cx + 10);
  EXPECT_EQ(w.bar->GetMenu(99), nullptr);
  EXPECT_EQ(w.bar->GetMenuWidth(99), 0);
  const std::string before = standin::DumpWindowTree();
  w.bar->SetMenuText(99, "Nothing");
  w.bar->AddMenuItem(99, 1, "Nothing");
  w.bar->AddMenuItem(99, 1, kCoarseString);
  w.bar->SetVarMenuRightPos(99, 10);
  w.bar->SetMenuMinX(99, 10);
  EXPECT_EQ(standin::DumpWindowTree(), before);
  w.bar->AddMenuItem(3, 33, kCoarseString);
  EXPECT_STREQ(w.Menu(3)->GetItemName(2), "Coarse");
}

TEST_F(Toolbars, OnceAMenuIsOpenHoveringSwitchesUntilAnItemIsChosen)
{
  BarWindow w;
  w.Enter(2);
  EXPECT_EQ(w.OpenMenus(), 0) << "hovering alone opens nothing";
  w.ClickMenu(1);
  EXPECT_EQ(w.OpenMenus(), 100);
  EXPECT_TRUE(w.bar->IsMenuOpen());
  w.Enter(2);
  EXPECT_EQ(w.OpenMenus(), 10) << "the clicked popup lost the activation";
  EXPECT_EQ(w.bar->GetActiveMenu(), w.Menu(2));
  w.Enter(3);
  EXPECT_EQ(w.OpenMenus(), 1);
  ASSERT_TRUE(standin::SnapshotPng(standin::SurfaceTarget::Screen(), SnapshotPath("toolbar.png").c_str()));
  w.ClickItem(3, 1);
  EXPECT_EQ(w.OpenMenus(), 0);
  EXPECT_FALSE(w.bar->IsMenuOpen());
  w.Enter(1);
  EXPECT_EQ(w.OpenMenus(), 0);
  // A popup dismissed by a click elsewhere leaves the bar open: the next
  // menu entered opens.
  w.ClickMenu(1);
  standin::Click(w.parent.GetWnd(), 300, 200);
  standin::Pump();
  EXPECT_EQ(w.OpenMenus(), 0);
  EXPECT_TRUE(w.bar->IsMenuOpen());
  w.Enter(2);
  EXPECT_EQ(w.OpenMenus(), 10);
  // Every command went to ProcessMenuEvent: the clicks on the menu buttons
  // with 0, the item with its index.
  const std::vector<int64_t> expected = {1000, 32001, 1000};
  EXPECT_EQ(w.bar->log, expected);
  EXPECT_TRUE(w.parent.commands.empty());
}

TEST_F(Toolbars, MovingOntoAMenuWithoutItemsClosesTheOpenPopup)
{
  // A Help menu with items beside an Apply menu without any, as in the
  // control panel's top bar.
  BarWindow w;
  QVRect rect(230, 2, 70, 27);
  QVMenu* apply = w.bar->AddMenu(rect, 4, "Apply", 0, 0, 0);
  ASSERT_NE(apply, nullptr);
  standin::Pump();
  w.ClickMenu(3);
  EXPECT_EQ(w.OpenMenus(), 1);
  Hover(apply->GetWnd(), 8, 8);
  standin::Pump();
  EXPECT_EQ(w.OpenMenus(), 0) << "the open popup lost the activation to Apply's empty one";
  EXPECT_EQ(w.bar->GetActiveMenu(), apply);
  EXPECT_TRUE(w.bar->IsMenuOpen());
  w.Enter(3);
  EXPECT_EQ(w.OpenMenus(), 1) << "and back onto the menu with items, it opens again";
}

TEST_F(Toolbars, RightAnchoredMenusFollowTheRightEdgeDownToTheirMinimumX)
{
  BarWindow w;
  w.bar->SetVarMenuRightPos(3, 80);
  w.bar->SetMenuMinX(3, 200);
  const int width = w.Menu(3)->Width();
  w.bar->SetWindowPos(0, 0, 500, 30, 1);
  EXPECT_EQ(w.Menu(3)->Left(), 420);
  EXPECT_EQ(w.Menu(3)->GetWindowRect().Left() - w.bar->GetWindowRect().Left(), 420);
  EXPECT_EQ(w.Menu(3)->Top(), 0);
  EXPECT_EQ(w.Menu(3)->Width(), width);
  // 320 - 80 = 240 is still right of 200; 270 - 80 = 190 is not.
  w.bar->SetWindowPos(0, 0, 320, 30, 1);
  EXPECT_EQ(w.Menu(3)->Left(), 240);
  w.bar->SetWindowPos(0, 0, 270, 30, 1);
  EXPECT_EQ(w.Menu(3)->Left(), 240);
  EXPECT_EQ(w.Menu(1)->Left() * 1000 + w.Menu(2)->Left(), 10080) << "the others never move";
}

TEST_F(Toolbars, TheTwentyFirstMenuIsRefusedAndDeletionLeavesNoWindow)
{
  Probe parent(QVRect(0, 0, 600, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  const std::string parentOnly = standin::DumpWindowTree();
  auto bar = std::make_unique<LoggingToolbar>(&parent, QVRect(0, 0, 600, 30));
  for (int m = 1; m <= QVToolbar::kMaxMenus; ++m) {
    QVRect rect(0, 0, 20, 25);
    ASSERT_NE(bar->AddMenu(rect, m, kResetString, 0, 1, 0), nullptr) << m;
    bar->AddMenuItem(m, 100 + m, "Item");
  }
  EXPECT_EQ(bar->GetMenu(20)->GetSelectedNum(), 0);
  EXPECT_EQ(bar->GetMenu(20)->GetItem(0)->IsSelected(), 1) << "marking on, index 0 given";
  const std::string full = standin::DumpWindowTree();
  QVRect rect(0, 0, 20, 25);
  EXPECT_EQ(bar->AddMenu(rect, 21, "More", 0, 0, 0), nullptr);
  EXPECT_EQ(bar->AddMenu(rect, 21, kResetString, 0, 0, 0), nullptr);
  EXPECT_EQ(standin::DumpWindowTree(), full) << "nothing was created";
  EXPECT_EQ(bar->GetMenu(21), nullptr);
  // The bar, its menus, their popups and items: 1 + 20 x (1 + 1 + 1) windows.
  EXPECT_EQ(std::count(full.begin(), full.end(), '\n'), 1 + 1 + 60);
  bar.reset();
  EXPECT_EQ(standin::DumpWindowTree(), parentOnly);
}

TEST_F(Toolbars, ANewToolbarIsEmptyAndErasesWithTheControlGrey)
{
  Probe parent(QVRect(0, 0, 300, 200), QVWindow::eQVWindowStyleStaticMainCaption);
  std::unique_ptr<QVToolbar> bar(QVToolbar::CreateNewToolbar(&parent, &TestResources()));
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->GetWindowRect().Width() * 1000 + bar->GetWindowRect().Height(), 0);
  bar->SetWindowPos(0, 0, 200, 30, 1);
  standin::Pump();
  EXPECT_EQ(standin::ReadPixel(bar->GetWnd(), 100, 15), kClassGrey) << "the class brush, not colour 192";
  EXPECT_FALSE(bar->IsMenuOpen());
  bar->ActivateMenu(nullptr); // closed: nothing happens
  EXPECT_EQ(bar->GetActiveMenu(), nullptr);
}
