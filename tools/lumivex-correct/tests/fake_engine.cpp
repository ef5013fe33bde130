// A stand-in for the engine library, scripted through the environment, so the
// tool's handling of settings, progress, statuses and interrupts can be tested
// without the real engine.
//   FAKE_ENGINE_RECORD  file to which the call's arguments are written
//   FAKE_ENGINE_SCRIPT  comma-separated progress arguments to send, in order;
//                       "poll" polls until the tool asks to cancel
//   FAKE_ENGINE_READY   file created just before "poll" starts polling
//   FAKE_ENGINE_STATUS  status to return when nothing was cancelled
//   FAKE_ENGINE_INVERT  when set, inverts every pixel byte (not the padding)
#include "lumivex.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

AdjustParams g_params;

const char* Env(const char* name)
{
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

// Polls until the callback answers non-zero; gives up after 20 s so that a
// broken interrupt path fails the test instead of hanging it.
bool PollUntilCancelled(AdjustProgressProc progress)
{
  if (const char* ready = Env("FAKE_ENGINE_READY"))
    if (FILE* f = std::fopen(ready, "w"))
      std::fclose(f);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (progress(0) != 0)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

} // namespace

extern "C" {

LUMIVEX_API int32_t SetParams(const AdjustParams* params)
{
  if (params)
    g_params = *params;
  return 0;
}

LUMIVEX_API int32_t DoAdjustments(uint8_t* pixels, int32_t rows, int32_t columns, int32_t rowBytes, int32_t pixelBytes,
                                  const AdjustRect* rect, AdjustProgressProc progress)
{
  if (const char* path = Env("FAKE_ENGINE_RECORD"))
    if (FILE* f = std::fopen(path, "w")) {
      std::fprintf(f, "image %d %d %d %d\n", rows, columns, rowBytes, pixelBytes);
      if (rect)
        std::fprintf(f, "rect %d %d %d %d\n", rect->left, rect->top, rect->right, rect->bottom);
      else
        std::fprintf(f, "rect null\n");
      std::fprintf(f, "levels %d %d %d %d\n", g_params.contrastLevel, g_params.colorLevel, g_params.sharpenLevel,
                   g_params.noiseLevel);
      std::fprintf(f, "gammas %g %g\n", g_params.tonalGamma, g_params.targetGamma);
      std::fprintf(f, "skin %d %d %d\n", g_params.skinColor[0], g_params.skinColor[1], g_params.skinColor[2]);
      std::fclose(f);
    }
  if (Env("FAKE_ENGINE_INVERT"))
    for (int32_t y = 0; y < rows; ++y)
      for (int32_t x = 0; x < columns * pixelBytes; ++x)
        pixels[static_cast<ptrdiff_t>(y) * rowBytes + x] ^= 0xFF;
  if (const char* script = Env("FAKE_ENGINE_SCRIPT")) {
    std::string s = script;
    size_t start = 0;
    while (start <= s.size()) {
      const size_t comma = std::min(s.find(',', start), s.size());
      const std::string token = s.substr(start, comma - start);
      start = comma + 1;
      if (token == "poll") {
        if (PollUntilCancelled(progress))
          return LUMIVEX_CANCELLED;
      } else if (!token.empty() && progress(std::atoi(token.c_str())) != 0) {
        return LUMIVEX_CANCELLED;
      }
    }
  }
  const char* status = Env("FAKE_ENGINE_STATUS");
  return status ? std::atoi(status) : LUMIVEX_OK;
}

#ifndef FAKE_ENGINE_WITHOUT_DOALL
LUMIVEX_API int32_t doAllAutoAdjustments(uint8_t** pp, int32_t rows, int32_t columns, AdjustRect rect, int32_t rowBytes,
                                         AdjustProgressProc progress)
{
  return DoAdjustments(pp ? *pp : nullptr, rows, columns, rowBytes, 3, &rect, progress);
}
#endif

} // extern "C"
