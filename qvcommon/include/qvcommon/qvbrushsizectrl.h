#pragma once
#include "qvcommon/qvcontrol.h"

class BrushSizePopup;
class QVPicture;
class QVSlider;

// A picture button that edits a brush size (0..50) and a blur amount
// (0..25) at once. Releasing the mouse on it opens two popups: one to the
// right of the button with a vertical size slider, one below it with a
// horizontal blur slider. Every slider release is reported at once as one
// packed value, size * 65536 + blur. The popups close together when the
// activation moves to any window but the two of them and the button. The
// control owns its face picture, its popups and their sliders.
class QVCOMMON_API QVBrushSizeCtrl : public QVControl {
public:
  // The face is pictureId from the resources; no popups until Init.
  QVBrushSizeCtrl(QVRect rect, QVWindow* parent, QVResourceFile* resources, int32_t controlMessage, int32_t pictureId);
  // Deletes the sliders, then the popups, then the face picture.
  ~QVBrushSizeCtrl() override;
  // A button-up opens the popups (nothing before a successful Init); every
  // mouse event is taken. True.
  bool HandleMouseEvent(QVEvent& event) override;
  // The face picture. True.
  bool HandlePaint(QVEvent& event) override;
  // 102 (the size slider) or 101 (the blur slider): the value is stored and
  // reported (Update). True.
  bool HandleCommand(QVEvent& event) override;
  // Asked by a popup that loses the activation to `activated`: when that is
  // a window other than the popups and this control (and not none), both
  // popups close and the answer is true; else false.
  bool GetDirections(HWND activated) override;

  // Stores size and blur and makes the two popups (at the control's current
  // screen place) with their sliders, which report to this control. A second
  // call replaces (and deletes) what the first made. When memory runs out
  // the control keeps no popups, and clicks open nothing.
  void Init(int32_t blurTrackId, int32_t blurThumbId, int32_t sizeTrackId, int32_t sizeThumbId, int32_t size,
            int32_t blur);
  // Store the value; the sliders stay and nothing is sent.
  void SetSize(int32_t size);
  void SetBlur(int32_t blur);
  int32_t GetBrushSize();
  int32_t GetBlurSize();
  // Shows both popups at their anchors, the blur popup first, so the size
  // popup ends active. Nothing without them.
  void DisplaySliders();
  // Hides and repaints both popups, the blur popup first.
  void HideSliders();
  // Sends size * 65536 + blur, formed in 32-bit unsigned arithmetic and
  // sent as its signed 32-bit result.
  void Update();

protected:
  int32_t m_Size = 0;
  int32_t m_Blur = 0;
  QVPicture* m_FacePicture = nullptr;
  BrushSizePopup* m_BlurPopup = nullptr;
  BrushSizePopup* m_SizePopup = nullptr;
  QVSlider* m_BlurSlider = nullptr;
  QVSlider* m_SizeSlider = nullptr;

private:
  void DeletePopups();
};
