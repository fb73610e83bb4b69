// Buffers a queue device has finished with, waiting to be handed back.
//
// The real-time queue devices (the desktop's and the browser's) hand buffers
// back on a notifier thread of their own. The device's mutex guards this
// record; the completion callback runs with that mutex released, so the
// callback may write the next buffer, and reset() waits until every buffer
// it returned has been handed back and no callback is running.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/audio.hpp"

namespace korveld::platform {

struct FinishedBuffers {
  WaveDoneCallback callback = nullptr;
  void* instance = nullptr;
  std::deque<WaveHeader*> queue;
  bool inCallback = false;
  std::condition_variable changed;  // the device's one condition variable

  // With `lock` held: hands the oldest buffer back, the lock released around
  // the callback. False when none is waiting.
  bool HandBackOne(std::unique_lock<std::mutex>& lock) {
    if (queue.empty()) return false;
    WaveHeader* h = queue.front();
    queue.pop_front();
    inCallback = true;
    lock.unlock();
    h->flags = (h->flags & ~kHeaderQueued) | kHeaderDone;
    callback(instance, h);
    lock.lock();
    inCallback = false;
    changed.notify_all();
    return true;
  }

  // With `lock` held: waits until the notifier has handed everything back.
  void WaitUntilHandedBack(std::unique_lock<std::mutex>& lock) {
    changed.wait(lock, [&] { return queue.empty() && !inCallback; });
  }
};

}  // namespace korveld::platform
