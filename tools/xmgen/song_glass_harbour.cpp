#include "tools/xmgen/songs.hpp"
namespace korveld::xmgen {
Module ComposeGlassHarbour() { return ComposeAmberCircuit(); }
}  // namespace korveld::xmgen
