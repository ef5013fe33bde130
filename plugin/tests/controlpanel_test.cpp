// The control panel: where its controls sit, how it turns their
// notifications into the main window's commands, Enhance and Reset, the
// preview layout, its toolbars and closing it.
#include "appshell.h"
#include "lumivexapp.h"
#include "lumivextoolbar.h"
#include "presetcontrols.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvmenuitem.h"
#include "qvcommon/qvslider.h"
#include "windowstest.h"

using namespace wintest;

namespace {

// The main window with its controls and the panel, shown.
class Panel : public Windows {
protected:
  void SetUp() override
  {
    Windows::SetUp();
    window = std::make_unique<TestWindow>();
    window->CreateControls();
    panel = window->m_ControlPanel;
    ASSERT_NE(panel, nullptr);
    panel->ShowWindow(QVWindow::eQVShowNormal);
    standin::Pump();
    client = panel->GetClientRect();
    window->commands.clear();
  }
  void TearDown() override
  {
    window.reset();
    Windows::TearDown();
  }
  // The notification a control sends, as the panel receives it.
  void Notify(int32_t id, LPARAM value = 0)
  {
    QVEvent event(panel, WM_COMMAND, static_cast<WPARAM>(id), value);
    panel->HandleCommand(event);
  }
  // A click on the menu, then one on its item.
  void Choose(QVMenu* menu, int32_t item)
  {
    ClickAt(menu->GetWnd(), 5, 5);
    standin::Pump();
    ClickAt(menu->GetItem(item)->GetWnd(), 10, 10);
    standin::Pump();
  }
  // How many pixels of the slider show its thumb's inside (the thumb is
  // drawn only while the slider is enabled).
  int ThumbPixels(int32_t id)
  {
    QVSlider* slider = panel->GetSlider(id);
    slider->UpdateControl(true);
    const COLORREF inside = id <= 117 ? kAccent : RGB(220, 220, 220);
    return Count(slider->GetWnd(), RECT{0, 0, 225, 25}, inside);
  }

  std::unique_ptr<TestWindow> window;
  ControlPanel* panel = nullptr;
  QVRect client;
};

} // namespace

