// fxart: draws the effect modules' and effects-host's interface art at
// build time, one BMP per picture, byte-identical on every run.
//
//   fxart --set despeckle|descreen|effects-host OUTDIR
//   fxart --list
//
// The look: dark faces with the accent over the controls' grey. Every
// picture is one function of integer geometry.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator<(const Rgb& o) const { return r != o.r ? r < o.r : g != o.g ? g < o.g : b < o.b; }
};

constexpr Rgb kControlGrey{187, 187, 187};
constexpr Rgb kFace{40, 40, 40};
constexpr Rgb kFrame{160, 160, 160};
constexpr Rgb kAccent{249, 229, 0};
constexpr Rgb kDark{16, 16, 16};
constexpr Rgb kLight{236, 236, 236};
constexpr Rgb kKey{255, 255, 255}; // the transparent key of the marker

struct Canvas {
  int width, height;
  std::vector<Rgb> pixels;
  Canvas(int w, int h, Rgb fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
  void Set(int x, int y, Rgb c)
  {
    if (x >= 0 && y >= 0 && x < width && y < height)
      pixels[static_cast<size_t>(y) * width + x] = c;
  }
  Rgb At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // [x0, x1) x [y0, y1).
  void Box(int x0, int y0, int x1, int y1, Rgb c)
  {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        Set(x, y, c);
  }
  void Frame(int x0, int y0, int x1, int y1, Rgb c)
  {
    Box(x0, y0, x1, y0 + 1, c);
    Box(x0, y1 - 1, x1, y1, c);
    Box(x0, y0, x0 + 1, y1, c);
    Box(x1 - 1, y0, x1, y1, c);
  }
};

Rgb Mix(Rgb a, Rgb b, int t, int of)
{
  auto m = [&](uint8_t p, uint8_t q) { return static_cast<uint8_t>((p * (of - t) + q * t) / of); };
  return Rgb{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// Squared distance of pixel (x, y) from the centre (cx2 / 2, cy2 / 2), in
// doubled coordinates so that centres may fall between pixels.
int Dist2(int x, int y, int cx2, int cy2)
{
  const int dx = 2 * x + 1 - cx2, dy = 2 * y + 1 - cy2;
  return dx * dx + dy * dy;
}

// ---- The effects' pictures ---------------------------------------------------

// The smooth field both icons share: a diagonal ramp of blue-grey tones.
Rgb Field(int x, int y) { return Mix(Rgb{70, 90, 120}, Rgb{150, 175, 200}, x + y, 98); }

// Despeckle's icon: dark specks on the left half, cleared on the right, with
// an accent divide.
Canvas DespeckleIcon()
{
  Canvas c(50, 50, kFace);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x)
      c.Set(x, y, Field(x, y));
  const int specks[][2] = {{5, 7}, {15, 4}, {9, 18}, {19, 14}, {4, 30}, {14, 26}, {8, 41}, {18, 37}, {12, 46}};
  for (const auto& s : specks) {
    c.Box(s[0], s[1], s[0] + 2, s[1] + 2, kDark);
    c.Set(s[0] + 2, s[1], kLight);
  }
  c.Box(24, 0, 26, 50, kAccent);
  c.Frame(0, 0, 50, 50, kFrame);
  return c;
}

// Descreen's icon: a dot screen whose dots shrink from left to right and
// fade into the smooth tone.
Canvas DescreenIcon()
{
  Canvas c(50, 50, kFace);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x)
      c.Set(x, y, Field(x, y));
  for (int cy = 3; cy < 50; cy += 6)
    for (int cx = 3; cx < 36; cx += 6) {
      const int r2 = (36 - cx) * (36 - cx) / 40; // shrinking dots (doubled radius squared / 4)
      for (int y = cy - 3; y < cy + 3; ++y)
        for (int x = cx - 3; x < cx + 3; ++x)
          if (Dist2(x, y, 2 * cx, 2 * cy) <= r2)
            c.Set(x, y, Mix(kDark, Field(x, y), cx, 40));
    }
  c.Frame(0, 0, 50, 50, kFrame);
  return c;
}

// The popup arrow: an accent triangle pointing down on the face colour.
Canvas PopupArrow()
{
  Canvas c(11, 7, kFace);
  for (int row = 0; row < 5; ++row)
    c.Box(1 + row, 1 + row, 10 - row, 2 + row, kAccent);
  return c;
}

// A 24 x 24 button face with a 1-pixel frame; the symbol is drawn over it.
Canvas ButtonFace()
{
  Canvas c(24, 24, kFace);
  c.Frame(0, 0, 24, 24, kFrame);
  return c;
}

// The show-mask toggle: a half-filled disc, the masked half in the accent.
Canvas ShowMaskFace()
{
  Canvas c = ButtonFace();
  for (int y = 4; y < 20; ++y)
    for (int x = 4; x < 20; ++x)
      if (Dist2(x, y, 24, 24) <= 16 * 16)
        c.Set(x, y, x < 12 ? kAccent : kLight);
  return c;
}

// The brush button: a round brush tip on a handle.
Canvas BrushFace()
{
  Canvas c = ButtonFace();
  for (int i = 0; i < 8; ++i)
    c.Box(12 + i, 10 - i, 14 + i, 12 - i, kFrame);
  for (int y = 10; y < 21; ++y)
    for (int x = 3; x < 14; ++x)
      if (Dist2(x, y, 17, 31) <= 10 * 10)
        c.Set(x, y, kAccent);
  return c;
}

// The brush-size pair: a small and a large disc side by side.
Canvas BrushSizeFace()
{
  Canvas c = ButtonFace();
  for (int y = 2; y < 22; ++y)
    for (int x = 2; x < 22; ++x) {
      if (Dist2(x, y, 13, 25) <= 6 * 6)
        c.Set(x, y, kLight);
      if (Dist2(x, y, 31, 25) <= 14 * 14)
        c.Set(x, y, kAccent);
    }
  return c;
}

// The marker: an accent ring with a dark outline on the pure-white key;
// the ring's inside is the key too, so the picture under it shows.
Canvas Marker()
{
  Canvas c(11, 11, kKey);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 11; ++x) {
      const int d = Dist2(x, y, 11, 11);
      if (d <= 11 * 11 && d > 9 * 9)
        c.Set(x, y, kDark);
      else if (d <= 9 * 9 && d > 5 * 5)
        c.Set(x, y, kAccent);
      else if (d <= 5 * 5 && d > 3 * 3)
        c.Set(x, y, kDark);
    }
  return c;
}

