#include "qvcommon/qvbutton.h"

#include "qvcommon/qvbuttongroup.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvresourcefile.h"

#include <algorithm>
#include <array>
#include <new>

unsigned char* AdjustPixelClamped(unsigned char* pixel, int16_t delta)
{
  for (int i = 0; i < 3; ++i)
    pixel[i] = static_cast<unsigned char>(std::clamp(pixel[i] + delta, 0, 255));
  return pixel + 3;
}

QVButton::QVButton(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage)
    : QVControl(parent, rect, resources, controlMessage)
{
  QVButton::Initialize();
}

QVButton::~QVButton()
{
  if (m_Group)
    m_Group->RemoveButton(this);
  QVPicture* const owned[] = {m_Picture, m_AltPicture, m_StatePictures[0], m_StatePictures[1], m_StatePictures[2]};
  m_Picture = m_AltPicture = nullptr;
  std::fill(std::begin(m_StatePictures), std::end(m_StatePictures), nullptr);
  LetGo(owned);
}

void QVButton::Initialize()
{
  m_Toggle = m_ToolButton = m_Flat = m_On = m_TriState = m_CheckBox = false;
  m_AltPicture = m_CheckOnPicture = m_CheckOffPicture = nullptr;
  std::fill(std::begin(m_StatePictures), std::end(m_StatePictures), nullptr);
  m_Group = nullptr;
  m_ExtraData = 0;
}

// ---- Picture ownership ------------------------------------------------------------

bool QVButton::Owns(const QVPicture* picture) const
{
  return picture &&
         (picture == m_Picture || picture == m_AltPicture ||
          std::find(std::begin(m_StatePictures), std::end(m_StatePictures), picture) != std::end(m_StatePictures));
}

void QVButton::LetGo(std::span<QVPicture* const> pictures)
{
  for (auto it = pictures.begin(); it != pictures.end(); ++it) {
    QVPicture* picture = *it;
    // Each distinct picture once, and only when no field still holds it.
    if (!picture || Owns(picture) || std::find(pictures.begin(), it, picture) != it)
      continue;
    if (m_CheckOnPicture == picture)
      m_CheckOnPicture = nullptr;
    if (m_CheckOffPicture == picture)
      m_CheckOffPicture = nullptr;
    delete picture;
  }
}

bool QVButton::SetControlBitmap(int32_t pictureId, int32_t resize, int32_t extra, int32_t pictureOffset)
{
  // Detached first, so that the base deletes nothing another field holds.
  QVPicture* old = m_Picture;
  m_Picture = nullptr;
  const bool made = QVControl::SetControlBitmap(pictureId, resize, extra, pictureOffset);
  LetGo({&old, 1});
  return made;
}

int16_t QVButton::SetButtonAlternatePicture(int32_t pictureId)
{
  QVPicture* old = m_AltPicture;
  m_AltPicture = nullptr;
  LetGo({&old, 1});
  m_Toggle = true;
  m_AltPicture = new (std::nothrow) QVPicture(pictureId, m_ResourceFile);
  return m_AltPicture ? 1 : 0;
}

int16_t QVButton::SetStatePictures(int32_t id1, int32_t id2, int32_t id3)
{
  QVPicture* const old[] = {m_AltPicture, m_StatePictures[0], m_StatePictures[1], m_StatePictures[2], m_Picture};
  m_AltPicture = m_Picture = nullptr;
  std::fill(std::begin(m_StatePictures), std::end(m_StatePictures), nullptr);
  LetGo(old);
  const int32_t ids[] = {id1, id2, id3};
  bool all = true;
  for (int i = 0; i < 3; ++i) {
    m_StatePictures[i] = new (std::nothrow) QVPicture(ids[i], m_ResourceFile);
    all = all && m_StatePictures[i];
  }
  m_Picture = m_StatePictures[0];
  return all ? 1 : 0;
}

void QVButton::RecordCheckPictures()
{
  m_CheckOnPicture = m_Picture;
  m_CheckOffPicture = m_AltPicture;
}

void QVButton::SetCheck(int32_t check)
{
  m_On = check != 0;
  if (m_CheckOnPicture && m_CheckOffPicture) {
    QVPicture* const oldPicture = m_Picture;
    QVPicture* const oldAlternate = m_AltPicture;
    m_Picture = m_On ? m_CheckOnPicture : m_CheckOffPicture;
    m_AltPicture = m_On ? m_CheckOffPicture : m_CheckOnPicture;
    LetGo(std::array{oldPicture, oldAlternate});
  }
  UpdateControl(false);
}

