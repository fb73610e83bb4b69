// The web backend's sound devices and player threads. The devices write into
// the shared Sound record (platform/web_exchange.hpp); the page's audio
// worklet plays from it. Included only by the web backend.
#pragma once

#include <memory>

#include "platform/audio.hpp"
#include "platform/web_exchange.hpp"

namespace korveld::platform {

class WebAudio {
 public:
  // The devices open only while `ready` (set by the page once its audio
  // worklet runs) is non-zero.
  explicit WebAudio(const std::atomic<std::int32_t>& ready);
  ~WebAudio();
  BufferQueueDevice& queue();
  LoopingDevice& looping();
  ThreadService& threads();
  // The record the worklet reads; its address goes to the page.
  web::Sound& sound();
  void CloseAll();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace korveld::platform