TEST_F(Panel, ControlsSitWhereTheTableSays)
{
  const HWND p = panel->GetWnd();
  struct Case {
    const char* what;
    HWND control;
    HWND parent;
    RECT rect;
  };
  const int right = client.Right(), bottom = client.Bottom();
  const Case cases[] = {
      {"side bar", panel->GetSideBar()->GetWnd(), p, {0, 0, 30, bottom}},
      {"top bar", panel->GetTopBar()->GetWnd(), p, {30, 0, right, 30}},
      {"preview pane", panel->GetPreviewPane()->GetWnd(), p, {275, 50, right - 50, bottom - 50}},
      {"Enhance", panel->GetEnhanceBox()->GetWnd(), p, {50, 50, 155, 75}},
      {"Sub-Detail", panel->GetSubDetailBox()->GetWnd(), p, {50, 80, 200, 105}},
      {"amount", panel->GetAmountMenu()->GetWnd(), p, {225, 80, 265, 105}},
      {"presets", panel->GetPresetsMenu()->GetWnd(), p, {50, 110, 125, 135}},
      {"Colors", panel->GetSlider(111)->GetWnd(), p, {50, 155, 275, 180}},
      {"Tonal Range", panel->GetSlider(117)->GetWnd(), p, {50, 335, 275, 360}},
      {"Red", panel->GetSlider(118)->GetWnd(), p, {50, 380, 275, 405}},
      {"Blue", panel->GetSlider(120)->GetWnd(), p, {50, 440, 275, 465}},
      {"Despeckle", panel->GetDespeckleBox()->GetWnd(), p, {50, 485, 155, 510}},
      {"Anti-Moire", panel->GetAntiMoireBox()->GetWnd(), p, {50, 515, 155, 540}},
      {"File", panel->GetTopBar()->GetMenu(101)->GetWnd(), panel->GetTopBar()->GetWnd(), {250, 0, 0, 28}},
      {"Help", panel->GetTopBar()->GetMenu(103)->GetWnd(), panel->GetTopBar()->GetWnd(), {290, 0, 0, 28}},
  };
  for (const Case& c : cases) {
    const RECT r = RectIn(c.control, c.parent);
    EXPECT_EQ(r.left, c.rect.left) << c.what;
    EXPECT_EQ(r.top, c.rect.top) << c.what;
    EXPECT_EQ(r.bottom, c.rect.bottom) << c.what;
    if (c.rect.right) { // the menus take their title's width
      EXPECT_EQ(r.right, c.rect.right) << c.what;
    }
  }
  // The sliders' starting values: the main window's Colors, Contrast and
  // Sharpen, then the fixed ones.
  const int32_t values[] = {7, 0, 7, 6, 20, 0, 6, 0, 0, 0};
  for (int32_t id = 111; id <= 120; ++id)
    EXPECT_EQ(panel->GetSlider(id)->GetValue(), values[id - 111]) << id;
  EXPECT_TRUE(panel->GetSlider(115)->IsLeftOff());
  EXPECT_EQ(panel->GetSlider(113)->GetOffValue(), 7);
  EXPECT_FALSE(panel->GetSlider(119)->IsLeftOff());
  EXPECT_TRUE(panel->GetEnhanceBox()->ButtonOn());
  EXPECT_FALSE(panel->GetSubDetailBox()->ButtonOn());
  // The amount menu shows "2" of "1".."6"; the presets menu its three items.
  QVMenu* amount = panel->GetAmountMenu();
  EXPECT_STREQ(amount->GetControlText(), "2");
  EXPECT_EQ(amount->GetSelectedNum(), 1);
  ASSERT_EQ(amount->GetItemCount(), 6);
  EXPECT_STREQ(amount->GetItemName(5), "6");
  EXPECT_EQ(amount->GetItem(3)->GetControlMessage(), 25);
  QVMenu* presets = panel->GetPresetsMenu();
  ASSERT_EQ(presets->GetItemCount(), 3);
  EXPECT_STREQ(presets->GetItemName(2), "Edit Preset");
  // The bar's menus: titles and items.
  LumivexToolbar* bar = panel->GetTopBar();
  EXPECT_STREQ(bar->GetMenu(101)->GetControlText(), "File");
  EXPECT_STREQ(bar->GetMenu(104)->GetControlText(), "Cancel");
  EXPECT_STREQ(bar->GetMenu(105)->GetControlText(), "Apply");
  EXPECT_EQ(bar->GetMenu(104)->GetItemCount() + bar->GetMenu(105)->GetItemCount(), 0);
  ASSERT_EQ(bar->GetMenu(103)->GetItemCount(), 4);
  EXPECT_STREQ(bar->GetMenu(103)->GetItemName(1), "Online FAQ");
  EXPECT_EQ(bar->GetMenu(103)->GetItem(3)->GetControlMessage(), 16103);
  EXPECT_EQ(bar->GetMenu(101)->GetItem(1)->GetControlMessage(), 126);
}

TEST_F(Panel, NotificationsBecomeTheMainWindowsCommands)
{
  panel->GetAmountMenu()->SetSelectedNum(3); // "4"
  panel->GetDespeckleBox()->SetCheck(1);
  struct Case {
    int32_t id;
    LPARAM value;
    std::vector<Command> sent;
  };
  const Case cases[] = {
      {22, 0, {{109, 1, 0}}}, // amount item "1": its index + 1
      {27, 5, {{109, 6, 0}}},
      {104, 0, {{16041, 0, 0}}},
      {126, 1, {{16041, 1, 0}}},
      {105, 0, {{16040, 0, 0}}},
      {111, 9, {{111, 9, 0}}},
      {114, 20, {{114, 12, 0}}}, // Sharpen capped at 12
      {114, 5, {{114, 5, 0}}},
      {120, -13, {{120, -13, 0}}},
      // The boxes send their picture; the panel sends their state.
      {121, 169, {{121, 1, 0}}},
      {122, 168, {{122, 0, 0}}},
      {107, 169, {{107, 1, 4}}}, // Sub-Detail (just checked by the amount item) with the amount
      {127, 0, {}},              // the reload: only the layout
      {130, 0, {{130, 0, 0}}},
      {132, 0, {{132, 0, 0}}},
      {164, 0, {{16008, 0, 0}}},
      {165, 0, {{16007, 0, 0}}},
      {16100, 0, {{16100, 0, 0}}},
      {110, 0, {{110, 0, 0}}},
  };
  for (const Case& c : cases) {
    window->commands.clear();
    Notify(c.id, c.value);
    EXPECT_EQ(window->commands, c.sent) << c.id << " " << c.value;
  }
  EXPECT_TRUE(panel->GetSubDetailBox()->ButtonOn()) << "an amount item checks Sub-Detail";
}

