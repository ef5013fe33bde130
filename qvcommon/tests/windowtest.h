#pragma once
// Helpers for the window-layer tests: a framework window that records what
// reaches its handlers, and the test executable's own resources.
#include "qvcommon/qvwindow.h"

#include "qvcommon/qvresourcefile.h"
#include "win32/automation.h"
#include "win32/drawing.h"
#include "win32/gdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// windows.res: picture 300 (16 x 12: a red square at 1..4, 1..4 on white),
// string 500 "Label".
constexpr int32_t kTilePicture = 300;
constexpr int32_t kLabelString = 500;

inline QVResourceFile& TestResources()
{
  static QVResourceFile resources(standin::MainModule());
  return resources;
}

class Probe : public QVWindow {
public:
  Probe(const QVRect& rect, eQVWindowStyles type, QVWindow* parent = nullptr, HWND parentHandle = nullptr)
      : QVWindow(&rect, "Probe", type, &TestResources(), parent, parentHandle)
  {
  }
  explicit Probe(HWND foreign) : QVWindow(foreign) {}

  bool HandleCreateEvent(QVEvent& event) override
  {
    ++creates;
    return QVWindow::HandleCreateEvent(event);
  }
  bool HandleSizeEvent(QVEvent&) override
  {
    sizeLeft.push_back(Left());
    sizeWidth.push_back(Width());
    sizeClient.push_back(GetClientRect());
    return false;
  }
  bool HandleCommand(QVEvent& event) override
  {
    commands.push_back(event);
    return true;
  }
  bool HandleKeyEvent(QVEvent& event) override
  {
    keys.push_back(event);
    return false;
  }
  bool OnActivate() override
  {
    ++activations;
    return activateResult;
  }
  bool OnDeactivate() override
  {
    ++deactivations;
    return false;
  }

  QVWindow* const* Shadows() const { return m_ShadowWindows; }
  const QVColor& Background() const { return m_BGColor; }

  int creates = 0;
  int activations = 0;
  int deactivations = 0;
  bool activateResult = false;
  std::vector<int32_t> sizeLeft, sizeWidth;
  std::vector<QVRect> sizeClient;
  std::vector<QVEvent> commands;
  std::vector<QVEvent> keys;
};

class WindowLayer : public ::testing::Test {
protected:
  void TearDown() override
  {
    QVWindow::m_HotKeyWindow = nullptr;
    standin::Reset();
  }
};

constexpr COLORREF kClassGrey = RGB(187, 187, 187);

// The size of the text in a device context's initial font (the GUI default
// font, which controls without a font of their own use).
inline SIZE TextSize(const char* text)
{
  HDC dc = GetDC(nullptr);
  SIZE size{};
  GetTextExtentPoint32A(dc, text, int(std::strlen(text)), &size);
  ReleaseDC(nullptr, dc);
  return size;
}

// Moves the pointer onto the point twice: whoever held the capture sees the
// first move (and lets go), so the control under the point sees the second
// and the pointer enters it. Queued only; pump to deliver.
inline void Hover(HWND window, int x, int y)
{
  standin::Move(window, x, y);
  standin::Move(window, x, y);
}

// Hover, then a click on the same point, delivered.
inline void HoverClick(HWND window, int x, int y)
{
  Hover(window, x, y);
  standin::Click(window, x, y);
  standin::Pump();
}
