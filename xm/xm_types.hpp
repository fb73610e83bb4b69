// Records of the XM player: the loaded song with its patterns, instruments
// and samples, the replay channels, the mixer voices and the cursor the
// loader reads the module image with.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace korveld::xm {

struct XmPlayer;
struct XmSong;

// ---------------------------------------------------------------- source --

// A read cursor over a module image in memory. Reads and seeks never leave
// the image: a read stops at its end, a seek stops at either end.
struct MemoryCursor {
  const std::uint8_t* base = nullptr;
  std::int32_t length = 0;
  std::int32_t position = 0;
};

enum class SeekFrom { Start, Current, End };

// ------------------------------------------------------------------ song --

struct PatternCell {
  std::uint8_t note = 0;  // 0 none, 1..96, 255 key off
  std::uint8_t instrument = 0;
  std::uint8_t volume = 0;
  std::uint8_t effect = 0;
  std::uint8_t parameter = 0;
};
static_assert(sizeof(PatternCell) == 5);

struct XmPattern {
  std::int32_t rows = 0;
  std::vector<PatternCell> cells;  // rows x channels, row-major
};

inline constexpr std::uint8_t kLoopNone = 1;
inline constexpr std::uint8_t kLoopForward = 2;
inline constexpr std::uint8_t kLoopPingPong = 4;

struct XmSample {
  // length + 8 values (zero-filled beyond the sample and its loop fix-up),
  // empty for a sample of length 0.
  std::vector<std::int16_t> data;
  std::uint32_t length = 0;
  std::uint32_t loopStart = 0;
  std::uint32_t loopLength = 0;
  std::uint8_t defaultVolume = 0;
  std::int8_t finetune = 0;
  std::int32_t defaultPanning = 0;
  std::uint8_t bits = 0;
  std::uint8_t loopMode = 0;
  std::int8_t relativeNote = 0;

  const std::int16_t* values() const { return data.empty() ? nullptr : data.data(); }
  std::uint32_t loopEnd() const { return loopStart + loopLength; }
};

inline constexpr int kEnvelopePoints = 12;
inline constexpr std::uint8_t kEnvelopeOn = 1;
inline constexpr std::uint8_t kEnvelopeSustain = 2;
inline constexpr std::uint8_t kEnvelopeLoop = 4;
inline constexpr std::uint16_t kEnvelopeMaxY = 64;  // the loader limits every y to this

struct EnvelopePoint {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
};

struct Envelope {
  std::array<EnvelopePoint, kEnvelopePoints> points{};
  std::uint8_t count = 0;
  std::uint8_t sustain = 0;
  std::uint8_t loopStart = 0;
  std::uint8_t loopEnd = 0;
  std::uint8_t type = 0;
};

struct XmInstrument {
  std::uint32_t sampleCount = 0;
  std::array<XmSample*, 16> samples{};  // beyond sampleCount: the DummySample
  std::array<std::uint8_t, 96> keymap{};
  Envelope volumeEnvelope;
  Envelope panningEnvelope;
  std::uint8_t vibratoType = 0;
  std::uint8_t vibratoSweep = 0;
  std::uint8_t vibratoDepth = 0;
  std::uint8_t vibratoRate = 0;
  std::uint16_t fadeout = 0;  // twice the file's value
  std::vector<std::unique_ptr<XmSample>> owned;  // the first sampleCount slots
};

// Shared all-zero records: instruments numbered beyond the song and empty
// keymap slots play these, which mix nothing.
const XmInstrument& DummyInstrument();
XmSample* DummySample();

using TickProcedure = void (*)(XmPlayer& player, XmSong& song);

struct XmSong {
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
  std::int32_t samplesUntilNextTick = 0;
  std::int32_t samplesPerTick = 0;
  std::int16_t songLength = 0;
  std::int16_t restartPosition = 0;
  std::int16_t channelCount = 0;
  std::int32_t usedPatternCount = 0;
  std::int32_t patternSlotCount = 0;
  std::int16_t instrumentCount = 0;
  std::uint16_t flags = 0;  // bit 0: linear frequency table
  std::int16_t defaultSpeed = 0;
  std::int16_t defaultBpm = 0;
  std::array<std::uint8_t, 256> orderTable{};
  std::uint8_t defaultGlobalVolume = 0;
  // Replay state.
  std::int32_t globalVolume = 0;
  std::uint8_t globalVolumeSlide = 0;
  std::int32_t tick = 0;
  std::int32_t speed = 0;
  std::int32_t bpm = 0;
  std::int32_t row = 0;
  std::int32_t order = 0;
  std::int32_t patternDelay = 0;
  std::int32_t nextRow = -1;
  std::int32_t nextOrder = -1;
  TickProcedure tickProcedure = nullptr;

