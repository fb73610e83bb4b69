#include "sid/sid_player.hpp"

#include "content/sid/sid_tunes.hpp"
#include "platform/wave_errors.hpp"
#include "sid/tune.hpp"

namespace korveld::sid {
namespace {

platform::PcmFormat OutputFormat() {
  platform::PcmFormat f;
  f.channels = 1;
  f.samplesPerSecond = kMixingRate;
  f.bitsPerSample = 16;
  return f;
}

platform::BufferQueueDevice& QueueDevice(SidPlayer& p) { return p.platform->queueDevice(); }

std::int16_t* BufferOf(SidPlayer& p, const platform::WaveHeader* header) {
  return header == &p.stream.headerA ? p.stream.bufferA.data() : p.stream.bufferB.data();
}

RefillRecord* RecordOf(SidPlayer& p, const platform::WaveHeader* header) {
  if (header == &p.stream.headerA) return &p.stream.recordA;
  if (header == &p.stream.headerB) return &p.stream.recordB;
  return nullptr;
}

void RenderBuffer(SidPlayer& p, std::int16_t* buffer) {
  for (int f = 0; f < kBufferFrames; ++f) RenderFrame(p.state, buffer + f * kFrameSamples, kFrameSamples);
}

void InitHeader(platform::WaveHeader& h, const std::int16_t* buffer, RefillRecord& record) {
  h.data = reinterpret_cast<const std::uint8_t*>(buffer);
  h.length = kBufferBytes;
  h.flags = 0;
  h.user = &record;
}

// Queues a header with its record armed; nothing when no device is open.
void WriteHeader(SidPlayer& p, platform::WaveHeader& h, RefillRecord& record) {
  if (!p.stream.open) return;
  {
    std::lock_guard<std::mutex> lock(p.refillLock);
    record.procedure = RefillBuffer;
    record.argument = 0;
  }
  const int rc = QueueDevice(p).write(&h);
  if (rc != platform::kWaveOk) ReportWaveError(p, rc);
}

}  // namespace

void SidPlayerInit(SidPlayer& player, platform::Platform& platform) { player.platform = &platform; }

void ReportWaveError(SidPlayer& player, int code) {
  if (player.platform == nullptr) return;
  std::string text = platform::WaveErrorText(code);
  std::lock_guard<std::mutex> lock(player.errorLock);
  player.pendingErrors.push_back(std::move(text));
}

void ShowPendingErrors(SidPlayer& player) {
  std::vector<std::string> errors;
  {
    std::lock_guard<std::mutex> lock(player.errorLock);
    errors.swap(player.pendingErrors);
  }
  if (player.platform == nullptr) return;
  for (const std::string& text : errors) player.platform->messageBox("Error", text);
}

void SidStart(SidPlayer& player, std::span<const std::uint8_t> image, std::uint8_t song) {
  WaveStream& w = player.stream;
  StartTune(player.state, image, song);

  auto& dev = QueueDevice(player);
  // One device serves tune after tune: it is opened by the first start (or
  // the first after a failed open) and closed by SidStop.
  if (!w.open) w.open = dev.open(OutputFormat(), OnWaveDone, &player) == platform::kWaveOk;
  dev.pause();
  {
    std::lock_guard<std::mutex> lock(player.refillLock);
    w.recordA = RefillRecord{};
    w.recordB = RefillRecord{};
  }
  InitHeader(w.headerA, w.bufferA.data(), w.recordA);
  InitHeader(w.headerB, w.bufferB.data(), w.recordB);
  RenderBuffer(player, w.bufferA.data());
  RenderBuffer(player, w.bufferB.data());
  int rc = dev.prepare(&w.headerA);
  if (rc != platform::kWaveOk) ReportWaveError(player, rc);
  rc = dev.prepare(&w.headerB);
  if (rc != platform::kWaveOk) ReportWaveError(player, rc);
  WriteHeader(player, w.headerA, w.recordA);
  WriteHeader(player, w.headerB, w.recordB);
}

void SidResume(SidPlayer& player) {
  if (player.stream.open) QueueDevice(player).restart();
}

void SidHalt(SidPlayer& player) {
  WaveStream& w = player.stream;
  if (!w.open) return;
  player.stopping.store(true, std::memory_order_release);
  {
    // Waits for a refill that is running; the records are empty afterwards,
    // so the buffers the reset hands back are not queued again.
    std::lock_guard<std::mutex> lock(player.refillLock);
    w.recordA = RefillRecord{};
    w.recordB = RefillRecord{};
  }
  QueueDevice(player).reset();
  player.stopping.store(false, std::memory_order_release);
}

void SidStop(SidPlayer& player) {
  WaveStream& w = player.stream;
  if (!w.open) return;
  SidHalt(player);
  QueueDevice(player).close();
  w.open = false;
  ShowPendingErrors(player);
}

void PlaySidTune(SidPlayer& player, int n) {
  const auto table = content::SidTuneTable();
  if (n < 1 || n >= static_cast<int>(table.size())) {
    SidStop(player);
    return;
  }
  // The tune changes on the open device: no gap while a device reopens.
  SidHalt(player);
  SidStart(player, table[n].image, table[n].song);
  SidResume(player);
  ShowPendingErrors(player);
}

void OnWaveDone(void* instance, platform::WaveHeader* header) {
  auto* player = static_cast<SidPlayer*>(instance);
  if (player == nullptr || header == nullptr) return;
  if (player->stopping.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> lock(player->refillLock);
  RefillRecord* record = RecordOf(*player, header);
  if (record == nullptr || record != header->user || record->procedure == nullptr) return;
  record->procedure(*player, header, record->argument);
}

// Runs on the completion thread with refillLock held.
void RefillBuffer(SidPlayer& player, platform::WaveHeader* header, std::uint32_t argument) {
  auto& dev = QueueDevice(player);
  if (header->flags & platform::kHeaderPrepared) {
    const int rc = dev.unprepare(header);
    if (rc != platform::kWaveOk) ReportWaveError(player, rc);
  }
  RenderBuffer(player, BufferOf(player, header));
  header->length = kBufferBytes;
  int rc = dev.prepare(header);
  if (rc != platform::kWaveOk) ReportWaveError(player, rc);
  RefillRecord* record = RecordOf(player, header);
  record->procedure = RefillBuffer;
  record->argument = argument;
  rc = dev.write(header);
  if (rc != platform::kWaveOk) ReportWaveError(player, rc);
}

}  // namespace korveld::sid
