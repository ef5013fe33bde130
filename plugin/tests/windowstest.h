#pragma once
// Helpers shared by the tests of the application's windows. The test
// executable carries LumivexPI's resource list, so the plug-in's art,
// strings and cursor come from the executable's own module, as they come
// from LumivexPI's when the host loads it.
#include "controlpanel.h"
#include "lumivexwindow.h"
#include "previewpane.h"
#include "qvbuttonmouseover.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvpicture.h"
#include "qvcommon/qvresourcefile.h"
#include "testpanel.h"

#include <cstring>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace wintest {

// The art's colours (tools/artgen's palette).
constexpr COLORREF kFace = RGB(40, 40, 40), kFrame = RGB(160, 160, 160), kAccent = RGB(249, 229, 0),
                   kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255), kYellow = RGB(255, 255, 0);

// The plug-in's picture of that id, read from this module's resources once.
inline const QVPicture& Picture(int32_t id)
{
  static std::map<int32_t, std::unique_ptr<QVPicture>> pictures;
  std::unique_ptr<QVPicture>& picture = pictures[id];
  if (!picture)
    picture = std::make_unique<QVPicture>(id, &AppResources());
  return *picture;
}

// The colour of the picture's pixel (x, y), row 0 at the top; CLR_INVALID
// outside it.
inline COLORREF ArtPixel(int32_t id, int x, int y)
{
  auto& picture = const_cast<QVPicture&>(Picture(id));
  if (!picture.ValidPicture() || x < 0 || y < 0 || x >= picture.Width() || y >= picture.Height())
    return CLR_INVALID;
  const unsigned char* row = picture.GetPictureRow(y);
  return row ? RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]) : CLR_INVALID;
}

// How many of the picture's pixels the target does not show with the
// picture's top left at (left, top); every pixel when the picture is
// missing.
inline int PixelsUnlike(standin::SurfaceTarget target, int32_t id, int left = 0, int top = 0)
{
  const QVPicture& picture = Picture(id);
  if (!picture.ValidPicture())
    return 1 << 30;
  const standin::PixelView view = standin::ViewPixels(target);
  int unlike = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      unlike += view.At(left + x, top + y) != ArtPixel(id, x, y);
  return unlike;
}

// How many pixels of the rectangle (client coordinates) have the colour.
inline int Count(standin::SurfaceTarget target, RECT area, COLORREF colour)
{
  const standin::PixelView view = standin::ViewPixels(target);
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      n += view.At(x, y) == colour;
  return n;
}

// One command as it reached the main window.
struct Command {
  int32_t id;
  LPARAM value;
  int32_t extra;
  friend bool operator==(const Command&, const Command&) = default;
  friend void PrintTo(const Command& c, std::ostream* out)
  {
    *out << "{" << c.id << ", " << c.value << ", " << c.extra << "}";
  }
};

// A visible captioned window at the rectangle (screen coordinates) that
// records every command reaching it. It is painted at once, so that its own
// paint never covers controls made in it later.
class RecordingWindow : public QVWindow {
public:
  explicit RecordingWindow(const QVRect& rect)
      : QVWindow(&rect, "Owner", eQVWindowStyleStaticMainCaption, &AppResources(), nullptr, nullptr)
  {
    ShowWindow(eQVShowNormal);
    standin::Pump();
  }
  bool HandleCommand(QVEvent& event) override
  {
    commands.push_back({static_cast<int32_t>(event.m_Command), event.m_Value, 0});
    return true;
  }
  std::vector<Command> commands;
};

// The main window with its fields in reach and the commands that reach it
// recorded (then handled as usual).
class TestWindow : public LumivexWindow {
public:
  explicit TestWindow(bool dialogWanted = true, HWND parent = nullptr) : LumivexWindow(&Empty(), nullptr, parent)
  {
    m_DialogWanted = dialogWanted ? 1 : 0;
  }
  bool HandleCommand(QVEvent& event) override
  {
    commands.push_back({static_cast<int32_t>(event.m_Command), event.m_Value, EventExtra(event)});
    return LumivexWindow::HandleCommand(event);
  }
  // A command as a control sends it.
  void Send(int32_t id, LPARAM value = 0, int32_t extra = 0)
  {
    QVEvent event(this, WM_COMMAND, static_cast<WPARAM>(id), value);
    SetEventExtra(event, extra);
    HandleCommand(event);
  }
  static QVRect& Empty()
  {
    static QVRect empty;
    return empty;
  }
  // Drops the corrected preview, so that PreviewRan tells whether a
  // preview run made a new one.
  void ForgetPreview()
  {
    if (m_PreviewPane && m_PreviewPane->GetImage() == m_CorrectedPreview)
      m_PreviewPane->SetImage(nullptr);
    delete m_CorrectedPreview;
    m_CorrectedPreview = nullptr;
  }
  bool PreviewRan() const { return m_CorrectedPreview != nullptr; }

  using LumivexWindow::m_AutomaticButton;
  using LumivexWindow::m_AutomaticMode;
  using LumivexWindow::m_Blue;
  using LumivexWindow::m_Brightness;
  using LumivexWindow::m_BusyPicture;
  using LumivexWindow::m_ControlDown;
  using LumivexWindow::m_ControlPanel;
  using LumivexWindow::m_CorrectedPreview;
  using LumivexWindow::m_CurrentImage;
  using LumivexWindow::m_CustomButton;
  using LumivexWindow::m_DescreenOn;
  using LumivexWindow::m_DespeckleOn;
  using LumivexWindow::m_DialogWanted;
  using LumivexWindow::m_EmptyPicture;
  using LumivexWindow::m_EnhanceOn;
  using LumivexWindow::m_FileInfo;
  using LumivexWindow::m_FileSpec;
  using LumivexWindow::m_FullSizeView;
  using LumivexWindow::m_Green;
  using LumivexWindow::m_HintPane;
  using LumivexWindow::m_PresetMenu;
  using LumivexWindow::m_PreviewPane;
  using LumivexWindow::m_ProgressBar;
  using LumivexWindow::m_Red;
  using LumivexWindow::m_ReducedPreview;
  using LumivexWindow::m_Saturation;
  using LumivexWindow::m_Settings;
  using LumivexWindow::m_SubDetailAmount;
  using LumivexWindow::m_SubDetailOn;
  using LumivexWindow::m_TitleStrip;
  using LumivexWindow::m_UncorrectedPreview;
  using LumivexWindow::m_ViewMode;

  std::vector<Command> commands;
};

// Whether the window itself is shown (its parent may be hidden).
inline bool Shown(const QVWindow* window)
{
  return window && (GetWindowLongA(window->GetWnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

// The remembered preset's name; "(none)" when none is remembered.
inline std::string CurrentPreset(LumivexWindow& window)
{
  char* name = window.GetCurrentPreset();
  const std::string text = name ? name : "(none)";
  delete[] name;
  return text;
}

// Every test starts on a 1024 x 768 screen with an empty registry and no
// application object; the framework's host module is this executable.
class Windows : public apptest::Registry {
protected:
  void SetUp() override
  {
    apptest::Registry::SetUp();
    standin::SetScreen(1024, 768, 32);
    SetHostInstance(standin::MainModule());
    standin::ClearDialogLog();
    standin::ClearShellRequests();
  }
  void TearDown() override { standin::Reset(); }
};

// A 24-bit image of the size in one colour.
inline std::unique_ptr<QVImage> Image(int width, int height, QVColor colour = QVColor(90, 140, 200))
{
  return std::make_unique<QVImage>(width, height, 3, &colour);
}

} // namespace wintest
