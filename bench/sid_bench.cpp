// SID player speed: each embedded tune rendered offline (play routine plus
// synthesis), as a multiple of real time, and the interpreter alone in
// instructions per second.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "content/sid/sid_tunes.hpp"
#include "sid/cpu.hpp"
#include "sid/synthesis.hpp"
#include "sid/tune.hpp"

namespace {

using namespace korveld::sid;

void BM_RenderTune(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto s = std::make_unique<SidState>();
  SidReset(*s, kMixingRate);
  LoadTuneImage(*s, korveld::content::SidTuneTable()[n].image);
  CallInit(*s, 0);
  std::array<std::int16_t, kFrameSamples> frame{};
  double frames = 0, instructions = 0;
  for (auto _ : state) {
    RenderFrame(*s, frame.data(), kFrameSamples);
    benchmark::DoNotOptimize(frame.data());
    frames += 1;
    instructions += s->counters.lastInstructions;
  }
  // One frame is 1/50 s of sound: the rate of this counter is the real-time multiple.
  state.counters["x_realtime"] = benchmark::Counter(frames / 50.0, benchmark::Counter::kIsRate);
  state.counters["play_instr/s"] = benchmark::Counter(instructions, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderTune)->DenseRange(1, 12)->Unit(benchmark::kMicrosecond);

// Synthesis alone: three voices with the filter on, 882 samples per call.
void BM_Synthesis(benchmark::State& state) {
  auto s = std::make_unique<SidState>();
  SidReset(*s, kMixingRate);
  const std::uint8_t regs[25] = {0x00, 0x10, 0x00, 0x08, 0x41, 0x09, 0xA8, 0x00, 0x18, 0x00, 0x04, 0x21, 0x09,
                                 0xA8, 0x00, 0x30, 0x00, 0x08, 0x15, 0x09, 0xA8, 0x00, 0x40, 0xF7, 0x3F};
  for (int r = 0; r < 25; ++r) SidWriteRegister(*s, r, regs[r]);
  std::array<std::int16_t, kFrameSamples> frame{};
  for (auto _ : state) {
    SidRender(*s, frame.data(), kFrameSamples);
    benchmark::DoNotOptimize(frame.data());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(state.iterations()) / 50.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Synthesis)->Unit(benchmark::kMicrosecond);

// The interpreter alone: a routine of nested counting loops with loads,
// stores, arithmetic and branches.
void BM_Interpreter(benchmark::State& state) {
  auto s = std::make_unique<SidState>();
  SidReset(*s, kMixingRate);
  // LDX #100; outer: LDY #100; inner: LDA $40,X; CLC; ADC #3; STA $40,X; DEY; BNE inner; DEX; BNE outer; RTS
  const std::uint8_t code[] = {0xA2, 0x64, 0xA0, 0x64, 0xB5, 0x40, 0x18, 0x69, 0x03, 0x95,
                               0x40, 0x88, 0xD0, 0xF6, 0xCA, 0xD0, 0xF1, 0x60};
  for (std::size_t i = 0; i < sizeof code; ++i) s->memory.bytes[0x1000 + i] = code[i];
  double instructions = 0;
  for (auto _ : state) {
    instructions += CallRoutine(*s, 0x1000, 0);
  }
  state.counters["instr/s"] = benchmark::Counter(instructions, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Interpreter)->Unit(benchmark::kMicrosecond);

}  // namespace