// The crosshair cursor, hot spot (15, 15): light lines with a dark outline.
Canvas Crosshair()
{
  Canvas c(32, 32, kFace);
  c.Box(14, 2, 17, 29, kDark);
  c.Box(2, 14, 29, 17, kDark);
  c.Box(15, 3, 16, 28, kLight);
  c.Box(3, 15, 28, 16, kLight);
  c.Set(15, 15, kDark);
  return c;
}

// ---- effects-host's panel ----------------------------------------------------

// The panel tile: the control grey with a faint diagonal weave, seamless.
Canvas PanelTile()
{
  Canvas c(32, 32, kControlGrey);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if ((x + y) % 8 == 0)
        c.Set(x, y, Rgb{178, 178, 178});
  return c;
}

// The slider track: a dark groove with a light lower edge.
Canvas SliderTrack()
{
  Canvas c(16, 4, kFace);
  c.Box(0, 0, 16, 1, kDark);
  c.Box(0, 3, 16, 4, kFrame);
  return c;
}

// The slider thumb: an accent bar framed dark.
Canvas SliderThumb()
{
  Canvas c(8, 15, kAccent);
  c.Frame(0, 0, 8, 15, kDark);
  return c;
}

// The menu background: the face with a frame-coloured top line.
Canvas MenuBackground()
{
  Canvas c(16, 16, kFace);
  c.Box(0, 0, 16, 1, kFrame);
  return c;
}

// ---- BMP files -----------------------------------------------------------------

void Put16(std::string& s, uint16_t v) { s.append({char(v & 0xFF), char(v >> 8)}); }
void Put32(std::string& s, uint32_t v) { Put16(s, uint16_t(v & 0xFFFF)), Put16(s, uint16_t(v >> 16)); }

