#include "tools/xmgen/xm_writer.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace korveld::xmgen {
namespace {

struct Out {
  std::vector<std::uint8_t> bytes;
  void u8(int v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
  void u16(int v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }
  void u32(std::uint32_t v) {
    u16(static_cast<int>(v & 0xFFFF));
    u16(static_cast<int>(v >> 16));
  }
  void text(const std::string& s, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) u8(i < s.size() ? s[i] : 0);
  }
  void zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
};

std::vector<std::uint8_t> PackCells(const Pattern& p) {
  std::vector<std::uint8_t> out;
  for (const Cell& c : p.cells) {
    const bool full = c.note && c.instrument && c.volume && c.effect && c.parameter;
    if (full) {
      out.insert(out.end(), {c.note, c.instrument, c.volume, c.effect, c.parameter});
      continue;
    }
    std::uint8_t mask = 0x80;
    if (c.note) mask |= 1;
    if (c.instrument) mask |= 2;
    if (c.volume) mask |= 4;
    if (c.effect) mask |= 8;
    if (c.parameter) mask |= 16;
    out.push_back(mask);
    if (c.note) out.push_back(c.note);
    if (c.instrument) out.push_back(c.instrument);
    if (c.volume) out.push_back(c.volume);
    if (c.effect) out.push_back(c.effect);
    if (c.parameter) out.push_back(c.parameter);
  }
  return out;
}

void WriteEnvelopePoints(Out& o, const EnvelopeSpec& e) {
  for (std::size_t i = 0; i < 12; ++i) {
    if (i < e.points.size()) {
      o.u16(e.points[i][0]);
      o.u16(e.points[i][1]);
    } else {
      o.u32(0);
    }
  }
}

std::vector<std::uint8_t> SampleData(const Sample& s) {
  if (s.useRawData) return s.rawData;
  std::vector<std::uint8_t> out;
  if (s.sixteenBit) {
    std::int16_t previous = 0;
    for (std::int16_t v : s.values) {
      const auto delta = static_cast<std::uint16_t>(v - previous);
      previous = v;
      out.push_back(static_cast<std::uint8_t>(delta & 0xFF));
      out.push_back(static_cast<std::uint8_t>(delta >> 8));
    }
  } else {
    std::int8_t previous = 0;
    for (std::int16_t v : s.values) {
      const auto b = static_cast<std::int8_t>(v >> 8);
      out.push_back(static_cast<std::uint8_t>(b - previous));
      previous = b;
    }
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> WriteXm(const Module& m) {
  Out o;
  o.text("Extended Module: ", 17);
  o.text(m.name, 20);
  o.u8(0x1A);
  o.text(m.tracker, 20);
  o.u16(0x0104);
  o.u32(276);
  o.u16(m.songLengthOverride >= 0 ? m.songLengthOverride : static_cast<int>(m.orders.size()));
  o.u16(m.restart);
  o.u16(m.channels);
  o.u16(m.patternCountOverride >= 0 ? m.patternCountOverride : static_cast<int>(m.patterns.size()));
  o.u16(static_cast<int>(m.instruments.size()));
  o.u16(m.linear ? 1 : 0);
  o.u16(m.speed);
  o.u16(m.bpm);
  for (std::size_t i = 0; i < 256; ++i) o.u8(i < m.orders.size() ? m.orders[i] : 0);

  for (const Pattern& p : m.patterns) {
    o.u32(9);
    o.u8(0);
    o.u16(p.rows);
    std::vector<std::uint8_t> packed;
    if (!p.forceEmpty) packed = p.raw.empty() ? PackCells(p) : p.raw;
    o.u16(static_cast<int>(packed.size()));
    o.bytes.insert(o.bytes.end(), packed.begin(), packed.end());
  }

  for (const Instrument& ins : m.instruments) {
    const int count = ins.sampleCountOverride >= 0 ? ins.sampleCountOverride : static_cast<int>(ins.samples.size());
    if (ins.samples.empty()) {
      o.u32(29);
      o.text(ins.name, 22);
      o.u8(0);
      o.u16(count);
      continue;
    }
    o.u32(263);
    o.text(ins.name, 22);
    o.u8(0);
    o.u16(count);
    o.u32(40);
    for (std::uint8_t k : ins.keymap) o.u8(k);
    WriteEnvelopePoints(o, ins.volume);
    WriteEnvelopePoints(o, ins.panning);
    o.u8(ins.volume.countOverride >= 0 ? ins.volume.countOverride : static_cast<int>(ins.volume.points.size()));
    o.u8(ins.panning.countOverride >= 0 ? ins.panning.countOverride : static_cast<int>(ins.panning.points.size()));
    o.u8(ins.volume.sustain);
    o.u8(ins.volume.loopStart);
    o.u8(ins.volume.loopEnd);
    o.u8(ins.panning.sustain);
    o.u8(ins.panning.loopStart);
    o.u8(ins.panning.loopEnd);
    o.u8(ins.volume.type);
    o.u8(ins.panning.type);
    o.u8(ins.vibratoType);
    o.u8(ins.vibratoSweep);
    o.u8(ins.vibratoDepth);
    o.u8(ins.vibratoRate);
    o.u16(ins.fadeout);
    o.zeros(22);  // reserved: 263 bytes in all

    std::vector<std::vector<std::uint8_t>> data;
    for (const Sample& s : ins.samples) {
      const std::uint32_t unit = s.sixteenBit ? 2 : 1;
      const auto bytes = SampleData(s);
      data.push_back(bytes);
      auto pick = [](std::int64_t over, std::uint32_t v) { return over >= 0 ? static_cast<std::uint32_t>(over) : v; };
      o.u32(pick(s.lengthBytesOverride, static_cast<std::uint32_t>(s.useRawData ? bytes.size() : s.values.size() * unit)));
      o.u32(pick(s.loopStartBytesOverride, s.loopStart * unit));
      o.u32(pick(s.loopLengthBytesOverride, s.loopLength * unit));
      o.u8(s.volume);
      o.u8(static_cast<std::uint8_t>(s.finetune));
      int type = static_cast<int>(s.loop) | (s.sixteenBit ? 0x10 : 0);
      if (s.typeOverride >= 0) type = s.typeOverride;
      o.u8(type);
      o.u8(s.panning);
      o.u8(static_cast<std::uint8_t>(s.relativeNote));
      o.u8(0);
      o.text(s.name, 22);
    }
    for (const auto& d : data) o.bytes.insert(o.bytes.end(), d.begin(), d.end());
  }
  return o.bytes;
}

Sample ConstantSample(std::uint32_t length, std::int16_t value) {
  Sample s;
  s.values.assign(length, value);
  s.sixteenBit = true;
  return s;
}

Instrument OneSampleInstrument(Sample sample) {
  Instrument ins;
  ins.samples.push_back(std::move(sample));
  return ins;
}

Module SimpleModule(int channels, std::vector<Sample> samples, bool linear) {
  Module m;
  m.name = "simple";
  m.channels = channels;
  m.linear = linear;
  m.orders = {0};
  m.addPattern(64);
  for (Sample& s : samples) m.instruments.push_back(OneSampleInstrument(std::move(s)));
  return m;
}

Module TinyLoopModule() {
  std::vector<Sample> samples;
  for (const Loop loop : {Loop::Forward, Loop::PingPong}) {
    Sample s = ConstantSample(2, 0x2000);
    s.loop = loop;
    s.loopLength = 1;
    s.relativeNote = -1;
    samples.push_back(s);
  }
  Module m = SimpleModule(32, samples, true);
  m.name = "tiny loops";
  m.speed = 1;
  m.bpm = 32767;
  for (int row = 0; row < 64; ++row) {
    for (int c = 0; c < 32; ++c) m.cell(0, row, c) = {1, static_cast<std::uint8_t>(1 + c % 2), 0, 0, 0};
  }
  return m;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace korveld::xmgen
