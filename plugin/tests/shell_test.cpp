// The selectors, Start's refusals, the application seam, the message loop
// and the stand-alone shell.
#include "bridgetest.h"
#include "hostmemory.h"
#include "lvxtest/testenv.h"
#include "qvcommon/qvcolor.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvsplashwin.h"
#include "qvcommon/qvwindow.h"
#include "win32/automation.h"

#include <algorithm>
#include <cstring>

using namespace lvhost;

namespace {

int g_advanceCalls = 0;
int16_t g_pickerCode = noErr;
uint8_t NoAbort() { return 0; }
void NoProgress(int32_t, int32_t) {}
int16_t CountAdvance() { return ++g_advanceCalls, noErr; }
int16_t NoDisplay(const PSPixelMap*, const Rect32*, int32_t, int32_t, void*) { return noErr; }
// A colour picker that answers out of range.
int16_t Picker(ColorServicesInfo* info)
{
  info->colorComponents[0] = 10, info->colorComponents[1] = 300, info->colorComponents[2] = -5;
  return g_pickerCode;
}

// What a host sends for a 2 x 2 RGB image, with every procedure and with
// requests still open from an earlier call.
FilterRecord StubRecord()
{
  FilterRecord r{};
  r.abortProc = NoAbort;
  r.progressProc = NoProgress;
  r.advanceState = CountAdvance;
  r.displayPixels = NoDisplay;
  r.colorServices = Picker;
  r.imageMode = plugInModeRGBColor;
  r.planes = 3;
  r.filterRect = Rect16{0, 0, 2, 2};
  r.inRect = r.outRect = r.maskRect = Rect16{1, 1, 2, 2};
  return r;
}

bool NoRequests(const FilterRecord& r)
{
  const Rect16 empty{};
  return !std::memcmp(&r.inRect, &empty, sizeof empty) && !std::memcmp(&r.outRect, &empty, sizeof empty) &&
         !std::memcmp(&r.maskRect, &empty, sizeof empty);
}

// A framework window that counts its deletions.
class Doomed : public QVWindow {
public:
  explicit Doomed(int* deletes)
      : QVWindow(&kRect, "Doomed", eQVWindowStyleMenu, nullptr, nullptr, nullptr), deletes_(deletes)
  {
  }
  ~Doomed() override { ++*deletes_; }

private:
  static inline const QVRect kRect{10, 10, 60, 40};
  int* deletes_;
};

} // namespace

TEST_F(Bridge, SelectorsAndNullArguments)
{
  FilterRecord record = StubRecord();
  unsigned char before[sizeof record];
  std::memcpy(before, &record, sizeof record);
  intptr_t data = 0;
  int16_t result = 1;
  for (const int16_t selector : {6, 255, -1}) {
    ENTRYPOINT(selector, &record, &data, &result);
    EXPECT_EQ(result, filterBadParameters);
    EXPECT_EQ(std::memcmp(before, &record, sizeof record), 0) << selector;
  }
  EXPECT_EQ(g_advanceCalls, 0);
  // The data word got a handle of the plug-in's own, once.
  const intptr_t handle = data;
  EXPECT_TRUE(hostif::IsOwnHandle(reinterpret_cast<Handle>(handle)));
  ENTRYPOINT(filterSelectorParameters, &record, &data, &result);
  EXPECT_EQ(data, handle);

  record.bufferSpace = 4096;
  ENTRYPOINT(filterSelectorPrepare, &record, &data, &result);
  EXPECT_EQ(record.bufferSpace, 0);
  ENTRYPOINT(filterSelectorContinue, &record, &data, &result);
  EXPECT_EQ(result, noErr);
  EXPECT_TRUE(NoRequests(record));

  intptr_t fresh = 0;
  ENTRYPOINT(filterSelectorParameters, &record, &fresh, nullptr); // nowhere to answer: nothing happens
  EXPECT_EQ(fresh, 0);
  ENTRYPOINT(filterSelectorFinish, &record, nullptr, &result);
  EXPECT_EQ(result, noErr);
  for (int16_t selector = filterSelectorParameters; selector <= filterSelectorFinish; ++selector) {
    ENTRYPOINT(selector, nullptr, &data, &result);
    EXPECT_EQ(result, filterBadParameters) << selector;
  }
  ENTRYPOINT(filterSelectorAbout, nullptr, &data, &result); // no about window: done at once
  EXPECT_EQ(result, noErr);

  standin::FailAllocations(0, 1);
  ENTRYPOINT(filterSelectorParameters, &record, &fresh, &result);
  EXPECT_EQ(result, memFullErr);
  EXPECT_EQ(fresh, 0);
  standin::ResetAllocationFaults();
}

