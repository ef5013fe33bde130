// The skin model table generator: the published mixtures give known bytes
// (checked by MD5, so any change to a constant, the formula, the rounding or
// the layout shows), with the model's known landmarks.
#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Output(const std::string& command)
{
  std::string output(256, '\0');
  FILE* pipe = popen(command.c_str(), "r");
  output.resize(fread(output.data(), 1, output.size(), pipe));
  EXPECT_EQ(pclose(pipe), 0) << command;
  return output;
}

std::string Md5(const std::string& path)
{
  return Output(std::string(CMAKE_TOOL) + " -E md5sum " + path).substr(0, 32);
}

} // namespace

TEST(SkinTable, BuildOutputIsThePublishedModel)
{
  EXPECT_EQ(Md5(SKIN_TABLE_FILE), "374f25209d4eb29acfed91af00f920fc");
  std::ifstream in(SKIN_TABLE_FILE, std::ios::binary);
  const std::vector<unsigned char> t{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_EQ(t.size(), 4096u);
  auto cell = [&](int r, int g, int b) { return int(t[size_t(r >> 4 << 8 | g >> 4 << 4 | b >> 4)]); };
  // The single maximum, 97, at the cell centred on (216, 152, 120): red is
  // the slowest index, so with red and blue swapped it would not be there.
  EXPECT_EQ(std::count(t.begin(), t.end(), 97), 1);
  EXPECT_EQ(*std::max_element(t.begin(), t.end()), 97);
  EXPECT_EQ(cell(216, 152, 120), 97);
  // Saturated primaries are never skin; near-white is 13 (over-exposed skin).
  EXPECT_EQ(cell(255, 0, 0) + cell(0, 255, 0) + cell(0, 0, 255), 0);
  EXPECT_EQ(cell(248, 248, 248), 13);
}

TEST(SkinTable, FiveBitVariant)
{
  const std::string out = lvxtest::TempDir() + "/skin5.bin";
  Output(std::string(SKIN_TABLE_TOOL) + " --bits 5 " + out);
  EXPECT_EQ(Md5(out), "cf65d54cb261eb9dd7fc7647e69aeb38");
}
