#include "previewpane.h"

#include "filterpluginshell.h"
#include "lumivexapp.h"
#include "mainwindowlink.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvpaintdevice.h"
#include "qvcommon/qvresourcefile.h"

#include <algorithm>

PreviewPane::PreviewPane(QVRect* rect, QVWindow* parent)
    : QVWindow(rect, "", eQVWindowStylePreview, PlugInResourceFile(), parent, nullptr)
{
}

PreviewPane::~PreviewPane() = default;

int32_t PreviewPane::LowestOffset(int32_t imageSize, int32_t clientSize)
{
  return -std::max<int32_t>(0, imageSize - clientSize);
}

void PreviewPane::ClampOffset()
{
  if (!m_Image) {
    m_OffsetX = m_OffsetY = 0;
    return;
  }
  const QVRect client = GetClientRect();
  m_OffsetX = std::clamp(m_OffsetX, LowestOffset(m_Image->width, client.Width()), 0);
  m_OffsetY = std::clamp(m_OffsetY, LowestOffset(m_Image->height, client.Height()), 0);
}

void PreviewPane::SetImage(QVImage* image)
{
  m_Image = image;
  ClampOffset();
}

void PreviewPane::SetDisplay(bool on)
{
  m_Display = on;
  InvalWindow(nullptr, 0);
}

QVPoint PreviewPane::GetScrollOffset()
{
  ClampOffset();
  return QVPoint(m_OffsetX, m_OffsetY);
}

void PreviewPane::ResetScrollOffset() { m_OffsetX = m_OffsetY = 0; }

bool PreviewPane::CanScroll()
{
  if (!m_Image)
    return false;
  const QVRect client = GetClientRect();
  return m_Image->width > client.Width() || m_Image->height > client.Height();
}

bool PreviewPane::HandlePaint(QVEvent& event)
{
  if (!m_Image || !m_Display)
    return QVWindow::HandlePaint(event);
  QVPaintDevice device(this);
  QVRect source;
  source.SetLTWH(0, 0, m_Image->width, m_Image->height);
  if (!CanScroll())
    ResetScrollOffset();
  ClampOffset();
  // The host draws it when it is the one application that offers to.
  auto* host = dynamic_cast<FilterPlugInShell*>(LumivexApp::Current() ? LumivexApp::Current()->GetBridge() : nullptr);
  if (!host || !host->DisplayPixels(device, source, QVPoint(m_OffsetX, m_OffsetY), m_Image, nullptr))
    m_Image->Display(&device, source, static_cast<int16_t>(m_OffsetX), static_cast<int16_t>(m_OffsetY));
  return true;
}

bool PreviewPane::HandleButtonDown(QVEvent& event)
{
  if (!m_Dragging && m_Image && CanScroll()) {
    m_Dragging = true;
    m_LastX = event.m_Point.X();
    m_LastY = event.m_Point.Y();
    SetCapture();
  }
  return QVWindow::HandleButtonDown(event);
}

bool PreviewPane::HandleMouseMove(QVEvent& event)
{
  if (!m_Dragging || !m_Image)
    return QVWindow::HandleMouseMove(event);
  m_CurrentX = event.m_Point.X();
  m_CurrentY = event.m_Point.Y();
  const QVRect client = GetClientRect();
  // A step that would carry the image past an end is dropped, not clamped.
  const int64_t x = int64_t{m_OffsetX} + m_CurrentX - m_LastX;
  if (x >= LowestOffset(m_Image->width, client.Width()) && x <= 0)
    m_OffsetX = static_cast<int32_t>(x);
  const int64_t y = int64_t{m_OffsetY} + m_CurrentY - m_LastY;
  if (y >= LowestOffset(m_Image->height, client.Height()) && y <= 0)
    m_OffsetY = static_cast<int32_t>(y);
  m_LastX = m_CurrentX;
  m_LastY = m_CurrentY;
  InvalWindow(nullptr, 0);
  return true;
}

bool PreviewPane::HandleButtonUp(QVEvent& event)
{
  if (m_Dragging) {
    // A drag whose image went meanwhile still ends and frees the mouse;
    // only a drag of an image asks for a new preview.
    m_Dragging = false;
    ReleaseCapture();
    QVWindow* parent = GetParentWnd();
    if (m_Image && parent)
      parent->PostCommand(kDragEnded);
  }
  return QVWindow::HandleButtonUp(event);
}

bool PreviewPane::HandleSetCursor(QVEvent&)
{
  if (CanScroll()) {
    QVResourceFile* resources = GetResourceFile();
    SetCursor(LoadCursorA(resources ? resources->GetResFile() : nullptr, MAKEINTRESOURCEA(kHandCursor)));
  } else {
    SetCursorArrow();
  }
  return false;
}
