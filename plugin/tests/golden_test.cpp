// LumivexPI's results pinned by their SHA-256, in real host runs of this
// executable's own ENTRYPOINT: the automatic road (the built-in "Default"
// and a remembered preset) on photographs of several sizes and on every
// image mode the host offers, with padded rows and with a selection; the
// replay road with settings that switch on every step around the engine;
// and the interactive road's preview, re-corrected after slider drags, a
// box, the full-size view and a scroll, then Apply.
//
// Each hash covers the run's result code, whether the host took the pixels,
// and the host's image afterwards. The committed hashes were made by the
// code as it stood before any speed work; see lvxtest/goldentable.h for how
// to print them.
#include "approads.h"
#include "windowsrun.h"

#include "goldenpictures.h"
#include "hostphoto.h"
#include "lvxtest/goldentable.h"
#include "lvxtest/sha256.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvslider.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

using lvhost::Descriptor;
using lvxtest::GoldenEntry;
using lvxtest::GoldenTable;
using roadtest::Boolean;
using roadtest::Float;
using roadtest::Integer;

namespace {

const char* const kProduct = "Software\\Tarnwell\\Lumivex";
const char* const kPresets = "Software\\Tarnwell\\Lumivex\\Presets";

// ---- Pictures ------------------------------------------------------------------

using wintest::SampleImage;

std::string Size(const lvhost::HostImage& image)
{
  return std::to_string(image.height) + "x" + std::to_string(image.width);
}

// The run's outcome and the host's image after it.
std::string RunHash(const lvhost::RunResult& run, const lvhost::HostImage& image)
{
  lvxtest::Sha256 hash;
  hash.Update("result " + std::to_string(run.result) + (run.committed ? " committed " : " kept ") +
              std::to_string(image.width) + "x" + std::to_string(image.height) + " mode " + std::to_string(image.mode) +
              (image.alpha ? " alpha\n" : "\n"));
  hash.Update(image.pixels.data(), image.pixels.size());
  return hash.HexDigest();
}

// ---- The committed tables -------------------------------------------------------

constexpr GoldenEntry kAutomaticRoad[] = {
    {"Default 512x512", "755d1bdecfcc2f60cf13d1e05c9e34521ad14c25770affc377b7a7baae4de9fb"},
    {"Default 400x600", "18cb9c0f6d7f99ffbf9ceb2ad2b6a0f2911dc5475af3416c09aa79779fd3b508"},
    {"Default 1x1", "5111b9d10c61ec98aa5bffd19a19fd753a690f53c0ed3977b7c99fd5d6e7e000"},
    {"Default 2x3", "b8ee1be5b05c68b389247f28a7d02739ecd2ed7cbdd9b47af4520270c44a6cd6"},
    {"Default 97x131", "d44b6c58207cd02643cb5ac49ea7cfe6e0ee49e6e3fc5ccdd7495c3affb0e0f5"},
    {"Default 301x203", "7b6ba3bea21d4fbb27f4a4777c6bd42205039c702aea38b654be6c2db47f4085"},
    {"Distinct 400x600", "a4eed8a59579a7d1c252b4966b4bc39d9bf6c74bfea6ae4b81c214c1a560c1fd"},
    {"Distinct 301x203", "b06b871486efa2aa7a195ec77b869641b241be5bde2c8fae961110ec2d6378b7"},
};

constexpr GoldenEntry kHostImages[] = {
    {"rgb 121x163", "28e770cbb1fb3ca02506a0e965f30e96b5adf23a7be5dec9ca1282354015a007"},
    {"rgb 121x163 warm", "0ed04f1cbd9563b247ba97fb469a94e3d96adf405de471d07a62e4825971a006"},
    {"rgb alpha 121x163", "2e4694e699d2fbcbc45c2df21cd84ed01a5569eaa0ce500725c449cefabd35a6"},
    {"rgb alpha 121x163 warm", "b6c6132bb0a1e0929dd4fa8e435eaeb84dd59dcd5d0712cf8a955957ac62f740"},
    {"grey 121x163", "899de93ffff4cbf00f40cc62c5b404437de715649bd3721f1edc7c40a27d0e04"},
    {"grey 121x163 warm", "c58c2bd73507cbb9ba0fe4cb80b2fc14ff83fb57ef1cb7c54debe5bb16d36d9a"},
    {"grey alpha 121x163", "5bbada53e53fd2d35d12ce97da07d69c5a8b4d07554c8cd2140f0fc20893fcdb"},
    {"grey alpha 121x163 warm", "bae51cbe7d03a9a11a096301979e0a1c79e25a08cdc228a59452651cf9c7cbd0"},
    {"cmyk 121x163", "bdc442e29fe39f89edd36106641ebf7b8674c47a420367aa04b3a6515921696a"},
    {"cmyk 121x163 warm", "daf692f461a1165fc077cb5a93f9f97ca1d4fccfec49157d41a6f0c63cd8be9d"},
    {"cmyk alpha 121x163", "9b8abecdcd274fe772947375bf8907f43773388ef19f5197c2c3d0cf1543620c"},
    {"cmyk alpha 121x163 warm", "c4328fc992b6910f4a92ae4051330476df36168f228d96ef490d792650ca4c34"},
    {"selection 301x203 rows 40..250 columns 30..170",
     "9187104aaaaf7cbbfb01e4a0a9035b7bfdbec09743d7be30da0e0978b0d8dc49"},
    {"selection 301x203 one pixel", "605cad7b04e3d6e5bfabbafc36597748e08448ddff03bac7bd609f6093c2fb57"},
    {"padded rows rgb alpha 121x163", "2e4694e699d2fbcbc45c2df21cd84ed01a5569eaa0ce500725c449cefabd35a6"},
    {"padded rows 301x203 warm", "6b5e82d8c1261c72883494ff921b5369a1771470fc00530c69f0d63f34c3c6b9"},
};

constexpr GoldenEntry kReplayRoad[] = {
    {"window defaults 301x203", "7b6ba3bea21d4fbb27f4a4777c6bd42205039c702aea38b654be6c2db47f4085"},
    {"warm 301x203", "6b5e82d8c1261c72883494ff921b5369a1771470fc00530c69f0d63f34c3c6b9"},
    {"sub-detail 6 301x203", "6b58c80696e8a8caae040415f4a71fe949db3030dc652f4557332ad8e68d854c"},
    {"descreen 301x203", "7b6ba3bea21d4fbb27f4a4777c6bd42205039c702aea38b654be6c2db47f4085"},
    {"despeckle 301x203", "d6fd66d417e7b94565b6a8605f1bda51f148cf458a14f82cf6e6b0ae41fef109"},
    {"colour shift 301x203", "ca3613d83651be934ed2c9e36627b438e32517286ba96e4450526c31358812ef"},
    {"saturation brightness 301x203", "f33d04acd96ef9dc1a21145d9e6717e44dd3f7243d154245db395889ac0e37e5"},
    {"levels 1 301x203", "bf05c6bcabc6d9279ddc944f297211eacd8cfd1645fc20b2a6b3b7ea0dab6e05"},
    {"levels 13 301x203", "87a477bb9f2e0cefcd1518d2d3980ee4cad04218d6cac9234c787d840ee3de72"},
    {"window defaults coffee", "18cb9c0f6d7f99ffbf9ceb2ad2b6a0f2911dc5475af3416c09aa79779fd3b508"},
    {"warm coffee", "b0ddec710d41ae5b1d9916e1b718450e842059bea35ce954c0e356eda1c3c13e"},
    {"warm screened 240x320", "0d288d719cb8b01c72e5a63b296eaa89d1097dae99982c3b73b3a36a838b758e"},
    {"warm specked 240x320", "c79750ee9bb5ba943cc530d5acd0456a12cab68202b871bdfdcfe2a4652dffd2"},
    {"descreen screened 240x320", "bb558e7cea06af4ade5e6c3c469f1058249fb3c79ab46c4f1b14f5294bb276f7"},
    {"despeckle specked 240x320", "96ffeee1a78ee377346cefc7098e0df299cd3c6bf153800042eb6deffb2fbc95"},
};

constexpr GoldenEntry kAPhotographLargerThanThePane[] = {
    {"photo 800x1200 custom preview", "0424af9373485848c2b49d82a250d201f19f4ece7767f6dbc05c0a35c282f5d4"},
    {"photo 800x1200 custom pane", "dab2efc84ae3bcea841e34766e731f12e807bc7e2162f3c3312856a18f035e4d"},
    {"photo 800x1200 contrast 12 preview", "569ace7e4361f32459d6152c0ff77948e8e073f4e8ab61870db1e8963163d564"},
    {"photo 800x1200 contrast 12 pane", "9af426b226fedb4530e3999e3d8ce80dfee23e3027ebf5d0bcb75f0c9af5374e"},
    {"photo 800x1200 sharpen 3 preview", "3c5864406fa9b92567aa81029b8472ba56d0c0504962963bd85166b5e1bb8116"},
    {"photo 800x1200 sharpen 3 pane", "73ca9fde2b21a4908b9b75d84e6f55ab3e01dd5c0e78d83af789a38d48d7012c"},
    {"photo 800x1200 despeckle 1 preview", "6c704c01c88b730d8e92a29f929d262f929e8031354a59653020c729dbe851eb"},
    {"photo 800x1200 despeckle 1 pane", "d9528ab16d81669476797f3c3136826e88fbdb4b3b99256c17b823e1b8a5b427"},
    {"photo 800x1200 enhance 0 preview", "a43478244c3f185a9a73ecbafa855cb658f7833985795774a17cc87f0e17c31b"},
    {"photo 800x1200 enhance 0 pane", "b6e21ece730593f874ebe57e7509a203e6a4c1ec9cb808544fb8de6dd0932f8d"},
    {"photo 800x1200 full size preview", "d54363d70c9430b716db9911f8a0a328ce628cf338c7ed66554db8756f441a05"},
    {"photo 800x1200 full size pane", "46cd5b6fc6e4d91c6e62e93f7f3fbb3f62d1d3b3f109900d8548c8c8873b2395"},
    {"photo 800x1200 full size scrolled preview", "af9aa2f562f9cbbf086c2a896df8850a886b454099f14735c31be723a2a285e8"},
    {"photo 800x1200 full size scrolled pane", "e75f5dd5427e2c5d7840b4e554d31b8a805b16f50697df354dddbf8e57fc2fac"},
    {"photo 800x1200 applied", "1c8c7fd5fd8399e80d6d8d79e25a35761d95dec88d7a591532b22b0158e0d836"},
};

constexpr GoldenEntry kASampleDrawnByTheHost[] = {
    {"coffee custom preview", "99928e99a6e163eb2058b3837d74be04c1bedb52ca0debf8072a5d6e383ea282"},
    {"coffee custom pane", "4ade86be1531af730604a67dec7dd191de435f09893084ff6f5e735af8c02010"},
    {"coffee contrast 12 preview", "e48570eaa7d0667d49795e1a3c001c867854a7e233e145ac2127b9ee4a6fa87f"},
    {"coffee contrast 12 pane", "b2f93099f8c71624b4fd504ff247e3debba4b72e6377b036c6b09b164548bc84"},
    {"coffee sharpen 3 preview", "424c7bc9410d83b41c7a5599a86d078362f3b814a7f2f6bb77be8b9d3e0fd62d"},
    {"coffee sharpen 3 pane", "fa4b218716ff3dc45831889c585fd4ec2185a5e8bd2b5c951a4fc12da77e64f7"},
    {"coffee despeckle 1 preview", "5ff0fd1d055a5fc7b44c94750e8d5b1551f4de47cee1a7ded1556436b0c051a0"},
    {"coffee despeckle 1 pane", "f6099796ecb4a47b79cabdbb82b2bcacce44e13e9fe248c2755989778a652bbd"},
    {"coffee enhance 0 preview", "fb5ff767615e06a22d63916bfbf4f8776fdc25dbffcf79d0dadd6cc6b03f7995"},
    {"coffee enhance 0 pane", "1226e45708638592189bbbe2ca4c89d3d46608bbd117560a9ae0370b49a8052a"},
    {"coffee applied", "03e8fc7e3647addd4bc5e1c3339cfc390d576355c7e5a6dcb5ff99cfa902b0c4"},
};

// ---- The automatic and replay roads ---------------------------------------------

class RoadsGolden : public roadtest::Roads {
protected:
  // A run without the dialog on a copy of the image; its hash.
  std::string Run(lvhost::HostImage image, const Descriptor& recorded, std::optional<Rect16> selection = std::nullopt)
  {
    lvhost::RunOptions options;
    options.playInfo = playInfoDontDisplay;
    options.descriptor = recorded;
    options.filterRect = selection;
    const lvhost::RunResult run = host.Run(ENTRYPOINT, image, options);
    return RunHash(run, image);
  }
};

const Descriptor kAutomatic = {Boolean("lvAU", true)};

// Every step around the engine switched on, each setting away from its
// default.
const Descriptor kWarm = {Boolean("lvAU", false), Boolean("lvSO", true), Integer("lvSA", 2),   Integer("lvCL", 9),
                          Integer("lvST", 30),    Integer("lvCT", 5),    Integer("lvSH", 8),   Integer("lvAN", 15),
                          Integer("lvBR", -6),    Float("lvGA", 2.1),    Integer("lvRD", 12),  Integer("lvGN", -4),
                          Integer("lvBL", 3),     Boolean("lvAM", true), Boolean("lvDS", true)};

} // namespace

