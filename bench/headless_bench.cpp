// The cost of one presented frame on the headless backend (hash, frame
// kind, clock step, script step), and of the lockstep hand-over a player
// thread pays on every sleep.
#include <benchmark/benchmark.h>

#include <atomic>

#include "platform/headless.hpp"
#include "render/screen.hpp"

namespace {

using korveld::platform::HeadlessPlatform;

void BM_HeadlessFrame(benchmark::State& state) {
  HeadlessPlatform platform({}, {});
  korveld::render::ScreenBuffer frame;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) frame.at(x, y) = static_cast<std::uint32_t>(x * 7 + y * 13);
  for (auto _ : state) {
    platform.update(frame.pixels.data());
    benchmark::DoNotOptimize(platform.frames().back().hash);
  }
}
BENCHMARK(BM_HeadlessFrame)->Unit(benchmark::kMicrosecond);

void BM_LockstepSleepWithPlayerThread(benchmark::State& state) {
  HeadlessPlatform platform({}, {});
  std::atomic<bool> stop{false};
  auto& threads = platform.threads();
  const auto handle = threads.start([&] {
    while (!stop.load()) threads.sleepMs(5);
  });
  for (auto _ : state) platform.sleepMs(5);  // one hand-over each way per iteration
  stop = true;
  platform.sleepMs(10);
  threads.join(handle);
}
BENCHMARK(BM_LockstepSleepWithPlayerThread)->Unit(benchmark::kMicrosecond);

}  // namespace
