#pragma once
#include "qvcommon/qvwindow.h"

class QVListViewAccess;

// A small view window with a 2-px client edge (window type 10) that, when
// sunken, also draws black lines on the left and top of its client area.
// Nothing in the framework creates one: its constructor is private.
class QVCOMMON_API QVListView : public QVWindow {
public:
  ~QVListView() override;
  // The window's painting, then, when sunken, black left and top edges and
  // white right and bottom ones (on column `right` and row `bottom`, one
  // past the client area, where they do not show). True.
  bool HandlePaint(QVEvent& event) override;

private:
  friend class QVListViewAccess; // tests
  QVListView(QVWindow* parent, QVRect& rect, QVResourceFile* resources);
  void SetSunken();

  bool m_Sunken = false;
};
