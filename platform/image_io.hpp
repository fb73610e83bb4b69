// Writing what the program showed: frames as PNG, and stable hashes of
// frames and bytes for golden tests (sound files: platform/wav_file.hpp).
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace korveld::platform {

// Writes 0x00RRGGBB pixels as an 8-bit RGB PNG. Returns false (with a reason
// in *error) when the file cannot be written.
bool WritePng(const std::string& path, const std::uint32_t* pixels, int width, int height, std::string* error);

// FNV-1a style hash, one step per pixel over its low 24 bits (the top byte
// carries no meaning).
std::uint64_t FrameHash(const std::uint32_t* pixels, int count);

// FNV-1a over raw bytes (audio hashes).
std::uint64_t BytesHash(const void* data, std::size_t size);

}  // namespace korveld::platform
