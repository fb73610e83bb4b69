// Part-writing helpers shared by the songs.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/xmgen/songs.hpp"

namespace korveld::xmgen {
namespace {

int PitchClass(char letter) {
  switch (letter) {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return 9;
    case 'B': return 11;
    default: Fail(std::string("bad chord root ") + letter);
  }
}

int Tone(const Chord& c, int tone) {
  switch (tone) {
    case 0: return 0;
    case 1: return c.third;
    case 2: return c.fifth;
    case 3: return c.seventh;
    default: return 12;
  }
}

Cell NoteCell(int pitchClass, int octave, int semitones, int instrument) {
  Cell cell;
  const int note = octave * 12 + pitchClass + semitones + 1;
  if (note < 1 || note > 96) Fail("generated note out of range");
  cell.note = static_cast<std::uint8_t>(note);
  cell.instrument = static_cast<std::uint8_t>(instrument);
  return cell;
}

}  // namespace

Instrument Make(const std::string& name, Sample s, int volume, int panning) {
  s.volume = static_cast<std::uint8_t>(volume);
  s.panning = static_cast<std::uint8_t>(panning);
  s.name = name;
  Instrument ins;
  ins.name = name;
  ins.samples.push_back(std::move(s));
  return ins;
}

void ScaleVolumes(Module& m, double gain) {
  auto scaled = [gain](int v) { return std::clamp(static_cast<int>(std::lround(v * gain)), 0, 64); };
  for (Instrument& ins : m.instruments) {
    for (Sample& s : ins.samples) s.volume = static_cast<std::uint8_t>(scaled(s.volume));
  }
  for (Pattern& p : m.patterns) {
    for (Cell& c : p.cells) {
      if (c.volume >= 0x10 && c.volume <= 0x50) c.volume = static_cast<std::uint8_t>(0x10 + scaled(c.volume - 0x10));
      if (c.effect == 0xC) c.parameter = static_cast<std::uint8_t>(scaled(std::min<int>(c.parameter, 64)));
    }
  }
}

Chord ParseChord(std::string_view name) {
  if (name.empty()) Fail("empty chord");
  Chord c;
  c.root = PitchClass(name[0]);
  std::size_t i = 1;
  if (i < name.size() && name[i] == '#') {
    c.root = (c.root + 1) % 12;
    ++i;
  } else if (i < name.size() && name[i] == 'b') {
    c.root = (c.root + 11) % 12;
    ++i;
  }
  const std::string_view quality = name.substr(i);
  if (quality == "" || quality == "7") {
  } else if (quality == "maj7") {
    c.seventh = 11;
  } else if (quality == "m" || quality == "m7") {
    c.third = 3;
  } else if (quality == "sus") {
    c.third = 5;
  } else if (quality == "dim") {
    c.third = 3;
    c.fifth = 6;
    c.seventh = 9;
  } else {
    Fail("bad chord " + std::string(name));
  }
  return c;
}

std::vector<Chord> Chords(std::string_view names) {
  std::vector<Chord> out;
  std::size_t i = 0;
  while (i < names.size()) {
    while (i < names.size() && names[i] == ' ') ++i;
    std::size_t j = i;
    while (j < names.size() && names[j] != ' ') ++j;
    if (j > i) out.push_back(ParseChord(names.substr(i, j - i)));
    i = j;
  }
  return out;
}

std::string NoteName(int pitchClass, int octave) {
  static const char* kNames[] = {"C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"};
  return std::string(kNames[((pitchClass % 12) + 12) % 12]) + std::to_string(octave + (pitchClass >= 12 ? 1 : 0));
}

Track DrumLine(std::string_view steps, const DrumKit& kit) {
  Track t;
  for (char ch : steps) {
    if (ch == ' ' || ch == '|') continue;
    Cell c;
    auto hit = [&](int instrument, int note, int volume) {
      c.note = static_cast<std::uint8_t>(note);
      c.instrument = static_cast<std::uint8_t>(instrument);
      c.volume = static_cast<std::uint8_t>(0x10 + volume);
    };
    const int c4 = 49;
    switch (ch) {
      case 'k': hit(kit.kick, c4, kit.kickVolume); break;
      case 's': hit(kit.snare, c4, kit.snareVolume); break;
      case 'g': hit(kit.snare, c4, kit.snareVolume / 3); break;
      case 'r':
        hit(kit.snare, c4, kit.snareVolume * 2 / 3);
        c.effect = 0xE;
        c.parameter = 0x93;  // three hits per row at speed 6... a roll
        break;
      case 'h': hit(kit.hat, c4, kit.hatVolume); break;
      case 'H': hit(kit.hat, c4 + 2, kit.hatVolume + 12); break;
      case 'o': hit(kit.openHat, c4, kit.openVolume); break;
      case 'c': hit(kit.crash ? kit.crash : kit.openHat, c4 - 5, 48); break;
      case 't': hit(kit.tom ? kit.tom : kit.kick, c4 + 7, kit.kickVolume - 8); break;
      case '.': break;
      default: Fail(std::string("bad drum step ") + ch);
    }
    t.rows.push_back(c);
  }
  return t;
}

Track BassLine(const std::vector<Chord>& chords, std::string_view rhythm, int instrument, int octave, int volume) {
  Track t;
  for (const Chord& chord : chords) {
    for (char ch : rhythm) {
      Cell c;
      switch (ch) {
        case 'x': c = NoteCell(chord.root, octave, 0, instrument); break;
        case 'o': c = NoteCell(chord.root, octave, 12, instrument); break;
        case 'f': c = NoteCell(chord.root, octave, chord.fifth, instrument); break;
        case 't': c = NoteCell(chord.root, octave, chord.third, instrument); break;
        case '7': c = NoteCell(chord.root, octave, chord.seventh, instrument); break;
        case 's':
          c = NoteCell(chord.root, octave, 0, 0);
          c.effect = 0x3;
          c.parameter = 0x30;
          break;
        case '=': c.note = 97; break;
        case '.': break;
        default: Fail(std::string("bad bass step ") + ch);
      }
      if (volume && c.instrument) c.volume = static_cast<std::uint8_t>(0x10 + volume);
      t.rows.push_back(c);
    }
  }
  return t;
}

Track ArpLine(const std::vector<Chord>& chords, std::string_view rhythm, int instrument, int octave, int volume) {
  Track t;
  for (const Chord& chord : chords) {
    const auto arp = static_cast<std::uint8_t>((chord.third << 4) | chord.fifth);
    for (char ch : rhythm) {
      Cell c;
      switch (ch) {
        case 'x':
          c = NoteCell(chord.root, octave, 0, instrument);
          if (volume) c.volume = static_cast<std::uint8_t>(0x10 + volume);
          c.parameter = arp;
          break;
        case '-': c.parameter = arp; break;
        case '=': c.note = 97; break;
        case '.': break;
        default: Fail(std::string("bad arp step ") + ch);
      }
      t.rows.push_back(c);
    }
  }
  return t;
}

Track PadLine(const std::vector<Chord>& chords, int rowsPerChord, int tone, int instrument, int octave,
              std::string_view attributes, bool keyOffAtEnd) {
  Track t(instrument);
  for (const Chord& chord : chords) {
    const int semis = chord.root + Tone(chord, tone);
    std::string token = NoteName(semis % 12, octave + semis / 12);
    if (!attributes.empty()) token += "," + std::string(attributes);
    t << token;
    if (keyOffAtEnd) {
      t.rest(rowsPerChord - 2);
      t << "==";
    } else {
      t.rest(rowsPerChord - 1);
    }
  }
  return t;
}

void SetEffect(Track& t, int row, int effect, int parameter) {
  if (row >= t.length()) t.rest(row + 1 - t.length());
  Cell& c = t.rows[static_cast<std::size_t>(row)];
  if (c.effect != 0 || c.parameter != 0) Fail("row " + std::to_string(row) + " already has an effect");
  c.effect = static_cast<std::uint8_t>(effect);
  c.parameter = static_cast<std::uint8_t>(parameter);
}

void SetVolumeColumn(Track& t, int row, int byte) {
  if (row >= t.length()) t.rest(row + 1 - t.length());
  t.rows[static_cast<std::size_t>(row)].volume = static_cast<std::uint8_t>(byte);
}

Track& Append(Track& a, const Track& b) {
  a.rows.insert(a.rows.end(), b.rows.begin(), b.rows.end());
  return a;
}

}  // namespace korveld::xmgen
