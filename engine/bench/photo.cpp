#include "photo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace lvxbench {
namespace {

constexpr double kPi = 3.14159265358979323846;

// splitmix64: small, fast and the same on every platform.
class Random {
public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next()
  {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return double(Next() >> 11) * 0x1.0p-53; } // [0, 1)
  double Between(double a, double b) { return a + (b - a) * Uniform(); }
  int Below(int n) { return n > 0 ? int(Next() % uint64_t(n)) : 0; }

private:
  uint64_t state_;
};

struct Colour {
  double r = 0, g = 0, b = 0;
};

uint8_t Byte(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

// Blends `c` over the pixel with coverage a in 0..1.
void Blend(uint8_t* p, const Colour& c, double a)
{
  p[0] = Byte(p[0] + (c.b - p[0]) * a);
  p[1] = Byte(p[1] + (c.g - p[1]) * a);
  p[2] = Byte(p[2] + (c.r - p[2]) * a);
}

Colour RandomColour(Random& rnd, double lo, double hi)
{
  return Colour{rnd.Between(lo, hi), rnd.Between(lo, hi), rnd.Between(lo, hi)};
}

// Sky-like light at the top, darker ground below, and a few broad waves of
// colour across the frame. Separable, so each pixel costs a few products.
void PaintFields(Photo& photo, Random& rnd)
{
  constexpr int kTerms = 3;
  const int32_t W = photo.columns, H = photo.rows;
  struct Term {
    double amplitude;
    std::vector<double> across, down;
  };
  Term terms[3][kTerms];
  double mean[3], slope[3];
  for (int c = 0; c < 3; ++c) {
    mean[c] = rnd.Between(90, 160);
    slope[c] = rnd.Between(20, 70);
    for (Term& t : terms[c]) {
      t.amplitude = rnd.Between(12, 40);
      const double fx = rnd.Between(0.3, 2.5), fy = rnd.Between(0.3, 2.0);
      const double px = rnd.Between(0, 2 * kPi), py = rnd.Between(0, 2 * kPi);
      t.across.resize(size_t(W));
      t.down.resize(size_t(H));
      for (int32_t x = 0; x < W; ++x)
        t.across[size_t(x)] = std::sin(2 * kPi * fx * x / W + px);
      for (int32_t y = 0; y < H; ++y)
        t.down[size_t(y)] = t.amplitude * std::cos(2 * kPi * fy * y / H + py);
    }
  }
  for (int32_t y = 0; y < H; ++y) {
    const double v = 0.5 - double(y) / H;
    for (int32_t x = 0; x < W; ++x) {
      uint8_t* p = photo.Pixel(y, x);
      for (int c = 0; c < 3; ++c) {
        double value = mean[c] + slope[c] * v;
        for (const Term& t : terms[c])
          value += t.across[size_t(x)] * t.down[size_t(y)];
        p[2 - c] = Byte(value); // c = 0 red, stored in byte 2
      }
    }
  }
}

// Coverage of a Gaussian-blurred edge at signed distance d (in units of the
// blur's sigma, negative inside), tabled over -4 .. 4 in steps of 1/64.
class EdgeTable {
public:
  EdgeTable()
  {
    for (int i = 0; i <= 512; ++i)
      value_[i] = 0.5 * std::erfc((i - 256) / 64.0 / std::sqrt(2.0));
  }
  double operator()(double d) const
  {
    if (d <= -4)
      return 1;
    if (d >= 4)
      return 0;
    return value_[int(std::lround((d + 4) * 64))];
  }

private:
  double value_[513];
};

struct Shape {
  bool ellipse = true;
  double cx = 0, cy = 0, a = 1, b = 1, angle = 0;
  double sigma = 0;     // 0: a hard edge
  Colour colour, shade; // colour at the centre, change across the shape
};

// Signed distance in pixels from the shape's outline (negative inside), and
// the position across the shape (-1 .. 1) for its shading.
double Distance(const Shape& s, double x, double y, double& across)
{
  const double dx = x - s.cx, dy = y - s.cy;
  const double u = dx * std::cos(s.angle) + dy * std::sin(s.angle);
  const double v = -dx * std::sin(s.angle) + dy * std::cos(s.angle);
  across = std::clamp(u / s.a, -1.0, 1.0);
  if (s.ellipse) {
    const double f = (u * u) / (s.a * s.a) + (v * v) / (s.b * s.b) - 1;
    const double g = 2 * std::sqrt(u * u / (s.a * s.a * s.a * s.a) + v * v / (s.b * s.b * s.b * s.b));
    return f / std::max(g, 1e-9);
  }
  const double qx = std::abs(u) - s.a, qy = std::abs(v) - s.b;
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0);
}

void PaintShape(Photo& photo, const Shape& s, const EdgeTable& edge)
{
  const double reach = std::max(s.a, s.b) * 1.5 + 4 * s.sigma + 2;
  const int32_t x0 = std::max(0, int32_t(s.cx - reach)), x1 = std::min(photo.columns, int32_t(s.cx + reach) + 1);
  const int32_t y0 = std::max(0, int32_t(s.cy - reach)), y1 = std::min(photo.rows, int32_t(s.cy + reach) + 1);
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) {
      double across;
      const double d = Distance(s, x, y, across);
      const double a = s.sigma > 0 ? edge(d / s.sigma) : (d < 0 ? 1.0 : 0.0);
      if (a <= 0)
        continue;
      const Colour c{s.colour.r + s.shade.r * across, s.colour.g + s.shade.g * across, s.colour.b + s.shade.b * across};
      Blend(photo.Pixel(y, x), c, a);
    }
}

