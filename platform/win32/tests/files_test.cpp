// Windows paths over the host file system: drive mapping, case-insensitive
// resolution, file handles, directory search and drives.
#include "lvxtest/testenv.h"
#include "win32/automation.h"
#include "win32/files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

void Touch(const std::string& path, const std::string& text = "") { std::ofstream(path, std::ios::binary) << text; }

std::string Mapped(const char* path)
{
  std::string native;
  EXPECT_TRUE(standin::MapPath(path, native)) << path;
  return native;
}

// The names a search returns, in order.
std::vector<std::string> Search(const std::string& pattern)
{
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE)
    return names;
  do
    names.push_back(data.cFileName);
  while (FindNextFileA(h, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(h));
  return names;
}

class Files : public ::testing::Test {
protected:
  void SetUp() override
  {
    root = lvxtest::TempDir() + "/drive";
    mkdir(root.c_str(), 0755);
    standin::SetDrive('D', root.c_str(), DRIVE_FIXED);
  }
  void TearDown() override { standin::SetDrive('D', nullptr, DRIVE_NO_ROOT_DIR); }
  std::string root;
};

} // namespace

TEST_F(Files, DriveLettersBackslashesAndNativePaths)
{
  EXPECT_EQ(Mapped("C:\\"), "/");
  EXPECT_EQ(Mapped("c:/"), "/");
  EXPECT_EQ(Mapped("C:"), "/");
  EXPECT_EQ(Mapped("D:\\a\\b.txt"), root + "/a/b.txt");
  EXPECT_EQ(Mapped("/usr/lib"), "/usr/lib");
  EXPECT_EQ(Mapped("rel\\name"), "rel/name") << "relative paths stay relative";
  std::string native = "unchanged";
  SetLastError(0);
  EXPECT_FALSE(standin::MapPath("Q:\\x", native));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(standin::MapPath("", native));
  EXPECT_EQ(CreateFileA("Q:\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(Files, NamesResolveWithoutRegardToCase)
{
  mkdir((root + "/Photos").c_str(), 0755);
  Touch(root + "/Photos/Beach.JPG", "sand");
  // Two spellings of one name: the first in byte order wins ('B' < 'b').
  Touch(root + "/Photos/twin.txt");
  Touch(root + "/Photos/Twin.txt");
  EXPECT_EQ(Mapped("D:\\PHOTOS\\beach.jpg"), root + "/Photos/Beach.JPG");
  EXPECT_EQ(Mapped("D:\\photos\\TWIN.TXT"), root + "/Photos/Twin.txt");
  EXPECT_EQ(Mapped("D:\\photos\\twin.txt"), root + "/Photos/twin.txt") << "the exact name comes first";
  // Missing components keep the case they were given.
  EXPECT_EQ(Mapped("D:\\photos\\New\\Name.TXT"), root + "/Photos/New/Name.TXT");

  std::FILE* f = standin::OpenFile("d:\\photos\\BEACH.jpg", "rb");
  ASSERT_NE(f, nullptr);
  char text[8] = {};
  EXPECT_EQ(std::fread(text, 1, sizeof text, f), 4u);
  EXPECT_STREQ(text, "sand");
  std::fclose(f);
  EXPECT_EQ(standin::OpenFile("Q:\\nothing", "rb"), nullptr);
}

TEST_F(Files, CreateReadWriteAndSize)
{
  HANDLE h = CreateFileA("D:\\Data.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(h, "0123456789", 10, &written, nullptr));
  EXPECT_EQ(written, 10u);
  DWORD high = 99;
  EXPECT_EQ(GetFileSize(h, &high), 10u);
  EXPECT_EQ(high, 0u);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(CloseHandle(h)) << "a closed handle is stale";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  struct stat st;
  EXPECT_EQ(stat((root + "/Data.bin").c_str(), &st), 0) << "created files keep their case";

  h = CreateFileA("d:\\DATA.BIN", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[16] = {};
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(h, buffer, 4, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "0123");
  EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "456789");
  EXPECT_TRUE(ReadFile(h, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u) << "end of file";
  EXPECT_FALSE(WriteFile(h, "x", 1, &written, nullptr)) << "opened for reading only";
  CloseHandle(h);

  // TRUNCATE_EXISTING empties; OPEN_ALWAYS creates.
  h = CreateFileA("D:\\data.bin", GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
  EXPECT_EQ(GetFileSize(h, nullptr), 0u);
  CloseHandle(h);
  h = CreateFileA("D:\\fresh.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST_F(Files, FailuresSetTheWindowsError)
{
  const struct {
    const char* path;
    DWORD disposition;
    DWORD error;
  } cases[] = {
      {"D:\\missing.txt", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
      {"D:\\no\\such\\folder.txt", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {"D:\\", OPEN_EXISTING, ERROR_ACCESS_DENIED}, // a folder is no file
      {"D:\\x.txt", 9, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(CreateFileA(c.path, GENERIC_READ, 0, nullptr, c.disposition, 0, nullptr), INVALID_HANDLE_VALUE) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
  }
  Touch(root + "/exists.txt");
  EXPECT_EQ(CreateFileA("D:\\exists.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);

  // A full device: every byte or failure, with the disk-full code.
  HANDLE full = CreateFileA("/dev/full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(full, INVALID_HANDLE_VALUE);
  DWORD written = 7;
  EXPECT_FALSE(WriteFile(full, "abc", 3, &written, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(written, 0u);
  CloseHandle(full);

  DWORD read = 0;
  char byte;
  EXPECT_FALSE(ReadFile(nullptr, &byte, 1, &read, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GetFileSize(INVALID_HANDLE_VALUE, nullptr), INVALID_FILE_SIZE);
}

TEST_F(Files, SearchFollowsWindowsWildcardsAndOrder)
{
  for (const char* name : {"b.TXT", "a.txt", "README", "Zeta.doc", "c.txt.bak"})
    Touch(root + "/" + name, "12345");
  mkdir((root + "/Sub").c_str(), 0755);

  // "*.*" matches every name, dotted or not; dots first, then by name
  // without regard to case.
  EXPECT_EQ(Search("D:\\*.*"),
            (std::vector<std::string>{".", "..", "a.txt", "b.TXT", "c.txt.bak", "README", "Sub", "Zeta.doc"}));
  EXPECT_EQ(Search("D:\\*.TxT"), (std::vector<std::string>{"a.txt", "b.TXT"}));
  EXPECT_EQ(Search("D:/?.txt"), (std::vector<std::string>{"a.txt", "b.TXT"}));
  EXPECT_EQ(Search("D:\\readme.*"), (std::vector<std::string>{"README"}));
  EXPECT_EQ(Search("D:\\*"), Search("D:\\*.*"));

  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA("D:\\SUB", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "Sub");
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  FindClose(h);
  h = FindFirstFileA("d:\\a.TXT", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  FindClose(h);
  EXPECT_FALSE(FindClose(h));

  EXPECT_EQ(FindFirstFileA("D:\\*.none", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA("D:\\missing\\*.*", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(Files, DriveTypesAndWindowsDirectory)
{
  EXPECT_EQ(GetDriveTypeA("C:\\"), UINT(DRIVE_FIXED));
  EXPECT_EQ(GetDriveTypeA("d:/"), UINT(DRIVE_FIXED));
  EXPECT_EQ(GetDriveTypeA("E:\\"), UINT(DRIVE_NO_ROOT_DIR));
  EXPECT_EQ(GetDriveTypeA("C:\\WINDOWS"), UINT(DRIVE_NO_ROOT_DIR)) << "not a root";
  standin::SetDrive('e', "/", DRIVE_CDROM);
  EXPECT_EQ(GetDriveTypeA("E:\\"), UINT(DRIVE_CDROM));
  standin::SetDrive('E', nullptr, DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDriveTypeA("E:\\"), UINT(DRIVE_NO_ROOT_DIR));

  char text[MAX_PATH];
  EXPECT_EQ(GetWindowsDirectoryA(text, sizeof text), 10u);
  EXPECT_STREQ(text, "C:\\WINDOWS");
  EXPECT_EQ(GetWindowsDirectoryA(text, 5), 11u) << "too small: the size needed";
  standin::SetWindowsDirectory("D:\\Win");
  EXPECT_EQ(GetWindowsDirectoryA(text, sizeof text), 6u);
  standin::SetWindowsDirectory(nullptr);
}
