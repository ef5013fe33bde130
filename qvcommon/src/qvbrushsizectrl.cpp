#include "qvcommon/qvbrushsizectrl.h"

#include "brushsizepopup.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvslider.h"

#include <new>
#include <utility>

namespace {

constexpr WPARAM kBlurCommand = 101;
constexpr WPARAM kSizeCommand = 102;

} // namespace

QVBrushSizeCtrl::QVBrushSizeCtrl(QVRect rect, QVWindow* parent, QVResourceFile* resources, int32_t controlMessage,
                                 int32_t pictureId)
    : QVControl(parent, rect, resources, controlMessage)
{
  m_FacePicture = new (std::nothrow) QVPicture(pictureId, resources);
}

QVBrushSizeCtrl::~QVBrushSizeCtrl()
{
  DeletePopups();
  delete m_FacePicture;
  m_FacePicture = nullptr;
}

void QVBrushSizeCtrl::DeletePopups()
{
  // The sliders are the popups' children: they go first. Each pointer is
  // cleared before its window goes, so an activation change on the way
  // finds no popup to ask about.
  for (QVSlider** slider : {&m_BlurSlider, &m_SizeSlider})
    delete std::exchange(*slider, nullptr);
  for (BrushSizePopup** popup : {&m_BlurPopup, &m_SizePopup})
    delete std::exchange(*popup, nullptr);
}

void QVBrushSizeCtrl::Init(int32_t blurTrackId, int32_t blurThumbId, int32_t sizeTrackId, int32_t sizeThumbId,
                           int32_t size, int32_t blur)
{
  DeletePopups();
  m_Size = size;
  m_Blur = blur;
  const QVRect r = GetWindowRect();
  QVRect blurRect;
  blurRect.SetLTWH(r.Left(), r.Bottom(), 104, 19);
  QVRect sizeRect;
  sizeRect.SetLTWH(r.Right(), r.Bottom() - 100, 22, 104);
  m_BlurPopup = new (std::nothrow) BrushSizePopup(&blurRect, m_ResourceFile, this);
  m_SizePopup = new (std::nothrow) BrushSizePopup(&sizeRect, m_ResourceFile, this);
  if (!m_BlurPopup || !m_SizePopup) {
    DeletePopups();
    return;
  }
  m_BlurPopup->SetVertical(false);
  m_SizePopup->SetVertical(true);
  QVRect sizeSlider;
  sizeSlider.SetLTWH(4, 2, 15, 100);
  m_SizeSlider = QVSlider::CreateVertSlider(m_SizePopup, sizeSlider, m_ResourceFile, int32_t(kSizeCommand), 0,
                                            sizeTrackId, sizeThumbId, m_ResourceFile, 0, 50, 1, size);
  QVRect blurSlider;
  blurSlider.SetLTWH(2, 2, 100, 15);
  m_BlurSlider = QVSlider::CreateHorzSlider(m_BlurPopup, blurSlider, m_ResourceFile, int32_t(kBlurCommand), 0,
                                            blurTrackId, blurThumbId, m_ResourceFile, 0, 25, 1, blur);
  if (!m_SizeSlider || !m_BlurSlider) {
    DeletePopups();
    return;
  }
  m_SizeSlider->SetDestinationWindow(this);
  m_BlurSlider->SetDestinationWindow(this);
}

void QVBrushSizeCtrl::SetSize(int32_t size) { m_Size = size; }
void QVBrushSizeCtrl::SetBlur(int32_t blur) { m_Blur = blur; }
int32_t QVBrushSizeCtrl::GetBrushSize() { return m_Size; }
int32_t QVBrushSizeCtrl::GetBlurSize() { return m_Blur; }

bool QVBrushSizeCtrl::HandleMouseEvent(QVEvent& event)
{
  if (event.GetEventType() == eQVButtonUpEvent)
    DisplaySliders();
  return true;
}

bool QVBrushSizeCtrl::HandlePaint(QVEvent&)
{
  QVPaintDevice device(this);
  if (m_FacePicture)
    m_FacePicture->Draw(&device);
  return true;
}

bool QVBrushSizeCtrl::HandleCommand(QVEvent& event)
{
  if (event.m_Command == kSizeCommand) {
    m_Size = int32_t(event.m_Value);
    Update();
  } else if (event.m_Command == kBlurCommand) {
    m_Blur = int32_t(event.m_Value);
    Update();
  }
  return true;
}

bool QVBrushSizeCtrl::GetDirections(HWND activated)
{
  if (!activated || !m_BlurPopup || !m_SizePopup || activated == m_BlurPopup->GetWnd() ||
      activated == m_SizePopup->GetWnd() || activated == GetWnd())
    return false;
  HideSliders();
  return true;
}

void QVBrushSizeCtrl::DisplaySliders()
{
  if (!m_BlurPopup || !m_SizePopup)
    return;
  m_BlurPopup->ShowWindow();
  m_SizePopup->ShowWindow();
}

void QVBrushSizeCtrl::HideSliders()
{
  for (BrushSizePopup* popup : {m_BlurPopup, m_SizePopup})
    if (popup) {
      popup->HideWindow();
      popup->InvalWindow(nullptr, 1);
    }
}

void QVBrushSizeCtrl::Update()
{
  const uint32_t packed = uint32_t(m_Size) * 65536u + uint32_t(m_Blur);
  SendControlMessage(LPARAM(int32_t(packed)), nullptr);
}
