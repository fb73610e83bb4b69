// A sound sink pulled by hand, told when to fail or be lost; no hand-backs.
#pragma once

#include "platform/sound_output.hpp"

namespace korveld::testing {

struct HandSink : platform::SoundSink {
  int starts = 0;
  bool failStart = false, lost = false;
  std::int64_t latency = 0;
  bool Start(platform::SoundOutput&) override {
    ++starts;
    lost = false;
    return !failStart;
  }
  void Stop() override {}
  bool Lost() override { return lost; }
  std::int64_t LatencyFrames() override { return latency; }
  void Drain(std::int64_t) override {}
};

struct NoCompletions : platform::CompletionThread {
  void Start(std::function<void()>) override {}
  void Join() override {}
  void WaitForWork(std::unique_lock<std::mutex>&, std::int64_t, const std::function<bool()>&) override {}
  void WaitForHandBack(std::unique_lock<std::mutex>&, const std::function<bool()>&) override {}
  void Wake() override {}
};

}  // namespace korveld::testing
