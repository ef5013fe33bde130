#include "qvcommon/qvcontrol.h"

#include "qvcommon/qvpicture.h"
#include "qvcommon/qvresourcefile.h"
#include "win32/drawing.h"
#include "win32/gdi.h"

#include <cstring>
#include <new>

QVControl::QVControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage)
    : QVWindow(&rect, nullptr, eQVWindowStyleControl, resources, parent, nullptr)
{
  QVControl::Initialize();
  m_ControlMessage = controlMessage;
  m_Width = rect.Width();
  m_Height = rect.Height();
}

QVControl::~QVControl()
{
  delete m_Picture;
  m_Picture = nullptr;
}

void QVControl::Initialize()
{
  m_RollOver = true;
  m_ButtonDown = false;
  m_MouseInside = false;
  m_Text[0] = '\0';
  m_Picture = nullptr;
  m_Reserved = 0;
  m_ControlMessage = 0;
  m_Palette = nullptr;
  m_Width = m_Height = 0;
  m_ControlID = 0;
  m_Destination = nullptr;
  m_TextAlignment = 2;
  m_TextOffset = 5;
  m_PictureOffset = 0;
  m_TextColor.SetRGB(255, 255, 255);
  m_FontFace = QVDevice::qvdNoFont;
  m_FontSize = 0;
  m_FontFlag1 = m_FontFlag2 = false;
}

bool QVControl::HandleButtonDown(QVEvent&)
{
  m_ButtonDown = true;
  UpdateControl(false);
  return false;
}

bool QVControl::HandleButtonUp(QVEvent&)
{
  // A button-up ends the capture this control holds, pressed or not, and
  // never another window's.
  if (m_hWnd && ::GetCapture() == m_hWnd)
    ReleaseCapture();
  m_MouseInside = false;
  m_ButtonDown = false;
  return false;
}

bool QVControl::HandleMouseMove(QVEvent& event)
{
  const bool inside = PtInControl(event.m_Point);
  if (inside && !m_MouseInside) {
    m_MouseInside = true;
    OnMouseEnter(event.m_Point);
  } else if (!inside && m_MouseInside) {
    m_MouseInside = false;
    OnMouseLeave(event.m_Point);
  }
  return false;
}

HPALETTE QVControl::GetControlPalette() { return m_Palette; }

bool QVControl::SetControlText(const char* text, int32_t resize, int32_t extra)
{
  std::strncpy(m_Text, text ? text : "", kTextSize - 1);
  m_Text[kTextSize - 1] = '\0';
  if (!resize)
    return true;
  SIZE size{};
  {
    QVDevice device(this);
    ApplyControlFont(device);
    GetTextExtentPoint32A(device.GetDevice(), m_Text, int(std::strlen(m_Text)), &size);
  }
  QVRect rect(m_Rect);
  rect.SetWidth(size.cx + extra + 5 + m_TextOffset);
  m_Width = rect.Width();
  m_Height = rect.Height();
  SetWindowPos(rect, 1);
  return true;
}

bool QVControl::SetControlText(int32_t stringId, int32_t resize, int32_t extra)
{
  char text[kTextSize];
  if (!m_ResourceFile || m_ResourceFile->LoadStringA(stringId, text, kTextSize) != 0)
    return false;
  return SetControlText(text, resize, extra);
}

bool QVControl::SetControlBitmap(int32_t pictureId, int32_t resize, int32_t extra, int32_t pictureOffset)
{
  m_PictureOffset = pictureOffset;
  // The control owns its picture, so the one replaced goes.
  delete m_Picture;
  m_Picture = new (std::nothrow) QVPicture(pictureId, m_ResourceFile);
  if (!m_Picture)
    return false;
  if (!resize)
    return true;
  QVRect rect(m_Rect);
  rect.SetWidth(m_Picture->Width() + extra);
  rect.SetHeight(m_Picture->Height());
  m_Width = rect.Width();
  m_Height = rect.Height();
  SetWindowPos(rect, 1);
  return true;
}

void QVControl::SetControlSize(int32_t, int32_t) {}

int32_t QVControl::GetControlMessage() { return m_ControlMessage; }

void QVControl::SendControlMessage(LPARAM value, QVWindow* target)
{
  HWND receiver = target ? target->GetWnd() : m_Parent ? m_Parent->GetWnd() : nullptr;
  if (m_Destination)
    receiver = m_Destination->GetWnd();
  if (!receiver)
    return;
  // Nothing of this control is touched after the send: the receiver may
  // delete it.
  ::SendMessageA(receiver, WM_COMMAND, WPARAM(uint32_t(m_ControlMessage)), value);
}

int32_t QVControl::OnCreate() { return 0; }
int32_t QVControl::OnEraseBackground() { return 0; }

void QVControl::OnMouseEnter(QVPoint&)
{
  if (m_RollOver)
    UpdateControl(false);
  SetCapture();
}

void QVControl::OnMouseLeave(QVPoint&)
{
  if (!m_ButtonDown)
    ReleaseCapture();
  if (m_RollOver)
    UpdateControl(false);
}

bool QVControl::PtInControl(QVPoint& point)
{
  QVRect area(m_Rect);
  area.Normal();
  return area.PtInRect(point);
}

void QVControl::UpdateControl(bool erase)
{
  InvalidateRect(m_hWnd, nullptr, erase ? TRUE : FALSE);
  UpdateWindow(m_hWnd);
}

void QVControl::SetControlID(int32_t id) { m_ControlID = id; }
int32_t QVControl::GetControlID() { return m_ControlID; }

void QVControl::SetControlFont(QVDevice::qvdTextFace face, int16_t size, bool flag1, bool flag2)
{
  m_FontFace = face;
  m_FontSize = size;
  m_FontFlag1 = flag1;
  m_FontFlag2 = flag2;
}

void QVControl::ApplyControlFont(QVDevice& device)
{
  device.SetFontFace(m_FontFace, m_FontSize, m_FontFlag1, m_FontFlag2);
}

void QVControl::SetDestinationWindow(QVWindow* window) { m_Destination = window; }
void QVControl::SetTextOffset(int32_t offset) { m_TextOffset = offset; }
void QVControl::SetTextAlignment(int32_t alignment) { m_TextAlignment = alignment; }
void QVControl::SetTextColor(QVColor& color) { m_TextColor = color; }

void QVControl::DrawCaption(QVDevice& device, int32_t x, int32_t y, const QVColor& color, QVDevice::qvdTextAlign align)
{
  if (!m_Text[0])
    return;
  device.SetBkMode(TRANSPARENT);
  device.SetTextColor(color);
  device.SetTextAlign(align);
  ApplyControlFont(device);
  device.TextOutA(x, y, m_Text, int32_t(std::strlen(m_Text)));
  device.RestoreBkMode();
  device.RestoreTextColor();
  device.RestoreTextAlign();
}

void QVControl::CommonPaint(QVPaintDevice& device)
{
  QVRect area;
  device.GetPaintRect(area);
  RenderBackgroundImage(&device, area);
}