void QVButton::SwapButtonPics()
{
  if (m_AltPicture)
    std::swap(m_Picture, m_AltPicture);
}

void QVButton::DeleteAltPicture()
{
  QVPicture* old = m_AltPicture;
  m_AltPicture = nullptr;
  LetGo({&old, 1});
}

void QVButton::DeleteStatePictures()
{
  QVPicture* const old[] = {m_StatePictures[0], m_StatePictures[1], m_StatePictures[2]};
  std::fill(std::begin(m_StatePictures), std::end(m_StatePictures), nullptr);
  LetGo(old);
}

void QVButton::SwapStateButtonPics()
{
  if (!m_TriState || !m_Picture)
    return;
  for (int i = 0; i < 3; ++i)
    if (m_Picture == m_StatePictures[i]) {
      m_Picture = m_StatePictures[(i + 1) % 3];
      return;
    }
}

// ---- State ---------------------------------------------------------------------------

void QVButton::SetButtonOn() { m_On = true; }
void QVButton::SetButtonOff() { m_On = false; }
bool QVButton::ButtonOn() { return m_On; }
void QVButton::SetToggleButton(bool toggle) { m_Toggle = toggle; }
void QVButton::SetExtraData(int32_t data) { m_ExtraData = data; }
int32_t QVButton::GetExtraData() { return m_ExtraData; }
void QVButton::SetToolButton() { m_ToolButton = true; }
void QVButton::SetFlatButton() { m_Flat = true; }

void QVButton::AddToGroup(QVButtonGroup* group)
{
  if (m_Group && m_Group != group)
    m_Group->RemoveButton(this);
  if (group)
    group->AddButton(this);
}

// ---- Release ------------------------------------------------------------------------

void QVButton::ChangeStateOnRelease()
{
  if (m_On && !m_ToolButton)
    SetButtonOff();
  else
    SetButtonOn();
  if (m_Toggle) {
    SwapButtonPics();
    UpdateControl(false);
  }
}

bool QVButton::HandleButtonUp(QVEvent& event)
{
  // Inside is where the last move left the pointer; the control's handling
  // clears the flag.
  const bool inside = m_MouseInside;
  if (inside && m_Group)
    m_Group->ButtonDown(this);
  QVControl::HandleButtonUp(event);
  if (!inside)
    return true;
  ChangeStateOnRelease();
  if (m_TriState) {
    SwapStateButtonPics();
    UpdateControl(false);
  }
  LPARAM value = 0;
  if (m_TriState || m_CheckBox) {
    // The extra data's low 16 bits form the high half of a 32-bit value.
    const uint32_t id = m_Picture ? uint32_t(m_Picture->GetPictureID()) : 0;
    value = LPARAM(int32_t(id + (uint32_t(m_ExtraData) << 16)));
  }
  SendControlMessage(value, nullptr);
  return true;
}

void QVButton::ExecuteButtonUp(QVEvent& event, int32_t value)
{
  const bool inside = m_MouseInside;
  QVControl::HandleButtonUp(event);
  if (!inside)
    return;
  ChangeStateOnRelease();
  SendControlMessage(value, nullptr);
}

// ---- Painting ------------------------------------------------------------------------

bool QVButton::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  CommonPaint(device);
  DrawButton(device);
  return true;
}

void QVButton::DrawButton(QVDevice& device)
{
  const bool picture = m_Picture && m_Picture->ValidPicture();
  if (!picture && !(m_BackgroundPicture && m_BackgroundPicture->ValidPicture())) {
    const QVColor grey(187, 187, 187);
    device.SetDeviceBrush(&grey);
    device.PaintRect(GetClientRect());
    device.DestroyBrush();
  }
  if (picture)
    m_Picture->Draw(&device, 0, m_CheckBox ? 5 : 0);
  DrawStateFrame(device, true);
  RenderText(device);
}

void QVButton::DrawStateFrame(QVDevice& device, bool toggleCase)
{
  if (m_Flat)
    return;
  if (toggleCase && m_On && m_Toggle)
    DrawStateDown(device);
  else if (m_MouseInside && m_ButtonDown)
    DrawStateDown(device);
  else if (m_MouseInside)
    DrawStateOver(device);
  else
    DrawStateOff(device);
}