TEST_F(Panel, EnhanceOffDisablesOnlyTheEnhancementSliders)
{
  for (int32_t id = 111; id <= 120; ++id)
    ASSERT_GT(ThumbPixels(id), 0) << id;
  ClickAt(panel->GetEnhanceBox()->GetWnd(), 5, 10);
  standin::Pump();
  EXPECT_FALSE(panel->GetEnhanceBox()->ButtonOn());
  for (int32_t id = 111; id <= 120; ++id)
    EXPECT_EQ(ThumbPixels(id) > 0, id >= 118) << id;
  EXPECT_EQ(window->m_EnhanceOn, 0);
  EXPECT_TRUE(window->commands.empty()) << "Enhance is the panel's own";
  panel->EnableEnhance(true);
  for (int32_t id = 111; id <= 117; ++id)
    EXPECT_GT(ThumbPixels(id), 0) << id;
}

TEST_F(Panel, ResetPutsTheControlsBackThenResetsTheSettings)
{
  for (int32_t id = 111; id <= 120; ++id)
    panel->GetSlider(id)->SetValue(3);
  for (QVButton* box : {panel->GetDespeckleBox(), panel->GetAntiMoireBox(), panel->GetSubDetailBox()})
    box->SetCheck(1);
  panel->GetAmountMenu()->SetSelectedNum(4);
  window->m_Settings.contrastLevel = 3;
  window->m_Red = 40;
  window->m_SubDetailOn = 1;
  ClickAt(panel->GetResetButton()->GetWnd(), 5, 5);
  standin::Pump();
  // The defaults copy: colour 7, saturation 0, contrast 7, sharpen 6, noise
  // 20, brightness 0, tonal range 6; the colour shifts 0.
  const int32_t values[] = {7, 0, 7, 6, 20, 0, 6, 0, 0, 0};
  for (int32_t id = 111; id <= 120; ++id)
    EXPECT_EQ(panel->GetSlider(id)->GetValue(), values[id - 111]) << id;
  for (QVButton* box : {panel->GetDespeckleBox(), panel->GetAntiMoireBox(), panel->GetSubDetailBox()})
    EXPECT_FALSE(box->ButtonOn());
  EXPECT_EQ(panel->GetAmountMenu()->GetSelectedNum(), 1);
  EXPECT_STREQ(panel->GetAmountMenu()->GetControlText(), "2");
  ASSERT_EQ(window->commands.size(), 1u);
  EXPECT_EQ(window->commands[0].id, 108);
  EXPECT_EQ(window->m_Settings.contrastLevel, 7);
  EXPECT_EQ(window->m_Red, 0);
  EXPECT_EQ(window->m_SubDetailOn, 0);
}