// A BITMAPINFOHEADER BMP, bottom-up rows padded to 4: 24 bits, or 8 bits
// with a 256-entry colour table (the picture's colours in order of first
// appearance, then black).
bool WriteBmp(const std::string& path, const Canvas& c, int bits, std::string* error)
{
  std::vector<Rgb> table;
  std::map<Rgb, int> index;
  if (bits == 8) {
    for (const Rgb& p : c.pixels)
      if (index.emplace(p, static_cast<int>(table.size())).second)
        table.push_back(p);
    if (table.size() > 256) {
      *error = path + ": more than 256 colours";
      return false;
    }
    table.resize(256);
  }
  const uint32_t rowBytes = (static_cast<uint32_t>(c.width) * bits / 8 + 3) & ~3u;
  const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(table.size());
  std::string s;
  s += "BM";
  Put32(s, offset + rowBytes * c.height);
  Put32(s, 0);
  Put32(s, offset);
  Put32(s, 40);
  Put32(s, c.width);
  Put32(s, c.height);
  Put16(s, 1);
  Put16(s, static_cast<uint16_t>(bits));
  Put32(s, 0);
  Put32(s, rowBytes * c.height);
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, bits == 8 ? 256 : 0);
  Put32(s, 0);
  for (const Rgb& e : table)
    s.append({char(e.b), char(e.g), char(e.r), 0});
  for (int y = c.height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < c.width; ++x) {
      const Rgb p = c.At(x, y);
      if (bits == 8)
        row += char(index[p]);
      else
        row.append({char(p.b), char(p.g), char(p.r)});
    }
    row.resize(rowBytes, '\0');
    s += row;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(s.data(), static_cast<std::streamsize>(s.size()));
  if (!out.good()) {
    *error = path + ": cannot be written";
    return false;
  }
  return true;
}

struct Picture {
  const char* file;
  int bits;
  const char* what;
  std::function<Canvas()> draw;
};

// The pictures both effect modules carry, with the icon first.
std::vector<Picture> EffectSet(std::function<Canvas()> icon, const char* iconWhat)
{
  return {
      {"icon101.bmp", 8, iconWhat, icon},
      {"arrow102.bmp", 24, "popup arrow, 11x7", PopupArrow},
      {"showmask105.bmp", 24, "show-mask toggle face, 24x24", ShowMaskFace},
      {"marker106.bmp", 24, "marker ring on the white key, 11x11", Marker},
      {"brush109.bmp", 24, "brush button face, 24x24", BrushFace},
      {"brushsize111.bmp", 24, "brush-size pair face, 24x24", BrushSizeFace},
      {"cursor103.bmp", 24, "crosshair cursor, 32x32, hot spot (15, 15)", Crosshair},
  };
}

std::map<std::string, std::vector<Picture>> Sets()
{
  return {
      {"despeckle", EffectSet(DespeckleIcon, "icon: specks cleared from a smooth field, 50x50, 8 bits")},
      {"descreen", EffectSet(DescreenIcon, "icon: a dot screen fading into a smooth tone, 50x50, 8 bits")},
      {"effects-host",
       {
           {"tile1001.bmp", 24, "panel tile, 32x32", PanelTile},
           {"track1002.bmp", 24, "slider track, 16x4", SliderTrack},
           {"thumb1003.bmp", 24, "slider thumb, 8x15", SliderThumb},
           {"menu1004.bmp", 24, "menu background, 16x16", MenuBackground},
       }},
  };
}

int Usage()
{
  std::fprintf(stderr, "usage: fxart --set despeckle|descreen|effects-host OUTDIR\n       fxart --list\n");
  return 2;
}

} // namespace

int main(int argc, char** argv)
{
  const auto sets = Sets();
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const auto& [name, pictures] : sets)
      for (const Picture& p : pictures)
        std::printf("%s/%s: %s\n", name.c_str(), p.file, p.what);
    return 0;
  }
  if (argc != 4 || std::strcmp(argv[1], "--set") != 0 || !sets.count(argv[2]))
    return Usage();
  for (const Picture& p : sets.at(argv[2])) {
    std::string error;
    if (!WriteBmp(std::string(argv[3]) + "/" + p.file, p.draw(), p.bits, &error)) {
      std::fprintf(stderr, "fxart: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
