// lumivex-correct [options] IN OUT: corrects one image file with the engine
// library, loaded at run time.
//
// Exit codes: 0 success, 1 the engine returned a non-zero status, 2 usage
// error, 3 I/O or engine-loading error, 130 interrupted by Ctrl-C, 143 by
// SIGTERM (OUT not written).
#include "progress.h"

#include "imaging/imaging.h"
#include "lumivex.h"
#include "lvxtext/error.h"
#include "win32/automation.h"
#include "win32/interrupts.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <optional>
#include <string>
#include <strings.h>
#include <type_traits>
#include <unistd.h>
#include <vector>

namespace lvxcorrect {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitEngineStatus = 1;
constexpr int kExitUsage = 2;
constexpr int kExitIo = 3;

const char kUsage[] = "Usage: lumivex-correct [options] IN OUT\n"
                      "Corrects the photograph IN and writes it to OUT (.png, .jpg, .jpeg or .ppm).\n"
                      "\n"
                      "  --contrast N, --color N, --sharpen N, --noise N\n"
                      "                        correction levels 1..13 (default 3; --sharpen 1: none)\n"
                      "  --tonal-gamma G       reference gamma of the gamma correction (default 2.2)\n"
                      "  --target-gamma G      gamma of the finished picture (default 2.2)\n"
                      "  --skin R,G,B          target skin colour (default 233,200,181)\n"
                      "  --rect L,T,R,B        analyse only this rectangle (right, bottom exclusive)\n"
                      "  --quality Q           JPEG quality 1..100 (default 92)\n"
                      "  --engine PATH         engine library (default: $LUMIVEX_ENGINE, else\n"
                      "                        ../lib/libLumivex.so beside this program)\n"
                      "  --quiet               no progress bar\n"
                      "  --no-correct          load and save only, without the engine\n"
                      "  --times               print the time of loading, correcting and saving\n"
                      "  --max-pixels N        refuse an IN of more than N pixels (default:\n"
                      "                        $LUMIVEX_MAX_PIXELS, else 250000000)\n"
                      "  --help                show this help\n";

struct Options {
  AdjustParams params{};
  std::optional<AdjustRect> rect;
  int quality = 92;
  std::string engine;
  bool quiet = false;
  bool correct = true;
  bool times = false;
  bool help = false;
  std::optional<int64_t> maxPixels; // none: the imaging library's own choice
  std::string in;
  std::string out;
  imaging::FileFormat format = imaging::FileFormat::kPng;
};

// Reads the command line; the first problem found is kept in `error`.
class Parser {
public:
  lvxtext::Error error;

  bool Failed() const { return error.Failed(); }

  void Fail(const std::string& message) { error.Keep(message, kExitUsage); }

  // A whole decimal number within [lo, hi]; lo when it is not one.
  long Int(const std::string& option, const std::string& text, long lo, long hi)
  {
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || v < lo || v > hi) {
      Fail(option + " needs a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) + ", not '" +
           text + "'");
      return lo;
    }
    return v;
  }

  double Gamma(const std::string& option, const std::string& text)
  {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(v) || v <= 0) {
      Fail(option + " needs a positive number, not '" + text + "'");
      return 2.2;
    }
    return v;
  }

  // Exactly `count` comma-separated whole numbers within [lo, hi].
  std::vector<long> List(const std::string& option, const std::string& text, size_t count, long lo, long hi)
  {
    std::vector<long> values;
    size_t start = 0;
    for (;;) {
      const size_t comma = text.find(',', start);
      values.push_back(Int(option, text.substr(start, comma - start), lo, hi));
      if (comma == std::string::npos)
        break;
      start = comma + 1;
    }
    if (values.size() != count) {
      Fail(option + " needs " + std::to_string(count) + " comma-separated numbers, not '" + text + "'");
      values.resize(count, lo);
    }
    return values;
  }
};

bool EndsWith(const std::string& s, const char* suffix)
{
  const size_t n = std::strlen(suffix);
  return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, suffix) == 0;
}

std::optional<imaging::FileFormat> FormatOf(const std::string& path)
{
  if (EndsWith(path, ".png"))
    return imaging::FileFormat::kPng;
  if (EndsWith(path, ".jpg") || EndsWith(path, ".jpeg"))
    return imaging::FileFormat::kJpeg;
  if (EndsWith(path, ".ppm"))
    return imaging::FileFormat::kPnm;
  return std::nullopt;
}

