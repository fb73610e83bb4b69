// Sound devices and the thread service the two players run on.
//
// Nothing here knows SDL: the players (sid/, xm/) are written against these
// interfaces. Both devices are written once (platform/sound_output.hpp) over
// a sink each backend supplies: SDL's pull callback on the desktop, the audio
// worklet's ring in the browser, the virtual clock on the headless backend.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace korveld::platform {

// 16-bit signed little-endian PCM at a fixed rate.
struct PcmFormat {
  int channels = 1;
  int samplesPerSecond = 44100;
  int bitsPerSample = 16;
  int blockAlign() const { return channels * bitsPerSample / 8; }
};

// Result codes of the buffer-queue device; 0 is success.
enum WaveResult : int {
  kWaveOk = 0,
  kWaveError = 1,          // unspecified failure
  kWaveBadDevice = 2,      // no usable output device
  kWaveInvalidHandle = 5,  // the device is not open
  kWaveNoMemory = 7,
  kWaveInvalidParam = 11,
  kWaveBadFormat = 32,
  kWaveStillPlaying = 33,  // the buffer is queued and cannot be unprepared
  kWaveUnprepared = 34,    // the buffer was not prepared before write
};

// Header flags of a queued buffer.
inline constexpr std::uint32_t kHeaderDone = 0x1;
inline constexpr std::uint32_t kHeaderPrepared = 0x2;
inline constexpr std::uint32_t kHeaderQueued = 0x10;

struct WaveHeader {
  const std::uint8_t* data = nullptr;
  std::uint32_t length = 0;   // bytes
  std::uint32_t flags = 0;    // kHeader* bits, maintained by the device
  void* user = nullptr;       // owner's cookie, untouched by the device
};

// Called once per buffer when the device has finished playing it (or when
// reset hands it back), on the device's own notification thread.
using WaveDoneCallback = void (*)(void* instance, WaveHeader* header);

// A PCM output fed with a queue of caller-owned buffers. Buffers play in the
// order written; each completion is reported through the callback. The
// caller's buffer memory must stay valid until its completion arrives or
// reset() returns.
class BufferQueueDevice {
 public:
  virtual ~BufferQueueDevice() = default;
  virtual int open(const PcmFormat& format, WaveDoneCallback callback, void* instance) = 0;
  virtual int pause() = 0;
  virtual int restart() = 0;
  // Stops playback and hands every queued buffer back as done. When it
  // returns no completion callback is running or will run for those buffers.
  virtual int reset() = 0;
  virtual int close() = 0;
  virtual int prepare(WaveHeader* header) = 0;
  virtual int unprepare(WaveHeader* header) = 0;
  virtual int write(WaveHeader* header) = 0;
};

// prepare() and unprepare() as every queue device does them: a buffer with
// data is marked prepared; a queued one cannot be unprepared.
inline int PrepareWaveHeader(bool open, WaveHeader* header) {
  if (!open) return kWaveInvalidHandle;
  if (!header || !header->data) return kWaveInvalidParam;
  header->flags |= kHeaderPrepared;
  return kWaveOk;
}
inline int UnprepareWaveHeader(bool open, WaveHeader* header) {
  if (!open) return kWaveInvalidHandle;
  if (!header) return kWaveInvalidParam;
  if (header->flags & kHeaderQueued) return kWaveStillPlaying;
  header->flags &= ~kHeaderPrepared;
  return kWaveOk;
}

// A PCM output that plays one buffer over and over and reports how many bytes
// of it the listener has heard since start(). The device keeps its own copy
// of the loop: start() takes the initial contents, write() replaces a region
// of it. This keeps the player's buffer and the device's reader from ever
// sharing memory.
class LoopingDevice {
 public:
  virtual ~LoopingDevice() = default;
  virtual bool open(const PcmFormat& format) = 0;
  virtual bool start(const std::uint8_t* data, std::size_t bytes) = 0;
  virtual void write(std::size_t offset, const std::uint8_t* data, std::size_t bytes) = 0;
  virtual std::uint64_t positionBytes() = 0;
  virtual void reset() = 0;
  virtual void close() = 0;
};

// Threads for the players, started at the highest priority the system
// grants. Sleeping through this service (not the standard library) matters:
// the headless backend runs these threads in lockstep with its virtual clock.
class ThreadService {
 public:
  virtual ~ThreadService() = default;
  using Handle = int;  // 0 means none
  virtual Handle start(std::function<void()> body) = 0;
  virtual void join(Handle thread) = 0;
  virtual void sleepMs(int ms) = 0;
};

}  // namespace korveld::platform