// The built-in "Default" on a fresh machine, then a remembered preset that
// differs from the window's defaults in every field.
TEST_F(RoadsGolden, AutomaticRoad)
{
  GoldenTable table(kAutomaticRoad);
  std::vector<lvhost::HostImage> pictures = {
      SampleImage("astronaut.png"), SampleImage("coffee.png"), HostPhoto(1, 1), HostPhoto(2, 3),
      HostPhoto(97, 131),           HostPhoto(301, 203)};
  for (const lvhost::HostImage& picture : pictures)
    table.Add("Default " + Size(picture), Run(picture, kAutomatic));
  apptest::PutBytes(kPresets, "Distinct", apptest::DistinctRecord().Bytes());
  apptest::PutValue(kProduct, "Current Preset", REG_SZ, "Distinct", 9);
  for (const lvhost::HostImage& picture : {pictures[1], pictures[5]})
    table.Add("Distinct " + Size(picture), Run(picture, kAutomatic));
  table.Check();
}

// The pixel transfer in every mode the host offers, with padded rows, and
// on a selection.
TEST_F(RoadsGolden, HostImages)
{
  GoldenTable table(kHostImages);
  const struct {
    const char* name;
    int16_t mode;
    bool alpha;
  } modes[] = {{"rgb", plugInModeRGBColor, false},   {"rgb alpha", plugInModeRGBColor, true},
               {"grey", plugInModeGrayScale, false}, {"grey alpha", plugInModeGrayScale, true},
               {"cmyk", plugInModeCMYKColor, false}, {"cmyk alpha", plugInModeCMYKColor, true}};
  for (const auto& m : modes) {
    table.Add(std::string(m.name) + " 121x163", Run(HostPhoto(121, 163, m.mode, m.alpha), kAutomatic));
    table.Add(std::string(m.name) + " 121x163 warm", Run(HostPhoto(121, 163, m.mode, m.alpha), kWarm));
  }
  const lvhost::HostImage photo = HostPhoto(301, 203);
  table.Add("selection 301x203 rows 40..250 columns 30..170", Run(photo, kAutomatic, Rect16{40, 30, 250, 170}));
  table.Add("selection 301x203 one pixel", Run(photo, kWarm, Rect16{100, 100, 101, 101}));
  host.Controls().rowPadding = 3;
  table.Add("padded rows rgb alpha 121x163", Run(HostPhoto(121, 163, plugInModeRGBColor, true), kAutomatic));
  table.Add("padded rows 301x203 warm", Run(photo, kWarm));
  table.Check();
}

