#pragma once
// The application's main window and command centre. In the interactive run
// it starts as a small window of 347 x 290 client pixels: a hint pane, the
// title strip, a custom and an automatic roll-over button and the preset
// drop-down. It owns the control panel (with the preview pane) that the
// custom button leads to, holds the correction settings the controls edit
// and receives every command of the application: the panel hands its
// control notifications straight to HandleCommand, and as the framework's
// key window it sees every key message of every framework window.
//
// Child objects are made with allocations that may fail: a missing child
// skips whatever would use it. The current image belongs to the host bridge
// and is never deleted here.
//
// The correction run, the scripting parameters, the finishing roads and the
// view modes are members of this class kept in files of their own
// (lumivexwindow_correction.cpp, lumivexwindow_scripting.cpp,
// lumivexwindow_roads.cpp, lumivexwindow_views.cpp).
#include "infowindow.h"
#include "lumivex.h"
#include "mainwindowlink.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvwindow.h"

class AppShell;
class ControlPanel;
namespace correctionsettings {
struct Setting;
}
class PreviewPane;
class ProgressBar;
class QVButtonMouseOver;
class QVImage;
class QVMenu;
class QVPictureDisplay;
class QVResourceFile;
class QVSplashWin;

class LumivexWindow : public QVWindow, public MainWindowLink {
public:
  // Start-window sizes: the whole window, the busy strip and the window of
  // a run without a dialog.
  enum { kStartWidth = 347, kStartHeight = 290, kBusyHeight = 49, kHiddenHeight = 10 };
  enum { kGammaCount = 13, kDefaultGammaIndex = 6 };
  static constexpr double kGammaTable[kGammaCount] = {1.0, 1.3, 1.5, 1.6, 1.7, 1.75, 1.8, 1.9, 2.0, 2.1, 2.3, 2.6, 3.0};

  // A hidden captioned popup (window type 3) "Tarnwell Corporation" of the
  // host's window `parent`, on the resource file (the plug-in's own,
  // PlugInResourceFile, when null), with the defaults and whatever the
  // host's scripting parameters say.
  LumivexWindow(QVRect* rect, QVResourceFile* resources, HWND parent);
  // Deletes, each when there is one: the corrected preview, title strip,
  // help menu, progress bar, the four buttons, hint pane, preset menu, the
  // two picture displays, the uncorrected preview, its kept Sub-Detail
  // result and last the control panel; then unregisters every framework
  // window class.
  ~LumivexWindow() override;
  // Every pointer null, the defaults, this window the key window; then the
  // scripting parameters are read over them.
  void Initialize() override;
  // The client area filled black. True.
  bool HandlePaint(QVEvent& event) override;
  // The command table (see lumivexwindow_commands.cpp). True.
  bool HandleCommand(QVEvent& event) override;
  // The window was closed: the bridge's Quit (1). True.
  bool HandleDestroyEvent(QVEvent& event) override;
  // Shift and Control, down and up (true); every other key goes to the
  // base (false).
  bool HandleKeyEvent(QVEvent& event) override;

  // ---- New virtual operation ----
  // Builds the panel, the hint pane, the title strip, the pictures, the
  // progress bar, the buttons and the preset menu, sizes the window
  // (347 x 290 when a dialog is wanted, else 347 x 10, centred on the
  // screen) and shows it. True.
  virtual bool CreateControls();

  // ---- Non-virtual ----
  // Makes the client area width x height: the window rectangle widened for
  // window type 3's frame, centred on the screen or kept at its top left.
  void PlaceWindow(int width, int height, bool centre);
  // The help menu of a stand-alone run (kept in the help-menu field;
  // nothing calls it in the plug-in): "Help", "Tarnwell on the web",
  // "About Lumivex 1.0", and in the stand-alone mode "Preferences" and
  // "File Attributes". Null when it cannot be made.
  QVMenu* CreateHelpMenu();

  // The index of the first gamma table entry equal to the value; the
  // default index 6 when none is.
  static int32_t FindGammaIndex(double value);
  // The table's entry at the index held to 0..12.
  static double GammaForIndex(int32_t index);

