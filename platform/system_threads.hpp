// The thread service on the operating system's own threads, for the backends
// that play on real time (the desktop and the browser). The headless backend
// runs its threads in lockstep with its virtual clock instead.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "platform/audio.hpp"

namespace korveld::platform {

class SystemThreads final : public ThreadService {
 public:
  // `raisePriority` runs first on every thread started with highPriority;
  // empty where the system offers no priorities.
  explicit SystemThreads(std::function<void()> raisePriority = {}) : raisePriority_(std::move(raisePriority)) {}
  ~SystemThreads() override;
  Handle start(std::function<void()> body, bool highPriority) override;
  void join(Handle thread) override;
  void sleepMs(int ms) override;

 private:
  std::function<void()> raisePriority_;
  std::mutex mutex_;
  std::map<Handle, std::thread> threads_;
  Handle next_ = 1;
};

}  // namespace korveld::platform