Shape RandomShape(Random& rnd, const Photo& photo, double smallest, double largest)
{
  const double size = std::min(photo.rows, photo.columns);
  Shape s;
  s.ellipse = rnd.Below(2) == 0;
  s.cx = rnd.Between(0, photo.columns);
  s.cy = rnd.Between(0, photo.rows);
  s.a = std::max(1.0, size * rnd.Between(smallest, largest));
  s.b = std::max(1.0, s.a * rnd.Between(0.4, 1.0));
  s.angle = rnd.Between(0, kPi);
  s.shade = Colour{rnd.Between(-30, 30), rnd.Between(-30, 30), rnd.Between(-30, 30)};
  return s;
}

// Thin one-pixel strokes (twigs, hair, wires).
void PaintStroke(Photo& photo, Random& rnd, double length, const Colour& ink)
{
  const double x = rnd.Between(0, photo.columns), y = rnd.Between(0, photo.rows);
  const double angle = rnd.Between(0, 2 * kPi);
  const int steps = std::max(1, int(length));
  for (int i = 0; i < steps; ++i) {
    const int32_t px = int32_t(x + i * std::cos(angle)), py = int32_t(y + i * std::sin(angle));
    if (px >= 0 && px < photo.columns && py >= 0 && py < photo.rows)
      Blend(photo.Pixel(py, px), ink, 0.85);
  }
}

// A patch of high-contrast stripes of a period of 2 to 6 pixels, of rows of
// glyph-like 5 x 7 marks, or of a foliage-like speckle of small dark and
// light dots.
void PaintDetailPatch(Photo& photo, Random& rnd)
{
  const int32_t w = std::max(2, int32_t(photo.columns * rnd.Between(0.04, 0.12)));
  const int32_t h = std::max(2, int32_t(photo.rows * rnd.Between(0.04, 0.12)));
  const int32_t left = rnd.Below(std::max(1, photo.columns - w)), top = rnd.Below(std::max(1, photo.rows - h));
  const Colour dark = RandomColour(rnd, 5, 50), light = RandomColour(rnd, 200, 250);
  const int kind = rnd.Below(3);
  if (kind == 2) {
    const int64_t dots = int64_t(w) * h / 6;
    for (int64_t i = 0; i < dots; ++i) {
      const int32_t x = left + rnd.Below(w), y = top + rnd.Below(h), size = 1 + rnd.Below(3);
      const Colour& ink = rnd.Below(2) == 0 ? dark : light;
      for (int32_t dy = 0; dy < size && y + dy < photo.rows; ++dy)
        for (int32_t dx = 0; dx < size && x + dx < photo.columns; ++dx)
          Blend(photo.Pixel(y + dy, x + dx), ink, 0.7);
    }
    return;
  }
  if (kind == 0) {
    const int period = 2 + rnd.Below(5), direction = rnd.Below(3);
    for (int32_t y = top; y < std::min(top + h, photo.rows); ++y)
      for (int32_t x = left; x < std::min(left + w, photo.columns); ++x) {
        const int32_t t = direction == 0 ? x : (direction == 1 ? y : x + y);
        Blend(photo.Pixel(y, x), (t % period) * 2 < period ? dark : light, 1.0);
      }
    return;
  }
  const int scale = 1 + rnd.Below(2);
  for (int32_t gy = top; gy + 7 * scale <= std::min(top + h, photo.rows); gy += 9 * scale)
    for (int32_t gx = left; gx + 5 * scale <= std::min(left + w, photo.columns); gx += 6 * scale) {
      const uint64_t bits = rnd.Next();
      for (int i = 0; i < 35; ++i)
        if (bits >> i & 1)
          for (int sy = 0; sy < scale; ++sy)
            for (int sx = 0; sx < scale; ++sx)
              Blend(photo.Pixel(gy + (i / 5) * scale + sy, gx + (i % 5) * scale + sx), dark, 1.0);
    }
}

