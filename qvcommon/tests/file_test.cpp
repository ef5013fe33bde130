// QVFile: reading, writing and sizes, the read-only fallback, full devices
// and files that did not open.
#include "lvxtest/testenv.h"
#include "qvcommon/qvfile.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs `body` as an unprivileged user when the tests run as root (file
// permissions do not hold for root); true when it returned true.
bool AsUnprivileged(const std::function<bool()>& body)
{
  if (geteuid() != 0)
    return body();
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0)
      _exit(2);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST(QVFile, WriteThenReadBack)
{
  const QVFileSpec spec((lvxtest::TempDir() + "\\Warm.cxp").c_str());
  {
    std::unique_ptr<QVFile> out(QVFile::OpenFile(spec, QVFile::eCreateAlways));
    ASSERT_NE(out, nullptr);
    const int32_t record[16] = {1, 0, 5};
    EXPECT_EQ(out->Write(record, sizeof record), 0);
    EXPECT_EQ(out->GetFileSize(), 64u);
    EXPECT_EQ(out->Write("x", -1), int32_t(ERROR_INVALID_PARAMETER));
  }
  std::unique_ptr<QVFile> in(
      QVFile::OpenFile(QVFileSpec((lvxtest::TempDir() + "/WARM.CXP").c_str()), QVFile::eOpenExisting));
  EXPECT_EQ(in->GetFileSize(), 64u);
  int32_t record[20] = {};
  EXPECT_EQ(in->Read(record, sizeof record), 64u) << "only what is there";
  EXPECT_EQ(record[2], 5);
  EXPECT_EQ(in->Read(record, 4), 0u);
  char name[16];
  in->GetFileName(name, false);
  EXPECT_STREQ(name, "WARM");
  in->GetFileName(name, true, 8);
  EXPECT_STREQ(name, "") << "WARM.CXP needs 9 bytes";
}

TEST(QVFile, ReadOnlyFilesStillOpenForReading)
{
  const std::string dir = lvxtest::TempDir() + "/readonly";
  mkdir(dir.c_str(), 0755);
  chmod(lvxtest::TempDir().c_str(), 0755);
  const std::string path = dir + "/shipped.cxp";
  std::ofstream(path) << "preset bytes";
  chmod(path.c_str(), 0444);
  const bool ok = AsUnprivileged([&] {
    QVFile file(QVFileSpec(path.c_str()), QVFile::eOpenExisting);
    char text[32] = {};
    return file.Read(text, sizeof text) == 12 && std::strcmp(text, "preset bytes") == 0 && file.Write("x", 1) != 0 &&
           QVFile(QVFileSpec(path.c_str()), QVFile::eCreateAlways).Write("x", 1) == -1;
  });
  EXPECT_TRUE(ok);
}

TEST(QVFile, FullDeviceAndNoFile)
{
  QVFile full(QVFileSpec("/dev/full"), QVFile::eOpenExisting);
  EXPECT_EQ(full.Write("abc", 3), int32_t(ERROR_DISK_FULL));

  QVFile missing(QVFileSpec((lvxtest::TempDir() + "/missing.cxp").c_str()), QVFile::eOpenExisting);
  char byte = 'k';
  EXPECT_EQ(missing.Write("abc", 3), -1);
  EXPECT_EQ(missing.Read(&byte, 1), 0u);
  EXPECT_EQ(byte, 'k');
  EXPECT_EQ(missing.GetFileSize(), uint32_t(INVALID_FILE_SIZE));
  QVFile unmapped(QVFileSpec("Q:\\nowhere.cxp"), QVFile::eCreateAlways);
  EXPECT_EQ(unmapped.Write("abc", 3), -1);
}
