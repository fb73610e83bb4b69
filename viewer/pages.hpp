// The pages and the page view the frame loop draws from.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "content/pages/page_content.hpp"

namespace korveld::viewer {

struct ViewState;

inline constexpr int kMaxLine = 5000;    // lines 0..5000; LoadPage converts 0..4999
inline constexpr int kMaxPage = 20;      // pages 1..20 (0 unused)
inline constexpr int kPageColumns = 81;  // view columns 0..80; column c shows text character c
inline constexpr int kCodeColumns = 80;  // text characters that can be shown, code strings' length

// A line's glow flag, kept as what the drawing passes ask of it: the style it
// draws (its numeric value rounded, 0 unless 1..8) and whether the flag is
// exactly "0" (such rows may be drawn opaque).
struct LineGlow {
  std::uint8_t style = 0;
  std::uint8_t drawsOpaque = 0;
};

// One stored line: the text and its two code strings as the raw bytes of the
// source (only the first 80 of each can ever be read), with their lengths.
struct StoredLine {
  std::uint8_t textLength = 0;
  std::uint8_t colourLength = 0;
  std::uint8_t styleLength = 0;
  LineGlow glow;
  std::array<char, kCodeColumns> text{};
  std::array<char, kCodeColumns> colour{};
  std::array<char, kCodeColumns> style{};
};

// All twenty pages. A page keeps only the lines it was given; every other
// (line, page) entry reads as the empty line (empty strings).
struct PageStore {
  std::array<std::vector<StoredLine>, kMaxPage + 1> pages;
};

// The current page as cells. Character 0 stands for an empty cell.
struct PageView {
  std::array<std::array<std::uint8_t, kPageColumns>, kMaxLine + 1> character{};
  std::array<std::array<std::uint8_t, kPageColumns>, kMaxLine + 1> tint{};
  std::array<std::array<std::uint8_t, kPageColumns>, kMaxLine + 1> face{};
  std::array<LineGlow, kMaxLine + 1> glow{};
};

// Stores lines of a page (1..20; line n of the span becomes line n of the
// page, at most lines 0..5000). Other page numbers are ignored.
void StorePage(PageStore& store, int page, std::span<const content::PageLineSource> lines);
// Fills the store with the twenty pages.
void FillPageStore(PageStore& store);

// The stored line (line, page), or the empty line outside what was stored.
const StoredLine& StoredLineAt(const PageStore& store, int line, int page);

// The glow flag of a line as the passes read it.
LineGlow ParseGlowFlag(std::string_view flag);
// The tint of a colour code: "1".."9" give 1..9, "A".."V" 10..31, anything else 1.
int TintOfCode(char code);
// The face of a style digit: its value, 0 for a non-digit.
int FaceOfDigit(char digit);

// The line count LoadPage gives a page: the index of its last "<END>" line
// among lines 0..4999, or 4999 when it has none.
int PageLineCount(const PageStore& store, int page);

// Converts lines 0..4999 of the page into the view ("<END>" lines are left as
// they were), sets the line count and puts the view at its top.
void LoadPage(const PageStore& store, PageView& view, ViewState& state, int page);

// One line per page 1..20: `page N lines L glow S:C[,S:C...] label "LABEL"`,
// the glow part `none` for a page without glow lines, from the embedded issue.
void PrintPageList(std::FILE* out);
// The same for any store (labels from the embedded issue).
void PrintPageList(std::FILE* out, const PageStore& store);

}  // namespace korveld::viewer
