// Speed of the control panel's live preview: the real main window, control
// panel and preview pane, headless on lumivex-host's 1280 x 1024 screen,
// with a generated 6000 x 4000 photograph (the pane shows a 954 x 636
// reduced copy of it). Each iteration drags the Contrast slider's thumb by
// 40 pixels and releases it, alternately right and left, as a person does;
// the release re-corrects the preview and the pane draws it. The fitted
// case shows the reduced preview, the full-size case the picture at full
// size, of which only the part in the pane is corrected, and the last case
// the reduced preview with "Enhance SubDetail" on at amount 2.
//
//   build-release/bin/preview_bench          the 24-megapixel photograph
//   build-release/bin/preview_bench --smoke  once, on a 300 x 200 picture
//
// Figures worth comparing come from a Release build, pinned to one core
// (taskset -c 2 build-release/bin/preview_bench). The registry is a fresh
// file in a temporary folder, removed at the end.
#include "controlpanel.h"
#include "lumivexwindow.h"
#include "lvxtest/benchargs.h"
#include "photo.h"
#include "previewpane.h"
#include "qvcommon/qvevent.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvslider.h"
#include "win32/automation.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// The main window with the fields the benchmark looks at.
class PanelWindow : public LumivexWindow {
public:
  PanelWindow() : LumivexWindow(&Empty(), nullptr, nullptr) {}
  static QVRect& Empty()
  {
    static QVRect empty;
    return empty;
  }
  QVSlider* Contrast() const { return m_ControlPanel ? m_ControlPanel->GetSlider(kContrast) : nullptr; }
  int32_t ContrastLevel() const { return m_Settings.contrastLevel; }
  const QVImage* Preview() const { return m_CorrectedPreview; }
};

// The picture as the host bridge hands it over: one 24-bit QVImage.
std::unique_ptr<QVImage> Picture(int32_t rows, int32_t columns)
{
  lvxbench::Photo photo = lvxbench::MakePhoto(rows, columns);
  auto image = std::make_unique<QVImage>(columns, rows, 3, nullptr);
  for (int32_t y = 0; y < rows; ++y)
    std::memcpy(image->pixels + static_cast<ptrdiff_t>(y) * image->rowBytes, photo.Pixel(y, 0),
                static_cast<size_t>(columns) * 3);
  return image;
}

// Drags the slider's thumb by dx and lets it go; the queued input is then
// handled as the message loop would.
void DragThumb(QVSlider& slider, int dx)
{
  const int x = slider.GetSliderPos() + 3;
  standin::Move(slider.GetWnd(), x, 12);
  standin::Press(slider.GetWnd(), x, 12);
  standin::Move(slider.GetWnd(), x + dx, 12);
  standin::Release(slider.GetWnd(), x + dx, 12);
  standin::Pump();
}

// The window with the photograph in the panel, made once: Google Benchmark
// calls the case several times while it settles the iteration count.
struct Session {
  std::unique_ptr<QVImage> image;
  std::unique_ptr<PanelWindow> window;
  int direction = 1;
};
std::unique_ptr<Session> g_session;

Session* OpenSession(int32_t rows, int32_t columns)
{
  if (g_session)
    return g_session.get();
  standin::SetScreen(1280, 1024, 32);
  SetHostInstance(standin::MainModule());
  auto session = std::make_unique<Session>();
  session->image = Picture(rows, columns);
  session->window = std::make_unique<PanelWindow>();
  PanelWindow& window = *session->window;
  window.CreateControls();
  // As the plug-in road does: the window takes the host's image (the first
  // preview runs), then Custom leads to the panel.
  window.SetImage(session->image.get(), true);
  QVEvent custom(&window, WM_COMMAND, LumivexWindow::kCustom, LumivexWindow::kCustom);
  window.HandleCommand(custom);
  standin::Pump();
  g_session = std::move(session);
  return g_session.get();
}

// The view the case asks for: fitted (the reduced preview) or full size,
// where only the part of the picture the pane shows is corrected.
void SwitchView(PanelWindow& window, bool fullSize)
{
  QVEvent view(&window, WM_COMMAND, fullSize ? LumivexWindow::kFullSizeView : LumivexWindow::kFittedView,
               fullSize ? LumivexWindow::kFullSizeView : LumivexWindow::kFittedView);
  window.HandleCommand(view);
  standin::Pump();
}

void PreviewAfterSliderRelease(benchmark::State& state)
{
  Session* session = OpenSession(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
  PanelWindow& window = *session->window;
  SwitchView(window, state.range(2) != 0);
  // The Sub-Detail pre-pass of that many engine runs, or none.
  window.SetSubDetail(state.range(3) > 0, static_cast<int>(std::max<int64_t>(state.range(3), 1)));
  QVSlider* slider = window.Contrast();
  if (!slider || !window.Preview()) {
    state.SkipWithError("the panel or its preview is missing");
    return;
  }
  for (auto _ : state) {
    const int32_t before = window.ContrastLevel();
    DragThumb(*slider, 40 * session->direction);
    session->direction = -session->direction;
    if (window.ContrastLevel() == before || !window.Preview()) {
      state.SkipWithError("the drag did not change Contrast or left no preview");
      break;
    }
  }
  if (const QVImage* preview = window.Preview()) {
    state.counters["preview_width"] = preview->width;
    state.counters["preview_height"] = preview->height;
  }
}

} // namespace

int main(int argc, char** argv)
{
  const bool smoke = lvxbench::TakeFlag(argc, argv, "--smoke");
  // Headless, with a registry of its own (read when the stand-in starts).
  std::string folder = (std::filesystem::temp_directory_path() / "preview_bench.XXXXXX").string();
  if (!mkdtemp(folder.data()))
    return 1;
  setenv("LUMIVEX_HEADLESS", "1", 1);
  setenv("LUMIVEX_REGISTRY", (folder + "/registry").c_str(), 1);
  benchmark::Initialize(&argc, argv);
  const struct {
    const char* name;
    int64_t fullSize, subDetail;
  } cases[] = {{"Preview/SliderRelease/fitted", 0, 0},
               {"Preview/SliderRelease/full-size", 1, 0},
               {"Preview/SliderRelease/fitted-subdetail", 0, 2}};
  for (const auto& c : cases) {
    auto* b = benchmark::RegisterBenchmark(c.name, PreviewAfterSliderRelease);
    b->Unit(benchmark::kMillisecond)->UseRealTime()->ArgNames({"rows", "columns", "full_size", "subdetail"});
    if (smoke)
      b->Args({200, 300, c.fullSize, c.subDetail})->Iterations(1);
    else
      b->Args({4000, 6000, c.fullSize, c.subDetail});
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_session.reset();
  std::filesystem::remove_all(folder);
  return 0;
}
