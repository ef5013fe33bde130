#pragma once
#include "qvcommon/qvcontrol.h"

class QVButton;

// A vertical scroll control: an up and a down arrow button around a grey
// track. It scrolls nothing itself: each arrow makes the target window move
// inside its parent by the scroll amount (QVWindow::ScrollWindow). It shows
// no thumb, and the track takes clicks without acting on them.
class QVCOMMON_API QVScrollbar : public QVControl {
public:
  // Control message 0; no buttons until Init. The target is not owned.
  QVScrollbar(QVWindow* parent, QVRect& rect, QVResourceFile* resources, QVWindow* target, int32_t amount);
  // Deletes both buttons, then the control.
  ~QVScrollbar() override;
  // Every mouse message is taken (no dragging, no paging). True.
  bool HandleMouseEvent(QVEvent& event) override;
  // The track in grey (192, 192, 192). True.
  bool HandlePaint(QVEvent& event) override;
  // 101 (up arrow) moves the target down, 102 (down arrow) up, by the
  // amount; nothing without a target. True for every command.
  bool HandleCommand(QVEvent& event) override;

  // The arrow buttons, 9 px high, across the top and bottom of the client
  // area, with the given pictures and control messages 101 and 102. A
  // second call replaces (and deletes) the buttons of the first. Buttons
  // that cannot be allocated stay absent.
  void Init(int32_t upPictureId, int32_t downPictureId);
  // Between the buttons, in client coordinates: (0, 9) to (client right,
  // client bottom - 9).
  QVRect GetTrackRect();
  // The pixels moved per arrow press.
  int32_t GetScrollAmt();
  // Stores the two bounds; nothing reads them.
  void SetMinMax(int32_t minimum, int32_t maximum);

protected:
  QVWindow* m_Target = nullptr;
  int32_t m_Amount = 0;
  int32_t m_Reserved[2] = {0, 0};
  QVButton* m_UpButton = nullptr;
  QVButton* m_DownButton = nullptr;
};
