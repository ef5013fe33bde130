#pragma once
#include "qvcommon/qvcontrol.h"

#include <span>

class QVButtonGroup;
class QVPicture;

// Adds the delta to each of the three bytes of the pixel, clamped to
// 0..255, and returns the address of the next pixel.
QVCOMMON_API unsigned char* AdjustPixelClamped(unsigned char* pixel, int16_t delta);

// The framework's push, toggle, tool, check-box and three-state button. It
// shows its control picture (grey 187 when it has neither a valid control
// picture nor a background picture) with an optional caption, brightens or
// darkens its own pixels into a raised frame on hover and a sunken one when
// pressed (never when flat), swaps pictures when toggled and reports on a
// release inside.
//
// Pictures: the button owns each distinct picture held in its control
// picture, alternate or state fields; the check-on and check-off pictures
// only alias one of them. A picture is deleted when the last owning field
// lets go of it, and aliases of a deleted picture become null, so no picture
// is ever deleted twice or used after it went.
class QVCOMMON_API QVButton : public QVControl {
public:
  QVButton(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage);
  // Leaves its group, deletes each distinct picture it owns once, then the
  // control.
  ~QVButton() override;
  // The button's own fields to false, null and 0 (the control's are left).
  void Initialize() override;
  // CommonPaint, then DrawButton. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // A release inside (the pointer inside at its last move) turns the other
  // buttons of its group off, then changes the state: a button that is on
  // and not a tool button goes off, any other goes on; a toggle button swaps
  // its pictures and a three-state one moves to its next picture, both
  // repainting. Then it notifies: a check box or three-state button sends
  // its new picture's id + (extra data << 16) (id part 0 without a control
  // picture), any other button 0. A release outside only ends the press. The
  // notification comes last: the receiver may delete the button. True.
  bool HandleButtonUp(QVEvent& event) override;

public:
  // As the control's, but a control picture that the alternate or a state
  // field still holds is kept (only let go of), and aliases of a deleted
  // picture become null. False when the new picture cannot be made.
  bool SetControlBitmap(int32_t pictureId, int32_t resize, int32_t extra, int32_t pictureOffset) override;

  // ---- New virtual operations, in their fixed order ----
  // Grey fill when there is no valid control or background picture; the
  // control picture at (0, 0), or at (0, 5) in a check box; unless flat, the
  // frame: sunken when on and toggle, else while the pointer is inside
  // sunken when pressed, raised otherwise; the caption last.
  virtual void DrawButton(QVDevice& device);
  virtual void SetButtonOn();
  virtual void SetButtonOff();
  virtual bool ButtonOn();
  virtual void SetToggleButton(bool toggle);
  // Check-on := the control picture, check-off := the alternate picture.
  virtual void RecordCheckPictures();
  // Lets go of the alternate picture, makes the button a toggle button and
  // loads the new alternate picture from the control's resource file. 1; 0
  // (no alternate picture) when it cannot be allocated.
  virtual int16_t SetButtonAlternatePicture(int32_t pictureId);
  // Lets go of the alternate, state and control pictures, loads the three
  // state pictures and shows the first. 1; 0 when a picture cannot be
  // allocated (its field stays null).
  virtual int16_t SetStatePictures(int32_t id1, int32_t id2, int32_t id3);
  // What a release does without the group and the three-state step: a
  // release inside changes the state (as HandleButtonUp), swaps a toggle
  // button's pictures and repaints, then sends the value; a release outside
  // only ends the press. Derived buttons report values of their own with it.
  virtual void ExecuteButtonUp(QVEvent& event, int32_t value);
  // Leaves any earlier group and joins this one (null: none); the link is
  // kept only when the group took the button (a full group does not).
  virtual void AddToGroup(QVButtonGroup* group);
  virtual void SetExtraData(int32_t data);
  virtual int32_t GetExtraData();
  virtual void SetToolButton();
  // Non-zero: on, showing the check-on picture with check-off as the
  // alternate; zero: off, showing check-off with check-on as the alternate.
  // With either check picture unrecorded only the state changes. Repaints.
  virtual void SetCheck(int32_t check);
  // Exchanges the control and alternate pictures; nothing without an
  // alternate picture.
  virtual void SwapButtonPics();
  virtual void DeleteAltPicture();
  // Clears the three state fields, deleting those pictures that the control
  // picture does not hold.
  virtual void DeleteStatePictures();
  // Three-state buttons only: first -> second -> third -> first picture; a
  // control picture that is none of them stays.
  virtual void SwapStateButtonPics();
  // The client area captured, DrawBumpedState (-50, +50) (raised), drawn back.
  virtual void DrawStateOver(QVDevice& device);
  // The same with (+50, -50) (sunken).
  virtual void DrawStateDown(QVDevice& device);
  // Nothing.
  virtual void DrawStateOff(QVDevice& device);
  // Row by row in the picture's storage order: rows 0 and 1 get a, the last
  // two rows b, and every other row b on its first two pixels, then a on its
  // last two (rows narrower than 4 pixels are not overrun). Nothing for a
  // picture that is not 24-bit.
  virtual void DrawBumpedState(QVPicture& picture, int16_t a, int16_t b);

