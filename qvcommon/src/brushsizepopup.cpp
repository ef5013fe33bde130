#include "brushsizepopup.h"

#include "win32/windowing.h"

BrushSizePopup::BrushSizePopup(QVRect* rect, QVResourceFile* resources, QVWindow* owner)
    : QVMenuWnd(rect, nullptr, resources, owner)
{
  SetMenuButtonWnd(owner);
  HideWindow();
}

BrushSizePopup::~BrushSizePopup() = default;

bool BrushSizePopup::OnDeactivate()
{
  if (m_Parent && m_Parent->GetDirections(m_ActivatePartner))
    QVMenuWnd::OnDeactivate();
  return true;
}

void BrushSizePopup::GetMainWndOffset()
{
  if (!m_MenuButtonWnd)
    return;
  RECT owner{};
  ::GetWindowRect(m_MenuButtonWnd->GetWnd(), &owner);
  if (m_Vertical)
    m_Anchor.SetPoint(owner.right, owner.top - 70);
  else
    m_Anchor.SetPoint(owner.left - 65, owner.bottom);
}

void BrushSizePopup::SetVertical(bool vertical) { m_Vertical = vertical; }
