// korveld.html: the magazine in a browser tab. The page (platform/web/)
// starts this once the reader has clicked or pressed a key, so the sound may
// play; main runs on a worker thread of its own.
#include "app/program.hpp"
#include "platform/web_backend.hpp"

int main() {
  int status = 0;
  {
    korveld::platform::WebPlatform platform;
    status = korveld::app::RunProgram(platform);
  }
  korveld::platform::ReportProgramEnd(status);
  return status;
}
