#include "tests/sid/fake_device_helpers.hpp"

#include <cstdlib>

namespace korveld::sid::testing {

using platform::kHeaderDone;
using platform::kHeaderPrepared;
using platform::kHeaderQueued;
using platform::kWaveBadDevice;
using platform::kWaveInvalidHandle;
using platform::kWaveOk;
using platform::kWaveStillPlaying;
using platform::kWaveUnprepared;

// ---- FakeQueueDevice --------------------------------------------------------

int FakeQueueDevice::open(const platform::PcmFormat& f, platform::WaveDoneCallback callback, void* instance) {
  calls.push_back("open");
  if (openFails) return kWaveBadDevice;
  format = f;
  open_ = true;
  callback_ = callback;
  instance_ = instance;
  return kWaveOk;
}

int FakeQueueDevice::pause() {
  calls.push_back("pause");
  if (!open_) return kWaveInvalidHandle;
  paused = true;
  return kWaveOk;
}

int FakeQueueDevice::restart() {
  calls.push_back("restart");
  if (!open_) return kWaveInvalidHandle;
  paused = false;
  return kWaveOk;
}

int FakeQueueDevice::reset() {
  calls.push_back("reset");
  if (!open_) return kWaveInvalidHandle;
  while (!queue.empty()) {
    platform::WaveHeader* h = queue.front();
    queue.pop_front();
    h->flags = (h->flags & ~kHeaderQueued) | kHeaderDone;
    callback_(instance_, h);
  }
  return kWaveOk;
}

int FakeQueueDevice::close() {
  calls.push_back("close");
  if (!open_) return kWaveInvalidHandle;
  if (!queue.empty()) return kWaveStillPlaying;
  open_ = false;
  return kWaveOk;
}

int FakeQueueDevice::prepare(platform::WaveHeader* h) {
  calls.push_back("prepare");
  if (!open_) return kWaveInvalidHandle;
  if (prepareFailure != 0) return prepareFailure;
  h->flags |= kHeaderPrepared;
  return kWaveOk;
}

int FakeQueueDevice::unprepare(platform::WaveHeader* h) {
  calls.push_back("unprepare");
  if (!open_) return kWaveInvalidHandle;
  if (h->flags & kHeaderQueued) return kWaveStillPlaying;
  h->flags &= ~kHeaderPrepared;
  return kWaveOk;
}

int FakeQueueDevice::write(platform::WaveHeader* h) {
  calls.push_back("write");
  if (!open_) return kWaveInvalidHandle;
  if (!(h->flags & kHeaderPrepared)) return kWaveUnprepared;
  h->flags = (h->flags & ~kHeaderDone) | kHeaderQueued;
  const auto* samples = reinterpret_cast<const std::int16_t*>(h->data);
  writes.push_back({h, std::vector<std::int16_t>(samples, samples + h->length / 2)});
  queue.push_back(h);
  return kWaveOk;
}

bool FakeQueueDevice::completeNext() {
  if (!open_ || paused || queue.empty()) return false;
  platform::WaveHeader* h = queue.front();
  queue.pop_front();
  h->flags = (h->flags & ~kHeaderQueued) | kHeaderDone;
  callback_(instance_, h);
  return true;
}

// ---- ThreadedFakeDevice -----------------------------------------------------

ThreadedFakeDevice::ThreadedFakeDevice() : worker_([this] { run(); }) {}

ThreadedFakeDevice::~ThreadedFakeDevice() {
  {
    std::lock_guard<std::mutex> lock(m_);
    quit_ = true;
  }
  cv_.notify_all();
  worker_.join();
}

void ThreadedFakeDevice::run() {
  std::unique_lock<std::mutex> lock(m_);
  for (;;) {
    cv_.wait(lock, [this] { return quit_ || (playing_ && !queue_.empty()); });
    if (quit_) return;
    platform::WaveHeader* h = queue_.front();
    queue_.pop_front();
    h->flags = (h->flags & ~kHeaderQueued) | kHeaderDone;
    inCallback_ = true;
    ++completions_;
    if (!open_) ++lateCallbacks_;
    const auto callback = callback_;
    void* instance = instance_;
    lock.unlock();
    callback(instance, h);
    lock.lock();
    inCallback_ = false;
    cv_.notify_all();
  }
}

int ThreadedFakeDevice::open(const platform::PcmFormat&, platform::WaveDoneCallback callback, void* instance) {
  std::lock_guard<std::mutex> lock(m_);
  open_ = true;
  playing_ = true;
  callback_ = callback;
  instance_ = instance;
  return kWaveOk;
}

bool ThreadedFakeDevice::isOpen() const {
  std::lock_guard<std::mutex> lock(m_);
  return open_;
}

int ThreadedFakeDevice::pause() {
  std::lock_guard<std::mutex> lock(m_);
  if (!open_) return kWaveInvalidHandle;
  playing_ = false;
  return kWaveOk;
}

int ThreadedFakeDevice::restart() {
  std::lock_guard<std::mutex> lock(m_);
  if (!open_) return kWaveInvalidHandle;
  playing_ = true;
  cv_.notify_all();
  return kWaveOk;
}

int ThreadedFakeDevice::reset() {
  std::deque<platform::WaveHeader*> pending;
  platform::WaveDoneCallback callback;
  void* instance;
  {
    std::unique_lock<std::mutex> lock(m_);
    if (!open_) return kWaveInvalidHandle;
    playing_ = false;
    cv_.wait(lock, [this] { return !inCallback_; });
    pending.swap(queue_);
    for (platform::WaveHeader* h : pending) h->flags = (h->flags & ~kHeaderQueued) | kHeaderDone;
    callback = callback_;
    instance = instance_;
  }
  for (platform::WaveHeader* h : pending) callback(instance, h);
  // A callback handed back above may have queued its buffer again.
  std::lock_guard<std::mutex> lock(m_);
  for (platform::WaveHeader* h : queue_) h->flags = (h->flags & ~kHeaderQueued) | kHeaderDone;
  queue_.clear();
  return kWaveOk;
}

int ThreadedFakeDevice::close() {
  std::lock_guard<std::mutex> lock(m_);
  if (!open_) return kWaveInvalidHandle;
  if (!queue_.empty()) return kWaveStillPlaying;
  open_ = false;
  return kWaveOk;
}

int ThreadedFakeDevice::prepare(platform::WaveHeader* h) {
  std::lock_guard<std::mutex> lock(m_);
  if (!open_) return kWaveInvalidHandle;
  h->flags |= kHeaderPrepared;
  return kWaveOk;
}

int ThreadedFakeDevice::unprepare(platform::WaveHeader* h) {
  std::lock_guard<std::mutex> lock(m_);
  if (!open_) return kWaveInvalidHandle;
  if (h->flags & kHeaderQueued) return kWaveStillPlaying;
  h->flags &= ~kHeaderPrepared;
  return kWaveOk;
}

int ThreadedFakeDevice::write(platform::WaveHeader* h) {
  std::lock_guard<std::mutex> lock(m_);
  if (!open_) return kWaveInvalidHandle;
  if (!(h->flags & kHeaderPrepared)) return kWaveUnprepared;
  h->flags = (h->flags & ~kHeaderDone) | kHeaderQueued;
  queue_.push_back(h);
  cv_.notify_all();
  return kWaveOk;
}

long ThreadedFakeDevice::completions() const {
  std::lock_guard<std::mutex> lock(m_);
  return completions_;
}

std::size_t ThreadedFakeDevice::queued() const {
  std::lock_guard<std::mutex> lock(m_);
  return queue_.size();
}

long ThreadedFakeDevice::callbacksWhileClosed() const {
  std::lock_guard<std::mutex> lock(m_);
  return lateCallbacks_;
}

// ---- TestPlatform -----------------------------------------------------------


}  // namespace korveld::sid::testing
