// The 256-entry opcode map: instruction and addressing mode per opcode byte.
#include "sid/cpu.hpp"

namespace korveld::sid {
namespace {

struct Entry {
  std::uint8_t opcode;
  Instruction instruction;
  AddressingMode mode;
};

// The documented NMOS opcodes. TAX, TSX, TXA, TXS, DEX and NOP carry the
// accumulator mode; they fetch no operand, so it changes nothing.
constexpr Entry kDocumented[] = {
    {0x69, ADC, IMM}, {0x65, ADC, ZP}, {0x75, ADC, ZPX}, {0x6D, ADC, ABS}, {0x7D, ADC, ABX}, {0x79, ADC, ABY}, {0x61, ADC, IZX}, {0x71, ADC, IZY},
    {0x29, AND, IMM}, {0x25, AND, ZP}, {0x35, AND, ZPX}, {0x2D, AND, ABS}, {0x3D, AND, ABX}, {0x39, AND, ABY}, {0x21, AND, IZX}, {0x31, AND, IZY},
    {0x0A, ASL, ACC}, {0x06, ASL, ZP}, {0x16, ASL, ZPX}, {0x0E, ASL, ABS}, {0x1E, ASL, ABX},
    {0x90, BCC, REL}, {0xB0, BCS, REL}, {0xF0, BEQ, REL}, {0x30, BMI, REL}, {0xD0, BNE, REL}, {0x10, BPL, REL}, {0x50, BVC, REL}, {0x70, BVS, REL},
    {0x24, BIT, ZP}, {0x2C, BIT, ABS},
    {0x00, BRK, IMP},
    {0x18, CLC, IMP}, {0xD8, CLD, IMP}, {0x58, CLI, IMP}, {0xB8, CLV, IMP},
    {0xC9, CMP, IMM}, {0xC5, CMP, ZP}, {0xD5, CMP, ZPX}, {0xCD, CMP, ABS}, {0xDD, CMP, ABX}, {0xD9, CMP, ABY}, {0xC1, CMP, IZX}, {0xD1, CMP, IZY},
    {0xE0, CPX, IMM}, {0xE4, CPX, ZP}, {0xEC, CPX, ABS},
    {0xC0, CPY, IMM}, {0xC4, CPY, ZP}, {0xCC, CPY, ABS},
    {0xC6, DEC, ZP}, {0xD6, DEC, ZPX}, {0xCE, DEC, ABS}, {0xDE, DEC, ABX},
    {0xCA, DEX, ACC}, {0x88, DEY, IMP},
    {0x49, EOR, IMM}, {0x45, EOR, ZP}, {0x55, EOR, ZPX}, {0x4D, EOR, ABS}, {0x5D, EOR, ABX}, {0x59, EOR, ABY}, {0x41, EOR, IZX}, {0x51, EOR, IZY},
    {0xE6, INC, ZP}, {0xF6, INC, ZPX}, {0xEE, INC, ABS}, {0xFE, INC, ABX},
    {0xE8, INX, IMP}, {0xC8, INY, IMP},
    {0x4C, JMP, ABS}, {0x6C, JMP, IND}, {0x20, JSR, ABS},
    {0xA9, LDA, IMM}, {0xA5, LDA, ZP}, {0xB5, LDA, ZPX}, {0xAD, LDA, ABS}, {0xBD, LDA, ABX}, {0xB9, LDA, ABY}, {0xA1, LDA, IZX}, {0xB1, LDA, IZY},
    {0xA2, LDX, IMM}, {0xA6, LDX, ZP}, {0xB6, LDX, ZPY}, {0xAE, LDX, ABS}, {0xBE, LDX, ABY},
    {0xA0, LDY, IMM}, {0xA4, LDY, ZP}, {0xB4, LDY, ZPX}, {0xAC, LDY, ABS}, {0xBC, LDY, ABX},
    {0x4A, LSR, ACC}, {0x46, LSR, ZP}, {0x56, LSR, ZPX}, {0x4E, LSR, ABS}, {0x5E, LSR, ABX},
    {0xEA, NOP, ACC},
    {0x09, ORA, IMM}, {0x05, ORA, ZP}, {0x15, ORA, ZPX}, {0x0D, ORA, ABS}, {0x1D, ORA, ABX}, {0x19, ORA, ABY}, {0x01, ORA, IZX}, {0x11, ORA, IZY},
    {0x48, PHA, IMP}, {0x08, PHP, IMP}, {0x68, PLA, IMP}, {0x28, PLP, IMP},
    {0x2A, ROL, ACC}, {0x26, ROL, ZP}, {0x36, ROL, ZPX}, {0x2E, ROL, ABS}, {0x3E, ROL, ABX},
    {0x6A, ROR, ACC}, {0x66, ROR, ZP}, {0x76, ROR, ZPX}, {0x6E, ROR, ABS}, {0x7E, ROR, ABX},
    {0x40, RTI, IMP}, {0x60, RTS, IMP},
    {0xE9, SBC, IMM}, {0xE5, SBC, ZP}, {0xF5, SBC, ZPX}, {0xED, SBC, ABS}, {0xFD, SBC, ABX}, {0xF9, SBC, ABY}, {0xE1, SBC, IZX}, {0xF1, SBC, IZY},
    {0x38, SEC, IMP}, {0xF8, SED, IMP}, {0x78, SEI, IMP},
    {0x85, STA, ZP}, {0x95, STA, ZPX}, {0x8D, STA, ABS}, {0x9D, STA, ABX}, {0x99, STA, ABY}, {0x81, STA, IZX}, {0x91, STA, IZY},
    {0x86, STX, ZP}, {0x96, STX, ZPY}, {0x8E, STX, ABS},
    {0x84, STY, ZP}, {0x94, STY, ZPX}, {0x8C, STY, ABS},
    {0xAA, TAX, ACC}, {0xA8, TAY, IMP}, {0xBA, TSX, ACC}, {0x8A, TXA, ACC}, {0x9A, TXS, ACC}, {0x98, TYA, IMP},
};

constexpr OpcodeTable BuildTable() {
  OpcodeTable t{};
  for (int i = 0; i < 256; ++i) {
    t.instruction[i] = UND;
    t.mode[i] = IMP;
  }
  for (const Entry& e : kDocumented) {
    t.instruction[e.opcode] = e.instruction;
    t.mode[e.opcode] = e.mode;
  }
  return t;
}

static_assert(sizeof(kDocumented) / sizeof(kDocumented[0]) == 151);

}  // namespace

const OpcodeTable kOpcodeTable = BuildTable();

}  // namespace korveld::sid
