#include "tools/xmgen/songs.hpp"
namespace korveld::xmgen {
Module ComposeNightlineExpress() { return ComposeAmberCircuit(); }
}  // namespace korveld::xmgen
