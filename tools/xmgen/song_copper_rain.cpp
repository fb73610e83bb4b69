#include "tools/xmgen/songs.hpp"
namespace korveld::xmgen {
Module ComposeCopperRain() { return ComposeAmberCircuit(); }
}  // namespace korveld::xmgen
