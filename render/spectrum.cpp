#include "render/spectrum.hpp"

#include <algorithm>
#include <cmath>

namespace korveld::render {
namespace {

constexpr int kFirstColourRow = 133;
constexpr int kLowestNote = 45;   // note 46 drives bar 1
constexpr int kFirstBarX = 157;
constexpr int kTallest = 16;      // bars rise at most to baseline - 16

// Rows 133..148: two black rows on top, then a warm (skin 1) or cold (skin 2)
// gradient fading towards the baseline.
constexpr std::array<std::uint32_t, 16> kGrungeRows = {
    0x000000, 0x000000, 0xEEBB33, 0xDDAA33, 0xCC9933, 0xBB8833, 0xAA7733, 0x996622,
    0x885522, 0x774422, 0x663322, 0x552211, 0x441111, 0x331111, 0x221111, 0x221111};
constexpr std::array<std::uint32_t, 16> kCarbonRows = {
    0x000000, 0x000000, 0x33BBEE, 0x33AADD, 0x3399CC, 0x3388BB, 0x3377AA, 0x226699,
    0x225588, 0x224477, 0x223366, 0x221155, 0x111144, 0x111133, 0x111122, 0x111122};

}  // namespace

void FillSpectrumColours(SpectrumState& spectrum) {
  for (auto& table : spectrum.colours) table.fill(0);
  for (int k = 0; k < 16; ++k) {
    spectrum.colours[0][kFirstColourRow + k] = kGrungeRows[k];
    spectrum.colours[1][kFirstColourRow + k] = kCarbonRows[k];
  }
}

void InitSpectrum(SpectrumState& spectrum) {
  spectrum.barCount = kSpectrumBars;
  spectrum.barPitch = kSpectrumPitch;
  spectrum.baseline = kSpectrumBaseline;
  spectrum.heights.fill(static_cast<double>(kSpectrumBaseline));
}

void FeedSpectrum(SpectrumState& spectrum, std::span<const std::uint32_t> notes) {
  auto& h = spectrum.heights;
  for (std::uint32_t word : notes) {
    const int b = static_cast<int>(word & 0xFF) - kLowestNote;
    if (b > 0 && b < spectrum.barCount - 1) {
      h[b] -= 4.0;
      h[b - 1] -= 3.0;
      h[b + 1] -= 3.0;
    }
  }
}

void DrawSpectrumBars(ScreenBuffer& frame, SpectrumState& spectrum, int skin) {
  const int table = skin == 1 ? 0 : 1;
  const int rowOffset = skin == 1 ? 0 : 2;
  const int top = spectrum.baseline - kTallest;
  const auto& colours = spectrum.colours[table];
  int x = kFirstBarX;
  for (int i = 0; i < spectrum.barCount; ++i) {
    double& h = spectrum.heights[i];
    if (h < top) h = top;
    if (h <= spectrum.baseline) h += 2.0;
    for (int y = static_cast<int>(std::floor(h)); y <= spectrum.baseline; ++y) {
      const std::uint32_t colour = colours[y];
      std::uint32_t* row = frame.row(y + rowOffset);
      for (int k = x + 1; k <= x + spectrum.barPitch - 1; ++k) row[k] = colour;
    }
    x += spectrum.barPitch;
  }
}

void MarkSpectrumRows(RowMarks& marks, const SpectrumState& spectrum, int skin) {
  const int rowOffset = skin == 1 ? 0 : 2;
  int highest = spectrum.baseline + 1;
  for (int i = 0; i < spectrum.barCount; ++i)
    highest = std::min(highest, static_cast<int>(std::floor(spectrum.heights[i])));
  marks.mark(highest + rowOffset, spectrum.baseline + rowOffset);
}

}  // namespace korveld::render
