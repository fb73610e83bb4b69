#include <array>

#include "viewer/program.hpp"

namespace korveld::viewer {
namespace {

// More channels than any module may have; the channel count is clamped to it.
constexpr int kMaxChannels = 64;

}  // namespace

void DrawSpectrum(Program& p) {
  std::array<std::uint32_t, kMaxChannels> notes{};
  int channels = p.music.SpectrumChannels;
  if (channels > kMaxChannels) channels = kMaxChannels;
  if (channels < 0) channels = 0;
  for (int ch = 0; ch < channels; ++ch) notes[ch] = AudibleNote(p, ch);
  render::FeedSpectrum(p.spectrum, std::span<const std::uint32_t>(notes.data(), channels));
  render::DrawSpectrumBars(p.frame, p.spectrum, p.view.CurrentSkin);
}

}  // namespace korveld::viewer
