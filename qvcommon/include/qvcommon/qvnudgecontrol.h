#pragma once
#include "qvcommon/qvcontrol.h"

class QVPicture;

// A pad of four arrows (1 top, 2 bottom, 3 left, 4 right), all made from
// one arrow picture pointing up by rotation, each with a normal and a hot
// form. The arrow under the pointer is drawn hot; a release over it reports
// its number (1..4) as the control's value. The control owns its eight
// pictures.
class QVCOMMON_API QVNudgeControl : public QVControl {
public:
  // No pictures: nothing is drawn and nothing is hit until SetNudgePicIDs.
  QVNudgeControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources, int32_t controlMessage);
  // A pad with the arrows pictureId and hotPictureId, or, for picture id
  // 0, the framework's own arrows 701 and 702 (the control then loads from
  // a resource file of its own on the framework's module). Null when the
  // control cannot be allocated.
  static QVNudgeControl* CreateNudgeControl(QVWindow* parent, QVRect& rect, QVResourceFile* resources,
                                            int32_t controlMessage, int32_t pictureId, int32_t hotPictureId);

  // Deletes the eight pictures, then the control.
  ~QVNudgeControl() override;
  // No arrow hot.
  void Initialize() override;
  // DrawNudgeControl through a paint device. True.
  bool HandlePaint(QVEvent& event) override;

protected:
  // The control's handling, and its result.
  bool HandleButtonDown(QVEvent& event) override;
  // The control's handling, then, when an arrow is hot, SendControlMessage
  // (its number). True.
  bool HandleButtonUp(QVEvent& event) override;
  // Roll-over tracking, then the arrow under the pointer becomes the hot
  // one (repainting when that changes). True.
  bool HandleMouseMove(QVEvent& event) override;

public:
  // The control's handling; a hot arrow is cleared and the pad repainted.
  void OnMouseLeave(QVPoint& point) override;

  // Loads the top arrows, turns copies into the other three (180, -90 and
  // 90 degrees clockwise) and lays the four out in their natural size,
  // scaled to the control's client size: the top and bottom arrows between
  // the left and right ones. Replaces (and deletes) any pictures set
  // before. Always 0; pictures that do not load leave a pad with no layout.
  virtual int16_t SetNudgePicIDs(int32_t pictureId, int32_t hotPictureId);
  // Every arrow that is not hot stretched into its rectangle, then the hot
  // one in its hot form. Nothing without a layout.
  virtual void DrawNudgeControl(QVDevice& device);
  // The first of the arrows 1..4 whose rectangle holds the point, edges
  // included; -1 for none, and always without a layout.
  virtual int16_t GetHitQuad(QVPoint& point);

protected:
  QVPicture* m_TopPicture = nullptr;
  QVPicture* m_BottomPicture = nullptr;
  QVPicture* m_LeftPicture = nullptr;
  QVPicture* m_RightPicture = nullptr;
  QVPicture* m_TopHotPicture = nullptr;
  QVPicture* m_BottomHotPicture = nullptr;
  QVPicture* m_LeftHotPicture = nullptr;
  QVPicture* m_RightHotPicture = nullptr;
  QVRect m_QuadRect1;
  QVRect m_QuadRect2;
  QVRect m_QuadRect3;
  QVRect m_QuadRect4;
  int16_t m_HotQuadrant = -1;

private:
  // Whether pictures are set and their natural layout has a size.
  bool HasLayout() const;
  void DeletePictures();
};
