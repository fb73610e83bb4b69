// The floor a frame's cost is read against: a bare copy of a whole 800 x 600
// frame and a bare fill of one, timed in the same run as the frame, one of
// each after every frame, so a slower or busier machine moves both alike.
// The figures are the thread's CPU time, not the wall clock.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "render/screen.hpp"

namespace korveld::bench {

inline double ThreadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Runs frame() once an iteration and reports its CPU time as the benchmark's
// time (register with ->UseManualTime()); the counters give the copy and the
// fill beside it and the frame as a multiple of the copy ("x_copy").
template <class Frame>
void TimeAgainstFloor(benchmark::State& state, Frame&& frame) {
  auto source = std::make_unique<render::ScreenBuffer>();
  auto target = std::make_unique<render::ScreenBuffer>();
  for (std::size_t i = 0; i < source->pixels.size(); ++i) source->pixels[i] = static_cast<std::uint32_t>(i * 2654435761u);
  double frameSeconds = 0, copySeconds = 0, fillSeconds = 0;
  std::uint32_t colour = 0;
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    frame();
    const double t1 = ThreadSeconds();
    std::memcpy(target->pixels.data(), source->pixels.data(), sizeof(target->pixels));
    benchmark::DoNotOptimize(target->pixels.data());
    benchmark::ClobberMemory();
    const double t2 = ThreadSeconds();
    std::fill(target->pixels.begin(), target->pixels.end(), ++colour);
    benchmark::DoNotOptimize(target->pixels.data());
    benchmark::ClobberMemory();
    const double t3 = ThreadSeconds();
    frameSeconds += t1 - t0;
    copySeconds += t2 - t1;
    fillSeconds += t3 - t2;
    state.SetIterationTime(t1 - t0);
  }
  const double n = static_cast<double>(state.iterations());
  if (n == 0 || copySeconds <= 0) return;
  state.counters["copy_us"] = copySeconds / n * 1e6;
  state.counters["fill_us"] = fillSeconds / n * 1e6;
  state.counters["x_copy"] = frameSeconds / copySeconds;
}

}  // namespace korveld::bench
