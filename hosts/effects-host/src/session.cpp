#include "session.h"

#include "qvcommon/qvviewimage.h"

#include <cstring>

namespace lvfx {
namespace {

Session* g_current = nullptr;

// The mouse object of a preview event.
class PreviewMouse : public HostMouseEvent {
public:
  PreviewMouse(int32_t kind, int32_t x, int32_t y) : kind_(kind) { position.SetPoint(x, y); }
  int32_t Kind() const override { return kind_; }

private:
  int32_t kind_;
};

extern "C" int32_t OnCreateControl(EffectControlRecord* record)
{
  if (Session* s = Session::Current())
    s->CreateControl(record);
  return 1;
}

extern "C" int32_t OnRedraw(QVRect* rect, int32_t f1, int32_t f2, int32_t f3, int32_t f4, int32_t f5, int32_t f6)
{
  const int32_t flags[6] = {f1, f2, f3, f4, f5, f6};
  if (Session* s = Session::Current())
    s->Redraw(rect, flags);
  return 1;
}

extern "C" int32_t OnPushUndo(QVUndo_Item* item)
{
  if (Session* s = Session::Current())
    s->PushUndo(item);
  return 1;
}

std::string Num(int32_t v) { return std::to_string(v); }

std::string Point(int32_t x, int32_t y) { return "(" + Num(x) + ", " + Num(y) + ")"; }

std::string Rect(const QVRect& r)
{
  return "(" + Num(r.Left()) + ", " + Num(r.Top()) + ", " + Num(r.Right()) + ", " + Num(r.Bottom()) + ")";
}

// The first two int32_t of a value block.
std::string Block(const unsigned char* block)
{
  int32_t v[2];
  std::memcpy(v, block, sizeof v);
  return "{" + Num(v[0]) + ", " + Num(v[1]) + "}";
}

std::string DescribeRecord(const EffectControlRecord& r, const Control& c)
{
  std::string text = "create-control id " + Num(r.controlId) + " kind " + Num(r.kind) + " at " + Point(r.x, r.y) +
                     " host " + Num(r.hostId) + " effect " + Num(r.effectId) + " flag " + Num(r.flag) + " bitmap " +
                     Num(r.bitmapId) + " label " + Num(r.labelId) + " \"" + c.label + "\" values {";
  for (int i = 0; i < 5; ++i)
    text += (i ? ", " : "") + std::to_string(c.values[i]);
  text += "}";
  if (r.kind == kEffectPopup) {
    text += " items";
    for (size_t i = 0; i < c.codes.size(); ++i)
      text += " " + Num(c.codes[i]) + "=" + Num(c.labels[i]);
    text += " arrow " + Num(c.arrow);
  }
  return text + " count " + Num(r.count) + " zero " + Num(r.zero1) + " " + Num(r.zero2) + " redraw-now " +
         Num(r.redrawNow) + " instance " + Num(r.instance);
}

// A control event carrying the control's own record fields (all zero without
// a control), with the id and the new value given.
EffectControlEvent EventFor(const Control* control, int32_t controlId, int32_t* newValue)
{
  EffectControlEvent event{};
  if (control) {
    const EffectControlRecord& r = control->record;
    event =
        EffectControlEvent{r.hostId, r.effectId, r.controlId, r.x, r.y, r.kind, r.flag, r.bitmapId, r.labelId, nullptr};
  }
  event.controlId = controlId;
  event.newValue = newValue;
  return event;
}

} // namespace

Session::Session(const EffectExports& exports) : exports_(exports), previous_(g_current) { g_current = this; }

Session::~Session()
{
  Close();
  g_current = previous_;
}

Session* Session::Current() { return g_current; }

bool Session::Check(const std::string& call, int32_t result, int32_t expected)
{
  log_.push_back(call + " -> " + Num(result));
  if (result == expected)
    return true;
  if (failure_.empty())
    failure_ = call + " returned " + Num(result) + " instead of " + Num(expected);
  return false;
}

std::string Session::Describe(const RedrawCall& call)
{
  std::string text = "redraw(";
  text += call.hasRect ? "(" + Num(call.rect[0]) + ", " + Num(call.rect[1]) + ", " + Num(call.rect[2]) + ", " +
                             Num(call.rect[3]) + ")"
                       : "null";
  for (int32_t f : call.flags)
    text += ", " + Num(f);
  return text + ")";
}

std::string Session::Describe(const QVUndo_Item& item)
{
  QVUndo_Item copy(&item);
  return "kind " + Num(copy.GetEffectID()) + " module " + Num(copy.GetDLLID()) + " instance " +
         Num(copy.GetDLLInstance()) + " new " + Block(copy.GetEffectData()) + " old " + Block(copy.GetSaveData());
}

// ---- Callbacks ----------------------------------------------------------------

void Session::CreateControl(const EffectControlRecord* record)
{
  if (!record) {
    log_.push_back("create-control null");
    return;
  }
  const ControlModel::Change change = controls_.Apply(*record);
  const Control* control = controls_.Find(record->controlId);
  if (change == ControlModel::kIgnored || !control) {
    log_.push_back("create-control id " + Num(record->controlId) + " redraw-now 0 for an unknown control: ignored");
    return;
  }
  log_.push_back(DescribeRecord(*record, *control));
  if (onControl)
    onControl(*control, change);
}

void Session::Redraw(const QVRect* rect, const int32_t flags[6])
{
  RedrawCall call;
  call.hasRect = rect != nullptr;
  if (rect) {
    call.rect[0] = rect->Left(), call.rect[1] = rect->Top();
    call.rect[2] = rect->Right(), call.rect[3] = rect->Bottom();
  }
  std::copy(flags, flags + 6, call.flags);
  redraws_.push_back(call);
  log_.push_back(Describe(call));
  dirty_ = true;
  if (onRedraw)
    onRedraw();
}

void Session::PushUndo(const QVUndo_Item* item)
{
  if (!item) {
    log_.push_back("push-undo null");
    return;
  }
  undo_.emplace_back(item);
  redo_.clear();
  log_.push_back("push-undo " + Describe(undo_.back()));
}

// ---- Calls into the module ------------------------------------------------------

bool Session::Open(HINSTANCE module, QVImage* document)
{
  int32_t index = -1;
  if (!Check("AddInstance", exports_.AddInstance(&index)))
    return false;
  index_ = index;
  open_ = true;
  log_.back() += " index " + Num(index_);
  if (!Check("GetInfo(" + Num(index_) + ")", exports_.GetInfo(index_, &info_)))
    return false;
  log_.back() += " {" + Num(info_.version) + ", " + Num(info_.reserved1) + ", " + Num(info_.effectId) + ", " +
                 Num(info_.iconId) + ", " + Num(info_.reserved2) + ", " + Num(info_.one) + ", " + Num(info_.reserved3) +
                 "}";
  return Check("Initialize(" + Num(index_) + ", host 1)",
               exports_.Initialize(index_, OnCreateControl, OnRedraw, module, 1, OnPushUndo, nullptr, 0)) &&
         Check("SetImageInfo(" + Num(index_) + ")", exports_.SetImageInfo(index_, document));
}

bool Session::Prepare(QVImage* document, QVViewImage* view, int32_t maskMode, int32_t key)
{
  return Check("EffectPrep(" + Num(index_) + ", view " + Num(view ? view->width : 0) + "x" +
                   Num(view ? view->height : 0) + ", mask mode " + Num(maskMode) + ", key " + Num(key) + ")",
               exports_.EffectPrep(index_, document, view, maskMode, key));
}

bool Session::ControlEvent(int32_t controlId, int32_t value)
{
  EffectControlEvent event = EventFor(controls_.Find(controlId), controlId, &value);
  // The host's slider shows what it sends; the effect may correct it.
  controls_.SetSliderValue(controlId, value);
  const std::string call = "Control_Event(" + Num(index_) + ", id " + Num(controlId) + ", value " + Num(value) + ")";
  return Check(call, exports_.Control_Event(index_, &event));
}

bool Session::Choose(int32_t code)
{
  // The choice carries the popup's own fields with the item's code as the id.
  const Control* popup = nullptr;
  for (const Control& c : controls_.Controls())
    for (int32_t item : c.codes)
      if (item == code)
        popup = &c;
  int32_t value = code;
  EffectControlEvent event = EventFor(popup, code, &value);
  return Check("Control_Event(" + Num(index_) + ", choice " + Num(code) + ")", exports_.Control_Event(index_, &event));
}

bool Session::PreviewEvent(int32_t kind, int32_t x, int32_t y, QVWindow* window, QVViewImage* view)
{
  PreviewMouse mouse(kind, x, y);
  EffectPreviewEvent event{&mouse, window, nullptr, view};
  return Check("Preview_Event(" + Num(index_) + ", kind " + Num(kind) + " at " + Point(x, y) +
                   (window ? ", window" : "") + (view ? ", view" : "") + ")",
               exports_.Preview_Event(index_, &event));
}

bool Session::CallUndo(const QVUndo_Item& item, int32_t isUndo)
{
  // The module works on a copy: the stacks keep the item as it was pushed.
  QVUndo_Item copy(&item);
  return Check("Undo(" + Num(index_) + ", kind " + Num(item.effectId) + (isUndo ? ", undo)" : ", redo)"),
               exports_.Undo(index_, &copy, isUndo));
}

bool Session::MoveNewest(std::vector<QVUndo_Item>* from, std::vector<QVUndo_Item>* to, int32_t isUndo, bool* done)
{
  *done = !from->empty();
  if (!*done)
    return true;
  const QVUndo_Item item = from->back();
  from->pop_back();
  to->push_back(item);
  return CallUndo(item, isUndo);
}

bool Session::UndoLast(bool* done) { return MoveNewest(&undo_, &redo_, 1, done); }

bool Session::RedoLast(bool* done) { return MoveNewest(&redo_, &undo_, 0, done); }

bool Session::RevertAll()
{
  while (!undo_.empty()) {
    const QVUndo_Item item = undo_.back();
    undo_.pop_back();
    if (!CallUndo(item, 1))
      return false;
  }
  redo_.clear();
  return Check("Revert(" + Num(index_) + ")", exports_.Revert(index_));
}

bool Session::Apply(const HostEvent& event, QVViewImage* view, QVWindow* window, bool* skipped)
{
  *skipped = false;
  bool done = true;
  bool ok = true;
  switch (event.kind) {
  case HostEvent::Preset: ok = Choose(event.id); break;
  case HostEvent::Slider:
  case HostEvent::NamedSlider:
  case HostEvent::Control: ok = ControlEvent(event.id, event.value); break;
  case HostEvent::Mouse: ok = PreviewEvent(event.id, event.x, event.y, window, view); break;
  case HostEvent::Undo: ok = UndoLast(&done); break;
  case HostEvent::Redo: ok = RedoLast(&done); break;
  case HostEvent::Revert: ok = RevertAll(); break;
  }
  *skipped = !done;
  return ok;
}

bool Session::Run(QVViewImage* image, QVImage* mask)
{
  return Check("EffectDo(" + Num(index_) + (mask ? ", mask" : "") + ")", exports_.EffectDo(index_, image, mask, 0, 0));
}

bool Session::AddChanged(const QVRect& changed)
{
  QVRect rect(changed);
  const bool ok = Check("EffectRect(" + Num(index_) + ", " + Rect(changed) + ")",
                        exports_.EffectRect(index_, &rect, &accumulated_));
  log_.back() += " accumulated " + Rect(accumulated_);
  return ok;
}

bool Session::FinishRun() { return Check("EffectCleanup(" + Num(index_) + ")", exports_.EffectCleanup(index_)); }

bool Session::Close()
{
  if (!open_)
    return true;
  open_ = false;
  const bool cleaned = Check("Cleanup(" + Num(index_) + ")", exports_.Cleanup(index_));
  return Check("DeleteInstance(" + Num(index_) + ")", exports_.DeleteInstance(index_), 0) && cleaned;
}

} // namespace lvfx
