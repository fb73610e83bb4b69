#include "platform/headless_script.hpp"

#include <cmath>
#include <map>
#include <sstream>

#include "platform/platform.hpp"

namespace korveld::platform {

int KeyNameToVk(std::string_view name) {
  static const std::map<std::string_view, int> kNames = {
      {"escape", kVkEscape}, {"up", kVkUp},       {"down", kVkDown},         {"left", kVkLeft},
      {"right", kVkRight},   {"pageup", kVkPageUp}, {"pagedown", kVkPageDown}, {"home", kVkHome},
      {"end", kVkEnd},
  };
  if (auto it = kNames.find(name); it != kNames.end()) return it->second;
  if (name.size() >= 2 && name.size() <= 3 && name[0] == 'f') {
    int n = 0;
    for (char c : name.substr(1)) {
      if (c < '0' || c > '9') return 0;
      n = n * 10 + (c - '0');
    }
    if (n >= 1 && n <= 12) return kVkF1 + n - 1;
  }
  return 0;
}

bool ParseScript(std::string_view text, std::vector<ScriptCommand>* out, std::string* error) {
  out->clear();
  std::istringstream in{std::string(text)};
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++number;
    if (auto hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    std::string verb;
    if (!(words >> verb)) continue;
    ScriptCommand c;
    c.line = number;
    auto number_arg = [&](double* v) { return static_cast<bool>(words >> *v); };
    std::string extra;
    if (verb == "wait") {
      c.kind = ScriptCommand::Kind::kWait;
      if (!number_arg(&c.seconds) || !std::isfinite(c.seconds) || c.seconds < 0)
        return fail("wait needs a number of seconds (0 or more)");
    } else if (verb == "key" || verb == "tap" || verb == "hold" || verb == "release") {
      using Kind = ScriptCommand::Kind;
      c.kind = verb == "key" ? Kind::kKey : verb == "tap" ? Kind::kTap : verb == "hold" ? Kind::kHold : Kind::kRelease;
      std::string name;
      if (!(words >> name)) return fail(verb + " needs a key name");
      c.vk = KeyNameToVk(name);
      if (c.vk == 0) return fail("unknown key '" + name + "'");
    } else if (verb == "move") {
      c.kind = ScriptCommand::Kind::kMove;
      double x, y;
      if (!number_arg(&x) || !number_arg(&y)) return fail("move needs X and Y");
      if (x < 0 || x > 799 || y < 0 || y > 599 || x != std::floor(x) || y != std::floor(y))
        return fail("move needs whole frame coordinates, X 0..799 and Y 0..599");
      c.x = static_cast<int>(x);
      c.y = static_cast<int>(y);
    } else if (verb == "press") {
      c.kind = ScriptCommand::Kind::kPress;
    } else if (verb == "unpress") {
      c.kind = ScriptCommand::Kind::kUnpress;
    } else if (verb == "click") {
      c.kind = ScriptCommand::Kind::kClick;
      double n = 2;
      if (words >> std::ws && !words.eof() && (!number_arg(&n) || n != std::floor(n) || n < 0 || n > 1000))
        return fail("click takes a whole number of frames (0 or more)");
      c.frames = static_cast<int>(n);
    } else if (verb == "wheel") {
      c.kind = ScriptCommand::Kind::kWheel;
      double n;
      if (!number_arg(&n) || n != std::floor(n) || std::fabs(n) > 1000) return fail("wheel needs a whole number of notches");
      c.notches = static_cast<int>(n);
    } else if (verb == "shot") {
      c.kind = ScriptCommand::Kind::kShot;
      if (!(words >> c.file)) return fail("shot needs a file name");
    } else {
      return fail("unknown command '" + verb + "'");
    }
    if (words >> extra) return fail("unexpected '" + extra + "' after " + verb);
    out->push_back(std::move(c));
  }
  return true;
}

}  // namespace korveld::platform
