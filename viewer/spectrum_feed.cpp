#include "viewer/spectrum_feed.hpp"

#include <array>

#include "viewer/music.hpp"
#include "xm/xm_player.hpp"

namespace korveld::viewer {
namespace {

// More channels than any module may have; the channel count is clamped to it.
constexpr int kMaxChannels = 64;

}  // namespace

void DrawSpectrum(render::ScreenBuffer& frame, render::SpectrumState& spectrum, const MusicState& music,
                  const xm::XmPlayer& xm, int skin) {
  std::array<std::uint32_t, kMaxChannels> notes{};
  int channels = music.SpectrumChannels;
  if (channels > kMaxChannels) channels = kMaxChannels;
  if (channels < 0) channels = 0;
  for (int ch = 0; ch < channels; ++ch) notes[ch] = xm::GetAudibleNote(xm, ch);
  render::FeedSpectrum(spectrum, std::span<const std::uint32_t>(notes.data(), channels));
  render::DrawSpectrumBars(frame, spectrum, skin);
}

}  // namespace korveld::viewer