// Recorded settings: the window's defaults, every step around the engine,
// each of them alone, the engine's levels at their ends.
TEST_F(RoadsGolden, ReplayRoad)
{
  GoldenTable table(kReplayRoad);
  const struct {
    const char* name;
    Descriptor settings;
  } cases[] = {
      {"window defaults", {}},
      {"warm", kWarm},
      {"sub-detail 6", {Boolean("lvSO", true), Integer("lvSA", 6)}},
      {"descreen", {Boolean("lvAM", true)}},
      {"despeckle", {Boolean("lvDS", true)}},
      {"colour shift", {Integer("lvRD", -255), Integer("lvGN", 100), Integer("lvBL", 255)}},
      {"saturation brightness", {Integer("lvST", -200), Integer("lvBR", 90)}},
      {"levels 1",
       {Integer("lvCL", 1), Integer("lvCT", 1), Integer("lvSH", 1), Integer("lvAN", 0), Float("lvGA", 1.0)}},
      {"levels 13",
       {Integer("lvCL", 13), Integer("lvCT", 13), Integer("lvSH", 13), Integer("lvAN", 40), Float("lvGA", 3.0)}},
  };
  const lvhost::HostImage photo = HostPhoto(301, 203), coffee = SampleImage("coffee.png");
  for (const auto& c : cases)
    table.Add(std::string(c.name) + " 301x203", Run(photo, c.settings));
  for (const auto& c : cases)
    if (c.name == std::string("window defaults") || c.name == std::string("warm"))
      table.Add(std::string(c.name) + " coffee", Run(coffee, c.settings));
  // Pictures the two filters have work on, with the filter alone and with
  // every step.
  const lvhost::HostImage screened = HostPicture(goldenpictures::Screened(lvxbench::MakePhoto(240, 320)));
  const lvhost::HostImage specked = HostPicture(goldenpictures::Specked(lvxbench::MakePhoto(240, 320)));
  for (const auto& c : cases) {
    if (c.name == std::string("descreen") || c.name == std::string("warm"))
      table.Add(std::string(c.name) + " screened 240x320", Run(screened, c.settings));
    if (c.name == std::string("despeckle") || c.name == std::string("warm"))
      table.Add(std::string(c.name) + " specked 240x320", Run(specked, c.settings));
  }
  table.Check();
}