TEST_F(Panel, LayoutCentresThePaneOnTheAreaAndRedrawsTheShadows)
{
  PreviewPane* pane = panel->GetPreviewPane();
  panel->HideWindow(); // so that invalidated areas wait to be read
  const QVRect area = *panel->GetPreviewArea();
  const int aw = area.Width(), ah = area.Height();
  const RECT before = RectIn(pane->GetWnd(), panel->GetWnd());
  struct Case {
    const char* what;
    int width, height;
    RECT expected;
  };
  const Case cases[] = {
      // Exactly the area's size: nothing moves (and nothing is redrawn).
      {"equal", aw, ah, before},
      {"larger", aw + 300, ah + 1, {275, 50, 275 + aw, 50 + ah}},
      {"smaller",
       200,
       100,
       {275 + (aw - 200) / 2, 50 + (ah - 100) / 2, 275 + (aw - 200) / 2 + 200, 50 + (ah - 100) / 2 + 100}},
      {"wider only", aw + 10, 50, {275, 50 + (ah - 50) / 2, 275 + aw, 50 + (ah - 50) / 2 + 50}},
  };
  for (const Case& c : cases) {
    standin::SetUpdateRect(panel->GetWnd(), nullptr);
    auto image = Image(c.width, c.height);
    pane->SetImage(image.get());
    panel->LayoutPreview();
    const RECT r = RectIn(pane->GetWnd(), panel->GetWnd());
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
              std::vector<LONG>({c.expected.left, c.expected.top, c.expected.right, c.expected.bottom}))
        << c.what;
    const std::vector<RECT> region = standin::UpdateRegion(panel->GetWnd());
    if (std::string(c.what) == "equal") {
      EXPECT_TRUE(region.empty());
      continue;
    }
    // The area grown by 30, to the client's right and bottom edges.
    RECT shadows{275 - 30, 50 - 30, client.Right(), client.Bottom()};
    ASSERT_EQ(region.size(), 1u) << c.what;
    EXPECT_EQ(std::vector<LONG>({region[0].left, region[0].top, region[0].right, region[0].bottom}),
              std::vector<LONG>({shadows.left, shadows.top, shadows.right, shadows.bottom}))
        << c.what;
    pane->SetImage(nullptr);
  }
  // Without an image nothing moves.
  const RECT last = RectIn(pane->GetWnd(), panel->GetWnd());
  panel->LayoutPreview();
  EXPECT_EQ(RectIn(pane->GetWnd(), panel->GetWnd()).left, last.left);
}

TEST_F(Panel, AResizeMovesTheBarsAndTheArea)
{
  auto image = Image(100, 80);
  panel->GetPreviewPane()->SetImage(image.get());
  panel->SetWindowPos(0, 0, 700, 560, 1);
  standin::Pump();
  const QVRect c = panel->GetClientRect();
  ASSERT_LT(c.Width(), client.Width());
  const RECT top = RectIn(panel->GetTopBar()->GetWnd(), panel->GetWnd());
  const RECT side = RectIn(panel->GetSideBar()->GetWnd(), panel->GetWnd());
  EXPECT_EQ(top.right, c.Right());
  EXPECT_EQ(side.bottom, c.Bottom());
  const QVRect area = *panel->GetPreviewArea();
  EXPECT_EQ(area.Right(), c.Right() - 50);
  EXPECT_EQ(area.Bottom(), c.Bottom() - 50);
  const RECT pane = RectIn(panel->GetPreviewPane()->GetWnd(), panel->GetWnd());
  EXPECT_EQ(pane.left, 275 + (area.Width() - 100) / 2);
  EXPECT_EQ(pane.top, 50 + (area.Height() - 80) / 2);
  // The menus kept right follow the bar's right edge (or stop at their
  // least x).
  const RECT apply = RectIn(panel->GetTopBar()->GetMenu(105)->GetWnd(), panel->GetTopBar()->GetWnd());
  EXPECT_EQ(apply.left, std::max<LONG>(380, top.right - top.left - 150));
  panel->GetPreviewPane()->SetImage(nullptr);
}

TEST_F(Panel, MenusOfTheBarsReachTheMainWindow)
{
  // The item-less "Cancel" and "Apply" send their own message at a click.
  LumivexToolbar* bar = panel->GetTopBar();
  ClickAt(bar->GetMenu(104)->GetWnd(), 5, 5);
  standin::Pump();
  ClickAt(bar->GetMenu(105)->GetWnd(), 5, 5);
  standin::Pump();
  // "Help" -> "Help", "File" -> "Exit" (each menu's own release comes
  // first), and a view button on the side bar.
  Choose(bar->GetMenu(103), 0);
  Choose(bar->GetMenu(101), 1);
  ClickAt(panel->GetSideBar()->GetWnd(), 10, 45);
  standin::Pump();
  EXPECT_EQ(window->commands,
            (std::vector<Command>{
                {16041, 0, 0}, {16040, 0, 0}, {103, 0, 0}, {16100, 0, 0}, {101, 0, 0}, {16041, 1, 0}, {16008, 0, 0}}));
}

