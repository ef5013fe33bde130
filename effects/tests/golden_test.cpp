// The effect modules' results pinned by their SHA-256: Despeckle and
// Descreen at each preset (Auto, Coarse, Medium, Fine), run as effects-host
// runs them (the module loaded, the preset chosen from the panel's popup,
// EffectPrep and EffectDo on a fresh view, the view written to a file), on
// the samples, on generated photographs with specks or a halftone screen,
// in grey and in colour, at zooms below and above 1.
//
// Each hash covers the exit status and the view's pixels as written. The
// committed hashes were made by the code as it stood before any speed work;
// see lvxtest/goldentable.h for how to print them.
#include "goldenpictures.h"
#include "imagefiles.h"
#include "program.h"

#include "lvxtest/goldentable.h"
#include "lvxtest/sha256.h"
#include "lvxtest/testenv.h"
#include "qvcommon/qvimage.h"
#include "win32/automation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using lvxtest::GoldenEntry;
using lvxtest::GoldenTable;

namespace {

constexpr GoldenEntry kDespeckle[] = {
    {"astronaut auto", "2a05bb76f7f88142c66ea619ea69cb626b85811b48ba5dc100d44457e08c5e4c"},
    {"astronaut coarse", "8a3a1f834f948eca089d34630b562e1dc8b9d8dafee64422921ccc582cd800f1"},
    {"astronaut medium", "2a05bb76f7f88142c66ea619ea69cb626b85811b48ba5dc100d44457e08c5e4c"},
    {"astronaut fine", "c741c4964b65651440030511a3f4bbfe563a0d514b7b11260fef31df93ba13f8"},
    {"coffee auto", "cf1b8da92c6ff5c4b1725c235a790596df1a904d3e2c517f244543d649a03806"},
    {"coffee coarse", "2d48fa1ac861d0dc551c08b3e0d42aff899a4a27f9b4919539359e8db6d28d97"},
    {"coffee medium", "cf1b8da92c6ff5c4b1725c235a790596df1a904d3e2c517f244543d649a03806"},
    {"coffee fine", "faf13a1e74265b49890fafe61d6ad5198da5f04040c72f8e419084dd72af25b8"},
    {"specked 240x320 auto", "c0c003e555c664ae0c32d6c0d898103af3cff82bd1eba0de393a91ef26339fa6"},
    {"specked 240x320 coarse", "a8e1d0fad2a1726ff3d36fc37887565a19221090c7c3d828f9a7f0220140bbc7"},
    {"specked 240x320 medium", "c0c003e555c664ae0c32d6c0d898103af3cff82bd1eba0de393a91ef26339fa6"},
    {"specked 240x320 fine", "19deaebf38142556d9441de9725c7c582201de7420569c7567423764a2943c2d"},
    {"specked grey 240x320 auto", "262cdfa2f303145cdc3d7cb906ad310bc80d3f935f189b6b13d37856d35bcd61"},
    {"specked grey 240x320 coarse", "d7204072135274ce0e041911eb37d0aaf65db0f8a4088eb3a157f61d89aac2f8"},
    {"specked grey 240x320 medium", "262cdfa2f303145cdc3d7cb906ad310bc80d3f935f189b6b13d37856d35bcd61"},
    {"specked grey 240x320 fine", "ab0c0df86edd8227261b4bd80e39073b426a4c5de2b43bf064f60ccdb27876e9"},
    {"screened 240x320 auto", "f2c485ab500b7f55fdec4906e5fa4c113393b034fc2b8da8456dbba590f06353"},
    {"screened 240x320 coarse", "77f5faa8f16d361b5d5f88a25e22070ec8d7d05acf04371b34a7ed98b80ccc57"},
    {"screened 240x320 medium", "f2c485ab500b7f55fdec4906e5fa4c113393b034fc2b8da8456dbba590f06353"},
    {"screened 240x320 fine", "f2c485ab500b7f55fdec4906e5fa4c113393b034fc2b8da8456dbba590f06353"},
    {"photo 2x3 auto", "765e0f38475cd136d3fbe16c1a756a5acd1bdaf91a07bcc45f36259a7a320bfa"},
    {"photo 2x3 coarse", "765e0f38475cd136d3fbe16c1a756a5acd1bdaf91a07bcc45f36259a7a320bfa"},
    {"photo 2x3 medium", "765e0f38475cd136d3fbe16c1a756a5acd1bdaf91a07bcc45f36259a7a320bfa"},
    {"photo 2x3 fine", "765e0f38475cd136d3fbe16c1a756a5acd1bdaf91a07bcc45f36259a7a320bfa"},
    {"specked 240x320 medium zoom 0.5", "bab4ef8f233aedd499dbef7d264958418e7cca6ac0ba5fa5452b615ead0d835e"},
    {"specked 240x320 medium zoom 2.0", "671f16e87bc138a6c5c7337a3fa88ee83934a88861f5810d1c98456c53ad7aa4"},
};

constexpr GoldenEntry kDescreen[] = {
    {"astronaut auto", "bfe437b04d6c2846f3f8505707fd6375a3f63771f266464d5709e28ba96bb2bd"},
    {"astronaut coarse", "7c6cc312684913c2aa72f94b5ea0a0a7fddcf13b3d54db1698f776d99eefb3a5"},
    {"astronaut medium", "75f44c421f624a099d80a1e901a5f87a0a3bb65d58aa1441c4bede664f773f36"},
    {"astronaut fine", "a6842203241cbb798c490d7b9f8e75c28b27b3f4abb02c6ca34b0c5e7d3b783b"},
    {"coffee auto", "c60d011b9e4ab74ddcbace5311d9f03a7abe444dcd2e4a712b2f35b28185d72c"},
    {"coffee coarse", "8b1f3d0a30143292e44ca24d450a2e4324cc0ecca203e88d75bb1963ac0eb046"},
    {"coffee medium", "f508e78a0fd7f85ff50735142e22a6876561a5deb90213e13b6ac9c0fbe7d07b"},
    {"coffee fine", "a818e4840072b53592ca105e52e19cda9aab97910ebfd3aedaa451ed86a9ff37"},
    {"specked 240x320 auto", "b515a776448d9ec405fafc1869b24e9f9df88c13c9659e17f325a452447b3a0a"},
    {"specked 240x320 coarse", "5cf3300ff337c8e7e5b0e0b6d18f41c9c6b3ed61760eb057a38ace97598df32b"},
    {"specked 240x320 medium", "82fedb50757dd180fbadf5567d4b29c247de1e0a31499942990da13b715d67f8"},
    {"specked 240x320 fine", "c3be809a63535d4dc9eeb13839888929adfb3ba10bfcd47d6bda09bcd967364e"},
    {"specked grey 240x320 auto", "4a543a7c8091cfad8ecac931491060942ac052f382b1648113d3ab97362c4e5a"},
    {"specked grey 240x320 coarse", "c74f63794f8993384b964df9ed656c7b950c315d1f329eef8e1145d7ec53b35c"},
    {"specked grey 240x320 medium", "d3bb1e685258609f916f565bed8d99dc37d9287d1dd435e4bf5b0dc90c847a68"},
    {"specked grey 240x320 fine", "7b2fe3462b9f666f49ac8092248469125609a2bced18eaabf11a9ad5fd9cd686"},
    {"screened 240x320 auto", "ed3040986b9c8428dd76b1f6aa7be691567326d91fef27e2effcf40d72c75375"},
    {"screened 240x320 coarse", "ec2e993dda47e6b4eb7c2df274f8862c2295d183514cc8b93c239ff33b5474c9"},
    {"screened 240x320 medium", "089a0455629ea9db64eda10c4b13e202fbebcb5b44ce790382c487aef80e68e9"},
    {"screened 240x320 fine", "3bddfe3e0f8c0fb995f0084fdcf2ba4db9517723104cb5f7512082e16b820368"},
    {"photo 2x3 auto", "f001239ac5b8e3ebc2b19b5736b3da113574d354d7454e67dda46de094c36248"},
    {"photo 2x3 coarse", "13a5a41ca1bf874bff2982196ce6073b8e0432e6c62e81ec00267ea9077a38eb"},
    {"photo 2x3 medium", "86f60484aec1dcbd2487d04a1da1441bc062b6ca1ccda9a21ce6984d99fb8f74"},
    {"photo 2x3 fine", "f52aedc8e5993e8554367adb2672a0a7072a4260323f144f34daf719610285d6"},
    {"screened 240x320 medium zoom 0.5", "0ae53fe463f4476bade7b6d3340fd911fdd336b8935fba571bbfebf531b77679"},
    {"screened 240x320 medium zoom 2.0", "0a4494c23e8d193fa146d9993175de7c6d8e74690be495363c7d802edfa149ef"},
};

std::string Temp(const std::string& name) { return lvxtest::TempDir() + "/" + name; }

// The photograph written as PNG, in colour or (bytesPerPixel 1) grey.
std::string Written(const std::string& name, const lvxbench::Photo& photo, int32_t bytesPerPixel = 3)
{
  QVImage image(photo.columns, photo.rows, bytesPerPixel, nullptr);
  for (int32_t y = 0; y < photo.rows; ++y)
    for (int32_t x = 0; x < photo.columns; ++x) {
      const uint8_t* bgr = photo.bytes.data() + y * photo.rowBytes + 3 * ptrdiff_t(x);
      uint8_t* p = image.pixels + ptrdiff_t(y) * image.rowBytes + ptrdiff_t(x) * bytesPerPixel;
      if (bytesPerPixel == 1)
        p[0] = uint8_t((77 * bgr[2] + 150 * bgr[1] + 29 * bgr[0] + 128) >> 8);
      else
        std::copy(bgr, bgr + 3, p);
    }
  const std::string path = Temp(name);
  lvxtext::Error error;
  EXPECT_TRUE(lvfx::WriteImage(path, image, 92, &error)) << error.message;
  return path;
}

struct Input {
  std::string name, path;
};

std::vector<Input> Inputs()
{
  const lvxbench::Photo specked = goldenpictures::Specked(lvxbench::MakePhoto(240, 320));
  return {{"astronaut", lvxtest::Source("samples/astronaut.png")},
          {"coffee", lvxtest::Source("samples/coffee.png")},
          {"specked 240x320", Written("specked.png", specked)},
          {"specked grey 240x320", Written("specked-grey.png", specked, 1)},
          {"screened 240x320", Written("screened.png", goldenpictures::Screened(lvxbench::MakePhoto(240, 320)))},
          {"photo 2x3", Written("tiny.png", lvxbench::MakePhoto(2, 3))}};
}

// The module at the preset on the input at the zoom; the exit status and
// the view written.
std::string Run(const char* module, const std::string& preset, const Input& input, double zoom = 1.0)
{
  lvfx::ProgramOptions options;
  options.module = module;
  options.input = input.path;
  options.output = Temp("out.png");
  options.zoom = zoom;
  lvfx::EventSource choice;
  lvxtext::Error error;
  EXPECT_TRUE(lvfx::OptionEvent("--preset", preset, &choice.event, &error)) << error.message;
  options.events = {choice};
  const int status = lvfx::RunProgram(options);

  lvxtest::Sha256 hash;
  hash.Update("status " + std::to_string(status) + "\n");
  if (std::unique_ptr<QVImage> out = lvfx::ReadImage(options.output, false, &error)) {
    hash.Update(std::to_string(out->width) + "x" + std::to_string(out->height) + " " +
                std::to_string(out->bytesPerPixel) + "\n");
    for (int32_t y = 0; y < out->height; ++y)
      hash.Update(out->pixels + ptrdiff_t(y) * out->rowBytes, size_t(out->width) * out->bytesPerPixel);
  } else {
    hash.Update("no picture\n");
  }
  std::filesystem::remove(options.output);
  return hash.HexDigest();
}

// Every preset on every input, then the preset the input best shows off at
// half and at twice the size.
void RunModule(GoldenTable& table, const char* module, const char* zoomed)
{
  const std::vector<Input> inputs = Inputs();
  for (const Input& input : inputs)
    for (const char* preset : {"auto", "coarse", "medium", "fine"})
      table.Add(input.name + " " + preset, Run(module, preset, input));
  for (const Input& input : inputs)
    if (input.name == zoomed)
      for (double zoom : {0.5, 2.0})
        table.Add(input.name + " medium zoom " + std::to_string(zoom).substr(0, 3), Run(module, "medium", input, zoom));
}

class EffectsGolden : public ::testing::Test {
protected:
  void TearDown() override { standin::Reset(); }
};

} // namespace

TEST_F(EffectsGolden, Despeckle)
{
  GoldenTable table(kDespeckle);
  RunModule(table, DESPECKLE_PATH, "specked 240x320");
  table.Check();
}

TEST_F(EffectsGolden, Descreen)
{
  GoldenTable table(kDescreen);
  RunModule(table, DESCREEN_PATH, "screened 240x320");
  table.Check();
}
