// The resource compiler: what it accepts, and that every malformed list or
// file fails naming the list and line.
#include "lvxtest/testenv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Le16(uint16_t v) { return {char(v), char(v >> 8)}; }

// A BMP with a 40-byte header, `colours` palette entries and zero pixels.
std::string Bmp(int32_t width, int32_t height, uint16_t bits, uint32_t colours = 0, uint32_t compression = 0)
{
  const uint32_t rowBytes = ((uint32_t(width) * bits + 31) / 32) * 4;
  const uint32_t pixels = rowBytes * uint32_t(height < 0 ? -height : height);
  const uint32_t table = (bits <= 8 ? (colours ? colours : 1u << bits) : colours) * 4;
  const uint32_t offset = 14 + 40 + table;
  return "BM" + Le32(offset + pixels) + Le32(0) + Le32(offset) + Le32(40) + Le32(uint32_t(width)) +
         Le32(uint32_t(height)) + Le16(1) + Le16(bits) + Le32(compression) + Le32(pixels) + Le32(0) + Le32(0) +
         Le32(colours) + Le32(0) + std::string(table + pixels, '\0');
}

struct Outcome {
  int status = -1;
  std::string output; // stderr
  std::string generated;
};

// Runs rescomp on a list with the given text, in a fresh folder that holds
// good.bmp and blob.bin.
Outcome Compile(const std::string& list)
{
  static int counter = 0;
  const std::string dir = lvxtest::TempDir() + "/rc" + std::to_string(++counter);
  std::filesystem::create_directories(dir);
  Write(dir + "/good.bmp", Bmp(4, 2, 8, 16));
  Write(dir + "/blob.bin", "blob");
  Write(dir + "/res.txt", list);
  const std::string command = std::string(RESCOMP_PATH) + " --output " + dir + "/out.cpp " + dir + "/res.txt 2>&1";
  Outcome run;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[512];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream generated(dir + "/out.cpp");
  std::stringstream text;
  text << generated.rdbuf();
  run.generated = text.str();
  return run;
}

} // namespace

TEST(Rescomp, CompilesEveryKindOfLine)
{
  const Outcome run = Compile("# art\n"
                              "bitmap 100 good.bmp\n"
                              "string 7 \"a\\tb\\x41\\\"\"   # trailing comment\n"
                              "cursor 103 good.bmp 3 1\n"
                              "icon 104 good.bmp\n"
                              "data \"MPRO\" \"#1\" blob.bin\n"
                              "data RT_RCDATA \"Name\" blob.bin\n"
                              "\n");
  ASSERT_EQ(run.status, 0) << run.output;
  // Bitmaps lose their 14-byte file header: 40 + 16 x 4 + 2 rows of 4 = 112.
  EXPECT_NE(run.generated.find("{nullptr, 2, nullptr, 100, kResource0, 112, 0, 0}"), std::string::npos);
  EXPECT_NE(run.generated.find("{nullptr, 6, nullptr, 7, kResource1, 5, 0, 0}"), std::string::npos);
  EXPECT_NE(run.generated.find("{nullptr, 1, nullptr, 103, kResource2, 112, 3, 1}"), std::string::npos);
  EXPECT_NE(run.generated.find("{\"MPRO\", 0, nullptr, 1, kResource4, 4, 0, 0}"), std::string::npos)
      << "\"#1\" is the id 1";
  EXPECT_NE(run.generated.find("{nullptr, 10, \"Name\", 0, kResource5, 4, 0, 0}"), std::string::npos);
  // "a", tab, "b", "A", quote.
  EXPECT_NE(run.generated.find("97,9,98,65,34,"), std::string::npos);
}

TEST(Rescomp, CompilesDialogTemplatesWithTheirControls)
{
  const Outcome run = Compile("dialog 9 0 0 10 20 0x80C800C0 \"Hi\" \"F\" 8\n"
                              "control 1 \"BUTTON\" \"OK\" 0x50010001 1 2 3 4\n"
                              "control 2 \"EDIT\" \"\" 0 5 6 7 8\n");
  ASSERT_EQ(run.status, 0) << run.output;
  // Header 8 + 4 + 4 + 8 + 2 + 2 + "Hi\0" 3 + "F\0" 2 = 33; each control 4 + 4 + 8 + 2 = 18 plus its
  // class and text: BUTTON 18 + 7 + 3 = 28, EDIT 18 + 5 + 1 = 24; 85 in all.
  EXPECT_NE(run.generated.find("{nullptr, 5, nullptr, 9, kResource0, 85, 0, 0}"), std::string::npos) << run.generated;
  // The magic, style 0x80C800C0, exStyle 0 and the box 0 0 10 20 (the first 24 bytes).
  EXPECT_NE(run.generated.find("76,86,88,68,76,71,49,0,192,0,200,128,0,0,0,0,0,0,0,0,10,0,20,0,\n  8,0,2,0,"),
            std::string::npos);
  const Outcome orphan = Compile("control 1 \"BUTTON\" \"OK\" 0 1 2 3 4\n");
  EXPECT_NE(orphan.output.find(":1: error: a control line must follow its dialog line"), std::string::npos);
  const Outcome badStyle = Compile("dialog 9 0 0 10 20 0xZZ \"Hi\" \"F\" 8\n");
  EXPECT_NE(badStyle.output.find(":1: error: the style must be a number"), std::string::npos);
}

