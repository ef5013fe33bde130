#pragma once
// The host's model of the controls an effect describes: a copy of every
// field of each control's record, kept by control id in creation order.
#include "effects/effectapi.h"

#include <string>
#include <vector>

namespace lvfx {

struct Control {
  EffectControlRecord record{}; // as created (values null: the block is copied below)
  intptr_t values[5] = {};      // the values block, copied
  // A popup's items: codes, label ids and texts, and its arrow's bitmap id.
  std::vector<int32_t> codes;
  std::vector<int32_t> labels;
  std::vector<std::string> itemTexts;
  int32_t arrow = 0;
  std::string label; // the text of record.labelId ("" when the module has none)
  int32_t Id() const { return record.controlId; }
  int32_t Kind() const { return record.kind; }
  int32_t Value() const { return static_cast<int32_t>(values[0]); }
};

class ControlModel {
public:
  // What a record did to the model.
  enum Change { kCreated, kUpdated, kIgnored };

  // A record with redraw-now 1 creates the control (replacing one of its
  // id); one with redraw-now 0 updates the value and, for a popup, the
  // label of a known control (an unknown id is ignored). A popup's item
  // arrays are read only for at most 200 items.
  Change Apply(const EffectControlRecord& record);

  // The host's own change of a slider's value (the user moved it); nothing
  // for another kind or an unknown id.
  void SetSliderValue(int32_t id, int32_t value);

  // The control of the id; null when there is none.
  const Control* Find(int32_t id) const;
  // The slider whose label is `name` (any case); null when none is.
  const Control* SliderLabelled(const std::string& name) const;
  const std::vector<Control>& Controls() const { return controls_; }
  // The sliders' labels, joined by ", ".
  std::string SliderLabels() const;

private:
  Control* FindMutable(int32_t id);
  std::vector<Control> controls_;
};

// The module's string `id`; "" when missing or without a resource file.
std::string ModuleString(QVResourceFile* resources, int32_t id);

} // namespace lvfx
