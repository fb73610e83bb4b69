// A small text notation for writing patterns, one track (channel) at a time.
//
// A phrase is a list of tokens separated by blanks ('|' marks bars and is
// ignored). Each token is one note or rest with an optional length in rows
// and optional attributes, all joined by commas:
//
//   C-4          note C-4 for one row        C#5:4   C#5, then 3 empty rows
//   r:8          8 empty rows                ==      key off
//   C-4,i3       instrument 3                C-4,v40 volume 40 (decimal)
//   C-4,w8A      raw volume-column byte 0x8A (hex)
//   C-4,A04      effect A with parameter 04: the effect is one character
//                0-9 or A-Z (G global volume, K key off, P panning slide,
//                R multi retrigger, T tremor, X extra-fine portamento ...)
//   C-4:8,+401   vibrato 401 on every row of the note, the first included
//   .:3,A02      three rows with only the effect (a slide continues)
//
// Without an instrument a note takes the track's default instrument.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/xmgen/xm_writer.hpp"

namespace korveld::xmgen {

struct Track {
  std::vector<Cell> rows;
  int instrument = 0;
  int transpose = 0;
  explicit Track(int defaultInstrument = 0, int semitones = 0) : instrument(defaultInstrument), transpose(semitones) {}
  // Appends a phrase; stops the generator with a message on a syntax error.
  Track& operator<<(std::string_view phrase);
  Track& add(std::string_view phrase) { return *this << phrase; }
  Track& rest(int rows);
  int length() const { return static_cast<int>(rows.size()); }
};

// XM note number (1..96) of a name such as "C-4" or "F#2", or 0.
int NoteNumber(std::string_view name);

// A pattern of `rows` rows from one track per channel; shorter tracks are
// padded with empty rows, longer ones are an error.
Pattern MakePattern(const std::vector<Track>& tracks, int channels, int rows = 64);

[[noreturn]] void Fail(const std::string& message);

}  // namespace korveld::xmgen
