#include "platform/system_threads.hpp"

#include <algorithm>
#include <chrono>

namespace korveld::platform {

SystemThreads::~SystemThreads() {
  for (auto& [id, t] : threads_)
    if (t.joinable()) t.join();
}

ThreadService::Handle SystemThreads::start(std::function<void()> body) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Handle id = next_++;
  threads_[id] = std::thread([body = std::move(body), raise = raisePriority_] {
    if (raise) raise();
    body();
  });
  return id;
}

void SystemThreads::join(Handle thread) {
  std::thread t;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = threads_.find(thread);
    if (it == threads_.end()) return;
    t = std::move(it->second);
    threads_.erase(it);
  }
  if (t.joinable()) t.join();
}

void SystemThreads::sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(std::max(ms, 0))); }

}  // namespace korveld::platform
