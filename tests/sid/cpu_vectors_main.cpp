// Conformance of the 6510 interpreter against independent per-instruction
// test vectors: one file per documented opcode, each case a starting state,
// one instruction, and the state a real 6502 ends in.
//
// Usage: korveld_cpu_vectors [FOLDER]  (KORVELD_CPU_TESTS overrides FOLDER)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sid/cpu.hpp"
#include "sid/sid_state.hpp"

namespace {

using korveld::sid::SidState;

struct RamEntry {
  std::uint16_t address;
  std::uint8_t value;
};

struct CpuSnapshot {
  std::uint16_t pc = 0;
  std::uint8_t s = 0, a = 0, x = 0, y = 0, p = 0;
  std::vector<RamEntry> ram;
};

struct TestCase {
  std::string name;
  CpuSnapshot initial;
  CpuSnapshot final;
};

// Bounds-checked reader over one vector file.
struct Reader {
  const std::vector<std::uint8_t>& bytes;
  std::size_t pos = 0;
  bool ok = true;
  std::uint8_t u8() {
    if (pos >= bytes.size()) {
      ok = false;
      return 0;
    }
    return bytes[pos++];
  }
  std::uint16_t u16() {
    const std::uint8_t hi = u8();
    return static_cast<std::uint16_t>(hi << 8 | u8());
  }
};

bool readSnapshot(Reader& r, CpuSnapshot& snap) {
  snap.pc = r.u16();
  snap.s = r.u8();
  snap.a = r.u8();
  snap.x = r.u8();
  snap.y = r.u8();
  snap.p = r.u8();
  const int n = r.u8();
  snap.ram.clear();
  for (int i = 0; i < n && r.ok; ++i) {
    const std::uint16_t address = r.u16();
    snap.ram.push_back({address, r.u8()});
  }
  return r.ok;
}

bool readCase(Reader& r, TestCase& tc) {
  tc.name.clear();
  for (int i = 0; i < 10; ++i) tc.name.push_back(static_cast<char>(r.u8()));
  if (!readSnapshot(r, tc.initial) || !readSnapshot(r, tc.final)) return false;
  const int cycles = r.u8();
  r.pos += static_cast<std::size_t>(cycles) * 4;
  if (r.pos > r.bytes.size()) r.ok = false;
  return r.ok;
}

std::uint8_t initialByte(const TestCase& tc, std::uint16_t address) {
  for (const RamEntry& e : tc.initial.ram)
    if (e.address == address) return e.value;
  return 0;
}

// ---------------------------------------------------------------------------
// Where the interpreter departs from a real 6502 on purpose. Every case that
// a mask touches is counted under its reason.
enum Reason {
  kBrkRti,
  kDecimalIgnored,
  kOverflowIsNXorC,
  kAslNineBitZero,
  kStackSaturates,
  kSoundChipStores,
  kJsrOverOwnOperand,
  kJmpIndirectCrossesPage,
  kPhpPushesPAsIs,
  kPlpLoadsAllBits,
  kReasonCount
};

const char* const kReasonText[kReasonCount] = {
    "BRK ends the routine, RTI returns like RTS",
    "ADC/SBC binary whatever D says",
    "ADC/SBC V = N XOR C",
    "ASL Z from all nine bits",
    "stack pointer saturates at $00/$FF",
    "stores to $D400-$D7FF reach the SID, not memory",
    "JSR pushing onto its own operand",
    "JMP ($xxFF) takes the high byte from the next page",
    "PHP pushes P without forcing B and bit 5",
    "PLP loads all eight bits",
};

struct Mask {
  bool skip = false;             // the whole case is out of scope
  bool ignoreA = false;
  bool ignorePc = false;
  std::uint8_t ignoreP = 0;      // flag bits not compared
  std::vector<std::uint16_t> ignoreRam;
  std::uint16_t ramBitsAddress = 0;  // one RAM byte compared under a bit mask
  std::uint8_t ramBitsIgnored = 0;
  bool reasons[kReasonCount] = {};
};

Mask maskFor(const TestCase& tc) {
  using namespace korveld::sid;
  Mask m;
  const CpuSnapshot& in = tc.initial;
  const CpuSnapshot& out = tc.final;
  const std::uint8_t opcode = initialByte(tc, in.pc);
  const Instruction ins = kOpcodeTable.instruction[opcode];
  auto pcPlus = [&](int k) { return static_cast<std::uint16_t>(in.pc + k); };

  if (ins == BRK || ins == RTI) {
    m.skip = m.reasons[kBrkRti] = true;
    return m;
  }
  if (ins == JSR) {
    const std::uint16_t first = static_cast<std::uint16_t>(0x100 + in.s);
    const std::uint16_t second = static_cast<std::uint16_t>(0x100 + static_cast<std::uint8_t>(in.s - 1));
    for (std::uint16_t pushed : {first, second}) {
      if (pushed == pcPlus(1) || pushed == pcPlus(2)) m.skip = m.reasons[kJsrOverOwnOperand] = true;
    }
    if (in.s <= 1) m.skip = m.reasons[kStackSaturates] = true;
    if (m.skip) return m;
  }
  if (((ins == PHA || ins == PHP) && in.s == 0) || ((ins == PLA || ins == PLP) && in.s == 0xFF) ||
      (ins == RTS && in.s >= 0xFE)) {
    m.skip = m.reasons[kStackSaturates] = true;
    return m;
  }
  if (ins == ADC || ins == SBC) {
    if (in.p & kFlagD) {
      m.ignoreA = true;
      m.ignoreP |= kFlagN | kFlagV | kFlagZ | kFlagC;
      m.reasons[kDecimalIgnored] = true;
    } else {
      const bool n = (out.p & kFlagN) != 0, c = (out.p & kFlagC) != 0, v = (out.p & kFlagV) != 0;
      if (v != (n != c)) {
        m.ignoreP |= kFlagV;
        m.reasons[kOverflowIsNXorC] = true;
      }
    }
  }
  if (ins == ASL && (out.p & kFlagZ) && (out.p & kFlagC)) {
    m.ignoreP |= kFlagZ;
    m.reasons[kAslNineBitZero] = true;
  }
  if (ins == JMP && kOpcodeTable.mode[opcode] == IND) {
    const std::uint16_t ptr = static_cast<std::uint16_t>(initialByte(tc, pcPlus(1)) | initialByte(tc, pcPlus(2)) << 8);
    const std::uint16_t ours = static_cast<std::uint16_t>(ptr + 1);
    const std::uint16_t chip = static_cast<std::uint16_t>((ptr & 0xFF00) | ((ptr + 1) & 0xFF));
    if (initialByte(tc, ours) != initialByte(tc, chip)) {
      m.ignorePc = true;
      m.reasons[kJmpIndirectCrossesPage] = true;
    }
  }
  if (ins == PHP) {
    m.ramBitsAddress = static_cast<std::uint16_t>(0x100 + in.s);
    m.ramBitsIgnored = 0x30;
    m.reasons[kPhpPushesPAsIs] = true;
  }
  if (ins == PLP) {
    const std::uint8_t pulled = initialByte(tc, static_cast<std::uint16_t>(0x100 + static_cast<std::uint8_t>(in.s + 1)));
    if ((pulled & 0x30) != 0x20) {
      m.ignoreP |= 0x30;
      m.reasons[kPlpLoadsAllBits] = true;
    }
  }
  for (const RamEntry& e : out.ram) {
    if ((e.address & 0xFC00) == 0xD400 && e.value != initialByte(tc, e.address)) {
      m.ignoreRam.push_back(e.address);
      m.reasons[kSoundChipStores] = true;
    }
  }
  return m;
}
// ---------------------------------------------------------------------------

std::string describe(const char* what, unsigned got, unsigned want) {
  char line[96];
  std::snprintf(line, sizeof line, "  %s: got $%02X, want $%02X\n", what, got, want);
  return line;
}

// Runs one case; returns an empty string when it passes.
std::string runCase(SidState& s, const TestCase& tc, const Mask& m) {
  using namespace korveld::sid;
  for (const RamEntry& e : tc.initial.ram) s.memory.bytes[e.address] = e.value;
  s.cpu.pc = tc.initial.pc;
  s.cpu.s = tc.initial.s;
  s.cpu.a = tc.initial.a;
  s.cpu.x = tc.initial.x;
  s.cpu.y = tc.initial.y;
  s.cpu.p = tc.initial.p;
  CpuStep(s);
  std::string diff;
  const CpuSnapshot& f = tc.final;
  if (!m.ignorePc && s.cpu.pc != f.pc) diff += describe("pc", s.cpu.pc, f.pc);
  if (s.cpu.s != f.s) diff += describe("s", s.cpu.s, f.s);
  if (!m.ignoreA && s.cpu.a != f.a) diff += describe("a", s.cpu.a, f.a);
  if (s.cpu.x != f.x) diff += describe("x", s.cpu.x, f.x);
  if (s.cpu.y != f.y) diff += describe("y", s.cpu.y, f.y);
  if ((s.cpu.p & ~m.ignoreP) != (f.p & ~m.ignoreP)) diff += describe("p", s.cpu.p, f.p);
  for (const RamEntry& e : f.ram) {
    bool ignored = false;
    for (std::uint16_t a : m.ignoreRam) ignored = ignored || a == e.address;
    if (ignored) continue;
    std::uint8_t keep = 0xFF;
    if (m.ramBitsIgnored != 0 && e.address == m.ramBitsAddress) keep = static_cast<std::uint8_t>(~m.ramBitsIgnored);
    if ((s.memory.bytes[e.address] & keep) != (e.value & keep)) {
      char what[32];
      std::snprintf(what, sizeof what, "ram[$%04X]", e.address);
      diff += describe(what, s.memory.bytes[e.address], e.value);
    }
  }
  // Leave memory zero for the next case.
  for (const RamEntry& e : tc.initial.ram) s.memory.bytes[e.address] = 0;
  for (const RamEntry& e : f.ram) s.memory.bytes[e.address] = 0;
  return diff;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "";
  if (const char* env = std::getenv("KORVELD_CPU_TESTS"); env != nullptr && *env != 0) folder = env;
  if (folder.empty()) {
    std::fprintf(stderr, "cpu_vectors: no vector folder given (argument or KORVELD_CPU_TESTS)\n");
    return 2;
  }
  static SidState state;
  long files = 0, cases = 0, passed = 0, failed = 0, masked = 0;
  long perReason[kReasonCount] = {};
  std::string firstFailure;
  for (int opcode = 0; opcode < 256; ++opcode) {
    char name[8];
    std::snprintf(name, sizeof name, "%02x.bin", opcode);
    std::ifstream in(folder + "/" + name, std::ios::binary);
    if (!in) continue;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ++files;
    Reader r{bytes};
    TestCase tc;
    while (r.pos < bytes.size()) {
      if (!readCase(r, tc)) {
        std::fprintf(stderr, "cpu_vectors: %s is truncated or malformed\n", name);
        return 1;
      }
      ++cases;
      const Mask m = maskFor(tc);
      bool any = false;
      for (int k = 0; k < kReasonCount; ++k) {
        if (m.reasons[k]) {
          ++perReason[k];
          any = true;
        }
      }
      if (any) ++masked;
      if (m.skip) continue;
      const std::string diff = runCase(state, tc, m);
      if (diff.empty()) {
        ++passed;
      } else {
        ++failed;
        if (firstFailure.empty()) firstFailure = "first failure: " + std::string(name) + " case \"" + tc.name + "\"\n" + diff;
      }
    }
  }
  std::printf("cpu_vectors: %ld files, %ld cases run, %ld passed, %ld failed, %ld masked\n", files, cases, passed,
              failed, masked);
  for (int k = 0; k < kReasonCount; ++k) std::printf("  masked %6ld  %s\n", perReason[k], kReasonText[k]);
  if (files == 0 || cases == 0) {
    std::printf("cpu_vectors: no vectors found in %s\n", folder.c_str());
    return 1;
  }
  if (failed != 0) {
    std::printf("%s", firstFailure.c_str());
    return 1;
  }
  return 0;
}
