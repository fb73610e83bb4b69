#include "tools/tunecheck/sid_header.hpp"

#include <cstdio>

namespace korveld::tunecheck {
namespace {

constexpr int kVersion1Size = 0x76;
constexpr int kVersion2Size = 0x7C;
constexpr int kLowestLoad = 0x07E8;  // RSID: below this lies the system's own memory
constexpr int kTextLength = 32;      // name, author and released fields

int Word(std::span<const std::uint8_t> f, int at) { return f[static_cast<std::size_t>(at)] << 8 | f[static_cast<std::size_t>(at) + 1]; }

std::string Hex(int value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%04X", static_cast<unsigned>(value));
  return buf;
}

// ROM and I/O as a real machine presents them: BASIC, then I/O and KERNAL.
bool InRom(int address) { return (address >= 0xA000 && address <= 0xBFFF) || address >= 0xD000; }

// Pages a relocation range may not use: zero page to the screen, the ROMs.
bool PageForbidden(int page) { return page <= 0x03 || (page >= 0xA0 && page <= 0xBF) || page >= 0xD0; }

}  // namespace

std::vector<HeaderProblem> CheckSidHeader(std::span<const std::uint8_t> f) {
  std::vector<HeaderProblem> out;
  auto bad = [&](int offset, const char* field, std::string message) { out.push_back({offset, field, message}); };
  if (f.size() < static_cast<std::size_t>(kVersion1Size) + 2) {
    bad(0, "magicID", "the file is shorter than a header and a load address");
    return out;
  }
  const std::string magic(f.begin(), f.begin() + 4);
  const bool rsid = magic == "RSID";
  if (!rsid && magic != "PSID") {
    bad(0, "magicID", "the file starts with \"" + magic + "\", not PSID or RSID");
    return out;
  }
  const int version = Word(f, 4);
  if (version < (rsid ? 2 : 1) || version > 4) {
    bad(4, "version", magic + " version " + std::to_string(version) + (rsid ? " (RSID is 2 to 4)" : " (PSID is 1 to 4)"));
    return out;
  }
  const int headerSize = version == 1 ? kVersion1Size : kVersion2Size;
  const int dataOffset = Word(f, 6);
  if (dataOffset != headerSize) {
    bad(6, "dataOffset", "version " + std::to_string(version) + " data starts at " + Hex(headerSize) + ", not " +
                             Hex(dataOffset));
    return out;
  }
  if (f.size() < static_cast<std::size_t>(headerSize) + 2) {
    bad(6, "dataOffset", "the file ends inside the header");
    return out;
  }
  const int headerLoad = Word(f, 8);
  const int load = headerLoad != 0 ? headerLoad : f[static_cast<std::size_t>(headerSize)] | f[static_cast<std::size_t>(headerSize) + 1] << 8;
  const int dataLength = static_cast<int>(f.size()) - headerSize - (headerLoad != 0 ? 0 : 2);
  const int init = Word(f, 10);
  const int play = Word(f, 12);
  const int songs = Word(f, 14);
  const int startSong = Word(f, 16);
  const long speed = static_cast<long>(Word(f, 18)) << 16 | Word(f, 20);
  const int flags = version >= 2 ? Word(f, 0x76) : 0;
  if (load + dataLength > 0x10000) bad(8, "loadAddress", "the program runs past $FFFF");
  if (songs < 1 || songs > 256) bad(14, "songs", std::to_string(songs) + " songs (1 to 256)");
  if (startSong < 1 || startSong > songs) bad(16, "startSong", "start song " + std::to_string(startSong) + " of " + std::to_string(songs));
  for (int field = 0; field < 3; ++field) {
    const int at = 0x16 + field * kTextLength;
    bool ended = false;
    for (int i = 0; i < kTextLength; ++i) {
      const std::uint8_t c = f[static_cast<std::size_t>(at + i)];
      if (ended && c != 0) {
        bad(at, field == 0 ? "name" : field == 1 ? "author" : "released", "bytes after the text's end are not zero");
        break;
      }
      ended = ended || c == 0;
    }
  }
  if (rsid) {
    if (headerLoad != 0) bad(8, "loadAddress", "an RSID gives its load address in the data, and 0 here");
    if (load < kLowestLoad) bad(8, "loadAddress", "an RSID loads at " + Hex(kLowestLoad) + " or above, not " + Hex(load));
    if (play != 0) bad(12, "playAddress", "an RSID installs its own interrupt; the play address is 0");
    if (speed != 0) bad(18, "speed", "an RSID sets its own timing; the speed bits are all 0");
    if (flags & 0x01) bad(0x76, "flags", "an RSID holds its own player, not MUS data (flag bit 0)");
    const bool basic = (flags & 0x02) != 0;
    if (basic && init != 0) bad(10, "initAddress", "a BASIC RSID starts with RUN; its init address is 0");
    if (!basic && (init < kLowestLoad || InRom(init))) {
      bad(10, "initAddress", "an RSID's init routine lies in RAM at " + Hex(kLowestLoad) + " or above, outside ROM, not at " +
                                 Hex(init));
    }
  }
  if (version >= 2) {
    const int reservedBits = version == 2 ? 0xFFC0 : version == 3 ? 0xFF00 : 0xFC00;
    if (flags & reservedBits) bad(0x76, "flags", "flag bits reserved in version " + std::to_string(version) + " are set");
    const int startPage = f[0x78];
    const int pageLength = f[0x79];
    if (startPage == 0 || startPage == 0xFF) {
      if (pageLength != 0) bad(0x79, "pageLength", "no relocation range, but a length of " + std::to_string(pageLength));
    } else {
      const int loadFirst = load >> 8;
      const int loadLast = (load + dataLength - 1) >> 8;
      for (int page = startPage; page < startPage + pageLength; ++page) {
        if (page > 0xFF || PageForbidden(page) || (page >= loadFirst && page <= loadLast)) {
          bad(0x78, "startPage", "the relocation range takes page " + Hex(page) + ", which is not free");
          break;
        }
      }
      if (pageLength == 0) bad(0x79, "pageLength", "a relocation range of no pages");
    }
    if (version == 2 && (f[0x7A] != 0 || f[0x7B] != 0)) bad(0x7A, "reserved", "the reserved bytes of version 2 are 0");
  }
  return out;
}

std::string EquateOfField(const std::string& field) {
  if (field == "magicID") return "MAGIC";
  if (field == "loadAddress") return "LOAD";
  if (field == "initAddress") return "INIT";
  if (field == "playAddress") return "PLAY";
  if (field == "songs") return "SONGS";
  if (field == "startSong") return "START_SONG";
  if (field == "speed") return "SPEED";
  if (field == "flags") return "FLAGS";
  if (field == "name") return "NAME";
  if (field == "author") return "AUTHOR";
  if (field == "released") return "RELEASED";
  return "";
}

}  // namespace korveld::tunecheck
