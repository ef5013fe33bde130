// fuzz-seeds OUT: writes the harnesses' seed files into OUT/<harness>/ with
// the project's own writers (the imaging library, lumivex-host's PAM and
// parameter writers, the registry, the plug-in's generated description),
// plus hand-made headers for what nothing of ours writes. The results are
// committed under fuzz/corpus/.
#include "image.h"
#include "lumivex.h"
#include "params.h"

#include "filterhost/filterhost.h"
#include "imaging/imaging.h"
#include "win32/automation.h"
#include "win32/registry.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <zlib.h>

namespace {

std::string g_out;

std::string Folder(const std::string& harness)
{
  const std::string folder = g_out + "/" + harness;
  std::filesystem::create_directories(folder);
  return folder;
}

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Read(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

imaging::Bitmap Picture(int32_t bits)
{
  imaging::Bitmap b;
  imaging::Create(&b, 7, 5, bits);
  for (int32_t y = 0; y < b.height; ++y)
    for (int32_t i = 0; i < b.bytesPerLine; ++i)
      b.Row(y)[i] = static_cast<uint8_t>(i < b.width * bits / 8 ? 31 * y + 7 * i : 0);
  return b;
}

void ImageFiles()
{
  const std::string folder = Folder("fuzz-image-files");
  const struct {
    const char* name;
    imaging::FileFormat format;
    int32_t bits;
  } files[] = {
      {"grey.png", imaging::FileFormat::kPng, 8},     {"colour.png", imaging::FileFormat::kPng, 24},
      {"colour.jpg", imaging::FileFormat::kJpeg, 24}, {"grey.jpg", imaging::FileFormat::kJpeg, 8},
      {"colour.tif", imaging::FileFormat::kTiff, 24}, {"grey.tif", imaging::FileFormat::kTiff, 8},
      {"colour.bmp", imaging::FileFormat::kBmp, 24},  {"grey.bmp", imaging::FileFormat::kBmp, 8},
      {"colour.ppm", imaging::FileFormat::kPnm, 24},  {"grey.pgm", imaging::FileFormat::kPnm, 8},
  };
  for (const auto& f : files) {
    const imaging::Bitmap b = Picture(f.bits);
    imaging::SaveFile((folder + "/" + f.name).c_str(), &b, f.format, 80);
  }
  // Hand-made: 16-bit samples and a small maxval, which nothing of ours writes.
  Write(folder + "/wide.pgm", std::string("P5\n2 1\n65535\n\x12\x34\xff\xfe", 17));
  Write(folder + "/maxval15.ppm", std::string("P6 # note\n1 1\n15\n\x0f\x07\x00", 20));
  // Hostile headers: 4.29 GB and 3.2 GB of samples claimed by 21 and 19
  // bytes, and a PNG of 32000 x 20000 pixels whose image data has barely
  // begun. Each must be refused before anything of the claimed size exists.
  Write(folder + "/claim-21.ppm", "P6 715000000\n1\n65535\n");
  Write(folder + "/claim-19.ppm", "P6 535643663\n\n1 534");
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string chunk = "IHDR";
  for (const uint32_t v : {32000u, 20000u})
    for (int shift = 24; shift >= 0; shift -= 8)
      chunk += static_cast<char>(v >> shift);
  chunk += std::string("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, deflate, no filter, not interlaced
  const uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), 17));
  png += std::string("\x00\x00\x00\x0d", 4) + chunk;
  for (int shift = 24; shift >= 0; shift -= 8)
    png += static_cast<char>(crc >> shift);
  png += std::string("\x00\x00\x00\x02IDAT\x78\x9c", 10);
  Write(folder + "/claim-32000x20000.png", png);
}

void HostFiles()
{
  const std::string pam = Folder("fuzz-host-pam");
  for (const auto& [name, mode, alpha] :
       {std::tuple{"grey.pam", plugInModeGrayScale, false}, std::tuple{"rgba.pam", plugInModeRGBColor, true},
        std::tuple{"cmyk.pam", plugInModeCMYKColor, false}}) {
    lvhost::HostImage image;
    image.width = 3;
    image.height = 2;
    image.mode = mode;
    image.alpha = alpha;
    image.pixels.resize(image.RowBytes() * 2);
    for (size_t i = 0; i < image.pixels.size(); ++i)
      image.pixels[i] = static_cast<uint8_t>(i * 29);
    Write(pam + "/" + name, lvhost::FormatPam(image));
  }
  const std::string params = Folder("fuzz-host-params");
  lvhost::Descriptor d = {{FourCC("lvAU"), typeBoolean, true, 0, 0},
                          {FourCC("lvCT"), typeInteger, false, -12, 0},
                          {FourCC("lvGA"), typeFloat, false, 0, 1.8},
                          {FourCC("#ImR"), typeInteger, false, 2147483647, 0}};
  Write(params + "/all-types.txt", lvhost::FormatParameters(d));
  Write(params + "/comments.txt",
        "lumivex-host parameters 1\r\n# note\n\n  lvGA doub nan\r\n0x6C764155 0x626F6F6C false\n");
  Write(params + "/packed.bin", lvhost::PackDescriptor(d));
}