  // ---- Non-virtual ----
  // The caption at y = 3, transparent, in the text colour and control font:
  // centred on half the width with text alignment 2, else left-aligned at
  // the text offset. Nothing for an empty caption. The device's text state
  // is restored.
  void RenderText(QVDevice& device);
  void SetFlatButton();

  // A new button with the caption, its width fitted to the caption (the text
  // width + 5 + the text offset). Null when it cannot be allocated; with a
  // missing string the caption stays empty and the width is kept.
  static QVButton* CreateTextStringButton(QVWindow* parent, QVRect& rect, int32_t controlMessage,
                                          QVResourceFile* resources, const char* text, bool toggle);
  static QVButton* CreateTextStringButton(QVWindow* parent, QVRect& rect, int32_t controlMessage,
                                          QVResourceFile* resources, int32_t stringId, bool toggle);
  // A flat check box showing the first picture, with the second as its
  // alternate, both recorded as the check pictures; off until SetCheck or
  // SetButtonOn. Without a resource file it shows the framework's own boxes
  // 206 and 207. Null when it cannot be allocated.
  static QVButton* CreateCheckBoxButton(QVWindow* parent, QVRect& rect, int32_t controlMessage,
                                        QVResourceFile* resources, int32_t firstPictureId, int32_t secondPictureId,
                                        int32_t extraData);
  // A flat three-state button showing the first of its three pictures. Null
  // when it cannot be allocated.
  static QVButton* CreateTriStateButton(QVWindow* parent, QVRect& rect, int32_t controlMessage,
                                        QVResourceFile* resources, int32_t id1, int32_t id2, int32_t id3,
                                        int32_t extraData);

  // The framework's own check-box pictures.
  enum { kCheckOnPicture = 206, kCheckOffPicture = 207 };

protected:
  // The frame of DrawButton's third step (nothing when flat): sunken while
  // pressed inside, raised while the pointer is inside, and with toggleCase
  // sunken too whenever a toggle button is on.
  void DrawStateFrame(QVDevice& device, bool toggleCase);
  // The state change and toggle swap of a release inside (steps shared by
  // HandleButtonUp and ExecuteButtonUp).
  void ChangeStateOnRelease();
  // Deletes each distinct picture of the list that no owning field holds,
  // once, and nulls the check aliases of what it deleted.
  void LetGo(std::span<QVPicture* const> pictures);
  bool Owns(const QVPicture* picture) const;

  bool m_Toggle = false;
  bool m_ToolButton = false;
  bool m_Flat = false;
  bool m_On = false;
  bool m_TriState = false;
  bool m_CheckBox = false;
  QVPicture* m_AltPicture = nullptr;
  QVPicture* m_CheckOnPicture = nullptr;
  QVPicture* m_CheckOffPicture = nullptr;
  QVPicture* m_StatePictures[3] = {};
  QVButtonGroup* m_Group = nullptr;
  int32_t m_ExtraData = 0;

private:
  friend class QVButtonGroup;
};
