#include "tools/skingen/quantise.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace korveld::skingen {
namespace {

struct Sample {
  std::array<int, 3> c;  // 8-bit channels
  int count;
};

struct Bucket {
  std::vector<Sample> samples;
  long weight() const {
    long w = 0;
    for (const auto& s : samples) w += s.count;
    return w;
  }
  int widestChannel(int& range) const {
    std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
    for (const auto& s : samples)
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], s.c[k]);
        hi[k] = std::max(hi[k], s.c[k]);
      }
    int best = 0;
    range = -1;
    for (int k = 0; k < 3; ++k)
      if (hi[k] - lo[k] > range) {
        range = hi[k] - lo[k];
        best = k;
      }
    return best;
  }
};

std::uint8_t ToByte(float v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L)); }

}  // namespace

tools::IndexedPicture Quantise(const Canvas& canvas, int colours) {
  const auto& px = canvas.pixels();
  std::vector<std::array<std::uint8_t, 3>> rgb(px.size());
  std::vector<int> histogram(1 << 15, 0);
  std::vector<std::array<long, 3>> sums(1 << 15, {0, 0, 0});
  for (std::size_t i = 0; i < px.size(); ++i) {
    rgb[i] = {ToByte(px[i].r), ToByte(px[i].g), ToByte(px[i].b)};
    const int key = (rgb[i][0] >> 3) << 10 | (rgb[i][1] >> 3) << 5 | (rgb[i][2] >> 3);
    ++histogram[key];
    for (int k = 0; k < 3; ++k) sums[key][k] += rgb[i][k];
  }
  std::vector<Bucket> buckets(1);
  for (int key = 0; key < (1 << 15); ++key) {
    if (histogram[key] == 0) continue;
    Sample s;
    s.count = histogram[key];
    for (int k = 0; k < 3; ++k) s.c[k] = static_cast<int>(sums[key][k] / histogram[key]);
    buckets[0].samples.push_back(s);
  }
  // Split the bucket with the largest weighted range until we have enough.
  while (static_cast<int>(buckets.size()) < colours) {
    int pick = -1;
    double score = 0;
    for (std::size_t b = 0; b < buckets.size(); ++b) {
      if (buckets[b].samples.size() < 2) continue;
      int range = 0;
      buckets[b].widestChannel(range);
      const double s = range * std::sqrt(static_cast<double>(buckets[b].weight()));
      if (s > score) {
        score = s;
        pick = static_cast<int>(b);
      }
    }
    if (pick < 0) break;
    Bucket& b = buckets[pick];
    int range = 0;
    const int ch = b.widestChannel(range);
    std::sort(b.samples.begin(), b.samples.end(), [ch](const Sample& a, const Sample& c) { return a.c[ch] < c.c[ch]; });
    const long half = b.weight() / 2;
    long acc = 0;
    std::size_t cut = 1;
    for (std::size_t i = 0; i < b.samples.size() - 1; ++i) {
      acc += b.samples[i].count;
      cut = i + 1;
      if (acc >= half) break;
    }
    Bucket other;
    other.samples.assign(b.samples.begin() + static_cast<long>(cut), b.samples.end());
    b.samples.resize(cut);
    buckets.push_back(std::move(other));
  }
  tools::IndexedPicture out;
  out.width = canvas.width();
  out.height = canvas.height();
  std::vector<std::array<int, 3>> palette;
  for (const auto& b : buckets) {
    std::array<double, 3> acc{0, 0, 0};
    const double w = static_cast<double>(b.weight());
    for (const auto& s : b.samples)
      for (int k = 0; k < 3; ++k) acc[k] += static_cast<double>(s.c[k]) * s.count;
    palette.push_back({static_cast<int>(std::lround(acc[0] / w)), static_cast<int>(std::lround(acc[1] / w)),
                       static_cast<int>(std::lround(acc[2] / w))});
  }
  // Darkest first, so index 0 is the near-black of the text area.
  std::sort(palette.begin(), palette.end(),
            [](const auto& a, const auto& b) { return a[0] + a[1] + a[2] < b[0] + b[1] + b[2]; });
  for (std::size_t i = 0; i < palette.size(); ++i)
    for (int k = 0; k < 3; ++k) out.palette[i * 3 + k] = static_cast<std::uint8_t>(palette[i][k]);
  std::vector<int> cache(1 << 18, -1);
  out.indices.resize(px.size());
  for (std::size_t i = 0; i < px.size(); ++i) {
    const auto& c = rgb[i];
    const int key = (c[0] >> 2) << 12 | (c[1] >> 2) << 6 | (c[2] >> 2);
    if (cache[key] < 0) {
      long best = -1;
      int bestIndex = 0;
      for (std::size_t p = 0; p < palette.size(); ++p) {
        const long dr = palette[p][0] - c[0], dg = palette[p][1] - c[1], db = palette[p][2] - c[2];
        const long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (best < 0 || d < best) {
          best = d;
          bestIndex = static_cast<int>(p);
        }
      }
      cache[key] = bestIndex;
    }
    out.indices[i] = static_cast<std::uint8_t>(cache[key]);
  }
  return out;
}

}  // namespace korveld::skingen
