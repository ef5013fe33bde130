#pragma once
// lvfxhost: the effects host's side of one effect instance. It calls the
// module's exports in the host's order, answers the module's callbacks
// (control model, redraws, undo stack), keeps the redo stack and logs every
// call both ways.
//
// The callbacks carry no host context, so they reach the session through a
// process-wide pointer: one session is open at a time.
#include "controlmodel.h"
#include "effectmodule.h"
#include "events.h"

#include "qvcommon/qvrect.h"
#include "qvcommon/qvundo_item.h"

#include <functional>
#include <string>
#include <vector>

namespace lvfx {

// One redraw callback's arguments.
struct RedrawCall {
  bool hasRect = false;
  int32_t rect[4] = {}; // left, top, right, bottom
  int32_t flags[6] = {};
};

class Session {
public:
  explicit Session(const EffectExports& exports);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  // Told of every control the module creates or updates (not for ignored
  // records), and of every redraw. They must not call the module.
  std::function<void(const Control&, ControlModel::Change)> onControl;
  std::function<void()> onRedraw;

  // Every call below returns false when an export gives another result than
  // it should (Failure() names it); the run must then stop.

  // AddInstance, GetInfo, Initialize (the three callbacks, a null fourth,
  // the module handle, host id 1, extra 0) and SetImageInfo(document).
  bool Open(HINSTANCE module, QVImage* document);
  bool Prepare(QVImage* document, QVViewImage* view, int32_t maskMode, int32_t key);
  // A control event for the control's id, with the fields of its model
  // entry when there is one; a slider's model value takes the value first.
  bool ControlEvent(int32_t controlId, int32_t value);
  // A popup choice: the code as the control id (and as the value), the
  // other fields of the presets popup.
  bool Choose(int32_t code);
  bool PreviewEvent(int32_t kind, int32_t x, int32_t y, QVWindow* window, QVViewImage* view);
  // Undo of the newest undo item (a copy goes to the module), which moves
  // to the redo stack; Redo the reverse. *done is false when the stack was
  // empty and nothing was called.
  bool UndoLast(bool* done);
  bool RedoLast(bool* done);
  // Undoes the whole stack newest first, clears both stacks, then Revert.
  bool RevertAll();
  // One host event (slider names resolved) on the view and window (either
  // may be null); *skipped when it was an undo or redo with nothing to do.
  bool Apply(const HostEvent& event, QVViewImage* view, QVWindow* window, bool* skipped);
  bool Run(QVViewImage* image, QVImage* mask);
  // EffectRect of `changed` into the accumulated rectangle.
  bool AddChanged(const QVRect& changed);
  bool FinishRun();
  // Cleanup and DeleteInstance (which answers 0). Nothing when not open.
  bool Close();

  const std::vector<std::string>& Log() const { return log_; }
  const ControlModel& Controls() const { return controls_; }
  const std::vector<QVUndo_Item>& UndoStack() const { return undo_; }
  const std::vector<QVUndo_Item>& RedoStack() const { return redo_; }
  const std::vector<RedrawCall>& Redraws() const { return redraws_; }
  const QVRect& Accumulated() const { return accumulated_; }
  const EffectInfo& Info() const { return info_; }
  const std::string& Failure() const { return failure_; }
  int32_t Index() const { return index_; }
  // Whether a redraw came since the last ClearDirty.
  bool Dirty() const { return dirty_; }
  void ClearDirty() { dirty_ = false; }

  // The log's text of a redraw and of an undo item.
  static std::string Describe(const RedrawCall& call);
  static std::string Describe(const QVUndo_Item& item);

  // ---- The callbacks' work (public for the C entry points) ----
  void CreateControl(const EffectControlRecord* record);
  void Redraw(const QVRect* rect, const int32_t flags[6]);
  void PushUndo(const QVUndo_Item* item);
  static Session* Current();

private:
  // Logs the export's call and checks its result.
  bool Check(const std::string& call, int32_t result, int32_t expected = 1);
  bool CallUndo(const QVUndo_Item& item, int32_t isUndo);
  // Moves the newest item of one stack onto the other and gives it to Undo.
  bool MoveNewest(std::vector<QVUndo_Item>* from, std::vector<QVUndo_Item>* to, int32_t isUndo, bool* done);

  EffectExports exports_;
  Session* previous_ = nullptr;
  bool open_ = false;
  int32_t index_ = -1;
  EffectInfo info_{};
  ControlModel controls_;
  std::vector<QVUndo_Item> undo_;
  std::vector<QVUndo_Item> redo_;
  std::vector<RedrawCall> redraws_;
  QVRect accumulated_;
  std::vector<std::string> log_;
  std::string failure_;
  bool dirty_ = false;
};

} // namespace lvfx
