// Temporary: replaced by the SDL2 backend.
#include "platform/sdl_backend.hpp"

namespace korveld::platform {
struct SdlPlatform::Impl {};
SdlPlatform::SdlPlatform() = default;
SdlPlatform::~SdlPlatform() = default;
void SdlPlatform::configure(int, std::string_view, int, int) {}
void SdlPlatform::setEscapeCloses(int) {}
int SdlPlatform::open(std::string_view, int, int) { return 0; }
int SdlPlatform::update(const std::uint32_t*) { return 0; }
void SdlPlatform::close() {}
void SdlPlatform::hideCursor() {}
int SdlPlatform::mouseX() const { return 0; }
int SdlPlatform::mouseY() const { return 0; }
int SdlPlatform::leftButton() const { return 0; }
int SdlPlatform::rightButton() const { return 0; }
int SdlPlatform::wheel() const { return 0; }
std::uint16_t SdlPlatform::keyState(int) { return 0; }
double SdlPlatform::timer() { return 0; }
void SdlPlatform::sleepMs(int) {}
double SdlPlatform::random() { return 0; }
void SdlPlatform::seedRandomFromTimer() {}
BufferQueueDevice& SdlPlatform::queueDevice() { return *static_cast<BufferQueueDevice*>(nullptr); }
LoopingDevice& SdlPlatform::loopingDevice() { return *static_cast<LoopingDevice*>(nullptr); }
ThreadService& SdlPlatform::threads() { return *static_cast<ThreadService*>(nullptr); }
void SdlPlatform::messageBox(std::string_view, std::string_view) {}
}  // namespace korveld::platform