  // ---- The correction run and the settings (lumivexwindow_correction.cpp) ----
  // Current image := image (null: none). With redraw: the pane is hidden,
  // takes the image, the first preview runs, the pane is redrawn and the
  // normal view shown. True.
  bool SetImage(QVImage* image, bool redraw);
  // The live preview: nothing while Control is held, without a preview
  // pane, without a current image with pixels, or when no dialog is wanted
  // (the panel then never shows). Otherwise the corrected
  // preview is rebuilt (a reduced copy fitted into the pane, or at full
  // size a copy of which only the part visible in the pane is corrected)
  // and, with `correct`, corrected as the full run does, its last engine
  // pass and the saturation and brightness step only with Enhance on. The
  // pane takes it (redrawn with `redraw`). A copy that cannot be made
  // deletes the old preview and leaves the pane without an image. Engine
  // results are ignored here.
  void RunPreviewCorrection(bool correct, bool redraw);
  // The whole current image corrected in place: with `reapplyPreset` the
  // preset selected in the preset menu first (remembered as the current
  // preset; when it cannot be read, the engine's own defaults), then the
  // Sub-Detail pre-pass, the engine record, the colour shift, descreen and
  // despeckle when their boxes are on, one engine pass and the saturation
  // and brightness step. The Control key does not stop it. False as soon as
  // an engine pass fails (the rest is left undone); true otherwise, also
  // when there is no current image with pixels (nothing is done).
  bool RunFullCorrection(bool reapplyPreset);
  // Applies the preset the preset menu shows, by name, to the panel's
  // controls and so to the settings. False for no selection, the separator,
  // no panel, or a preset that cannot be read.
  bool ApplySelectedPreset();
  // Every setting from its control (the panel's sliders, boxes and amount
  // menu; a missing control keeps its setting). Sharpen is the larger of
  // the slider and 2, at most 12, as the slider's command stores it.
  void SettingsFromControls() override;
  void RefreshPreview() override;
  // The panel's defaults back into the settings, then a preview run.
  void ResetSettings();
  void SetEnhance(bool on) override;
  void SetSubDetail(bool on, int amount);
  // The colour shift and the saturation and brightness step with this
  // window's red, green, blue, saturation and brightness (see
  // engineparams.h).
  void ApplyColorShift(QVImage* source, QVImage* target, QVRect& area);
  void ApplySaturationBrightness(QVImage* source, QVImage* target, QVRect& area);

  // ---- Scripting parameters (lumivexwindow_scripting.cpp) ----
  // The host's recorded settings and its wish for a dialog, in the filter
  // plug-in with usable descriptor suites: the dialog-wanted flag follows
  // playInfo; without a dialog the recorded values replace the settings,
  // each held to its range. True when the host's descriptor was opened.
  bool ReadScriptParameters();
  // Records the run for the host: {lvAU true} alone for the automatic road,
  // else lvAU false and the fourteen settings. False, with nothing written,
  // outside the filter plug-in or with unusable suites; false, with the new
  // descriptor discarded and none left, when a put or the close fails; true
  // when the host gave no write token (nothing written).
  bool WriteScriptParameters(bool automatic);
  bool DialogWanted() const { return m_DialogWanted != 0; }
  bool AutomaticMode() const { return m_AutomaticMode != 0; }

  // ---- Finishing roads, current preset, TWAIN (lumivexwindow_roads.cpp) ----
  // The apply road: busy strip, full run, the image handed to the host and,
  // only when that succeeded in the filter plug-in, the settings recorded;
  // Quit (0) with `quit`. A failed correction delivers and records nothing
  // (the interactive road first says so) and quits with 2.
  void ApplyAndDeliver(bool quit);
  // The automatic road: busy strip, full run with the selected preset, then
  // in the filter plug-in the image handed to the host and {lvAU true}
  // recorded after a successful delivery; stand-alone the image saved by
  // the preferences (over the opened file, beside it with the prefix, or
  // through the save dialog). True without a current image with pixels
  // (nothing done); false when the correction failed.
  bool FinishAutomatic();
  // A copy of the remembered preset's name (always terminated), freed with
  // delete[]; null when the key or the value is missing.
  char* GetCurrentPreset();
  // Stores the name as the remembered preset; the key is never created.
  // The result of opening the key when that fails, else of closing it. A
  // null name stores nothing.
  long SetCurrentPreset(const char* name);
  // Command 131: an image from the scanner becomes the current one (the
  // filter plug-in's bridge does not take it, and it is released).
  void TwainAcquire();
  // Command 132: the scanner's source selection.
  void TwainSelectSource();

