#include "sid/cpu.hpp"

#include "sid/synthesis.hpp"

namespace korveld::sid {
namespace {

constexpr std::uint16_t kStackBase = 0x0100;

inline void SetFlag(CpuRegisters& c, std::uint8_t mask, bool on) {
  c.p = on ? static_cast<std::uint8_t>(c.p | mask) : static_cast<std::uint8_t>(c.p & ~mask);
}
inline void SetZN(CpuRegisters& c, std::uint8_t v) {
  SetFlag(c, kFlagZ, v == 0);
  SetFlag(c, kFlagN, (v & 0x80) != 0);
}

inline std::uint8_t Fetch(SidState& s) { return s.memory.bytes[s.cpu.pc++]; }
inline std::uint16_t FetchWord(SidState& s) {
  const std::uint8_t lo = Fetch(s);
  const std::uint8_t hi = Fetch(s);
  return static_cast<std::uint16_t>(lo | hi << 8);
}
inline std::uint16_t ZeroPageWord(const SidState& s, std::uint8_t p) {
  return static_cast<std::uint16_t>(s.memory.bytes[p] | s.memory.bytes[static_cast<std::uint8_t>(p + 1)] << 8);
}

// Effective address for the memory modes; PC moves past the operand bytes.
std::uint16_t EffectiveAddress(SidState& s, AddressingMode mode) {
  CpuRegisters& c = s.cpu;
  switch (mode) {
    case ABS: return FetchWord(s);
    case ABX: return static_cast<std::uint16_t>(FetchWord(s) + c.x);
    case ABY: return static_cast<std::uint16_t>(FetchWord(s) + c.y);
    case ZP: return Fetch(s);
    case ZPX: return static_cast<std::uint8_t>(Fetch(s) + c.x);
    case ZPY: return static_cast<std::uint8_t>(Fetch(s) + c.y);
    case IZX: return ZeroPageWord(s, static_cast<std::uint8_t>(Fetch(s) + c.x));
    case IZY: return static_cast<std::uint16_t>(ZeroPageWord(s, Fetch(s)) + c.y);
    default: return 0;
  }
}

std::uint8_t FetchOperand(SidState& s, AddressingMode mode) {
  switch (mode) {
    case IMM: return Fetch(s);
    case ACC: return s.cpu.a;
    case IMP:
    case IND:
    case REL: return 0;
    default: return s.memory.bytes[EffectiveAddress(s, mode)];
  }
}

// Read-modify-write instructions store to the target recomputed from the
// operand bytes just behind PC.
void WriteBack(SidState& s, AddressingMode mode, std::uint8_t value) {
  const auto& m = s.memory.bytes;
  CpuRegisters& c = s.cpu;
  const std::uint8_t b1 = m[static_cast<std::uint16_t>(c.pc - 1)];
  const std::uint8_t b2 = m[static_cast<std::uint16_t>(c.pc - 2)];
  switch (mode) {
    case ABS: WriteByte(s, static_cast<std::uint16_t>(b1 << 8 | b2), value); break;
    case ABX: WriteByte(s, static_cast<std::uint16_t>((b1 << 8 | b2) + c.x), value); break;
    case ZP: WriteByte(s, b1, value); break;
    case ZPX: WriteByte(s, static_cast<std::uint8_t>(b1 + c.x), value); break;
    case ACC: c.a = value; break;
    default: break;
  }
}

void Store(SidState& s, AddressingMode mode, std::uint8_t value) {
  switch (mode) {
    case ACC: s.cpu.a = value; break;
    case IND:
    case IMP:
    case IMM:
    case REL: break;
    default: WriteByte(s, EffectiveAddress(s, mode), value); break;
  }
}

// The stack pointer sticks at $00 and $FF instead of wrapping.
void Push(SidState& s, std::uint8_t value) {
  WriteByte(s, static_cast<std::uint16_t>(kStackBase + s.cpu.s), value);
  if (s.cpu.s != 0) --s.cpu.s;
}
std::uint8_t Pull(SidState& s) {
  if (s.cpu.s != 0xFF) ++s.cpu.s;
  return s.memory.bytes[kStackBase + s.cpu.s];
}

// Binary add with carry. V is N XOR C of the result: deliberate, not the
// signed-overflow rule.
void AddWithCarry(CpuRegisters& c, std::uint8_t m) {
  const unsigned sum = c.a + m + (c.p & kFlagC);
  c.intermediate = static_cast<std::uint16_t>(sum);
  SetFlag(c, kFlagC, (sum & 0x100) != 0);
  c.a = static_cast<std::uint8_t>(sum);
  SetZN(c, c.a);
  SetFlag(c, kFlagV, ((c.p & kFlagN) != 0) != ((c.p & kFlagC) != 0));
}

void Compare(CpuRegisters& c, std::uint8_t reg, std::uint8_t m) {
  const std::uint8_t d = static_cast<std::uint8_t>(reg - m);
  SetFlag(c, kFlagC, reg >= m);
  SetFlag(c, kFlagZ, reg == m);
  SetFlag(c, kFlagN, (d & 0x80) != 0);
}

void Branch(SidState& s, bool condition) {
  const std::int8_t offset = static_cast<std::int8_t>(Fetch(s));
  if (condition) s.cpu.pc = static_cast<std::uint16_t>(s.cpu.pc + offset);
}

}  // namespace

void CpuReset(SidState& s) {
  CpuRegisters& c = s.cpu;
  c.a = c.x = c.y = c.p = 0;
  c.s = 0xFF;
  c.pc = 0;
}

std::uint8_t ReadByte(const SidState& s, std::uint16_t address) { return s.memory.bytes[address]; }

void WriteByte(SidState& s, std::uint16_t address, std::uint8_t value) {
  if ((address & 0xFC00) == 0xD400) {
    SidWriteRegister(s, address & 31, value);
    if (address > 0xD418) SampleChannelWrite(s, address, value);
    return;
  }
  s.memory.bytes[address] = value;
}

void CpuStep(SidState& s) {
  CpuRegisters& c = s.cpu;
  const std::uint8_t opcode = Fetch(s);
  const Instruction ins = kOpcodeTable.instruction[opcode];
  const AddressingMode mode = kOpcodeTable.mode[opcode];
  switch (ins) {
    case ADC: AddWithCarry(c, c.operand = FetchOperand(s, mode)); break;
    case SBC: AddWithCarry(c, c.operand = static_cast<std::uint8_t>(FetchOperand(s, mode) ^ 0xFF)); break;
    case AND: c.a &= FetchOperand(s, mode); SetZN(c, c.a); break;
    case ORA: c.a |= FetchOperand(s, mode); SetZN(c, c.a); break;
    case EOR: c.a ^= FetchOperand(s, mode); SetZN(c, c.a); break;
    case ASL: {
      // Z looks at all nine bits, so ASL of $80 leaves Z clear (deliberate).
      const unsigned r = static_cast<unsigned>(FetchOperand(s, mode)) << 1;
      SetFlag(c, kFlagC, (r & 0x100) != 0);
      SetFlag(c, kFlagN, (r & 0x80) != 0);
      SetFlag(c, kFlagZ, (r & 0x1FF) == 0);
      WriteBack(s, mode, static_cast<std::uint8_t>(r));
      break;
    }
    case LSR: {
      const std::uint8_t m = FetchOperand(s, mode);
      SetFlag(c, kFlagC, (m & 1) != 0);
      const std::uint8_t r = static_cast<std::uint8_t>(m >> 1);
      SetFlag(c, kFlagZ, r == 0);
      SetFlag(c, kFlagN, false);
      WriteBack(s, mode, r);
      break;
    }
    case ROL: {
      const std::uint8_t m = FetchOperand(s, mode);
      const std::uint8_t r = static_cast<std::uint8_t>(m << 1 | (c.p & kFlagC));
      SetFlag(c, kFlagC, (m & 0x80) != 0);
      SetZN(c, r);
      WriteBack(s, mode, r);
      break;
    }
    case ROR: {
      const std::uint8_t m = FetchOperand(s, mode);
      const std::uint8_t r = static_cast<std::uint8_t>(m >> 1 | (c.p & kFlagC) << 7);
      SetFlag(c, kFlagC, (m & 1) != 0);
      SetZN(c, r);
      WriteBack(s, mode, r);
      break;
    }
    case INC: {
      const std::uint8_t r = static_cast<std::uint8_t>(FetchOperand(s, mode) + 1);
      SetZN(c, r);
      WriteBack(s, mode, r);
      break;
    }
    case DEC: {
      const std::uint8_t r = static_cast<std::uint8_t>(FetchOperand(s, mode) - 1);
      SetZN(c, r);
      WriteBack(s, mode, r);
      break;
    }
    case INX: SetZN(c, ++c.x); break;
    case INY: SetZN(c, ++c.y); break;
    case DEX: SetZN(c, --c.x); break;
    case DEY: SetZN(c, --c.y); break;
    case BIT: {
      const std::uint8_t m = FetchOperand(s, mode);
      SetFlag(c, kFlagZ, (c.a & m) == 0);
      SetFlag(c, kFlagN, (m & 0x80) != 0);
      SetFlag(c, kFlagV, (m & 0x40) != 0);
      break;
    }
    case CMP: Compare(c, c.a, FetchOperand(s, mode)); break;
    case CPX: Compare(c, c.x, FetchOperand(s, mode)); break;
    case CPY: Compare(c, c.y, FetchOperand(s, mode)); break;
    case LDA: c.a = FetchOperand(s, mode); SetZN(c, c.a); break;
    case LDX: c.x = FetchOperand(s, mode); SetZN(c, c.x); break;
    case LDY: c.y = FetchOperand(s, mode); SetZN(c, c.y); break;
    case STA: Store(s, mode, c.a); break;
    case STX: Store(s, mode, c.x); break;
    case STY: Store(s, mode, c.y); break;
    case TAX: c.x = c.a; SetZN(c, c.x); break;
    case TAY: c.y = c.a; SetZN(c, c.y); break;
    case TXA: c.a = c.x; SetZN(c, c.a); break;
    case TYA: c.a = c.y; SetZN(c, c.a); break;
    case TSX: c.x = c.s; SetZN(c, c.x); break;
    case TXS: c.s = c.x; break;
    case PHA: Push(s, c.a); break;
    case PHP: Push(s, c.p); break;  // B and bit 5 pushed as they are
    case PLA: c.a = Pull(s); SetZN(c, c.a); break;
    case PLP: c.p = Pull(s); break;
    case BCC: Branch(s, (c.p & kFlagC) == 0); break;
    case BCS: Branch(s, (c.p & kFlagC) != 0); break;
    case BEQ: Branch(s, (c.p & kFlagZ) != 0); break;
    case BNE: Branch(s, (c.p & kFlagZ) == 0); break;
    case BMI: Branch(s, (c.p & kFlagN) != 0); break;
    case BPL: Branch(s, (c.p & kFlagN) == 0); break;
    case BVC: Branch(s, (c.p & kFlagV) == 0); break;
    case BVS: Branch(s, (c.p & kFlagV) != 0); break;
    case JMP:
      if (mode == IND) {
        // The pointer's high byte comes from the next address, page end or not.
        const std::uint16_t p = FetchWord(s);
        c.pc = static_cast<std::uint16_t>(s.memory.bytes[p] | s.memory.bytes[static_cast<std::uint16_t>(p + 1)] << 8);
      } else {
        c.pc = FetchWord(s);
      }
      break;
    case JSR: {
      const std::uint16_t target = FetchWord(s);
      const std::uint16_t last = static_cast<std::uint16_t>(c.pc - 1);
      Push(s, static_cast<std::uint8_t>(last >> 8));
      Push(s, static_cast<std::uint8_t>(last));
      c.pc = target;
      break;
    }
    case RTS:
    case RTI: {  // RTI returns like RTS; there are no interrupts to return from
      const std::uint8_t lo = Pull(s);
      const std::uint8_t hi = Pull(s);
      c.pc = static_cast<std::uint16_t>((lo | hi << 8) + 1);
      break;
    }
    case BRK: c.pc = 0; break;  // ends the routine: there is no vector to go to
    case CLC: SetFlag(c, kFlagC, false); break;
    case CLD: SetFlag(c, kFlagD, false); break;
    case CLI: SetFlag(c, kFlagI, false); break;
    case CLV: SetFlag(c, kFlagV, false); break;
    case SEC: SetFlag(c, kFlagC, true); break;
    case SED: SetFlag(c, kFlagD, true); break;
    case SEI: SetFlag(c, kFlagI, true); break;
    case NOP:
    case UND: break;  // undefined opcodes are one-byte no-ops
  }
}

std::uint32_t CallRoutine(SidState& s, std::uint16_t address, std::uint8_t a) {
  CpuRegisters& c = s.cpu;
  c.a = a;
  c.x = c.y = c.p = 0;
  c.s = 0xFF;
  c.pc = address;
  Push(s, 0);
  Push(s, 0);
  std::uint32_t executed = 0;
  while (c.pc > 1) {
    if (executed == kInstructionBudget) {
      ++s.counters.budgetExhausted;
      break;
    }
    CpuStep(s);
    ++executed;
  }
  s.counters.lastInstructions = executed;
  return executed;
}

}  // namespace korveld::sid
