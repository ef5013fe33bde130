// The engine's results pinned by their SHA-256: the sample photographs,
// generated photographs of many sizes (1 and 2 pixels wide or high, odd
// sizes, both sides of the reduced-copy correction's threshold, large enough for the
// reduced copy and the sharpening's median to run at real size), pictures
// that stress one stage (grey, flat, strong casts, under- and over-exposed,
// few colours, very many colours), every level at its ends, the skin target
// far and near, analysis rectangles, and the caller's buffer layouts.
//
// Each hash covers the engine's status and the caller's whole buffer,
// padding included. The committed hashes were made by the code as it stood
// before any speed work; see lvxtest/goldentable.h for how to print them.
#include "lumivex.h"

#include "imaging/imaging.h"
#include "lvxtest/goldentable.h"
#include "lvxtest/sha256.h"
#include "lvxtest/testenv.h"
#include "photo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

using lvxtest::GoldenEntry;
using lvxtest::GoldenTable;

namespace {

// A caller's picture: B, G, R pixels of `pixelBytes` bytes, rows of
// `rowBytes` (at least 3 * columns) bytes.
struct Picture {
  int32_t rows = 0, columns = 0, rowBytes = 0, pixelBytes = 3;
  std::vector<uint8_t> bytes;
  uint8_t* Pixel(int32_t y, int32_t x) { return bytes.data() + size_t(y) * rowBytes + size_t(x) * pixelBytes; }
};

Picture Photo(int32_t rows, int32_t columns)
{
  lvxbench::Photo photo = lvxbench::MakePhoto(rows, columns);
  return Picture{photo.rows, photo.columns, int32_t(photo.rowBytes), 3, std::move(photo.bytes)};
}

Picture Sample(const char* name)
{
  imaging::Bitmap bitmap;
  std::string error;
  const std::string path = lvxtest::Source(std::string("samples/") + name);
  EXPECT_EQ(imaging::LoadFile(path.c_str(), &bitmap, 24, &error), imaging::kSuccess) << error;
  Picture picture{bitmap.height, bitmap.width, bitmap.bytesPerLine, 3, {}};
  picture.bytes.resize(size_t(picture.rowBytes) * size_t(picture.rows));
  for (int32_t y = 0; y < picture.rows; ++y)
    std::memcpy(picture.bytes.data() + size_t(y) * picture.rowBytes, bitmap.PictureRow(y), size_t(picture.rowBytes));
  return picture;
}

// Every pixel through `f(b, g, r)`, which rewrites the three in place.
Picture Mapped(Picture picture, const std::function<void(uint8_t&, uint8_t&, uint8_t&)>& f)
{
  for (int32_t y = 0; y < picture.rows; ++y)
    for (int32_t x = 0; x < picture.columns; ++x) {
      uint8_t* p = picture.Pixel(y, x);
      f(p[0], p[1], p[2]);
    }
  return picture;
}

uint8_t Clamp(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

// A picture of every pixel a different colour: the pixel index through a
// bijection of 24-bit numbers, so it looks like coloured noise.
Picture ManyColours(int32_t rows, int32_t columns)
{
  Picture picture{rows, columns, (3 * columns + 3) / 4 * 4, 3, {}};
  picture.bytes.assign(size_t(picture.rowBytes) * size_t(rows), 0);
  for (int32_t y = 0; y < rows; ++y)
    for (int32_t x = 0; x < columns; ++x) {
      uint32_t c = (uint32_t(y * columns + x) * 2654435761u) & 0xFFFFFF;
      c ^= c >> 12;
      uint8_t* p = picture.Pixel(y, x);
      p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
    }
  return picture;
}

AdjustParams Record(int16_t contrast, int16_t colour, int16_t sharpen, int16_t noise, double tonal = 2.2,
                    double target = 2.2, uint8_t skinRed = 233, uint8_t skinGreen = 200, uint8_t skinBlue = 181)
{
  AdjustParams p{};
  p.contrastLevel = contrast, p.colorLevel = colour, p.sharpenLevel = sharpen, p.noiseLevel = noise;
  p.tonalGamma = tonal, p.targetGamma = target;
  p.skinColor[0] = skinRed, p.skinColor[1] = skinGreen, p.skinColor[2] = skinBlue;
  return p;
}

// A named setting: an engine record (null: the engine's default record) and
// an analysis rectangle (null: the whole picture).
struct Setting {
  std::string name;
  std::optional<AdjustParams> record;
  std::optional<AdjustRect> rect;
};

// The defaults; every level at 1 and at 13 alone, then together; the
// gammas; the record of the plug-in window's defaults; a skin target too far
// from the skin found to be taken, and two near enough to correct it.
std::vector<Setting> Settings()
{
  std::vector<Setting> settings = {{"defaults", std::nullopt, std::nullopt}};
  const char* names[4] = {"contrast", "colour", "sharpen", "noise"};
  for (int level : {1, 13})
    for (int which = 0; which < 4; ++which) {
      int16_t levels[4] = {3, 3, 3, 3};
      levels[which] = int16_t(level);
      settings.push_back({std::string(names[which]) + " " + std::to_string(level),
                          Record(levels[0], levels[1], levels[2], levels[3]), std::nullopt});
    }
  settings.push_back({"all levels 1", Record(1, 1, 1, 1), std::nullopt});
  settings.push_back({"all levels 13", Record(13, 13, 13, 13), std::nullopt});
  settings.push_back({"tonal gamma 1.0", Record(3, 3, 3, 3, 1.0, 2.2), std::nullopt});
  settings.push_back({"tonal gamma 3.0 target gamma 1.8", Record(3, 3, 3, 3, 3.0, 1.8), std::nullopt});
  settings.push_back({"window defaults", Record(7, 7, 6, 7, 1.8, 1.8, 229, 190, 168), std::nullopt});
  settings.push_back({"skin far 60,170,230", Record(3, 3, 3, 3, 2.2, 2.2, 60, 170, 230), std::nullopt});
  settings.push_back({"skin near 225,185,150", Record(3, 3, 3, 3, 2.2, 2.2, 225, 185, 150), std::nullopt});
  settings.push_back({"skin near 240,185,181", Record(3, 3, 3, 3, 2.2, 2.2, 240, 185, 181), std::nullopt});
  return settings;
}

// The engine's status and the caller's whole buffer after a run.
std::string Outcome(int32_t status, const std::vector<uint8_t>& bytes)
{
  lvxtest::Sha256 hash;
  hash.Update("status " + std::to_string(status) + "\n");
  hash.Update(bytes.data(), bytes.size());
  return hash.HexDigest();
}

// Corrects a copy of the picture with the setting; the outcome.
std::string Corrected(Picture picture, const Setting& setting)
{
  SetParams(setting.record ? &*setting.record : nullptr);
  const int32_t status = DoAdjustments(picture.bytes.data(), picture.rows, picture.columns, picture.rowBytes,
                                       picture.pixelBytes, setting.rect ? &*setting.rect : nullptr, nullptr);
  return Outcome(status, picture.bytes);
}

const Setting& SettingNamed(const std::string& name)
{
  static const std::vector<Setting> settings = Settings();
  for (const Setting& setting : settings)
    if (setting.name == name)
      return setting;
  ADD_FAILURE() << "no setting " << name;
  return settings.front();
}

const Setting kDefaults{"defaults", std::nullopt, std::nullopt};

// Photographs of the sizes (rows, columns) corrected with the defaults.
void AddSizes(GoldenTable& table, std::initializer_list<std::pair<int32_t, int32_t>> sizes)
{
  for (const auto& [rows, columns] : sizes)
    table.Add("photo " + std::to_string(rows) + "x" + std::to_string(columns),
              Corrected(Photo(rows, columns), kDefaults));
}

// A photograph of the size corrected with every setting.
void AddSettings(GoldenTable& table, int32_t rows, int32_t columns)
{
  const Picture picture = Photo(rows, columns);
  const std::string size = std::to_string(rows) + "x" + std::to_string(columns);
  for (const Setting& setting : Settings())
    table.Add("photo " + size + " " + setting.name, Corrected(picture, setting));
}

// ---- The committed tables -------------------------------------------------------

constexpr GoldenEntry kSamples[] = {
    {"astronaut.png defaults", "8b06ba59f791732a0137d3ef72948416499c2fb9572488d9430308dadf2993d1"},
    {"astronaut.png window defaults", "18c29fe68622dce66ff501da637dd61e8ccd04709ca80690f331d1ae6410e374"},
    {"astronaut.png sharpen 1", "14c2398e906d2b6cc29710420dfffb82f2f86d242d6ef00a56705ce1be252e7c"},
    {"astronaut.png all levels 13", "b4b68eaf710734d7c789ef31a7f63f788e507ee292da9ddac0dff5273f274163"},
    {"coffee.png defaults", "f5b34d6566847fa6c13634c616778978e7ee53ad0cc281e2ac74d41a0086cffa"},
    {"coffee.png window defaults", "6aa8722d878fda03065150a7ac2a1d86ca65e5bc0217bc068b39e45e12ceb26a"},
    {"coffee.png sharpen 1", "35744e8a05102d1b67d9d09613596b2551b71c3b22bb4200e21ae837a9b7da5b"},
    {"coffee.png all levels 13", "a098d9af41779c3a4a5e3f304d6773de4586beb10425003487d071f5e29a69f7"},
};

constexpr GoldenEntry kSmallSizes[] = {
    {"photo 1x1", "1b18bdb84c701979e2ae068009d3df9fc4d1658c20f71eddd32434ac01cc4a5d"},
    {"photo 1x2", "1e784b95b6b8a8b77db24a3314b9b9dcf1e343613e15194a6152180b4339c93d"},
    {"photo 2x1", "10f860efd06f48aeb8dab3c6cc22d8551b171d24ea90c13845bb5a45ef9a6b2b"},
    {"photo 2x2", "50669506dac4fd91ccf9eb870fa24690d4fc7bcaa228c668fb7deaeac319c19a"},
    {"photo 1x301", "4f4a387ca71806202baf21ab1cb9fe5f42645e3d93cff65b4500df78a6ffd06f"},
    {"photo 301x1", "9f54a8797f9d761b6aca337f65ff3ae14ea840e7f6eec152c147cdb32a059ca4"},
    {"photo 2x257", "8b6d4c73b73b86497909fca437b74a7297bac4ab908216eb5da5662b4b252908"},
    {"photo 255x2", "468da50b9152727f95c6b9d04fbe16660091b3420f67775614b18945454e6059"},
    {"photo 3x3", "4ae9931fd099a64e9a853c433a45c58f737b1f12bbc08e0e5f20d6179d2a3256"},
    {"photo 5x7", "767314b0ba329f300685d8ab56cf125b58217bffca56538f1df1295f01f89338"},
    {"photo 17x31", "1c1467fdb5cbf049bf4c3046ee007b070c4a53ab84cc9c64b90aaaca8b3c6361"},
    {"photo 64x64", "2de8ce8162add7fe3b120d4ecabf7cdd3402212fec1715ef13768890ae5609a9"},
    {"photo 127x93", "5941e3b0358c6a35a1e655d5b29f4cb5d0067bb58f912e9ce00e4e7d46f605e1"},
};

constexpr GoldenEntry kSizesAroundTheReducedCopy[] = {
    {"photo 400x500", "cb7dcbe1331ad61a57b712d6d144b9ba4e6048a09051c8996270c7f5abcfe87a"},
    {"photo 401x500", "c4e1ad2f85e91dc41144ba2acaa6d7287d037e0d9f3733c64817e13a968f2cd5"},
    {"photo 447x449", "327ab692259cde76e22504e5dc203b92723b5488841b30ea4bf8bcf8198687a4"},
    {"photo 2x100001", "bc23ce591f8cb783a37fe554422f54bd0264560b54cde0e3d8ef02c867678d29"},
    {"photo 100001x2", "a038cc741cb7aeb68a2261708196fbb58982857186ccf78bb7d020dd4240d341"},
    {"photo 3x66667", "9bf89f99b4af3f86cc41b2a91f7b7c32d39cd8bb2c67278657b7e695aecbb851"},
};

constexpr GoldenEntry kLargePhotos[] = {
    {"photo 701x999", "baf5fb10fe4e1fd187171d275554c6217936a5512745e8af0c5a59f5f27af4b7"},
    {"photo 1500x2000", "5530ac8b06b218b4451643de3dfee5184c7ca46da474b53244de53ee8b1c3491"},
};

constexpr GoldenEntry kSettingsAtFullSize[] = {
    {"photo 121x163 defaults", "b7a4cf0466b10a1bfaa9c78dde4b8153e73175ad8693a147b0c4862a1fd2e8b5"},
    {"photo 121x163 contrast 1", "2abe813d8abeca93b9d84badb60cd5d16ad33a4b3912dd6abc7bf31f5d77d549"},
    {"photo 121x163 colour 1", "b7a4cf0466b10a1bfaa9c78dde4b8153e73175ad8693a147b0c4862a1fd2e8b5"},
    {"photo 121x163 sharpen 1", "cdceb147fb5196dab2f48bedba4b20b001ab3802715b430fe016d8afcb230443"},
    {"photo 121x163 noise 1", "0e12ff8d21e626597616f305a8303b3753a71450bd5222fbf1179e480db9bb80"},
    {"photo 121x163 contrast 13", "b81770d43d1c0105439062da69c8736afbe9e404e0291a7ce4616ac04e131083"},
    {"photo 121x163 colour 13", "d74258ff30ba910272a81ab5aeecf03f48bbf74b6985e67b5cb98999dc0241dc"},
    {"photo 121x163 sharpen 13", "641f8d256e8cd5ac86e37b8935374f6b0c078bc81278d717b07fa252eab7407e"},
    {"photo 121x163 noise 13", "17d7cefd6c29d6efe55f235f114b76020b1989fe9ffdd6288b5c82a149427e2c"},
    {"photo 121x163 all levels 1", "396b0658da283570e8a4fc2f1741f8426785609669f7a1f7992220e3a6fc0a84"},
    {"photo 121x163 all levels 13", "c63b543db6a5917649230e86ef959b68a92ff8d28f86575fd80a3b8d45f57459"},
    {"photo 121x163 tonal gamma 1.0", "9b50c3d7b427a019c77c15d27c7281921099c27b89b3c75e0cabcf6624069218"},
    {"photo 121x163 tonal gamma 3.0 target gamma 1.8",
     "e19b7ca9b03b9b3e797bedc2880b35f5d9914f14a982eaebe43831bd7ea2d4ed"},
    {"photo 121x163 window defaults", "b94e5f9f7908d626aae8653c34d353d145977f8fd9af75b21456cd6962b9bef4"},
    {"photo 121x163 skin far 60,170,230", "b7a4cf0466b10a1bfaa9c78dde4b8153e73175ad8693a147b0c4862a1fd2e8b5"},
    {"photo 121x163 skin near 225,185,150", "988d410f6698ce081cc57a8273786ddb441d9c22b5b9e3de0372e48e2978cb2b"},
    {"photo 121x163 skin near 240,185,181", "b3064faca8771648a591adfa74e8c5ba6af2814b6ec965c11067eeb340b0c823"},
};

constexpr GoldenEntry kSettingsOnAReducedCopy[] = {
    {"photo 479x641 defaults", "1ca5dffd05d72c9b8ac9f23733a8929d735e278fc5b9c9e66bda8c6676f97e22"},
    {"photo 479x641 contrast 1", "225e578b25c7d839a70a6095ef6312babff1a5e4cf9f78a64bd1564766a2c409"},
    {"photo 479x641 colour 1", "0e0693e41e14f9bce4e32a7a873cd461715c78727c63425f4f0691163d398f92"},
    {"photo 479x641 sharpen 1", "3fdce7529a47f0376a903dd8816e2bdafacfbe48d6078cbb35022f250275a1d4"},
    {"photo 479x641 noise 1", "e30ad27fbeca1a52d2c7903cc2ed0315bbb452680ef6535583fce2a9d1bccc27"},
    {"photo 479x641 contrast 13", "428ea80c1270671d534feb84f203b6f998dfda0bca12785ed65645fb1acc88cb"},
    {"photo 479x641 colour 13", "9dc3f579bec45de147f5752735d66ad4cf466935af11b9ed5fe0766739e84a82"},
    {"photo 479x641 sharpen 13", "7a1c9322b444ed7fcac2717f9cbdce9cbb550f12e47f1220a852fe9e73e24089"},
    {"photo 479x641 noise 13", "ae4e3c2a94bfd01b88199c6af999bd1a602203b2f33db0be4b3d264ba948f3a3"},
    {"photo 479x641 all levels 1", "59de53726630b7b9a9f3c7966e8442f5efe7071a3498d6d29e1b117de0ceb9bf"},
    {"photo 479x641 all levels 13", "c6d373e6a1e165b43a0e79cf71fe88de95a6b1a563645eca5279ba6d5795cf70"},
    {"photo 479x641 tonal gamma 1.0", "591b9b04975b90bb2646b39318383a3246918ec7d018c910ba8bcdff11e8f5fc"},
    {"photo 479x641 tonal gamma 3.0 target gamma 1.8",
     "83d07dd95236d7b99bb3a8e08543f31da3de4a924c1273833c904949d019798f"},
    {"photo 479x641 window defaults", "bb347895365f90052a4f65628df54ce9709e3ba004d900420aa0f01effcc7769"},
    {"photo 479x641 skin far 60,170,230", "0e0693e41e14f9bce4e32a7a873cd461715c78727c63425f4f0691163d398f92"},
    {"photo 479x641 skin near 225,185,150", "8d7b490ebdca7ec944c2ebd00ab947bc1c8a7cf34d7c988d4cea15bfe4da0bd5"},
    {"photo 479x641 skin near 240,185,181", "d302fa1447c60ba1a06703a70d12d8878665198dcdf994507679e7c75a3173f9"},
};

constexpr GoldenEntry kDifficultPictures[] = {
    {"grey 150x201", "db101613c4e6fb2b70dd2e140e5fe94056d2dd5fe41439388d3f8d3d755bd883"},
    {"flat grey 150x201", "f51ebae363397e9b9108a6c8219aaf1344dc124a31539aa2670fadf07c7b329f"},
    {"flat skin 150x201", "36b94a92a48880df0cc830350922a71e947e42be2acafa43a74dde8e46f2150f"},
    {"warm cast 150x201", "9db85aab69a30bdb19ee259d28900d3eaee23add9bbd3a8140923d72db6f1b4c"},
    {"blue cast 150x201", "30b18dadeb0475b7b8921daa760dd143796d3c64c0d60609a5c4426f09c33b6a"},
    {"green cast 150x201", "4c5ed331f8f969eef7a646ce55a7d2f0b6ee3ca25b8cb2d44570332a0cbc158f"},
    {"under-exposed 150x201", "cd69e3023998691672e40a6700f4189e2ed19ada386b477a23dec42e72603a81"},
    {"over-exposed 150x201", "4b85b6b8e60051d0373354c64af1d15910727e91a634354384f0555200c95920"},
    {"few colours 150x201", "ac2ea2a4a4409756046a6c7a24347ba10bcbeac4238c2e1cc2ff7240a2ec2959"},
    {"many colours 150x201", "da6114b895c5845f8b7c819d19b896eeae52caa2814b93f6de7c097eb1a3270a"},
    {"grey 480x640", "c7be0c8c800795926a4d7676a7413dcd09fb5390f6fd06ef1621a85e9814ab91"},
    {"flat grey 480x640", "31746a5b31a60299f93c8ad8f1c59fa4caa2706c7a00983176542a4a23c280ca"},
    {"flat skin 480x640", "b9a970ab0d112506c95a65678a0876d9b2df660b2f1ef97cad7d74cd0f1ca5d4"},
    {"warm cast 480x640", "b4ce4641f8217e9aa7879f3b5a07cbb835d4cdb0f9e86e906a93eb4a740b1181"},
    {"blue cast 480x640", "43c54b62649b45bb9fff59044582c94d4e7f6b849d10b0c3fee9b2f2c9e2f502"},
    {"green cast 480x640", "fa65536da92b7b1bf43947c999196623c56e4aef61e07183e71aa61186ddfc1b"},
    {"under-exposed 480x640", "f9b69cebba9f738aa86bb8622d7f3bc4cdeee2173bb62752ec5b1d5e0693004e"},
    {"over-exposed 480x640", "6bccfb5e5c55e31044ba6037e091fdff86740494e3f66ae644cc2678e2a6132f"},
    {"few colours 480x640", "39f6e211d664cd8a722d9cc478fbab5c3a221b3174a40edf2048c359c5669dd8"},
    {"many colours 480x640", "7eedd99ae309742602d865c993e14bd813a25bd83fa4ec357606d4afa0b1a261"},
    {"many colours 1000x1000", "46e8ab35c44bec3a999ce93af0cfbf473aeee6b087d4178a790ce0961a7b0f50"},
};

constexpr GoldenEntry kRectangles[] = {
    {"121x163 rect 20,10,90,70 defaults", "55b97c38adc680e4b8657e93e892233157a9461854410148d9acef2d20010dcb"},
    {"121x163 rect 20,10,90,70 window defaults", "a843b777f0ac1b897298f95f0fb5f6d41e626381540129cc78713346a9188826"},
    {"121x163 rect 0,0,1,1 defaults", "b21fab6ed60200a9e277d6fde1d20372456cfc95a2afd0f2fe33a70337c0ca9e"},
    {"121x163 rect 0,0,1,1 window defaults", "37217008324ff9517166db24e039a9b9f097b11c2273189d697db6605f22f28b"},
    {"121x163 rect row 0,60,163,61 defaults", "d5f6318dfedad77bfa9ba7ff8c56720f912faadb323ae297bc63472a79b128d2"},
    {"121x163 rect row 0,60,163,61 window defaults",
     "b8665330e60f9eca1ba5ea7bbfbf32cb7ca2fdb440facfa021491a6988cce400"},
    {"121x163 rect far corner 150,110,163,121 defaults",
     "b084c88069f2b87411affc399f004c13e6b7bc04e0bee887957786a27619e40a"},
    {"121x163 rect far corner 150,110,163,121 window defaults",
     "8998a83eca11360b215252fbea632013d6b731a6e2f7a2294a2386d39552d014"},
    {"480x640 rect 40,30,140,110 defaults", "f3682faa71302cdc257453bb9e5c8f98acbd1014d36ed518f1f79fc8395a82b6"},
    {"480x640 rect 40,30,140,110 window defaults", "99b8b21a6917c698b355c42443171e6e14b45938f61d276896719a1522753b09"},
    {"480x640 rect 50,30,600,450 defaults", "2a53e3094da56e69a8191139119d89942a31fd6eef33ea3a4bb2ffb1d64ee57a"},
    {"480x640 rect 50,30,600,450 window defaults", "bc879fb2eba39379183eac03e0f587aa22adc8b232bb62c60fa80d37d1d89ee3"},
    {"480x640 rect 0,0,640,400 defaults", "377a06df173a7acba21dbaa8cdf07b3c5b0fff7a9eb92abed716886ea87734d6"},
    {"480x640 rect 0,0,640,400 window defaults", "4df37d9037b94182b0da64b8bff1460c476cf5d3b03204b0f7140530e7e08f7d"},
};

constexpr GoldenEntry kLayouts[] = {
    {"4-byte pixels 97x131", "ec75903a84be7b1d898b0a36f3f64ca3a0db02346ca439533d2f64f083b58c8b"},
    {"bottom-up 97x131", "43fe7d5acb21152d1bbd9a4b257992008a1737508db375079f4ea8cc9798e759"},
    {"doAllAutoAdjustments 97x131", "d0d88bb8abfa4061579a1d375c1ccc08945a89089384eb68517bdd679491a5ee"},
    {"4-byte pixels 480x640", "1d265b54cb6e56e9e42287afed95acbebcb24611fb89c2972376f55662a67502"},
    {"bottom-up 480x640", "057636ce6021ab83a35be5ee3d06ec03d265f15e50acd76936f07c99d5df093e"},
    {"doAllAutoAdjustments 480x640", "5d3823d0525160cd1cbfb9d6d9d59f3e8ed57f269fd3ea284ca9b454bca2a394"},
};

} // namespace

TEST(EngineGolden, Samples)
{
  GoldenTable table(kSamples);
  for (const char* name : {"astronaut.png", "coffee.png"}) {
    const Picture picture = Sample(name);
    ASSERT_FALSE(picture.bytes.empty());
    for (const char* setting : {"defaults", "window defaults", "sharpen 1", "all levels 13"})
      table.Add(std::string(name) + " " + setting, Corrected(picture, SettingNamed(setting)));
  }
  table.Check();
}

// Pictures of one or two rows or columns, and small odd ones: the full-size correction.
TEST(EngineGolden, SmallSizes)
{
  GoldenTable table(kSmallSizes);
  AddSizes(table, {{1, 1},
                   {1, 2},
                   {2, 1},
                   {2, 2},
                   {1, 301},
                   {301, 1},
                   {2, 257},
                   {255, 2},
                   {3, 3},
                   {5, 7},
                   {17, 31},
                   {64, 64},
                   {127, 93}});
  table.Check();
}

// Both sides of the reduced-copy correction's threshold (twice the pixel budget of
// 100,000 pixels), and sizes whose reduced copy has a width or height of 1
// or 2.
TEST(EngineGolden, SizesAroundTheReducedCopy)
{
  GoldenTable table(kSizesAroundTheReducedCopy);
  AddSizes(table, {{400, 500}, {401, 500}, {447, 449}, {2, 100001}, {100001, 2}, {3, 66667}});
  table.Check();
}

// Large enough that the reduced copy and the sharpening's median run at
// their real sizes.
TEST(EngineGolden, LargePhotos)
{
  GoldenTable table(kLargePhotos);
  AddSizes(table, {{701, 999}, {1500, 2000}});
  table.Check();
}

TEST(EngineGolden, SettingsAtFullSize)
{
  GoldenTable table(kSettingsAtFullSize);
  AddSettings(table, 121, 163);
  table.Check();
}

TEST(EngineGolden, SettingsOnAReducedCopy)
{
  GoldenTable table(kSettingsOnAReducedCopy);
  AddSettings(table, 479, 641);
  table.Check();
}

// Pictures that push one stage to an edge, each both ways.
TEST(EngineGolden, DifficultPictures)
{
  GoldenTable table(kDifficultPictures);
  struct Kind {
    const char* name;
    std::function<void(uint8_t&, uint8_t&, uint8_t&)> f;
  };
  // Linear ones: each channel v becomes offset + gain * v, clamped, as
  // {red offset, gain, green offset, gain, blue offset, gain}.
  const auto linear = [](double ro, double rg, double go, double gg, double bo, double bg) {
    return [=](uint8_t& b, uint8_t& g, uint8_t& r) {
      r = Clamp(ro + rg * r), g = Clamp(go + gg * g), b = Clamp(bo + bg * b);
    };
  };
  const Kind kinds[] = {
      {"grey", [](uint8_t& b, uint8_t& g, uint8_t& r) { b = g = r = uint8_t((77 * r + 150 * g + 29 * b + 128) >> 8); }},
      {"flat grey", [](uint8_t& b, uint8_t& g, uint8_t& r) { b = g = r = 128; }},
      {"flat skin", [](uint8_t& b, uint8_t& g, uint8_t& r) { b = 181, g = 200, r = 233; }},
      {"warm cast", linear(40, 0.85, 10, 0.8, 0, 0.45)},
      {"blue cast", linear(0, 0.5, 0, 0.75, 50, 0.8)},
      {"green cast", linear(0, 0.6, 30, 0.9, 0, 0.55)},
      {"under-exposed", linear(0, 0.22, 0, 0.22, 0, 0.22)},
      {"over-exposed", linear(40, 1.9, 40, 1.9, 40, 1.9)},
      {"few colours", [](uint8_t& b, uint8_t& g,
                         uint8_t& r) { r = r < 128 ? 40 : 200, g = g < 110 ? 60 : 190, b = b < 100 ? 30 : 170; }},
  };
  for (const auto& [rows, columns] : {std::pair{150, 201}, std::pair{480, 640}}) {
    const std::string size = std::to_string(rows) + "x" + std::to_string(columns);
    const Picture photo = Photo(rows, columns);
    for (const Kind& kind : kinds)
      table.Add(std::string(kind.name) + " " + size, Corrected(Mapped(photo, kind.f), kDefaults));
    table.Add("many colours " + size, Corrected(ManyColours(rows, columns), kDefaults));
  }
  table.Add("many colours 1000x1000", Corrected(ManyColours(1000, 1000), kDefaults));
  table.Check();
}

// The analysis rectangle: small ones on a large picture (the full-size correction
// over the whole picture), a large one (the reduced-copy correction on its part), one
// pixel, one row, and one at the far corner.
TEST(EngineGolden, Rectangles)
{
  GoldenTable table(kRectangles);
  const Picture small = Photo(121, 163), large = Photo(480, 640);
  const struct {
    const char* name;
    const Picture& picture;
    AdjustRect rect;
  } cases[] = {
      {"121x163 rect 20,10,90,70", small, {20, 10, 90, 70}},
      {"121x163 rect 0,0,1,1", small, {0, 0, 1, 1}},
      {"121x163 rect row 0,60,163,61", small, {0, 60, 163, 61}},
      {"121x163 rect far corner 150,110,163,121", small, {150, 110, 163, 121}},
      {"480x640 rect 40,30,140,110", large, {40, 30, 140, 110}},
      {"480x640 rect 50,30,600,450", large, {50, 30, 600, 450}},
      {"480x640 rect 0,0,640,400", large, {0, 0, 640, 400}},
  };
  for (const auto& c : cases) {
    table.Add(std::string(c.name) + " defaults", Corrected(c.picture, {"", std::nullopt, c.rect}));
    table.Add(std::string(c.name) + " window defaults",
              Corrected(c.picture, {"", SettingNamed("window defaults").record, c.rect}));
  }
  table.Check();
}

// The caller's layouts: 4-byte pixels and padded rows (the bytes past the
// colour must stay as they were), rows stored bottom-up, and the other
// export with its pixel pointer read through a pointer.
TEST(EngineGolden, Layouts)
{
  GoldenTable table(kLayouts);
  for (const auto& [rows, columns] : {std::pair{97, 131}, std::pair{480, 640}}) {
    const std::string size = std::to_string(rows) + "x" + std::to_string(columns);
    Picture photo = Photo(rows, columns);
    Picture wide{rows, columns, 4 * columns + 12, 4, {}};
    wide.bytes.assign(size_t(wide.rowBytes) * size_t(rows), 0xA5);
    for (int32_t y = 0; y < rows; ++y)
      for (int32_t x = 0; x < columns; ++x)
        std::memcpy(wide.Pixel(y, x), photo.Pixel(y, x), 3);
    table.Add("4-byte pixels " + size, Corrected(wide, kDefaults));

    // Bottom-up: the first row as seen is the last in memory.
    Picture flipped = photo;
    for (int32_t y = 0; y < rows; ++y)
      std::memcpy(flipped.bytes.data() + size_t(rows - 1 - y) * photo.rowBytes,
                  photo.bytes.data() + size_t(y) * photo.rowBytes, size_t(photo.rowBytes));
    SetParams(nullptr);
    uint8_t* first = flipped.bytes.data() + size_t(rows - 1) * photo.rowBytes;
    const int32_t status = DoAdjustments(first, rows, columns, -photo.rowBytes, 3, nullptr, nullptr);
    table.Add("bottom-up " + size, Outcome(status, flipped.bytes));

    Picture copy = photo;
    uint8_t* pixels = copy.bytes.data();
    const AdjustRect rect{0, 0, columns, rows};
    const int32_t autoStatus = doAllAutoAdjustments(&pixels, rows, columns, rect, copy.rowBytes, nullptr);
    table.Add("doAllAutoAdjustments " + size, Outcome(autoStatus, copy.bytes));
  }
  table.Check();
}