void QVButton::RenderText(QVDevice& device)
{
  const bool centred = m_TextAlignment == 2;
  DrawCaption(device, centred ? GetClientRect().Width() / 2 : m_TextOffset, 3, m_TextColor,
              centred ? QVDevice::qvdCenter : QVDevice::qvdLeft);
}

void QVButton::DrawStateOver(QVDevice& device)
{
  QVPicture picture(GetClientRect(), &device);
  DrawBumpedState(picture, -50, 50);
  picture.Draw(&device, 0, 0);
}

void QVButton::DrawStateDown(QVDevice& device)
{
  QVPicture picture(GetClientRect(), &device);
  DrawBumpedState(picture, 50, -50);
  picture.Draw(&device, 0, 0);
}

void QVButton::DrawStateOff(QVDevice&) {}

void QVButton::DrawBumpedState(QVPicture& picture, int16_t a, int16_t b)
{
  const int32_t width = picture.Width(), height = picture.Height();
  if (picture.GetPictureDepth() != 24 || width <= 0 || picture.GetPictureRowBytes() < int64_t{width} * 3)
    return;
  for (int32_t row = 0; row < height; ++row) {
    unsigned char* pixels = picture.GetPictureRow(row);
    if (!pixels)
      continue;
    if (row <= 1 || row >= height - 2) {
      const int16_t delta = row <= 1 ? a : b;
      for (int32_t x = 0; x < width; ++x)
        AdjustPixelClamped(pixels + x * 3, delta);
    } else {
      for (int32_t x = 0; x <= std::min(1, width - 1); ++x)
        AdjustPixelClamped(pixels + x * 3, b);
      for (int32_t x = std::max(0, width - 2); x < width; ++x)
        AdjustPixelClamped(pixels + x * 3, a);
    }
    picture.SetPictureRow(row);
  }
}

// ---- Factories ------------------------------------------------------------------------

namespace {

// A new button with the toggle flag and the caption (text or string id),
// fitted to it; null without memory.
template <class Caption>
QVButton* NewTextButton(QVWindow* parent, QVRect& rect, int32_t controlMessage, QVResourceFile* resources,
                        Caption caption, bool toggle)
{
  QVButton* button = new (std::nothrow) QVButton(parent, rect, resources, controlMessage);
  if (!button)
    return nullptr;
  button->SetToggleButton(toggle);
  button->SetControlText(caption, 1, 0);
  return button;
}

} // namespace

QVButton* QVButton::CreateTextStringButton(QVWindow* parent, QVRect& rect, int32_t controlMessage,
                                           QVResourceFile* resources, const char* text, bool toggle)
{
  return NewTextButton(parent, rect, controlMessage, resources, text, toggle);
}

QVButton* QVButton::CreateTextStringButton(QVWindow* parent, QVRect& rect, int32_t controlMessage,
                                           QVResourceFile* resources, int32_t stringId, bool toggle)
{
  return NewTextButton(parent, rect, controlMessage, resources, stringId, toggle);
}

QVButton* QVButton::CreateCheckBoxButton(QVWindow* parent, QVRect& rect, int32_t controlMessage,
                                         QVResourceFile* resources, int32_t firstPictureId, int32_t secondPictureId,
                                         int32_t extraData)
{
  // Without a resource file the button loads from the framework's module,
  // whose own boxes these are.
  if (!resources) {
    firstPictureId = kCheckOnPicture;
    secondPictureId = kCheckOffPicture;
  }
  QVButton* button = new (std::nothrow) QVButton(parent, rect, resources, controlMessage);
  if (!button)
    return nullptr;
  button->SetFlatButton();
  button->m_CheckBox = true;
  button->m_ToolButton = false;
  button->SetControlBitmap(firstPictureId, 0, 0, 0);
  button->SetButtonAlternatePicture(secondPictureId);
  button->RecordCheckPictures();
  button->SetExtraData(extraData);
  return button;
}

QVButton* QVButton::CreateTriStateButton(QVWindow* parent, QVRect& rect, int32_t controlMessage,
                                         QVResourceFile* resources, int32_t id1, int32_t id2, int32_t id3,
                                         int32_t extraData)
{
  QVButton* button = new (std::nothrow) QVButton(parent, rect, resources, controlMessage);
  if (!button)
    return nullptr;
  button->SetFlatButton();
  button->m_TriState = true;
  button->SetStatePictures(id1, id2, id3);
  button->SetExtraData(extraData);
  return button;
}
