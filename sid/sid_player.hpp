// The C64 tune player: tune control as the rest of the program sees it, and
// the two-buffer stream that keeps the sound device fed from its completion
// notifications.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.hpp"
#include "sid/sid_state.hpp"

namespace korveld::sid {

inline constexpr int kBufferFrames = 8;
inline constexpr int kBufferSamples = kBufferFrames * kFrameSamples;  // 7056 = 160 ms
inline constexpr std::uint32_t kBufferBytes = kBufferSamples * 2;     // 14112

struct SidPlayer;
using RefillProcedure = void (*)(SidPlayer& player, platform::WaveHeader* header, std::uint32_t argument);

// What the completion of one buffer does: nothing when the procedure is empty.
struct RefillRecord {
  RefillProcedure procedure = nullptr;
  std::uint32_t argument = 0;
};

struct WaveStream {
  bool open = false;  // a device is open (main thread only)
  std::array<std::int16_t, kBufferSamples> bufferA{};
  std::array<std::int16_t, kBufferSamples> bufferB{};
  platform::WaveHeader headerA;
  platform::WaveHeader headerB;
  RefillRecord recordA;  // records: guarded by SidPlayer::refillLock
  RefillRecord recordB;
};

struct SidPlayer {
  platform::Platform* platform = nullptr;
  SidState state;
  WaveStream stream;
  // Held by a refill for as long as it runs, and by SidStop while it empties
  // the records: a stop never overlaps a refill, and a refill that starts
  // after the stop finds nothing to do.
  std::mutex refillLock;
  std::atomic<bool> stopping{false};
  // Error texts waiting for the main thread to show them. A box blocks until
  // the user dismisses it, so the refill (which holds refillLock) only
  // queues its errors and never waits for the user.
  std::mutex errorLock;
  std::vector<std::string> pendingErrors;  // guarded by errorLock
};

void SidPlayerInit(SidPlayer& player, platform::Platform& platform);
// Halts the current tune and starts tune n (1..12) of the embedded table on
// the same device; any other n stops and closes the device.
void PlaySidTune(SidPlayer& player, int n);
// The refills end and the queued buffers come back; the device stays open.
void SidHalt(SidPlayer& player);
// SidHalt, then the device is closed.
void SidStop(SidPlayer& player);
void SidResume(SidPlayer& player);
// Starts an image paused: reset, load, init, sixteen frames queued.
void SidStart(SidPlayer& player, std::span<const std::uint8_t> image, std::uint8_t song);
// The device's completion callback; instance is the SidPlayer.
void OnWaveDone(void* instance, platform::WaveHeader* header);
void RefillBuffer(SidPlayer& player, platform::WaveHeader* header, std::uint32_t argument);
// Queues the device's text for the code; safe on any thread and under any lock.
void ReportWaveError(SidPlayer& player, int code);
// Main thread, no player lock held: shows the queued errors, oldest first,
// each in a box captioned "Error". PlaySidTune and SidStop do this on their
// way out; the intro loop does it once per frame.
void ShowPendingErrors(SidPlayer& player);

}  // namespace korveld::sid
