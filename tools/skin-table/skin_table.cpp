// skin-table: writes the engine's skin model table, the skin likelihood in
// percent of every cell of a 16 x 16 x 16 (or 32 x 32 x 32) grid over R, G, B.
//
//   skin-table [--bits 4|5] OUTPUT
//
// Cell (r, g, b) is stored at (r << 2k) | (g << k) | b for k bits per channel
// (red slowest, blue fastest) and holds floor(100 P + 0.5), P the posterior
// probability of skin at the cell's centre colour under the two colour
// mixtures below and a skin prior of 0.25. Evaluating at the centre (rather
// than averaging over the cell) is what lets the engine's interpolating
// lookup return a cell's entry exactly at its centre.
#include "lvxtext/error.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One component of a mixture: mean and variance (not standard deviation) of
// R, G and B on 0..255, diagonal covariance, and its weight.
struct Component {
  double mean[3];
  double variance[3];
  double weight;
};

// The 16-component skin and non-skin Gaussian mixtures published by M. J.
// Jones and J. M. Rehg, "Statistical Color Models with Application to Skin
// Detection", International Journal of Computer Vision 46(1):81-96, 2002.
// The weights are used as published: they sum to 0.9992 and 0.9996.
constexpr Component kSkin[16] = {
    {{73.53, 29.94, 17.76}, {765.40, 121.44, 112.80}, 0.0294},
    {{249.71, 233.94, 217.49}, {39.94, 154.44, 396.05}, 0.0331},
    {{161.68, 116.25, 96.95}, {291.03, 60.48, 162.85}, 0.0654},
    {{186.07, 136.62, 114.40}, {274.95, 64.60, 198.27}, 0.0756},
    {{189.26, 98.37, 51.18}, {633.18, 222.40, 250.69}, 0.0554},
    {{247.00, 152.20, 90.84}, {65.23, 691.53, 609.92}, 0.0314},
    {{150.10, 72.66, 37.76}, {408.63, 200.77, 257.57}, 0.0454},
    {{206.85, 171.09, 156.34}, {530.08, 155.08, 572.79}, 0.0469},
    {{212.78, 152.82, 120.04}, {160.57, 84.52, 243.90}, 0.0956},
    {{234.87, 175.43, 138.94}, {163.80, 121.57, 279.22}, 0.0763},
    {{151.19, 97.74, 74.59}, {425.40, 73.56, 175.11}, 0.1100},
    {{120.52, 77.55, 59.82}, {330.45, 70.34, 151.82}, 0.0676},
    {{192.20, 119.62, 82.32}, {152.76, 92.14, 259.15}, 0.0755},
    {{214.29, 136.08, 87.24}, {204.90, 140.17, 270.19}, 0.0500},
    {{99.57, 54.33, 38.06}, {448.13, 90.18, 151.29}, 0.0667},
    {{238.88, 203.08, 176.91}, {178.38, 156.27, 404.99}, 0.0749},
};
constexpr Component kNonSkin[16] = {
    {{254.37, 254.41, 253.82}, {2.77, 2.81, 5.46}, 0.0637},
    {{9.39, 8.09, 8.52}, {46.84, 33.59, 32.48}, 0.0516},
    {{96.57, 96.95, 91.53}, {280.69, 156.79, 436.58}, 0.0864},
    {{160.44, 162.49, 159.06}, {355.98, 115.89, 591.24}, 0.0636},
    {{74.98, 63.23, 46.33}, {414.84, 245.95, 361.27}, 0.0747},
    {{121.83, 60.88, 18.31}, {2502.24, 1383.53, 237.18}, 0.0365},
    {{202.18, 154.88, 91.04}, {957.42, 1766.94, 1582.52}, 0.0349},
    {{193.06, 201.93, 206.55}, {562.88, 190.23, 447.28}, 0.0649},
    {{51.88, 57.14, 61.55}, {344.11, 191.77, 433.40}, 0.0656},
    {{30.88, 26.84, 25.32}, {222.07, 118.65, 182.41}, 0.1189},
    {{44.97, 85.96, 131.95}, {651.32, 840.52, 963.67}, 0.0362},
    {{236.02, 236.27, 230.70}, {225.03, 117.29, 331.95}, 0.0849},
    {{207.86, 191.20, 164.12}, {494.04, 237.69, 533.52}, 0.0368},
    {{99.83, 148.11, 188.17}, {955.88, 654.95, 916.70}, 0.0389},
    {{135.06, 131.92, 123.10}, {350.35, 130.30, 388.43}, 0.0943},
    {{135.96, 103.89, 66.88}, {806.44, 642.20, 350.36}, 0.0477},
};

constexpr double kSkinPrior = 0.25;
constexpr double kPi = 3.14159265358979323846;

// The mixture density at colour x.
double Density(const Component (&mixture)[16], const double x[3])
{
  double p = 0;
  for (const Component& c : mixture) {
    double exponent = 0;
    for (int i = 0; i < 3; ++i)
      exponent += (x[i] - c.mean[i]) * (x[i] - c.mean[i]) / c.variance[i];
    p += c.weight * std::pow(2 * kPi, -1.5) / std::sqrt(c.variance[0] * c.variance[1] * c.variance[2]) *
         std::exp(-0.5 * exponent);
  }
  return p;
}

std::vector<unsigned char> Table(int bits)
{
  const int cells = 1 << bits, width = 256 / cells;
  std::vector<unsigned char> table(size_t(cells) * cells * cells);
  for (int r = 0; r < cells; ++r)
    for (int g = 0; g < cells; ++g)
      for (int b = 0; b < cells; ++b) {
        const double x[3] = {width / 2.0 + width * r, width / 2.0 + width * g, width / 2.0 + width * b};
        const double skin = Density(kSkin, x), other = Density(kNonSkin, x);
        const double posterior =
            skin + other == 0 ? 0 : skin * kSkinPrior / (skin * kSkinPrior + other * (1 - kSkinPrior));
        const double percent = std::floor(100 * posterior + 0.5);
        table[size_t(r) << (2 * bits) | size_t(g) << bits | size_t(b)] =
            static_cast<unsigned char>(percent < 0 ? 0 : (percent > 100 ? 100 : percent));
      }
  return table;
}

int Report(const lvxtext::Error& error)
{
  std::fprintf(stderr, "%s\n", error.message.c_str());
  return error.status;
}

const lvxtext::Error kUsage{"usage: skin-table [--bits 4|5] OUTPUT", 2};

} // namespace

int main(int argc, char** argv)
{
  int bits = 4;
  const char* output = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--bits") == 0 && i + 1 < argc) {
      const std::string value = argv[++i];
      if (value != "4" && value != "5")
        return Report(kUsage);
      bits = value[0] - '0';
    } else if (argv[i][0] != '-' && !output) {
      output = argv[i];
    } else {
      return Report(kUsage);
    }
  }
  if (!output)
    return Report(kUsage);
  const std::vector<unsigned char> table = Table(bits);
  std::FILE* file = std::fopen(output, "wb");
  bool written = file && std::fwrite(table.data(), 1, table.size(), file) == table.size();
  if (file && std::fclose(file) != 0)
    written = false;
  if (!written) {
    std::remove(output);
    return Report({std::string("skin-table: cannot write ") + output, 1});
  }
  return 0;
}
