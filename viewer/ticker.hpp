// The status ticker under the menu rows, and the hand-over between the
// viewer and the XM player (pause, resume, the spectrum's note feed).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace korveld::viewer {

struct Program;

inline constexpr int kTickerTexts = 5;  // 1..4 one per tune, 5 without a credit

struct TickerState {
  std::array<std::string, kTickerTexts + 1> text;  // entry 0 unused
  int index = 1;        // text shown, 1..4
  int position = 1;     // first character drawn, 1-based
  double offset = 0.0;  // pixels scrolled into that character, 0..9
};

// Builds text n from the shared help line and tune n's credit.
std::string TickerTextFor(int tune);

// Pause and resume of the background music (the MUTE button).
void StopMusic(Program& p);
void ResumeMusic(Program& p);
// The note word of a channel's audible pattern cell (low byte the note).
std::uint32_t AudibleNote(Program& p, int channel);

}  // namespace korveld::viewer
