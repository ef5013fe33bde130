// The stand-in's base services: allocation fault plan, message-box script and
// log, module handles.
#include "win32/automation.h"
#include "win32/internal/faults.h"
#include "win32/memory.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

TEST(Faults, PlanSkipsThenFailsThenRecovers)
{
  standin::ResetAllocationFaults();
  standin::FailAllocations(2, 3);
  std::vector<bool> seen;
  for (int i = 0; i < 7; ++i)
    seen.push_back(standin::AllocationShouldFail());
  EXPECT_EQ(seen, (std::vector<bool>{false, false, true, true, true, false, false}));
  EXPECT_EQ(standin::AllocationRequests(), 7);
  standin::ResetAllocationFaults();
  EXPECT_EQ(standin::AllocationRequests(), 0);
  EXPECT_FALSE(standin::AllocationShouldFail());
}

TEST(MessageBox, DefaultsToFirstButtonAndLogsEveryRequest)
{
  standin::ClearDialogLog();
  EXPECT_EQ(MessageBoxA(nullptr, "a", "Alert!", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "b", "Warning!", MB_OKCANCEL | MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "c", "Q", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "d", "Q", MB_YESNOCANCEL | MB_TASKMODAL), IDYES);
  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[1].text, "b");
  EXPECT_EQ(log[1].caption, "Warning!");
  EXPECT_EQ(log[1].style, MB_OKCANCEL | MB_ICONERROR);
  EXPECT_FALSE(log[0].scripted);
}

TEST(MessageBox, ScriptedAnswersAndScriptErrors)
{
  standin::ClearDialogLog();
  standin::QueueMessageBoxAnswer(IDNO);
  standin::QueueMessageBoxAnswer(IDNO); // an OK box cannot say No
  standin::QueueMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "x", "Q", MB_YESNOCANCEL), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "y", "Q", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "z", "Q", MB_OKCANCEL), IDCANCEL);
  const auto& log = standin::DialogLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_TRUE(log[0].scripted);
  EXPECT_TRUE(log[1].scriptError);
  EXPECT_FALSE(log[1].scripted);
  EXPECT_TRUE(log[2].scripted);
}

static int SomeFunctionInThisExecutable() { return 7; }

TEST(Module, VirtualQueryReportsTheLoadBaseOfEachObject)
{
  MEMORY_BASIC_INFORMATION mine{}, lib{};
  ASSERT_NE(VirtualQuery(reinterpret_cast<void*>(&SomeFunctionInThisExecutable), &mine, sizeof mine), 0u);
  ASSERT_NE(VirtualQuery(reinterpret_cast<void*>(&MessageBoxA), &lib, sizeof lib), 0u);
  EXPECT_NE(mine.AllocationBase, lib.AllocationBase);
  Dl_info dl{};
  ASSERT_TRUE(dladdr(reinterpret_cast<void*>(&MessageBoxA), &dl));
  EXPECT_EQ(lib.AllocationBase, dl.dli_fbase);
  int onStack = 0;
  EXPECT_EQ(VirtualQuery(&onStack, &mine, sizeof mine), 0u);
  EXPECT_EQ(VirtualQuery(nullptr, &mine, sizeof mine), 0u);
}
