#include "qvcommon/qvcommondialog.h"

#include "win32/windowing.h"

QVCommonDialog::QVCommonDialog(const QVRect* rect, const char* title, QVResourceFile* resources, QVWindow* parent)
    : QVWindow(rect, title, eQVWindowStyleDialog, resources, parent, nullptr)
{
}

QVCommonDialog::~QVCommonDialog() = default;

bool QVCommonDialog::HandleCommand(QVEvent&)
{
  EndDialog();
  return true;
}

bool QVCommonDialog::HandleDestroyEvent(QVEvent&)
{
  EndDialog();
  InvalWindow(nullptr, 1);
  return true;
}

bool QVCommonDialog::HandleCloseEvent(QVEvent&)
{
  EndDialog();
  InvalWindow(nullptr, 1);
  return true;
}

void QVCommonDialog::DoDialog()
{
  ShowWindow(eQVShowNormal);
  MSG msg;
  // WM_QUIT ends the loop and is consumed here; Win32's own modal loops
  // post it again for the loop outside, this one does not.
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    if (m_EndFlag)
      break; // the message just taken is dropped
    const bool ours = msg.hwnd && (msg.hwnd == m_hWnd || IsChild(m_hWnd, msg.hwnd));
    // Painting is not interaction: other windows still paint, or their
    // unvalidated WM_PAINT would come straight back.
    if (ours || (msg.hwnd && msg.message == WM_PAINT)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (m_EndFlag)
      break;
  }
}

void QVCommonDialog::EndDialog() { m_EndFlag = true; }
