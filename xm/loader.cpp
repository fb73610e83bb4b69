// The XM loader: reads a module image in memory into an XmSong. Bytes past
// the end of the image (a truncated module) read as zeros.
#include <algorithm>
#include <cstring>
#include <thread>

#include "xm/xm_player.hpp"

namespace korveld::xm {
namespace {

constexpr char kMagic[] = "Extended Module: ";
constexpr int kMagicLength = 17;
constexpr int kMaxSamples = 16;
// Limits of the format that protect the loader from absurd headers.
constexpr int kMaxPatterns = 256;
constexpr int kMaxRows = 256;
constexpr int kMaxInstruments = 256;
constexpr int kEmptyPatternRows = 64;
// Sample data may claim more than the image holds (a truncated image reads
// as zeros) but not without bound.
constexpr std::int64_t kSampleSlackBytes = 16 << 20;
// A sample header's reserved byte with this value marks 8-bit data packed as
// 4-bit ADPCM (a later tracker's extension), which this loader does not read.
constexpr std::uint8_t kAdpcmMark = 0xAD;

// Reads little-endian fields at the cursor; what lies past the image is zero.
struct Reader {
  MemoryCursor cursor;

  void bytes(void* out, std::int32_t count) {
    if (count <= 0) return;
    const std::int32_t got = Read(cursor, out, count);
    if (got < count) std::memset(static_cast<std::uint8_t*>(out) + got, 0, static_cast<std::size_t>(count - got));
  }
  std::uint8_t u8() {
    std::uint8_t b = 0;
    bytes(&b, 1);
    return b;
  }
  std::uint16_t u16() {
    std::uint8_t b[2];
    bytes(b, 2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
  }
  std::uint32_t u32() {
    std::uint8_t b[4];
    bytes(b, 4);
    return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24);
  }
  void seek(std::int64_t offset) { Seek(cursor, offset, SeekFrom::Start); }
  std::int32_t tell() const { return Tell(cursor); }
  void skip(std::int32_t count) { Seek(cursor, count, SeekFrom::Current); }
};

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void ReadEnvelopePoints(Reader& in, Envelope& envelope) {
  std::uint8_t raw[kEnvelopePoints * 4];
  in.bytes(raw, sizeof raw);
  for (int i = 0; i < kEnvelopePoints; ++i) {
    envelope.points[i].x = Le16(raw + 4 * i);
    // y is a level of 0..64; more would overflow the 16.16 envelope value.
    envelope.points[i].y = std::min<std::uint16_t>(Le16(raw + 4 * i + 2), kEnvelopeMaxY);
  }
}

// Each loading step returns why it refused the module, or none.
const char* LoadPatterns(Reader& in, XmSong& song, int headerPatterns) {
  const int channels = song.channelCount;
  song.patterns.resize(static_cast<std::size_t>(song.patternSlotCount));
  for (int p = 0; p < headerPatterns; ++p) {
    in.u32();  // header length: the header is always taken as 9 bytes
    in.u8();   // packing type
    int rows = in.u16();
    const int packed = in.u16();
    if (rows > kMaxRows) return "a pattern has more than 256 rows";
    XmPattern& pattern = song.patterns[static_cast<std::size_t>(p)];
    if (rows == 0) {
      // A pattern without rows would leave the replay nothing to read.
      pattern.rows = kEmptyPatternRows;
      pattern.cells.assign(static_cast<std::size_t>(kEmptyPatternRows * channels), PatternCell{});
      continue;
    }
    pattern.rows = rows;
    const int cellCount = rows * channels;
    pattern.cells.assign(static_cast<std::size_t>(cellCount), PatternCell{});
    if (packed == 0 || cellCount <= 0) continue;
    for (PatternCell& cell : pattern.cells) {
      const std::uint8_t b = in.u8();
      if (b & 0x80) {
        if (b & 0x01) cell.note = in.u8();
        if (b & 0x02) cell.instrument = in.u8();
        if (b & 0x04) cell.volume = in.u8();
        if (b & 0x08) cell.effect = in.u8();
        if (b & 0x10) cell.parameter = in.u8();
      } else {
        cell.note = b;
        cell.instrument = in.u8();
        cell.volume = in.u8();
        cell.effect = in.u8();
        cell.parameter = in.u8();
      }
      if (cell.note == 97) cell.note = 255;
      if (cell.instrument > 128) cell.instrument = 0;
    }
  }
  for (int p = headerPatterns; p < song.usedPatternCount; ++p) {
    XmPattern& pattern = song.patterns[static_cast<std::size_t>(p)];
    pattern.rows = kEmptyPatternRows;
    pattern.cells.assign(static_cast<std::size_t>(kEmptyPatternRows * channels), PatternCell{});
  }
  return nullptr;
}

// Reads one sample header into a new record; the data follows later.
std::unique_ptr<XmSample> ReadSampleHeader(Reader& in, bool& adpcm) {
  auto sample = std::make_unique<XmSample>();
  std::uint8_t head[14];
  in.bytes(head, sizeof head);
  sample->length = std::uint32_t{head[0]} | (std::uint32_t{head[1]} << 8) | (std::uint32_t{head[2]} << 16) |
                   (std::uint32_t{head[3]} << 24);
  sample->loopStart = std::uint32_t{head[4]} | (std::uint32_t{head[5]} << 8) | (std::uint32_t{head[6]} << 16) |
                      (std::uint32_t{head[7]} << 24);
  sample->loopLength = std::uint32_t{head[8]} | (std::uint32_t{head[9]} << 8) | (std::uint32_t{head[10]} << 16) |
                       (std::uint32_t{head[11]} << 24);
  sample->defaultVolume = std::min<std::uint8_t>(head[12], 64);
  sample->finetune = static_cast<std::int8_t>(head[13]);
  sample->bits = 8;
  sample->loopMode = kLoopNone;
  const std::uint8_t type = in.u8();
  if (type & 1) sample->loopMode = kLoopForward;
  if (type & 2) sample->loopMode = kLoopPingPong;
  if (type & 0x10) sample->bits = 16;
  if (sample->loopMode == kLoopNone) {
    sample->loopStart = 0;
    sample->loopLength = sample->length;
  }
  if (sample->bits == 16) {
    sample->length /= 2;
    sample->loopStart /= 2;
    sample->loopLength /= 2;
  }
  // A loop reaching past the data would make the fix-up write outside it.
  if (sample->loopStart >= sample->length) {
    sample->loopStart = 0;
    sample->loopLength = 0;
  } else if (sample->loopLength > sample->length - sample->loopStart) {
    sample->loopLength = sample->length - sample->loopStart;
  }
  if (sample->loopLength == 0) {
    sample->loopStart = 0;
    sample->loopLength = sample->length;
    sample->loopMode = kLoopNone;
  }
  sample->defaultPanning = in.u8();
  sample->relativeNote = static_cast<std::int8_t>(in.u8());
  adpcm = in.u8() == kAdpcmMark && sample->bits == 8 && sample->length > 0;
  in.skip(22);  // name
  return sample;
}

void ReadSampleData(Reader& in, XmSample& sample) {
  const std::uint32_t length = sample.length;
  std::int16_t* values = sample.data.data();
  if (sample.bits == 8) {
    std::vector<std::uint8_t> raw(length);
    in.bytes(raw.data(), static_cast<std::int32_t>(length));
    for (std::uint32_t i = 0; i < length; ++i) values[i] = static_cast<std::int16_t>(raw[i] << 8);
    sample.bits = 16;
  } else {
    std::vector<std::uint8_t> raw(std::size_t{length} * 2);
    in.bytes(raw.data(), static_cast<std::int32_t>(length * 2));
    for (std::uint32_t i = 0; i < length; ++i) values[i] = static_cast<std::int16_t>(Le16(raw.data() + 2 * i));
  }
  std::uint16_t accumulator = 0;
  for (std::uint32_t i = 0; i < length; ++i) {
    accumulator = static_cast<std::uint16_t>(accumulator + static_cast<std::uint16_t>(values[i]));
    values[i] = static_cast<std::int16_t>(accumulator);
  }
  // The value after the loop end feeds the interpolation at the boundary.
  const std::uint32_t end = sample.loopEnd();
  if (sample.loopMode == kLoopPingPong) values[end] = values[end - 1];
  if (sample.loopMode == kLoopForward) values[end] = values[sample.loopStart];
}

const char* LoadInstruments(Reader& in, XmSong& song, std::int64_t& sampleBudget) {
  song.instruments.resize(static_cast<std::size_t>(song.instrumentCount));
  for (XmInstrument& instrument : song.instruments) {
    const std::int64_t start = in.tell();
    const std::uint32_t headerSize = in.u32();
    in.skip(23);
    const int sampleCount = in.u16();
    if (sampleCount > kMaxSamples) return "an instrument has more than 16 samples";
    instrument.sampleCount = static_cast<std::uint32_t>(sampleCount);
    instrument.samples.fill(DummySample());
    if (sampleCount == 0) {
      in.seek(start + headerSize);
      continue;
    }
    in.u32();  // sample header size: every sample header is 40 bytes
    in.bytes(instrument.keymap.data(), 96);
    ReadEnvelopePoints(in, instrument.volumeEnvelope);
    ReadEnvelopePoints(in, instrument.panningEnvelope);
    std::uint8_t tail[16];
    in.bytes(tail, sizeof tail);
    Envelope& vol = instrument.volumeEnvelope;
    Envelope& pan = instrument.panningEnvelope;
    vol.count = std::min<std::uint8_t>(tail[0], kEnvelopePoints);
    pan.count = std::min<std::uint8_t>(tail[1], kEnvelopePoints);
    vol.sustain = tail[2];
    vol.loopStart = tail[3];
    vol.loopEnd = tail[4];
    pan.sustain = tail[5];
    pan.loopStart = tail[6];
    pan.loopEnd = tail[7];
    vol.type = tail[8];
    pan.type = tail[9];
    instrument.vibratoType = tail[10];
    instrument.vibratoSweep = tail[11];
    instrument.vibratoDepth = tail[12];
    instrument.vibratoRate = tail[13];
    instrument.fadeout = static_cast<std::uint16_t>(Le16(tail + 14) * 2);
    if (vol.count < 2) vol.type = 0;
    if (pan.count < 2) pan.type = 0;
    in.seek(start + headerSize);

    for (int s = 0; s < sampleCount; ++s) {
      bool adpcm = false;
      auto sample = ReadSampleHeader(in, adpcm);
      if (adpcm) return "ADPCM-packed samples not supported";
      const std::int64_t bytes = std::int64_t{sample->length} * (sample->bits / 8);
      sampleBudget -= bytes;
      if (sampleBudget < 0) return "the samples claim far more data than the file holds";
      if (sample->length > 0) sample->data.assign(std::size_t{sample->length} + 8, 0);
      instrument.samples[static_cast<std::size_t>(s)] = sample.get();
      instrument.owned.push_back(std::move(sample));
    }
    for (auto& sample : instrument.owned) {
      if (sample->length > 0) ReadSampleData(in, *sample);
    }
  }
  return nullptr;
}

const char* RunLoader(Reader& in, XmSong& song, std::int64_t imageBytes) {
  char magic[kMagicLength];
  in.seek(0);
  in.bytes(magic, kMagicLength);
  if (std::memcmp(magic, kMagic, kMagicLength) != 0) return "not an XM module (no \"Extended Module: \" header)";
  // The layouts before version 1.04 store their records differently; read as
  // 1.04 they fail further on, for a reason that misleads (a pattern of more
  // than 256 rows).
  in.seek(58);
  const std::uint16_t version = in.u16();
  if (version == 0x0102) return "older XM layout (v1.02) not supported";
  if (version == 0x0103) return "older XM layout (v1.03) not supported";
  song.tickProcedure = UpdateTick;
  song.defaultGlobalVolume = 64;

  in.seek(60);
  const std::uint32_t headerSize = in.u32();
  int songLength = in.u16();
  int restart = in.u16();
  const int channels = in.u16();
  const int headerPatterns = in.u16();
  std::uint8_t block[264];
  in.bytes(block, sizeof block);
  in.seek(std::int64_t{60} + headerSize);
  const int instruments = Le16(block);
  if (channels > kChannels) return "more than 32 channels";
  if (headerPatterns > kMaxPatterns) return "more than 256 patterns";
  if (instruments > kMaxInstruments) return "more than 256 instruments";

  // The order table has 256 entries; an empty song plays its first entry.
  songLength = std::clamp(songLength, 1, 256);
  if (restart >= songLength) restart = 0;
  song.songLength = static_cast<std::int16_t>(songLength);
  song.restartPosition = static_cast<std::int16_t>(restart);
  song.channelCount = static_cast<std::int16_t>(channels);
  song.instrumentCount = static_cast<std::int16_t>(instruments);
  song.flags = Le16(block + 2);
  song.defaultSpeed = static_cast<std::int16_t>(Le16(block + 4));
  song.defaultBpm = static_cast<std::int16_t>(Le16(block + 6));
  std::memcpy(song.orderTable.data(), block + 8, 256);

  int used = 0;
  for (int i = 0; i < songLength; ++i) {
    if (song.orderTable[static_cast<std::size_t>(i)] >= used) used = song.orderTable[static_cast<std::size_t>(i)] + 1;
  }
  song.usedPatternCount = used;
  song.patternSlotCount = std::max(used, headerPatterns);

  if (const char* error = LoadPatterns(in, song, headerPatterns)) return error;
  std::int64_t sampleBudget = imageBytes + kSampleSlackBytes;
  return LoadInstruments(in, song, sampleBudget);
}

}  // namespace

const XmInstrument& DummyInstrument() {
  static const XmInstrument dummy = [] {
    XmInstrument instrument;
    instrument.samples.fill(DummySample());
    return instrument;
  }();
  return dummy;
}

XmSample* DummySample() {
  // Never written: the replay leaves it alone (see E5 in the replay).
  static XmSample dummy;
  return &dummy;
}

std::unique_ptr<XmSong> LoadSong(XmPlayer& player) {
  player.loadError = "no module source";
  if (player.image == nullptr && player.imageSize != 0) return nullptr;
  auto song = std::make_unique<XmSong>();
  Reader in{MemoryCursor{player.image, std::max<std::int32_t>(player.imageSize, 0), 0}};
  player.loadError = RunLoader(in, *song, in.cursor.length);
  if (player.loadError != nullptr) return nullptr;  // releases everything built so far
  return song;
}

bool LoadSongFromMemory(XmPlayer& player, const std::uint8_t* image, std::int32_t size) {
  // A song still loaded is stopped and released before it is replaced.
  if (player.CurrentSong) FreeSong(player);
  player.image = image;
  player.imageSize = size;
  player.CurrentSong = LoadSong(player);
  return player.CurrentSong != nullptr;
}

bool FreeSong(XmPlayer& player, std::unique_ptr<XmSong>& song) {
  if (!song) return false;
  while (player.mixing.load(std::memory_order_acquire) != 0) std::this_thread::yield();
  StopSong(player, song.get());
  song.reset();
  return true;
}

std::int32_t GetNumChannels(const XmPlayer& player) {
  return player.CurrentSong ? player.CurrentSong->channelCount : 0;
}

}  // namespace korveld::xm