  // ---- View modes (lumivexwindow_views.cpp) ----
  // From the start window to the panel: the pictures centred in the
  // preview area, the start window hidden, the panel shown with the preview
  // (or the no-image picture without a current image with pixels).
  void ShowCustomView();
  void ShowBusyView();
  void ShowNormalView();
  void ShowEmptyView();
  // Reduced preview on or off; the pane's scroll offset is reset.
  void SetReducedPreview(bool on);

private:
  // The bridge of the current application object; null when there is none.
  static AppShell* Bridge();
  // The bridge's mode; 1 (the filter plug-in) without a bridge.
  static int BridgeMode();
  // The start window's preset menu, filled and with the remembered preset
  // selected.
  void CreatePresetMenu(QVResourceFile* resources);
  // Shows picture `pictureId` in the hint pane and redraws it.
  void ShowHint(int32_t pictureId);
  // Commands 16007 and 16008: into or out of the full-size view.
  void SwitchView(QVEvent& event, bool fullSize);
  // Command 16100: the help file the registry names, when it names one.
  void OpenHelpFile();
  // Command 16105: the file-attributes window on the current image.
  void ShowFileAttributes();
  // The key handler's Shift: the uncorrected or the corrected picture.
  void ShowInPane(QVImage* image);
  // Whether there is a current image with pixels.
  bool HasImage() const;
  // The busy strip: the window shrunk to 347 x 49 centred and painted.
  void ShowBusyStrip();
  // The interactive road's word that the correction failed.
  void ReportCorrectionFailure();
  // The Sub-Detail pre-pass (unless `subDetailDone`), the engine record
  // (null: the engine's defaults), the colour shift, descreen and
  // despeckle, and with `finish` the last engine pass and the saturation
  // and brightness step, on the area of the image. False when an engine
  // pass failed.
  bool Correct(QVImage* image, QVRect& area, const AdjustParams* settings, bool finish, bool subDetailDone);
  // One DoAdjustments on the area with the engine's current settings; true
  // when the engine said LUMIVEX_OK.
  static bool EnginePass(QVImage* image, const QVRect& area);
  // SetParams with the preparatory record, then the Sub-Detail amount of
  // engine passes on the area; false as soon as one fails.
  bool SubDetailPasses(QVImage* image, const QVRect& area);
  // The reduced preview's starting pixels, a new width x height image: a
  // copy of the uncorrected preview while that is the current image's
  // reduced copy of this size, else resampled from the current image (and
  // kept as the uncorrected preview). Null, or an image without pixels,
  // when memory runs out.
  QVImage* ReducedPreview(int32_t width, int32_t height);
  // The Sub-Detail pre-pass on a reduced preview fresh from
  // ReducedPreview: the kept result of the last one with the same amount
  // and skin colour, else run and (when it ran to its end) kept. False when
  // an engine pass failed.
  bool SubDetailFromCopy(QVImage* preview);
  // The last full-size preview made back into a copy of the current image
  // (only the part the last run touched is copied) and handed over, no
  // longer the corrected preview; null when there is none to reuse.
  QVImage* RefreshedFullSizePreview();
  // The current image is new or about to change: neither the reduced copy,
  // its pre-pass result nor the last full-size preview stands for it any
  // longer.
  void ForgetImageCopies();
  // Stand-alone automatic road: saves the current image by the preferences.
  void SaveAutomatic();
  // A scripting key's setting as a 32-bit value (switches 0/1; 0 for lvGA
  // and unknown keys), and a replayed value stored into it, held to the
  // key's replay range.
  int32_t ScriptInteger(uint32_t key) const;
  void StoreScriptInteger(uint32_t key, int32_t value);
  // A setting of the table (correctionsettings.h) where this window keeps
  // it, as a 32-bit value (the Tonal Range as its gamma's index), and a
  // value stored there (the engine record's fields narrowed to 16 bits, the
  // Tonal Range index held to the table and made a gamma).
  int32_t SettingValue(const correctionsettings::Setting& setting) const;
  void StoreSetting(const correctionsettings::Setting& setting, int32_t value);

protected:
  QVImage* m_CurrentImage = nullptr;       // not owned: the bridge's
  QVImage* m_CorrectedPreview = nullptr;   // owned
  QVImage* m_UncorrectedPreview = nullptr; // owned
  QVColor m_SkinColour;
  QVWindow* m_TitleStrip = nullptr;
  QVMenu* m_HelpMenu = nullptr;
  PreviewPane* m_PreviewPane = nullptr; // the panel's
  ProgressBar* m_ProgressBar = nullptr;
  QVButtonMouseOver* m_CustomButton = nullptr;
  QVButtonMouseOver* m_AutomaticButton = nullptr;
  QVButtonMouseOver* m_ApplyButton = nullptr;
  QVButtonMouseOver* m_CancelButton = nullptr;
  int32_t m_ViewMode = 0;
  AdjustParams m_Settings{};
  int32_t m_Saturation = 0;
  int32_t m_Brightness = 0;
  int32_t m_DescreenOn = 0;
  int32_t m_DespeckleOn = 0;
  ControlPanel* m_ControlPanel = nullptr;
  int32_t m_Red = 0;
  int32_t m_Green = 0;
  int32_t m_Blue = 0;
  PanelDefaults m_PanelDefaults;
  uint8_t m_EnhanceOn = 1;
  uint8_t m_SubDetailOn = 0;
  int32_t m_SubDetailAmount = 2;
  QVWindow* m_HintPane = nullptr;
  QVMenu* m_PresetMenu = nullptr;
  QVPictureDisplay* m_BusyPicture = nullptr;
  QVPictureDisplay* m_EmptyPicture = nullptr;
  uint8_t m_FullSizeView = 0;
  uint8_t m_ControlDown = 0;
  int32_t m_AutomaticMode = 0;
  int32_t m_DialogWanted = 1;
  int32_t m_ReducedPreview = 1;
  // What the file-attributes window shows (command 16105).
  FileInfoRecord m_FileInfo;
  QVFileSpec m_FileSpec;
  // The uncorrected preview is the current image's reduced copy as the
  // image is now, so the next reduced preview of its size starts from it.
  bool m_ReducedCopyCurrent = false;
  // Owned: that copy after the Sub-Detail pre-pass with this amount and
  // skin colour; null when there is none.
  QVImage* m_SubDetailCopy = nullptr;
  int32_t m_SubDetailCopyAmount = 0;
  uint8_t m_SubDetailCopySkin[3] = {};
  // The corrected preview is a full-size one that differs from the current
  // image as it is now only inside the touched rectangle.
  bool m_FullSizeKept = false;
  QVRect m_FullSizeTouched;
};