TEST_F(Panel, ClosingThePanelCancelsTheRun)
{
  StandaloneAppShell shell(standin::MainModule());
  LumivexApp app(&shell);
  standin::CloseBox(panel->GetWnd());
  standin::Pump();
  MSG quit{};
  ASSERT_TRUE(PeekMessageA(&quit, reinterpret_cast<HWND>(intptr_t{-1}), WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 1u);
  EXPECT_FALSE(IsWindow(panel->GetWnd()));
}

TEST_F(Panel, TheTopBarPaintsTheSideBarsShadowAndABarWithoutShadowsOnlyItsFace)
{
  // The side bar's shadow falls along the top bar's left end: its right
  // strip lands at x 0..9 of the top bar.
  const HWND top = panel->GetTopBar()->GetWnd();
  panel->GetTopBar()->InvalWindow(nullptr, 1);
  EXPECT_GT(30 * 10 - Count(top, RECT{0, 0, 10, 30}, kFace), 0);
  EXPECT_EQ(Count(top, RECT{160, 0, 240, 30}, kFace), 80 * 30) << "no shadow further along";
  // A bar with no shadow windows: its face and nothing else.
  const QVRect rect(200, 200, 400, 320);
  QVRect barRect(0, 0, 100, 40);
  QVWindow host(&rect, "Bar", QVWindow::eQVWindowStyleStaticMainCaption, &AppResources(), nullptr, nullptr);
  host.ShowWindow(QVWindow::eQVShowNormal);
  standin::Pump();
  LumivexToolbar bar(barRect, &AppResources(), &host);
  bar.InvalWindow(nullptr, 1); // its first paint came before its picture
  standin::Pump();
  EXPECT_EQ(Count(bar.GetWnd(), RECT{0, 0, 100, 40}, kFace), 100 * 40);
}

TEST_F(Panel, PresetsReachTheControlsAndTheMainWindowsHooks)
{
  auto image = Image(40, 30);
  window->SetImage(image.get(), false);
  PresetRecord record = apptest::DistinctRecord();
  window->m_EnhanceOn = 0;
  panel->ApplyPresetRecord(&record);
  EXPECT_EQ(BuildPresetRecord(panel->Controls()), record);
  // The main window took the record's settings from the controls.
  EXPECT_EQ(window->m_EnhanceOn, 1);
  EXPECT_EQ(window->m_Settings.colorLevel, panel->GetSlider(111)->GetValue());
  EXPECT_EQ(window->m_Red, panel->GetSlider(118)->GetValue());
  EXPECT_EQ(window->m_DespeckleOn, record.despeckle);
  const AdjustParams applied = window->m_Settings;
  panel->ApplyPresetRecord(nullptr);
  EXPECT_EQ(std::memcmp(&applied, &window->m_Settings, sizeof applied), 0);

  // By name: the registry's record; an unknown name changes nothing.
  record.colors = 2;
  record.enhance = 0;
  apptest::PutBytes("Software\\Tarnwell\\Lumivex\\Presets", "Mine", record.Bytes());
  EXPECT_FALSE(panel->ApplyPresetByName("Unknown"));
  EXPECT_EQ(std::memcmp(&applied, &window->m_Settings, sizeof applied), 0);
  EXPECT_TRUE(panel->ApplyPresetByName("Mine"));
  EXPECT_FALSE(panel->GetEnhanceBox()->ButtonOn());
  EXPECT_EQ(panel->GetSlider(111)->GetValue(), 12) << "Enhance off keeps the enhancement sliders";
  EXPECT_EQ(window->m_EnhanceOn, 0);

  // Loading and leaving the manager with Done applies nothing but redraws.
  window->ForgetPreview();
  standin::AddIdleStep([] { ClickAt(GetActiveWindow(), 110 + 5, 240 + 5); });
  Notify(ControlPanel::kLoadPreset);
  EXPECT_TRUE(window->PreviewRan());
  window->ForgetPreview();
  window->SetImage(nullptr, false);
}