// ---- The interactive road's preview ----------------------------------------------

namespace {

class PreviewGolden : public wintest::HostRun {
protected:
  void SetUp() override
  {
    wintest::HostRun::SetUp();
    standin::SetScreen(1280, 1024, 32); // lumivex-host's screen
  }

  // The corrected preview, and the pane's pixels where it shows it.
  static void AddPreview(GoldenTable& table, const std::string& name, wintest::TestWindow& w)
  {
    const QVImage* preview = w.m_CorrectedPreview;
    if (!preview) {
      table.Add(name, "no preview");
      return;
    }
    lvxtest::Sha256 image;
    image.Update(std::to_string(preview->width) + "x" + std::to_string(preview->height) + " " +
                 std::to_string(preview->bytesPerPixel) + "\n");
    for (int32_t y = 0; y < preview->height; ++y)
      image.Update(preview->pixels + int64_t(y) * preview->rowBytes, size_t(preview->width) * preview->bytesPerPixel);
    table.Add(name + " preview", image.HexDigest());

    const standin::PixelView view = standin::ViewPixels(w.m_ControlPanel->GetPreviewPane()->GetWnd());
    const int32_t width = std::min(view.width, preview->width), height = std::min(view.height, preview->height);
    lvxtest::Sha256 pane;
    pane.Update(std::to_string(width) + "x" + std::to_string(height) + "\n");
    std::vector<uint8_t> row(3 * size_t(std::max(width, 0)));
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const COLORREF c = view.At(x, y);
        row[3 * size_t(x)] = GetRValue(c), row[3 * size_t(x) + 1] = GetGValue(c), row[3 * size_t(x) + 2] = GetBValue(c);
      }
      pane.Update(row.data(), row.size());
    }
    table.Add(name + " pane", pane.HexDigest());
  }

  // The preview after each step of a person's session with the panel, then
  // the image Apply hands back. With `scroll` the picture is larger than
  // the pane and the session also looks at it at full size and scrolls it.
  void Session(GoldenTable& table, const std::string& picture, lvhost::HostImage image, bool scroll)
  {
    using wintest::TestWindow;
    Step([](TestWindow& w) { ClickAt(w.m_CustomButton->GetWnd(), 40, 17); });
    Step([&](TestWindow& w) { AddPreview(table, picture + " custom", w); });
    Step([](TestWindow& w) { wintest::DragSlider(w, LumivexWindow::kContrast, 40); });
    Step([&](TestWindow& w) {
      AddPreview(table, picture + " contrast " + std::to_string(w.m_Settings.contrastLevel), w);
    });
    Step([](TestWindow& w) { wintest::DragSlider(w, LumivexWindow::kSharpen, -25); });
    Step([&](TestWindow& w) {
      AddPreview(table, picture + " sharpen " + std::to_string(w.m_Settings.sharpenLevel), w);
    });
    Step([](TestWindow& w) { ClickAt(w.m_ControlPanel->GetDespeckleBox()->GetWnd(), 5, 10); });
    Step([&](TestWindow& w) {
      AddPreview(table, picture + " despeckle " + std::to_string(w.m_DespeckleOn), w);
      // For a person to look at: build/snapshots/plugin/golden-<picture>.png.
      std::string file = "golden-" + picture + ".png";
      std::replace(file.begin(), file.end(), ' ', '-');
      EXPECT_TRUE(standin::SnapshotPng(w.m_ControlPanel->GetWnd(), SnapshotPath(file.c_str()).c_str()));
    });
    Step([](TestWindow& w) { ClickAt(w.m_ControlPanel->GetEnhanceBox()->GetWnd(), 5, 10); });
    Step([&](TestWindow& w) { AddPreview(table, picture + " enhance " + std::to_string(w.m_EnhanceOn), w); });
    Step([](TestWindow& w) { ClickAt(w.m_ControlPanel->GetEnhanceBox()->GetWnd(), 5, 10); });
    if (scroll) {
      Step([](TestWindow& w) { w.Send(LumivexWindow::kFullSizeView); });
      Step([&](TestWindow& w) { AddPreview(table, picture + " full size", w); });
      // A scroll of the full-size view: the newly visible part is corrected.
      Step([](TestWindow& w) {
        const HWND pane = w.m_ControlPanel->GetPreviewPane()->GetWnd();
        standin::Move(pane, 300, 300);
        standin::Press(pane, 300, 300);
        standin::Move(pane, 100, 150);
        standin::Release(pane, 100, 150);
      });
      Step([&](TestWindow& w) { AddPreview(table, picture + " full size scrolled", w); });
    }
    Step([](TestWindow& w) { w.Send(LumivexWindow::kApply); });
    const lvhost::RunResult run = Run(image);
    table.Add(picture + " applied", RunHash(run, image));
  }
};

} // namespace

TEST_F(PreviewGolden, APhotographLargerThanThePane)
{
  GoldenTable table(kAPhotographLargerThanThePane);
  Session(table, "photo 800x1200", HostPhoto(800, 1200), true);
  table.Check();
}

TEST_F(PreviewGolden, ASampleDrawnByTheHost)
{
  GoldenTable table(kASampleDrawnByTheHost);
  standin::SetVersionRecord(kDisplayingHostRecord);
  Session(table, "coffee", SampleImage("coffee.png"), false);
  table.Check();
}