TEST(Rescomp, AcceptsEveryDepthAndBothHeaders)
{
  // A 2 x 2 1-bit picture with the 12-byte core header: 12 + 2 x 3 + 2 x 4.
  const std::string core = "BM" + Le32(14 + 12 + 6 + 8) + Le32(0) + Le32(14 + 12 + 6) + Le32(12) + Le16(2) + Le16(2) +
                           Le16(1) + Le16(1) + std::string(6 + 8, '\0');
  const std::string dir = lvxtest::TempDir() + "/depths";
  std::filesystem::create_directories(dir);
  Write(dir + "/core.bmp", core);
  for (uint16_t bits : {1, 4, 8, 24, 32})
    Write(dir + "/d" + std::to_string(bits) + ".bmp", Bmp(3, -2, bits));
  std::string list;
  int id = 1;
  for (const char* name : {"core", "d1", "d4", "d8", "d24", "d32"})
    list += "bitmap " + std::to_string(id++) + " " + dir + "/" + name + ".bmp\n";
  const Outcome run = Compile(list);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.generated.find("kResource0, 26, 0, 0}"), std::string::npos);
}

TEST(Rescomp, RejectsMalformedListsNamingTheLine)
{
  const struct {
    const char* list;
    const char* message;
  } cases[] = {
      {"bitmap 5 good.bmp\ndata RT_BITMAP 5 blob.bin\n", ":2: error: duplicate resource"},
      {"data \"Pipl\" \"Abc\" blob.bin\ndata \"PIPL\" \"aBC\" blob.bin\n", ":2: error: duplicate"},
      {"string 1 \"a\"\nstring 0 \"b\"\n", ":2: error: the id 0 is outside 1..65535"},
      {"string 65536 \"b\"\n", ":1: error: the id 65536 is outside"},
      {"\n\nbitmap 3 missing.bmp\n", ":3: error: cannot find or read 'missing.bmp'"},
      {"bitmap 3 blob.bin\n", ":1: error: blob.bin: not a BMP file"},
      {"string 1 \"open\n", ":1: error: unterminated quoted string"},
      {"string 1 \"bad \\q\"\n", ":1: error: unknown escape"},
      {"string 1 text\n", ":1: error: the text must be quoted"},
      {"sound 1 x.wav\n", ":1: error: unknown resource kind"},
      {"data RT_NOPE 1 blob.bin\n", ":1: error: unknown type"},
      {"cursor 1 good.bmp 4 0\n", ":1: error: the hot spot lies outside"},
      {"bitmap 1\n", ":1: error: expected: bitmap ID FILE.bmp"},
  };
  for (const auto& c : cases) {
    const Outcome run = Compile(c.list);
    EXPECT_NE(run.status, 0) << c.list;
    EXPECT_NE(run.output.find(std::string("res.txt") + c.message), std::string::npos) << c.list << run.output;
  }
}

TEST(Rescomp, RejectsMalformedBitmaps)
{
  const std::string dir = lvxtest::TempDir() + "/badbmp";
  std::filesystem::create_directories(dir);
  std::string truncated = Bmp(4, 4, 24);
  truncated.resize(truncated.size() - 1);
  std::string badHeader = Bmp(2, 2, 8);
  badHeader[14] = 64; // header size 64
  std::string twoPlanes = Bmp(2, 2, 8);
  twoPlanes[26] = 2;
  const struct {
    std::string name, bytes, message;
  } cases[] = {
      {"d16.bmp", Bmp(2, 2, 16), "16 bits per pixel"},
      {"rle.bmp", Bmp(2, 2, 8, 0, 1), "compressed"},
      {"cut.bmp", truncated, "truncated"},
      {"hdr.bmp", badHeader, "unsupported header"},
      {"planes.bmp", twoPlanes, "planes must be 1"},
      {"zero.bmp", Bmp(0, 2, 8), "bad size"},
      {"palette.bmp", Bmp(2, 2, 4, 17), "colour count"},
  };
  for (const auto& c : cases) {
    Write(dir + "/" + c.name, c.bytes);
    const Outcome run = Compile("bitmap 9 " + dir + "/" + c.name + "\n");
    EXPECT_NE(run.status, 0) << c.name;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << c.name << ": " << run.output;
    EXPECT_NE(run.output.find("res.txt:1:"), std::string::npos) << run.output;
  }
}
