#pragma once
// A stand-in for the control panel: a window holding real controls with
// the panel's ids, ranges and pictures, and the hooks a PresetControls
// needs, which record their calls. The pictures are LumivexPI's, from the
// plug-in's resource list that the test executable carries.
#include "apptest.h"
#include "presetcontrols.h"
#include "presetmanager.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvlist.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvslider.h"
#include "qvcommon/qvwindow.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The plug-in's art: the Preset Manager's flat slate 138, the flat face 160
// of buttons and menus, and the pure yellow that frames a chosen list row.
constexpr COLORREF kButtonColour = RGB(40, 40, 40), kRowFrameColour = RGB(255, 255, 0);

inline QVResourceFile& AppResources()
{
  static QVResourceFile resources(standin::MainModule());
  return resources;
}

// Moves the pointer onto the point twice (whoever held the capture sees the
// first move), then clicks there. Queued only.
inline void ClickAt(HWND window, int x, int y)
{
  standin::Move(window, x, y);
  standin::Move(window, x, y);
  standin::Click(window, x, y);
}

// The name dialog's OK and Cancel buttons, in its client coordinates.
constexpr POINT kNameOK{60, 80}, kNameCancel{100, 80};

// An idle step for the "Save Preset" dialog open when it runs (the active
// window): types the name into its edit field, which has the focus, and
// presses OK, or Cancel.
inline void QueueName(const std::string& name, bool ok = true)
{
  standin::AddIdleStep([name, ok] {
    HWND dialog = GetActiveWindow();
    if (!name.empty())
      standin::Type(name.c_str());
    const POINT button = ok ? kNameOK : kNameCancel;
    ClickAt(dialog, button.x, button.y);
  });
}

