#include "preview.h"

#include "imagefiles.h"
#include "session.h"

#include "qvcommon/qvpaintdevice.h"
#include "qvcommon/qvviewimage.h"
#include "qvcommon/qvvirtualimage.h"

#include <algorithm>

namespace lvfx {

PreviewWindow::PreviewWindow(Session* session, const WindowsRun& run, int32_t x, int32_t y)
    : QVWindow(nullptr, "Preview", eQVWindowStyleStaticMainCaption, nullptr, nullptr, nullptr), session_(session),
      run_(run)
{
  const int32_t w = static_cast<int32_t>(std::min<double>(ViewSide(run.source->baseWidth, run.zoom), kMaxWidth));
  const int32_t h = static_cast<int32_t>(std::min<double>(ViewSide(run.source->baseHeight, run.zoom), kMaxHeight));
  QVRect rect = CaptionedWindowRect(x, y, w, h);
  SetWindowPos(rect, 0);
  // Made at no size, the window has nothing to paint until it is sized.
  Invalidate();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::Invalidate()
{
  if (m_hWnd)
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void PreviewWindow::Finish(WindowsOutcome outcome)
{
  if (outcome_ != WindowsOutcome::Running)
    return;
  outcome_ = outcome;
  PostQuitMessage(0);
}

void PreviewWindow::Render()
{
  std::unique_ptr<QVViewImage> view = MakeView(run_.source, run_.zoom, nullptr);
  if (!view)
    return;
  session_->ClearDirty();
  if (!session_->Prepare(run_.document, view.get(), 0, 0) || !session_->Run(view.get(), nullptr)) {
    Finish(WindowsOutcome::Failed);
    return;
  }
  view_ = std::move(view);
}

bool PreviewWindow::HandlePaint(QVEvent&)
{
  if ((!view_ || session_->Dirty()) && outcome_ == WindowsOutcome::Running)
    Render();
  {
    QVPaintDevice device(this);
    if (view_)
      view_->Display(&device, QVRect(0, 0, view_->width, view_->height), 0, 0);
  }
  if (view_ && outcome_ == WindowsOutcome::Running && !session_->PreviewEvent(kMousePaint, 0, 0, this, view_.get()))
    Finish(WindowsOutcome::Failed);
  return true;
}

void PreviewWindow::Send(int32_t kind, const QVPoint& client)
{
  if (!view_ || outcome_ != WindowsOutcome::Running)
    return;
  QVPoint at(client.X(), client.Y());
  view_->ViewPtToImagePt(&at);
  if (!session_->PreviewEvent(kind, at.X(), at.Y(), this, view_.get()))
    Finish(WindowsOutcome::Failed);
}

bool PreviewWindow::HandleButtonDown(QVEvent& event)
{
  pressed_ = true;
  SetCapture();
  Send(kMouseDown, event.m_Point);
  return true;
}

bool PreviewWindow::HandleMouseMove(QVEvent& event)
{
  if (pressed_)
    Send(kMouseDrag, event.m_Point);
  return true;
}

bool PreviewWindow::HandleButtonUp(QVEvent& event)
{
  if (!pressed_)
    return true;
  pressed_ = false;
  ReleaseCapture();
  Send(kMouseUp, event.m_Point);
  return true;
}

bool PreviewWindow::HandleSetCursor(QVEvent&)
{
  if (view_ && outcome_ == WindowsOutcome::Running && !session_->PreviewEvent(kMouseSetCursor, 0, 0, this, view_.get()))
    Finish(WindowsOutcome::Failed);
  return true;
}

bool PreviewWindow::HandleCloseEvent(QVEvent&)
{
  Finish(WindowsOutcome::Cancelled);
  return true;
}

} // namespace lvfx
