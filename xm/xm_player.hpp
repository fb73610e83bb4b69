// The XM module player: loader, replay, mixer, output thread and the
// audible-position queries, over one XmPlayer record.
//
// Threads: the caller's thread loads, plays, stops and queries; the output
// thread renders blocks while a song plays. They meet only through the
// atomics below (stop request, mixing, thread finished, the audible block
// and the position ring entries).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/platform.hpp"
#include "xm/xm_types.hpp"

namespace korveld::xm {

inline constexpr int kMixRate = 44100;
inline constexpr int kBufferMs = 1000;
inline constexpr int kBlockMs = 20;
// 20 ms of output rounded up to a multiple of 4 frames.
inline constexpr int kBlockFrames = ((kMixRate * kBlockMs) / 1000 + 3) & ~3;
inline constexpr int kBlockCount = 2 * (kBufferMs / kBlockMs);
inline constexpr int kRingFrames = kBlockFrames * kBlockCount;
inline constexpr int kBytesPerFrame = 4;
static_assert(kBlockFrames == 884 && kBlockCount == 100);

struct XmPlayer {
  XmPlayer() = default;
  XmPlayer(const XmPlayer&) = delete;
  XmPlayer& operator=(const XmPlayer&) = delete;
  // Stops a song still playing, so the output thread never outlives the player.
  ~XmPlayer();

  platform::Platform* platform = nullptr;
  // The song loaded last, which the control wrappers play and stop; and the
  // song the output renders, none while nothing plays.
  std::unique_ptr<XmSong> CurrentSong;
  XmSong* PlayingSong = nullptr;

  // Memory source: the image most recently given to LoadSongFromMemory.
  const std::uint8_t* image = nullptr;
  std::int32_t imageSize = 0;
  // Why the last LoadSong refused its module (one line), none after a load.
  const char* loadError = nullptr;

  std::array<MixVoice, kMixVoices> voices{};
  std::array<XmChannel, kChannels> channels{};
  std::int32_t rampLength = 128;
  float rampReciprocal = 1.0f / 128.0f;

  // Output.
  std::int32_t blockLength = kBlockFrames;
  std::int32_t ringLength = kRingFrames;
  std::int32_t blockCount = kBlockCount;
  std::vector<float> mixStorage;
  float* mixBuffer = nullptr;  // 16-byte aligned inside mixStorage
  std::vector<std::int16_t> deviceBuffer;  // ring of 16-bit stereo frames
  std::unique_ptr<std::atomic<std::uint16_t>[]> positionRing;  // order | row << 8
  std::int32_t fillBlock = 0;
  std::atomic<std::int32_t> audibleBlock{0};
  std::atomic<std::uint8_t> stopRequest{0};
  std::atomic<std::uint8_t> mixing{0};
  std::atomic<std::uint8_t> threadFinished{1};
  platform::ThreadService::Handle thread = 0;
  bool deviceOpen = false;
  bool deviceStarted = false;
};

void XmPlayerInit(XmPlayer& player, platform::Platform& platform);

// --- source and loader ---------------------------------------------------
// Copies up to count bytes from the cursor into out and advances past them;
// returns how many there were before the end of the image.
std::int32_t Read(MemoryCursor& cursor, void* out, std::int32_t count);
void Seek(MemoryCursor& cursor, std::int64_t offset, SeekFrom from);
inline std::int32_t Tell(const MemoryCursor& cursor) { return cursor.position; }
bool LoadSongFromMemory(XmPlayer& player, const std::uint8_t* image, std::int32_t size);
std::unique_ptr<XmSong> LoadSong(XmPlayer& player);
bool FreeSong(XmPlayer& player, std::unique_ptr<XmSong>& song);
inline bool FreeSong(XmPlayer& player) { return FreeSong(player, player.CurrentSong); }
std::int32_t GetNumChannels(const XmPlayer& player);

// --- replay ----------------------------------------------------------------
void SetBpm(XmSong& song, std::int32_t bpm);
void UpdateTick(XmPlayer& player, XmSong& song);
void CommitChannel(XmPlayer& player, XmChannel& channel, const XmSample* sample, const XmSong& song);
std::int32_t AmigaPeriod(std::int32_t note, std::int32_t finetune);
// Resets the song's replay state, channels and voices for a start from
// order 0 (the part of PlaySong that touches neither device nor thread).
void ResetSongState(XmPlayer& player, XmSong& song);

// --- mixer -----------------------------------------------------------------
void MixVoices(XmPlayer& player, float* buffer, std::int32_t frames);
void ClipToPcm16(std::int16_t* destination, const float* source, std::int32_t frames);

// --- output and song control -------------------------------------------------
bool PlaySong(XmPlayer& player, XmSong* song);
inline bool PlaySong(XmPlayer& player) { return PlaySong(player, player.CurrentSong.get()); }
bool StopSong(XmPlayer& player, XmSong* song);
inline bool StopSong(XmPlayer& player) { return StopSong(player, player.CurrentSong.get()); }
void FillBlock(XmPlayer& player);
void OutputThread(XmPlayer& player);
// Prepares a song for rendering without device or thread: the song state,
// the mix and PCM buffers and the position ring, as PlaySong sets them up
// before priming. FillBlock then renders one block at a time into
// deviceBuffer; StopSong releases everything again.
bool BeginOfflineRender(XmPlayer& player, XmSong* song);
// The 16-bit frames of block n inside deviceBuffer.
const std::int16_t* BlockPcm(const XmPlayer& player, int block);

// --- audible position --------------------------------------------------------
std::uint8_t GetAudibleOrder(const XmPlayer& player, const XmSong* song);
std::uint8_t GetAudibleRow(const XmPlayer& player, const XmSong* song);
std::uint32_t GetAudibleNote(const XmPlayer& player, int channel);
// The order and row recorded for one block of the ring (0 without a ring).
std::uint16_t RingEntry(const XmPlayer& player, int block);

}  // namespace korveld::xm
