// A whole panel of controls driven only by injected input: a menu bar with
// a right-anchored menu, a framework check box, a toggle button, a slider
// and a dropdown menu filled from the registry.
#include "controlstest.h"

#include "qvcommon/qvbutton.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvmenuitem.h"
#include "qvcommon/qvmenuwnd.h"
#include "qvcommon/qvslider.h"
#include "win32/registry.h"

#include <memory>
#include <vector>

using ControlsScenario = WindowLayer;

namespace {

std::vector<int64_t> Commands(const Probe& probe)
{
  std::vector<int64_t> out;
  for (const QVEvent& e : probe.commands)
    out.push_back(int64_t(e.m_Command) * 1000 + e.m_Value);
  return out;
}

} // namespace

TEST_F(ControlsScenario, APanelOfControlsRunsHeadlessOnInjectedInput)
{
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Lumivex\\Scenario Presets", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  for (const char* name : {"Auto", "Coarse", "Fine"})
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
  RegCloseKey(key);

  Probe main(QVRect(100, 80, 700, 480), QVWindow::eQVWindowStyleStaticMainCaption);
  standin::Pump();
  LoggingToolbar bar(&main, QVRect(0, 0, 560, 30));
  const char* titles[] = {"File", "View", "Help"};
  for (int m = 1; m <= 3; ++m) {
    QVRect rect(10 + 80 * (m - 1), 2, 60, 27);
    ASSERT_NE(bar.AddMenu(rect, m, titles[m - 1], 0, m == 2, 0), nullptr);
  }
  bar.AddMenuItem(1, 11, "Open");
  bar.AddMenuItem(1, 12, "Save");
  bar.AddMenuItem(2, 21, "Fit");
  bar.AddMenuItem(2, 22, "Actual");
  bar.AddMenuItem(3, 31, "About");
  bar.SetVarMenuRightPos(3, 60);
  bar.SetMenuMinX(3, 300);
  QVRect boxRect(20, 50, 125, 75), toggleRect(20, 90, 44, 114), sliderRect(20, 130, 128, 160),
      dropRect(200, 50, 320, 75);
  std::unique_ptr<QVButton> box(QVButton::CreateCheckBoxButton(&main, boxRect, 121, nullptr, 0, 0, 0));
  box->SetControlText("Despeckle", 0, 0);
  box->SetTextOffset(20);
  box->SetTextAlignment(0);
  box->SetCheck(0);
  QVButton toggle(&main, toggleRect, &TestResources(), 130);
  toggle.SetControlBitmap(kToggleA, 0, 0, 0);
  toggle.SetButtonAlternatePicture(kToggleB);
  // 108 wide, inset 0: range 80 over 0..80.
  std::unique_ptr<QVSlider> slider(
      QVSlider::CreateHorzSlider(&main, sliderRect, &TestResources(), 111, 0, kTrack, kThumb, nullptr, 0, 80, 1, 40));
  QVMenu presets(&main, dropRect, &TestResources(), 140, 0, 150);
  presets.SetDropdownList();
  presets.HasSelectedItem(1);
  presets.InitFromRegistry("Software\\Lumivex\\Scenario Presets");
  presets.SetSelectedItem("Auto");
  standin::Pump();
  ASSERT_EQ(presets.GetItemCount(), 3);
  EXPECT_STREQ(presets.GetControlText(), "Auto");

  // The check box, the toggle button and the slider.
  HoverClick(box->GetWnd(), 7, 12);
  EXPECT_TRUE(box->ButtonOn());
  Hover(toggle.GetWnd(), 5, 5);
  standin::Press(toggle.GetWnd(), 5, 5);
  standin::Release(toggle.GetWnd(), 5, 5);
  Hover(slider->GetWnd(), 10, 12);
  standin::Press(slider->GetWnd(), 10, 12);
  standin::Move(slider->GetWnd(), 30, 12);
  standin::Move(slider->GetWnd(), 50, 40);
  standin::Release(slider->GetWnd(), 50, 40);
  standin::Pump();
  EXPECT_EQ(slider->GetValue(), 50);

  // The bar: File opened by a click, View by hovering, an item chosen.
  HoverClick(bar.GetMenu(1)->GetWnd(), 8, 8);
  EXPECT_TRUE(bar.GetMenu(1)->GetMenuItemWnd()->Visible());
  Hover(bar.GetMenu(2)->GetWnd(), 8, 8);
  standin::Pump();
  EXPECT_FALSE(bar.GetMenu(1)->GetMenuItemWnd()->Visible());
  ASSERT_TRUE(bar.GetMenu(2)->GetMenuItemWnd()->Visible());
  HoverClick(bar.GetMenu(2)->GetItem(1)->GetWnd(), 20, 10);
  EXPECT_EQ(bar.GetMenu(2)->GetSelectedNum(), 1);
  EXPECT_FALSE(bar.IsMenuOpen());

  // The dropdown: opened, a preset chosen, its name on the button.
  HoverClick(presets.GetWnd(), 20, 10);
  ASSERT_TRUE(presets.GetMenuItemWnd()->Visible());
  HoverClick(presets.GetItem(2)->GetWnd(), 20, 10);
  EXPECT_STREQ(presets.GetControlText(), "Fine");
  EXPECT_FALSE(presets.GetMenuItemWnd()->Visible());

  // The bar widened: Help keeps 60 pixels from the right edge.
  const int32_t helpBefore = bar.GetMenu(3)->Left();
  bar.SetWindowPos(0, 0, 600, 30, 1);
  standin::Pump();
  EXPECT_EQ(helpBefore, 170);
  EXPECT_EQ(bar.GetMenu(3)->Left(), 540);

  // Check box: the id of the picture now shown (206, checked) with extra 0;
  // toggle 0; slider 50; the dropdown's button 0, then its item's index.
  const std::vector<int64_t> mainExpected = {121206, 130000, 111050, 140000, 140002};
  EXPECT_EQ(Commands(main), mainExpected);
  // The bar's own: File's button (1, 0), then View's item 22 at index 1.
  const std::vector<int64_t> barExpected = {1000, 22001};
  EXPECT_EQ(bar.log, barExpected);
}
