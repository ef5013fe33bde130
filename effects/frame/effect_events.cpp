// The effect base class: control and preview events, markers and undo.
#include "effect.h"

#include "qvcommon/qvcursor.h"
#include "qvcommon/qvdevice.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvviewimage.h"

#include <cstring>

using namespace effectids;

namespace {

int32_t ReadInt(const unsigned char* block, int offset = 0)
{
  int32_t v = 0;
  std::memcpy(&v, block + offset * sizeof v, sizeof v);
  return v;
}

} // namespace

int32_t Effect::Control_Event(EffectControlEvent* event)
{
  if (!event || !event->newValue)
    return 0;
  cache_.Clear();
  const int32_t id = event->controlId;
  const int32_t value = *event->newValue;
  bool redrawn = false;
  bool handled = SliderEvent(id, value) || PresetEvent(id) || (maskBrush_ && BrushEvent(id, value, &redrawn));
  if (!handled && id == kUndoMarker) {
    // Control 1 (which no effect creates) pushes the current value blocks.
    PushUndo(kUndoMarker);
    handled = true;
  }
  if (!handled)
    handled = OwnControl(id, value);
  if (handled && !redrawn)
    Redraw(nullptr, 0, 1, 0, 0, 0, 1);
  return 1;
}

bool Effect::SliderEvent(int32_t controlId, int32_t value)
{
  if (controlId != kSliderA && controlId != kSliderB)
    return false;
  const SliderSpec& slider = sliders_[controlId == kSliderA ? 0 : 1];
  int32_t& parameter = controlId == kSliderA ? parameterA_ : parameterB_;
  const int32_t limited = slider.Limit(value);
  PutValues(limited, parameter);
  parameter = limited;
  PushUndo(controlId);
  presetCode_ = kByHand;
  changedByHand_ = false;
  // A value the slider could not hold is shown as the one kept.
  if (limited != value)
    SendSlider(slider, limited, 0);
  return true;
}

bool Effect::PresetEvent(int32_t code)
{
  if (code < kAuto || code > kFine)
    return false;
  PutValues(code, presetCode_);
  presetCode_ = code;
  PushUndo(kUndoPreset);
  SendPresetsPopup(itemLabels_[code - kAuto], 0);
  PresetChosen(code);
  return true;
}

int32_t Effect::Undo(QVUndo_Item* item, int32_t isUndo)
{
  if (!item)
    return 0;
  cache_.Clear();
  const unsigned char* payload = isUndo ? item->GetSaveData() : item->GetEffectData();
  const int32_t value = ReadInt(payload);
  switch (item->GetEffectID()) {
  case kUndoMarker:
    if (isUndo) {
      // Nothing to remove once the list is empty (after Revert, or for the
      // item control 1 pushes).
      if (markerCount_ > 0)
        --markerCount_;
    } else if (markerCount_ < kMaxMarkers) {
      markers_[markerCount_][0] = value;
      markers_[markerCount_][1] = ReadInt(payload, 1);
      ++markerCount_;
    }
    break;
  case kSliderA:
  case kSliderB: {
    const int i = item->GetEffectID() == kSliderA ? 0 : 1;
    (i == 0 ? parameterA_ : parameterB_) = sliders_[i].Limit(value);
    SendSlider(sliders_[i], i == 0 ? parameterA_ : parameterB_, 0);
    break;
  }
  case kUndoPreset:
    presetCode_ = value >= kAuto && value <= kByHand ? value : kByHand;
    SendPresetsPopup(kUntitledPresetLabel, 0);
    break;
  default: break;
  }
  Redraw(nullptr, 0, 1, 0, 0, 0, 1);
  return 1;
}

int32_t Effect::Revert()
{
  markerCount_ = 0;
  return 1;
}

int32_t Effect::Preview_Event(EffectPreviewEvent* event)
{
  if (!event || !event->mouse)
    return 0;
  const int32_t kind = event->mouse->Kind();
  const QVPoint at = event->mouse->position;
  if (brushMode_ && (kind == kMouseDown || kind == kMouseDrag || kind == kMouseUp)) {
    StrokeEvent(kind, at, event->view);
    return 1;
  }
  switch (kind) {
  case kMouseDown: AddMarker(at); break;
  case kMousePaint: PaintMarkers(*event); break;
  case kMouseSetCursor:
    if (cursor_)
      cursor_->SetCursor();
    break;
  default: break;
  }
  return 1;
}

void Effect::AddMarker(const QVPoint& at)
{
  // A full list takes no more markers, and nothing is pushed or redrawn.
  if (markerCount_ >= kMaxMarkers)
    return;
  const int32_t x = at.X(), y = at.Y();
  markers_[markerCount_][0] = x;
  markers_[markerCount_][1] = y;
  ++markerCount_;
  std::memcpy(newValue_, &x, sizeof x);
  std::memcpy(newValue_ + sizeof x, &y, sizeof y);
  PushUndo(kUndoMarker);
  RedrawAround(x, y, 20);
}

void Effect::PaintMarkers(const EffectPreviewEvent& event)
{
  if (!event.window || !event.view || !markerPicture_ || markerCount_ == 0)
    return;
  QVDevice device(event.window);
  const QVColor white(255, 255, 255);
  const int32_t w = markerPicture_->Width(), h = markerPicture_->Height();
  for (int32_t i = 0; i < markerCount_; ++i) {
    QVPoint p(markers_[i][0], markers_[i][1]);
    event.view->ImagePtToViewPt(&p);
    markerPicture_->DrawTransparent(&device, WrappedAdd(p.X(), -5), WrappedAdd(p.Y(), -5), w, h, 0, 0, &white);
  }
}
