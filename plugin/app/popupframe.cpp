#include "popupframe.h"

#include "qvcommon/qvdevice.h"
#include "qvcommon/qvwindow.h"
#include "win32/gdi.h"
#include "win32/windowing.h"

#include <cstring>

void CentreOnParent(QVWindow& popup, int32_t width, int32_t height)
{
  QVWindow* parent = popup.GetParentWnd();
  if (!parent) {
    popup.SetWindowPos(0, 0, width, height, 1);
    return;
  }
  const QVRect p = parent->GetWindowRect();
  popup.SetWindowPos(p.Left() + (p.Width() - width) / 2, p.Top() + (p.Height() - height) / 2, width, height, 1);
}

void DrawPopupFrame(QVDevice& device, const QVRect& client, const char* title)
{
  const QVColor black(0, 0, 0);
  device.SetDeviceBrush(&black);
  device.DrawFrameRect(client);
  QVRect inside = client;
  inside.Inset(1, 1);
  device.DrawRaisedEdge(inside);
  device.SetFontFace(QVDevice::qvdArial, 17, true, false);
  device.SetTextColor(black);
  device.SetBkMode(TRANSPARENT);
  device.SetTextAlign(QVDevice::qvdLeft);
  device.TextOutA(5, 5, title, static_cast<int32_t>(std::strlen(title)));
  device.RestoreTextAlign();
  device.RestoreBkMode();
  device.RestoreTextColor();
}

void ClosePopup(QVWindow& popup)
{
  popup.HideWindow();
  if (QVWindow* parent = popup.GetParentWnd())
    parent->EnableWindow(1);
  PostMessageA(nullptr, WM_NULL, 0, reinterpret_cast<LPARAM>(&popup));
}