// Fills `o` from the command line; returns the usage error, none when the
// command line is sound.
lvxtext::Error ParseOptions(int argc, char** argv, Options& o)
{
  o.params.contrastLevel = o.params.colorLevel = o.params.sharpenLevel = o.params.noiseLevel = 3;
  o.params.tonalGamma = o.params.targetGamma = 2.2;
  o.params.skinColor[0] = 233;
  o.params.skinColor[1] = 200;
  o.params.skinColor[2] = 181;
  if (const char* env = std::getenv("LUMIVEX_ENGINE"))
    o.engine = env;

  Parser p;
  std::vector<std::string> positional;
  bool optionsEnded = false;
  for (int i = 1; i < argc && !p.Failed(); ++i) {
    const std::string arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    // "--name value" or "--name=value".
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const size_t eq = arg.find('='); eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    auto value = [&]() -> std::string {
      if (inlineValue)
        return *inlineValue;
      if (i + 1 >= argc) {
        p.Fail(name + " needs a value");
        return "";
      }
      return argv[++i];
    };
    auto flag = [&]() {
      if (inlineValue)
        p.Fail(name + " takes no value");
      return true;
    };
    if (name == "--help") {
      o.help = flag();
      return p.error;
    } else if (name == "--contrast") {
      o.params.contrastLevel = static_cast<int16_t>(p.Int(name, value(), 1, 13));
    } else if (name == "--color") {
      o.params.colorLevel = static_cast<int16_t>(p.Int(name, value(), 1, 13));
    } else if (name == "--sharpen") {
      o.params.sharpenLevel = static_cast<int16_t>(p.Int(name, value(), 1, 13));
    } else if (name == "--noise") {
      o.params.noiseLevel = static_cast<int16_t>(p.Int(name, value(), 1, 13));
    } else if (name == "--tonal-gamma") {
      o.params.tonalGamma = p.Gamma(name, value());
    } else if (name == "--target-gamma") {
      o.params.targetGamma = p.Gamma(name, value());
    } else if (name == "--skin") {
      const auto rgb = p.List(name, value(), 3, 0, 255);
      for (int c = 0; c < 3; ++c)
        o.params.skinColor[c] = static_cast<uint8_t>(rgb[c]);
    } else if (name == "--rect") {
      const auto v = p.List(name, value(), 4, INT32_MIN, INT32_MAX);
      o.rect = AdjustRect{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]), static_cast<int32_t>(v[2]),
                          static_cast<int32_t>(v[3])};
    } else if (name == "--quality") {
      o.quality = static_cast<int>(p.Int(name, value(), 1, 100));
    } else if (name == "--engine") {
      o.engine = value();
      if (o.engine.empty())
        p.Fail("--engine needs a path");
    } else if (name == "--max-pixels") {
      int64_t pixels = 0;
      const std::string text = value();
      if (imaging::ParseMaxPixels(text.c_str(), &pixels))
        o.maxPixels = pixels;
      else if (!p.Failed())
        p.Fail("--max-pixels needs a whole number of pixels from 1 to 1000000000000000, not '" + text + "'");
    } else if (name == "--quiet") {
      o.quiet = flag();
    } else if (name == "--no-correct") {
      o.correct = !flag();
    } else if (name == "--times") {
      o.times = flag();
    } else {
      p.Fail("unknown option '" + arg + "'");
    }
  }
  if (p.Failed())
    return p.error;
  if (positional.size() != 2)
    return {"expected IN and OUT, got " + std::to_string(positional.size()) + " file name(s)", kExitUsage};
  o.in = positional[0];
  o.out = positional[1];
  const auto format = FormatOf(o.out);
  if (!format)
    return {"cannot tell the output format of '" + o.out + "': use .png, .jpg, .jpeg or .ppm", kExitUsage};
  o.format = *format;
  return {};
}

const char* StatusName(int32_t status)
{
  switch (status) {
  case LUMIVEX_OK: return "LUMIVEX_OK";
  case LUMIVEX_CANCELLED: return "LUMIVEX_CANCELLED";
  case LUMIVEX_ERR_NO_MEMORY: return "LUMIVEX_ERR_NO_MEMORY";
  case LUMIVEX_ERR_BAD_ARGUMENT: return "LUMIVEX_ERR_BAD_ARGUMENT";
  case LUMIVEX_ERR_TOO_MANY_REGIONS: return "LUMIVEX_ERR_TOO_MANY_REGIONS";
  case LUMIVEX_ERR_MODEL_OPEN: return "LUMIVEX_ERR_MODEL_OPEN";
  case LUMIVEX_ERR_MODEL_READ: return "LUMIVEX_ERR_MODEL_READ";
  case LUMIVEX_ERR_PEAK_LIST: return "LUMIVEX_ERR_PEAK_LIST";
  default: return "unknown status";
  }
}

// ---- The engine library ---------------------------------------------------------

struct Engine {
  void* handle = nullptr;
  decltype(&::DoAdjustments) doAdjustments = nullptr;
  decltype(&::SetParams) setParams = nullptr;
  decltype(&::doAllAutoAdjustments) doAllAuto = nullptr;
};

std::string DefaultEnginePath()
{
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0)
    return "libLumivex.so";
  std::string dir(self, static_cast<size_t>(n));
  dir.erase(dir.find_last_of('/') + 1);
  return dir + "../lib/libLumivex.so";
}

