// The headless backend's input script: one command a line, parsed up front.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korveld::platform {

struct ScriptCommand {
  enum class Kind { kWait, kKey, kTap, kHold, kRelease, kMove, kPress, kUnpress, kClick, kWheel, kShot };
  Kind kind = Kind::kWait;
  double seconds = 0.0;  // wait
  int vk = 0;            // key, tap, hold, release
  int x = 0, y = 0;      // move
  int frames = 2;        // click: presented frames the button stays down
  int notches = 0;       // wheel
  std::string file;      // shot
  int line = 0;          // source line, for messages
};

// Parses a script: one command a line, '#' starts a comment. On a bad line
// returns false with "line N: ..." in *error.
bool ParseScript(std::string_view text, std::vector<ScriptCommand>* out, std::string* error);

// The virtual-key number of a script key name ("escape", "f1".."f12", "up",
// "down", "left", "right", "pageup", "pagedown", "home", "end"), or 0.
int KeyNameToVk(std::string_view name);

}  // namespace korveld::platform
