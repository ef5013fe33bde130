// The skin model table generator: the published mixtures give known bytes
// (checked by MD5, so any change to a constant, the formula, the rounding or
// the layout shows), and the table built into the engine is that file.
#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Output(const std::string& command)
{
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[256];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    output.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return output;
}

std::string Md5(const std::string& path) { return Output(std::string(CMAKE_TOOL) + " -E md5sum " + path).substr(0, 32); }

std::vector<unsigned char> Bytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Entry of the 4-bit table for the cell of (r, g, b): red slowest.
int Cell(const std::vector<unsigned char>& t, int r, int g, int b) { return t[size_t(r >> 4 << 8 | g >> 4 << 4 | b >> 4)]; }

} // namespace

TEST(SkinTable, BuildOutputIsThePublishedModel)
{
  EXPECT_EQ(Md5(SKIN_TABLE_FILE), "374f25209d4eb29acfed91af00f920fc");
  const std::vector<unsigned char> t = Bytes(SKIN_TABLE_FILE);
  ASSERT_EQ(t.size(), 4096u);
  // The single maximum, 97, at the cell centred on (216, 152, 120); with red
  // and blue swapped the index would name the cell of (120, 152, 216).
  EXPECT_EQ(*std::max_element(t.begin(), t.end()), 97);
  EXPECT_EQ(std::count(t.begin(), t.end(), 97), 1);
  EXPECT_EQ(Cell(t, 216, 152, 120), 97);
  EXPECT_LT(Cell(t, 120, 152, 216), 97);
  // Saturated primaries are never skin; greys stay low, highest (13) at the
  // near-white cell that over-exposed skin reaches.
  EXPECT_EQ(Cell(t, 255, 0, 0) + Cell(t, 0, 255, 0) + Cell(t, 0, 0, 255), 0);
  for (int v = 0; v < 240; v += 16)
    EXPECT_LT(Cell(t, v, v, v), 13) << v;
  EXPECT_EQ(Cell(t, 248, 248, 248), 13);
}

TEST(SkinTable, FiveBitVariantAndArguments)
{
  const std::string out = lvxtest::TempDir() + "/skin5.bin";
  Output(std::string(SKIN_TABLE_TOOL) + " --bits 5 " + out);
  EXPECT_EQ(Bytes(out).size(), 32768u);
  EXPECT_EQ(Md5(out), "cf65d54cb261eb9dd7fc7647e69aeb38");
  // Anything else is refused with the usage line.
  for (const char* args : {"--bits 6 x.bin", "", "--bits"})
    EXPECT_NE(std::system((std::string(SKIN_TABLE_TOOL) + " " + args + " 2>/dev/null").c_str()), 0) << args;
}
