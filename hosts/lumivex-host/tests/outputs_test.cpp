// What lumivex-host leaves behind when a run is interrupted or a file cannot
// be written: real SIGINT and SIGTERM to the program while the plug-in runs
// (the passthrough module waits at a FIFO) and while the output is written
// (the writers' test gate), --record paths that cannot be written, and a
// record that fails after the output was ready. Afterwards the folder holds
// exactly what it held before, or the whole result.
#include "lvxtest/childprocess.h"
#include "lvxtest/tinyfs.h"
#include "programtest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using lvxtest::ChildProcess;
using lvxtest::ChildResult;
using Entries = std::set<std::string>;

// A folder of the test's own holding the input picture "in.ppm" and an
// earlier output "out.png".
std::string Folder(const std::string& name)
{
  const std::string folder = Temp(name);
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(lvxtest::Source("samples/coffee.png"), folder + "/out.png");
  std::filesystem::copy_file(lvxtest::Source("samples/coffee.png"), folder + "/in.png");
  return folder;
}

ChildProcess Host(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {})
{
  std::vector<std::string> all{"--plugin", PASSTHROUGH_PATH};
  all.insert(all.end(), args.begin(), args.end());
  return ChildProcess(HOST_PATH, all, env);
}

// Signals the child waiting at the gate, lets it on, and collects how it ended.
ChildResult SignalAtGate(ChildProcess& child, const std::string& gate, const std::vector<int>& signals)
{
  const int fd = lvxtest::OpenGate(gate, child);
  EXPECT_GE(fd, 0) << "the program never reached the gate";
  if (fd < 0)
    return child.Finish();
  for (size_t i = 0; i < signals.size(); ++i) {
    EXPECT_EQ(kill(child.pid(), signals[i]), 0);
    // The next signal, or the release, only after the handler took this
    // one; a second signal ends the program.
    if (i == 0) {
      EXPECT_TRUE(lvxtest::WaitUntilHandled(child.pid(), signals[i]));
    }
  }
  lvxtest::ReleaseGate(fd);
  return child.Finish();
}

// The run waits either inside the plug-in's Start or at its first write
// (with the output's temporary file made); the signal arrives there. Either
// way nothing new is left and the earlier output stays.
TEST(HostInterrupts, ASignalWhileThePluginRunsOrTheOutputIsWrittenWritesNothing)
{
  for (const bool inPlugin : {true, false}) {
    for (const int signal : {SIGINT, SIGTERM}) {
      SCOPED_TRACE(std::string(inPlugin ? "in the plug-in, " : "in the write, ") + std::to_string(signal));
      const std::string name = std::string(inPlugin ? "plugin-" : "write-") + std::to_string(signal);
      const std::string folder = Folder(name), gate = Temp(name + ".gate");
      ASSERT_TRUE(lvxtest::MakeGate(gate));
      const std::string before = Contents(folder + "/out.png");
      ChildProcess host =
          Host({"--auto", "--record", folder + "/r.params", folder + "/in.png", folder + "/out.png"},
               {inPlugin ? std::pair<std::string, std::string>{"LUMIVEX_PASSTHROUGH",
                                                               "wait=" + gate + " acquire deliver echo quit=0"}
                         : std::pair<std::string, std::string>{"LUMIVEX_TEST_WRITE_GATE", gate}});
      const int fd = lvxtest::OpenGate(gate, host);
      ASSERT_GE(fd, 0) << "the run never reached the gate";
      // No temporary file while the plug-in runs; the output's at its write.
      const Entries during = lvxtest::FolderEntries(folder);
      ASSERT_EQ(during.size(), inPlugin ? 2u : 3u);
      if (!inPlugin) {
        EXPECT_EQ(std::next(during.begin(), 2)->rfind("out.png.tmp-" + std::to_string(host.pid()) + "-", 0), 0u);
      }
      ASSERT_EQ(kill(host.pid(), signal), 0);
      ASSERT_TRUE(lvxtest::WaitUntilHandled(host.pid(), signal));
      lvxtest::ReleaseGate(fd);
      const ChildResult r = host.Finish();
      EXPECT_EQ(r.exitCode, signal == SIGINT ? 130 : 143) << r.err;
      EXPECT_NE(r.err.find(std::string(signal == SIGINT ? "interrupted" : "terminated") + "; " + folder +
                           "/out.png not written"),
                std::string::npos)
          << r.err;
      EXPECT_EQ(Contents(folder + "/out.png"), before);
      EXPECT_EQ(lvxtest::FolderEntries(folder), (Entries{"in.png", "out.png"}));
    }
  }
}

TEST(HostInterrupts, ASecondCtrlCEndsTheRunAtOnceAndLeavesNothing)
{
  const std::string folder = Folder("twice");
  const std::string gate = Temp("twice-gate");
  ASSERT_TRUE(lvxtest::MakeGate(gate));
  ChildProcess host = Host({"--auto", "--record", folder + "/r.params", folder + "/in.png", folder + "/out.png"},
                           {{"LUMIVEX_PASSTHROUGH", "wait=" + gate + " acquire deliver quit=0"}});
  const ChildResult r = SignalAtGate(host, gate, {SIGINT, SIGINT});
  EXPECT_EQ(r.signal, SIGINT) << "exit " << r.exitCode << ": " << r.err;
  EXPECT_EQ(lvxtest::FolderEntries(folder), (Entries{"in.png", "out.png"}));
}

TEST(HostRecord, ARecordThatCannotBeWrittenStopsTheRunBeforeThePluginRuns)
{
  const std::string folder = Folder("record");
  const std::string log = Temp("record.log");
  struct Case {
    std::string record, reason;
  } cases[] = {
      {folder, folder + ": is a directory"},
      {folder + "/missing/r.params", folder + "/missing/r.params: No such file or directory"},
      {"/dev/null", "/dev/null: not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    ChildProcess host = Host({"--auto", "--log", log, "--record", c.record, folder + "/in.png", folder + "/new.png"});
    const ChildResult r = host.Finish();
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("cannot write " + c.reason), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(log)) << "the plug-in never ran";
    EXPECT_EQ(lvxtest::FolderEntries(folder), (Entries{"in.png", "out.png"}));
  }
  // A directory as the output is named as one.
  ChildProcess host = Host({"--auto", folder + "/in.png", folder});
  const ChildResult r = host.Finish();
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find(folder + ": is a directory"), std::string::npos) << r.err;
}

TEST(HostRecord, ARecordThatFailsLeavesNeitherFile)
{
  lvxtest::TinyFileSystem disk("record-disk", 16);
  if (!disk.Mounted())
    GTEST_SKIP() << disk.Problem();
  const std::string folder = Folder("full-record");
  const std::string before = Contents(folder + "/out.png");
  ASSERT_TRUE(disk.Fill("filler"));
  ChildProcess host = Host({"--auto", "--record", disk.Path("r.params"), folder + "/in.png", folder + "/out.png"});
  const ChildResult r = host.Finish();
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
  EXPECT_EQ(Contents(folder + "/out.png"), before) << "the output stays as it was";
  EXPECT_EQ(lvxtest::FolderEntries(folder), (Entries{"in.png", "out.png"}));
  EXPECT_EQ(lvxtest::FolderEntries(disk.Folder()), (Entries{"filler"}));
}

} // namespace
