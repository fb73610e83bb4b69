// The four songs and the part-writing helpers they share.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/xmgen/synth.hpp"
#include "tools/xmgen/tracker.hpp"
#include "tools/xmgen/xm_writer.hpp"

namespace korveld::xmgen {

Module ComposeAmberCircuit();
Module ComposeGlassHarbour();
Module ComposeCopperRain();
Module ComposeNightlineExpress();

// A one-sample instrument named `name`, with the sample's volume and panning.
Instrument Make(const std::string& name, Sample s, int volume, int panning);

// A chord: root pitch class (0 = C) and its intervals above the root.
struct Chord {
  int root = 0;
  int third = 4;
  int fifth = 7;
  int seventh = 10;
};

// "Am", "F", "C#m", "Gsus", "E7", "Bb" ...
Chord ParseChord(std::string_view name);
// Chords separated by blanks.
std::vector<Chord> Chords(std::string_view names);
// The name of the XM note of pitch class + octave ("A-3").
std::string NoteName(int pitchClass, int octave);

// One character per row: k kick, s snare, g ghost snare, r snare roll
// (retriggered), h hat, H accented hat, o open hat, c crash, t tom, '.' empty.
struct DrumKit {
  int kick = 1, snare = 2, hat = 3, openHat = 4, crash = 0, tom = 0;
  int kickVolume = 64, snareVolume = 56, hatVolume = 28, openVolume = 34;
};
Track DrumLine(std::string_view steps, const DrumKit& kit);

// Bass over a chord sequence: the rhythm (one character per row, repeated
// for every chord) uses x root, o octave, f fifth, t third, 7 seventh,
// s root reached by tone portamento, '=' key off, '.' empty.
Track BassLine(const std::vector<Chord>& chords, std::string_view rhythm, int instrument, int octave,
               int volume = 0);

// Arpeggio chords: x starts the chord (root + arpeggio of third and fifth),
// '-' holds the arpeggio, '=' key off, '.' nothing.
Track ArpLine(const std::vector<Chord>& chords, std::string_view rhythm, int instrument, int octave, int volume = 0);

// One chord tone per chord, held for the whole chord (pads).
// tone: 0 root, 1 third, 2 fifth, 3 seventh, 4 octave.
Track PadLine(const std::vector<Chord>& chords, int rowsPerChord, int tone, int instrument, int octave,
              std::string_view attributes = "", bool keyOffAtEnd = false);

// Puts an effect on one row of a track (the row must have none yet).
void SetEffect(Track& t, int row, int effect, int parameter);
// Sets the volume-column byte of one row.
void SetVolumeColumn(Track& t, int row, int byte);

// Scales every volume the module sets (the samples' default volumes, the
// volume column's set-volume bytes and Cxx) by `gain`, rounded and held at
// 64: how a song's level is matched to the others' without touching its
// samples. Slides and envelopes are relative and stay as written.
void ScaleVolumes(Module& m, double gain);

// Appends the rows of `b` to `a`.
Track& Append(Track& a, const Track& b);

}  // namespace korveld::xmgen
