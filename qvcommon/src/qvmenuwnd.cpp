#include "qvcommon/qvmenuwnd.h"

#include "win32/windowing.h"

QVMenuWnd::QVMenuWnd(QVRect* rect, const char* title, QVResourceFile* resources, QVWindow* parent)
    : QVWindow(rect, title, eQVWindowStyleMenu, resources, parent, nullptr)
{
  m_MenuButtonWnd = nullptr;
  GetMainWndOffset();
  SetRenderBorder(1);
}

QVMenuWnd::~QVMenuWnd() = default;

bool QVMenuWnd::HandleCommand(QVEvent& event)
{
  QVWindow* parent = m_Parent;
  return parent ? parent->HandleCommand(event) : false;
}

bool QVMenuWnd::OnActivate() { return false; }

bool QVMenuWnd::OnDeactivate()
{
  HideWindow();
  InvalWindow(nullptr, 1);
  return true;
}

void QVMenuWnd::ShowWindow()
{
  GetMainWndOffset();
  QVRect rect(m_Rect);
  rect.Offset(m_Anchor.X() - rect.Left(), m_Anchor.Y() - rect.Top());
  SetWindowPos(rect, 1);
  QVWindow::ShowWindow(eQVShowNormal);
  SetActiveWindow(m_hWnd);
}

void QVMenuWnd::SetMenuButtonWnd(QVWindow* window) { m_MenuButtonWnd = window; }

void QVMenuWnd::GetMainWndOffset()
{
  if (!m_MenuButtonWnd)
    return;
  RECT r{};
  ::GetWindowRect(m_MenuButtonWnd->GetWnd(), &r);
  m_Anchor.SetPoint(r.left, r.bottom);
}
