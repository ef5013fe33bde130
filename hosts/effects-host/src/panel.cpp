#include "panel.h"

#include "session.h"

#include "qvcommon/qvbutton.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvslider.h"
#include "win32/gdi.h"

namespace lvfx {
namespace {

// Pictures of effects-host's own resources.
constexpr int32_t kTile = 1001, kTrack = 1002, kThumb = 1003, kMenuBack = 1004;
// Where a control's widget sits relative to its record's point, and sizes.
constexpr int32_t kWidgetOffset = 80, kLabelDrop = 4;
constexpr int32_t kSliderWidth = 160, kMenuWidth = 100, kRowHeight = 25;

} // namespace

EffectPanel::EffectPanel(Session* session, const std::string& title, QVResourceFile* art, int32_t x, int32_t y)
    : QVWindow(nullptr, title.c_str(), eQVWindowStyleStaticMainCaption, art, nullptr, nullptr), session_(session),
      art_(art)
{
  QVRect rect = CaptionedWindowRect(x, y, kClientWidth, kClientHeight);
  SetWindowPos(rect, 0);
  LoadBackgroundImage(kTile, art_);
  // Made at no size, the window has nothing to paint until it is sized.
  InvalidateRect(m_hWnd, nullptr, TRUE);
  for (const Control& control : session_->Controls().Controls())
    CreateWidget(control);
  int32_t left = 5;
  AddButton(kUndo, "Undo", &left);
  AddButton(kRedo, "Redo", &left);
  AddButton(kRevert, "Revert", &left);
  AddButton(kApply, "Apply", &left);
  AddButton(kCancel, "Cancel", &left);
  m_HotKeyWindow = this;
}

EffectPanel::~EffectPanel()
{
  for (auto& [id, slider] : sliders_)
    delete slider;
  for (auto& [id, menu] : menus_)
    delete menu;
  for (QVButton* button : buttons_)
    delete button;
}

void EffectPanel::AddButton(int32_t command, const char* text, int32_t* x)
{
  QVRect rect(*x, kClientHeight - kRowHeight - 4, *x + 40, kClientHeight - 4);
  QVButton* button = QVButton::CreateTextStringButton(this, rect, command, art_, text, false);
  if (!button)
    return;
  buttons_.push_back(button);
  *x += button->Width() + 6;
}

void EffectPanel::CreateWidget(const Control& control)
{
  const EffectControlRecord& r = control.record;
  QVRect rect(r.x + kWidgetOffset, r.y, 0, r.y + kRowHeight);
  if (control.Kind() == kEffectSlider && !sliders_.count(control.Id())) {
    rect.SetRight(rect.Left() + kSliderWidth);
    QVSlider* slider = QVSlider::CreateHorzSlider(
        this, rect, art_, control.Id(), 0, kTrack, kThumb, art_, static_cast<int32_t>(control.values[1]),
        static_cast<int32_t>(control.values[2]), static_cast<int32_t>(control.values[3]), control.Value());
    if (!slider)
      return;
    slider->SetRenderPosText(true);
    sliders_[control.Id()] = slider;
  } else if (control.Kind() == kEffectPopup && !menus_.count(control.Id())) {
    rect.SetRight(rect.Left() + kMenuWidth);
    // The arrow is the module's picture, through the record's resource file.
    QVMenu* menu = new (std::nothrow) QVMenu(this, rect, r.resources, 0, control.arrow, kMenuWidth);
    if (!menu)
      return;
    menu->LoadBackgroundImage(kMenuBack, art_);
    menu->SetMenuItemBackID(kMenuBack, art_);
    QVColor light(236, 236, 236);
    menu->SetTextColor(light);
    menu->SetControlText(control.label.c_str(), 0, 0);
    for (size_t i = 0; i < control.codes.size(); ++i)
      menu->AddMenuItem(control.codes[i], control.itemTexts[i].c_str(), false);
    menus_[control.Id()] = menu;
  } else if (control.Kind() != kEffectSlider && control.Kind() != kEffectPopup) {
    return;
  }
  labels_[control.Id()] = Label{r.x, r.y + kLabelDrop, control.label};
}

void EffectPanel::ShowControl(const Control& control, ControlModel::Change change)
{
  if (change == ControlModel::kCreated) {
    CreateWidget(control);
    InvalWindow(nullptr, 1);
    return;
  }
  if (auto it = sliders_.find(control.Id()); it != sliders_.end())
    it->second->SetValue(control.Value());
  if (auto it = menus_.find(control.Id()); it != menus_.end()) {
    it->second->SetControlText(control.label.c_str(), 0, 0);
    it->second->UpdateControl(true);
  }
}

void EffectPanel::Finish(WindowsOutcome outcome)
{
  if (outcome_ != WindowsOutcome::Running)
    return;
  outcome_ = outcome;
  PostQuitMessage(0);
}

void EffectPanel::Check(bool ok)
{
  if (!ok)
    Finish(WindowsOutcome::Failed);
}

bool EffectPanel::HandlePaint(QVEvent& event)
{
  QVWindow::HandlePaint(event);
  QVDevice device(this);
  device.SetBkMode(TRANSPARENT);
  device.SetTextColor(QVColor(24, 24, 24));
  for (const auto& [id, label] : labels_)
    device.TextOutA(label.x, label.y, label.text.c_str(), static_cast<int32_t>(label.text.size()));
  // The tile covered the widgets where they stand: they paint again after.
  const auto repaint = [](QVWindow* widget) { InvalidateRect(widget->GetWnd(), nullptr, TRUE); };
  for (auto& [id, slider] : sliders_)
    repaint(slider);
  for (auto& [id, menu] : menus_)
    repaint(menu);
  for (QVButton* button : buttons_)
    repaint(button);
  return true;
}

bool EffectPanel::HandleCommand(QVEvent& event)
{
  if (outcome_ != WindowsOutcome::Running)
    return true;
  const auto command = static_cast<int32_t>(event.m_Command);
  bool done = false;
  switch (command) {
  case kUndo: Check(session_->UndoLast(&done)); return true;
  case kRedo: Check(session_->RedoLast(&done)); return true;
  case kRevert: Check(session_->RevertAll()); return true;
  case kApply: Finish(WindowsOutcome::Applied); return true;
  case kCancel: Finish(WindowsOutcome::Cancelled); return true;
  default: break;
  }
  if (sliders_.count(command)) {
    Check(session_->ControlEvent(command, static_cast<int32_t>(event.m_Value)));
    return true;
  }
  for (const Control& control : session_->Controls().Controls())
    for (int32_t code : control.codes)
      if (code == command && menus_.count(control.Id())) {
        Check(session_->Choose(code));
        return true;
      }
  return false;
}

bool EffectPanel::HandleKeyEvent(QVEvent& event)
{
  if (event.m_Type != eQVKeyDownEvent || !event.m_Control || outcome_ != WindowsOutcome::Running)
    return false;
  bool done = false;
  if (event.m_KeyCode == 'Z')
    Check(session_->UndoLast(&done));
  else if (event.m_KeyCode == 'Y')
    Check(session_->RedoLast(&done));
  else
    return false;
  return true;
}

bool EffectPanel::HandleCloseEvent(QVEvent&)
{
  Finish(WindowsOutcome::Cancelled);
  return true;
}

} // namespace lvfx
