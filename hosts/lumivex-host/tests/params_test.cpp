// The parameter file: bit-exact numbers, codes, and errors with line numbers.
#include "filterhost/filterhost.h"
#include "lvxtest/testenv.h"
#include "params.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using namespace lvhost;

namespace {

DescriptorEntry Number(uint32_t key, double value)
{
  DescriptorEntry e;
  e.key = key;
  e.type = typeFloat;
  e.number = value;
  return e;
}

} // namespace

TEST(ParameterFile, RoundTripKeepsEveryDoubleBitForBit)
{
  Descriptor d;
  d.push_back(DescriptorEntry{FourCC("lvAU"), typeBoolean, true, 0, 0});
  d.push_back(DescriptorEntry{FourCC("lvCT"), typeInteger, false, INT32_MIN, 0});
  d.push_back(DescriptorEntry{FourCC("#ImR"), typeInteger, false, INT32_MAX, 0}); // '#' would read as a comment
  d.push_back(DescriptorEntry{FourCC("STR "), typeBoolean, false, 0, 0});         // a blank cannot be a token
  char key[] = "lvG0"; // one key per number: a file gives each key once
  for (double v : {0.1, -0.0, 1.0 / 3.0, 5e-324, 1.7976931348623157e308, -2.5, std::numeric_limits<double>::infinity(),
                   -std::numeric_limits<double>::infinity()}) {
    d.push_back(Number(FourCC(key), v));
    ++key[3];
  }
  const std::string path = lvxtest::TempDir() + "/params.txt";
  lvxtext::Error error;
  ASSERT_TRUE(WriteParameterFile(path, d, &error)) << error.message;
  Descriptor back;
  ASSERT_TRUE(ReadParameterFile(path, &back, &error)) << error.message;
  EXPECT_EQ(back, d);

  const std::string text = FormatParameters(d);
  EXPECT_EQ(text.substr(0, text.find('\n', 27)), "lumivex-host parameters 1\nlvAU bool true");
  EXPECT_NE(text.find("0x23496D52 long 2147483647"), std::string::npos);
  EXPECT_NE(text.find("0x53545220 bool false"), std::string::npos);

  // NaN, comments, blank lines, CRLF and hex codes read back.
  ASSERT_TRUE(ParseParameters("lumivex-host parameters 1\r\n# note\n\n  lvGA doub nan\r\n0x6C764155 0x626F6F6C false\n",
                              &back, &error))
      << error.message;
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(std::isnan(back[0].number));
  EXPECT_EQ(back[1].key, FourCC("lvAU"));
  EXPECT_FALSE(back[1].boolean);
}

TEST(ParameterFile, BadLinesAreReportedWithTheirNumber)
{
  const std::pair<const char*, const char*> cases[] = {
      {"", "the file is empty; the first line must be"},
      {"lumivex-host parameters 2\n", "line 1"},
      {"lumivex-host parameters 1\nlvAU bool yes\n", "line 2"},
      {"lumivex-host parameters 1\n\nlvCT long 2147483648\n", "line 3"},
      {"lumivex-host parameters 1\nlvCT long 12.5\n", "line 2"},
      {"lumivex-host parameters 1\nlvGA doub 0x1p3\n", "line 2"},
      {"lumivex-host parameters 1\nlvGA doub 1e999\n", "line 2"},
      {"lumivex-host parameters 1\nlvGA text 1\n", "line 2"},
      {"lumivex-host parameters 1\nlvG doub 1\n", "line 2"},
      {"lumivex-host parameters 1\n0x6C76415 bool true\n", "line 2"},
      {"lumivex-host parameters 1\nlvAU bool true extra\n", "line 2"},
      {"lumivex-host parameters 1\nlvAU bool\n", "line 2"},
  };
  for (const auto& [text, where] : cases) {
    Descriptor d{DescriptorEntry{}};
    lvxtext::Error error;
    EXPECT_FALSE(ParseParameters(text, &d, &error)) << text;
    EXPECT_EQ(error.message.rfind(where, 0), 0u) << text << " -> " << error.message;
    EXPECT_EQ(d.size(), 1u); // untouched
  }
  lvxtext::Error error;
  Descriptor d;
  EXPECT_FALSE(ReadParameterFile(lvxtest::TempDir() + "/none.txt", &d, &error));
}

TEST(ParameterFile, AKeyGivenTwiceIsRefusedWithBothLines)
{
  Descriptor d;
  lvxtext::Error error;
  EXPECT_TRUE(
      ParseParameters("lumivex-host parameters 1\nlvCT long 1\nlvSH long 2\n# again\nLVCT long 3\n", &d, &error))
      << "codes are exact: LVCT is another key";
  EXPECT_FALSE(
      ParseParameters("lumivex-host parameters 1\nlvCT long 1\nlvSH long 2\n# again\nlvCT long 3\n", &d, &error));
  EXPECT_EQ(error.message, "line 5: the key lvCT is given twice (first on line 2)");
}

TEST(ParameterFile, LongWordsAreShownCutTo80Characters)
{
  Descriptor d;
  lvxtext::Error error;
  const std::string value(5000, '7');
  EXPECT_FALSE(ParseParameters("lumivex-host parameters 1\nlvCT long " + value + "\n", &d, &error));
  EXPECT_EQ(error.message, "line 2: '" + value.substr(0, 80) + "\u2026' is not a long value");
  EXPECT_FALSE(ParseParameters("lumivex-host parameters 1\nlvAU bool true " + value + "\n", &d, &error));
  EXPECT_EQ(error.message, "line 2: unexpected '" + value.substr(0, 80) + "\u2026' after the value");
  // A NUL byte would end the message where it is printed.
  EXPECT_FALSE(ParseParameters(std::string("lumivex-host parameters 1\nlvCT long 1") + '\0' + "2\n", &d, &error));
  EXPECT_EQ(error.message, "line 2: '1\\02' is not a long value");
}

TEST(ParameterFile, OnlyABoundedRegularFileIsRead)
{
  const std::string folder = lvxtest::TempDir();
  ASSERT_EQ(mkfifo((folder + "/fifo").c_str(), 0600), 0);
  const int fd = open((folder + "/huge.params").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(kParameterFileLimit) + 1), 0);
  close(fd);
  const std::pair<std::string, std::string> cases[] = {
      {folder, folder + ": is a directory"},
      {"/dev/zero", "/dev/zero: not a regular file"},
      {folder + "/fifo", folder + "/fifo: not a regular file"},
      {folder + "/huge.params", folder + "/huge.params: is larger than 1 MB"},
  };
  for (const auto& [path, message] : cases) {
    Descriptor d;
    lvxtext::Error error;
    EXPECT_FALSE(ReadParameterFile(path, &d, &error));
    EXPECT_EQ(error.message, message);
  }
}
