#include "viewer/pages.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "viewer/scroll.hpp"

namespace korveld::viewer {
namespace {

constexpr std::string_view kEndMarker = "<END>";

const StoredLine kEmptyLine{};

std::uint8_t Clamp80(std::size_t n) { return static_cast<std::uint8_t>(std::min<std::size_t>(n, kCodeColumns)); }

// The numeric value of a flag string: leading blanks, a sign, digits and a
// fraction; anything else ends the number, and no number gives 0.
double NumericValue(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  double sign = 1.0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    if (s[i] == '-') sign = -1.0;
    ++i;
  }
  double value = 0.0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') value = value * 10.0 + (s[i++] - '0');
  if (i < s.size() && s[i] == '.') {
    double scale = 0.1;
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, scale *= 0.1) value += (s[i] - '0') * scale;
  }
  return sign * value;
}

bool IsEndLine(const StoredLine& line) {
  return line.textLength >= kEndMarker.size() && std::memcmp(line.text.data(), kEndMarker.data(), kEndMarker.size()) == 0;
}

struct CodeTables {
  std::array<std::uint8_t, 256> tint{};
  std::array<std::uint8_t, 256> face{};
};

constexpr CodeTables MakeCodeTables() {
  CodeTables t{};
  for (int c = 0; c < 256; ++c) {
    int tint = 1;
    if (c >= '1' && c <= '9') tint = c - '0';
    if (c >= 'A' && c <= 'V') tint = c - 'A' + 10;
    t.tint[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(tint);
    t.face[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c >= '0' && c <= '9' ? c - '0' : 0);
  }
  return t;
}
constexpr CodeTables kCodes = MakeCodeTables();

void ConvertLine(const StoredLine& line, PageView& view, int at) {
  auto& chars = view.character[static_cast<std::size_t>(at)];
  auto& tints = view.tint[static_cast<std::size_t>(at)];
  auto& faces = view.face[static_cast<std::size_t>(at)];
  // Column 0 and columns past each string's end: empty, tint 1, face 0.
  chars.fill(0);
  tints.fill(1);
  faces.fill(0);
  for (int i = 0; i < line.textLength; ++i) chars[static_cast<std::size_t>(i + 1)] = static_cast<std::uint8_t>(line.text[static_cast<std::size_t>(i)]);
  for (int i = 0; i < line.colourLength; ++i)
    tints[static_cast<std::size_t>(i + 1)] = kCodes.tint[static_cast<std::uint8_t>(line.colour[static_cast<std::size_t>(i)])];
  for (int i = 0; i < line.styleLength; ++i)
    faces[static_cast<std::size_t>(i + 1)] = kCodes.face[static_cast<std::uint8_t>(line.style[static_cast<std::size_t>(i)])];
  view.glow[static_cast<std::size_t>(at)] = line.glow;
}

}  // namespace

LineGlow ParseGlowFlag(std::string_view flag) {
  LineGlow g;
  g.drawsOpaque = flag == "0" ? 1 : 0;
  const double style = std::nearbyint(NumericValue(flag));
  g.style = (style >= 1.0 && style <= 8.0) ? static_cast<std::uint8_t>(style) : 0;
  return g;
}

int TintOfCode(char code) { return kCodes.tint[static_cast<std::uint8_t>(code)]; }
int FaceOfDigit(char digit) { return kCodes.face[static_cast<std::uint8_t>(digit)]; }

void StorePage(PageStore& store, int page, std::span<const content::PageLineSource> lines) {
  if (page < 1 || page > kMaxPage) return;
  auto& out = store.pages[static_cast<std::size_t>(page)];
  const std::size_t count = std::min<std::size_t>(lines.size(), kMaxLine + 1);
  out.assign(count, StoredLine{});
  for (std::size_t n = 0; n < count; ++n) {
    const content::PageLineSource& src = lines[n];
    StoredLine& line = out[n];
    line.textLength = Clamp80(src.text.size());
    line.colourLength = Clamp80(src.colour.size());
    line.styleLength = Clamp80(src.style.size());
    std::copy_n(src.text.begin(), line.textLength, line.text.begin());
    std::copy_n(src.colour.begin(), line.colourLength, line.colour.begin());
    std::copy_n(src.style.begin(), line.styleLength, line.style.begin());
    line.glow = ParseGlowFlag(src.glow);
  }
}

void FillPageStore(PageStore& store) {
  for (int page = 1; page <= kMaxPage; ++page) StorePage(store, page, content::PageLines(page));
}

const StoredLine& StoredLineAt(const PageStore& store, int line, int page) {
  if (page < 0 || page > kMaxPage || line < 0) return kEmptyLine;
  const auto& lines = store.pages[static_cast<std::size_t>(page)];
  return static_cast<std::size_t>(line) < lines.size() ? lines[static_cast<std::size_t>(line)] : kEmptyLine;
}

int PageLineCount(const PageStore& store, int page) {
  int count = kMaxLine - 1;
  for (int line = 0; line < kMaxLine; ++line) {
    if (IsEndLine(StoredLineAt(store, line, page))) count = line;
  }
  return count;
}

void LoadPage(const PageStore& store, PageView& view, ViewState& state, int page) {
  state.LineCount = kMaxLine - 1;
  for (int line = 0; line < kMaxLine; ++line) {
    const StoredLine& stored = StoredLineAt(store, line, page);
    if (IsEndLine(stored)) {
      state.LineCount = line;
      continue;
    }
    ConvertLine(stored, view, line);
  }
  state.ScrollOffset = 0;
  state.TopLine = 0;
}

void PrintPageList(std::FILE* out) {
  auto store = std::make_unique<PageStore>();
  FillPageStore(*store);
  PrintPageList(out, *store);
}

void PrintPageList(std::FILE* out, const PageStore& store) {
  for (int page = 1; page <= kMaxPage; ++page) {
    const int lines = PageLineCount(store, page);
    std::array<int, 9> glows{};
    for (int line = 0; line < lines; ++line) ++glows[StoredLineAt(store, line, page).glow.style];
    std::string glowText;
    for (int style = 1; style <= 8; ++style) {
      if (glows[static_cast<std::size_t>(style)] == 0) continue;
      if (!glowText.empty()) glowText += ',';
      glowText += std::to_string(style) + ':' + std::to_string(glows[static_cast<std::size_t>(style)]);
    }
    if (glowText.empty()) glowText = "none";
    const std::string_view label = content::PageLabel(page);
    std::fprintf(out, "page %d lines %d glow %s label \"%.*s\"\n", page, lines, glowText.c_str(),
                 static_cast<int>(label.size()), label.data());
  }
}

}  // namespace korveld::viewer