// The lens: a separable Gaussian of width sigma over the whole picture, so
// that even the hard edges are as soft as a good camera makes them.
void Soften(Photo& photo, double sigma)
{
  constexpr int kRadius = 3;
  int32_t w[kRadius + 1];
  double sum = 0;
  for (int k = -kRadius; k <= kRadius; ++k)
    sum += std::exp(-k * k / (2 * sigma * sigma));
  for (int k = 0; k <= kRadius; ++k)
    w[k] = int32_t(std::lround(1024 * std::exp(-k * k / (2 * sigma * sigma)) / sum));
  w[0] = 1024 - 2 * (w[1] + w[2] + w[3]); // exact normalisation
  const int32_t rows = photo.rows, samples = 3 * photo.columns;
  const std::vector<uint8_t> original = photo.bytes;
  for (int32_t y = 0; y < rows; ++y) {
    const uint8_t* src[2 * kRadius + 1];
    for (int k = -kRadius; k <= kRadius; ++k)
      src[k + kRadius] = original.data() + std::clamp(y + k, 0, rows - 1) * photo.rowBytes;
    uint8_t* out = photo.Pixel(y, 0);
    for (int32_t i = 0; i < samples; ++i) {
      int32_t v = w[0] * src[kRadius][i];
      for (int k = 1; k <= kRadius; ++k)
        v += w[k] * (src[kRadius - k][i] + src[kRadius + k][i]);
      out[i] = uint8_t((v + 512) >> 10);
    }
  }
  std::vector<uint8_t> row(static_cast<size_t>(samples));
  for (int32_t y = 0; y < rows; ++y) {
    uint8_t* out = photo.Pixel(y, 0);
    std::copy(out, out + samples, row.begin());
    for (int32_t i = 0; i < samples; ++i) {
      int32_t v = w[0] * row[size_t(i)];
      for (int k = 1; k <= kRadius; ++k)
        v += w[k] * (row[size_t(std::max(i - 3 * k, i % 3))] + row[size_t(std::min(i + 3 * k, samples - 3 + i % 3))]);
      out[i] = uint8_t((v + 512) >> 10);
    }
  }
}

// Mild noise on every channel: about 2.3 levels of standard deviation from
// the sum of four random bytes.
void AddNoise(Photo& photo, Random& rnd)
{
  for (int32_t y = 0; y < photo.rows; ++y) {
    uint8_t* p = photo.Pixel(y, 0);
    for (int32_t i = 0; i < 3 * photo.columns; i += 2) {
      const uint64_t r = rnd.Next();
      for (int k = 0; k < 2 && i + k < 3 * photo.columns; ++k) {
        const uint64_t q = r >> (32 * k);
        const int sum = int(q & 255) + int(q >> 8 & 255) + int(q >> 16 & 255) + int(q >> 24 & 255);
        p[i + k] = Byte(p[i + k] + (sum - 510) / 64);
      }
    }
  }
}

} // namespace

