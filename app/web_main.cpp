// korveld.html: the magazine in a browser tab. The page (platform/web/)
// starts this once the reader has clicked or pressed a key, so the sound may
// play; main runs on a worker thread of its own.
#include "app/program.hpp"
#include "platform/web_backend.hpp"

// When the magazine ends, the page offers it again: the same program runs
// once more from the start, with a fresh platform, without a reload.
int main() {
  for (;;) {
    int status = 0;
    {
      korveld::platform::WebPlatform platform;
      status = korveld::app::RunProgram(platform);
    }
    korveld::platform::ReportProgramEnd(status);
    korveld::platform::WaitForRestart();
  }
}
