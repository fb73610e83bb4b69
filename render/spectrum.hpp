// The 40 note-driven spectrum bars of the viewer header: each channel's note
// pushes up the bar of its pitch and its two neighbours, and every bar sinks
// back two rows a frame.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "render/screen.hpp"

namespace korveld::render {

inline constexpr int kSpectrumBars = 40;
inline constexpr int kSpectrumPitch = 12;
inline constexpr int kSpectrumBaseline = 147;
inline constexpr int kSpectrumColourRows = 601;  // rows 0..600

struct SpectrumState {
  int barCount = kSpectrumBars;
  int barPitch = kSpectrumPitch;
  int baseline = kSpectrumBaseline;
  // Screen row of each bar's top (smaller is taller); one spare entry.
  std::array<double, kSpectrumBars + 1> heights{};
  // Bar colour by screen row, one table per skin (index 0 skin 1).
  std::array<std::array<std::uint32_t, kSpectrumColourRows>, 2> colours{};
};

void FillSpectrumColours(SpectrumState& spectrum);
// Sets the bar count and pitch and puts every bar at the baseline.
void InitSpectrum(SpectrumState& spectrum);
// One frame's push: notes[ch] is the audible note word of channel ch (only
// its low byte counts: 1..96 a note, 0 none, 255 key off).
void FeedSpectrum(SpectrumState& spectrum, std::span<const std::uint32_t> notes);
// Clamps, lets the bars fall and draws them for the given skin (1 or 2).
void DrawSpectrumBars(ScreenBuffer& frame, SpectrumState& spectrum, int skin);
// The rows the last DrawSpectrumBars drew, from the heights it left.
void MarkSpectrumRows(RowMarks& marks, const SpectrumState& spectrum, int skin);

}  // namespace korveld::render
