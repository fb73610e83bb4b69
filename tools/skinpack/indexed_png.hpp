// Reading and writing the skin pictures: 8-bit indexed PNGs (true-colour
// PNGs are read too and indexed on the way in, if they have few enough
// colours).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korveld::tools {

struct IndexedPicture {
  int width = 0;
  int height = 0;
  std::array<std::uint8_t, 768> palette{};  // 256 x (red, green, blue)
  std::vector<std::uint8_t> indices;        // width x height, top row first
};

// Reads a PNG. Indexed pictures keep their palette; RGB and RGBA pictures
// (alpha ignored) get a palette of their distinct colours in first-seen
// order. On failure returns false and says why in `error`.
bool ReadSkinPicture(const std::string& path, IndexedPicture& picture, std::string& error);

// Writes an 8-bit indexed PNG with a full 256-entry palette.
bool WriteIndexedPng(const std::string& path, const IndexedPicture& picture, std::string& error);

}  // namespace korveld::tools