// A child window's rectangle in its parent's client coordinates.
inline RECT RectIn(HWND child, HWND parent)
{
  RECT r{};
  GetWindowRect(child, &r);
  POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
  ScreenToClient(parent, &corners[0]);
  ScreenToClient(parent, &corners[1]);
  return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

// build/snapshots/FOLDER/NAME, its folder made and any older file removed.
inline std::string SnapshotPath(const char* name, const char* folderName = "plugin")
{
  const std::string folder = lvxtest::BuildDir() + "/snapshots/" + folderName;
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/" + name;
  std::filesystem::remove(path);
  return path;
}

// How many pixels of the title's white ink lie in the caption band of a
// captioned window, left of x = 150 (window coordinates).
inline int TitleInk(HWND window)
{
  const standin::PixelView view = standin::ViewPixels(standin::SurfaceTarget::Whole(window));
  RECT frame{};
  GetWindowRect(window, &frame);
  POINT client{0, 0};
  ClientToScreen(window, &client);
  int ink = 0;
  for (int y = 0; y < client.y - frame.top; ++y)
    for (int x = 0; x < 150; ++x)
      ink += view.At(x, y) == RGB(255, 255, 255);
  return ink;
}

// The Preset Manager's layout in its client area: the list at (3, 3), its
// row window inside a 2-pixel client edge, row i at (43, 20 i + 2) there
// (before any scrolling); the buttons 80 x 22 at (10 + 100 slot, 240).
inline POINT ManagerRowCorner(int row) { return POINT{3 + 2 + 43, 3 + 2 + 20 * row + 2}; }
inline void ClickManagerRow(HWND manager, int row)
{
  const POINT corner = ManagerRowCorner(row);
  ClickAt(manager, corner.x + 20, corner.y + 10);
}
inline void ClickManagerButton(HWND manager, int slot) { ClickAt(manager, 10 + 100 * slot + 40, 240 + 11); }

// The Preset Manager's buttons by slot, left to right: in manage mode, and
// in apply mode.
enum { kRenameSlot = 0, kRemoveSlot = 1, kImportSlot = 2, kExportSlot = 3, kDoneSlot = 4 };
enum { kApplySlot = 0, kApplyDoneSlot = 1 };

// Idle steps for the dialog open when they run (the active window).
inline void QueueStep(std::function<void()> step) { standin::AddIdleStep(std::move(step)); }
inline void QueueRowClick(int row)
{
  QueueStep([row] { ClickManagerRow(GetActiveWindow(), row); });
}
inline void QueueButtonClick(int slot)
{
  QueueStep([slot] { ClickManagerButton(GetActiveWindow(), slot); });
}

// The manager's rows, top to bottom.
inline std::vector<std::string> ManagerRows(PresetManager& manager)
{
  std::vector<std::string> rows;
  for (int i = 0; i < manager.List()->GetNumItems(); ++i)
    rows.push_back(manager.List()->GetItemName(i));
  return rows;
}

// The rows of the manager that is open when the step runs (the active
// window, whose object the framework keeps with it); none without one.
inline std::vector<std::string> OpenManagerRows()
{
  auto* window = reinterpret_cast<QVWindow*>(GetWindowLongA(GetActiveWindow(), GWL_USERDATA));
  auto* manager = dynamic_cast<PresetManager*>(window);
  return manager ? ManagerRows(*manager) : std::vector<std::string>{};
}

class TestPanel {
public:
  struct SliderSpec {
    int32_t id, top, inset, thumb, minimum, maximum, step, value;
  };
  // Sliders 111-120 as the panel makes them, with the main window's
  // initial settings.
  static constexpr SliderSpec kSliders[PresetControls::kSliderCount] = {
      {111, 155, 105, 171, 1, 13, 1, 7}, {112, 185, 105, 171, -100, 100, 1, 0}, {113, 215, 105, 171, 1, 13, 1, 7},
      {114, 245, 105, 171, 1, 11, 1, 6}, {115, 275, 105, 171, 0, 40, 5, 20},    {116, 305, 105, 171, -25, 25, 1, 0},
      {117, 335, 105, 171, 0, 12, 1, 6}, {118, 380, 80, 172, -40, 40, 1, 0},    {119, 410, 80, 172, -40, 40, 1, 0},
      {120, 440, 80, 172, -40, 40, 1, 0}};

  TestPanel()
      : window(&PanelRect(), "Lumivex", QVWindow::eQVWindowStyleStaticMainCaption, &AppResources(), nullptr, nullptr)
  {
    enhance.reset(CheckBox(106, QVRect(50, 50, 155, 75)));
    subDetail.reset(CheckBox(107, QVRect(50, 80, 200, 105)));
    despeckle.reset(CheckBox(121, QVRect(50, 485, 155, 510)));
    antiMoire.reset(CheckBox(122, QVRect(50, 515, 155, 540)));
    enhance->SetCheck(1);
    for (int i = 0; i < PresetControls::kSliderCount; ++i) {
      const SliderSpec& s = kSliders[i];
      QVRect rect(50, s.top, 275, s.top + 25);
      sliders[i].reset(QVSlider::CreateHorzSlider(&window, rect, &AppResources(), s.id, s.inset, 173, s.thumb,
                                                  &AppResources(), s.minimum, s.maximum, s.step, s.value));
      sliders[i]->SetCenterPoint(true);
      sliders[i]->SetLeftOff(i < PresetControls::kEnhancementSliders);
    }
    QVRect amountRect(225, 80, 265, 105);
    amount = std::make_unique<QVMenu>(&window, amountRect, &AppResources(), 0, 170, 25);
    amount->SetMarkFirst();
    amount->SetDropdownList();
    for (int item = 1; item <= 6; ++item) {
      const char text[2] = {static_cast<char>('0' + item), '\0'};
      amount->AddMenuItem(21 + item, text, false);
    }
    amount->SetSelectedNum(1);
    window.ShowWindow(QVWindow::eQVShowNormal);
    standin::Pump();
  }

  PresetControls Controls()
  {
    PresetControls c;
    c.owner = &window;
    c.resources = &AppResources();
    c.enhance = enhance.get();
    c.subDetail = subDetail.get();
    c.despeckle = despeckle.get();
    c.antiMoire = antiMoire.get();
    for (int i = 0; i < PresetControls::kSliderCount; ++i)
      c.sliders[i] = sliders[i].get();
    c.subDetailAmount = amount.get();
    c.enableEnhance = [this](bool on) {
      enableCalls.push_back(on);
      for (int i = 0; i < PresetControls::kEnhancementSliders; ++i)
        sliders[i]->Enable(on);
    };
    c.settingsFromControls = [this] { ++settingsCalls; };
    c.refreshPreview = [this] { ++refreshCalls; };
    return c;
  }

  // The record the controls show now.
  PresetRecord Shown() { return BuildPresetRecord(Controls()); }

  static const QVRect& PanelRect()
  {
    static const QVRect rect(0, 0, 800, 600);
    return rect;
  }

  QVWindow window;
  std::unique_ptr<QVButton> enhance, subDetail, despeckle, antiMoire;
  std::unique_ptr<QVSlider> sliders[PresetControls::kSliderCount];
  std::unique_ptr<QVMenu> amount;
  std::vector<bool> enableCalls;
  int settingsCalls = 0;
  int refreshCalls = 0;

private:
  QVButton* CheckBox(int32_t id, QVRect rect)
  {
    QVButton* box = QVButton::CreateCheckBoxButton(&window, rect, id, &AppResources(), 169, 168, 0);
    box->SetCheck(0);
    return box;
  }
};
