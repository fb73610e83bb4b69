// The thread service on the operating system's own threads, for the backends
// that play on real time (the desktop and the browser), and the sound
// output's completion thread on them. The headless backend runs its threads
// in lockstep with its virtual clock instead.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "platform/audio.hpp"
#include "platform/sound_output.hpp"

namespace korveld::platform {

class SystemThreads final : public ThreadService {
 public:
  // `raisePriority` runs first on every thread; empty where the system
  // offers no priorities.
  explicit SystemThreads(std::function<void()> raisePriority = {}) : raisePriority_(std::move(raisePriority)) {}
  ~SystemThreads() override;
  Handle start(std::function<void()> body) override;
  void join(Handle thread) override;
  void sleepMs(int ms) override;

 private:
  std::function<void()> raisePriority_;
  std::mutex mutex_;
  std::map<Handle, std::thread> threads_;
  Handle next_ = 1;
};

// The completion thread on real time: it sleeps until the sink's pulls (or
// the players) hand it work.
class SystemCompletionThread final : public CompletionThread {
 public:
  explicit SystemCompletionThread(ThreadService& threads) : threads_(threads) {}
  void Start(std::function<void()> body) override { handle_ = threads_.start(std::move(body)); }
  void Join() override {
    threads_.join(handle_);
    handle_ = 0;
  }
  void WaitForWork(std::unique_lock<std::mutex>& lock, std::int64_t, const std::function<bool()>& ready) override {
    changed_.wait(lock, ready);
  }
  void WaitForHandBack(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready) override {
    changed_.wait(lock, ready);
  }
  void WaitForRefill(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit,
                     const std::function<bool()>& ready) override {
    changed_.wait_for(lock, limit, ready);
  }
  void Wake() override { changed_.notify_all(); }

 private:
  ThreadService& threads_;
  ThreadService::Handle handle_ = 0;
  std::condition_variable changed_;
};

}  // namespace korveld::platform