TEST_F(Bridge, StartRefusalsLeaveNoRequestsAndStartNothing)
{
  struct Case {
    const char* what;
    void (*change)(FilterRecord&);
    int16_t code;
  };
  // Laid out by hand: one case to a row.
  // clang-format off
  const Case cases[] = {
      {"indexed colour", [](FilterRecord& r) { r.imageMode = 2; }, userCanceledErr},
      {"multichannel", [](FilterRecord& r) { r.imageMode = 7; }, userCanceledErr},
      {"abortProc", [](FilterRecord& r) { r.abortProc = nullptr; }, userCanceledErr},
      {"progressProc", [](FilterRecord& r) { r.progressProc = nullptr; }, userCanceledErr},
      {"advanceState", [](FilterRecord& r) { r.advanceState = nullptr; }, userCanceledErr},
      {"displayPixels", [](FilterRecord& r) { r.displayPixels = nullptr; }, userCanceledErr},
      {"CMYK without colour services",
       [](FilterRecord& r) { r.imageMode = plugInModeCMYKColor, r.planes = 4, r.colorServices = nullptr; },
       userCanceledErr},
      {"too few planes", [](FilterRecord& r) { r.planes = 2; }, filterBadParameters},
      {"no plane for transparency", [](FilterRecord& r) { r.inTransparencyMask = 1; }, filterBadParameters},
      {"right before left", [](FilterRecord& r) { r.filterRect = Rect16{0, 3, 2, 1}; }, filterBadParameters},
      {"bottom above top", [](FilterRecord& r) { r.filterRect = Rect16{3, 0, 1, 2}; }, filterBadParameters},
  };
  // clang-format on
  intptr_t data = 0;
  int16_t result = 0;
  for (const Case& c : cases) {
    FilterRecord record = StubRecord();
    c.change(record);
    ENTRYPOINT(filterSelectorStart, &record, &data, &result);
    EXPECT_EQ(result, c.code) << c.what;
    EXPECT_TRUE(NoRequests(record)) << c.what;
  }
  FilterRecord record = StubRecord();
  standin::SetScreen(1024, 768, 8);
  ENTRYPOINT(filterSelectorStart, &record, &data, &result);
  EXPECT_EQ(result, userCanceledErr);
  EXPECT_TRUE(NoRequests(record));
  standin::SetScreen(1280, 1024, 32);
  InstallApplicationHooks(nullptr);
  ENTRYPOINT(filterSelectorStart, &record, &data, &result);
  EXPECT_EQ(result, userCanceledErr);
  EXPECT_EQ(g_advanceCalls, 0);
  EXPECT_EQ(app.starts, 0);

  // The same record unchanged does start.
  InstallApplicationHooks(&app);
  app.start = [](AppShell& shell) { return shell.Quit(0), true; };
  ENTRYPOINT(filterSelectorStart, &record, &data, &result);
  EXPECT_EQ(result, noErr);
  EXPECT_EQ(app.starts, 1);
}

TEST_F(Bridge, TheQuitCodeDecidesAndAFailedStartEndsOnce)
{
  HostImage image = TestImage(plugInModeRGBColor, false, 3, 2);
  app.quitCode = 1; // cancelled
  RunResult run = Run(image);
  EXPECT_EQ(run.result, userCanceledErr);
  EXPECT_FALSE(run.committed);
  app.quitCode = 0;
  EXPECT_TRUE(Run(image).committed);
  EXPECT_EQ(app.ends, 2);

  // A start that quits and then fails (a screen too small) is ended once,
  // and its quit does not end the next run's loop early.
  app.start = [](AppShell& shell) { return shell.Quit(0), false; };
  EXPECT_EQ(Run(image).result, userCanceledErr);
  EXPECT_EQ(app.ends, 3);
  bool waited = false;
  app.start = [&waited](AppShell& shell) {
    standin::AddIdleStep([&waited, &shell] { waited = true, shell.Quit(0); });
    return true;
  };
  EXPECT_EQ(Run(image).result, noErr);
  EXPECT_TRUE(waited);
  EXPECT_EQ(app.ends, 4);

  // Nothing left to end the loop: a deadlock, which the host reports.
  app.start = [](AppShell&) { return true; };
  run = Run(image);
  EXPECT_EQ(run.result, userCanceledErr);
  EXPECT_TRUE(run.deadlock);
  ASSERT_FALSE(standin::Failures().empty());
  standin::ClearFailures();
}

TEST_F(Bridge, DeferredDeletesAreThreadMessagesAndNeverRepeat)
{
  int deletesA = 0, deletesB = 0, deletesC = 0;
  Doomed* b = nullptr;
  app.start = [&](AppShell& shell) {
    auto* a = new Doomed(&deletesA);
    b = new Doomed(&deletesB);
    auto* c = new Doomed(&deletesC);
    standin::TraceMessages(true);
    PostMessageA(nullptr, WM_NULL, 0, reinterpret_cast<LPARAM>(a));
    PostMessageA(nullptr, WM_NULL, 0, reinterpret_cast<LPARAM>(a));     // clicked twice
    PostMessageA(b->GetWnd(), WM_NULL, 0, reinterpret_cast<LPARAM>(b)); // a window's own message
    PostMessageA(nullptr, WM_NULL, 0, reinterpret_cast<LPARAM>(c));
    shell.Quit(0);
    return true;
  };
  HostImage image = TestImage(plugInModeGrayScale, false, 2, 2);
  EXPECT_EQ(Run(image).result, noErr); // the deletes did not end the run early
  EXPECT_EQ(deletesA, 1);
  EXPECT_EQ(deletesC, 1);
  EXPECT_EQ(deletesB, 0);
  const auto& trace = standin::MessageTrace();
  EXPECT_EQ(
      std::count_if(trace.begin(), trace.end(),
                    [&](const standin::TracedMessage& m) { return m.message == WM_NULL && m.window == b->GetWnd(); }),
      1);
  delete b;
}

