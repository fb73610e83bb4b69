// Writes Extended Module images from plain records: the module-writing side
// of the XM player, used by the module generator, the player's tests and its
// benchmark (which also share the small modules built here).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korveld::xmgen {

struct Cell {
  std::uint8_t note = 0;  // 1..96, 97 key off
  std::uint8_t instrument = 0;
  std::uint8_t volume = 0;
  std::uint8_t effect = 0;
  std::uint8_t parameter = 0;
};

struct Pattern {
  int rows = 64;
  std::vector<Cell> cells;  // rows x channels, row-major
  // When set, written instead of the packed cells (its size is the packed size).
  std::vector<std::uint8_t> raw;
  bool forceEmpty = false;  // packed size 0, no data
  Cell& at(int row, int channel, int channels) { return cells[static_cast<std::size_t>(row * channels + channel)]; }
};

enum class Loop : std::uint8_t { None = 0, Forward = 1, PingPong = 2 };

struct Sample {
  std::string name;
  std::vector<std::int16_t> values;  // 16-bit values; 8-bit samples use the high byte
  bool sixteenBit = false;
  std::uint32_t loopStart = 0;   // in values
  std::uint32_t loopLength = 0;  // in values
  Loop loop = Loop::None;
  std::uint8_t volume = 64;
  std::int8_t finetune = 0;
  std::uint8_t panning = 128;
  std::int8_t relativeNote = 0;
  // Overrides for tests: the stored type byte, the header's byte counts and
  // the stored (delta-coded) data bytes.
  int typeOverride = -1;
  std::int64_t lengthBytesOverride = -1;
  std::int64_t loopStartBytesOverride = -1;
  std::int64_t loopLengthBytesOverride = -1;
  std::vector<std::uint8_t> rawData;
  bool useRawData = false;
};

struct EnvelopeSpec {
  std::vector<std::array<std::uint16_t, 2>> points;  // x, y
  std::uint8_t sustain = 0;
  std::uint8_t loopStart = 0;
  std::uint8_t loopEnd = 0;
  std::uint8_t type = 0;  // 1 on, 2 sustain, 4 loop
  int countOverride = -1;
};

struct Instrument {
  std::string name;
  std::vector<Sample> samples;
  std::array<std::uint8_t, 96> keymap{};
  EnvelopeSpec volume;
  EnvelopeSpec panning;
  std::uint8_t vibratoType = 0;
  std::uint8_t vibratoSweep = 0;
  std::uint8_t vibratoDepth = 0;
  std::uint8_t vibratoRate = 0;
  std::uint16_t fadeout = 0;
  int sampleCountOverride = -1;
};

struct Module {
  std::string name;
  std::string tracker = "korveld xmgen";
  int channels = 4;
  std::vector<std::uint8_t> orders;
  int restart = 0;
  bool linear = false;
  int speed = 6;
  int bpm = 125;
  int songLengthOverride = -1;
  int patternCountOverride = -1;
  std::vector<Pattern> patterns;
  std::vector<Instrument> instruments;

  Pattern& addPattern(int rows = 64) {
    Pattern p;
    p.rows = rows;
    p.cells.assign(static_cast<std::size_t>(rows * channels), Cell{});
    patterns.push_back(std::move(p));
    return patterns.back();
  }
  Cell& cell(int pattern, int row, int channel) {
    return patterns[static_cast<std::size_t>(pattern)].at(row, channel, channels);
  }
};

// A sample of `length` 16-bit values, all `value`, not looped.
Sample ConstantSample(std::uint32_t length, std::int16_t value = 0x4000);
// An instrument of one sample, keymap all 0.
Instrument OneSampleInstrument(Sample sample);
// A module of `channels` channels whose one order plays one empty 64-row
// pattern, with a one-sample instrument for each sample.
Module SimpleModule(int channels, std::vector<Sample> samples, bool linear = false);
// The mixer's worst case: all 32 channels play a 1-value loop (forward and
// ping-pong alternating) at real note 255, C-0 on a sample of relative note
// -1 with the linear table: a step of about 29,560 values, so every frame of
// every voice meets a loop boundary. Every row starts every note again at
// the fastest tempo (speed 1, BPM 32767: a row every 3 frames), so both
// voices of every channel's pair run and ramp all the time.
Module TinyLoopModule();

std::vector<std::uint8_t> WriteXm(const Module& module);
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace korveld::xmgen
