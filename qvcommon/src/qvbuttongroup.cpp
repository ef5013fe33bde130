#include "qvcommon/qvbuttongroup.h"

#include "qvcommon/qvbutton.h"

#include <algorithm>

QVButtonGroup::QVButtonGroup() = default;

QVButtonGroup::~QVButtonGroup()
{
  for (QVButton*& button : m_Buttons)
    if (button) {
      button->m_Group = nullptr;
      button = nullptr;
    }
}

void QVButtonGroup::AddButton(QVButton* button)
{
  if (!button || ButtonInGroup(button))
    return;
  QVButton** slot = std::find(std::begin(m_Buttons), std::end(m_Buttons), nullptr);
  if (slot == std::end(m_Buttons))
    return;
  if (button->m_Group)
    button->m_Group->RemoveButton(button);
  *slot = button;
  button->m_Group = this;
}

bool QVButtonGroup::ButtonInGroup(QVButton* button)
{
  return button && std::find(std::begin(m_Buttons), std::end(m_Buttons), button) != std::end(m_Buttons);
}

void QVButtonGroup::ButtonDown(QVButton* pressed)
{
  if (!ButtonInGroup(pressed))
    return;
  for (QVButton* button : m_Buttons)
    if (button && button != pressed) {
      button->SetButtonOff();
      button->InvalWindow(nullptr, 1);
    }
}

void QVButtonGroup::RemoveButton(QVButton* button)
{
  for (QVButton*& slot : m_Buttons)
    if (button && slot == button) {
      slot = nullptr;
      button->m_Group = nullptr;
    }
}
