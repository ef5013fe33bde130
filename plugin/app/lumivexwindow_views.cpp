// The main window's view modes: the start window, the panel with the
// preview, the busy and the no-image pictures.
#include "lumivexwindow.h"

#include "controlpanel.h"
#include "previewpane.h"
#include "qvcommon/qvpicturedisplay.h"

namespace {

enum : int32_t { kPictureWidth = 400, kPictureHeight = 292 };

void Show(QVWindow* window)
{
  if (window)
    window->ShowWindow(QVWindow::eQVShowNormal);
}

void Hide(QVWindow* window)
{
  if (window)
    window->HideWindow();
}

} // namespace

void LumivexWindow::ShowCustomView()
{
  // View mode 1 is never set; the guard stays for the mode's meaning.
  if (m_ViewMode == 1 || !m_ControlPanel)
    return;
  QVRect area;
  if (const QVRect* preview = m_ControlPanel->GetPreviewArea())
    area.SetLTWH(preview->Left() + (preview->Width() - kPictureWidth) / 2,
                 preview->Top() + (preview->Height() - kPictureHeight) / 2, kPictureWidth, kPictureHeight);
  if (m_BusyPicture)
    m_BusyPicture->SetWindowPos(area, 1);
  ShowBusyView();
  HideWindow();
  m_ControlPanel->ShowWindow(eQVShowNormal);
  if (HasImage()) {
    ShowNormalView();
    return;
  }
  m_ViewMode = 0;
  if (m_EmptyPicture)
    m_EmptyPicture->SetWindowPos(area, 1);
  ShowEmptyView();
}

void LumivexWindow::ShowBusyView()
{
  Hide(m_PreviewPane);
  Hide(m_EmptyPicture);
  Show(m_BusyPicture);
}

void LumivexWindow::ShowNormalView()
{
  Hide(m_EmptyPicture);
  Hide(m_BusyPicture);
  if (m_PreviewPane) {
    // SetDisplay redraws the pane.
    m_PreviewPane->SetDisplay(true);
    if (m_ControlPanel && m_EmptyPicture)
      m_ControlPanel->InvalShadowArea(m_EmptyPicture);
  }
  Show(m_PreviewPane);
}

void LumivexWindow::ShowEmptyView()
{
  Hide(m_PreviewPane);
  Hide(m_BusyPicture);
  Show(m_EmptyPicture);
}

void LumivexWindow::SetReducedPreview(bool on)
{
  m_ReducedPreview = on ? 1 : 0;
  if (m_PreviewPane)
    m_PreviewPane->ResetScrollOffset();
}
