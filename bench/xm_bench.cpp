// Render speed of the XM player on the four embedded modules, offline
// through FillBlock, as a multiple of real time ("x_realtime").
#include <benchmark/benchmark.h>

#include <memory>
#include <span>
#include <vector>

#include "content/xm/xm_modules.hpp"
#include "tools/xmgen/xm_writer.hpp"
#include "xm/xm_player.hpp"

namespace {

using namespace korveld;

constexpr int kSecondsPerIteration = 10;

int BlocksFor(double seconds) { return static_cast<int>(seconds * xm::kMixRate / xm::kBlockFrames) + 1; }

// Loads the image and renders kSecondsPerIteration seconds an iteration.
// Returns the player (null when the image does not load) for the counters.
std::unique_ptr<xm::XmPlayer> RenderImage(benchmark::State& state, std::span<const std::uint8_t> image) {
  auto player = std::make_unique<xm::XmPlayer>();
  if (!xm::LoadSongFromMemory(*player, image.data(), static_cast<std::int32_t>(image.size()))) {
    state.SkipWithError("module does not load");
    return nullptr;
  }
  for (auto _ : state) {
    xm::BeginOfflineRender(*player, player->CurrentSong.get());
    for (int b = 0; b < BlocksFor(kSecondsPerIteration); ++b) xm::FillBlock(*player);
    benchmark::DoNotOptimize(player->deviceBuffer.data());
  }
  state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(kSecondsPerIteration) * state.iterations(),
                                                    benchmark::Counter::kIsRate);
  return player;
}

void BM_RenderModule(benchmark::State& state) {
  const auto player = RenderImage(state, content::XmModuleImage(static_cast<int>(state.range(0))));
  if (player == nullptr) return;
  state.counters["channels"] = player->CurrentSong->channelCount;
  xm::StopSong(*player);
}
BENCHMARK(BM_RenderModule)->DenseRange(1, 4)->Unit(benchmark::kMillisecond);

// The mixer's worst cases, at the fastest tempo with every voice ramping all
// the time (see TinyLoopModule): 1-value loops at real note 255, where every
// frame of every voice wraps; and 16-value loops at real note 123 (a step of
// 14.4 values), where every segment is one or two frames long.
void RenderTinyLoops(benchmark::State& state, std::uint32_t length, std::int8_t relativeNote) {
  xmgen::Module m = xmgen::TinyLoopModule();
  for (xmgen::Instrument& instrument : m.instruments) {
    xmgen::Sample& s = instrument.samples[0];
    s.values.assign(length + 1, 0x2000);
    s.loopLength = length;
    s.relativeNote = relativeNote;
  }
  const std::vector<std::uint8_t> image = xmgen::WriteXm(m);
  const auto player = RenderImage(state, image);
  if (player == nullptr) return;
  int active = 0;
  for (const xm::MixVoice& v : player->voices) active += v.sample != nullptr;
  state.counters["voices"] = active;
  xm::StopSong(*player);
}

void BM_TinyLoopsAtTheHighestStep(benchmark::State& state) { RenderTinyLoops(state, 1, -1); }
BENCHMARK(BM_TinyLoopsAtTheHighestStep)->Unit(benchmark::kMillisecond);

void BM_LoopsJustLongerThanTheStep(benchmark::State& state) { RenderTinyLoops(state, 16, 123); }
BENCHMARK(BM_LoopsJustLongerThanTheStep)->Unit(benchmark::kMillisecond);

}  // namespace
