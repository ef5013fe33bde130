#pragma once
// The large window in which the user sets up a custom correction: a side
// bar with the two view buttons, a top bar with the logo and the "File",
// "Help", "Cancel" and "Apply" menus, the check boxes, the Sub-Detail
// amount and presets menus, Reset, ten sliders and the preview pane, with
// drop shadows under its bars and the pane. It keeps no settings: every
// change becomes an event handed straight to the main window's
// HandleCommand, which stores it and runs the preview again.
//
// A control that could not be made stays null and is skipped wherever it
// would be used.
#include "lumivex.h"
#include "mainwindowlink.h"
#include "qvcommon/qvevent.h"
#include "qvcommon/qvwindow.h"

class LumivexToolbar;
class PreviewPane;
class QVButton;
class QVMenu;
class QVPicture;
class QVPictureDisplay;
class QVQuickDrop;
class QVSlider;
struct PresetControls;
struct PresetRecord;

// The extra value an event built by the panel carries (command 107: the
// Sub-Detail amount). It travels in the key-data field, which means
// nothing for a command.
inline void SetEventExtra(QVEvent& event, int32_t extra) { event.m_KeyData = static_cast<uint32_t>(extra); }
inline int32_t EventExtra(const QVEvent& event) { return static_cast<int32_t>(event.m_KeyData); }

class ControlPanel : public QVWindow {
public:
  enum eCommand : int32_t {
    kFirstAmountItem = 22, // "1" .. "6" are 22 .. 27
    kLastAmountItem = 27,
    kSavePreset = 29,
    kLoadPreset = 30,
    kEditPreset = 31,
    kFileMenu = 101,
    kHelpMenu = 103,
    kCancelMenu = 104,
    kApplyMenu = 105, // also the "File" menu's "Save"
    kEnhance = 106,
    kSubDetail = 107,
    kReset = 108,
    kPresetsMenu = 110,
    kFirstSlider = 111, // 111 .. 120 in the order of the sliders
    kSharpenSlider = 114,
    kLastSlider = 120,
    kDespeckle = 121,
    kAntiMoire = 122,
    kExitItem = 126,
    kReloadImage = 127,
    kFittedViewButton = 164,
    kFullSizeViewButton = 165,
  };
  enum { kSliderCount = 10, kEnhancementSliders = 7 };
  // The preview area's margins: its left and top edges, and its distance
  // from the client's right and bottom edges.
  enum { kAreaLeft = 275, kAreaTop = 50, kAreaMargin = 50 };

  // A hidden window of window type 1 "Lumivex" on the rectangle, with
  // picture 160 as its background, corner picture 162, the shadow source
  // (the current drop-shadow image from now on) and an empty preview area.
  ControlPanel(QVRect* rect, QVResourceFile* resources, QVWindow* parent, MainWindowLink* main);
  // Deletes the pane, the bars, the preview area, the corner picture, the
  // logo, every control and the shadow source, each when there is one.
  ~ControlPanel() override;
  // The background over the paint rectangle, the shadows of the windows
  // registered with the panel (up to the first empty slot) that are visible
  // and near the paint rectangle, then the corner picture at (30, 30). True.
  bool HandlePaint(QVEvent& event) override;
  // Turns the notification into the main window's command (see
  // controlpanel_commands.cpp). True.
  bool HandleCommand(QVEvent& event) override;
  // Once built: the two bars follow the client area, then LayoutPreview.
  // True.
  bool HandleSizeEvent(QVEvent& event) override;
  // The panel was closed: the main window's HandleDestroyEvent (which
  // cancels the run). True.
  bool HandleDestroyEvent(QVEvent& event) override;

  // ---- Non-virtual ----
  // Builds every control from the main window's settings and defaults;
  // called once, right after construction.
  void CreateControls(AdjustParams settings, PanelDefaults defaults);
  PreviewPane* GetPreviewPane() const { return m_PreviewPane; }
  QVRect* GetPreviewArea() const { return m_PreviewArea; }
  // With a pane that shows an image: the pane takes the image's size (at
  // most the area's), centred in the preview area, and the shadows around
  // it are redrawn. An image exactly the area's size leaves it where it is.
  void LayoutPreview();
  // The preview area := (275, 50, client right - 50, client bottom - 50).
  void UpdatePreviewArea();
  // Enables or disables sliders 111-117, then the main window's SetEnhance.
  void EnableEnhance(bool on);
  // Sliders 111-117 to the defaults, 118-120 to 0, the Despeckle,
  // Anti-Moire and Sub-Detail boxes off, the amount "2".
  void ResetControls();

  // ---- Presets (controlpanel_presets.cpp) ----
  // Saves the controls' settings as a new preset whose name the user types.
  // True when it was written.
  bool SavePreset();
  // The Preset Manager in apply mode; the preset chosen is applied, and
  // the preview is redrawn either way.
  void LoadPreset();
  // The Preset Manager in manage mode.
  void ManagePresets();
  // Applies the stored preset of that name (an unstored "Default" is the
  // built-in one). True only when a record was read and applied; an unknown
  // name leaves the controls as they are.
  bool ApplyPresetByName(const char* name);
  // Applies the record to the controls (null: nothing).
  void ApplyPresetRecord(const PresetRecord* record);
  // What the presets read from and set on the panel.
  PresetControls Controls();

  // The controls by id (null for another id or one not made).
  QVSlider* GetSlider(int32_t id) const;
  QVButton* GetEnhanceBox() const { return m_Enhance; }
  QVButton* GetSubDetailBox() const { return m_SubDetail; }
  QVButton* GetDespeckleBox() const { return m_Despeckle; }
  QVButton* GetAntiMoireBox() const { return m_AntiMoire; }
  QVMenu* GetAmountMenu() const { return m_AmountMenu; }
  QVMenu* GetPresetsMenu() const { return m_PresetsMenu; }
  QVButton* GetResetButton() const { return m_ResetButton; }
  LumivexToolbar* GetTopBar() const { return m_TopBar; }
  LumivexToolbar* GetSideBar() const { return m_SideBar; }

private:
  // Hands the event to the main window's HandleCommand.
  void ToMain(QVEvent& event);
  void CreateBars(const QVRect& client);
  void CreateChecksAndMenus();
  void CreateSliders(const AdjustParams& settings);
  QVButton* CreateCheckBox(const QVRect& rect, int32_t id, int32_t stringId, int32_t extra);

protected:
  AdjustParams m_SettingsCopy{};
  PanelDefaults m_DefaultsCopy;
  MainWindowLink* m_MainWindow = nullptr;
  LumivexToolbar* m_TopBar = nullptr;
  LumivexToolbar* m_SideBar = nullptr;
  PreviewPane* m_PreviewPane = nullptr;
  QVQuickDrop* m_ShadowSource = nullptr;
  QVRect* m_PreviewArea = nullptr;
  QVPicture* m_CornerPicture = nullptr;
  QVPictureDisplay* m_Logo = nullptr;
  QVButton* m_FullSizeButton = nullptr;
  QVButton* m_FittedButton = nullptr;
  QVButton* m_Enhance = nullptr;
  QVButton* m_SubDetail = nullptr;
  QVMenu* m_AmountMenu = nullptr;
  QVMenu* m_PresetsMenu = nullptr;
  QVButton* m_ResetButton = nullptr;
  QVSlider* m_Sliders[kSliderCount] = {};
  QVButton* m_Despeckle = nullptr;
  QVButton* m_AntiMoire = nullptr;
};
