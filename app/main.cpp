// build/korveld: the magazine on the real display. It takes no command line.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "app/program.hpp"
#include "platform/sdl_backend.hpp"

namespace {

// What the program cannot go on without (memory, a thread) ends it with one
// line and status 255, as a missing display does, instead of the runtime's
// report and a core dump.
[[noreturn]] void Stopped() {
  const char* why = "an unexpected error";
  try {
    if (const std::exception_ptr error = std::current_exception()) std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    why = "out of memory";
  } catch (const std::exception& e) {
    why = e.what();
  } catch (...) {
  }
  std::fprintf(stderr, "korveld: stopped: %s\n", why);
  std::_Exit(255);
}

}  // namespace

int main() {
  std::set_terminate(Stopped);
  korveld::platform::SdlPlatform platform;
  return korveld::app::RunProgram(platform);
}
