#pragma once
// effects-host's preview: a captioned framework window showing the effect on
// a fresh view of the document, rendered again whenever the effect asked
// for a redraw. The mouse in it goes to the effect in image coordinates.
#include "windows.h"

#include "qvcommon/qvwindow.h"

#include <memory>

class QVViewImage;

namespace lvfx {

class Session;

class PreviewWindow : public QVWindow {
public:
  static constexpr int32_t kMaxWidth = 1000, kMaxHeight = 750;

  // Titled "Preview" at the screen position, its client the view's size
  // capped at kMaxWidth x kMaxHeight.
  PreviewWindow(Session* session, const WindowsRun& run, int32_t x, int32_t y);
  ~PreviewWindow() override;

  // Marks the window for painting (never paints at once, so the effect is
  // not called back from within its own callback).
  void Invalidate();
  // The view last rendered; null before the first paint.
  QVViewImage* View() const { return view_.get(); }
  // What ended the loop from this window (a close box, a failed export).
  WindowsOutcome Outcome() const { return outcome_; }

  // When the effect asked for a redraw (or nothing is rendered yet): a
  // fresh view, EffectPrep and EffectDo without a mask. Then the view is
  // drawn and the effect gets its paint event with this window and view.
  bool HandlePaint(QVEvent& event) override;
  bool HandleSetCursor(QVEvent& event) override;
  // The close box cancels.
  bool HandleCloseEvent(QVEvent& event) override;

protected:
  bool HandleButtonDown(QVEvent& event) override;
  bool HandleButtonUp(QVEvent& event) override;
  bool HandleMouseMove(QVEvent& event) override;

private:
  // The effect's preview event of the kind at the client point.
  void Send(int32_t kind, const QVPoint& client);
  void Render();
  void Finish(WindowsOutcome outcome);

  Session* session_;
  WindowsRun run_;
  std::unique_ptr<QVViewImage> view_;
  bool pressed_ = false;
  WindowsOutcome outcome_ = WindowsOutcome::Running;
};

} // namespace lvfx
