#include "sid/cpu.hpp"

#include "sid/synthesis.hpp"

namespace korveld::sid {
namespace {

constexpr std::uint16_t kStackBase = 0x0100;

inline void setFlag(CpuRegisters& c, std::uint8_t mask, bool on) {
  c.p = on ? static_cast<std::uint8_t>(c.p | mask) : static_cast<std::uint8_t>(c.p & ~mask);
}
inline void setZN(CpuRegisters& c, std::uint8_t v) {
  setFlag(c, kFlagZ, v == 0);
  setFlag(c, kFlagN, (v & 0x80) != 0);
}

inline std::uint8_t fetch(SidState& s) { return s.memory.bytes[s.cpu.pc++]; }
inline std::uint16_t fetchWord(SidState& s) {
  const std::uint8_t lo = fetch(s);
  const std::uint8_t hi = fetch(s);
  return static_cast<std::uint16_t>(lo | hi << 8);
}
inline std::uint16_t zpWord(const SidState& s, std::uint8_t p) {
  return static_cast<std::uint16_t>(s.memory.bytes[p] | s.memory.bytes[static_cast<std::uint8_t>(p + 1)] << 8);
}

// Effective address for the memory modes; PC moves past the operand bytes.
std::uint16_t effectiveAddress(SidState& s, AddressingMode mode) {
  CpuRegisters& c = s.cpu;
  switch (mode) {
    case ABS: return fetchWord(s);
    case ABX: return static_cast<std::uint16_t>(fetchWord(s) + c.x);
    case ABY: return static_cast<std::uint16_t>(fetchWord(s) + c.y);
    case ZP: return fetch(s);
    case ZPX: return static_cast<std::uint8_t>(fetch(s) + c.x);
    case ZPY: return static_cast<std::uint8_t>(fetch(s) + c.y);
    case IZX: return zpWord(s, static_cast<std::uint8_t>(fetch(s) + c.x));
    case IZY: return static_cast<std::uint16_t>(zpWord(s, fetch(s)) + c.y);
    default: return 0;
  }
}

std::uint8_t fetchOperand(SidState& s, AddressingMode mode) {
  switch (mode) {
    case IMM: return fetch(s);
    case ACC: return s.cpu.a;
    case IMP:
    case IND:
    case REL: return 0;
    default: return s.memory.bytes[effectiveAddress(s, mode)];
  }
}

// Read-modify-write instructions store to the target recomputed from the
// operand bytes just behind PC.
void writeBack(SidState& s, AddressingMode mode, std::uint8_t value) {
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

void store(SidState& s, AddressingMode mode, std::uint8_t value) {
  switch (mode) {
    case ACC: s.cpu.a = value; break;
    case IND:
    case IMP:
    case IMM:
    case REL: break;
    default: WriteByte(s, effectiveAddress(s, mode), value); break;
  }
}

// The stack pointer sticks at $00 and $FF instead of wrapping.
void push(SidState& s, std::uint8_t value) {
  WriteByte(s, static_cast<std::uint16_t>(kStackBase + s.cpu.s), value);
  if (s.cpu.s != 0) --s.cpu.s;
}
std::uint8_t pull(SidState& s) {
  if (s.cpu.s != 0xFF) ++s.cpu.s;
  return s.memory.bytes[kStackBase + s.cpu.s];
}

// Binary add with carry. V is N XOR C of the result: deliberate, not the
// signed-overflow rule.
void addWithCarry(CpuRegisters& c, std::uint8_t m) {
  const unsigned sum = c.a + m + (c.p & kFlagC);
  c.intermediate = static_cast<std::uint16_t>(sum);
  setFlag(c, kFlagC, (sum & 0x100) != 0);
  c.a = static_cast<std::uint8_t>(sum);
  setZN(c, c.a);
  setFlag(c, kFlagV, ((c.p & kFlagN) != 0) != ((c.p & kFlagC) != 0));
}

void compare(CpuRegisters& c, std::uint8_t reg, std::uint8_t m) {
  const std::uint8_t d = static_cast<std::uint8_t>(reg - m);
  setFlag(c, kFlagC, reg >= m);
  setFlag(c, kFlagZ, reg == m);
  setFlag(c, kFlagN, (d & 0x80) != 0);
}

void branch(SidState& s, bool condition) {
  const std::int8_t offset = static_cast<std::int8_t>(fetch(s));
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
  const std::uint8_t opcode = fetch(s);
  const Instruction ins = kOpcodeTable.instruction[opcode];
  const AddressingMode mode = kOpcodeTable.mode[opcode];
  switch (ins) {
    case ADC: addWithCarry(c, c.operand = fetchOperand(s, mode)); break;
    case SBC: addWithCarry(c, c.operand = static_cast<std::uint8_t>(fetchOperand(s, mode) ^ 0xFF)); break;
    case AND: c.a &= fetchOperand(s, mode); setZN(c, c.a); break;
    case ORA: c.a |= fetchOperand(s, mode); setZN(c, c.a); break;
    case EOR: c.a ^= fetchOperand(s, mode); setZN(c, c.a); break;
    case ASL: {
      // Z looks at all nine bits, so ASL of $80 leaves Z clear (deliberate).
      const unsigned r = static_cast<unsigned>(fetchOperand(s, mode)) << 1;
      setFlag(c, kFlagC, (r & 0x100) != 0);
      setFlag(c, kFlagN, (r & 0x80) != 0);
      setFlag(c, kFlagZ, (r & 0x1FF) == 0);
      writeBack(s, mode, static_cast<std::uint8_t>(r));
      break;
    }
    case LSR: {
      const std::uint8_t m = fetchOperand(s, mode);
      setFlag(c, kFlagC, (m & 1) != 0);
      const std::uint8_t r = static_cast<std::uint8_t>(m >> 1);
      setFlag(c, kFlagZ, r == 0);
      setFlag(c, kFlagN, false);
      writeBack(s, mode, r);
      break;
    }
    case ROL: {
      const std::uint8_t m = fetchOperand(s, mode);
      const std::uint8_t r = static_cast<std::uint8_t>(m << 1 | (c.p & kFlagC));
      setFlag(c, kFlagC, (m & 0x80) != 0);
      setZN(c, r);
      writeBack(s, mode, r);
      break;
    }
    case ROR: {
      const std::uint8_t m = fetchOperand(s, mode);
      const std::uint8_t r = static_cast<std::uint8_t>(m >> 1 | (c.p & kFlagC) << 7);
      setFlag(c, kFlagC, (m & 1) != 0);
      setZN(c, r);
      writeBack(s, mode, r);
      break;
    }
    case INC: {
      const std::uint8_t r = static_cast<std::uint8_t>(fetchOperand(s, mode) + 1);
      setZN(c, r);
      writeBack(s, mode, r);
      break;
    }
    case DEC: {
      const std::uint8_t r = static_cast<std::uint8_t>(fetchOperand(s, mode) - 1);
      setZN(c, r);
      writeBack(s, mode, r);
      break;
    }
    case INX: setZN(c, ++c.x); break;
    case INY: setZN(c, ++c.y); break;
    case DEX: setZN(c, --c.x); break;
    case DEY: setZN(c, --c.y); break;
    case BIT: {
      const std::uint8_t m = fetchOperand(s, mode);
      setFlag(c, kFlagZ, (c.a & m) == 0);
      setFlag(c, kFlagN, (m & 0x80) != 0);
      setFlag(c, kFlagV, (m & 0x40) != 0);
      break;
    }
    case CMP: compare(c, c.a, fetchOperand(s, mode)); break;
    case CPX: compare(c, c.x, fetchOperand(s, mode)); break;
    case CPY: compare(c, c.y, fetchOperand(s, mode)); break;
    case LDA: c.a = fetchOperand(s, mode); setZN(c, c.a); break;
    case LDX: c.x = fetchOperand(s, mode); setZN(c, c.x); break;
    case LDY: c.y = fetchOperand(s, mode); setZN(c, c.y); break;
    case STA: store(s, mode, c.a); break;
    case STX: store(s, mode, c.x); break;
    case STY: store(s, mode, c.y); break;
    case TAX: c.x = c.a; setZN(c, c.x); break;
    case TAY: c.y = c.a; setZN(c, c.y); break;
    case TXA: c.a = c.x; setZN(c, c.a); break;
    case TYA: c.a = c.y; setZN(c, c.a); break;
    case TSX: c.x = c.s; setZN(c, c.x); break;
    case TXS: c.s = c.x; break;
    case PHA: push(s, c.a); break;
    case PHP: push(s, c.p); break;  // B and bit 5 pushed as they are
    case PLA: c.a = pull(s); setZN(c, c.a); break;
    case PLP: c.p = pull(s); break;
    case BCC: branch(s, (c.p & kFlagC) == 0); break;
    case BCS: branch(s, (c.p & kFlagC) != 0); break;
    case BEQ: branch(s, (c.p & kFlagZ) != 0); break;
    case BNE: branch(s, (c.p & kFlagZ) == 0); break;
    case BMI: branch(s, (c.p & kFlagN) != 0); break;
    case BPL: branch(s, (c.p & kFlagN) == 0); break;
    case BVC: branch(s, (c.p & kFlagV) == 0); break;
    case BVS: branch(s, (c.p & kFlagV) != 0); break;
    case JMP:
      if (mode == IND) {
        // The pointer's high byte comes from the next address, page end or not.
        const std::uint16_t p = fetchWord(s);
        c.pc = static_cast<std::uint16_t>(s.memory.bytes[p] | s.memory.bytes[static_cast<std::uint16_t>(p + 1)] << 8);
      } else {
        c.pc = fetchWord(s);
      }
      break;
    case JSR: {
      const std::uint16_t target = fetchWord(s);
      const std::uint16_t last = static_cast<std::uint16_t>(c.pc - 1);
      push(s, static_cast<std::uint8_t>(last >> 8));
      push(s, static_cast<std::uint8_t>(last));
      c.pc = target;
      break;
    }
    case RTS:
    case RTI: {  // RTI returns like RTS; there are no interrupts to return from
      const std::uint8_t lo = pull(s);
      const std::uint8_t hi = pull(s);
      c.pc = static_cast<std::uint16_t>((lo | hi << 8) + 1);
      break;
    }
    case BRK: c.pc = 0; break;  // ends the routine: there is no vector to go to
    case CLC: setFlag(c, kFlagC, false); break;
    case CLD: setFlag(c, kFlagD, false); break;
    case CLI: setFlag(c, kFlagI, false); break;
    case CLV: setFlag(c, kFlagV, false); break;
    case SEC: setFlag(c, kFlagC, true); break;
    case SED: setFlag(c, kFlagD, true); break;
    case SEI: setFlag(c, kFlagI, true); break;
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
  push(s, 0);
  push(s, 0);
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
