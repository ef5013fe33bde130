// Module resources and system services: QVResourceFile, the module handle
// operations, QVCursor, QVMessage and QVSystem.
#include "qvcommon/qvassert.h"
#include "qvcommon/qvcursor.h"
#include "qvcommon/qvmessage.h"
#include "qvcommon/qvresourcefile.h"
#include "qvcommon/qvsystem.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <memory>

namespace {

// A string and a cursor registered by hand on the test executable.
const standin::ResourceEntry kEntries[] = {
    {nullptr, 6, nullptr, 12, reinterpret_cast<const unsigned char*>("Enhance"), 7, 0, 0},
    {nullptr, 1, nullptr, 103, reinterpret_cast<const unsigned char*>("cursor"), 6, 0, 0},
};
const standin::ResourceTable kTable = {kEntries, 2};

class Services : public ::testing::Test {
protected:
  void SetUp() override { standin::RegisterResources(standin::MainModule(), &kTable); }
  void TearDown() override { standin::UnregisterResources(standin::MainModule(), &kTable); }
};

} // namespace

TEST_F(Services, ResourceFileLoadsStringsOnlyWithAModule)
{
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  QVResourceFile none;
  EXPECT_EQ(none.GetResFile(), nullptr);
  EXPECT_EQ(none.LoadStringA(12, buffer, sizeof buffer), -1);
  EXPECT_EQ(buffer[0], '#') << "buffer untouched";

  QVResourceFile file(standin::MainModule());
  EXPECT_EQ(file.LoadStringA(12, buffer, 0), -1);
  EXPECT_EQ(file.LoadStringA(12, buffer, -5), -1);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(file.LoadStringA(99, buffer, sizeof buffer), -1);
  EXPECT_EQ(file.LoadStringA(12, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "Enhance");
  EXPECT_EQ(file.LoadStringA(12, buffer, 4), 0);
  EXPECT_STREQ(buffer, "Enh");
  file.Initialize();
  EXPECT_EQ(file.GetResFile(), nullptr);
  file.SetResFile(standin::MainModule());
  EXPECT_EQ(file.GetResFile(), standin::MainModule());
}

TEST_F(Services, ModuleInstanceIsTheFrameworkLibrary)
{
  Dl_info info{};
  ASSERT_TRUE(dladdr(reinterpret_cast<void*>(&QVReportAssertion), &info));
  EXPECT_EQ(GetModuleInstance(), static_cast<HINSTANCE>(info.dli_fbase));
  EXPECT_NE(GetModuleInstance(), standin::MainModule());
  std::unique_ptr<QVResourceFile> own(CreateModuleResourceFile());
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->GetResFile(), GetModuleInstance());

  EXPECT_EQ(GetHostInstance(), nullptr);
  SetHostInstance(standin::MainModule());
  EXPECT_EQ(GetHostInstance(), standin::MainModule());
  SetHostInstance(nullptr);
}

TEST_F(Services, CursorsBecomeCurrent)
{
  QVCursor::SetCursorBusy();
  EXPECT_EQ(standin::CurrentCursor().id, 32514);
  QVCursor::SetCursorArrow();
  EXPECT_EQ(standin::CurrentCursor().id, 32512);
  EXPECT_EQ(standin::CurrentCursor().module, nullptr);
  {
    QVCursor own(QVResourceFile(standin::MainModule()), 103);
    own.SetCursor();
    EXPECT_EQ(standin::CurrentCursor().module, standin::MainModule());
    EXPECT_EQ(standin::CurrentCursor().id, 103);
    // A cursor that did not load changes nothing.
    QVCursor missing(QVResourceFile(standin::MainModule()), 104);
    missing.SetCursor();
    EXPECT_EQ(standin::CurrentCursor().id, 103);
    QVCursor cross(32515);
    cross.SetCursor();
    EXPECT_EQ(standin::CurrentCursor().id, 32515);
  }
  // Destroying the objects leaves the shared cursors usable.
  QVCursor again(QVResourceFile(standin::MainModule()), 103);
  again.SetCursor();
  EXPECT_EQ(standin::CurrentCursor().id, 103);
}

TEST_F(Services, MessageBoxStylesAndAnswers)
{
  standin::ClearDialogLog();
  const struct {
    int type;
    UINT buttons;
    int scripted;
    int expected;
  } cases[] = {
      {0, MB_OK, 0, IDOK},           {1, MB_YESNO, IDNO, IDNO}, {2, MB_YESNOCANCEL, IDCANCEL, IDCANCEL},
      {2, MB_YESNOCANCEL, 0, IDYES}, {7, MB_OK, IDNO, IDOK}, // an OK box cannot answer No: script error, default
  };
  for (const auto& c : cases) {
    if (c.scripted)
      standin::QueueMessageBoxAnswer(c.scripted);
    const QVMessage box("Lumivex requires a minimum 800x600 resolution.", "Alert!",
                        static_cast<QVMessage::qvMessageType>(c.type));
    EXPECT_EQ(box.result, c.expected) << c.type;
    const standin::DialogRequest& r = standin::DialogLog().back();
    EXPECT_EQ(r.style, c.buttons | 0x40040u) << c.type;
    EXPECT_EQ(r.owner, nullptr);
    EXPECT_EQ(r.caption, "Alert!");
    EXPECT_EQ(r.text, "Lumivex requires a minimum 800x600 resolution.");
  }
  EXPECT_TRUE(standin::DialogLog().back().scriptError);
}

TEST_F(Services, MonitorDepth)
{
  EXPECT_EQ(QVSystem::GetMainMonitorDepth(), 32);
  standin::SetScreen(1024, 768, 16);
  EXPECT_EQ(QVSystem::GetMainMonitorDepth(), 16);
  standin::SetScreen(1280, 1024, 32);
}
