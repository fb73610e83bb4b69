// Output and song control: a looping device buffer of 100 blocks that the
// output thread re-renders block by block behind the device's play position.
#include <cstring>
#include <thread>

#include "xm/xm_player.hpp"

namespace korveld::xm {
namespace {

constexpr int kPollMs = 5;
constexpr int kStopWaitMs = 10;
constexpr std::size_t kAlignment = 16;

platform::PcmFormat StereoFormat() {
  platform::PcmFormat format;
  format.channels = 2;
  format.samplesPerSecond = kMixRate;
  format.bitsPerSample = 16;
  return format;
}

// Everything a song start sets before the buffers: sizes, voices, song
// state, channels and the position ring.
void PrepareSong(XmPlayer& player, XmSong& song) {
  player.blockLength = kBlockFrames;
  player.ringLength = kRingFrames;
  player.rampLength = (kMixRate * 128) / 44100;
  player.rampReciprocal = 1.0f / static_cast<float>(player.rampLength);
  player.blockCount = player.ringLength / player.blockLength;
  ResetSongState(player, song);
  player.PlayingSong = &song;
  player.positionRing = std::make_unique<std::atomic<std::uint16_t>[]>(static_cast<std::size_t>(player.blockCount));
  for (int i = 0; i < player.blockCount; ++i) player.positionRing[static_cast<std::size_t>(i)].store(0);
  player.fillBlock = 0;
  player.audibleBlock.store(0, std::memory_order_relaxed);
}

void AllocateBuffers(XmPlayer& player) {
  player.deviceBuffer.assign(static_cast<std::size_t>(player.ringLength) * 2, 0);
  player.mixStorage.assign(static_cast<std::size_t>(player.ringLength) * 2 + 256 / sizeof(float), 0.0f);
  auto address = reinterpret_cast<std::uintptr_t>(player.mixStorage.data());
  address = (address + kAlignment - 1) & ~(std::uintptr_t{kAlignment} - 1);
  player.mixBuffer = reinterpret_cast<float*>(address);
}

}  // namespace

void FillBlock(XmPlayer& player) {
  XmSong& song = *player.PlayingSong;
  const int block = player.fillBlock;
  const std::int32_t blockStart = block * player.blockLength;
  float* mix = player.mixBuffer + static_cast<std::size_t>(blockStart) * 2;
  std::memset(mix, 0, sizeof(float) * 2 * static_cast<std::size_t>(player.blockLength));

  std::int32_t counter = song.samplesUntilNextTick;
  std::int32_t done = 0;
  while (done < player.blockLength) {
    if (counter == 0) {
      song.tickProcedure(player, song);
      counter = song.samplesPerTick;  // after the tick: a new BPM applies at once
    }
    std::int32_t n = counter;
    if (n > player.blockLength - done) n = player.blockLength - done;
    MixVoices(player, mix + static_cast<std::size_t>(done) * 2, n);
    done += n;
    counter -= n;
  }
  const auto entry = static_cast<std::uint16_t>((song.order & 0xFF) | ((song.row & 0xFF) << 8));
  player.positionRing[static_cast<std::size_t>(block)].store(entry, std::memory_order_release);
  song.samplesUntilNextTick = counter;

  std::int16_t* pcm = player.deviceBuffer.data() + static_cast<std::size_t>(blockStart) * 2;
  ClipToPcm16(pcm, mix, player.blockLength);
  if (player.deviceStarted) {
    // The device keeps its own copy of the loop: hand it the new block.
    player.platform->loopingDevice().write(static_cast<std::size_t>(blockStart) * kBytesPerFrame,
                                           reinterpret_cast<const std::uint8_t*>(pcm),
                                           static_cast<std::size_t>(player.blockLength) * kBytesPerFrame);
  }
  player.fillBlock += 1;
  if (player.fillBlock >= player.blockCount) player.fillBlock = 0;
}

void OutputThread(XmPlayer& player) {
  platform::LoopingDevice& device = player.platform->loopingDevice();
  platform::ThreadService& threads = player.platform->threads();
  const int blocks = player.ringLength / player.blockLength;
  player.threadFinished.store(0, std::memory_order_release);
  while (player.stopRequest.load(std::memory_order_acquire) == 0) {
    const std::uint64_t bytes = device.positionBytes();
    const std::uint64_t frames = bytes / kBytesPerFrame;
    const int cursor = static_cast<int>((frames % static_cast<std::uint64_t>(player.ringLength)) /
                                        static_cast<std::uint64_t>(player.blockLength));
    while (player.fillBlock != cursor) {
      player.mixing.store(1, std::memory_order_release);
      FillBlock(player);
      int audible = player.audibleBlock.load(std::memory_order_relaxed) + 1;
      if (audible >= blocks) audible = 0;
      player.audibleBlock.store(audible, std::memory_order_release);
      player.mixing.store(0, std::memory_order_release);
    }
    threads.sleepMs(kPollMs);
  }
  player.threadFinished.store(1, std::memory_order_release);
}

bool PlaySong(XmPlayer& player, XmSong* song) {
  if (song == nullptr) return false;
  StopSong(player, song);
  if (player.platform == nullptr) return false;
  PrepareSong(player, *song);

  platform::LoopingDevice& device = player.platform->loopingDevice();
  if (!device.open(StereoFormat())) return false;  // the ring stays until StopSong
  player.deviceOpen = true;
  AllocateBuffers(player);

  // Prime: the whole ring is rendered before the device starts.
  do {
    FillBlock(player);
  } while (player.fillBlock != 0);

  if (!device.start(reinterpret_cast<const std::uint8_t*>(player.deviceBuffer.data()),
                    player.deviceBuffer.size() * sizeof(std::int16_t))) {
    StopSong(player, song);
    return false;
  }
  player.deviceStarted = true;
  player.stopRequest.store(0, std::memory_order_release);
  // Marked running before the thread exists, so a StopSong right after this
  // waits for the thread's end rather than for its start.
  player.threadFinished.store(0, std::memory_order_release);
  player.thread = player.platform->threads().start([&player] { OutputThread(player); });
  if (player.thread == 0) {
    player.threadFinished.store(1, std::memory_order_release);
    StopSong(player, song);
    return false;
  }
  return true;
}

bool BeginOfflineRender(XmPlayer& player, XmSong* song) {
  if (song == nullptr) return false;
  StopSong(player, song);
  PrepareSong(player, *song);
  // Offline, each block is taken before the next is filled: a ring of one
  // block will do, and a process that renders a few seconds does not fault
  // in and clear the other 99 blocks' megabyte.
  player.ringLength = player.blockLength;
  player.blockCount = 1;
  AllocateBuffers(player);
  return true;
}

const std::int16_t* BlockPcm(const XmPlayer& player, int block) {
  return player.deviceBuffer.data() + static_cast<std::size_t>(block) * player.blockLength * 2;
}

bool StopSong(XmPlayer& player, XmSong* song) {
  if (song == nullptr) return false;
  player.stopRequest.store(1, std::memory_order_release);
  while (player.mixing.load(std::memory_order_acquire) != 0) std::this_thread::yield();
  if (player.thread != 0) {
    platform::ThreadService& threads = player.platform->threads();
    while (player.threadFinished.load(std::memory_order_acquire) == 0) threads.sleepMs(kStopWaitMs);
    threads.join(player.thread);
    player.thread = 0;
  }
  player.mixStorage = {};
  player.mixBuffer = nullptr;
  player.deviceBuffer = {};
  player.PlayingSong = nullptr;
  player.positionRing.reset();
  if (player.deviceOpen) {
    platform::LoopingDevice& device = player.platform->loopingDevice();
    device.reset();
    device.close();
    player.deviceOpen = false;
  }
  player.deviceStarted = false;
  player.fillBlock = 0;
  player.audibleBlock.store(0, std::memory_order_relaxed);
  return true;
}

// ----------------------------------------------------------- audible position --

std::uint16_t RingEntry(const XmPlayer& player, int block) {
  if (!player.positionRing || block < 0 || block >= player.blockCount) return 0;
  return player.positionRing[static_cast<std::size_t>(block)].load(std::memory_order_acquire);
}

std::uint8_t GetAudibleOrder(const XmPlayer& player, const XmSong* song) {
  if (song == nullptr || !player.positionRing) return 0;
  return static_cast<std::uint8_t>(RingEntry(player, player.audibleBlock.load(std::memory_order_acquire)) & 0xFF);
}

std::uint8_t GetAudibleRow(const XmPlayer& player, const XmSong* song) {
  if (song == nullptr || !player.positionRing) return 0;
  return static_cast<std::uint8_t>(RingEntry(player, player.audibleBlock.load(std::memory_order_acquire)) >> 8);
}

std::uint32_t GetAudibleNote(const XmPlayer& player, int channel) {
  const XmSong* song = player.CurrentSong.get();
  if (song == nullptr || channel < 0 || channel >= song->channelCount) return 0;
  // One read of the block index serves both order and row.
  std::uint16_t entry = 0;
  if (player.positionRing) entry = RingEntry(player, player.audibleBlock.load(std::memory_order_acquire));
  const int order = entry & 0xFF;
  const int row = entry >> 8;
  if (order >= song->songLength) return 0;
  const XmPattern& pattern = song->patternAt(order);
  if (row >= pattern.rows) return 0;
  const PatternCell& cell = pattern.cells[static_cast<std::size_t>(row) * song->channelCount + channel];
  return static_cast<std::uint32_t>(static_cast<std::uint16_t>(cell.note | (cell.instrument << 8)));
}

}  // namespace korveld::xm
