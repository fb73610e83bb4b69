// Render speed of the XM player on the four embedded modules, offline
// through FillBlock, as a multiple of real time ("x_realtime").
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "content/xm/xm_modules.hpp"
#include "tools/xmgen/xm_writer.hpp"
#include "xm/xm_player.hpp"

namespace {

using namespace korveld;

constexpr int kSecondsPerIteration = 10;

int BlocksFor(double seconds) { return static_cast<int>(seconds * xm::kMixRate / xm::kBlockFrames) + 1; }

// Renders `seconds` of tune n from its start; returns the CPU time taken.
double RenderSeconds(xm::XmPlayer& player, double seconds) {
  xm::BeginOfflineRender(player, player.CurrentSong.get());
  const auto start = std::chrono::steady_clock::now();
  const int blocks = BlocksFor(seconds);
  for (int b = 0; b < blocks; ++b) xm::FillBlock(player);
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  benchmark::DoNotOptimize(player.deviceBuffer.data());
  xm::StopSong(player);
  return elapsed;
}

bool LoadTune(xm::XmPlayer& player, int n) {
  const auto image = content::XmModuleImage(n);
  return xm::LoadSongFromMemory(player, image.data(), static_cast<std::int32_t>(image.size()));
}

void BM_RenderModule(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto player = std::make_unique<xm::XmPlayer>();
  if (!LoadTune(*player, n)) {
    state.SkipWithError("module does not load");
    return;
  }
  for (auto _ : state) {
    xm::BeginOfflineRender(*player, player->CurrentSong.get());
    for (int b = 0; b < BlocksFor(kSecondsPerIteration); ++b) xm::FillBlock(*player);
    benchmark::DoNotOptimize(player->deviceBuffer.data());
  }
  state.counters["channels"] = player->CurrentSong->channelCount;
  state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(kSecondsPerIteration) * state.iterations(),
                                                    benchmark::Counter::kIsRate);
  xm::StopSong(*player);
}
BENCHMARK(BM_RenderModule)->DenseRange(1, 4)->Unit(benchmark::kMillisecond);

// The mixer's worst case: every channel of a 32-channel module plays a
// 1-value loop (forward and ping-pong alternating) at real note 255, a step
// of about 29,560 values, so every frame of every voice meets a loop
// boundary. Two rows of notes keep both voices of every pair running.
std::vector<std::uint8_t> TinyLoopModule() {
  xmgen::Module m;
  m.name = "tiny loops";
  m.channels = 32;
  m.linear = true;
  m.orders = {0};
  m.addPattern(64);
  for (const xmgen::Loop loop : {xmgen::Loop::Forward, xmgen::Loop::PingPong}) {
    xmgen::Sample s;
    s.values = {0x2000, 0x2000};
    s.sixteenBit = true;
    s.loop = loop;
    s.loopLength = 1;
    s.relativeNote = -1;
    xmgen::Instrument ins;
    ins.samples.push_back(s);
    m.instruments.push_back(ins);
  }
  for (int row = 0; row < 2; ++row) {
    for (int c = 0; c < 32; ++c) m.patterns[0].at(row, c, 32) = {1, static_cast<std::uint8_t>(1 + c % 2), 0, 0, 0};
  }
  return xmgen::WriteXm(m);
}

void BM_TinyLoopsAtTheHighestStep(benchmark::State& state) {
  const std::vector<std::uint8_t> image = TinyLoopModule();
  auto player = std::make_unique<xm::XmPlayer>();
  if (!xm::LoadSongFromMemory(*player, image.data(), static_cast<std::int32_t>(image.size()))) {
    state.SkipWithError("module does not load");
    return;
  }
  for (auto _ : state) {
    xm::BeginOfflineRender(*player, player->CurrentSong.get());
    for (int b = 0; b < BlocksFor(kSecondsPerIteration); ++b) xm::FillBlock(*player);
    benchmark::DoNotOptimize(player->deviceBuffer.data());
  }
  int active = 0;
  for (const xm::MixVoice& v : player->voices) active += v.sample != nullptr;
  state.counters["voices"] = active;
  state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(kSecondsPerIteration) * state.iterations(),
                                                    benchmark::Counter::kIsRate);
  xm::StopSong(*player);
}
BENCHMARK(BM_TinyLoopsAtTheHighestStep)->Unit(benchmark::kMillisecond);


}  // namespace