  bool linear() const { return (flags & 1) != 0; }
  const XmPattern& patternAt(int orderIndex) const { return patterns[orderTable[orderIndex]]; }
};

// ----------------------------------------------------------------- mixer --

inline constexpr int kMixVoices = 64;
inline constexpr int kChannels = 32;

struct MixVoice {
  std::int32_t number = 0;
  std::int32_t actualVolume = 0;
  std::int32_t frequency = 0;
  std::int32_t actualPan = 0;
  std::int32_t volume = 0;
  std::int32_t pan = 0;
  std::uint32_t startOffset = 0;
  const XmSample* sample = nullptr;
  std::int32_t leftVolume = 0;
  std::int32_t rightVolume = 0;
  std::uint32_t position = 0;
  std::uint32_t fraction = 0;
  std::uint32_t stepFraction = 0;
  std::uint32_t stepInteger = 0;
  std::int32_t direction = 1;  // 1 forward, 2 backward
  std::int32_t lastLeftTarget = 0;
  std::int32_t lastRightTarget = 0;
  std::int32_t currentLeft = 0;  // 24.8
  std::int32_t currentRight = 0;
  float leftRampStep = 0.0f;
  float rightRampStep = 0.0f;
  std::int32_t rampCount = 0;
};

// ---------------------------------------------------------------- replay --

inline constexpr std::uint8_t kRequestFrequency = 1;
inline constexpr std::uint8_t kRequestVolume = 2;
inline constexpr std::uint8_t kRequestPan = 4;
inline constexpr std::uint8_t kRequestTrigger = 8;
inline constexpr std::uint8_t kRequestRewind = 32;

struct EnvelopeState {
  std::int32_t tick = 0;
  std::int32_t point = 0;
  std::int32_t value = 0;  // 16.16
  std::int32_t current = 0;
  std::int32_t step = 0;  // 16.16 per tick
  std::uint8_t stopped = 0;
};

struct XmChannel {
  std::uint8_t note = 0;
  std::uint8_t requests = 0;
  std::int32_t voice = 0;  // index of the bound MixVoice
  XmSample* sample = nullptr;
  std::int32_t period = 0;
  std::int32_t volume = 0;
  std::int32_t pan = 0;
  std::int32_t volumeOffset = 0;
  std::int32_t frequencyOffset = 0;
  EnvelopeState volumeEnvelope;
  EnvelopeState panningEnvelope;
  std::int32_t fadeoutVolume = 0;
  std::int32_t autoVibratoPosition = 0;
  std::int32_t autoVibratoSweep = 0;
  std::uint8_t keyOff = 0;
  std::uint8_t instrument = 0;
  std::uint8_t realNote = 0;
  std::int32_t notePeriod = 0;
  std::uint8_t previousEffect = 0;
  std::uint32_t sampleOffsetMemory = 0;
  std::uint8_t portaDownMemory = 0;
  std::uint8_t portaUpMemory = 0;
  std::uint8_t extraFineDownMemory = 0;
  std::uint8_t extraFineUpMemory = 0;
  std::uint8_t volumeSlideMemory = 0;
  std::uint8_t panSlideMemory = 0;
  std::uint8_t retriggerVolume = 0;
  std::uint8_t retriggerInterval = 0;
  std::int32_t tonePortaTarget = 0;
  std::uint8_t tonePortaSpeed = 0;
  std::int8_t vibratoPosition = 0;
  std::uint8_t vibratoSpeed = 0;
  std::uint8_t vibratoDepth = 0;
  std::int8_t tremoloPosition = 0;
  std::uint8_t tremoloSpeed = 0;
  std::uint8_t tremoloDepth = 0;
  std::uint8_t tremorPosition = 0;
  std::uint8_t tremorOn = 0;
  std::uint8_t tremorOff = 0;
  std::int32_t patternLoopRow = 0;
  std::int32_t patternLoopCount = 0;
  std::uint8_t waveControl = 0;
  std::uint8_t fineVolumeSlideMemory = 0;
  std::uint8_t finePortaUpMemory = 0;
  std::uint8_t finePortaDownMemory = 0;
};

}  // namespace korveld::xm
