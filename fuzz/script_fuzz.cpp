// Fuzz target: any bytes as a korveld-render script.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<korveld::platform::ScriptCommand> commands;
  std::string error;
  korveld::platform::ParseScript(std::string_view(reinterpret_cast<const char*>(data), size), &commands, &error);
  return 0;
}
