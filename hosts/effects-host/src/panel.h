#pragma once
// effects-host's control panel: a captioned framework window showing the
// controls the effect described (sliders and popups; other kinds appear in
// the report only) over the host's tile, with Undo, Redo, Revert, Apply and
// Cancel along the bottom. Ctrl+Z and Ctrl+Y undo and redo.
#include "controlmodel.h"
#include "windows.h"

#include "qvcommon/qvwindow.h"

#include <map>
#include <string>
#include <vector>

class QVButton;
class QVMenu;
class QVSlider;

namespace lvfx {

class Session;

class EffectPanel : public QVWindow {
public:
  static constexpr int32_t kClientWidth = 280, kClientHeight = 170;
  // The commands of the bottom buttons, above any control id or item code.
  enum : int32_t { kUndo = 0x10001, kRedo, kRevert, kApply, kCancel };

  // The panel for the session's controls at the screen position, titled
  // `title`; its pictures come from `art` (tile 1001, slider track 1002
  // and thumb 1003, menu background 1004). It becomes the window that
  // hears every key.
  EffectPanel(Session* session, const std::string& title, QVResourceFile* art, int32_t x, int32_t y);
  ~EffectPanel() override;

  // Builds or updates the control's widget: a created control gets one (a
  // slider for kind 1, a menu for kind 4); an update sets the slider's
  // value or the menu's caption.
  void ShowControl(const Control& control, ControlModel::Change change);
  // Ends the message loop with the outcome (the first one given counts).
  void Finish(WindowsOutcome outcome);
  WindowsOutcome Outcome() const { return outcome_; }

  bool HandlePaint(QVEvent& event) override;
  bool HandleCommand(QVEvent& event) override;
  bool HandleKeyEvent(QVEvent& event) override;
  // The close box cancels.
  bool HandleCloseEvent(QVEvent& event) override;

private:
  void AddButton(int32_t command, const char* text, int32_t* x);
  void CreateWidget(const Control& control);
  // A session call's result: a failure ends the loop.
  void Check(bool ok);

  Session* session_;
  QVResourceFile* art_;
  WindowsOutcome outcome_ = WindowsOutcome::Running;
  std::map<int32_t, QVSlider*> sliders_;
  std::map<int32_t, QVMenu*> menus_;
  std::vector<QVButton*> buttons_;
  // The labels drawn beside the widgets: position and text.
  struct Label {
    int32_t x, y;
    std::string text;
  };
  std::map<int32_t, Label> labels_;
};

} // namespace lvfx
