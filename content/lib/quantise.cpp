#include "content/lib/quantise.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace content {
namespace {

struct Lab {
  double l = 0, a = 0, b = 0;
};

Lab operator+(Lab x, Lab y) { return {x.l + y.l, x.a + y.a, x.b + y.b}; }
Lab operator-(Lab x, Lab y) { return {x.l - y.l, x.a - y.a, x.b - y.b}; }
Lab operator*(Lab x, double k) { return {x.l * k, x.a * k, x.b * k}; }

double Distance2(const Lab& x, const Lab& y) {
  double dl = x.l - y.l;
  double da = x.a - y.a;
  double db = x.b - y.b;
  return dl * dl + da * da + db * db;
}

double ToLinear(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }
double ToGamma(double c) { return c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055; }

Lab ToLab(double r, double g, double b) {
  r = ToLinear(r);
  g = ToLinear(g);
  b = ToLinear(b);
  double l = std::cbrt(0.4122214708 * r + 0.5363325363 * g + 0.0514459929 * b);
  double m = std::cbrt(0.2119034982 * r + 0.6806995451 * g + 0.1073969566 * b);
  double s = std::cbrt(0.0883024619 * r + 0.2817188376 * g + 0.6299787005 * b);
  return {0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s,
          1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s,
          0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s};
}

Rgb8 FromLab(const Lab& c) {
  double l = c.l + 0.3963377774 * c.a + 0.2158037573 * c.b;
  double m = c.l - 0.1055613458 * c.a - 0.0638541728 * c.b;
  double s = c.l - 0.0894841775 * c.a - 1.2914855480 * c.b;
  l = l * l * l;
  m = m * m * m;
  s = s * s * s;
  double rgb[3] = {4.0767416621 * l - 3.3077115913 * m + 0.2309699292 * s,
                   -1.2684380046 * l + 2.6097574011 * m - 0.3413193965 * s,
                   -0.0041960863 * l - 0.7034186147 * m + 1.7076147010 * s};
  uint8_t out[3];
  for (int i = 0; i < 3; ++i) {
    double v = ToGamma(std::clamp(rgb[i], 0.0, 1.0));
    out[i] = uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255));
  }
  return {out[0], out[1], out[2]};
}

// A distinct colour of the picture with the number of pixels that have it.
struct Sample {
  Lab lab;
  double weight;
};

// Distinct 24-bit colours, sorted by value so the result never depends on
// the order of pixels in memory.
std::vector<Sample> Histogram(const Canvas& picture) {
  std::vector<uint32_t> keys(picture.pixels.size());
  for (size_t i = 0; i < keys.size(); ++i) {
    Rgb8 c = ToRgb8(picture.pixels[i]);
    keys[i] = uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
  }
  std::sort(keys.begin(), keys.end());
  std::vector<Sample> samples;
  for (size_t i = 0; i < keys.size();) {
    size_t j = i;
    while (j < keys.size() && keys[j] == keys[i]) {
      ++j;
    }
    uint32_t k = keys[i];
    samples.push_back({ToLab(double(k >> 16) / 255, double((k >> 8) & 0xFF) / 255, double(k & 0xFF) / 255),
                       double(j - i)});
    i = j;
  }
  return samples;
}

struct Box {
  size_t begin, end;  // range into the sample vector
  double score;       // weighted spread along the widest axis
  int axis;
};

double Axis(const Lab& c, int axis) { return axis == 0 ? c.l : (axis == 1 ? c.a : c.b); }

Box MakeBox(std::vector<Sample>& s, size_t begin, size_t end) {
  Box box{begin, end, 0, 0};
  double weight = 0;
  Lab mean;
  for (size_t i = begin; i < end; ++i) {
    mean = mean + s[i].lab * s[i].weight;
    weight += s[i].weight;
  }
  mean = mean * (1 / weight);
  Lab var;
  for (size_t i = begin; i < end; ++i) {
    Lab d = s[i].lab - mean;
    var = var + Lab{d.l * d.l, d.a * d.a, d.b * d.b} * s[i].weight;
  }
  double v[3] = {var.l, var.a, var.b};
  box.axis = int(std::max_element(v, v + 3) - v);
  box.score = end - begin > 1 ? v[box.axis] : -1;
  return box;
}

// Median cut: splits the box with the largest weighted variance at the
// weighted median of its widest axis until there are `count` boxes.
std::vector<Lab> MedianCut(std::vector<Sample>& s, int count) {
  std::vector<Box> boxes{MakeBox(s, 0, s.size())};
  while (int(boxes.size()) < count) {
    auto it = std::max_element(boxes.begin(), boxes.end(),
                               [](const Box& x, const Box& y) { return x.score < y.score; });
    if (it->score <= 0) {
      break;
    }
    Box box = *it;
    std::stable_sort(s.begin() + long(box.begin), s.begin() + long(box.end),
                     [&](const Sample& x, const Sample& y) { return Axis(x.lab, box.axis) < Axis(y.lab, box.axis); });
    double total = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
      total += s[i].weight;
    }
    double run = 0;
    size_t cut = box.begin + 1;
    for (size_t i = box.begin; i < box.end - 1; ++i) {
      run += s[i].weight;
      cut = i + 1;
      if (run >= total / 2) {
        break;
      }
    }
    *it = MakeBox(s, box.begin, cut);
    boxes.push_back(MakeBox(s, cut, box.end));
  }
  std::vector<Lab> centres;
  for (const Box& box : boxes) {
    Lab mean;
    double weight = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
      mean = mean + s[i].lab * s[i].weight;
      weight += s[i].weight;
    }
    centres.push_back(mean * (1 / weight));
  }
  return centres;
}

