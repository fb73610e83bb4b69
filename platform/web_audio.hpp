// The web backend's sound and player threads: a pump thread keeps the shared
// ring (platform/web_exchange.hpp, record Sound) a little ahead of the page's
// audio worklet; it is the sink of the program's one sound stream. Included
// only by the web backend.
#pragma once

#include <atomic>
#include <memory>

#include "platform/audio.hpp"
#include "platform/web_exchange.hpp"

namespace korveld::platform {

class WebAudio {
 public:
  // The sound starts only while `ready` (set by the page once its audio
  // worklet runs) is non-zero.
  explicit WebAudio(const std::atomic<std::int32_t>& ready);
  ~WebAudio();
  BufferQueueDevice& queue();
  LoopingDevice& looping();
  ThreadService& threads();
  // The record the worklet reads; its address goes to the page.
  web::Sound& sound();
  // Fades out what still sounds, lets it play out and stops the pump.
  void CloseAll();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace korveld::platform