Photo MakePhoto(int32_t rows, int32_t columns, uint64_t seed)
{
  Photo photo;
  photo.rows = rows;
  photo.columns = columns;
  photo.rowBytes = (3 * ptrdiff_t(columns) + 3) / 4 * 4;
  photo.bytes.assign(size_t(photo.rowBytes) * size_t(rows), 0);
  Random rnd(seed);
  const auto edge = std::make_unique<EdgeTable>();

  PaintFields(photo, rnd);
  // Large shapes, every other one with a soft (out-of-focus) edge.
  for (int i = 0; i < 16; ++i) {
    Shape s = RandomShape(rnd, photo, 0.05, 0.22);
    s.colour = RandomColour(rnd, 20, 235);
    s.sigma = i % 2 == 0 ? 0.0 : rnd.Between(0.7, 5.0);
    PaintShape(photo, s, *edge);
  }
  // Skin-coloured patches: soft-edged, shaded ellipses.
  for (int i = 0; i < 6; ++i) {
    Shape s = RandomShape(rnd, photo, 0.03, 0.09);
    s.ellipse = true;
    s.colour = Colour{rnd.Between(195, 235), rnd.Between(145, 185), rnd.Between(115, 160)};
    s.shade = Colour{-25, -25, -20};
    s.sigma = rnd.Between(2.0, 6.0);
    PaintShape(photo, s, *edge);
  }
  // Fine high-contrast detail.
  for (int i = 0; i < 12; ++i)
    PaintDetailPatch(photo, rnd);
  const int64_t strokes = std::max<int64_t>(4, int64_t(rows) * columns / 60000);
  for (int64_t i = 0; i < strokes; ++i)
    PaintStroke(photo, rnd, rnd.Between(10, 0.05 * std::max(rows, columns) + 10),
                rnd.Below(3) == 0 ? RandomColour(rnd, 200, 250) : RandomColour(rnd, 5, 60));
  Soften(photo, 0.9);
  AddNoise(photo, rnd);
  return photo;
}

bool WritePpm(const Photo& photo, const std::string& path)
{
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f)
    return false;
  bool ok = std::fprintf(f, "P6\n%d %d\n255\n", photo.columns, photo.rows) > 0;
  std::vector<uint8_t> rgb(3 * size_t(photo.columns));
  for (int32_t y = 0; y < photo.rows && ok; ++y) {
    const uint8_t* p = photo.bytes.data() + y * photo.rowBytes;
    for (int32_t x = 0; x < photo.columns; ++x) {
      rgb[3 * size_t(x)] = p[3 * x + 2];
      rgb[3 * size_t(x) + 1] = p[3 * x + 1];
      rgb[3 * size_t(x) + 2] = p[3 * x];
    }
    ok = std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
  }
  return std::fclose(f) == 0 && ok;
}

namespace {

// The next number of a PPM header, past white space and comments; -1 when
// there is none.
long HeaderNumber(std::FILE* f)
{
  int c = std::fgetc(f);
  while (c == '#' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
    if (c == '#')
      while (c != '\n' && c != EOF)
        c = std::fgetc(f);
    c = std::fgetc(f);
  }
  long n = -1;
  for (; c >= '0' && c <= '9' && n < 1000000; c = std::fgetc(f))
    n = (n < 0 ? 0 : 10 * n) + (c - '0');
  return n; // the one white-space byte after the number is consumed
}

} // namespace

bool ReadPpm(const std::string& path, Photo& photo)
{
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  const bool p6 = std::fgetc(f) == 'P' && std::fgetc(f) == '6';
  const long columns = p6 ? HeaderNumber(f) : -1;
  const long rows = columns > 0 ? HeaderNumber(f) : -1;
  const long maxValue = rows > 0 ? HeaderNumber(f) : -1;
  bool ok = maxValue == 255;
  if (ok) {
    photo.rows = int32_t(rows);
    photo.columns = int32_t(columns);
    photo.rowBytes = (3 * ptrdiff_t(columns) + 3) / 4 * 4;
    photo.bytes.assign(size_t(photo.rowBytes) * size_t(rows), 0);
    std::vector<uint8_t> rgb(3 * size_t(columns));
    for (int32_t y = 0; y < photo.rows && ok; ++y) {
      ok = std::fread(rgb.data(), 1, rgb.size(), f) == rgb.size();
      uint8_t* p = photo.Pixel(y, 0);
      for (size_t x = 0; x < size_t(columns); ++x) {
        p[3 * x] = rgb[3 * x + 2];
        p[3 * x + 1] = rgb[3 * x + 1];
        p[3 * x + 2] = rgb[3 * x];
      }
    }
  }
  std::fclose(f);
  return ok;
}

} // namespace lvxbench
