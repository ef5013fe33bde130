#pragma once
// What effects-host's tests share: pictures written to files, runs of the
// program in this process, and reading the results back.
#include "imagefiles.h"
#include "program.h"

#include "lvxtest/testenv.h"
#include "qvcommon/qvimage.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace hosttest {

inline std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

inline bool Exists(const std::string& path)
{
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

inline std::string Read(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

inline uint8_t* At(const QVImage& image, int32_t x, int32_t y)
{
  return image.pixels + static_cast<ptrdiff_t>(y) * image.rowBytes + static_cast<ptrdiff_t>(x) * image.bytesPerPixel;
}

// A w x h colour picture drawn by paint(x, y, pixel B, G, R), written as PNG.
inline std::string Picture(const std::string& name, int32_t w, int32_t h,
                           const std::function<void(int32_t, int32_t, uint8_t*)>& paint)
{
  QVImage image(w, h, 3, nullptr);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      paint(x, y, At(image, x, y));
  const std::string path = Temp(name);
  lvxtext::Error error;
  EXPECT_TRUE(lvfx::WriteImage(path, image, 92, &error)) << error.message;
  return path;
}

inline std::unique_ptr<QVImage> Load(const std::string& path)
{
  lvxtext::Error error;
  std::unique_ptr<QVImage> image = lvfx::ReadImage(path, false, &error);
  EXPECT_TRUE(image) << error.message;
  return image;
}

// Options for MODULE on IN writing OUT in the temporary folder.
inline lvfx::ProgramOptions Options(const char* module, const std::string& in, const std::string& out)
{
  lvfx::ProgramOptions options;
  options.module = module;
  options.input = in;
  options.output = Temp(out);
  return options;
}

inline lvfx::EventSource Event(const std::string& option, const std::string& value = "")
{
  lvfx::EventSource source;
  lvxtext::Error error;
  EXPECT_TRUE(lvfx::OptionEvent(option, value, &source.event, &error)) << error.message;
  return source;
}

// The undo and redo stacks of a --report file.
inline std::string Stacks(const std::string& report)
{
  const size_t from = report.find("undo stack");
  return report.substr(from, report.find("redraws:") - from);
}

// A smooth picture: a gentle diagonal ramp.
inline void Smooth(int32_t x, int32_t y, uint8_t* p)
{
  p[0] = static_cast<uint8_t>(60 + x / 8);
  p[1] = static_cast<uint8_t>(90 + y / 8);
  p[2] = static_cast<uint8_t>(120 + (x + y) / 16);
}

class Host : public ::testing::Test {
protected:
  void TearDown() override { standin::Reset(); }
};

} // namespace hosttest
