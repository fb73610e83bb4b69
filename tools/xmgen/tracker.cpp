#include "tools/xmgen/tracker.hpp"

#include <cstdio>
#include <cstdlib>

namespace korveld::xmgen {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int Hex2(std::string_view s, std::string_view token) {
  if (s.size() != 2 || HexDigit(s[0]) < 0 || HexDigit(s[1]) < 0) Fail("bad hex byte in '" + std::string(token) + "'");
  return HexDigit(s[0]) * 16 + HexDigit(s[1]);
}

int EffectNumber(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return -1;
}

std::vector<std::string_view> Split(std::string_view s, char by) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == by) {
      parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

}  // namespace

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "korveld-xmgen: %s\n", message.c_str());
  std::exit(1);
}

int NoteNumber(std::string_view name) {
  static constexpr std::string_view kNames = "C-C#D-D#E-F-F#G-G#A-A#B-";
  if (name.size() != 3 || name[2] < '0' || name[2] > '7') return 0;
  for (int i = 0; i < 12; ++i) {
    if (kNames.substr(static_cast<std::size_t>(2 * i), 2) == name.substr(0, 2)) return (name[2] - '0') * 12 + i + 1;
  }
  return 0;
}

Track& Track::rest(int count) {
  rows.insert(rows.end(), static_cast<std::size_t>(count), Cell{});
  return *this;
}

Track& Track::operator<<(std::string_view phrase) {
  std::size_t i = 0;
  while (i < phrase.size()) {
    while (i < phrase.size() && (phrase[i] == ' ' || phrase[i] == '\n' || phrase[i] == '|' || phrase[i] == '\t')) ++i;
    if (i >= phrase.size()) break;
    std::size_t j = i;
    while (j < phrase.size() && phrase[j] != ' ' && phrase[j] != '\n' && phrase[j] != '|' && phrase[j] != '\t') ++j;
    const std::string_view token = phrase.substr(i, j - i);
    i = j;

    const auto parts = Split(token, ',');
    std::string_view head = parts[0];
    int length = 1;
    if (const auto colon = head.find(':'); colon != std::string_view::npos) {
      length = std::atoi(std::string(head.substr(colon + 1)).c_str());
      head = head.substr(0, colon);
      if (length < 1) Fail("bad length in '" + std::string(token) + "'");
    }
    Cell first;
    Cell held;  // effects repeated on every row of the note
    bool hasHeld = false;
    if (head == "r" || head == ".") {
    } else if (head == "==") {
      first.note = 97;
    } else {
      const int note = NoteNumber(head);
      if (note == 0) Fail("bad note in '" + std::string(token) + "'");
      const int shifted = note + transpose;
      if (shifted < 1 || shifted > 96) Fail("note out of range in '" + std::string(token) + "'");
      first.note = static_cast<std::uint8_t>(shifted);
      first.instrument = static_cast<std::uint8_t>(instrument);
    }
    for (std::size_t k = 1; k < parts.size(); ++k) {
      std::string_view a = parts[k];
      if (a.empty()) Fail("empty attribute in '" + std::string(token) + "'");
      if (a[0] == 'i') {
        first.instrument = static_cast<std::uint8_t>(std::atoi(std::string(a.substr(1)).c_str()));
      } else if (a[0] == 'v') {
        const int v = std::atoi(std::string(a.substr(1)).c_str());
        if (v < 0 || v > 64) Fail("bad volume in '" + std::string(token) + "'");
        first.volume = static_cast<std::uint8_t>(0x10 + v);
      } else if (a[0] == 'w') {
        first.volume = static_cast<std::uint8_t>(Hex2(a.substr(1), token));
      } else {
        const bool hold = a[0] == '+';
        if (hold) a = a.substr(1);
        if (a.size() != 3 || EffectNumber(a[0]) < 0) Fail("bad effect in '" + std::string(token) + "'");
        Cell& target = hold ? held : first;
        target.effect = static_cast<std::uint8_t>(EffectNumber(a[0]));
        target.parameter = static_cast<std::uint8_t>(Hex2(a.substr(1), token));
        if (hold) {
          hasHeld = true;
          if (first.effect == 0 && first.parameter == 0) {
            first.effect = held.effect;
            first.parameter = held.parameter;
          }
        }
      }
    }
    rows.push_back(first);
    for (int r = 1; r < length; ++r) {
      Cell c;
      if (hasHeld) {
        c.effect = held.effect;
        c.parameter = held.parameter;
      }
      rows.push_back(c);
    }
  }
  return *this;
}

Pattern MakePattern(const std::vector<Track>& tracks, int channels, int rows) {
  Pattern p;
  p.rows = rows;
  p.cells.assign(static_cast<std::size_t>(rows * channels), Cell{});
  if (static_cast<int>(tracks.size()) > channels) Fail("more tracks than channels");
  for (int c = 0; c < static_cast<int>(tracks.size()); ++c) {
    const Track& t = tracks[static_cast<std::size_t>(c)];
    if (t.length() > rows) Fail("track " + std::to_string(c) + " has " + std::to_string(t.length()) + " rows");
    for (int r = 0; r < t.length(); ++r) p.at(r, c, channels) = t.rows[static_cast<std::size_t>(r)];
  }
  return p;
}

}  // namespace korveld::xmgen
