#include "controlmodel.h"

#include "qvcommon/qvresourcefile.h"

#include <algorithm>
#include <cctype>

namespace lvfx {
namespace {

constexpr intptr_t kMaxPopupItems = 200;

bool SameText(const std::string& a, const std::string& b)
{
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

void CopyValues(const EffectControlRecord& record, Control* control)
{
  if (!record.values)
    return;
  const int32_t n = std::clamp(record.count, 0, 5);
  std::copy(&record.values->value, &record.values->value + n, control->values);
}

void ReadItems(const EffectControlRecord& record, Control* control)
{
  control->codes.clear();
  control->labels.clear();
  control->itemTexts.clear();
  const EffectControlValues* v = record.values;
  if (!v)
    return;
  const intptr_t n = std::clamp<intptr_t>(v->value, 0, kMaxPopupItems);
  const auto* codes = reinterpret_cast<const int32_t*>(v->minimum);
  const auto* labels = reinterpret_cast<const int32_t*>(v->maximum);
  for (intptr_t i = 0; i < n && codes && labels; ++i) {
    control->codes.push_back(codes[i]);
    control->labels.push_back(labels[i]);
    control->itemTexts.push_back(ModuleString(record.resources, labels[i]));
  }
  control->arrow = static_cast<int32_t>(v->step);
}

} // namespace

std::string ModuleString(QVResourceFile* resources, int32_t id)
{
  char text[256] = "";
  if (!resources || resources->LoadStringA(id, text, sizeof text) != 0)
    return "";
  return text;
}

Control* ControlModel::FindMutable(int32_t id)
{
  for (Control& c : controls_)
    if (c.Id() == id)
      return &c;
  return nullptr;
}

const Control* ControlModel::Find(int32_t id) const { return const_cast<ControlModel*>(this)->FindMutable(id); }

ControlModel::Change ControlModel::Apply(const EffectControlRecord& record)
{
  Control* control = FindMutable(record.controlId);
  if (record.redrawNow == 0) {
    if (!control)
      return kIgnored;
    CopyValues(record, control);
    if (control->Kind() == kEffectPopup) {
      control->record.labelId = record.labelId;
      control->label = ModuleString(record.resources, record.labelId);
    }
    return kUpdated;
  }
  if (!control) {
    controls_.emplace_back();
    control = &controls_.back();
  }
  *control = Control{};
  control->record = record;
  // The block lives on the module's stack: only its copy is kept.
  control->record.values = nullptr;
  CopyValues(record, control);
  if (record.kind == kEffectPopup)
    ReadItems(record, control);
  control->label = ModuleString(record.resources, record.labelId);
  return kCreated;
}

void ControlModel::SetSliderValue(int32_t id, int32_t value)
{
  if (Control* c = FindMutable(id); c && c->Kind() == kEffectSlider)
    c->values[0] = value;
}

const Control* ControlModel::SliderLabelled(const std::string& name) const
{
  for (const Control& c : controls_)
    if (c.Kind() == kEffectSlider && SameText(c.label, name))
      return &c;
  return nullptr;
}

std::string ControlModel::SliderLabels() const
{
  std::string out;
  for (const Control& c : controls_)
    if (c.Kind() == kEffectSlider)
      out += (out.empty() ? "" : ", ") + c.label;
  return out;
}

} // namespace lvfx
