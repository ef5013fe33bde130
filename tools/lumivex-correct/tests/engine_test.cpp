// lumivex-correct with the real engine library, found where the tool looks by
// default (../lib beside the program), on the bundled samples.
#include "run_tool.h"

#include "imaging/imaging.h"
#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <cstring>

namespace lvxtest {
namespace {

void CorrectSample(const std::string& name)
{
  const std::string in = Source("samples/" + name + ".png");
  imaging::Bitmap source;
  ASSERT_EQ(imaging::LoadFile(in.c_str(), &source, 24), imaging::kSuccess);
  for (const char* ext : {".png", ".jpg"}) {
    SCOPED_TRACE(ext);
    const std::string out = TempDir() + "/" + name + "-corrected" + ext;
    const ToolResult r = RunTool({in, out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "output: " + out + "\nengine status: LUMIVEX_OK (0)\n");
    imaging::Bitmap result;
    ASSERT_EQ(imaging::LoadFile(out.c_str(), &result, 24), imaging::kSuccess);
    EXPECT_EQ(result.width, source.width);
    EXPECT_EQ(result.height, source.height);
    // The engine corrects the picture: the lossless copy differs from the input.
    if (std::string(ext) == ".png") {
      ASSERT_EQ(result.bytesPerLine, source.bytesPerLine);
      EXPECT_NE(0, std::memcmp(result.data, source.data, static_cast<size_t>(source.bytesPerLine) * source.height));
    }
  }
}

TEST(CorrectRealEngine, Astronaut) { CorrectSample("astronaut"); }
TEST(CorrectRealEngine, Coffee) { CorrectSample("coffee"); }

} // namespace
} // namespace lvxtest
