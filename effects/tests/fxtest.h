#pragma once
// What the effect tests share: the modules loaded through effects-host's
// library, sessions on them, and small images to run them on.
#include "effectmodule.h"
#include "session.h"

#include "qvcommon/qvimage.h"
#include "qvcommon/qvviewimage.h"
#include "qvcommon/qvvirtualimage.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace fxtest {

// Loads the module at the path into `module`; a failure fails the test.
inline void LoadModule(lvfx::EffectModule& module, const char* path)
{
  lvxtext::Error error;
  ASSERT_TRUE(module.Load(path, &error)) << error.message;
}

// A module loaded for the test, and a session on it with an image and its
// view at zoom 1.
class ModuleTest : public ::testing::Test {
protected:
  void Load(const char* path)
  {
    LoadModule(module, path);
    session = std::make_unique<lvfx::Session>(module.Exports());
  }
  // AddInstance, GetInfo, Initialize and SetImageInfo on the document.
  void Open(QVImage* document) { ASSERT_TRUE(session->Open(module.Handle(), document)) << session->Failure(); }
  // The log entries that start with `prefix`.
  std::vector<std::string> Entries(const std::string& prefix) const
  {
    std::vector<std::string> out;
    for (const std::string& e : session->Log())
      if (e.rfind(prefix, 0) == 0)
        out.push_back(e);
    return out;
  }
  const lvfx::EffectExports& X() const { return module.Exports(); }
  int32_t Index() const { return session->Index(); }
  int32_t SliderValue(int32_t id) const
  {
    const lvfx::Control* c = session->Controls().Find(id);
    return c ? c->Value() : -1;
  }
  void TearDown() override
  {
    session.reset();
    standin::Reset();
  }

  lvfx::EffectModule module;
  std::unique_ptr<lvfx::Session> session;
};

// One of a module's exports by name, typed; null when it has none.
template <class Proc>
Proc Export(const lvfx::EffectModule& module, const char* name)
{
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module.Handle(), name)));
}

// A 3-byte (or 1-byte) image of the size filled with value.
inline std::unique_ptr<QVImage> Flat(int32_t w, int32_t h, int32_t bpp, uint8_t value)
{
  const QVColor colour(value, value, value);
  return std::make_unique<QVImage>(w, h, bpp, &colour);
}

inline uint8_t* At(const QVImage& image, int32_t x, int32_t y)
{
  return image.pixels + static_cast<ptrdiff_t>(y) * image.rowBytes + static_cast<ptrdiff_t>(x) * image.bytesPerPixel;
}

// Every pixel byte, row by row, without the padding.
inline std::vector<uint8_t> Pixels(const QVImage& image)
{
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < image.height; ++y)
    out.insert(out.end(), At(image, 0, y), At(image, image.width, y));
  return out;
}

// A view of the whole base at the zoom (with its virtual image).
struct View {
  View(QVImage* base, double zoom)
      : source(base), view(std::max(1, static_cast<int32_t>(base->width * zoom)),
                           std::max(1, static_cast<int32_t>(base->height * zoom)), zoom, 0, 0, &source)
  {
  }
  QVVirtualImage source;
  QVViewImage view;
};

// A busy picture: a smooth ramp with a regular texture, so both filters
// have something to change.
inline void Paint(QVImage& image, uint32_t seed)
{
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x)
      for (int32_t c = 0; c < image.bytesPerPixel; ++c)
        At(image, x, y)[c] = static_cast<uint8_t>((x * 3 + y * 2 + c * 40 + ((x + y + seed) % 4 == 0 ? 90 : 0)) & 0xFF);
}

} // namespace fxtest
