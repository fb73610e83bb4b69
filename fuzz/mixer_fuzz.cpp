// Fuzz target aimed at the mixer: the bytes describe a small module of tiny
// loops (1 to 16 values, forward or ping-pong, after up to 15 values of
// lead-in) at any real note on either frequency table, with a short pattern
// of notes and effects. Once the first row has started its notes, every
// sounding voice is put at a place in its loop that the bytes choose (going
// either way on a ping-pong loop), and the player renders 24 blocks, half a
// second: thousands of loop ends at high notes. A voice that stops short of
// its loop end and never moves again is a timeout; a looping voice left at or
// past its loop end after a block traps.
//
// Bytes (any past the end read as 0):
//   0        bit 0: linear table; bits 1-2: channels - 1; bits 3-7: speed (0 = 1)
//   1, 2     BPM: 32 + byte 1 % 224 when byte 2 is 0, else 32 + the two bytes
//            (little-endian) % 32736
//   3        rows - 1 (low 4 bits)
//   then per channel 6 bytes: loop length - 1 (bits 0-3), ping-pong (bit 4),
//            16-bit (bit 5); lead-in values (bits 0-3); real note of C-4;
//            finetune; volume (% 65); panning
//   then per row and channel 3 bytes: note (% 98, 97 key off; row 0 always
//            C-4), effect (% 36), parameter
//   then per voice 9 bytes: position in the loop (u32), fraction (u32),
//            direction (bit 0 set: backward on a ping-pong loop)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/null_platform.hpp"
#include "tools/xmgen/xm_writer.hpp"
#include "xm/xm_player.hpp"

namespace {

using namespace korveld;

constexpr int kBlocks = 24;
constexpr std::uint8_t kMiddleC = 49;

struct Bytes {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  std::uint8_t u8() { return at < size ? data[at++] : 0; }
  std::uint32_t u32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t{u8()} << (8 * i);
    return v;
  }
};

xmgen::Module DescribedModule(Bytes& in) {
  const std::uint8_t flags = in.u8();
  const int channels = 1 + ((flags >> 1) & 3);
  xmgen::Module m = xmgen::SimpleModule(channels, {}, (flags & 1) != 0);
  m.speed = std::max(1, flags >> 3);
  const int low = in.u8();
  const int high = in.u8();
  m.bpm = high == 0 ? 32 + low % 224 : 32 + (low | high << 8) % 32736;
  const int rows = 1 + (in.u8() & 15);
  for (int c = 0; c < channels; ++c) {
    const std::uint8_t shape = in.u8();
    const std::uint32_t loop = 1 + (shape & 15);
    const std::uint32_t leadIn = in.u8() & 15;
    xmgen::Sample s;
    for (std::uint32_t i = 0; i < leadIn + loop; ++i) s.values.push_back(static_cast<std::int16_t>(0x1000 + i * 0x2345));
    s.loop = (shape & 16) != 0 ? xmgen::Loop::PingPong : xmgen::Loop::Forward;
    s.sixteenBit = (shape & 32) != 0;
    s.loopStart = leadIn;
    s.loopLength = loop;
    s.relativeNote = static_cast<std::int8_t>(in.u8() - (kMiddleC - 1));
    s.finetune = static_cast<std::int8_t>(in.u8());
    s.volume = static_cast<std::uint8_t>(in.u8() % 65);
    s.panning = in.u8();
    m.instruments.push_back(xmgen::OneSampleInstrument(s));
  }
  m.patterns.clear();
  m.addPattern(rows);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < channels; ++c) {
      xmgen::Cell& cell = m.cell(0, r, c);
      cell.note = r == 0 ? kMiddleC : static_cast<std::uint8_t>(in.u8() % 98);
      if (r == 0) in.u8();
      cell.instrument = static_cast<std::uint8_t>(c + 1);
      cell.effect = static_cast<std::uint8_t>(in.u8() % 36);
      cell.parameter = in.u8();
    }
  }
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes in{data, size};
  const std::vector<std::uint8_t> image = xmgen::WriteXm(DescribedModule(in));
  // One player for the whole run: each load and render starts it afresh.
  static platform::NullPlatform platform;
  static const std::unique_ptr<xm::XmPlayer> player = [] {
    auto p = std::make_unique<xm::XmPlayer>();
    xm::XmPlayerInit(*p, platform);
    return p;
  }();
  if (!xm::LoadSongFromMemory(*player, image.data(), static_cast<std::int32_t>(image.size()))) __builtin_trap();
  xm::BeginOfflineRender(*player, player->CurrentSong.get());
  xm::FillBlock(*player);
  for (xm::MixVoice& v : player->voices) {
    if (v.sample == nullptr || v.sample->loopLength == 0) continue;
    v.position = v.sample->loopStart + in.u32() % v.sample->loopLength;
    v.fraction = in.u32();
    v.direction = v.sample->loopMode == xm::kLoopPingPong && (in.u8() & 1) != 0 ? 2 : 1;
  }
  for (int b = 0; b < kBlocks; ++b) {
    xm::FillBlock(*player);
    for (const xm::MixVoice& v : player->voices) {
      if (v.sample != nullptr && v.sample->loopMode != xm::kLoopNone && v.position >= v.sample->loopEnd()) {
        __builtin_trap();
      }
    }
  }
  xm::StopSong(*player);
  return 0;
}
