// build/korveld: the magazine on the real display. It takes no command line.
#include "app/program.hpp"
#include "platform/sdl_backend.hpp"

int main() {
  korveld::platform::SdlPlatform platform;
  return korveld::app::RunProgram(platform);
}
