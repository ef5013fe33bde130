// The programs' results pinned by their SHA-256, run as separate processes
// on files: lumivex-correct on every input format its reader takes and to
// each output format, and lumivex-host with LumivexPI on its automatic,
// replay and interactive roads, in every image mode its files carry.
//
// Each hash covers the exit status and the picture the program wrote, as
// read back (dimensions, mode, pixels). The committed hashes were made by
// the code as it stood before any speed work; see lvxtest/goldentable.h for
// how to print them.
#include "hostphoto.h"
#include "image.h"
#include "lvxtest/goldentable.h"
#include "lvxtest/sha256.h"
#include "programtest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using lvxtest::GoldenEntry;
using lvxtest::GoldenTable;

namespace {

constexpr GoldenEntry kLumivexCorrect[] = {
    {"coffee png to ppm", "4d78962c2fcabe91edfbc3df6f09f466a4722c80d21801809426dbd438db11f8"},
    {"photo ppm to ppm", "6854ba275c082f9d8634e5c68ee0ff4abd9a57750b5bb6ef4d1272e192724bd1"},
    {"photo 16-bit ppm to ppm", "9b40f2f1688c4dfa42dd45035e7aaa92b67219c774a1354501cd0bc6513f913b"},
    {"photo pgm to ppm", "f42b7ced6d3c0c069bcee8c4620877a56e98ac9ff6cef3f2e8e85a11296ab3d3"},
    {"photo jpeg to ppm", "db382643c5abdf920c14c4b2ebad9df3929636ccad152a53c72d6c7ca7b8050b"},
    {"photo tiff to ppm", "6854ba275c082f9d8634e5c68ee0ff4abd9a57750b5bb6ef4d1272e192724bd1"},
    {"photo bmp to ppm", "6854ba275c082f9d8634e5c68ee0ff4abd9a57750b5bb6ef4d1272e192724bd1"},
    {"coffee to png", "4d78962c2fcabe91edfbc3df6f09f466a4722c80d21801809426dbd438db11f8"},
    {"coffee to jpeg", "ad34550e7eac7fa2ddd1d3f9ed3c2fe1b700d4053d467ec08c437756f2988e08"},
    {"coffee sharpen 1", "15417265d5cf1b94265e340a767119a555edd81b23bb31ffc20294ac38f4f552"},
    {"coffee every option", "33ec3fbc8e408440aff21d8214ac604de5a541226bfce143ccbc07a71473535a"},
    {"coffee no correction", "9da42b315f327bee48a35b604831f8d2a8fbba96ffc548fec031af39e9595011"},
};

constexpr GoldenEntry kLumivexHostAutomatic[] = {
    {"coffee png automatic", "5897b47bf5e26008f9960a793fdbf4c1d22baa7fabec4a3c8f0b7eae2c22266b"},
    {"astronaut png automatic", "30edd7f48c4803835ab027bc45e939accc667cb3dd2d6d480e7af0d80e4c058f"},
    {"photo jpeg automatic", "819980d394ceafd2cbf0c42803b3c551a0a6546c53da13cf7ecd24073e427c68"},
    {"photo pgm automatic", "ae61fd9deb5f31dddc894f6c21bb71f7f0fa22c0a691bca8d82b3337c233a051"},
    {"photo rgb alpha pam automatic", "3ba82f010bf0201223f6480a6a4c53a6ccdc1a91ef967046a147a9b437860f02"},
    {"photo cmyk pam automatic", "f3ffef0bb437de2c2ab6d84ac62e1198c4932671b9a86dc04e6d702125c6bce9"},
    {"coffee automatic rect", "dc95d4cd83fe4a0c32208ffaa6e6f2c984344fa98440915cc10d9262cdf326c4"},
};

constexpr GoldenEntry kLumivexHostReplayAndDialog[] = {
    {"coffee replay", "9625fa2a43c77022f8dfaffdbd9f7914a0edb7b9e697a237b756085e4c1073fd"},
    {"coffee interactive", "0f5f8afbe675b6d104d0ddfbcf8ee066c75a1458e10cc8df7cc1cac00a4ace82"},
};

const std::string kPlugin = std::string("--plugin '") + LUMIVEXPI_PATH + "' ";

std::string Written(const std::string& name, const lvhost::HostImage& image)
{
  const std::string path = Temp(name);
  lvxtext::Error error;
  EXPECT_TRUE(lvhost::WriteImage(path, image, &error)) << error.message;
  return path;
}

// A binary PPM of 16-bit samples (maxval 65535), which the readers reduce
// to 8 bits with rounding.
std::string Written16(const std::string& name, const lvhost::HostImage& rgb)
{
  const std::string path = Temp(name);
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << rgb.width << " " << rgb.height << "\n65535\n";
  for (size_t i = 0; i < rgb.pixels.size(); ++i) {
    // Low bits that round both ways.
    const unsigned wide = std::min(rgb.pixels[i] * 257u + unsigned(i * 37 % 200), 65535u);
    out.put(char(wide >> 8)).put(char(wide & 255));
  }
  return path;
}

// The exit status and the picture written (or that there is none).
std::string Result(int status, const std::string& out)
{
  lvxtest::Sha256 hash;
  hash.Update("status " + std::to_string(status) + "\n");
  lvhost::HostImage image;
  lvxtext::Error error;
  if (Exists(out) && lvhost::ReadImage(out, &image, &error)) {
    hash.Update(std::to_string(image.width) + "x" + std::to_string(image.height) + " mode " +
                std::to_string(image.mode) + (image.alpha ? " alpha\n" : "\n"));
    hash.Update(image.pixels.data(), image.pixels.size());
  } else {
    hash.Update("no picture\n");
  }
  std::filesystem::remove(out);
  return hash.HexDigest();
}

int RunCorrect(const std::string& arguments)
{
  const std::string command =
      std::string("'") + CORRECT_PATH + "' --quiet " + arguments + " > /dev/null 2>>'" + Temp("stderr.txt") + "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// lumivex-correct: each reader and writer, the 16-bit reduction, and the
// options that reach the engine.
TEST(ProgramsGolden, LumivexCorrect)
{
  GoldenTable table(kLumivexCorrect);
  const lvhost::HostImage rgb = HostPhoto(203, 301, plugInModeRGBColor, false);
  const std::string inputs[][2] = {
      {"coffee png", lvxtest::Source("samples/coffee.png")},
      {"photo ppm", Written("photo.ppm", rgb)},
      {"photo 16-bit ppm", Written16("photo16.ppm", rgb)},
      {"photo pgm", Written("photo.pgm", HostPhoto(203, 301, plugInModeGrayScale, false))},
      {"photo jpeg", Written("photo.jpg", rgb)},
      {"photo tiff", Written("photo.tif", rgb)},
      {"photo bmp", Written("photo.bmp", rgb)},
  };
  const std::string out = Temp("out.ppm");
  for (const auto& [name, path] : inputs)
    table.Add(std::string(name) + " to ppm", Result(RunCorrect("'" + path + "' " + out), out));
  const std::string coffee = inputs[0][1];
  table.Add("coffee to png", Result(RunCorrect(coffee + " " + Temp("out.png")), Temp("out.png")));
  table.Add("coffee to jpeg", Result(RunCorrect(coffee + " " + Temp("out.jpg")), Temp("out.jpg")));
  table.Add("coffee sharpen 1", Result(RunCorrect("--sharpen 1 " + coffee + " " + out), out));
  table.Add("coffee every option",
            Result(RunCorrect("--contrast 13 --color 1 --sharpen 13 --noise 1 --tonal-gamma 1.8 --target-gamma 2.6 "
                              "--skin 225,185,150 --rect 10,20,300,200 " +
                              coffee + " " + out),
                   out));
  table.Add("coffee no correction", Result(RunCorrect("--no-correct " + coffee + " " + out), out));
  table.Check();
}

// lumivex-host with LumivexPI: the automatic road on each format and mode
// its files carry, and on a selection.
TEST(ProgramsGolden, LumivexHostAutomatic)
{
  GoldenTable table(kLumivexHostAutomatic);
  const std::string coffee = lvxtest::Source("samples/coffee.png");
  const std::string inputs[][3] = {
      {"coffee png", coffee, "png"},
      {"astronaut png", lvxtest::Source("samples/astronaut.png"), "png"},
      {"photo jpeg", Written("photo.jpg", HostPhoto(203, 301, plugInModeRGBColor, false)), "png"},
      {"photo pgm", Written("photo.pgm", HostPhoto(203, 301, plugInModeGrayScale, false)), "pgm"},
      {"photo rgb alpha pam", Written("rgba.pam", HostPhoto(203, 301, plugInModeRGBColor, true)), "pam"},
      {"photo cmyk pam", Written("cmyk.pam", HostPhoto(203, 301, plugInModeCMYKColor, false)), "pam"},
  };
  for (const auto& [name, path, format] : inputs) {
    const std::string out = Temp("out." + format);
    table.Add(std::string(name) + " automatic", Result(RunHost(kPlugin + "--auto '" + path + "' " + out), out));
  }
  const std::string out = Temp("out.png");
  table.Add("coffee automatic rect",
            Result(RunHost(kPlugin + "--auto --rect 50,40,450,300 " + coffee + " " + out), out));
  table.Check();
}

// lumivex-host with LumivexPI: a replay of every recorded setting, and the
// interactive road driven by a UI script to Apply.
TEST(ProgramsGolden, LumivexHostReplayAndDialog)
{
  GoldenTable table(kLumivexHostReplayAndDialog);
  const std::string coffee = lvxtest::Source("samples/coffee.png");
  const std::string out = Temp("out.png");

  const std::string params = Temp("warm.params");
  std::ofstream(params) << "lumivex-host parameters 1\n"
                           "lvAU bool false\nlvSO bool true\nlvSA long 2\nlvCL long 8\nlvST long 20\nlvCT long 7\n"
                           "lvSH long 6\nlvAN long 15\nlvBR long 4\nlvGA doub 2.0\nlvRD long 14\nlvGN long 4\n"
                           "lvBL long -12\nlvAM bool true\nlvDS bool true\n";
  table.Add("coffee replay", Result(RunHost(kPlugin + "--replay " + params + " " + coffee + " " + out), out));

  // Custom, a drag of the Contrast slider, Apply, on lumivex-host's default
  // 1280 x 1024 screen.
  const std::string script = Temp("apply.ui");
  std::ofstream(script) << "click main 92 269\ndrag panel 140 227 225 227\nclick panel 1150 14\n";
  table.Add("coffee interactive",
            Result(RunHost(kPlugin + "--dialog --ui-script " + script + " " + coffee + " " + out), out));
  table.Check();
}