bool LoadEngine(const std::string& path, Engine* engine, lvxtext::Error* error)
{
  engine->handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!engine->handle) {
    const char* why = dlerror();
    return lvxtext::Fail(error, "cannot load the engine: " + std::string(why ? why : path), kExitIo);
  }
  lvxtext::Error missing;
  auto resolve = [&](const char* name, auto* slot) {
    *slot = reinterpret_cast<std::remove_pointer_t<decltype(slot)>>(dlsym(engine->handle, name));
    if (!*slot)
      missing.Keep("the engine '" + path + "' does not export " + name, kExitIo);
  };
  resolve("DoAdjustments", &engine->doAdjustments);
  resolve("SetParams", &engine->setParams);
  resolve("doAllAutoAdjustments", &engine->doAllAuto);
  if (missing.Failed() && error)
    *error = missing;
  return !missing.Failed();
}

// ---- Interrupt and progress -------------------------------------------------------

ProgressMeter* g_meter = nullptr;

// The engine polls at each progress tick: the first Ctrl-C or SIGTERM asks
// it to stop (see win32/interrupts.h).
int ProgressTrampoline(int argument) { return g_meter->OnProgress(argument, standin::InterruptSignal() != 0); }

double Seconds()
{
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

int Report(const lvxtext::Error& error)
{
  std::fprintf(stderr, "lumivex-correct: %s\n", error.message.c_str());
  return error.status;
}

// After Ctrl-C (130) or SIGTERM (143): OUT is not written.
int Interrupted(const Options& o)
{
  const int signal = standin::InterruptSignal();
  std::fprintf(stderr, "lumivex-correct: %s; '%s' not written\n", signal == SIGTERM ? "terminated" : "interrupted",
               o.out.c_str());
  return standin::InterruptedExitStatus(signal);
}

int Run(const Options& o)
{
  standin::EchoDialogs(true); // a person sees the engine's alerts
  standin::CatchInterrupts();
  if (o.maxPixels)
    imaging::SetMaxPixels(*o.maxPixels);

  Engine engine;
  if (o.correct) {
    lvxtext::Error error;
    if (!LoadEngine(o.engine.empty() ? DefaultEnginePath() : o.engine, &engine, &error))
      return Report(error);
  }

  const double t0 = Seconds();
  imaging::Bitmap bitmap;
  std::string error;
  imaging::LoadInfo info;
  if (imaging::LoadFile(o.in.c_str(), &bitmap, 24, &error, &info) != imaging::kSuccess)
    return Report({error, kExitIo});
  if (info.Reduced())
    std::fprintf(stderr, "lumivex-correct: %s has %d-bit samples; the picture was reduced to 8 bits\n", o.in.c_str(),
                 info.fileBitsPerSample);
  const double t1 = Seconds();

  int32_t status = LUMIVEX_OK;
  if (o.correct && !standin::InterruptSignal()) {
    engine.setParams(&o.params);
    ProgressMeter meter(isatty(STDERR_FILENO) && !o.quiet ? stderr : nullptr, stderr, Seconds);
    g_meter = &meter;
    status = engine.doAdjustments(bitmap.data, bitmap.height, bitmap.width, bitmap.bytesPerLine, 3,
                                  o.rect ? &*o.rect : nullptr, ProgressTrampoline);
    meter.Finish();
    g_meter = nullptr;
  }
  const double t2 = Seconds();
  if (standin::InterruptSignal())
    return Interrupted(o);
  if (status != LUMIVEX_OK) {
    std::fprintf(stderr, "lumivex-correct: the engine returned %s (%d); '%s' not written\n", StatusName(status), status,
                 o.out.c_str());
    return kExitEngineStatus;
  }

  // A save that Ctrl-C stops removes its temporary file; OUT stays as it was.
  if (imaging::SaveFile(o.out.c_str(), &bitmap, o.format, o.quality, &error) != imaging::kSuccess)
    return standin::InterruptSignal() ? Interrupted(o) : Report({error, kExitIo});
  const double t3 = Seconds();

  std::printf("output: %s\n", o.out.c_str());
  if (o.correct)
    std::printf("engine status: %s (%d)\n", StatusName(status), status);
  else
    std::printf("engine status: not run (--no-correct)\n");
  if (o.times)
    std::fprintf(stderr, "times: load %.1f ms, correct %.1f ms, save %.1f ms\n", (t1 - t0) * 1e3, (t2 - t1) * 1e3,
                 (t3 - t2) * 1e3);
  return kExitOk;
}

} // namespace
} // namespace lvxcorrect

int main(int argc, char** argv)
try {
  using namespace lvxcorrect;
  Options options;
  const lvxtext::Error usageError = ParseOptions(argc, argv, options);
  if (usageError.Failed()) {
    std::fprintf(stderr, "lumivex-correct: %s\nUsage: lumivex-correct [options] IN OUT (--help lists the options)\n",
                 usageError.message.c_str());
    return usageError.status;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  return Run(options);
} catch (...) {
  return lvxtext::ReportUncaught("lumivex-correct", lvxcorrect::kExitIo);
}