size_t Nearest(const std::vector<Lab>& centres, const Lab& c) {
  size_t best = 0;
  double best_d = Distance2(centres[0], c);
  for (size_t i = 1; i < centres.size(); ++i) {
    double d = Distance2(centres[i], c);
    if (d < best_d) {
      best_d = d;
      best = i;
    }
  }
  return best;
}

void Refine(const std::vector<Sample>& s, std::vector<Lab>& centres, int passes) {
  for (int pass = 0; pass < passes; ++pass) {
    std::vector<Lab> sum(centres.size());
    std::vector<double> weight(centres.size(), 0.0);
    for (const Sample& x : s) {
      size_t k = Nearest(centres, x.lab);
      sum[k] = sum[k] + x.lab * x.weight;
      weight[k] += x.weight;
    }
    for (size_t k = 0; k < centres.size(); ++k) {
      if (weight[k] > 0) {
        centres[k] = sum[k] * (1 / weight[k]);
      }
    }
  }
}

}  // namespace

Rgb8 ToRgb8(Rgb c) {
  return {uint8_t(std::lround(Clamp01(c.r) * 255)), uint8_t(std::lround(Clamp01(c.g) * 255)),
          uint8_t(std::lround(Clamp01(c.b) * 255))};
}

IndexedImage Quantise(const Canvas& picture, const QuantiseOptions& options) {
  IndexedImage out;
  out.width = picture.width;
  out.height = picture.height;
  out.pixels.assign(picture.pixels.size(), 0);

  std::vector<Sample> samples = Histogram(picture);
  std::vector<Lab> centres;
  bool exact = samples.size() <= size_t(PaletteEntries);
  if (exact) {
    for (const Sample& x : samples) {
      centres.push_back(x.lab);
    }
  } else {
    centres = MedianCut(samples, PaletteEntries);
    Refine(samples, centres, options.refine_passes);
  }

  // Darkest first: a tidy palette, and index 0 is the darkest colour.
  std::vector<Rgb8> colours;
  for (const Lab& c : centres) {
    colours.push_back(FromLab(c));
  }
  std::vector<size_t> order(centres.size());
  std::iota(order.begin(), order.end(), size_t(0));
  std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) { return centres[x].l < centres[y].l; });
  std::vector<Lab> palette_lab;
  for (size_t i = 0; i < order.size(); ++i) {
    out.palette[i] = colours[order[i]];
    const Rgb8& c = out.palette[i];
    // Distances are measured to the colour that will really be shown.
    palette_lab.push_back(ToLab(c.r / 255.0, c.g / 255.0, c.b / 255.0));
  }

  int w = picture.width;
  int h = picture.height;
  float dither = exact ? 0 : options.dither;
  std::vector<Lab> row_err(size_t(w) + 2), next_err(size_t(w) + 2);
  for (int y = 0; y < h; ++y) {
    bool ltr = (y % 2) == 0;
    std::fill(next_err.begin(), next_err.end(), Lab{});
    for (int i = 0; i < w; ++i) {
      int x = ltr ? i : w - 1 - i;
      int dir = ltr ? 1 : -1;
      const Rgb& p = picture.At(x, y);
      Rgb8 p8 = ToRgb8(p);
      Lab want = ToLab(p8.r / 255.0, p8.g / 255.0, p8.b / 255.0) + row_err[size_t(x + 1)];
      size_t k = Nearest(palette_lab, want);
      out.pixels[size_t(y) * size_t(w) + size_t(x)] = uint8_t(k);
      if (dither > 0) {
        Lab e = (want - palette_lab[k]) * double(dither);
        row_err[size_t(x + 1 + dir)] = row_err[size_t(x + 1 + dir)] + e * (7.0 / 16);
        next_err[size_t(x + 1 - dir)] = next_err[size_t(x + 1 - dir)] + e * (3.0 / 16);
        next_err[size_t(x + 1)] = next_err[size_t(x + 1)] + e * (5.0 / 16);
        next_err[size_t(x + 1 + dir)] = next_err[size_t(x + 1 + dir)] + e * (1.0 / 16);
      }
    }
    std::swap(row_err, next_err);
  }
  return out;
}

double QuantiseError(const Canvas& picture, const IndexedImage& reduced) {
  double sum = 0;
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    Rgb8 p = ToRgb8(picture.pixels[i]);
    Rgb8 q = reduced.palette[reduced.pixels[i]];
    sum += std::sqrt(Distance2(ToLab(p.r / 255.0, p.g / 255.0, p.b / 255.0), ToLab(q.r / 255.0, q.g / 255.0, q.b / 255.0)));
  }
  return sum / double(picture.pixels.size());
}

}  // namespace content