void Registry()
{
  const std::string folder = Folder("fuzz-registry-store");
  const std::string path = folder + "/registry";
  std::remove(path.c_str());
  setenv("LUMIVEX_REGISTRY", path.c_str(), 1);
  standin::RegistryReload();
  HKEY key = nullptr;
  RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Tarnwell\\Lumivex\\Presets", &key);
  const uint32_t number = 0x01020304;
  RegSetValueExA(key, "Warm", 0, REG_BINARY, reinterpret_cast<const BYTE*>("\1\0\0\0\3\0\0\0"), 8);
  RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
  RegSetValueExA(key, "Odd \"name\"\n", 0, REG_SZ, reinterpret_cast<const BYTE*>("text\\\xff"), 6);
  RegSetValueExA(key, "", 0, 7, reinterpret_cast<const BYTE*>("\0\0"), 2);
  RegCloseKey(key);
  RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Fuzz\\Deeper\\Still", &key);
  RegCloseKey(key);
  std::remove((folder + "/registry.lock").c_str());
}

void PluginDescription()
{
  const std::string folder = Folder("fuzz-plugin-description");
  Write(folder + "/lumivexpi.pipl", Read(PIPL_PATH));
  Write(folder + "/lumivexpi.aete", Read(AETE_PATH));
}

// A header (version 16, big-endian), a 24-bit 64 x 64 preview block and an
// embedded PNG.
void TwlFiles()
{
  const std::string folder = Folder("fuzz-twl-file");
  const imaging::Bitmap b = Picture(24);
  const std::string png = folder + "/embedded.png";
  imaging::SaveFile(png.c_str(), &b, imaging::FileFormat::kPng, 0);
  const std::string image = Read(png);
  std::remove(png.c_str());
  for (const bool grey : {false, true}) {
    const uint32_t previewBytes = grey ? 40 + 1024 + 4096 : 40 + 64 * 64 * 3;
    std::string file(1024 + previewBytes, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i)
        file[at + i] = static_cast<char>(v >> (24 - 8 * i));
    };
    file[23] = 16;
    put32(284, 1024 + previewBytes);
    put32(288, static_cast<uint32_t>(image.size()));
    for (size_t i = 1024 + 40; i < file.size(); ++i)
      file[i] = static_cast<char>(i * 13);
    Write(folder + (grey ? "/grey-preview.twl" : "/colour-preview.twl"), file + image);
  }
}

// The harness's layout: a choice byte, the settings record, then sizes,
// rectangle and cancel point as 32-bit values, then pixels.
void EngineInputs()
{
  const std::string folder = Folder("fuzz-engine-exports");
  AdjustParams params{3, 3, 3, 3, 2.2, 2.2, {233, 200, 181}, {}};
  const struct {
    const char* name;
    uint8_t choice;
    AdjustParams params;
    int32_t values[9];
  } inputs[] = {
      {"defaults.bin", 0x20, params, {15, 23, 0, 1, 0, 0, 0, 0, 0}},
      {"rect.bin", 0x00, params, {30, 30, 1, 3, 2, 3, 20, 25, 0}},
      {"auto-bottom-up.bin", 0x03, {13, 1, 13, 1, 1.0, 3.0, {255, 0, 0}, {}}, {9, 39, 0, 4, 0, 0, 39, 40, 0}},
      {"cancel.bin", 0x04, {1, 13, 1, 13, 2.6, 1.3, {10, 200, 90}, {}}, {39, 39, 1, 0, 0, 0, 5, 5, 17}},
  };
  for (const auto& input : inputs) {
    std::string bytes(1, static_cast<char>(input.choice));
    bytes.append(reinterpret_cast<const char*>(&input.params), sizeof input.params);
    bytes.append(reinterpret_cast<const char*>(input.values), sizeof input.values);
    for (int i = 0; i < 96; ++i)
      bytes += static_cast<char>((i * 53) ^ (i >> 2));
    Write(folder + "/" + input.name, bytes);
  }
}

// effects-host's event files and the host programs' UI scripts: every line
// kind, comments, quoting and escapes.
void EffectsHostInputs()
{
  Write(Folder("fuzz-fx-events") + "/every-line.txt",
        "# edits\npreset coarse\nslider 7 9\ncontrol 11 14\nmarker 10 20  # a marker\n"
        "mouse 1 -3 4\nundo\nredo\n\nrevert\n");
  Write(Folder("fuzz-ui-script") + "/every-step.ui",
        "# steps\nclick panel 1 2\npress \"Preview\" 3 4\nmove screen 5 6\nrelease panel 7 8\n"
        "drag panel 0 0 30 -12\nkey down Ctrl\nkey press z\nkey up ctrl\ntype \"a \\\"b\\\"\\n\"\n"
        "close \"Preview\"\nanswer yes\nfile /tmp/x.png\nfile-cancel\nsnapshot panel out/p.png\n");
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz-seeds OUT\n");
    return 2;
  }
  g_out = argv[1];
  ImageFiles();
  HostFiles();
  Registry();
  PluginDescription();
  TwlFiles();
  EngineInputs();
  EffectsHostInputs();
  return 0;
}
