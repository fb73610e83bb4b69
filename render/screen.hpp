// The frame every drawing operation writes: 800 x 600 pixels of 0x00RRGGBB,
// rows top to bottom. Only the low 24 bits of a pixel carry meaning.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace korveld::render {

inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 600;

struct ScreenBuffer {
  std::array<std::uint32_t, kScreenWidth * kScreenHeight> pixels{};

  std::uint32_t* row(int y) { return pixels.data() + y * kScreenWidth; }
  const std::uint32_t* row(int y) const { return pixels.data() + y * kScreenWidth; }
  std::uint32_t& at(int x, int y) { return pixels[y * kScreenWidth + x]; }
  std::uint32_t at(int x, int y) const { return pixels[y * kScreenWidth + x]; }
  void clear(std::uint32_t colour = 0) { std::fill(pixels.begin(), pixels.end(), colour); }
};

// One flag per frame row: the rows a drawing touched, or the rows of a frame
// that differ from the frame shown before it.
struct RowMarks {
  std::array<std::uint8_t, kScreenHeight> rows{};

  // Rows first..last, cut to the frame; nothing when last < first.
  void mark(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, kScreenHeight - 1);
    if (first <= last) std::fill(rows.begin() + first, rows.begin() + last + 1, std::uint8_t{1});
  }
  void markAll() { rows.fill(1); }
  void clear() { rows.fill(0); }
};

}  // namespace korveld::render