TEST_F(Bridge, AboutShowsASplashThatOneClickDeletesOnce)
{
  // A splash that counts its deletions; the about window an application
  // builds on the framework's splash window.
  struct CountedSplash : QVSplashWin {
    CountedSplash(QVRect rect, int* deletes) : QVSplashWin(&rect, nullptr, nullptr, 0), deletes(deletes) {}
    ~CountedSplash() override { ++*deletes; }
    int* deletes;
  };
  int deletes = 0;
  HWND shown = nullptr;
  app.about = [&] {
    auto* splash = new CountedSplash(QVRect(300, 200, 500, 350), &deletes);
    shown = splash->GetWnd();
    standin::AddIdleStep([&] { standin::Click(shown, 20, 20); });
    return splash->Visible();
  };
  EXPECT_EQ(About().result, noErr);
  EXPECT_EQ(deletes, 1);
  EXPECT_FALSE(IsWindow(shown));
  EXPECT_EQ(standin::IdleStepsLeft(), 0u);
}

TEST_F(Bridge, ShellStateParentWindowAndColours)
{
  FilterPlugInShell shell(nullptr);
  EXPECT_EQ(shell.GetMode(), 1);
  EXPECT_TRUE(shell.GetFlag());
  shell.SetFlag(false);
  shell.InitFields();
  EXPECT_TRUE(shell.GetFlag());
  FilterRecord record = StubRecord();
  int16_t result = 0;
  shell.SetCall(&record, &result);
  EXPECT_EQ(shell.GetParentWindow(), nullptr); // no platformData: no parent

  // The host's picker; its components are clamped.
  int deletes = 0;
  Doomed owner(&deletes);
  QVColor colour(1, 2, 3);
  EXPECT_TRUE(shell.ChooseColor(&owner, &colour));
  EXPECT_EQ(colour.GetRGB(), int32_t(RGB(10, 255, 0)));
  EXPECT_EQ(GetFocus(), owner.GetWnd());
  g_pickerCode = -1;
  EXPECT_FALSE(shell.ChooseColor(nullptr, &colour));
  // Without colour services: the colour dialog, starting at the colour.
  record.colorServices = nullptr;
  standin::QueueColorDialogAnswer(RGB(7, 8, 9));
  EXPECT_TRUE(shell.ChooseColor(&owner, &colour));
  EXPECT_EQ(colour.GetRGB(), int32_t(RGB(7, 8, 9)));
  EXPECT_FALSE(shell.ChooseColor(&owner, &colour)); // nothing answers: cancelled
  const standin::DialogRequest& asked = standin::DialogLog().back();
  EXPECT_EQ(asked.kind, "ChooseColor");
  EXPECT_EQ(asked.owner, owner.GetWnd());
  EXPECT_EQ(asked.style, DWORD(CC_RGBINIT | CC_ANYCOLOR));
  EXPECT_EQ(asked.initialColor, RGB(7, 8, 9));
  shell.SetCall(nullptr, nullptr);
}

TEST_F(Bridge, StandaloneRunOpensAndSavesARealFile)
{
  const std::string in = lvxtest::Source("samples/coffee.png");
  const std::string out = lvxtest::TempDir() + "/coffee"; // the dialog adds ".tif"
  standin::QueueFileDialogAnswer(in.c_str());
  standin::QueueFileDialogAnswer(out.c_str());
  app.start = [](AppShell& shell) {
    EXPECT_EQ(shell.GetMode(), 0);
    EXPECT_TRUE(shell.AcquireImage(0, nullptr));
    EXPECT_TRUE(shell.DeliverImage(shell.GetImage(), nullptr, nullptr));
    return shell.Quit(0), true;
  };
  EXPECT_EQ(RunStandaloneApplication(), 0);
  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].caption, "Open Image");
  EXPECT_EQ(log[0].filters.at(0).second, "*.*");
  EXPECT_EQ(log[1].caption, "Save Image");
  EXPECT_EQ(log[1].filters.at(0).second, "*.tif");

  QVFileSpec original(in.c_str()), saved((out + ".tif").c_str());
  QVImage a(original, 24, false), b(saved, 24, false);
  ASSERT_FALSE(a.error || b.error);
  ASSERT_EQ(a.height * a.rowBytes, b.height * b.rowBytes);
  EXPECT_EQ(std::memcmp(a.pixels, b.pixels, size_t(a.height) * size_t(a.rowBytes)), 0);
}
